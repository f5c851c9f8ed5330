// The application-framework layer (afx/afxwin.h) on the dialog manager.
#include <afx/afxwin.h>

#include <palvex/utf8.h>

namespace {

CWinApp* g_app = nullptr;
HINSTANCE g_resources = nullptr;
std::vector<std::u16string> g_arguments;

// The object of the dialog being made, until WM_INITDIALOG ties it to its window.
thread_local CDialog* g_creating = nullptr;

}  // namespace

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    const BOOL destroyed = ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return destroyed;
}

std::u16string CWnd::GetWindowText() const {
    std::u16string text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, u'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);  // no more messages for this object
        ::DestroyWindow(m_hWnd);
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog && g_creating) {
        dialog = g_creating;
        g_creating = nullptr;
        dialog->m_hWnd = window;
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    }
    if (!dialog) return FALSE;
    BOOL handled = FALSE;
    const LRESULT result = dialog->WindowProc(message, wParam, lParam, &handled);
    if (message == WM_NCDESTROY) dialog->m_hWnd = nullptr;
    if (!handled) return FALSE;
    // These answer through the dialog procedure's own result, as the dialog manager reads them
    // (0x0132 is WM_CTLCOLORMSGBOX, the first of the control-colour messages).
    if (message == WM_INITDIALOG || message == WM_QUERYDRAGICON || (message >= 0x0132 && message <= WM_CTLCOLORSTATIC))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM, BOOL* handled) {
    switch (message) {
    case WM_INITDIALOG:
        *handled = TRUE;
        return OnInitDialog();
    case WM_COMMAND:
        *handled = OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_PAINT:
        *handled = TRUE;
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        *handled = TRUE;
        return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    default:
        return 0;
    }
}

BOOL CDialog::OnInitDialog() { return TRUE; }

BOOL CDialog::OnCmdMsg(UINT id, int code) {
    if (code != BN_CLICKED) return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::OnPaint() {
    PAINTSTRUCT paint;
    BeginPaint(m_hWnd, &paint);
    EndPaint(m_hWnd, &paint);
}

INT_PTR CDialog::DoModal() {
    g_creating = this;
    const INT_PTR result = DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_templateId),
                                           m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, DialogProc, 0);
    g_creating = nullptr;
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_templateId = templateId;
    if (parent) m_pParentWnd = parent;
    g_creating = this;
    HWND window = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId),
                                     m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, DialogProc, 0);
    g_creating = nullptr;
    m_hWnd = window;
    return window != nullptr;
}

void CCommandLineInfo::ParseParam(const WCHAR* param, BOOL flag, BOOL) {
    if (!flag && m_strFileName.empty()) m_strFileName = param;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    for (size_t i = 0; i < g_arguments.size(); ++i) {
        std::u16string argument = g_arguments[i];
        const bool flag = !argument.empty() && (argument[0] == u'/' || argument[0] == u'-');
        if (flag) argument.erase(0, 1);
        info.ParseParam(argument.c_str(), flag, i + 1 == g_arguments.size());
    }
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetResourceHandle() {
    if (g_resources) return g_resources;
    return g_app ? g_app->m_hInstance : nullptr;
}

void AfxSetResourceHandle(HINSTANCE instance) { g_resources = instance; }

void AfxSetCommandLine(const std::vector<std::u16string>& arguments) { g_arguments = arguments; }

int AfxWinMain(HINSTANCE instance, int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(palvex::FromUtf8(argv[i]));
    AfxSetCommandLine(arguments);
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    if (app->InitInstance()) {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    }
    return app->ExitInstance();
}
