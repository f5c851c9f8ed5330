// The graphics engine's call log (internal to the platform library).
#pragma once

#include <palvex/eng_calls.h>

namespace palvex::eng {

// Enters a call and returns what the call answers.
BOOL Record(EngCall call);

inline std::optional<RECTL> Rect(const RECTL* rect) {
    return rect ? std::optional<RECTL>(*rect) : std::nullopt;
}

inline ULONG Color(const BRUSHOBJ* brush) {
    return brush ? brush->iSolidColor : kNoBrush;
}

}  // namespace palvex::eng
