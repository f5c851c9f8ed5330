// Flags the page rules share with the list handlers they watch: a favourite that cannot be loaded
// is deleted or kept as the user answers, and a loaded watermark text missing from the list makes
// the layout page ask that question.
#pragma once

#include <win/windows.h>

class QORVAOptItemHandler;

// Sets the favourites list handler's deletion flag (1: delete the entry when loading it fails).
void SetFavouriteDeletion(QORVAOptItemHandler* favourites, DWORD deleteEntry);

// True when the watermark list handler's last QLoad found no entry with the loaded text.
bool WatermarkTextMismatch(QORVAOptItemHandler* watermarkList);
