// QORVAOptItemHandlerWMCOMBOBOX: the watermark list (item 2402). Its options are the OPTION rows
// of the printer's WATERMARKSETTINGS: entry 0 stands for no watermark, every other entry is a
// watermark named by its text; an empty (hidden) entry is a free slot. Each entry keeps the
// values of the watermark's attribute items (angle, degrees, font, colour, shade, size, style) in
// a stored item set of its own, captured when the selection leaves the entry and applied when
// it comes back. Texts and attributes live in memory until the watermark popup closes through
// OK, which writes the rows; Cancel reads the rows again.
#pragma once

#include "items/standard_handlers.h"
#include "items/stored_set.h"

inline constexpr DWORD kWatermarkListItem = 2402;
inline constexpr DWORD kWatermarkSwitchItem = 32502;
inline constexpr DWORD kWatermarkMessageEdit = 19152;
// Characters of a watermark's text, its terminator included.
inline constexpr LONG kWatermarkTextLimit = 32;
// Entries that keep attributes of their own.
inline constexpr LONG kWatermarkEntries = 64;

// The attribute items of a watermark, in the order their values are stored.
inline constexpr DWORD kWatermarkStoredItems[] = {19202, 19250, 19302, 19352, 19402, 19452, 19502};

class QORVAOptItemHandlerWMCOMBOBOX : public QORVAOptItemHandlerCombobox {
public:
    QORVAOptItemHandlerWMCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    LONG GetTextLimit() override;
    // Leaving an entry captures its attributes; the entry reached gets its own applied (an entry
    // without attributes first takes the description's, once). Item 32502 follows.
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
    // Without a link (and outside New) a plain selection by text. From the text box: renames,
    // empties (deletes) or, with no watermark chosen, makes a watermark in the first free slot.
    LONG_PTR SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) override;
    // The popup's OK writes the rows; every call writes the chosen index into "_WMK_TEXT_IDX".
    void SaveSettings(HWND window) override;
    // Drops every edit and reads the rows again.
    void CancelSettings(HWND window) override;
    // The text box is usable with no watermark chosen only while a slot is free.
    DWORD IsStateClear(QORVAOptItemDlgLink* link, DWORD mask) override;
    // A stored setting keeps the watermark by its text.
    void QSave(StoredItemSet* set) override;
    void QLoad(LPCWSTR text, DWORD* loadedOk) override;

    // The New button's rule sets this while it makes a watermark.
    void SetNewEntry(DWORD making) { m_newEntry = making; }
    // The first hidden watermark (a free slot), -1 when the list is full.
    LONG FirstFreeEntry();
    // The last QLoad found no entry with the stored text.
    DWORD TextMismatch() const { return m_mismatch; }

private:
    struct EntryRecord {
        StoredItemSet m_set;
        DWORD m_useCount;  // 1 as read; more once captured since
    };

    // Reads the rows: the options and each stored attribute set (watermark_list_records.cpp).
    void LoadEntries();
    void FreeRecords();
    EntryRecord* MakeRecord(LONG index, DWORD useCount);
    // The attribute items' values into the entry's record.
    void Capture(LONG index);
    // The entry's record into the attribute items.
    void ApplyRecord(LONG index);
    // A copy of the record's text on the sheet heap, for the rows to keep until they are saved.
    LPWSTR CopyForRows(LONG index);

    // Replaces an entry's text (at most kWatermarkTextLimit - 1 characters) in a buffer of the
    // handler's own (watermark_list_texts.cpp).
    void PutText(LONG index, LPCWSTR text);
    bool IsHidden(LONG index) { return (GetOptionFlags(index) & OPTPF_HIDE) != 0; }
    // Selection by the text box.
    void EmptySelected(LONG selection, QORVAOptItemDlgLink* link);
    void RenameSelected(LONG selection, LPCWSTR text, QORVAOptItemDlgLink* link);
    void MakeEntry(LPCWSTR text, QORVAOptItemDlgLink* link);

    EntryRecord* m_records[kWatermarkEntries] = {};
    LPWSTR m_texts[kWatermarkEntries] = {};
    LONG m_entries = 0;  // entries with a record slot
    DWORD m_edited = 0;
    DWORD m_newEntry = 0;
    DWORD m_mismatch = 0;
};
