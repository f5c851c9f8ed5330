// The device-option choice (item 25103): which row of the device-options list it shows, and the
// note, shown once per sheet, that a changed choice takes effect with OK or Apply.
#pragma once

#include <win/windows.h>

class QORVAOptItemDlgLink;
class QORVAOptItemHandler;

inline constexpr DWORD kDevoptNoteText = 33309;

// Tells the choice's handler which row of the device-options list it shows.
void SetDeviceOptionRow(QORVAOptItemHandler* choice, DWORD row);
// The row the choice shows (0 when its handler does not keep one).
DWORD DeviceOptionRow(QORVAOptItemHandler* choice);
// Shows message 33309 (caption 32771) once per sheet, owned by the link's dialog (else the
// sheet's current one); on Windows 5.1 it only clears the pending mark.
void ShowDevoptNote(QORVAOptItemDlgLink* link, QORVAOptItemHandler* choice);
// The index the choice was last asked to select; false when its handler does not keep one.
bool DeviceOptionRequested(QORVAOptItemHandler* choice, LONG* index);
