// A popup of the driver's sheet run by the headless user: the driver factory is its dialog
// procedure, so the controls get the links of the driver's tables when it opens, and every
// message goes the way the sheet sends it (control notification -> factory -> link -> handler).
#pragma once

#include <vector>

#include <palvex/ui_script.h>

#include "dlglink_fixture.h"
#include "driver_sheet.h"

namespace uitest {

class DriverPageTest : public DriverSheetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the page modally: the actions, then the user closes it. Answers the dialog's result.
    INT_PTR RunPage(const std::vector<TemplateControl>& controls, std::vector<palvex::UserAction> actions);

    static palvex::UserAction Act(palvex::UserAction::Kind kind, int control = 0, int index = 0, std::u16string text = {}) {
        return UserStep(kind, control, index, std::move(text));
    }
    static palvex::UserAction Check(std::function<void(HWND dialog)> check) { return RunStep(std::move(check)); }
    // The user types one character where the caret is (the box gets the focus first).
    static palvex::UserAction Type(int control, WCHAR character);
    // The box gets the focus, then loses it to the dialog's first other control.
    static palvex::UserAction Leave(int control);
};

}  // namespace uitest
