// The list views and combo boxes of the device page (25000) and its tray popup (25200), and the
// paper-size combo boxes of the document pages (1203, 3102). They show the printer's device
// record: the installed trays, the size and media in each tray. The rules that tie them together
// are the device constraint's (device_info_constraint.h); a row the user selects in one of these
// lists is told to it as a change of the list's item.
#pragma once

#include "device_info.h"
#include "items/dlglink_list.h"
#include "items/dlglink_listex.h"

// A list view whose rows are the device's, not the item's options: a newly selected row is told
// to the device rule as it is, and the item's shown or renamed options leave the rows alone.
class QVOptItemDlgLinkListviewDeviceRows : public QORVAOptItemDlgLinkListview {
public:
    using QORVAOptItemDlgLinkListview::QORVAOptItemDlgLinkListview;
    LRESULT OnNotify(LPARAM header) override;
    void ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) override;
    void RefreshOption(LONG index, QORVAOptItemDlgLink* source) override;
};

// The device-options list (25101): row 0 the trays installed, row 1 the manual feed unit.
class QVOptItemDlgLinkListviewDEVOPTINFO : public QVOptItemDlgLinkListviewDeviceRows {
public:
    QVOptItemDlgLinkListviewDEVOPTINFO(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
    void UpdateControl(QORVAOptItemDlgLink* source) override;

private:
    // The installed-trays text of the working table and the choice it stands for (0-2).
    DWORD TrayText(LONG* choice);
    // The value combo box offers the tray choices and shows choice.
    void OfferTrayChoices(LONG choice);
};

// The tray lists: the page's (25181, display only, with an image per tray) and the popup's
// (25201, where a tray is chosen for editing).
class QVOptItemDlgLinkListviewTRAYINFO : public QVOptItemDlgLinkListviewDeviceRows {
public:
    QVOptItemDlgLinkListviewTRAYINFO(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
    void UpdateControl(QORVAOptItemDlgLink* source) override;

private:
    // Size and media texts of each row from the working table.
    void WriteRows();

    WCHAR m_formName[32] = {};
};

// The popup's paper sizes (25203): trays 1 to 3 never offer the custom size, Statement only
// outside Japan and A5 not in tray 1 in the US; the manual feed offers every size.
class QVOptItemDlgLinkComboboxTRAYINFO_SIZE : public QORVAOptItemDlgLinkCombobox {
public:
    QVOptItemDlgLinkComboboxTRAYINFO_SIZE(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
    LRESULT Command(WORD code, DWORD controlId) override;

private:
    LONG m_customIndex = -1;
    WCHAR m_formName[32] = {};
    WORD m_market = 0;
    LONG m_statement = -1;
    LONG m_a5 = -1;
};

// The popup's media types (25205): tray 1 takes plain paper only, trays 2 and 3 no transparency.
class QVOptItemDlgLinkComboboxTRAYINFO_TYPE : public QORVAOptItemDlgLinkCombobox {
public:
    QVOptItemDlgLinkComboboxTRAYINFO_TYPE(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId)
        : QORVAOptItemDlgLinkCombobox(heap, handler, control, controlId) {}
    LRESULT Command(WORD code, DWORD controlId) override;

private:
    // Takes out of the control (shown 0) or puts back the entries a tray row does not offer.
    void OfferRange(int row, DWORD shown);
    int m_row = -1;
};

// The value of the selected device option (25103), with its once-only note.
class QVOptItemDlgLinkComboboxDEVOPTCOMBOBOX : public QORVAOptItemDlgLinkCombobox {
public:
    QVOptItemDlgLinkComboboxDEVOPTCOMBOBOX(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId)
        : QORVAOptItemDlgLinkCombobox(heap, handler, control, controlId) {}
    LRESULT Command(WORD code, DWORD controlId) override;
};

// The document pages' paper sizes: a selection the list does not show falls back to the market's
// paper (A4, or Letter outside Japan).
class QVOptItemDlgLinkComboboxMediaSize : public QORVAOptItemDlgLinkCombobox {
public:
    QVOptItemDlgLinkComboboxMediaSize(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
};
