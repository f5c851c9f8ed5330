// Links of static texts and group boxes: they follow the item's enabled and visible state; the
// state static also shows the selected option's text.
#pragma once

#include "optitem_dlglink.h"

class QORVAOptItemDlgLinkStatic : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkStatic(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                              DWORD linkFlags = 0);
};

class QORVAOptItemDlgLinkStaticStates : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkStaticStates(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                    DWORD linkFlags = 0);
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};
