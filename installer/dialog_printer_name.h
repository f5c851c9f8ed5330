// Page 3: the name of the new printer, its comment and whether it becomes the default printer.
// The port page proposes the name; Next refuses names Windows does not take and names of printers
// that exist.
#pragma once

#include <string>

#include "dialog_base.h"

class CDialogPrinterName : public CDialogBase {
public:
    explicit CDialogPrinterName(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnActivatePage(int previousIndex) override;
    BOOL OnCmdMsg(UINT id, int code) override;

    // FALSE (after the warning) when the typed name holds a character this Windows refuses.
    BOOL CheckPrinterName();
    // Cuts the box's text to limit characters while the user types, the caret kept at the end.
    void LimitEditText(int id, int limit);

    void OnBnClickedButtonNext();

    // The name and comment as last read from the boxes.
    std::u16string m_name;
    std::u16string m_commentText;
};

// The characters a printer name may not hold on this Windows, and the message that says so.
struct PrinterNameRule {
    const char16_t* forbidden;
    const char16_t* messageKey;
};
PrinterNameRule PrinterNameRuleOfWindows();
