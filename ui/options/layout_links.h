// Links of the layout and watermark pages that add behaviour to plain controls:
//   - the pages-per-sheet box (2253), which takes a typed number and snaps it to the nearest
//     offered count, and keeps the kit's borders box (item 2300) in step with the extended check
//     box of the universal driver's pages-per-sheet item (16);
//   - the collate box (1130), disabled while one copy is asked for and kept in step with the
//     extended check box of the driver's copies item (3);
//   - the watermark colour combo box (19352), whose rows carry each colour's value after a bar
//     ("name|decimal colour") for the owner-drawn swatch.
// The driver's items 3 and 16 stay hidden on the kit's pages: the kit's own items hold the same
// choices, and each change is reported to the driver with the item shown for the call.
#pragma once

#include "items/dlglink_buttons.h"
#include "items/dlglink_edit.h"
#include "items/dlglink_list.h"

class QORVAOptItemDlgLinkUDArrowListNUP : public QORVAOptItemDlgLinkUDArrowList {
public:
    QORVAOptItemDlgLinkUDArrowListNUP(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);

    // The page's opening refresh sets the borders item from the driver's check box; a change of
    // the borders item goes to the driver's check box.
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
    // The input method is off while the box has the focus; leaving the box takes the typed count.
    LRESULT Command(WORD code, DWORD controlId) override;
    // The offered count nearest to the typed number is chosen (ties: the earlier one; none within
    // 999: the first); the box then shows the choice again, also when the text was no number.
    void Commit() override;

private:
    QORVAOptItemHandler* m_bordersHandler = nullptr;
};

class QORVAOptItemDlgLinkCheckCOLLATE : public QORVAOptItemDlgLinkCheckbox {
public:
    QORVAOptItemDlgLinkCheckCOLLATE(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);

    // One copy disables collating; the page's opening refresh takes a checked driver check box;
    // a change of the collate item goes to the driver's check box.
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

private:
    QORVAOptItemHandler* m_copiesHandler = nullptr;
    QORVAOptItemHandler* m_collateHandler = nullptr;
};

class QORVAOptItemDlgLinkComboboxCOLOR : public QORVAOptItemDlgLinkCombobox {
public:
    QORVAOptItemDlgLinkComboboxCOLOR(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);

    // Rows are "option text|colour", the colour being the 32-bit value the option's parameter
    // points to, written in decimal.
    LONG Fill(HWND control, LONG index, LPCWSTR text) override;
    // The swatch and the name of one row.
    LRESULT DrawItem(LPARAM drawItem) override;
};
