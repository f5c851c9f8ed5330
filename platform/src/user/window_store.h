// The windows of the process (internal to the platform library).
//
// Every window lives in one table under one lock. The lock is held only while a window's data is
// read or changed, never while a window procedure runs, since procedures call back into the
// window functions.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <win/winuser.h>

#include "user/dialog_template.h"

namespace palvex::win {

struct WindowClass {
    std::u16string name;  // as registered, e.g. u"Button"
    WNDPROC procedure = nullptr;
    bool registered = false;  // by a module (RegisterClassExW), not a standard class
    WNDCLASSEXW info{};       // what RegisterClassExW was given (name and procedure kept above)
};

// What the dialog manager keeps of a dialog window (window_dialog.cpp).
struct DialogState {
    DLGPROC procedure = nullptr;
    LONG_PTR messageResult = 0;
    LONG_PTR user = 0;
    HFONT font = nullptr;
    bool ownsFont = false;
    int baseUnitX = 8;
    int baseUnitY = 16;
    bool ended = false;
    INT_PTR result = 0;
};

// What a standard or common control keeps besides its text (window_controls.cpp and comctl/).
struct ControlState {
    UINT check = BST_UNCHECKED;
    struct Item {
        std::u16string text;
        LPARAM data = 0;
        int image = -1;          // index in the control's image list
        int selectedImage = -1;  // extended combo box
        UINT state = 0;          // list view: LVIS_*
        std::vector<std::u16string> subitems;  // list view: the texts of columns 1...
    };
    std::vector<Item> items;  // list and combo boxes, list views, tab controls, the tree page
    int selection = -1;
    HANDLE image = nullptr;   // SS_BITMAP / SS_ICON
    UINT limit = 0x7FFFFFFE;  // edit boxes and the edit field of combo boxes
    DWORD selStart = 0, selEnd = 0;  // edit boxes: the selected characters
    struct Column {
        std::u16string text;
        int width = 0;
    };
    std::vector<Column> columns;  // list views in report view
    HANDLE imageList = nullptr;   // tab controls, list views (small icons), extended combo boxes
    int minimum = 0, maximum = 100, position = 0, step = 10;  // scroll bars, up-down, progress
    UINT page = 0;                // scroll bars: the page (SetScrollInfo)
    HWND buddy = nullptr;         // up-down arrows
    DWORD extendedStyle = 0;      // list views: LVS_EX_*
    bool marquee = false;         // progress bars: the moving block instead of a position
    bool pushed = false;          // buttons: held down
    bool shield = false;          // push buttons: BCM_SETSHIELD
};

// Dialog base units of a font (the system's when font is null).
void MeasureBaseUnits(HFONT font, int* x, int* y);
// The dialog font of a template's DS_SETFONT fields; null when the template has none.
HFONT CreateTemplateFont(const std::u16string& face, WORD pointSize, WORD weight, BYTE italic, BYTE charSet);

struct Window {
    HWND handle = nullptr;
    const WindowClass* windowClass = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // the parent of a child window, the owner of a top-level one
    UINT_PTR id = 0;
    std::u16string text;
    RECT rect{};  // relative to the parent's client area (screen for a top-level window)
    HFONT font = nullptr;
    WNDPROC procedure = nullptr;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<HWND> children;  // z-order, top first
    bool destroying = false;
    std::shared_ptr<DialogState> dialog;    // dialogs only
    std::shared_ptr<ControlState> control;  // standard controls only
    std::map<std::u16string, HANDLE> properties;  // names upper-cased
    HICON icons[2] = {nullptr, nullptr};    // WM_SETICON small and big
    bool invalid = true;                    // waits for WM_PAINT
};

class WindowTable {
public:
    static WindowTable& Get();

    std::recursive_mutex& Mutex() { return m_mutex; }
    // The window of a live handle, or null (the caller holds the lock).
    Window* Find(HWND handle);
    Window* Add(std::unique_ptr<Window> window);
    void Remove(HWND handle);
    // The class of that name (without regard to case) or null: a registered class of the
    // instance (any instance when null) first, then a standard class.
    const WindowClass* FindClass(LPCWSTR name, HINSTANCE instance = nullptr) const;
    // False when a registered class of that name and instance exists.
    bool AddClass(std::unique_ptr<WindowClass> windowClass);
    bool RemoveClass(LPCWSTR name, HINSTANCE instance);
    // The top-level windows, for FindWindowW.
    std::vector<HWND> TopLevelWindows();

private:
    WindowTable();
    std::recursive_mutex m_mutex;
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> m_windows;
    std::vector<std::unique_ptr<WindowClass>> m_classes;
    std::vector<std::unique_ptr<WindowClass>> m_removedClasses;  // windows may still point at them
};

// The procedures of the standard classes (window_controls.cpp); the dialog class's is DefDlgProcW.
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ScrollBarProc(HWND, UINT, WPARAM, LPARAM);
// The common controls (comctl/).
LRESULT CALLBACK TabControlProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxExProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK UpDownProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);

// Presses the up (or down) arrow of an up-down control (comctl/up_down.cpp).
void PressUpDown(HWND updown, bool up);

// Runs body on a window's control state under the table's lock; failure for a window without one.
template <class Result, class Body>
Result WithControl(HWND hWnd, Result failure, Body&& body) {
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    Window* window = table.Find(hWnd);
    if (!window || !window->control) return failure;
    return body(*window, *window->control);
}
// A copy of a window's control state (empty for a window that is gone).
ControlState ControlOf(HWND hWnd);
// Sends WM_NOTIFY with the record (whose NMHDR is filled here) to the control's parent; its answer.
LRESULT NotifyParent(HWND control, UINT code, NMHDR* header);
// Sends WM_COMMAND with the notification code to the control's parent.
void CommandParent(HWND control, WORD code);
// Whether the window's class is the named one (without regard to case).
bool IsClassNamed(HWND window, const char16_t* name);

// The text of a string atom of the global atom table (window_atoms.cpp).
bool AtomName(ATOM atom, std::u16string* name);

// Makes a dialog from a parsed template (window_dialog.cpp); null when a control cannot be made.
HWND CreateDialogFromTemplate(HINSTANCE instance, const dlg::DialogTemplate& dialog, HWND parent, DLGPROC procedure,
                              LPARAM initParam);
// Runs a modal loop until the dialog ends (window_modal.cpp); EndDialog's result.
INT_PTR RunModalLoop(HWND dialog);
// True when the message this thread last took off the queue was posted by another thread (a
// worker's report rather than one the window system posted to itself).
bool LastMessageFromAnotherThread();
// Whether the window is the frame of a running property sheet (property_sheet.cpp).
bool IsPropertySheetFrame(HWND window);

// Drops what the focus, foreground and published-window records know of a window being destroyed
// (window_find.cpp).
void ForgetWindow(HWND window);
// Queues the script named by PALVEX_UI_SCRIPT once per process (window_modal.cpp).
void ReadEnvironmentScript();
// Publishes a top-level window of a registered class to the other processes of the machine.
void PublishWindow(HWND window);

// Runs body on the window under the table's lock; fails with ERROR_INVALID_WINDOW_HANDLE when
// the handle is not a window.
template <class Result, class Body>
Result WithWindow(HWND hWnd, Result failure, Body&& body) {
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    Window* window = table.Find(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return failure;
    }
    return body(*window, table);
}

}  // namespace palvex::win
