// A page for the dialog-link tests: a dialog made from a small template in memory, run modally by
// the headless user, whose controls get their links from the factory by window class. Messages
// reach the links the way the sheet's dialog procedure hands them on (control notification ->
// dialog procedure -> link -> handler), and every refresh the links queue is flushed afterwards.
#pragma once

#include <string>
#include <vector>

#include <palvex/ui_script.h>

#include "items/optitem_dlglink.h"
#include "optitem_sheet.h"

namespace uitest {

// One control of the template, placed in dialog units.
struct TemplateControl {
    std::u16string className;
    DWORD style;
    WORD id;
    std::u16string text;
    short x = 5, y = 5, cx = 80, cy = 14;
};
// A DLGTEMPLATE (no font) of a 300 x 200 popup with the controls, as the resource compiler lays it out.
std::vector<WORD> BuildTemplate(const std::vector<TemplateControl>& controls);

// The headless user's steps: an action on a control, and a look or a change a test makes itself.
palvex::UserAction UserStep(palvex::UserAction::Kind kind, int control = 0, int index = 0, std::u16string text = {});
palvex::UserAction RunStep(std::function<void(HWND dialog)> run);

// The dialog procedure the sheets give a page of the driver's factory (lParam at WM_INITDIALOG):
// the factory's InitDialog makes the session and the links, every other message goes to its
// DialogProc.
INT_PTR CALLBACK FactoryPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Which control shows which item: the links are made when the page initialises.
struct LinkBinding {
    DWORD key;
    WORD controlId;
    DWORD extraFlags = 0;
};

class LinkFactory final : public QORVAOptItemHandlerFactory {
public:
    using QORVAOptItemHandlerFactory::QORVAOptItemHandlerFactory;
    void CreateConstraints() override {}
    void ApplyDefaults() override {}
    void PrepareItems() override {}
    // The links of the handler's controls, in binding order, attached to its chain.
    void CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler) override;
    // The messages a page hands to its links, and the links' release at WM_NCDESTROY.
    INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

    std::vector<LinkBinding> m_bindings;
    // Links released at the dialog's end (Detach answered nonzero).
    int m_released = 0;
};

class LinkTest : public SheetTest {
protected:
    ~LinkTest() override;
    // Sets the texts of an item's options (and its name).
    void SetTexts(POPTITEM item, const std::vector<const char16_t*>& texts);
    LinkFactory* MakeLinkFactory();
    // Runs the page modally: the actions, then the user closes it. Answers the dialog's result.
    INT_PTR RunPage(const std::vector<TemplateControl>& controls, std::vector<palvex::UserAction> actions);

    static palvex::UserAction Act(palvex::UserAction::Kind kind, int control = 0, int index = 0, std::u16string text = {}) {
        return UserStep(kind, control, index, std::move(text));
    }
    static palvex::UserAction Check(std::function<void(HWND dialog)> check) { return RunStep(std::move(check)); }

    LinkFactory* m_links = nullptr;
};

// What a test reads off a control.
std::u16string TextOf(HWND window);
bool Visible(HWND window);
bool Enabled(HWND window);
// The rows of a list box, combo box, extended combo box or list view, top to bottom.
std::vector<std::u16string> Rows(HWND list);
// The selected row's text ("" when none).
std::u16string SelectedRow(HWND list);

}  // namespace uitest
