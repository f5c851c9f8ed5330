// Page 11: the driver files of the installer's language folder copied to a place on the computer.
// Copy puts them into a folder the user chooses, to install the driver later without the wizard;
// Next stages them in the temporary driver folder and the wizard installs from that copy. In the
// language folder the INF is kept under the marker name JOGFILE; every copy renames it to INFFILE.
#pragma once

#include <string>

#include "dialog_base.h"

class CDialogDrvFileCopy : public CDialogBase {
public:
    explicit CDialogDrvFileCopy(CWnd* parent);

    BOOL OnInitDialog() override;
    BOOL OnCmdMsg(UINT id, int code) override;

    void OnBnClickedButtonBrowse();
    void OnBnClickedButtonCopy();
    void OnBnClickedButtonNext();

    // Sets the browser's first selection to the folder it was given.
    static int CALLBACK BrowseCallbackProc(HWND window, UINT message, LPARAM parameter, LPARAM data);

    // The driver files of the language folder beside the program.
    std::u16string SourceFolder();
};
