// Stored item sets: one text that holds a key and a value for any number of items (the quick
// settings and watermark presets). Each entry is
//   U+FFFD  key ("%x")  U+FFFE  value  U+FFFF
// where the value is a number ("%x"), U+FFFC and a text (text values), or an edit item's text as
// it stands. The text ends with a NUL.
#pragma once

#include <win/windows.h>

class QORVAOptItemHandlerFactory;

inline constexpr WCHAR kSetTextLead = 0xFFFC;
inline constexpr WCHAR kSetEntryLead = 0xFFFD;
inline constexpr WCHAR kSetSeparator = 0xFFFE;
inline constexpr WCHAR kSetEntryEnd = 0xFFFF;

// May replace the value text of an entry before it is written (the driver's quick-settings
// filter); the replacement must stay valid until the entry is written.
class QORVAQuickSettingsFilter {
public:
    virtual void GetFieldText(DWORD key, LPCWSTR* text) = 0;

protected:
    ~QORVAQuickSettingsFilter() = default;
};

struct StoredItemSet {
    HANDLE m_heap;
    QORVAQuickSettingsFilter* m_filter;  // null for none
    LPWSTR m_text;                       // from m_heap; null until the first entry
    DWORD m_used;                        // characters, without the terminator
    DWORD m_capacity;                    // characters
};

// Appends one entry with text as its value. FALSE (nothing written) when the heap refuses.
BOOL WriteStoredSet(StoredItemSet* set, DWORD key, LPCWSTR text);
// Frees the set's text.
void FreeStoredSet(StoredItemSet* set);
// The length in characters of a stored set text as the rows hand it over: it may sit unaligned
// in the settings block, so it is read unit by unit.
size_t StoredSetLength(LPCWSTR text);

// What ApplyStoredSet is given: the sheet's factory and the set text.
struct StoredSetApply {
    QORVAOptItemHandlerFactory* m_factory;
    LPWSTR m_text;  // entries as above; its U+FFFF ends are replaced by NUL for a moment
};

// Loads every entry of the text into its item (QLoad) with the sheet's notifications off, then
// tells each item's observers (0xFFFF), keeps the paper-source options that were hidden hidden,
// and ends with 0xFFFE on the paper source. 1 when everything took, else 0.
DWORD ApplyStoredSet(StoredSetApply* record);
