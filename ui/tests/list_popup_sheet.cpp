#include "list_popup_sheet.h"

#include <cstring>

#include "items/heap_object.h"
#include "module_state.h"
#include "sheet_pages.h"
#include "xpc.h"

namespace uitest {
namespace {

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

DWORD ScriptedNamePopup::Push(HWND parent) {
    ++m_pushes;
    m_parent = parent;
    if (QORVAOptItemHandler* box = GetHandler(m_nameBox)) box->SelectString(m_answer, nullptr);
    return 0;
}

void ListPopupSheetTest::SetUp() {
    DriverSheetTest::SetUp();
    palvex::ResetMessageBoxScript();
    // The stored settings tables exist before any sheet opens, as on a printer that printed.
    PrinterHandle printer;
    ASSERT_LT(CompileByHandle(printer.get()), 2u);
}

void ListPopupSheetTest::ClosePages() {
    // The pages let go of their links as the sheet's dialog procedure has them do.
    for (auto window = m_windows.rbegin(); window != m_windows.rend(); ++window) {
        if (*window != m_frame && m_factory) m_factory->DialogProc(*window, WM_NCDESTROY, 0, 0);
        DestroyWindow(*window);
    }
    m_windows.clear();
    m_frame = nullptr;
}

void ListPopupSheetTest::TearDown() {
    ClosePages();
    palvex::ResetMessageBoxScript();
    DriverSheetTest::TearDown();
}

POPTITEM ListPopupSheetTest::AddEditItem(DWORD key) {
    POPTITEM item = AddItem(key, TVOT_EDITBOX, 2);
    item->pSel = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 64 * sizeof(WCHAR)));
    return item;
}

void ListPopupSheetTest::OpenSheet() {
    MakeFactory();
    m_popupItems[0] = MakeTestItem(m_heap, 152, TVOT_PUSHBUTTON, 1, {});
    m_popupItems[1] = MakeTestItem(m_heap, 17101, TVOT_PUSHBUTTON, 1, {});
    m_quickNamePopup = MakeOnHeap<ScriptedNamePopup>(m_heap, m_heap, m_factory, &m_popupItems[0], DWORD{16100});
    m_mediaNamePopup = MakeOnHeap<ScriptedNamePopup>(m_heap, m_heap, m_factory, &m_popupItems[1], DWORD{18100});
    m_factory->StoreHandler(152, m_quickNamePopup);
    m_factory->StoreHandler(17101, m_mediaNamePopup);
    m_factory->CreateConstraints();
    m_factory->ApplyDefaults();
}

HWND ListPopupSheetTest::OpenPage(DWORD dialogId) {
    LPCDLGTEMPLATEW form = m_extension->Resources()->GetDialogTemplate(dialogId, FALSE);
    EXPECT_NE(form, nullptr) << dialogId;
    if (!m_frame) {
        m_frame = CreateWindowExW(0, u"STATIC", u"frame", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        m_windows.push_back(m_frame);
    }
    // The pages' preview control is of the plug-in's own class.
    EXPECT_TRUE(RegisterStaticHand(m_extension));
    HWND dialog = CreateDialogIndirectParamW(ui::ModuleHandle(), form, m_frame, QuietProc, 0);
    EXPECT_NE(dialog, nullptr) << dialogId << " error " << GetLastError();
    m_windows.push_back(dialog);
    m_factory->InitDialog(dialog);
    return dialog;
}

HWND ListPopupSheetTest::OpenPopup(DWORD dialogId) {
    m_factory->BeginPushLevel(dialogId);
    return OpenPage(dialogId);
}

void ListPopupSheetTest::Command(HWND dialog, int controlId, WORD code) {
    HWND control = GetDlgItem(dialog, controlId);
    ASSERT_NE(control, nullptr) << controlId;
    m_factory->DialogProc(dialog, WM_COMMAND, MAKEWPARAM(controlId, code), reinterpret_cast<LPARAM>(control));
}

void ListPopupSheetTest::Type(HWND dialog, int controlId, const std::u16string& text) {
    SetWindowTextW(GetDlgItem(dialog, controlId), text.c_str());
    Command(dialog, controlId, CBN_EDITCHANGE);
}

void ListPopupSheetTest::Choose(HWND dialog, int controlId, LONG option) {
    HWND control = GetDlgItem(dialog, controlId);
    LPCWSTR text = Handler(static_cast<DWORD>(controlId))->GetOptionText(option, nullptr, nullptr);
    ASSERT_NE(text, nullptr);
    const LRESULT row = SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_NE(row, CB_ERR) << "no row for option " << option;
    SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    Command(dialog, controlId, CBN_SELCHANGE);
}

std::u16string ListPopupSheetTest::WindowText(HWND dialog, int controlId) {
    WCHAR text[128] = {};
    GetWindowTextW(GetDlgItem(dialog, controlId), text, 128);
    return text;
}

}  // namespace uitest
