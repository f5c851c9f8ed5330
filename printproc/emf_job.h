// The values of one EMF job that setup reads from the job's DEVMODEs and settings, and the job
// flag word.
#pragma once

#include <win/windows.h>

#include "settings_interface.h"

namespace emfjob {
inline constexpr DWORD kForward = 0x1;
inline constexpr DWORD kReverse = 0x2;
inline constexpr DWORD kBooklet = 0x4;
inline constexpr DWORD kManualDuplex2 = 0x8;
inline constexpr DWORD kCollate = 0x10;
inline constexpr DWORD kGraphicsOff = 0x20;
inline constexpr DWORD kGraphicsOn = 0x40;
inline constexpr DWORD kRotated = 0x80;
inline constexpr DWORD kGraphicsRead = 0x100;
inline constexpr DWORD kManualDuplex3 = 0x200;
inline constexpr DWORD kManualDuplex = kManualDuplex2 | kManualDuplex3;
}  // namespace emfjob

struct EmfJobValues {
    WORD copies = 1;
    WORD collate = 0;
    DWORD printerCollated = 0;
    WORD duplex = 1;  // dmDuplex
    DWORD manualDuplexType = 0;
    BYTE pageOrder = 0;
    BYTE bookletOn = 0, bookletKind = 0;
    BYTE nupOn = 0, nupPages = 1, nupBorder = 1, nupOrder = 0, nupRequested = 0;
    BYTE scalingOn = 0, scalingToFit = 0;
    WORD scalingSize = 0, scalingFactor = 100;
    BYTE watermarkRequested = 0;
    WatermarkSettings watermark{};
    WCHAR watermarkText[64]{};
    WCHAR watermarkFont[64]{};
    BYTE bindingOn = 0, bindingDirect = 0, bindingShift = 0;
    DWORD bindingMargin = 0;
    BYTE dateOn = 0, dateFirstPageOnly = 0, datePosition = 0;
    WCHAR dateText[64]{};
    BYTE posterTiles = 0, posterCrop = 0;
    BYTE graphicsMode = 255;  // 255: not read
    BYTE rotated = 0, grayscale = 0;
    DWORD pdlType = 0, deviceType = 0;
    DWORD flags = 0;

    bool manualDuplex() const { return (flags & emfjob::kManualDuplex) != 0; }
};

// Reads a DEVMODE field only when the DEVMODE's dmSize covers it.
template <class T>
bool DevmodeHas(const DEVMODEW* devmode, size_t offset) {
    return devmode && devmode->dmSize >= offset + sizeof(T);
}
#define DEVMODE_HAS(devmode, field) DevmodeHas<decltype(DEVMODEW::field)>(devmode, offsetof(DEVMODEW, field))
