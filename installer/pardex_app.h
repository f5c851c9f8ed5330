// The installer program: start-up with the single-instance rule across processes, the command
// line, the modal main window, and the clean-up of the temporary driver folder.
#pragma once

#include <afx/afxwin.h>

class CPardexCommandLineInfoClass : public CCommandLineInfo {
public:
    // Sets the uninstall flag for "Uninstall" in any case, flag or not; nothing else counts.
    void ParseParam(const WCHAR* param, BOOL flag, BOOL last) override;
    BOOL m_uninstall = FALSE;
};

class CPardexApp : public CWinApp {
public:
    // Runs the whole program; always FALSE, so no message loop follows.
    BOOL InitInstance() override;
};

// The names the running installers find each other by.
inline constexpr char16_t kInstallerMutex[] = u"Palvex Pardex Mutex";
inline constexpr char16_t kMarketMutexFormat[] = u"Palvex Pardex %s Mutex";
inline constexpr char16_t kInstallerClass[] = u"Palvex Pardex Class";

// The messages the network search ends its dialog with, registered when the program starts.
extern UINT g_searchEndMessage;
extern UINT g_searchErrorMessage;
