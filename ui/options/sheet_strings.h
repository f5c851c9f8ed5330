// Texts the driver's handlers put into the universal driver's items: copies of the model's
// resource strings on the resource object's heap, which lives as long as the sheet.
#pragma once

#include <win/compstui.h>
#include <win/windows.h>

class QORVAOptItemHandlerFactory;

// The string of that id, copied; null when the sheet has no resources or the string is missing.
LPWSTR DuplicateSheetString(QORVAOptItemHandlerFactory* factory, DWORD id);

// Replaces the item's name or an option's text with a string of the model's; a missing string
// leaves the item's own text, so the item never loses a name it had.
void RenameItem(POPTITEM item, QORVAOptItemHandlerFactory* factory, DWORD id);
void RenameOption(POPTITEM item, LONG index, QORVAOptItemHandlerFactory* factory, DWORD id);
