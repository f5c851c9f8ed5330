// TrimPrintCapabilities and the feature trims it applies.
#include "ticket/trim_capabilities.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "ticket/print_schema.h"
#include "ticket/ticket_refs.h"

namespace {

// What a feature's child says of itself: its "name" text, or why the walk stops there.
enum class ChildName { kNamed, kUnnamed, kFailed };

ChildName ReadName(IXMLDOMNode* node, OwnedBstr* name, HRESULT* failure) {
    IXMLDOMNamedNodeMap* attributesPointer = nullptr;
    if (FAILED(node->get_attributes(&attributesPointer)) || !attributesPointer) return ChildName::kUnnamed;
    ComRef<IXMLDOMNamedNodeMap> attributes(attributesPointer);
    OwnedBstr attributeName(SysAllocString(kNameAttribute));
    if (!attributeName) {
        *failure = E_OUTOFMEMORY;
        return ChildName::kFailed;
    }
    IXMLDOMNode* attributePointer = nullptr;
    if (FAILED(attributes->getNamedItem(attributeName.get(), &attributePointer)) || !attributePointer)
        return ChildName::kUnnamed;
    ComRef<IXMLDOMNode> attribute(attributePointer);
    BSTR text = nullptr;
    const HRESULT result = attribute->get_text(&text);
    name->reset(text);
    if (FAILED(result)) {
        *failure = result;
        return ChildName::kFailed;
    }
    return ChildName::kNamed;
}

// What a walk over a feature's children does with one child.
enum class ChildStep { kKeep, kRemove, kStop };

// Walks a feature's children from the last to the first; step says of each child whether it goes,
// stays or ends the walk (setting the answer, else the last call's). The walk also ends at the
// first failed removal.
template <class Step>
HRESULT WalkChildrenBackwards(IXMLDOMNode* feature, Step step) {
    IXMLDOMNode* childPointer = nullptr;
    HRESULT result = feature->get_lastChild(&childPointer);
    ComRef<IXMLDOMNode> child(childPointer);
    while (child) {
        IXMLDOMNode* previousPointer = nullptr;
        child->get_previousSibling(&previousPointer);
        ComRef<IXMLDOMNode> previous(previousPointer);
        const ChildStep said = step(child.get(), &result);
        if (said == ChildStep::kStop) return result;
        if (said == ChildStep::kRemove) {
            IXMLDOMNode* removedPointer = nullptr;
            result = feature->removeChild(child.get(), &removedPointer);
            ComRef<IXMLDOMNode> removed(removedPointer);
            if (FAILED(result)) return result;
        }
        child = std::move(previous);
    }
    return result;
}

// Walks a feature's children from the last to the first. decide answers whether a named child
// goes; the walk stops at the first child without a name and at the first failed removal.
template <class Decide>
HRESULT RemoveChildrenWhere(IXMLDOMNode* feature, Decide decide) {
    if (!feature) return E_INVALIDARG;
    return WalkChildrenBackwards(feature, [&decide](IXMLDOMNode* child, HRESULT* result) {
        OwnedBstr name;
        HRESULT failure = S_OK;
        const ChildName said = ReadName(child, &name, &failure);
        if (said == ChildName::kFailed) *result = failure;
        if (said != ChildName::kNamed) return ChildStep::kStop;
        return decide(name.get()) ? ChildStep::kRemove : ChildStep::kKeep;
    });
}

// Removes every child, last to first, stopping at the first removal that fails.
HRESULT RemoveAllChildren(IXMLDOMNode* feature) {
    return WalkChildrenBackwards(feature, [](IXMLDOMNode*, HRESULT*) { return ChildStep::kRemove; });
}

// The printer's forms by index: true for the driver's own custom media.
std::vector<bool> MarkOwnForms(HANDLE printer) {
    DWORD needed = 0;
    DWORD count = 0;
    if (EnumFormsW(printer, 1, nullptr, 0, &needed, &count) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed == 0)
        return {};
    std::vector<BYTE> buffer(needed);
    if (!EnumFormsW(printer, 1, buffer.data(), needed, &needed, &count)) return {};
    count = std::min<DWORD>(count, static_cast<DWORD>(needed / sizeof(FORM_INFO_1W)));
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    std::vector<bool> marks(count, false);
    for (DWORD i = 0; i < count; ++i) {
        if (forms[i].Flags != FORM_USER || !forms[i].pName || !forms[i].pName[0]) continue;
        DWORD value = 0;
        DWORD type = 0;
        DWORD size = 0;
        const DWORD error = GetPrinterDataExW(printer, kCustomMediaKey, forms[i].pName, &type,
                                              reinterpret_cast<LPBYTE>(&value), sizeof value, &size);
        marks[i] = error == ERROR_SUCCESS && size == sizeof value && value == 1;
    }
    return marks;
}

// The decimal number of a user-form option after its prefix: optional sign, then digits (what
// follows them is ignored). False when there are no digits; a value beyond a 32-bit number
// saturates.
bool ParseFormIndex(const WCHAR* text, long long* index) {
    size_t at = 0;
    bool negative = false;
    if (text[at] == u'-' || text[at] == u'+') negative = text[at++] == u'-';
    if (text[at] < u'0' || text[at] > u'9') return false;
    long long value = 0;
    for (; text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + (text[at] - u'0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    *index = negative ? -value : value;
    return true;
}

bool IsUserFormOption(BSTR name) {
    if (SysStringLen(name) < kUserFormPrefixLength + 1) return false;
    OwnedBstr head(SysAllocStringLen(name, kUserFormPrefixLength));
    return head && SameText(head.get(), kUserFormPrefix, NORM_IGNORECASE);
}

}  // namespace

HRESULT KeepOnlyOption(IXMLDOMNode* feature, const WCHAR* kept) {
    return RemoveChildrenWhere(feature, [kept](BSTR name) { return !SameText(name, kept, NORM_IGNORECASE); });
}

HRESULT RemoveForeignUserForms(IXMLDOMNode* feature, HANDLE printer) {
    const std::vector<bool> marks = MarkOwnForms(printer);
    if (marks.empty()) return S_OK;
    return RemoveChildrenWhere(feature, [&marks](BSTR name) {
        if (!IsUserFormOption(name)) return false;
        long long index = 0;
        if (!ParseFormIndex(name + kUserFormPrefixLength, &index) || index == -1) return false;
        // An index the printer has no form for has no mark to look up: the option stays.
        if (index < 0 || index >= static_cast<long long>(marks.size())) return false;
        return !marks[static_cast<size_t>(index)];
    });
}

HRESULT TrimPrintCapabilities(IXMLDOMDocument2*, IXMLDOMDocument2* capabilities, HANDLE printer) {
    if (!capabilities) return E_NOTIMPL;

    const std::u16string selection =
        std::u16string(u"xmlns:psf='") + kStandardNamespaceUris[kPrintSchemaFramework] + u"'";
    OwnedBstr property(SysAllocString(u"SelectionNamespaces"));
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(selection.c_str());
    if (!property || !value.bstrVal) {
        VariantClear(&value);
        return E_OUTOFMEMORY;
    }
    capabilities->setProperty(property.get(), value);
    VariantClear(&value);

    OwnedBstr tag(SysAllocString(kFeatureElement));
    if (!tag) return E_OUTOFMEMORY;
    IXMLDOMNodeList* featuresPointer = nullptr;
    const HRESULT result = capabilities->getElementsByTagName(tag.get(), &featuresPointer);
    ComRef<IXMLDOMNodeList> features(featuresPointer);
    if (FAILED(result) || !features) return result;
    LONG count = 0;
    features->get_length(&count);
    for (LONG index = 0; index < count; ++index) {
        IXMLDOMNode* featurePointer = nullptr;
        if (features->get_item(index, &featurePointer) != S_OK || !featurePointer) break;
        ComRef<IXMLDOMNode> feature(featurePointer);
        OwnedBstr name;
        HRESULT failure = S_OK;
        const ChildName said = ReadName(feature.get(), &name, &failure);
        if (said == ChildName::kFailed) return failure;
        if (said == ChildName::kUnnamed) break;
        if (SameText(name.get(), kInputBinFeature, NORM_IGNORECASE)) {
            KeepOnlyOption(feature.get(), kAutoSelectOption);
        } else if (SameText(name.get(), kMediaTypeFeature, NORM_IGNORECASE)) {
            KeepOnlyOption(feature.get(), kPlainMediaOption);
        } else if (SameText(name.get(), kNUpContiguousFeature, NORM_IGNORECASE)) {
            RemoveAllChildren(feature.get());
        } else if (SameText(name.get(), kMediaSizeFeature, NORM_IGNORECASE)) {
            RemoveForeignUserForms(feature.get(), printer);
        }
    }
    return result;
}
