// Stored settings blocks as printer data holds them: a block is adopted only when it is sound,
// and every row and column of an adopted block can then be read, written and compacted.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <win/windows.h>

#include "fuzz_input.h"
#include "xpr.h"
#include "xprimpl.h"

namespace {

XprColumnKind ColumnKind(const XprColumn* column) {
    XprColumnKind kind;
    std::memcpy(&kind, reinterpret_cast<const BYTE*>(column) + offsetof(XprColumn, m_kind), sizeof kind);
    return kind;
}

// A name field of a table or column header: those stand at any offset of the block, so the field
// is copied out rather than read in place.
std::u16string NameOf(const void* field) {
    WCHAR name[XPR_NAME_CHARS];
    std::memcpy(name, field, sizeof name);
    return std::u16string(name, std::char_traits<char16_t>::find(name, XPR_NAME_CHARS, u'\0') ? std::char_traits<char16_t>::length(name) : XPR_NAME_CHARS);
}

void Exercise(XprStore* store, uint8_t choice) {
    const std::u16string name = NameOf(reinterpret_cast<const BYTE*>(store->m_root) + offsetof(XprTable, m_name));
    XprTable* cursor = nullptr;
    BYTE value[1024];
    for (int row = 0; row < 64; ++row) {
        if (FetchRow(store, name.c_str(), &cursor, nullptr) >= KIT_SEVERITY_ERROR || !cursor) break;
        for (WORD column = 0; column < cursor->m_columnCount && column < 64; ++column) {
            const std::u16string columnName = NameOf(reinterpret_cast<const BYTE*>(cursor->m_columns + column) + offsetof(XprColumn, m_name));
            GetValue(cursor, value, sizeof value, columnName.c_str());
            const XprColumnKind kind = ColumnKind(cursor->m_columns + column);
            // A STRING value is written as its link, as the settings' callers write one.
            static const WCHAR kChanged[] = u"changed";
            const WCHAR* link = kChanged;
            if ((choice & 1) && kind == XprColumnKind::STRING)
                SetValue(cursor, &link, sizeof link, columnName.c_str());
            else if ((choice & 2) && kind < XprColumnKind::STRING)
                SetValue(cursor, value, 4, columnName.c_str());
        }
    }
    CompactByHandle(store, reinterpret_cast<HANDLE>(1));
    UpdateSizes(store);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint8_t choice = input.Byte();
    const auto bytes = input.Rest();
    if (bytes.empty()) return 0;

    auto* store = static_cast<XprStore*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(XprStore)));
    if (AllocBlock(store, static_cast<DWORD>(bytes.size())) < KIT_SEVERITY_ERROR) {
        std::memcpy(store->m_block, bytes.data(), bytes.size());
        if (xpr::AdoptStoredBlock(store, u"Fuzz") < KIT_SEVERITY_ERROR) Exercise(store, choice);
    }
    if (store->m_block) FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
    return 0;
}
