// Start-up of the installer.
#include "pardex_app.h"

#include "install_log.h"
#include "pardex_dlg.h"
#include "utilities.h"

UINT g_searchEndMessage = RegisterWindowMessageW(u"WM_NOTIFY_SEARCH_END");
UINT g_searchErrorMessage = RegisterWindowMessageW(u"WM_NOTIFY_SEARCH_ERROR");

void CPardexCommandLineInfoClass::ParseParam(const WCHAR* param, BOOL, BOOL) {
    std::u16string text = param ? param : u"";
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    if (text == u"UNINSTALL") m_uninstall = TRUE;
}

BOOL CPardexApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    HANDLE installerMutex = CreateMutexW(nullptr, TRUE, kInstallerMutex);
    const DWORD installerError = GetLastError();
    CDrvData configuration;  // Pardex.ini is read before anything else is set up
    WCHAR marketMutexName[400];
    _snwprintf(marketMutexName, 400, kMarketMutexFormat, configuration.GetMarketName().c_str());
    HANDLE marketMutex = CreateMutexW(nullptr, TRUE, marketMutexName);
    const DWORD marketError = GetLastError();
    auto closeMutexes = [&] {
        if (marketMutex) CloseHandle(marketMutex);
        if (installerMutex) CloseHandle(installerMutex);
    };

    bool anotherInstaller = false;
    if (installerError == ERROR_ALREADY_EXISTS && marketError == ERROR_ALREADY_EXISTS) {
        // An installer of this market runs: bring it forward and leave it the stage.
        if (HWND running = FindWindowW(kInstallerClass, nullptr)) SetForegroundWindow(running);
        closeMutexes();
        return FALSE;
    }
    if (installerError == ERROR_ALREADY_EXISTS) anotherInstaller = true;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(m_hInstance, u"#32770", &windowClass)) {
        windowClass.lpszClassName = kInstallerClass;
        windowClass.hInstance = m_hInstance;
        RegisterClassExW(&windowClass);
    }

    CPardexCommandLineInfoClass commandLine;
    ParseCommandLine(commandLine);
    bool ranWizard = false;
    {
        CPardexDlg dialog(commandLine.m_uninstall);
        if (anotherInstaller) {
            ShowMessageBox(&dialog.m_drvData, nullptr, u"AnotherInstallerRunning", MB_ICONWARNING | MB_OK);
        } else {
            m_pMainWnd = &dialog;
            dialog.DoModal();
            m_pMainWnd = nullptr;
            ranWizard = true;
        }
        // The temporary driver folder is shared by the installers of the machine: only the one
        // that ran its wizard owns it, so a refused second instance leaves it to the running one.
        if (ranWizard) DsDeleteDirectory(dialog.m_drvData.GetTempDriverFolder());
    }
    closeMutexes();
    return FALSE;
}
