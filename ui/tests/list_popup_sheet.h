// The document sheet of the driver's factory with the lists that keep their entries outside the
// devmode: the quick settings (stored in DOCUMENTSETTINGS) and the custom sizes (spooler forms).
// Pages and popups are made from the resource library's templates and driven through the
// factory's dialog procedure; the name popups answer from a script; message boxes are scripted.
#pragma once

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/message_box.h>

#include "driver_sheet.h"
#include "items/standard_handlers.h"

namespace uitest {

// A name popup's push item: the user types the answer into the popup's name box and presses OK
// (an empty answer stands for Cancel or a blank name).
class ScriptedNamePopup final : public QORVAOptItemHandlerPushbutton {
public:
    ScriptedNamePopup(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item, DWORD nameBox)
        : QORVAOptItemHandlerPushbutton(heap, factory, item), m_nameBox(nameBox) {}
    DWORD Push(HWND parent) override;

    // The answer is kept in the object itself: the sheet's heap frees its handlers without running
    // their destructors.
    void Answer(const std::u16string& text) {
        const size_t n = std::min(text.size(), std::size(m_answer) - 1);
        std::copy_n(text.begin(), n, m_answer);
        m_answer[n] = u'\0';
    }

    char16_t m_answer[64] = {};
    int m_pushes = 0;
    HWND m_parent = nullptr;

private:
    DWORD m_nameBox;
};

class ListPopupSheetTest : public DriverSheetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // An edit item with a text buffer of 64 characters.
    POPTITEM AddEditItem(DWORD key);
    // The sheet as the front end makes it: a handler per item, the rules, the defaults; and the
    // scripted name popups of items 152 and 17101.
    void OpenSheet();
    // Closes every page and popup as the sheet's dialog procedure does.
    void ClosePages();
    // A page, or a popup one level down, shown through the factory.
    HWND OpenPage(DWORD dialogId);
    HWND OpenPopup(DWORD dialogId);
    // A control's notification through the factory's dialog procedure.
    void Command(HWND dialog, int controlId, WORD code);
    // Typing into a combo box's edit field, and choosing the row of an option.
    void Type(HWND dialog, int controlId, const std::u16string& text);
    void Choose(HWND dialog, int controlId, LONG option);
    // The sheet's Apply.
    void Apply() { m_factory->OnOK(nullptr); }
    std::vector<palvex::MessageBoxRecord> Boxes() { return palvex::TakeMessageBoxRecords(); }
    std::u16string WindowText(HWND dialog, int controlId);

    OPTITEM m_popupItems[2] = {};  // the push items of the two name popups
    ScriptedNamePopup* m_quickNamePopup = nullptr;
    ScriptedNamePopup* m_mediaNamePopup = nullptr;
    std::vector<HWND> m_windows;
    HWND m_frame = nullptr;
};

}  // namespace uitest
