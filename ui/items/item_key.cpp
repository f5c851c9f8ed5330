#include "item_key.h"

#include <string_view>

namespace {

// Reads a decimal number at text; advances text past it. FALSE when no digit stands there.
bool ReadDecimal(LPCWSTR* text, DWORD* number) {
    LPCWSTR at = *text;
    if (*at < u'0' || *at > u'9') return false;
    DWORD value = 0;
    while (*at >= u'0' && *at <= u'9') value = value * 10 + static_cast<DWORD>(*at++ - u'0');
    *number = value;
    *text = at;
    return true;
}

bool IsSharedHelpIndex(DWORD help) {
    switch (help) {
    case 1019:
    case 1025:
    case 1026:
    case 1027:
    case 1028:
    case 1032:
    case 1037:
        return true;
    default:
        return false;
    }
}

}  // namespace

UserDataList::~UserDataList() {
    if (m_values) HeapFree(m_heap, 0, m_values);
}

LONG UserDataList::IndexOf(DWORD value) {
    for (DWORD i = 0; i < m_count; ++i)
        if (m_values[i] == value) return static_cast<LONG>(i);
    if (m_count == m_capacity) {
        const DWORD capacity = m_capacity + 16;
        void* grown = m_values ? HeapReAlloc(m_heap, HEAP_ZERO_MEMORY, m_values, capacity * sizeof(DWORD))
                               : HeapAlloc(m_heap, HEAP_ZERO_MEMORY, capacity * sizeof(DWORD));
        if (!grown) return -1;
        m_values = static_cast<DWORD*>(grown);
        m_capacity = capacity;
    }
    m_values[m_count] = value;
    return static_cast<LONG>(m_count++);
}

DWORD GetPubID(const OPTITEM* item, UserDataList* userData, WORD* group) {
    if (group) *group = 0;
    if (!item) return 0;
    if (item->DMPubID >= 100 || item->UserItemID != 0) {
        if (item->HelpIndex == kSpecialHelpIndex) return kHelpKeyFlag | kSpecialHelpIndex;
        return DWORD{item->UserItemID} * kKitItemsPerPage + item->DMPubID;
    }
    if (item->DMPubID != 0) return item->DMPubID;
    // A name (not a resource id) "#n" or "#n|m".
    if (IsAddressValue(reinterpret_cast<ULONG_PTR>(item->pName)) && item->pName[0] == u'#') {
        LPCWSTR at = item->pName + 1;
        DWORD n = 0;
        if (ReadDecimal(&at, &n)) {
            const bool bar = std::u16string_view(item->pName).find(u'|') != std::u16string_view::npos;
            if (!bar) {
                if (group) *group = static_cast<WORD>(n);
                return n & 0xFFFF;
            }
            DWORD m = 0;
            if (*at == u'|') {
                ++at;
                if (ReadDecimal(&at, &m)) {
                    if (group) *group = static_cast<WORD>(n);
                    return m;
                }
            }
        }
    }
    const DWORD help = item->HelpIndex;
    if (help == 0) return 0;
    if (IsSharedHelpIndex(help)) {
        if (item->UserData == 0) return 0;
        if (!userData) return help | kHelpKeyFlag;
        const LONG index = userData->IndexOf(static_cast<DWORD>(item->UserData));
        if (index < 0) return help | kHelpKeyFlag;
        return (static_cast<DWORD>(index) << 16) | help | kHelpKeyFlag;
    }
    return help | kHelpKeyFlag;
}

void SplitKitKey(DWORD key, BYTE* dmPubId, BYTE* userItemId) {
    if (key >= 100) {
        *userItemId = static_cast<BYTE>((key - 100) / kKitItemsPerPage);
        *dmPubId = static_cast<BYTE>(100 + (key - 100) % kKitItemsPerPage);
    } else {
        *userItemId = 0;
        *dmPubId = static_cast<BYTE>(key);
    }
}
