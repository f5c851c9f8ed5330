// Quick settings: named snapshots of the document sheet's item values, kept in the printer's
// DOCUMENTSETTINGS rows so that every user of the printer sees the same list.
//   101    QORVAOptItemHandlerQSCOMBOBOX   the list (entry 0 the defaults, the last the working entry)
//   16100  QORVAOptItemHandlerQSEDITBOX    the name box of the name popup
// The list changes in memory only and reaches the printer's data on the sheet's Apply.
#pragma once

#include <iterator>

#include "items/standard_handlers.h"
#include "options/typed_combobox.h"
#include "items/stored_set.h"

inline constexpr DWORD kQuickSettingsItem = 101;
inline constexpr DWORD kQuickSettingsButton = 150;
inline constexpr DWORD kQuickSettingsNamePopup = 152;
inline constexpr DWORD kQuickSettingsNameBox = 16100;
inline constexpr DWORD kCollateItem = 1130;

// Characters an entry's name takes with its terminator, and those of a typed text.
inline constexpr LONG kQuickSettingsNameLimit = 21;
inline constexpr DWORD kQuickSettingsTypedChars = 64;
// Stored strings read from the rows at most.
inline constexpr DWORD kQuickSettingsMaxEntries = 64;

// Items whose values are no part of a quick setting: the list's own controls, the popups' name
// boxes and custom sizes, texts shown on the pages, push buttons and the items the pages derive.
inline constexpr DWORD kQuickSettingsExcludedItems[] = {
    101,   102,   150,   16100, 17052, 17100, 18100, 17152, 17202, 1011,  1012,  1013,  1142,  1143,  2011,  2012, 2013,
    2603,  2450,  2622,  3011,  3012,  3013,  1075,  103,   25402, 25405, 25407, 25408, 25409, 25502, 25505, 25507, 25508,
    25509, 25604, 1120,  2400,  2250,  3050,  2050,  17050, 250,   1100,  1110,  32501, 1250,  1200,  3200,  1140,  2350,
};
static_assert(std::size(kQuickSettingsExcludedItems) == 51);
bool IsQuickSettingsExcluded(DWORD key);

// True for no text, an empty text or one of blanks and control characters only.
bool IsBlankName(LPCWSTR text);
// True when both texts are there and equal, case counting.
bool SameEntryText(LPCWSTR a, LPCWSTR b);

// The defaults entry's values of the items the printer's default DEVMODE decides (orientation,
// copies, colour, duplex, paper source, paper size and media type), for the items that the sheet's
// selections must not give.
class QORVAQuickSettingsFilterDefaults final : public QORVAQuickSettingsFilter {
public:
    // The printer's default DEVMODE (PRINTER_INFO_8); fixed values stand in when there is none.
    explicit QORVAQuickSettingsFilterDefaults(HANDLE printer);
    ~QORVAQuickSettingsFilterDefaults();
    QORVAQuickSettingsFilterDefaults(const QORVAQuickSettingsFilterDefaults&) = delete;
    QORVAQuickSettingsFilterDefaults& operator=(const QORVAQuickSettingsFilterDefaults&) = delete;

    void GetFieldText(DWORD key, LPCWSTR* text) override;

private:
    const DEVMODEW* Devmode() const;

    WCHAR m_text[32] = {};
    BYTE* m_printerInfo = nullptr;  // PRINTER_INFO_8 with its DEVMODE, from the process heap
};

// One entry's stored settings string while the sheet is open. m_uses is 0 for an entry whose
// values were deleted, 1 once a stored string was loaded, and grows with each capture.
struct QuickSettingRecord {
    StoredItemSet m_set;
    DWORD m_uses;
};

class QORVAOptItemHandlerQSCOMBOBOX : public QORVAOptItemHandlerTypedCombobox {
public:
    QORVAOptItemHandlerQSCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    LONG GetTextLimit() override;
    // Recalls the entry's stored values; when that fails the list returns to the previous entry
    // (deleting the failed one when the deletion flag says so).
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
    // The first shown entry of exactly that name; nothing when there is none.
    LONG_PTR SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) override;
    // The sheet's Apply (no window) writes the list into the rows, all but the working entry's.
    void SaveSettings(HWND window) override;

    // Stores the sheet's current values under the name at that entry (nothing for a negative one).
    void StoreQuickSetting(LONG index, LPCWSTR name);
    // Hides the selected entry and drops its values.
    void DeleteQuickSetting();
    // Captures the defaults entry from the printer's default DEVMODE when it has no values yet,
    // and hides the working entry.
    void LoadDefaults();
    // Gives an entry a text (cut to the entry's buffer) and shows the new text in the controls.
    void SetEntryText(LONG index, LPCWSTR text);

    LONG EntryCount() const { return static_cast<LONG>(m_count); }
    DWORD Applied() const { return m_applied; }
    DWORD Deletion() const { return m_deletion; }
    void SetDeletion(DWORD deleteEntry) { m_deletion = deleteEntry; }
    const QuickSettingRecord* Record(LONG index) const;

private:
    // The captured values of every item that is not excluded, into the record.
    void Capture(QuickSettingRecord* record);
    QuickSettingRecord* MakeRecord(LPCWSTR text);
    void FreeRecord(QuickSettingRecord* record);
    // Gives every entry a text buffer of its own, large enough for any text the list gives it;
    // false when the heap refuses.
    bool OwnEntryTexts();

    DWORD m_count = 0;
    QuickSettingRecord** m_records = nullptr;  // one per entry, or none
    LPWSTR m_entryTexts = nullptr;             // the entries' texts, one fixed-size buffer each
    DWORD m_applied = 1;
    DWORD m_deletion = 1;
    DWORD m_reverting = 0;
};

class QORVAOptItemHandlerQSEDITBOX : public QORVAOptItemHandlerEditbox {
public:
    using QORVAOptItemHandlerEditbox::QORVAOptItemHandlerEditbox;
    LONG GetTextLimit() override;
};

// ApplyDefaults' part for the list: the defaults entry (a list of another class is left alone).
void LoadQuickSettingsDefaults(QORVAOptItemHandler* quickSettings);
