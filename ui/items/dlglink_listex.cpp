// Extended combo box and list view links.
#include "dlglink_listex.h"

#include <string>

#include "couipluginext.h"
#include "coresources.h"
#include "handler_factory.h"
#include "optitem_handler.h"

QORVAOptItemDlgLinkListEx::QORVAOptItemDlgLinkListEx(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                     DWORD controlId, DWORD linkFlags, UINT getSelMsg, UINT setSelMsg,
                                                     WORD selChangeCode, DWORD sorted)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags),
      m_getSelMsg(getSelMsg),
      m_setSelMsg(setSelMsg),
      m_selChangeCode(selChangeCode),
      m_sorted(sorted),
      m_listItem{} {
    if (m_handler) m_rows.Init(m_heap, m_handler->GetOptionCount());
}

void QORVAOptItemDlgLinkListEx::FillRows() {
    if (!m_handler || !m_rows.Ready()) return;
    for (LONG i = 0; i < m_rows.m_count; ++i) {
        DWORD visible = 0;
        LPCWSTR text = m_handler->GetOptionText(i, &visible, this);
        if (visible) Fill(m_control, i, text, m_handler->GetOptionIconID(i, nullptr));
    }
}

int QORVAOptItemDlgLinkListEx::ImageOf(ULONG_PTR iconId) {
    if (!iconId || !m_handler) return -1;
    QORVAOptItemHandlerFactory* factory = m_handler->Factory();
    CoUIPluginExt* extension = factory ? factory->Extension() : nullptr;
    IDrvResources* resources = extension ? extension->Resources() : nullptr;
    HICON icon = nullptr;
    // The provider keeps its icons: the image list takes a copy.
    if (!resources || FAILED(resources->LoadIcon(static_cast<DWORD>(iconId), 16, &icon)) || !icon) return -1;
    if (!m_imageList) {
        m_imageList = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, m_rows.m_count, 1);
        if (!m_imageList) return -1;
        AttachImageList();
    }
    return ImageList_ReplaceIcon(m_imageList, -1, icon);
}

void QORVAOptItemDlgLinkListEx::ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) {
    if (m_handler) {
        if (shown) {
            DWORD visible = 0;
            LPCWSTR text = m_handler->GetOptionText(index, &visible, this);
            Fill(m_control, index, text, m_handler->GetOptionIconID(index, nullptr));
        } else {
            DeleteRow(m_control, index);
        }
        SelectCurrent();
    }
    QORVAOptItemDlgLink::ShowOption(index, shown, source);
}

void QORVAOptItemDlgLinkListEx::RefreshOption(LONG index, QORVAOptItemDlgLink* source) {
    if (m_handler) {
        DeleteRow(m_control, index);
        DWORD visible = 0;
        LPCWSTR text = m_handler->GetOptionText(index, &visible, this);
        if (visible) Fill(m_control, index, text, m_handler->GetOptionIconID(index, nullptr));
        SelectCurrent();
    }
    QORVAOptItemDlgLink::RefreshOption(index, source);
}

DWORD QORVAOptItemDlgLinkListEx::Detach(HWND dialog) {
    if (HWND parent = m_control ? GetParent(m_control) : nullptr; parent && parent != dialog) return 0;
    if (m_imageList) ImageList_Destroy(m_imageList);
    m_imageList = nullptr;
    m_rows.Free(m_heap);
    return QORVAOptItemDlgLink::Detach(dialog);
}

// --- extended combo box -------------------------------------------------------------------------

QORVAOptItemDlgLinkComboboxEx::QORVAOptItemDlgLinkComboboxEx(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                             DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkListEx(heap, handler, control, controlId, linkFlags, CB_GETCURSEL, CB_SETCURSEL, CBN_SELCHANGE,
                                (linkFlags & CBS_SORT) ? 1 : 0) {
    FillRows();
    UpdateControl(nullptr);
}

LONG QORVAOptItemDlgLinkComboboxEx::Fill(HWND control, LONG index, LPCWSTR text, ULONG_PTR iconId) {
    if (!m_rows.Ready() || index < 0 || index >= m_rows.m_count || m_rows.RowOf(index) >= 0) return index;
    std::u16string row = m_rows.NumberCopy(m_handler, this, index, text);
    const int image = ImageOf(iconId);
    m_comboItem = {};
    m_comboItem.mask = CBEIF_TEXT;
    m_comboItem.pszText = row.data();
    if (image >= 0) {
        m_comboItem.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        m_comboItem.iImage = m_comboItem.iSelectedImage = image;
    }
    m_comboItem.iItem = m_sorted ? -1 : m_rows.RowsBefore(index);
    const LRESULT at = SendMessageW(control, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&m_comboItem));
    m_comboItem.pszText = nullptr;
    if (at >= 0) m_rows.Inserted(index, static_cast<LONG>(at));
    return index;
}

void QORVAOptItemDlgLinkComboboxEx::DeleteRow(HWND control, LONG index) {
    const LONG row = m_rows.Removed(index);
    if (row >= 0) SendMessageW(control, CB_DELETESTRING, static_cast<WPARAM>(row), 0);
}

void QORVAOptItemDlgLinkComboboxEx::AttachImageList() {
    SendMessageW(m_control, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imageList));
}

void QORVAOptItemDlgLinkComboboxEx::SelectCurrent() {
    if (!m_handler) return;
    const LONG_PTR current = m_handler->GetSel();
    if (current == m_noSelection) return;
    m_updating = 1;
    SendMessageW(m_control, m_setSelMsg, static_cast<WPARAM>(m_rows.RowOf(static_cast<LONG>(current))), 0);
    m_updating = 0;
}

LRESULT QORVAOptItemDlgLinkComboboxEx::Command(WORD code, DWORD) {
    if (!m_handler || m_updating) return 0;
    if (code == m_selChangeCode) {
        m_handler->ReadControl(nullptr);
        const LONG option = m_rows.OptionOf(static_cast<LONG>(SendMessageW(m_control, m_getSelMsg, 0, 0)));
        if (option < 0) return 0;
        m_handler->SetCurSel(option, this);
        return 1;
    }
    if (code == CBN_EDITCHANGE) {
        m_handler->ReadControl(this);
        m_handler->RouteNotify(m_controlId, CBN_EDITCHANGE, 0);
        RefreshNow();
    }
    return 0;
}

void QORVAOptItemDlgLinkComboboxEx::UpdateControl(QORVAOptItemDlgLink* source) {
    if (source != this && m_handler) {
        m_updating = 1;
        ShowComboCurrent(m_handler, this, m_control, m_rows, m_noSelection, m_setSelMsg);
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// --- list view ----------------------------------------------------------------------------------

QORVAOptItemDlgLinkListview::QORVAOptItemDlgLinkListview(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                         DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkListEx(heap, handler, control, controlId, linkFlags, 0, 0, 0,
                                (linkFlags & LVS_SORTASCENDING) ? 1 : 0) {
    if ((linkFlags & LVS_TYPEMASK) == LVS_REPORT) MakeColumns();
    FillRows();
    UpdateControl(nullptr);
}

void QORVAOptItemDlgLinkListview::MakeColumns() {
    const OPTITEM* item = m_handler ? m_handler->Item() : nullptr;
    LPCWSTR name = nullptr;
    if (item && item->pName)
        name = IS_INTRESOURCE(item->pName) ? m_handler->LoadResString(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(item->pName)))
                                           : item->pName;
    LVCOLUMNW column{};
    if (!name || !*name) {
        SetWindowLongW(m_control, GWL_STYLE, GetWindowLongW(m_control, GWL_STYLE) | LVS_NOCOLUMNHEADER);
        RECT client{};
        GetClientRect(m_control, &client);
        column.mask = LVCF_WIDTH;
        column.cx = client.right - client.left;
        SendMessageW(m_control, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        m_columnCount = 1;
        return;
    }
    const std::u16string names(name);
    size_t start = 0;
    for (;;) {
        const size_t end = names.find(u';', start);
        std::u16string piece = names.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        column = {};
        column.mask = LVCF_TEXT;
        column.pszText = piece.data();
        SendMessageW(m_control, LVM_INSERTCOLUMNW, m_columnCount, reinterpret_cast<LPARAM>(&column));
        ++m_columnCount;
        if (end == std::u16string::npos) break;
        start = end + 1;
    }
}

LONG QORVAOptItemDlgLinkListview::Fill(HWND control, LONG index, LPCWSTR text, ULONG_PTR iconId) {
    if (!m_rows.Ready() || index < 0 || index >= m_rows.m_count || m_rows.RowOf(index) >= 0) return index;
    std::u16string row = m_rows.NumberCopy(m_handler, this, index, text);
    const int image = ImageOf(iconId);
    m_listItem = {};
    m_listItem.mask = LVIF_TEXT;
    m_listItem.pszText = row.data();
    if (image >= 0) {
        m_listItem.mask |= LVIF_IMAGE;
        m_listItem.iImage = image;
    }
    m_listItem.iItem = m_sorted ? -1 : m_rows.RowsBefore(index);
    const LRESULT at = SendMessageW(control, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&m_listItem));
    m_listItem.pszText = nullptr;
    if (at >= 0) m_rows.Inserted(index, static_cast<LONG>(at));
    return index;
}

void QORVAOptItemDlgLinkListview::DeleteRow(HWND control, LONG index) {
    const LONG row = m_rows.Removed(index);
    if (row >= 0) SendMessageW(control, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void QORVAOptItemDlgLinkListview::AttachImageList() {
    SendMessageW(m_control, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_imageList));
}

// The row is found through the option map, so hidden options and a sorted view select the right
// row.
void QORVAOptItemDlgLinkListview::SelectCurrent() {
    if (!m_handler) return;
    const LONG row = m_rows.RowOf(static_cast<LONG>(m_handler->GetSel()));
    if (row < 0) return;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    m_updating = 1;
    SendMessageW(m_control, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    m_updating = 0;
}

LRESULT QORVAOptItemDlgLinkListview::OnNotify(LPARAM header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!change || !m_handler || m_updating || change->hdr.code != LVN_ITEMCHANGED) return 0;
    if (!(change->uChanged & LVIF_STATE) || !(change->uNewState & LVIS_SELECTED) || (change->uOldState & LVIS_SELECTED))
        return 0;
    // The row's option, not the row number: they differ once an option is hidden or rows sort.
    const LONG option = m_rows.OptionOf(change->iItem);
    if (option >= 0) m_handler->SetCurSel(option, this);
    return 0;
}

void QORVAOptItemDlgLinkListview::UpdateControl(QORVAOptItemDlgLink* source) {
    if (source != this && m_handler && m_handler->GetSel() != m_noSelection) SelectCurrent();
    QORVAOptItemDlgLink::UpdateControl(source);
}
