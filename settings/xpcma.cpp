// Macros and value expansion: the text a description value stands for.
#include <string>

#include "xpcimpl.h"

namespace xpc {
namespace {

// A text that is a plain decimal number (it converts back to the same text).
bool IsPlainNumber(std::u16string_view text, LONG* number) {
    if (text.empty()) return false;
    const LONG value = ParseSigned(text);
    std::u16string back;
    unsigned long magnitude = value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        back.insert(back.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) back.insert(back.begin(), u'-');
    *number = value;
    return back == text;
}

bool IsStringId(LONG number) {
    return number >= 1 && number <= 65535;
}

}  // namespace

DWORD CollectMacros(Context& context) {
    return CollectMacrosAfter(context, nullptr);
}

DWORD CollectMacrosAfter(Context& context, const Entry* after) {
    for (const Entry* macros = FindIn(context.m_entries, nullptr, u"*MACROS", 0, nullptr, after); macros;
         macros = FindIn(context.m_entries, nullptr, u"*MACROS", 0, nullptr, macros)) {
        for (const Entry* macro = FindIn(context.m_entries, macros, u"", macros->m_depth + 1); macro;
             macro = FindIn(context.m_entries, macros, u"", macros->m_depth + 1, nullptr, macro)) {
            context.m_macros.emplace_back(macro->m_keyword, macro->m_value);
            context.m_macroIndex.emplace(macro->m_keyword, context.m_macros.size() - 1);
        }
    }
    return LoadResourceDlls(context);
}

DWORD TranslateValue(Context& context, std::u16string_view keyword, std::u16string_view value, std::u16string* text) {
    DWORD worst = 0;
    *text = std::u16string(value);
    if (!value.empty() && value[0] == u'=') {
        const auto macro = context.m_macroIndex.find(std::u16string(value.substr(1)));
        if (macro == context.m_macroIndex.end()) return Report(XPC_NO_MACRO, text->c_str());
        *text = context.m_macros[macro->second].second;
    }

    // "alias.id": a string of the resource library registered under the alias. A text whose alias
    // no library has (a version number, an address) stays as it is.
    if (const size_t dot = text->rfind(u'.'); dot != std::u16string::npos && dot + 1 <= kMaxAlias) {
        const std::u16string alias = text->substr(0, dot + 1);
        const LONG id = ParseSigned(std::u16string_view(*text).substr(dot + 1));
        bool known = false;
        for (const ResourceDll& dll : context.m_resources.m_dlls) known = known || dll.m_alias == alias;
        if (known && IsStringId(id)) {
            const DWORD result = LoadResourceString(context.m_resources, &alias, static_cast<UINT>(id));
            if (result == 0) {
                *text = context.m_resources.m_buffer;
            } else {
                worst = Worst(worst, result);
            }
        }
    }

    // A bare string id of a "*RC..." keyword: the first library that has it.
    LONG id = 0;
    if (keyword.substr(0, 3) == u"*RC" && IsPlainNumber(*text, &id) && IsStringId(id)) {
        const DWORD result = LoadResourceString(context.m_resources, nullptr, static_cast<UINT>(id));
        if (result == 0) {
            *text = context.m_resources.m_buffer;
        } else {
            worst = Worst(worst, result);
        }
    }
    return worst;
}

void SetEntryValue(Entry& entry, std::u16string_view value) {
    entry.m_value = std::u16string(value);
}

}  // namespace xpc
