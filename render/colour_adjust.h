// The colour adjustment of bitmap transfers. An optional ini file, "tovqebxl.clr" in the "3" folder
// of the printer-driver directory, switches the graphics engine's halftoning on for the blits and
// gives its colour adjustment. The file is read at the first blit of the process; a changed file
// takes effect in the next process.
#pragma once

#include <string>

#include <win/winddi.h>
#include <win/windows.h>

// The adjustment a process starts with: size 24, illuminant 1, gammas and reference white 10000,
// the rest 0.
COLORADJUSTMENT StartingColourAdjustment();

// The file's full path: the printer-driver directory (local server, default environment) joined
// with "\3\tovqebxl.clr". Empty when the directory cannot be had.
std::u16string ColourAdjustFilePath();

// Reads the file into *adjustment: 1 when the file's [ColorAdjust] ColorAdjust is 1 (the record
// then holds the file's values, each key defaulting to its starting value), else 0 (the record
// keeps the starting values).
DWORD ReadColorAdjust(COLORADJUSTMENT* adjustment);

// The process's colour adjustment, read on first use and kept until the module unloads.
struct ProcessColourAdjustment {
    DWORD m_on = 0;  // ReadColorAdjust's answer
    COLORADJUSTMENT m_adjustment{};
};
const ProcessColourAdjustment& ColourAdjustmentOfProcess();
