// Links of the image-capable lists: the extended combo box and the list view. Rows carry the
// option's 16 x 16 icon from an image list the link makes on first use and destroys in Detach.
#pragma once

#include <win/commctrl.h>

#include "dlglink_rows.h"
#include "optitem_dlglink.h"

class QORVAOptItemDlgLinkListEx : public QORVAOptItemDlgLink {
public:
    DWORD Detach(HWND dialog) override;
    void ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) override;
    void RefreshOption(LONG index, QORVAOptItemDlgLink* source) override;
    // Adds the row of one option with its icon (iconId 0: none); answers the option index.
    virtual LONG Fill(HWND control, LONG index, LPCWSTR text, ULONG_PTR iconId) = 0;
    // Deletes the row of one option.
    virtual void DeleteRow(HWND control, LONG index) = 0;

protected:
    // getSelMsg / setSelMsg 0: the selection lives in the list view's item states.
    QORVAOptItemDlgLinkListEx(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                              DWORD linkFlags, UINT getSelMsg, UINT setSelMsg, WORD selChangeCode, DWORD sorted);

    // The rows of every visible option with their icons.
    void FillRows();
    // Selects the current option's row.
    virtual void SelectCurrent() = 0;
    // The image of an icon in the link's image list (made and attached on first use); -1 when
    // the icon cannot be loaded or the list cannot be made.
    int ImageOf(ULONG_PTR iconId);
    // Attaches the image list to the control.
    virtual void AttachImageList() = 0;

    UINT m_getSelMsg;
    UINT m_setSelMsg;
    WORD m_selChangeCode;
    LONG m_noSelection = -1;
    DWORD m_sorted;
    OptionRows m_rows;
    union {
        COMBOBOXEXITEMW m_comboItem;
        LVITEMW m_listItem;
    };
    DWORD m_columnCount = 0;
    HIMAGELIST m_imageList = nullptr;
};

class QORVAOptItemDlgLinkComboboxEx : public QORVAOptItemDlgLinkListEx {
public:
    QORVAOptItemDlgLinkComboboxEx(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                  DWORD linkFlags = 0);
    LRESULT Command(WORD code, DWORD controlId) override;
    void UpdateControl(QORVAOptItemDlgLink* source) override;
    LONG Fill(HWND control, LONG index, LPCWSTR text, ULONG_PTR iconId) override;
    void DeleteRow(HWND control, LONG index) override;

protected:
    void SelectCurrent() override;
    void AttachImageList() override;
};

class QORVAOptItemDlgLinkListview : public QORVAOptItemDlgLinkListEx {
public:
    // In report view the item's name, split at ";", gives the columns.
    QORVAOptItemDlgLinkListview(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                DWORD linkFlags = 0);
    // LVN_ITEMCHANGED: the newly selected row's option becomes the selection.
    LRESULT OnNotify(LPARAM header) override;
    void UpdateControl(QORVAOptItemDlgLink* source) override;
    LONG Fill(HWND control, LONG index, LPCWSTR text, ULONG_PTR iconId) override;
    void DeleteRow(HWND control, LONG index) override;

protected:
    void SelectCurrent() override;
    void AttachImageList() override;
    void MakeColumns();
};
