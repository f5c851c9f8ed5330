// Page 2: the port of the new printer, either a printer found by the network search (a standard
// TCP/IP port is made for it) or a port given by hand in CDialogManualSetting. Leaving with Next
// also proposes the printer's name.
#pragma once

#include <string>
#include <vector>

#include <win/winspool_levels.h>

#include "dialog_base.h"

class CDialogPrinterPort : public CDialogBase {
public:
    explicit CDialogPrinterPort(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnActivatePage(int previousIndex) override;
    BOOL OnCmdMsg(UINT id, int code) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) override;

    void SetTimeoutValue(int seconds);
    // The time-out box read as a number, 0 taken as 1 and above 10 (negative too) as 10; shown again.
    int GetTimeoutValue();
    void FillSearchList();
    void RunSearch();
    void SetPortMode(int mode);
    void EnablePortControls(int mode);
    void UpdateNextButton();
    // The first checked row (also kept in m_chosenRow), or -1.
    int GetCheckedRow();
    void CheckOnlyRow(int row);

    void OnBnClickedButtonPrev();
    void OnBnClickedButtonNext();
    void OnBnClickedButtonManualSet();

private:
    HWND List() const;
    bool m_checking = false;  // CheckOnlyRow's own changes are not the user's
};

// The name proposed for a new printer of the model: MakePrinterName over every local and connected
// printer; empty (after the message) when the printers cannot be listed.
std::u16string MakeDefaultPrinterName(CDrvData* settings, HWND owner, const std::u16string& model);
// The base (cut to 50 characters), else "%s(%d)" of the base cut to 44 characters and 1, 2, ...:
// the first that no record's name equals, ignoring case.
std::u16string MakePrinterName(const std::u16string& base, const PRINTER_INFO_5W* records, DWORD count);
