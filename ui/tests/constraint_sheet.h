// A document sheet of the driver's factory for the page rules' tests: the UI test printer with its
// compiled description, the document sheet's items as the kit's pages show them (paper lists named
// after the machine's forms, the paper source and media lists with their values), the sheet's
// constraints, the printer's trays in its device record, and the Main, Layout and Advanced pages
// made from the resource library's templates. A user's change goes the way a page hands it on:
// the control, the page's dialog procedure, the factory, the link, the handler, the rules.
#pragma once

#include <string>
#include <vector>

#include <palvex/message_box.h>
#include <win/windows.h>

#include "dlglink_fixture.h"
#include "driver_sheet.h"
#include "options/device_info.h"
#include "optitem_sheet.h"

namespace uitest {

// Resource dialogs of the document pages.
inline constexpr DWORD kMainPage = 1000;
inline constexpr DWORD kLayoutPage = 2000;
inline constexpr DWORD kAdvancedPage = 3000;

class ConstraintSheetTest : public DriverSheetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The sheet over the printer's current data (Market and the like are set before), with the
    // trays given (input type and media index of trays 1 to 3 and the manual feed).
    void OpenSheet(const std::vector<std::pair<LONG, LONG>>& trays = {{4, 0}, {3, 0}, {3, 0}, {5, 0}});
    void CloseSheet();
    // The printer's Market value; 0 removes it.
    void SetMarket(DWORD market);
    // A page of the resource library, shown through the factory as the sheet shows it.
    HWND OpenPage(DWORD dialogId);

    // The user's change: the row whose text is text (or the check box's state) is chosen on the
    // page's control, which notifies its dialog.
    void Choose(HWND page, int control, const std::u16string& text);
    void Click(HWND page, int control, bool checked);
    // A value set the way the sheet loads a stored value (no rule asked).
    void Preset(DWORD key, LONG_PTR value);
    // A selection set the same way.
    void PresetSel(DWORD key, LONG_PTR selection);

    LONG_PTR Value(DWORD key);
    LONG_PTR Sel(DWORD key) { return Handler(key)->GetSel(); }
    DWORD State(DWORD key) { return Handler(key)->StateBits(); }
    // The reason shown for a lock bit of an item (its hint's low half), 0 when none.
    WORD Reason(DWORD key, DWORD bit);
    // The message boxes shown since the last call.
    std::vector<palvex::MessageBoxRecord> Boxes() { return palvex::TakeMessageBoxRecords(); }
    std::u16string TextOf(HWND page, int control);

    std::vector<HWND> m_windows;
    HWND m_frame = nullptr;
};

}  // namespace uitest
