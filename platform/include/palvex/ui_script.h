// The headless user of the window system: what they do in modal dialogs, and how a person can see
// what the screen shows (a PNG picture of a window and its children, and a text dump of the
// window tree for tests).
//
// A modal loop (DialogBoxParamW and friends) dispatches posted messages first; when none is
// waiting it performs the next queued action on the innermost modal dialog. When no action is
// left the user closes the dialog (WM_CLOSE); when it is still open after that, the loop ends it
// with IDCANCEL, so a loop never waits for a person who is not there.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <win/winuser.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct UserAction {
    enum Kind {
        Click,    // BM_CLICK on the control (ignored when it is hidden or disabled)
        SetText,  // types text into the control (an edit box keeps at most its limit), EN_CHANGE
        Check,    // sets a check box's state as a click would (BN_CLICKED when it changes)
        Select,   // selects item index of a list or combo box, LBN_/CBN_SELCHANGE
        Close,    // WM_CLOSE to the dialog
        Wait,     // waits for the next posted message and dispatches it (a worker's report)
        Picture,  // writes the dialog's picture to path
        Dump,     // writes the dialog's window tree to path
        Run,      // calls run with the dialog
        Choose,   // selects the row whose text is text in a list, combo, extended combo or list view
        Spin,     // presses the up-down arrows control index times (negative: down), UDN_DELTAPOS
        Tab,      // clicks a tab: of the tab control control, else of the innermost property sheet;
                  // the tab whose text is text, else tab index
        Apply,    // presses Apply of the innermost property sheet
        Ok,       // presses OK of the innermost property sheet (or the dialog's IDOK)
        Cancel,   // presses Cancel of the innermost property sheet (or the dialog's IDCANCEL)
        Help,     // presses Help of the innermost property sheet (or the dialog's IDHELP)
        Tick,     // clicks the check box of row index of a list view (it turns over, LVN_ITEMCHANGED)
    } kind = Close;
    int control = 0;  // a control id, looked up among the visible descendants of the dialog
    std::u16string text;
    int index = 0;
    std::filesystem::path path;
    std::function<void(HWND dialog)> run;
};

PALVEX_API void QueueUserActions(const std::vector<UserAction>& actions);
// Drops the queued actions and the record of missed ones.
PALVEX_API void ResetUserScript();
// The actions since the last call that found nothing to act on, one line each: a control id no
// visible control of the dialog has ("no control 1141"), a row text no row of the list or tabs
// has ("no row \"Draft\" in control 2402"). A click on a disabled control is no miss: a person's
// click on it does nothing either.
PALVEX_API std::vector<std::string> TakeMissedUserActions();
// Typing (SetText) first gives the edit box the focus (EN_SETFOCUS, and EN_KILLFOCUS to the control
// that had it), then replaces its text (EN_CHANGE). Actions wait in one queue and each goes to the
// innermost modal dialog of its time, so a script runs through nested dialogs (up to the nesting
// depth a modal loop allows, kMaxModalDepth) in the order it is written.
constexpr int kMaxModalDepth = 6;

// Queues the actions of a script file, one a line ("#" starts a comment):
//   click ID | text ID TEXT | check ID 0|1 | select ID INDEX | choose ID TEXT | spin ID COUNT
//   tick ID ROW
//   tab INDEX | tab TEXT | tabof ID INDEX | apply | ok | cancel | help | close | wait
//   picture PATH | dump PATH | answer IDOK... (queues a message-box answer, by number)
// The first modal loop of a process reads the file named by PALVEX_UI_SCRIPT this way.
// False when the file cannot be read or a line is not understood (nothing is queued then).
PALVEX_API bool LoadUserScript(const std::filesystem::path& file);

// The innermost running modal dialog, or null.
PALVEX_API HWND ActiveModalDialog();
// The running modal dialogs, outermost first.
PALVEX_API std::vector<HWND> ModalDialogs();
// Called by every modal loop as it ends, outermost last: tests use it to look at a dialog before
// it is destroyed (null: none).
PALVEX_API void SetModalEndObserver(std::function<void(HWND dialog, INT_PTR result)> observer);

// One line per window, children indented under their parent in z-order:
//   <class> id=<id> "<text>" (<left>,<top>)-(<right>,<bottom>) [hidden] [disabled] [checked]
//   [items=<count>] [selection=<n>] [pos=<n>]
// then, for lists, combo boxes, list views and tab controls, one line per row:
//   - "<text>" [| "<subitem>"...] [selected]
// Rectangles are the window's own (relative to its parent).
PALVEX_API std::string DescribeWindowTree(HWND window);
// Draws the window and its visible children as the screen shows them (a caption bar above a
// window with WS_CAPTION) into a PNG. Windows that paint themselves get WM_PAINT with a device
// context that draws into the picture; owner-drawn controls are drawn by their parent through
// WM_DRAWITEM on the same picture. Throws std::runtime_error when the file cannot be written.
PALVEX_API void WriteWindowPicture(HWND window, const std::filesystem::path& png);

}  // namespace palvex
