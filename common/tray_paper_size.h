// The paper-size index of a tray from the size it declares (internal to the library).
#pragma once

#include <win/wintypes.h>

// Sizes a printer input declares as unknown.
inline constexpr LONG kUnknownSize = -2;

// The row of the standard size table that feed x cross-feed (micrometres) names, in either
// orientation, when the language allows that size in that kind of input (language ids 1033 and
// 1041 have rules; others allow nothing); else 9 for a custom size in the manual feed (input type
// 5), 3 for an unknown dimension, -1 for no match.
LONG MatchTrayPaperSize(LONG feed, LONG crossFeed, WORD languageId, LONG inputType);
