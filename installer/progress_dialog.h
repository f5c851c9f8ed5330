// The progress dialog of every long run (install, update, removal): a worker thread does the
// work and reports to the dialog only by posted messages, WM_USER+1001 with a percentage (100
// ends the dialog) and WM_USER+1002 with a result code and its last error (which ends it too).
// The page that ran it reads the result after DoModal and turns it into text with
// GetResultMessage.
#pragma once

#include <afx/afxthread.h>
#include <afx/afxwin.h>

#include <string>

#include <win/windows.h>

class CDrvData;

#define WM_NOTIFY_PROGRESS (WM_USER + 1001)
#define WM_NOTIFY_RESULT (WM_USER + 1002)

class CDialogProg : public CDialog {
public:
    CDialogProg(CDrvData* drvData, const std::u16string& section, CWnd* parent = nullptr);
    // Waits for the worker to return, so nothing it reads goes away under it.
    ~CDialogProg() override;

    // The dialog runs until its worker reports the end. Its only control a person could use is
    // its button, hidden for the runs that cannot be cancelled, so the loop waits for the
    // worker's messages and acts on nothing else.
    INT_PTR DoModal() override;
    // The font to every child, the bar's range 0 to 100, [section] Window and Main.
    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter, Esc and the close box do not end a run
    void OnCancel() override {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) override;

    LRESULT OnNotifyProgress(WPARAM percent, LPARAM);
    LRESULT OnNotifyError(WPARAM code, LPARAM lastError);

    // Starts the worker with this dialog as its parameter; when no thread can be started the
    // dialog posts itself the start-failure code with its stored last error.
    void StartWorker(AFX_THREADPROC worker, DWORD startFailureCode);
    // StartWorker for a run that cannot be cancelled: its button is hidden first.
    void StartFixedWorker(AFX_THREADPROC worker, DWORD startFailureCode);

    DWORD m_resultCode = 0;
    DWORD m_lastError = 0;
    CDrvData* m_pDrvData;
    std::u16string m_section;
    HWND m_progressBar = nullptr;
    HWND m_mainText = nullptr;
    HWND m_button = nullptr;
    // The dialog's window as the worker posts to it; set before the worker starts.
    HWND m_reportWindow = nullptr;

protected:
    // Waits until the worker has returned (at once when none was started).
    void JoinWorker();

private:
    CWinThread* m_worker = nullptr;
    bool m_ended = false;
};

// What a worker sends its dialog.
void PostProgress(const CDialogProg* dialog, int percent);
void PostResult(const CDialogProg* dialog, DWORD code, DWORD lastError);

// The text of the dialog's result from the completion section: CompleteMsg for 0, ErrorMsgJob for
// pending jobs (528, 777, 1028), ErrorMsgUi for 529, 778, 1029, else ErrorMsg filled with the
// code and the last error.
std::u16string GetResultMessage(const CDialogProg* dialog, const std::u16string& section);
// A text from String.ini used as a format of two numbers: %d, %i, %u, %x and %X (with flags,
// width and precision) take the numbers in turn and "%%" is a percent sign; any other
// conversion is kept as text, so a wrong value cannot make the format read what is not there.
std::u16string FormatTwoNumbers(const std::u16string& format, DWORD first, DWORD second);
