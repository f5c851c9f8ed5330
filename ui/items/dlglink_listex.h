// Links of the image-capable lists: the extended combo box and the list view. Rows carry the
// option's 16 x 16 icon from an image list the link makes on first use and destroys in Detach.
#pragma once

#include <win/commctrl.h>

#include "dlglink_option_list.h"

// Whether a list view's notice tells of a row newly selected (LVN_ITEMCHANGED to the selected
// state).
bool RowNewlySelected(LPARAM header);

class QORVAOptItemDlgLinkListEx : public QORVAOptItemDlgLinkOptionList {
public:
    DWORD Detach(HWND dialog) override;
    // Adds the row of one option (its text numbered when an earlier option has the same text)
    // with its icon (iconId 0: none); answers the option index.
    virtual LONG Fill(HWND control, LONG index, LPCWSTR text, ULONG_PTR iconId);

protected:
    // getSelMsg / setSelMsg 0: the selection lives in the list view's item states.
    QORVAOptItemDlgLinkListEx(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                              DWORD linkFlags, UINT getSelMsg, UINT setSelMsg, WORD selChangeCode, DWORD sorted);

    // Through Fill, with the option's icon.
    void AddOptionRow(LONG index, LPCWSTR text) override;
    // The image of an icon in the link's image list (made and attached on first use); -1 when
    // the icon cannot be loaded or the list cannot be made.
    int ImageOf(ULONG_PTR iconId);
    // Attaches the image list to the control.
    virtual void AttachImageList() = 0;
    // Inserts a row at a place (-1: where the control sorts it) with its image (-1: none);
    // answers the control's row or -1.
    virtual LRESULT InsertOptionItem(HWND control, LONG at, LPWSTR text, int image) = 0;

    UINT m_getSelMsg;
    UINT m_setSelMsg;
    WORD m_selChangeCode;
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

protected:
    void DeleteOptionRow(LONG index) override;
    void SelectCurrent() override;
    void AttachImageList() override;
    LRESULT InsertOptionItem(HWND control, LONG at, LPWSTR text, int image) override;
};

class QORVAOptItemDlgLinkListview : public QORVAOptItemDlgLinkListEx {
public:
    // In report view the item's name, split at ";", gives the columns.
    QORVAOptItemDlgLinkListview(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                DWORD linkFlags = 0);
    // LVN_ITEMCHANGED: the newly selected row's option becomes the selection.
    LRESULT OnNotify(LPARAM header) override;

protected:
    void DeleteOptionRow(LONG index) override;
    void SelectCurrent() override;
    void AttachImageList() override;
    LRESULT InsertOptionItem(HWND control, LONG at, LPWSTR text, int image) override;
    void MakeColumns();
};
