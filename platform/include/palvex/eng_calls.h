// The graphics engine's call log: each Eng* drawing call a driver makes (win/winddi.h) is entered
// here with what it was asked to draw, so tests see what a driver handed to the engine. The log is
// per process; TakeEngCalls empties it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <win/winddi.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// Colour of a brush that was not given.
inline constexpr ULONG kNoBrush = 0xFFFFFFFF;

struct EngCall {
    std::string function;           // "EngTextOut", "EngPlgBlt", "EngStretchBlt", "EngStretchBltROP"
    SURFOBJ* target = nullptr;
    SURFOBJ* source = nullptr;
    CLIPOBJ* clip = nullptr;
    // EngTextOut: the string's characters, its foreground and opaque brushes (solid colour and
    // colour type), origin and mix, and the extra and opaque rectangles when given.
    std::u16string text;
    ULONG foreColor = kNoBrush;
    FLONG foreColorType = 0;
    ULONG opaqueColor = kNoBrush;
    std::optional<RECTL> extra;
    std::optional<RECTL> opaque;
    POINTL origin{};
    MIX mix = 0;
    // The blits: target and source rectangles (EngPlgBlt: the source rectangle and the target's
    // three corners), the colour adjustment given, the stretching mode, and for EngStretchBltROP
    // the brush colour and ROP.
    std::optional<RECTL> targetRect;
    std::optional<RECTL> sourceRect;
    std::vector<POINTFIX> corners;
    std::optional<COLORADJUSTMENT> colorAdjustment;
    ULONG mode = 0;
    ULONG brushColor = kNoBrush;
    DWORD rop = 0;
};

// The calls since the last take, in order; the log is empty afterwards.
PALVEX_API std::vector<EngCall> TakeEngCalls();
// What the Eng* calls answer from now on (TRUE at the start). A call without a target surface
// answers FALSE whatever is set.
PALVEX_API void SetEngCallAnswer(BOOL answer);

}  // namespace palvex
