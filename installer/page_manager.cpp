// Creating and switching the wizard pages, and the message boxes of every page.
#include <new>
#include <string_view>

#include "dialog_base.h"
#include "dialog_drv_file_copy.h"
#include "dialog_install_confirm.h"
#include "dialog_connect_select.h"
#include "dialog_licence.h"
#include "dialog_printer_port.h"
#include "dialog_printer_name.h"
#include "dialog_setupmenu.h"
#include "dialog_remove_confirm.h"
#include "dialog_update_confirm.h"
#include "pardex_dlg.h"

namespace {

CDialogBase* MakePage(int index, CWnd* parent) {
    switch (index) {
    case 0: return new CDialogLicence(parent);
    case 1: return new CDialogSetupmenu(parent);
    case 2: return new CDialogPrinterPort(parent);
    case 3: return new CDialogPrinterName(parent);
    case 4: return new CDialogInstallConfirm(parent);
    case 5:
    case 7:
    case 9: return new CDialogComplete(parent);
    case 6: return new CDialogUpdateConfirm(parent);
    case 8: return new CDialogRemoveConfirm(parent);
    case 10: return new CDialogConnectSelect(parent);
    case 11: return new CDialogDrvFileCopy(parent);
    default: return nullptr;
    }
}

// The error text is a format from String.ini filled with two numbers. A format that asks for
// anything but at most two integers (a "%s" would read a number as a text pointer) is not used.
bool TakesTwoNumbersAtMost(const std::u16string& format) {
    int conversions = 0;
    for (size_t at = 0; at < format.size(); ++at) {
        if (format[at] != u'%') continue;
        if (++at < format.size() && format[at] == u'%') continue;
        while (at < format.size() && std::u16string_view(u"-+ #0123456789.").find(format[at]) != std::u16string_view::npos) ++at;
        if (at < format.size() && format[at] == u'l') ++at;
        if (at >= format.size() || std::u16string_view(u"diuxXo").find(format[at]) == std::u16string_view::npos) return false;
        ++conversions;
    }
    return conversions <= 2;
}

}  // namespace

int SetCompletePage(int index, CDialogBase* page) {
    auto* complete = dynamic_cast<CDialogComplete*>(page);
    if (!complete) return 1;
    const char16_t* section = index == 5 ? u"InstallComplete" : index == 7 ? u"UpdateComplete" : index == 9 ? u"UninstallComplete" : nullptr;
    if (section) {
        complete->m_pageIndex = index;
        complete->m_section = section;
    }
    return 1;
}

CDialogBase* CreatePage(PageManager* pages, int index) {
    CDialogBase* page = nullptr;
    try {
        page = MakePage(index, pages->host);
    } catch (const std::bad_alloc&) {
        page = nullptr;
    }
    if (page) {
        SetCompletePage(index, page);
        page->m_pDrvData = pages->settings;
        page->m_pHost = pages->host;
        // A page whose window cannot be made is no page: showing and focusing a window that does
        // not exist would leave the wizard with nothing to click.
        if (!page->Create(page->m_templateIdOfPage, pages->host)) {
            delete page;
            page = nullptr;
        }
    }
    if (!page) pages->settings->WriteLogFormat(0, u"Craete Dlg Failed %d\r\n", index);
    return page;
}

BOOL ChangePage(PageManager* pages, int index) {
    const int oldIndex = pages->index;
    if (pages->previous && pages->previous->m_pageIndex == index) {
        std::swap(pages->previous, pages->current);
        pages->previous->ShowWindow(SW_HIDE);
        pages->current->ShowWindow(SW_SHOW);
        pages->current->SetFocus();
        if (index <= 11) SetCompletePage(index, pages->current);
        pages->current->OnActivatePage(oldIndex);
        pages->index = index;
        return TRUE;
    }
    if (pages->previous) {
        pages->previous->DestroyWindow();
        delete pages->previous;
        pages->previous = nullptr;
    }
    CDialogBase* page = CreatePage(pages, index);
    if (!page) return FALSE;
    page->ShowWindow(SW_SHOW);
    if (pages->current) pages->current->ShowWindow(SW_HIDE);
    page->OnActivatePage(oldIndex);
    pages->previous = pages->current;
    pages->current = page;
    page->SetFocus();
    pages->index = index;
    return TRUE;
}

BOOL ShowPage(CPardexDlg* host, int index) {
    const BOOL changed = ChangePage(&host->m_pages, index);
    if (changed) {
        host->m_pages.current->GetHeaderText(host->m_headerText);
        host->SetWindowTitle(host->m_headerText);
        host->Invalidate(TRUE);
    } else {
        ShowErrorBox(&host->m_drvData, host->m_hWnd, kErrorPage, 0);
    }
    return changed;
}

void DestroyPages(PageManager* pages) {
    for (CDialogBase** page : {&pages->previous, &pages->current}) {
        if (!*page) continue;
        if ((*page)->m_hWnd) (*page)->DestroyWindow();
        delete *page;
        *page = nullptr;
    }
}

int ShowMessageBox(CDrvData* settings, HWND owner, const std::u16string& key, UINT style) {
    if (!settings) return IDCANCEL;
    std::u16string text, caption;
    settings->GetString(text, u"MsgBox", key);
    settings->GetString(caption, u"MsgBox", u"Caption");
    return MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

int ShowErrorBox(CDrvData* settings, HWND owner, DWORD first, DWORD second) {
    if (!settings) return IDCANCEL;
    std::u16string format, caption;
    settings->GetString(format, u"MsgBox", u"ErrorMsg07");
    settings->GetString(caption, u"MsgBox", u"Caption");
    if (format.empty() || !TakesTwoNumbersAtMost(format)) format = u"エラーが発生しました。(0x%08x, 0x%08x)";
    WCHAR text[600];
    _snwprintf(text, 600, format.c_str(), first, second);
    return MessageBoxW(owner, text, caption.c_str(), MB_ICONWARNING | MB_OK);
}
