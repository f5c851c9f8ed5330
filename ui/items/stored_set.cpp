// Stored item sets: writing entries, loading them into handlers, applying a whole set.
#include "stored_set.h"

#include <cstring>
#include <vector>

#include "handler_factory.h"
#include "kittrace.h"
#include "optitem_dlglink.h"
#include "optitem_handler.h"

namespace {

constexpr DWORD kPaperSourceKey = 4;
constexpr DWORD kMediaTypeKey = 12;
constexpr DWORD kQuickSettingsRoom = 32;
constexpr DWORD kGrowth = 256;

size_t TextLength(LPCWSTR text) {
    size_t length = 0;
    while (text[length]) ++length;
    return length;
}

// Lower-case hexadecimal of a u32, no leading zeros.
size_t FormatHex(DWORD value, WCHAR* out) {
    WCHAR digits[8];
    size_t count = 0;
    do {
        const DWORD digit = value & 0xF;
        digits[count++] = static_cast<WCHAR>(digit < 10 ? u'0' + digit : u'a' + digit - 10);
        value >>= 4;
    } while (value);
    for (size_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
    out[count] = 0;
    return count;
}

// Reads "%x" at text (leading blanks skipped as the format does); advances past it.
bool ReadHex(LPCWSTR* text, DWORD* value) {
    LPCWSTR at = *text;
    while (*at == u' ' || *at == u'\t') ++at;
    DWORD result = 0;
    size_t digits = 0;
    for (;; ++at, ++digits) {
        const WCHAR c = *at;
        DWORD digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else break;
        result = (result << 4) | digit;
    }
    if (!digits) return false;
    *value = result;
    *text = at;
    return true;
}

// Moves the set's text into a zero-filled buffer of capacity characters; FALSE (the set as it
// was) when the heap refuses.
bool GrowTo(StoredItemSet* set, size_t capacity) {
    auto* grown = static_cast<LPWSTR>(HeapAlloc(set->m_heap, HEAP_ZERO_MEMORY, capacity * sizeof(WCHAR)));
    if (!grown) return false;
    if (set->m_text) {
        std::memcpy(grown, set->m_text, set->m_used * sizeof(WCHAR));
        HeapFree(set->m_heap, 0, set->m_text);
    }
    set->m_text = grown;
    set->m_capacity = static_cast<DWORD>(capacity);
    return true;
}

}  // namespace

BOOL WriteStoredSet(StoredItemSet* set, DWORD key, LPCWSTR text) {
    if (!set || !text) return FALSE;
    const size_t valueLength = TextLength(text);
    if (!set->m_text || set->m_used + valueLength + kQuickSettingsRoom > set->m_capacity) {
        if (!GrowTo(set, set->m_capacity + valueLength + kGrowth)) return FALSE;
    }
    if (set->m_filter) set->m_filter->GetFieldText(key, &text);
    if (!text) text = u"";
    // The filter may have made the value longer: the entry must still fit with its terminator.
    WCHAR keyText[9];
    const size_t keyLength = FormatHex(key, keyText);
    const size_t length = TextLength(text);
    const size_t entry = 1 + keyLength + 1 + length + 1;
    if (set->m_used + entry + 1 > set->m_capacity) {
        if (!GrowTo(set, set->m_used + entry + kGrowth)) return FALSE;
    }
    LPWSTR at = set->m_text + set->m_used;
    *at++ = kSetEntryLead;
    std::memcpy(at, keyText, keyLength * sizeof(WCHAR));
    at += keyLength;
    *at++ = kSetSeparator;
    std::memcpy(at, text, length * sizeof(WCHAR));
    at += length;
    *at++ = kSetEntryEnd;
    *at = 0;
    set->m_used += static_cast<DWORD>(entry);
    return TRUE;
}

size_t StoredSetLength(LPCWSTR text) {
    if (!text) return 0;
    const auto* bytes = reinterpret_cast<const BYTE*>(text);
    size_t length = 0;
    for (WCHAR unit = 1;; ++length) {
        std::memcpy(&unit, bytes + length * sizeof unit, sizeof unit);
        if (!unit) return length;
    }
}

void FreeStoredSet(StoredItemSet* set) {
    if (!set || !set->m_text) return;
    HeapFree(set->m_heap, 0, set->m_text);
    set->m_text = nullptr;
    set->m_used = set->m_capacity = 0;
}

void QORVAOptItemHandler::QSave(StoredItemSet* set) {
    if (!set) return;
    DWORD isText = 0;
    const LONG_PTR value = GetSelValue(nullptr, &isText);
    if (isText) {
        LPCWSTR text = reinterpret_cast<LPCWSTR>(value);
        const size_t length = text ? TextLength(text) : 0;
        std::vector<WCHAR> lead(length + 2, 0);
        lead[0] = kSetTextLead;
        if (length) std::memcpy(lead.data() + 1, text, length * sizeof(WCHAR));
        WriteStoredSet(set, m_key, lead.data());
        return;
    }
    WCHAR number[9];
    FormatHex(static_cast<DWORD>(value), number);
    WriteStoredSet(set, m_key, number);
}

void QORVAOptItemHandler::QLoad(LPCWSTR text, DWORD* loadedOk) {
    if (!text) return;
    if (*text == kSetTextLead) {
        SelectString(text + 1, nullptr);
        return;
    }
    DWORD value = 0;
    if (!ReadHex(&text, &value)) return;
    const BYTE type = Type();
    const bool countedList = !m_item || !m_item->pOptType || (type != TVOT_CHKBOX && type != TVOT_UDARROW);
    if (countedList && m_key != 7 && IsValueItem() && value >= static_cast<DWORD>(GetOptionCount())) {
        DebugTrace(2, u"%s: assertion pubID=[%08x], val=[%d]\n", u"QORVAOptItemHandler::QLoad", m_key, value);
        return;
    }
    SetValue(static_cast<LONG_PTR>(value), nullptr);
    if (type == TVOT_LISTBOX || type == TVOT_COMBOBOX) {
        LONG_PTR reached = 0;
        DWORD isText = 0;
        GetValue(nullptr, &reached, &isText);
        if (reached != static_cast<LONG_PTR>(value) && loadedOk) *loadedOk = 0;
    }
}

namespace {

// One well-formed entry of a set text: its key and value, and where the next entry starts.
struct SetEntry {
    DWORD m_key;
    LPWSTR m_value;
    LPWSTR m_end;  // the U+FFFF that ends the value
};

bool NextEntry(LPWSTR at, SetEntry* entry) {
    if (!at || *at != kSetEntryLead) return false;
    LPCWSTR cursor = at + 1;
    DWORD key = 0;
    if (!ReadHex(&cursor, &key) || *cursor != kSetSeparator) return false;
    LPWSTR value = const_cast<LPWSTR>(cursor) + 1;
    LPWSTR end = value;
    while (*end && *end != kSetEntryEnd) ++end;
    if (*end != kSetEntryEnd) return false;
    *entry = SetEntry{key, value, end};
    return true;
}

}  // namespace

DWORD ApplyStoredSet(StoredSetApply* record) {
    if (!record || !record->m_factory) return 0;
    QORVAOptItemHandlerFactory* factory = record->m_factory;
    DWORD result = 1;
    factory->SetNotificationsEnabled(0);

    // Every paper source may be chosen while the set loads; which ones were hidden is kept.
    QORVAOptItemHandler* paper = factory->GetHandler(kPaperSourceKey);
    const LONG paperCount = paper ? paper->GetOptionCount() : 0;
    BYTE* wasHidden = nullptr;
    if (paperCount > 0) {
        wasHidden = static_cast<BYTE*>(HeapAlloc(factory->Heap(), HEAP_ZERO_MEMORY, paperCount));
        if (!wasHidden) {
            factory->SetNotificationsEnabled(1);
            return 0;
        }
        for (LONG i = 0; i < paperCount; ++i) wasHidden[i] = (paper->GetOptionFlags(i) & OPTPF_HIDE) ? 1 : 0;
        for (LONG i = 0; i < paperCount; ++i) paper->HideOption(i, 1, nullptr);
    }
    if (QORVAOptItemHandler* media = factory->GetHandler(kMediaTypeKey)) {
        for (LONG i = 0; i < media->GetOptionCount(); ++i)
            if (media->GetOptionFlags(i) & OPTPF_HIDE) {
                media->SetOptionFlags(i, 0, OPTPF_HIDE, nullptr);
                if (media->FirstLink()) media->FirstLink()->ShowOption(i, 1, nullptr);
            }
    }

    SetEntry entry{};
    for (LPWSTR at = record->m_text; NextEntry(at, &entry); at = entry.m_end + 1) {
        *entry.m_end = 0;
        if (QORVAOptItemHandler* handler = factory->GetHandler(entry.m_key)) handler->QLoad(entry.m_value, &result);
        *entry.m_end = kSetEntryEnd;
    }

    factory->SetNotificationsEnabled(1);
    for (LPWSTR at = record->m_text; NextEntry(at, &entry); at = entry.m_end + 1) {
        QORVAOptItemHandler* handler = factory->GetHandler(entry.m_key);
        if (handler && handler->RouteNotify(entry.m_key, kNotifyStoredSet, 0) == kAnswerRefuse) result = 0;
    }

    // The paper sources that were hidden are hidden again, even when the set chose one of them.
    factory->SetNotificationsEnabled(0);
    if (paper && wasHidden) {
        for (LONG i = 0; i < paperCount && i < paper->GetOptionCount(); ++i) {
            if (!wasHidden[i] || (paper->GetOptionFlags(i) & OPTPF_HIDE)) continue;
            if (paper->GetSel() == i) {
                LONG first = 0;
                while (first < paperCount && (wasHidden[first] || (paper->GetOptionFlags(first) & OPTPF_HIDE))) ++first;
                if (first >= paperCount) first = paperCount - 1;
                paper->SetCurSel(first, nullptr);
            }
            paper->SetOptionFlags(i, OPTPF_HIDE, 0, nullptr);
            if (paper->FirstLink()) paper->FirstLink()->ShowOption(i, 0, nullptr);
        }
    }
    if (wasHidden) HeapFree(factory->Heap(), 0, wasHidden);
    factory->SetNotificationsEnabled(1);
    if (paper) paper->RouteNotify(0, kNotifyInitialise, 0);
    return result;
}
