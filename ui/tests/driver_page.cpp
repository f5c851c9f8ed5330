#include "driver_page.h"

#include <palvex/message_box.h>

namespace uitest {


void DriverPageTest::SetUp() {
    DriverSheetTest::SetUp();
    palvex::ResetUserScript();
    palvex::ResetMessageBoxScript();
}

void DriverPageTest::TearDown() {
    palvex::ResetUserScript();
    palvex::ResetMessageBoxScript();
    DriverSheetTest::TearDown();
}

INT_PTR DriverPageTest::RunPage(const std::vector<TemplateControl>& controls, std::vector<palvex::UserAction> actions) {
    const std::vector<WORD> bytes = BuildTemplate(controls);
    actions.push_back(Act(palvex::UserAction::Close));
    palvex::QueueUserActions(actions);
    return DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, FactoryPageProc,
                                   reinterpret_cast<LPARAM>(static_cast<QORVAOptItemHandlerFactory*>(m_factory)));
}

palvex::UserAction DriverPageTest::Type(int control, WCHAR character) {
    return Check([control, character](HWND dialog) {
        HWND box = GetDlgItem(dialog, control);
        if (GetFocus() != box) SetFocus(box);
        SendMessageW(box, WM_CHAR, character, 1);
    });
}

palvex::UserAction DriverPageTest::Leave(int control) {
    return Check([control](HWND dialog) {
        HWND box = GetDlgItem(dialog, control);
        SetFocus(box);
        for (HWND other = GetWindow(box, GW_HWNDFIRST); other; other = GetWindow(other, GW_HWNDNEXT))
            if (other != box) {
                SetFocus(other);
                return;
            }
    });
}

}  // namespace uitest
