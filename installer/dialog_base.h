// The base of every wizard page: a modeless child dialog of the main window that brings its texts
// from its own String.ini section, moves itself into the host's page rectangle, and asks before
// the wizard closes. Also the wizard pages as far as the host needs them: their classes, templates
// and sections, the shared Back and Cancel buttons, and the completion page.
#pragma once

#include <afx/afxwin.h>

#include <string>

class CDrvData;
class CPardexDlg;

class CDialogBase : public CDialog {
public:
    CDialogBase(UINT templateId, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnOK() override {}      // Enter and Esc do nothing inside a page
    void OnCancel() override {}
    BOOL OnCmdMsg(UINT id, int code) override;

    virtual void GetWindowTitle(std::u16string& title);
    virtual void GetHeaderText(std::u16string& header);
    virtual void OnActivatePage(int previousIndex) { (void)previousIndex; }
    virtual int QueryCancel();

    void OnBnClickedButtonCancel();
    void OnBnClickedButtonPrev();

    // Sets the texts of the buttons the page has from its section.
    void SetButtonTexts();

    UINT m_templateIdOfPage;
    CDrvData* m_pDrvData = nullptr;
    CPardexDlg* m_pHost = nullptr;
    int m_pageIndex = 0;
    std::u16string m_caption;
    std::u16string m_header;
    std::u16string m_section;
};

// The pages of the wizard. Their own controls and steps come with their pages; here each brings
// its template and section.
class CDialogLicence : public CDialogBase {
public:
    explicit CDialogLicence(CWnd* parent);
    BOOL OnInitDialog() override;
};
class CDialogSetupmenu : public CDialogBase {
public:
    explicit CDialogSetupmenu(CWnd* parent);
};
class CDialogPrinterPort : public CDialogBase {
public:
    explicit CDialogPrinterPort(CWnd* parent);
};
class CDialogPrinterName : public CDialogBase {
public:
    explicit CDialogPrinterName(CWnd* parent);
};
class CDialogInstallConfirm : public CDialogBase {
public:
    explicit CDialogInstallConfirm(CWnd* parent);
};
class CDialogUpdateConfirm : public CDialogBase {
public:
    explicit CDialogUpdateConfirm(CWnd* parent);
};
class CDialogRemoveConfirm : public CDialogBase {
public:
    explicit CDialogRemoveConfirm(CWnd* parent);
    BOOL OnInitDialog() override;
    // Started for removal, the page is the first one and there is nothing to go back to.
    void OnActivatePage(int previousIndex) override;
};
class CDialogConnectSelect : public CDialogBase {
public:
    explicit CDialogConnectSelect(CWnd* parent);
};
class CDialogDrvFileCopy : public CDialogBase {
public:
    explicit CDialogDrvFileCopy(CWnd* parent);
};
class CDialogComplete : public CDialogBase {
public:
    explicit CDialogComplete(CWnd* parent);
    BOOL OnInitDialog() override;
    BOOL OnCmdMsg(UINT id, int code) override;
    int QueryCancel() override;
};
