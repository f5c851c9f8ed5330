// Tab control link.
#include "dlglink_tab.h"

#include <win/commctrl.h>

#include "optitem_handler.h"
#include "standard_handlers.h"

QORVAOptItemDlgLinkTabCtrl::QORVAOptItemDlgLinkTabCtrl(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                       DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    if (m_handler && m_tabs.Init(m_heap, m_handler->GetOptionCount())) {
        for (LONG i = 0; i < m_tabs.m_count; ++i) {
            DWORD visible = 0;
            m_handler->GetOptionText(i, &visible, this);
            if (visible) InsertTab(i);
        }
        // The current option's tab is the one shown selected.
        const LONG tab = m_tabs.RowOf(static_cast<LONG>(m_handler->GetSel()));
        if (tab >= 0) SendMessageW(m_control, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    }
    UpdateControl(nullptr);
}

void QORVAOptItemDlgLinkTabCtrl::InsertTab(LONG index) {
    if (!m_tabs.Ready() || m_tabs.RowOf(index) >= 0) return;
    LPCWSTR text = m_handler->GetOptionText(index, nullptr, this);
    std::u16string label = text ? text : u"";
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = label.data();
    const LRESULT at = SendMessageW(m_control, TCM_INSERTITEMW, static_cast<WPARAM>(m_tabs.RowsBefore(index)),
                                    reinterpret_cast<LPARAM>(&tab));
    if (at >= 0) m_tabs.Inserted(index, static_cast<LONG>(at));
}

DWORD QORVAOptItemDlgLinkTabCtrl::Detach(HWND dialog) {
    if (InOtherDialog(dialog)) return 0;
    m_tabs.Free(m_heap);
    return QORVAOptItemDlgLink::Detach(dialog);
}

LRESULT QORVAOptItemDlgLinkTabCtrl::OnNotify(LPARAM header) {
    const auto* notice = reinterpret_cast<const NMHDR*>(header);
    if (!notice || !m_handler || notice->code != TCN_SELCHANGE) return 0;
    m_tabsDirty = 1;
    const LONG option = m_tabs.OptionOf(static_cast<LONG>(SendMessageW(m_control, TCM_GETCURSEL, 0, 0)));
    if (option >= 0) m_handler->SetCurSel(option, this);
    UpdateControl(this);
    return 1;
}

void QORVAOptItemDlgLinkTabCtrl::ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) {
    m_tabsDirty = 1;
    if (m_handler) {
        if (shown) {
            InsertTab(index);
        } else if (const LONG tab = m_tabs.Removed(index); tab >= 0) {
            SendMessageW(m_control, TCM_DELETEITEM, static_cast<WPARAM>(tab), 0);
        }
    }
    QORVAOptItemDlgLink::ShowOption(index, shown, source);
}

void QORVAOptItemDlgLinkTabCtrl::RefreshOption(LONG index, QORVAOptItemDlgLink* source) {
    m_tabsDirty = 1;
    if (m_handler) {
        const LONG tab = m_tabs.RowOf(index);
        if (tab >= 0) {
            LPCWSTR text = m_handler->GetOptionText(index, nullptr, this);
            std::u16string label = text ? text : u"";
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = label.data();
            SendMessageW(m_control, TCM_SETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
        }
        m_handler->SetValue(index, this);
        RefreshNow();
        if (tab >= 0) SendMessageW(m_control, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    }
    QORVAOptItemDlgLink::RefreshOption(index, source);
}

void QORVAOptItemDlgLinkTabCtrl::UpdateControl(QORVAOptItemDlgLink* source) {
    auto* tabs = dynamic_cast<QORVAOptItemHandlerTabCtrl*>(m_handler);
    if (m_tabsDirty && tabs) {
        m_tabsDirty = 0;
        const LONG current = static_cast<LONG>(tabs->GetSel());
        const LONG count = tabs->GetOptionCount();
        // Every page but the current one is hidden first, so an item on two pages stays shown.
        for (LONG pass = 0; pass < 2; ++pass) {
            for (LONG option = 0; option < count; ++option) {
                if ((option == current) != (pass == 1)) continue;
                DWORD cursor = 0, level = 0;
                while (QORVAOptItemHandler* item = tabs->NextTabItem(option, &cursor, &level))
                    item->SetExtState(pass == 1 ? 1 : 0);
            }
        }
        RECT area{};
        if (HWND parent = Dialog(); parent && GetWindowRect(m_control, &area)) {
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
            InvalidateRect(parent, &area, FALSE);
        }
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}
