// CDialogProg: the progress protocol, the dialog's own loop and the result texts.
#include "progress_dialog.h"

#include <win/commctrl.h>
#include <win/synchapi_events.h>

#include "drv_data.h"
#include "resource.h"

namespace {

BOOL CALLBACK SetFontOfChild(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

// Whether the printf conversion character takes an integer argument.
bool IsNumberConversion(char16_t c) { return c == u'd' || c == u'i' || c == u'u' || c == u'x' || c == u'X'; }

}  // namespace

CDialogProg::CDialogProg(CDrvData* drvData, const std::u16string& section, CWnd* parent)
    : CDialog(IDD_PROGRESS, parent), m_pDrvData(drvData), m_section(section) {}

CDialogProg::~CDialogProg() { JoinWorker(); }

void CDialogProg::JoinWorker() {
    if (!m_worker) return;
    WaitForSingleObject(m_worker->m_hThread, INFINITE);
    delete m_worker;
    m_worker = nullptr;
}

BOOL CDialogProg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_progressBar = ::GetDlgItem(m_hWnd, IDC_PROGRESS_BAR);
    m_mainText = ::GetDlgItem(m_hWnd, IDC_STATIC_MESSAGE);
    m_button = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (m_pDrvData && m_pDrvData->m_font9)
        EnumChildWindows(m_hWnd, SetFontOfChild, reinterpret_cast<LPARAM>(m_pDrvData->m_font9));
    SendMessageW(m_progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    if (m_pDrvData) {
        std::u16string text;
        m_pDrvData->GetString(text, m_section, u"Window");
        SetWindowText(text);
        m_pDrvData->GetString(text, m_section, u"Main");
        ::SetWindowTextW(m_mainText, text.c_str());
    }
    return TRUE;
}

void CDialogProg::StartWorker(AFX_THREADPROC worker, DWORD startFailureCode) {
    m_reportWindow = m_hWnd;
    // Kept after it returns, so the destructor can wait for it.
    m_worker = AfxBeginThread(worker, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!m_worker) {
        PostMessageW(m_hWnd, WM_NOTIFY_RESULT, startFailureCode, static_cast<LPARAM>(m_lastError));
        return;
    }
    m_worker->m_bAutoDelete = FALSE;
    m_worker->ResumeThread();
}

void CDialogProg::StartFixedWorker(AFX_THREADPROC worker, DWORD startFailureCode) {
    ::ShowWindow(m_button, SW_HIDE);
    StartWorker(worker, startFailureCode);
}

LRESULT CDialogProg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) {
    if (message == WM_NOTIFY_PROGRESS) {
        *handled = TRUE;
        return OnNotifyProgress(wParam, lParam);
    }
    if (message == WM_NOTIFY_RESULT) {
        *handled = TRUE;
        return OnNotifyError(wParam, lParam);
    }
    return CDialog::WindowProc(message, wParam, lParam, handled);
}

LRESULT CDialogProg::OnNotifyProgress(WPARAM percent, LPARAM) {
    SendMessageW(m_progressBar, PBM_SETPOS, percent, 0);
    if (percent == 100) {
        m_ended = true;
        EndDialog(0);
    }
    return 0;
}

LRESULT CDialogProg::OnNotifyError(WPARAM code, LPARAM lastError) {
    m_resultCode = static_cast<DWORD>(code);
    m_lastError = static_cast<DWORD>(lastError);
    if (m_pDrvData)
        m_pDrvData->WriteLogFormat(0, u"Notify Error (Code:%d LastError:%d)\r\n", static_cast<int>(m_resultCode),
                                   static_cast<int>(m_lastError));
    m_ended = true;
    EndDialog(0);
    return 0;
}

INT_PTR CDialogProg::DoModal() {
    m_ended = false;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!Create(m_templateId, m_pParentWnd)) return -1;
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(SW_SHOW);
    while (!m_ended && m_hWnd) {
        // Looked at before the queue: a worker that had returned then has posted all it will.
        const bool workerReturned = m_worker && WaitForSingleObject(m_worker->m_hThread, 0) == WAIT_OBJECT_0;
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (workerReturned) break;  // it left without its last report: nothing more will come
            if (!GetMessageW(&message, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
        } else if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        DispatchMessageW(&message);
    }
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow();
    return 0;
}

void PostProgress(const CDialogProg* dialog, int percent) {
    PostMessageW(dialog->m_reportWindow, WM_NOTIFY_PROGRESS, static_cast<WPARAM>(percent), 0);
}

void PostResult(const CDialogProg* dialog, DWORD code, DWORD lastError) {
    PostMessageW(dialog->m_reportWindow, WM_NOTIFY_RESULT, code, static_cast<LPARAM>(lastError));
}

std::u16string FormatTwoNumbers(const std::u16string& format, DWORD first, DWORD second) {
    const DWORD numbers[2] = {first, second};
    int used = 0;
    std::u16string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < format.size() && std::u16string_view(u"-+ #0123456789.").find(format[end]) != std::u16string_view::npos)
            ++end;
        if (end >= format.size() || !IsNumberConversion(format[end]) || used == 2) {
            out += format[i];  // not a number conversion: the text stays as it is
            continue;
        }
        const std::u16string conversion = format.substr(i, end - i + 1);
        WCHAR buffer[64];
        const int length = _snwprintf(buffer, 63, conversion.c_str(), numbers[used++]);
        if (length > 0) out.append(buffer, static_cast<size_t>(std::min(length, 63)));
        i = end;
    }
    return out;
}

std::u16string GetResultMessage(const CDialogProg* dialog, const std::u16string& section) {
    std::u16string text;
    CDrvData* settings = dialog->m_pDrvData;
    if (!settings) return text;
    switch (dialog->m_resultCode) {
    case 0: settings->GetString(text, section, u"CompleteMsg"); return text;
    case 528: case 777: case 1028: settings->GetString(text, section, u"ErrorMsgJob"); return text;
    case 529: case 778: case 1029: settings->GetString(text, section, u"ErrorMsgUi"); return text;
    default: break;
    }
    settings->GetString(text, section, u"ErrorMsg");
    return FormatTwoNumbers(text, dialog->m_resultCode, dialog->m_lastError);
}
