// The driver file copy page.
#include "dialog_drv_file_copy.h"

#include <win/combaseapi.h>
#include <win/shlobj.h>
#include <win/shlobj_browse.h>
#include <win/shlwapi.h>
#include <win/winfiles_move.h>

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

CDialogDrvFileCopy::CDialogDrvFileCopy(CWnd* parent) : CDialogBase(IDD_DRVFILECOPY, parent) {
    m_pageIndex = 11;
    m_section = u"DriverCopy";
}

std::u16string CDialogDrvFileCopy::SourceFolder() {
    return GetModulePath() + FormatText(16, u"%04x", m_pDrvData->GetLanguageId());
}

BOOL CDialogDrvFileCopy::OnInitDialog() {
    CDialogBase::OnInitDialog();
    if (!m_pDrvData) return TRUE;
    std::u16string caption;
    m_pDrvData->GetString(caption, m_section, u"Window");
    SetWindowTextW(m_hWnd, caption.c_str());
    SetPageTexts({{IDC_STATIC_MESSAGE, u"Main"}, {IDC_STATIC_COPYFOLDER, u"TextCopyFolder"},
                  {IDC_BUTTON_BROWSE, u"ButtonBrowse"}, {IDC_BUTTON_COPY, u"ButtonCopy"},
                  {IDC_STATIC_COPYREADME, u"CopyReadme"}});
    SetDlgItemTextW(m_hWnd, IDC_EDIT_COPYFOLDER, m_pDrvData->GetDefaultCopyFolder().c_str());
    if (!m_pDrvData->CheckDriverFiles()) {
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorShortofFile", kWarning);
        EndWizard();
        return 0;
    }
    return TRUE;
}

int CALLBACK CDialogDrvFileCopy::BrowseCallbackProc(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

void CDialogDrvFileCopy::OnBnClickedButtonBrowse() {
    std::u16string start = ItemText(IDC_EDIT_COPYFOLDER, MAX_PATH);
    if (GetFileAttributesW(start.c_str()) == INVALID_FILE_ATTRIBUTES) {
        WCHAR documents[MAX_PATH] = {};
        PIDLIST_ABSOLUTE item = nullptr;
        if (SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &item) == S_OK) {
            SHGetPathFromIDListW(item, documents);
            CoTaskMemFree(item);
        }
        start = documents;
    }
    BROWSEINFOW browse{};
    browse.lpszTitle = u"コピー先を選択してください";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseCallbackProc;
    browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return;
    WCHAR path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path)) SetDlgItemTextW(m_hWnd, IDC_EDIT_COPYFOLDER, path);
    else ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorInvalidPath", kWarning);
    CoTaskMemFree(chosen);
}

void CDialogDrvFileCopy::OnBnClickedButtonCopy() {
    if (!m_pDrvData || !m_pHost) return;
    CDrvData& data = *m_pDrvData;
    data.WriteLogFormat(3, u"CDialogDrvFileCopy::OnBnClickedButtonCopy\r\n");
    data.m_copyState = 2;
    const std::u16string target = ItemText(IDC_EDIT_COPYFOLDER, MAX_PATH);
    auto refuse = [&](const char16_t* line, const char16_t* key) {
        data.WriteLogFormat(0, line);
        ShowMessageBox(m_pDrvData, m_hWnd, key, kWarning);
    };
    auto fail = [&](const char16_t* line) {
        data.WriteLogFormat(0, line);
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorDriverCopy", kWarning);
        EndWizard();
    };
    if (!target.empty() && target[0] == u'\\') return refuse(u"Error Path 1 (NetworkPath)\r\n", u"ErrorInvalidPath");
    if (target.empty()) return refuse(u"Error Path 2 (Blank\r\n", u"ErrorInvalidPath");
    switch (CheckFolderAccess(target)) {
    case 1: return refuse(u"Check Access NG\r\n", u"ErrorMsg08");
    case 2: return refuse(u"Check Access PATH NG\r\n", u"ErrorInvalidPath");
    default: break;
    }
    const std::u16string source = SourceFolder();
    if (PathIsDirectoryW(target.c_str())) {
        if (data.IsFolderEmpty(target)) {
            if (!DsCopyDirectory(source, target)) return fail(u"Driver file Copy Failed 2\r\n");
        } else {
            if (ShowMessageBox(m_pDrvData, m_hWnd, u"ComfirmContinueCopy", MB_YESNO | MB_ICONWARNING) != IDYES) return;
            if (!DsCopyDirectory(source, target)) return fail(u"Driver file Copy Failed\r\n");
        }
    } else {
        if (!DsCreateDirectory(target)) return fail(u"Make Folder Failed\r\n");
        if (!DsCopyDirectory(source, target)) return fail(u"Driver File Copy Failed 3\r\n");
    }
    const std::u16string inf = target + u"\\" + data.GetInfFileName();
    if (!MoveFileExW((target + u"\\" + data.GetJogFile()).c_str(), inf.c_str(), MOVEFILE_REPLACE_EXISTING))
        return fail(u"Driver File Copy Failed 4\r\n");
    data.m_filesCopied = 1;
    data.m_copiedInfPath = inf;
    data.SetInfPath(inf);
    ShowMessageBox(m_pDrvData, m_hWnd, u"CopyComplete", MB_ICONINFORMATION | MB_OK);
    if (IsAdminUser()) {
        ShowPage(m_pHost, 1);
        return;
    }
    data.WriteLogFormat(0, u"Not Admin User\r\n");
    ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg05", kWarning);
    EndWizard();
}

void CDialogDrvFileCopy::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost) return;
    CDrvData& data = *m_pDrvData;
    data.WriteLogFormat(3, u"CDialogDrvFileCopy::OnBnClickedButtonNext\r\n");
    auto fail = [&]() {
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorDriverCopy", kWarning);
        EndWizard();
    };
    if (!IsAdminUser()) {
        data.WriteLogFormat(0, u"Not Admin User\r\n");
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg05", kWarning);
        EndWizard();
        return;
    }
    const std::u16string staging = data.GetTempDriverFolder();
    DsDeleteDirectory(staging);
    if (!DsCreateDirectory(staging)) {
        data.WriteLogFormat(0, u"Make Directory Failed. %s\r\n", staging.c_str());
        return fail();
    }
    if (!DsCopyDirectory(SourceFolder(), staging)) {
        data.WriteLogFormat(0, u"Driver File Copy Failed. (DsCopyDirectory)\r\n");
        return fail();
    }
    const std::u16string inf = staging + u"\\" + data.GetInfFileName();
    if (!MoveFileExW((staging + u"\\" + data.GetJogFile()).c_str(), inf.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        data.WriteLogFormat(0, u"Driver File Copy Failed. (MoveFileEx)\r\n");
        return fail();
    }
    if (data.m_copyState != 1) data.m_savedInfPath = data.GetInfPath();
    data.SetInfPath(inf);
    data.m_copyState = 1;
    ShowPage(m_pHost, 1);
}

BOOL CDialogDrvFileCopy::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_BUTTON_PREV:
            if (m_pHost) ShowPage(m_pHost, 0);
            return TRUE;
        case IDC_BUTTON_BROWSE: OnBnClickedButtonBrowse(); return TRUE;
        case IDC_BUTTON_COPY: OnBnClickedButtonCopy(); return TRUE;
        case IDC_BUTTON_NEXT: OnBnClickedButtonNext(); return TRUE;
        default: break;
        }
    }
    return CDialogBase::OnCmdMsg(id, code);
}
