// What the device page's rules and links do with the page's controls: find the sheet's current
// dialog and a control's dialog link, and read and write the rows of a report list view.
#pragma once

#include <win/windows.h>

class QORVAOptItemDlgLink;
class QORVAOptItemHandler;
class QORVAOptItemHandlerFactory;
struct IDrvResources;

// The innermost dialog the factory shows (the page, or the popup opened from it); null when none.
HWND CurrentDialog(QORVAOptItemHandlerFactory* factory);
// The dialog link a control carries (its "optItemHandler" property); null when none.
QORVAOptItemDlgLink* LinkOfControl(HWND control);
// The link of a control of the current dialog, by the control's id.
QORVAOptItemDlgLink* LinkOfDialogItem(QORVAOptItemHandlerFactory* factory, int controlId);

// The first selected row of a list view, -1 when none.
int SelectedRow(HWND list);
void SelectRow(HWND list, int row);
// A cell's text into buffer (chars characters, NUL included); empty when the cell is missing.
void RowText(HWND list, int row, int column, LPWSTR buffer, int chars);
void SetRowText(HWND list, int row, int column, LPCWSTR text);
void SetRowImage(HWND list, int row, int image);
int RowImage(HWND list, int row);

// A string of the sheet's resources into buffer; empty when it is missing.
void LoadText(IDrvResources* resources, DWORD id, LPWSTR buffer, DWORD chars);
// The sheet's resources (null when the factory has none).
IDrvResources* ResourcesOf(QORVAOptItemHandlerFactory* factory);
// The printer handle of a handler's sheet; null without a handler, factory or record.
HANDLE SheetPrinter(const QORVAOptItemHandler* handler);
