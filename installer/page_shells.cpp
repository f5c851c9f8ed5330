// The pages whose own steps are still to come: texts, and Back as the wizard's graph has it.
#include "page_shells.h"

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"

namespace {

// A page whose Back leads elsewhere than the setup menu.
BOOL BackTo(CDialogBase& page, UINT id, int code, int target) {
    if (code != BN_CLICKED || id != IDC_BUTTON_PREV || !page.m_pHost) return FALSE;
    ShowPage(page.m_pHost, target);
    return TRUE;
}

}  // namespace

#define PAGE_CONSTRUCTOR(Class, templateId, index, section)             \
    Class::Class(CWnd* parent) : CDialogBase(templateId, parent) {     \
        m_pageIndex = index;                                            \
        m_section = section;                                            \
    }                                                                   \
    BOOL Class::OnInitDialog() {                                        \
        CDialogBase::OnInitDialog();                                    \
        SetButtonTexts();                                               \
        SetItemText(IDC_STATIC_MESSAGE, u"Message");                    \
        return TRUE;                                                    \
    }

PAGE_CONSTRUCTOR(CDialogPrinterName, IDD_PRINTERNAME, 3, u"PrinterName")
PAGE_CONSTRUCTOR(CDialogInstallConfirm, IDD_CONFIRM, 4, u"InstallConfirm")
PAGE_CONSTRUCTOR(CDialogUpdateConfirm, IDD_CONFIRM, 6, u"UpdateConfirm")
PAGE_CONSTRUCTOR(CDialogRemoveConfirm, IDD_CONFIRM, 8, u"UninstallConfirm")
PAGE_CONSTRUCTOR(CDialogConnectSelect, IDD_CONNECTSELECT, 10, u"ConnectSelect")
PAGE_CONSTRUCTOR(CDialogDrvFileCopy, IDD_DRVFILECOPY, 11, u"DriverCopy")

void CDialogRemoveConfirm::OnActivatePage(int previousIndex) {
    ::ShowWindow(GetDlgItem(IDC_BUTTON_PREV), previousIndex == m_pageIndex ? SW_HIDE : SW_SHOW);
}

BOOL CDialogPrinterName::OnCmdMsg(UINT id, int code) { return BackTo(*this, id, code, 2) || CDialogBase::OnCmdMsg(id, code); }
BOOL CDialogInstallConfirm::OnCmdMsg(UINT id, int code) { return BackTo(*this, id, code, 3) || CDialogBase::OnCmdMsg(id, code); }
BOOL CDialogDrvFileCopy::OnCmdMsg(UINT id, int code) { return BackTo(*this, id, code, 0) || CDialogBase::OnCmdMsg(id, code); }
