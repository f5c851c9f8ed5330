// The pages whose own steps are still to come: texts, and Back as the wizard's graph has it.
#include "page_shells.h"

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"

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

PAGE_CONSTRUCTOR(CDialogUpdateConfirm, IDD_CONFIRM, 6, u"UpdateConfirm")
PAGE_CONSTRUCTOR(CDialogRemoveConfirm, IDD_CONFIRM, 8, u"UninstallConfirm")

void CDialogRemoveConfirm::OnActivatePage(int previousIndex) {
    ::ShowWindow(GetDlgItem(IDC_BUTTON_PREV), previousIndex == m_pageIndex ? SW_HIDE : SW_SHOW);
}

