// The confirmation pages' base: a page text, a note, and a summary list of two columns whose rows
// pair a label with a value. The install, update and removal confirmations fill the two text
// lists, do the work of Next and bind Back where it differs.
#pragma once

#include <string>
#include <vector>

#include "dialog_base.h"

class CDialogConfirm : public CDialogBase {
public:
    explicit CDialogConfirm(CWnd* parent);

    // One row per label or value, whichever list is longer; a missing one shows empty. The rows
    // are added to what the list holds.
    virtual void FillPrinterList();

    // The summary's two columns, each width times the horizontal layout scale.
    void InsertSummaryColumns(int nameWidth, int valueWidth);
    // [section] key of each key, in order, as the row labels.
    void SetRowLabels(std::initializer_list<const char16_t*> keys);
    // Appends to the row values the name of every local or connected printer whose driver is the
    // model's, in enumeration order; FALSE with the enumeration's error when it fails.
    BOOL AppendModelPrinters(DWORD& error);
    // Before the work starts: logs whether a property sheet of the model's driver is open and
    // then asks the user to close it.
    void WarnWhenDriverActive();
    // Next starts the page's work.
    BOOL OnCmdMsg(UINT id, int code) override;
    virtual void OnBnClickedButtonNext() {}

    std::vector<std::u16string> m_rowLabels;
    std::vector<std::u16string> m_rowValues;

protected:
    HWND List() const;
};
