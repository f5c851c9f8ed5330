// Extended combo box and list view links.
#include "dlglink_listex.h"

#include <string>

#include "couipluginext.h"
#include "coresources.h"
#include "handler_factory.h"
#include "optitem_handler.h"

bool RowNewlySelected(LPARAM header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    return change && change->hdr.code == LVN_ITEMCHANGED && (change->uChanged & LVIF_STATE) &&
           (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED);
}

QORVAOptItemDlgLinkListEx::QORVAOptItemDlgLinkListEx(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                     DWORD controlId, DWORD linkFlags, UINT getSelMsg, UINT setSelMsg,
                                                     WORD selChangeCode, DWORD sorted)
    : QORVAOptItemDlgLinkOptionList(heap, handler, control, controlId, linkFlags, sorted),
      m_getSelMsg(getSelMsg),
      m_setSelMsg(setSelMsg),
      m_selChangeCode(selChangeCode),
      m_listItem{} {}

void QORVAOptItemDlgLinkListEx::AddOptionRow(LONG index, LPCWSTR text) {
    Fill(m_control, index, text, m_handler->GetOptionIconID(index, nullptr));
}

LONG QORVAOptItemDlgLinkListEx::Fill(HWND control, LONG index, LPCWSTR text, ULONG_PTR iconId) {
    if (!WantsRow(index)) return index;
    std::u16string row = m_rows.NumberCopy(m_handler, this, index, text);
    const int image = ImageOf(iconId);
    const LRESULT at = InsertOptionItem(control, InsertionRow(index), row.data(), image);
    if (at >= 0) m_rows.Inserted(index, static_cast<LONG>(at));
    return index;
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

DWORD QORVAOptItemDlgLinkListEx::Detach(HWND dialog) {
    if (InOtherDialog(dialog)) return 0;
    if (m_imageList) ImageList_Destroy(m_imageList);
    m_imageList = nullptr;
    return QORVAOptItemDlgLinkOptionList::Detach(dialog);
}

// --- extended combo box -------------------------------------------------------------------------

QORVAOptItemDlgLinkComboboxEx::QORVAOptItemDlgLinkComboboxEx(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                             DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkListEx(heap, handler, control, controlId, linkFlags, CB_GETCURSEL, CB_SETCURSEL, CBN_SELCHANGE,
                                (linkFlags & CBS_SORT) ? 1 : 0) {
    AddVisibleRows();
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkComboboxEx::InsertOptionItem(HWND control, LONG at, LPWSTR text, int image) {
    m_comboItem = {};
    m_comboItem.mask = CBEIF_TEXT;
    m_comboItem.pszText = text;
    if (image >= 0) {
        m_comboItem.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        m_comboItem.iImage = m_comboItem.iSelectedImage = image;
    }
    m_comboItem.iItem = at;
    const LRESULT row = SendMessageW(control, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&m_comboItem));
    m_comboItem.pszText = nullptr;
    return row;
}

void QORVAOptItemDlgLinkComboboxEx::DeleteOptionRow(LONG index) {
    DeleteRowWith(index, CB_DELETESTRING);
}

void QORVAOptItemDlgLinkComboboxEx::AttachImageList() {
    SendMessageW(m_control, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imageList));
}

void QORVAOptItemDlgLinkComboboxEx::SelectCurrent() {
    SelectCurrentRow(m_setSelMsg);
}

LRESULT QORVAOptItemDlgLinkComboboxEx::Command(WORD code, DWORD) {
    return ComboCommand(code, m_getSelMsg);
}

void QORVAOptItemDlgLinkComboboxEx::UpdateControl(QORVAOptItemDlgLink* source) {
    UpdateCombo(source, m_setSelMsg);
}

// --- list view ----------------------------------------------------------------------------------

QORVAOptItemDlgLinkListview::QORVAOptItemDlgLinkListview(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                         DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkListEx(heap, handler, control, controlId, linkFlags, 0, 0, 0,
                                (linkFlags & LVS_SORTASCENDING) ? 1 : 0) {
    if ((linkFlags & LVS_TYPEMASK) == LVS_REPORT) MakeColumns();
    AddVisibleRows();
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

LRESULT QORVAOptItemDlgLinkListview::InsertOptionItem(HWND control, LONG at, LPWSTR text, int image) {
    m_listItem = {};
    m_listItem.mask = LVIF_TEXT;
    m_listItem.pszText = text;
    if (image >= 0) {
        m_listItem.mask |= LVIF_IMAGE;
        m_listItem.iImage = image;
    }
    m_listItem.iItem = at;
    const LRESULT row = SendMessageW(control, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&m_listItem));
    m_listItem.pszText = nullptr;
    return row;
}

void QORVAOptItemDlgLinkListview::DeleteOptionRow(LONG index) {
    DeleteRowWith(index, LVM_DELETEITEM);
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
    if (!m_handler || m_updating || !RowNewlySelected(header)) return 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    // The row's option, not the row number: they differ once an option is hidden or rows sort.
    const LONG option = m_rows.OptionOf(change->iItem);
    if (option >= 0) m_handler->SetCurSel(option, this);
    return 0;
}

