#include "device_page_links_lists.h"

#include <win/commctrl.h>

#include "coresources.h"
#include "device_info_controls.h"
#include "device_page_links_devopt.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "items/system_func.h"

namespace {

constexpr DWORD kDevoptCombo = 25103;
constexpr DWORD kPageTrayList = 25181;
constexpr int kPopupTrayList = 25201;
constexpr DWORD kPopupSizeCombo = 25203;
constexpr DWORD kPopupMediaCombo = 25205;
constexpr DWORD kTrayNameIds[kTrayCount] = {25210, 25211, 25212, 25214};
constexpr DWORD kColumnTextIds[3] = {25185, 25186, 25187};
constexpr DWORD kTrayChoiceTexts[3] = {25120, 25121, 25188};
constexpr DWORD kTrayRowName = 25110;
constexpr DWORD kManualUnitName = 25111;
constexpr DWORD kInstalledText = 25123;
constexpr DWORD kTrayIcon = 9360;
constexpr DWORD kTextChars = 64;
constexpr DWORD kFormChars = 32;
constexpr LONG kPlainPaper = 513;
// The platform's values of a left-aligned column, a list view without scroll bars and the
// system's warning icon.
constexpr int kColumnLeft = 0x0000;
constexpr LONG kListNoScroll = 0x2000;

QVDevinfoData* RecordOf(QORVAOptItemHandler* handler) {
    return FindDevinfoData(handler ? handler->Factory() : nullptr);
}

// A list view made afresh: no rows, no columns.
void ClearList(HWND list) {
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0)) {
    }
}

void InsertColumn(HWND list, int position, int width, LPCWSTR text) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_FMT;
    column.fmt = kColumnLeft;
    column.cx = width;
    column.pszText = const_cast<LPWSTR>(text);
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&column));
}

void InsertRow(HWND list, int row, LPCWSTR text, int image) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.pszText = const_cast<LPWSTR>(text);
    item.iImage = image;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int ClientWidth(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    return client.right - client.left;
}

// The size name of a tray's paper-size index; for the manual feed's custom size the name of the
// form this driver registered for its sizes.
void SizeName(IDrvResources* resources, HANDLE printer, int tray, const TRAYINFO& info, LPWSTR buffer) {
    const LONG index = info.paperSizeIndex;
    if (tray == kManualFeed && index >= 0 && index < kTraySizeCount && kTraySizes[index].m_paperCode == 0 &&
        FindCustomMediaFormName(printer, buffer, kFormChars, info.feedSize, info.crossFeedSize))
        return;
    LoadText(resources, TraySizeNameId(index), buffer, kFormChars);
}

}  // namespace

// ---- lists of the device's rows ----

LRESULT QVOptItemDlgLinkListviewDeviceRows::OnNotify(LPARAM header) {
    if (m_handler && !m_updating && RowNewlySelected(header)) m_handler->RouteNotify(m_handler->ItemKey(), 0, 0);
    return 0;
}

void QVOptItemDlgLinkListviewDeviceRows::ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) {
    QORVAOptItemDlgLink::ShowOption(index, shown, source);
}

void QVOptItemDlgLinkListviewDeviceRows::RefreshOption(LONG index, QORVAOptItemDlgLink* source) {
    QORVAOptItemDlgLink::RefreshOption(index, source);
}

// ---- the device-options list ----

QVOptItemDlgLinkListviewDEVOPTINFO::QVOptItemDlgLinkListviewDEVOPTINFO(HANDLE heap, QORVAOptItemHandler* handler,
                                                                       HWND control, DWORD controlId)
    : QVOptItemDlgLinkListviewDeviceRows(heap, handler, control, controlId) {
    if (!m_control) return;
    m_updating = 1;
    ClearList(m_control);
    SetWindowLongW(m_control, GWL_STYLE, GetWindowLongW(m_control, GWL_STYLE) | LVS_NOCOLUMNHEADER);
    const int width = ClientWidth(m_control);
    const int third = width / 3;
    InsertColumn(m_control, 0, third, u"Name");
    InsertColumn(m_control, 1, width - third, u"Value");
    IDrvResources* resources = ResourcesOf(m_owner);
    WCHAR text[kTextChars];
    LONG choice = 0;
    LoadText(resources, kTrayRowName, text, kTextChars);
    InsertRow(m_control, 0, text, -1);
    LoadText(resources, TrayText(&choice), text, kTextChars);
    SetRowText(m_control, 0, 1, text);
    LoadText(resources, kManualUnitName, text, kTextChars);
    InsertRow(m_control, 1, text, -1);
    LoadText(resources, kInstalledText, text, kTextChars);
    SetRowText(m_control, 1, 1, text);
    SelectRow(m_control, 0);
    m_updating = 0;
    OfferTrayChoices(choice);
}

DWORD QVOptItemDlgLinkListviewDEVOPTINFO::TrayText(LONG* choice) {
    const QVDevinfoData* record = RecordOf(m_handler);
    int installed = 0;
    for (int tray = 0; record && tray < kTrayCount; ++tray)
        if (record->m_working[tray].inputType != kInputNone) ++installed;
    *choice = installed == 4 ? 2 : installed == 3 ? 1 : 0;
    return kTrayChoiceTexts[*choice];
}

void QVOptItemDlgLinkListviewDEVOPTINFO::OfferTrayChoices(LONG choice) {
    QORVAOptItemHandler* combo = GetHandler(kDevoptCombo);
    if (!combo) return;
    for (LONG i = 0; i < combo->GetOptionCount(); ++i) combo->HideOption(i, 0x8000, nullptr);
    for (LONG i = 0; i < 3; ++i) combo->HideOption(i, 1, nullptr);
    combo->SetValue(choice, nullptr);
}

void QVOptItemDlgLinkListviewDEVOPTINFO::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_control) {
        LONG choice = 0;
        WCHAR text[kTextChars];
        LoadText(ResourcesOf(m_owner), TrayText(&choice), text, kTextChars);
        m_updating = 1;
        SetRowText(m_control, 0, 1, text);
        m_updating = 0;
        if (SelectedRow(m_control) == 0) {
            OfferTrayChoices(choice);
        } else if (QORVAOptItemHandler* combo = GetHandler(kDevoptCombo)) {
            if (combo->Item()) combo->Item()->Flags |= OPTIF_CHANGED;
            combo->Invalidate(nullptr);
        }
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// ---- the tray lists ----

QVOptItemDlgLinkListviewTRAYINFO::QVOptItemDlgLinkListviewTRAYINFO(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                                   DWORD controlId)
    : QVOptItemDlgLinkListviewDeviceRows(heap, handler, control, controlId) {
    if (!m_control) return;
    const bool page = controlId == kPageTrayList;
    m_updating = 1;
    ClearList(m_control);
    LONG style = GetWindowLongW(m_control, GWL_STYLE) | kListNoScroll;
    if (page) style |= WS_DISABLED;  // the page's list only shows
    SetWindowLongW(m_control, GWL_STYLE, style);
    const int width = ClientWidth(m_control);
    const int third = width / 3;
    const int widths[3] = {page ? third - 6 : third - 3, page ? width - 2 * third + 6 : width - 2 * third - 3,
                           page ? width - 2 * third : width - 2 * third - 3};
    IDrvResources* resources = ResourcesOf(m_owner);
    WCHAR text[kTextChars];
    for (int column = 0; column < 3; ++column) {
        LoadText(resources, kColumnTextIds[column], text, kTextChars);
        InsertColumn(m_control, column, widths[column], text);
    }
    InsertColumn(m_control, 3, 0, u"");  // the list link's own column, out of sight
    if (page && !m_imageList) {
        const int initial = m_handler ? static_cast<int>(m_handler->GetOptionCount()) : 2;
        m_imageList = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, initial, 1);
        if (m_imageList) {
            ImageList_AddIcon(m_imageList, LoadIconW(nullptr, IDI_WARNING));
            HICON tray = nullptr;
            if (resources && SUCCEEDED(resources->LoadIcon(kTrayIcon, 16, &tray)) && tray) ImageList_AddIcon(m_imageList, tray);
            SendMessageW(m_control, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_imageList));
        }
    }
    for (int row = 0; row < kTrayCount; ++row) {
        LoadText(resources, kTrayNameIds[row], text, kTextChars);
        InsertRow(m_control, row, text, page ? 0 : -1);
    }
    WriteRows();
    QVDevinfoData* record = RecordOf(m_handler);
    if (page) {
        for (int row = 0; row < kTrayCount; ++row) {
            const bool fixed = row == kTray1 || row == kManualFeed;
            SetRowImage(m_control, row, fixed || (record && record->m_stored[row].inputType != kInputNone) ? 1 : 0);
        }
    } else {
        SelectRow(m_control, 0);
    }
    m_updating = 0;
    if (!page && record) {
        const LONG index = record->m_working[kTray1].paperSizeIndex;
        if (QORVAOptItemHandler* size = GetHandler(kPopupSizeCombo); size && index >= 0 && index < kTraySizeCount)
            size->SetValue(kTraySizes[index].m_paperCode, nullptr);
        if (QORVAOptItemHandler* media = GetHandler(kPopupMediaCombo)) media->SetValue(kPlainPaper, nullptr);
    }
}

void QVOptItemDlgLinkListviewTRAYINFO::WriteRows() {
    const QVDevinfoData* record = RecordOf(m_handler);
    if (!record) return;
    IDrvResources* resources = ResourcesOf(m_owner);
    HANDLE printer = SheetPrinter(m_handler);
    for (int row = 0; row < kTrayCount; ++row) {
        const TRAYINFO& info = record->m_working[row];
        SizeName(resources, printer, row, info, m_formName);
        SetRowText(m_control, row, 1, m_formName);
        WCHAR media[kTextChars];
        LoadText(resources, TrayMediaNameId(info.mediaIndex), media, kTextChars);
        SetRowText(m_control, row, 2, media);
    }
}

void QVOptItemDlgLinkListviewTRAYINFO::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_control && m_controlId == kPageTrayList) {
        const QVDevinfoData* record = RecordOf(m_handler);
        m_updating = 1;
        WriteRows();
        for (int row = 0; record && row < kTrayCount; ++row) {
            const TRAYINFO& info = record->m_working[row];
            int image = 1;
            if (info.inputType == kInputNone) image = 0;
            else if (info.inputType != kInputManualFeed && info.feedSize == kSizeNotKnown && info.crossFeedSize == kSizeNotKnown)
                image = 0;  // a tray the printer reports without its paper
            SetRowImage(m_control, row, image);
        }
        m_updating = 0;
        // Shown as the item says, never enabled: the page's list only shows.
        if (m_handler) ShowWindow(m_control, m_handler->GetExtState() > 0 ? SW_SHOW : SW_HIDE);
        EnableWindow(m_control, FALSE);
        if (m_nextLink) m_nextLink->UpdateControl(source);
        return;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// ---- the popup's combo boxes ----

QVOptItemDlgLinkComboboxTRAYINFO_SIZE::QVOptItemDlgLinkComboboxTRAYINFO_SIZE(HANDLE heap, QORVAOptItemHandler* handler,
                                                                             HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkCombobox(heap, handler, control, controlId) {
    if (!m_handler) return;
    m_customIndex = m_handler->GetOptionCount() - 1;
    const QVDevinfoData* record = RecordOf(m_handler);
    HANDLE printer = SheetPrinter(m_handler);
    if (!record || !FindCustomMediaFormName(printer, m_formName, kFormChars, record->m_working[kManualFeed].feedSize,
                                            record->m_working[kManualFeed].crossFeedSize))
        LoadText(ResourcesOf(m_owner), kTraySizes[kCustomSizeIndex].m_nameId, m_formName, kFormChars);
    // The option keeps its text after this popup: a copy on the sheet heap.
    const size_t length = std::char_traits<char16_t>::length(m_formName);
    if (auto* text = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR)))) {
        std::char_traits<char16_t>::copy(text, m_formName, length);
        m_handler->SetOptionText(m_customIndex, text);
        RefreshOption(m_customIndex, nullptr);
    }
    m_market = QORVASystemFunc::GetMarketLangID(printer);
    for (LONG i = 0; i < m_handler->GetOptionCount(); ++i) {
        DWORD visible = 0;
        const LPARAM code = m_handler->GetOptionParam(i, &visible);
        if (code == 6) m_statement = i;
        if (code == 11) m_a5 = i;
    }
}

LRESULT QVOptItemDlgLinkComboboxTRAYINFO_SIZE::Command(WORD code, DWORD controlId) {
    HWND list = m_control ? GetDlgItem(GetParent(m_control), kPopupTrayList) : nullptr;
    if (m_handler && list && code == CBN_SETFOCUS) {
        const int row = SelectedRow(list);
        if (row >= 0 && row <= 2) {
            m_handler->HideOption(m_customIndex, 0, this);
            if (m_market == 1041 && m_statement >= 0) m_handler->HideOption(m_statement, 0, this);
            if (m_market == 1033 && m_a5 >= 0) m_handler->HideOption(m_a5, 0, this);
            if ((row == 1 || row == 2) && m_a5 >= 0) m_handler->HideOption(m_a5, 1, this);
        }
    } else if (m_handler && list && code == CBN_KILLFOCUS) {
        if (m_market == 1041) {
            if (m_statement >= 0) m_handler->HideOption(m_statement, 1, this);
            if (m_a5 >= 0) m_handler->HideOption(m_a5, 1, this);
        }
        if (m_market == 1033 && m_a5 >= 0) m_handler->HideOption(m_a5, 1, this);
        m_handler->HideOption(m_customIndex, 1, this);
    }
    return QORVAOptItemDlgLinkCombobox::Command(code, controlId);
}

void QVOptItemDlgLinkComboboxTRAYINFO_TYPE::OfferRange(int row, DWORD shown) {
    if (!m_handler) return;
    const LONG first = row == 0 ? 1 : (row == 1 || row == 2) ? 3 : m_handler->GetOptionCount();
    for (LONG i = first; i < m_handler->GetOptionCount(); ++i) QORVAOptItemDlgLinkList::ShowOption(i, shown, this);
}

LRESULT QVOptItemDlgLinkComboboxTRAYINFO_TYPE::Command(WORD code, DWORD controlId) {
    HWND list = m_control ? GetDlgItem(GetParent(m_control), kPopupTrayList) : nullptr;
    if (list && code == CBN_SETFOCUS) {
        m_row = SelectedRow(list);
        OfferRange(m_row, 0);
    } else if (list && code == CBN_KILLFOCUS && m_handler &&
               SendMessageW(m_control, CB_GETCOUNT, 0, 0) != m_handler->GetOptionCount()) {
        OfferRange(m_row, 1);
    }
    return QORVAOptItemDlgLinkCombobox::Command(code, controlId);
}

LRESULT QVOptItemDlgLinkComboboxDEVOPTCOMBOBOX::Command(WORD code, DWORD controlId) {
    if (code == CBN_SELCHANGE && m_handler && DeviceOptionRow(m_handler) == 0 && !m_updating) {
        LONG requested = 0;
        const LONG shown = SelectedOption();
        if (!DeviceOptionRequested(m_handler, &requested) || shown != requested) ShowDevoptNote(this, m_handler);
    }
    return QORVAOptItemDlgLinkCombobox::Command(code, controlId);
}

QVOptItemDlgLinkComboboxMediaSize::QVOptItemDlgLinkComboboxMediaSize(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                                     DWORD controlId)
    : QORVAOptItemDlgLinkCombobox(heap, handler, control, controlId) {
    if (!m_handler || !m_control) return;
    LPCWSTR selected = m_handler->GetSelText(this);
    bool listed = false;
    const LRESULT count = SendMessageW(m_control, CB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count && !listed && selected; ++row) {
        WCHAR text[kTextChars] = {};
        if (SendMessageW(m_control, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0) >= static_cast<LRESULT>(kTextChars)) continue;
        SendMessageW(m_control, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        listed = lstrcmpW(text, selected) == 0;
    }
    if (!listed) {
        const DWORD id = QORVASystemFunc::GetMarketLangID(SheetPrinter(m_handler)) == 1041 ? 1216 : 1226;  // A4, Letter
        WCHAR name[kTextChars];
        LoadText(ResourcesOf(m_owner), id, name, kTextChars);
        if (name[0]) m_handler->SelectString(name, nullptr);
    }
    UpdateControl(nullptr);
}
