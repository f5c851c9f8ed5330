// The map between an item's options and the rows of a list control: which row shows each option
// (-1 while it has none) and each option's copy number among the options of the same text. Rows
// exist only for visible options; every insert and delete keeps the map exact. The arrays come
// from the sheet heap and go back in Free (links are freed without a destructor).
#pragma once

#include <string>

#include <win/windows.h>

class QORVAOptItemHandler;
class QORVAOptItemDlgLink;

struct OptionRows {
    LONG* m_rowOfOption = nullptr;
    DWORD* m_copyNumber = nullptr;
    LONG m_count = 0;

    // One entry per option, each without a row; FALSE (and no arrays) when the heap refuses.
    BOOL Init(HANDLE heap, LONG count);
    void Free(HANDLE heap);
    bool Ready() const { return m_rowOfOption && m_copyNumber; }

    // The row of an option (-1: none or out of range) and the option shown in a row (-1: none).
    LONG RowOf(LONG option) const;
    LONG OptionOf(LONG row) const;
    // The number of options before option that have a row: where an unsorted list inserts it.
    LONG RowsBefore(LONG option) const;
    // Gives option its copy number (the smallest n that no option before it with a row and the
    // same text has) and answers the row text: the text itself, or "T #n+1" for a later copy.
    std::u16string NumberCopy(QORVAOptItemHandler* handler, QORVAOptItemDlgLink* link, LONG option, LPCWSTR text);
    // Records a new row of option: the rows at or after it move down one.
    void Inserted(LONG option, LONG row);
    // Forgets the row of option (answered, -1 when it had none): the rows after it move up one.
    LONG Removed(LONG option);
};

// Shows the handler's current option in a combo box, plain or extended (setSelMessage selects a
// row): the edit text of an editable item, else the option's row, else its text in the box (a
// hidden option has no row). noSelection is the option that stands for no choice.
void ShowComboCurrent(QORVAOptItemHandler* handler, QORVAOptItemDlgLink* link, HWND control, const OptionRows& rows,
                      LONG noSelection, UINT setSelMessage);
