#include "options/font_substitution.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <win/winspool.h>

#include "items/handler_factory.h"
#include "kittrace.h"
#include "options/sheet_strings.h"

namespace {

constexpr DWORD kIdsDontSubstitute = 22700;

LPWSTR ValueName(const char16_t* name) {
    return const_cast<LPWSTR>(name);
}

}  // namespace

FontSubstitutionTable::ReadResult FontSubstitutionTable::Read(HANDLE printer, DWORD* error) {
    m_pairs.clear();
    DWORD unused = 0;
    if (!error) error = &unused;
    *error = ERROR_SUCCESS;

    DWORD type = 0;
    DWORD declared = 0;
    DWORD declaredBytes = 0;
    const DWORD sizeResult = GetPrinterDataW(printer, ValueName(kFontSubstSizeValue), &type,
                                             reinterpret_cast<LPBYTE>(&declared), sizeof declared, &declaredBytes);

    DWORD stored = 0;
    const DWORD probe = GetPrinterDataW(printer, ValueName(kFontSubstTableValue), &type, nullptr, 0, &stored);
    if (probe == ERROR_FILE_NOT_FOUND || probe == ERROR_SUCCESS) return ReadResult::Empty;  // nothing, or 0 bytes
    if (probe != ERROR_MORE_DATA) {
        *error = probe;
        return ReadResult::Unreadable;
    }
    std::vector<BYTE> buffer;
    try {
        buffer.resize(stored);
    } catch (const std::bad_alloc&) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return ReadResult::Unreadable;
    }
    DWORD read = 0;
    const DWORD result = GetPrinterDataW(printer, ValueName(kFontSubstTableValue), &type, buffer.data(), stored, &read);
    if (result != ERROR_SUCCESS) {
        *error = result;
        return ReadResult::Unreadable;
    }
    if (sizeResult != ERROR_SUCCESS || declaredBytes != sizeof declared || declared != read)
        DebugTrace(2, u"%s: TTFontSubTableSize=[%d] err=[%d], TTFontSubTable=[%d] bytes\n",
                   u"FontSubstitutionTable::Read", static_cast<int>(declared), static_cast<int>(sizeResult),
                   static_cast<int>(read));
    Parse(buffer.data(), std::min<size_t>(read, buffer.size()));
    return m_pairs.empty() ? ReadResult::Empty : ReadResult::Loaded;
}

void FontSubstitutionTable::Parse(const BYTE* bytes, size_t size) {
    m_pairs.clear();
    if (!bytes) return;
    const size_t units = size / sizeof(WCHAR);
    // The value need not be aligned: each character is copied out.
    const auto unitAt = [bytes](size_t index) {
        WCHAR unit = 0;
        std::memcpy(&unit, bytes + index * sizeof(WCHAR), sizeof unit);
        return unit;
    };
    const auto textAt = [&](size_t begin, size_t end) {
        std::u16string text;
        text.reserve(end - begin);
        for (size_t i = begin; i < end; ++i) text += unitAt(i);
        return text;
    };
    size_t at = 0;
    while (m_pairs.size() < kMaxPairs && at < units && unitAt(at) != 0) {
        size_t faceEnd = at;
        while (faceEnd < units && unitAt(faceEnd) != 0) ++faceEnd;
        if (faceEnd >= units) break;  // the face runs off the end of the value
        size_t substituteEnd = faceEnd + 1;
        while (substituteEnd < units && unitAt(substituteEnd) != 0) ++substituteEnd;
        if (substituteEnd >= units) break;  // so does its device font
        m_pairs.emplace_back(textAt(at, faceEnd), textAt(faceEnd + 1, substituteEnd));
        at = substituteEnd + 1;
    }
}

void FontSubstitutionTable::Apply(std::u16string_view face, LPCWSTR substitute) {
    const auto found = std::find_if(m_pairs.begin(), m_pairs.end(), [&](const Pair& pair) { return pair.first == face; });
    if (found == m_pairs.end()) {
        if (substitute && m_pairs.size() < kMaxPairs) m_pairs.emplace_back(std::u16string(face), substitute);
        return;
    }
    if (substitute) found->second = substitute;
    else m_pairs.erase(found);
}

std::vector<BYTE> FontSubstitutionTable::Serialize() const {
    size_t size = 0;
    for (const Pair& pair : m_pairs) size += (pair.first.size() + 1 + pair.second.size() + 1) * sizeof(WCHAR);
    if (size == 0) return {};
    size += sizeof(WCHAR);  // the final NUL
    std::vector<BYTE> bytes(size, 0);
    BYTE* at = bytes.data();
    for (const Pair& pair : m_pairs) {
        for (const std::u16string* text : {&pair.first, &pair.second}) {
            std::memcpy(at, text->data(), text->size() * sizeof(WCHAR));
            at += (text->size() + 1) * sizeof(WCHAR);  // the NUL is already there
        }
    }
    return bytes;
}

void FontSubstitutionTable::Write(HANDLE printer) const {
    if (m_pairs.empty()) {
        DeletePrinterDataW(printer, ValueName(kFontSubstSizeValue));
        DeletePrinterDataW(printer, ValueName(kFontSubstTableValue));
        return;
    }
    std::vector<BYTE> bytes;
    try {
        bytes = Serialize();
    } catch (const std::bad_alloc&) {
        return;  // the stored table stays as it was
    }
    DWORD size = static_cast<DWORD>(bytes.size());
    DWORD result = SetPrinterDataW(printer, ValueName(kFontSubstTableValue), REG_MULTI_SZ, bytes.data(), size);
    if (result == ERROR_SUCCESS)
        result = SetPrinterDataW(printer, ValueName(kFontSubstSizeValue), REG_DWORD, reinterpret_cast<LPBYTE>(&size),
                                 sizeof size);
    if (result != ERROR_SUCCESS)
        DebugTrace(1, u"%s: SetPrinterData err=[%d]\n", u"FontSubstitutionTable::Write", static_cast<int>(result));
}

QORVAOptItemHandlerFONTSUBST::QORVAOptItemHandlerFONTSUBST(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                           POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    RenameOption(item, 0, factory, kIdsDontSubstitute);
    // A substitution chosen before the sheet opened goes into the table at once.
    if (item && item->Sel != 0) UpdateTable();
}

void QORVAOptItemHandlerFONTSUBST::SaveSettings(HWND window) {
    if (window || !m_item || !(m_item->Flags & OPTIF_CHANGED)) return;
    UpdateTable();
}

void QORVAOptItemHandlerFONTSUBST::UpdateTable() {
    LPCWSTR face = m_item ? m_item->pName : nullptr;
    if (!face || !IsAddressValue(reinterpret_cast<ULONG_PTR>(face)) || !*face) return;
    POEMCUIPPARAM record = m_factory ? m_factory->Record() : nullptr;
    if (!record) return;
    LPCWSTR substitute = nullptr;
    if (m_item->Sel != 0) {
        substitute = GetOptionText(m_item->Sel, nullptr, nullptr);
        if (!substitute) return;  // no such option: nothing to store
    }
    try {
        FontSubstitutionTable table;
        DWORD error = ERROR_SUCCESS;
        if (table.Read(record->hPrinter, &error) == FontSubstitutionTable::ReadResult::Unreadable) {
            DebugTrace(1, u"%s: GetPrinterData err=[%d], the stored table is kept\n",
                       u"QORVAOptItemHandlerFONTSUBST::UpdateTable", static_cast<int>(error));
            return;
        }
        table.Apply(face, substitute);
        table.Write(record->hPrinter);
    } catch (const std::bad_alloc&) {
        DebugTrace(1, u"%s: out of memory, the stored table is kept\n", u"QORVAOptItemHandlerFONTSUBST::UpdateTable");
    }
}
