// The tab control link: one tab per visible option; the items of the selected tab's page are
// shown and those of the other tabs hidden. Tabs map to options through the link's own map, so a
// hidden option shifts no page onto the wrong tab.
#pragma once

#include "dlglink_rows.h"
#include "optitem_dlglink.h"

class QORVAOptItemDlgLinkTabCtrl : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkTabCtrl(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                               DWORD linkFlags = 0);
    DWORD Detach(HWND dialog) override;
    // TCN_SELCHANGE: the tab's option becomes the selection and the pages follow.
    LRESULT OnNotify(LPARAM header) override;
    void ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) override;
    void RefreshOption(LONG index, QORVAOptItemDlgLink* source) override;
    // After a tab change: hides the items of the other tabs and shows those of the current one.
    void UpdateControl(QORVAOptItemDlgLink* source) override;

protected:
    void InsertTab(LONG index);

    DWORD m_tabsDirty = 1;
    OptionRows m_tabs;  // the tab of each option
};
