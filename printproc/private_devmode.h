// Where the kit's private block lies inside a DEVMODE. The same rule serves every module that
// reads or writes the block.
//
// The driver-extra part begins dmSize bytes after the DEVMODE's start and is dmDriverExtra bytes
// long. It opens with the universal driver's own part, whose size that part keeps as a 16-bit
// little-endian value: at byte 114 for the PostScript types (PDL 20 to 29), at byte 8 for all
// others. The kit's block follows it. A driver-extra part too short to hold that size (under 117
// bytes for PostScript, 10 or less otherwise) has no universal-driver part: the block starts
// right at dmSize.
#pragma once

#include <win/windows.h>

// The smallest dmSize taken for a DEVMODE: its fields up to dmDriverExtra.
inline constexpr DWORD kSmallestDevmodeSize = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);

// dmSize + dmDriverExtra: the bytes the DEVMODE says it has.
inline DWORD DevmodeExtent(const DEVMODEW* devmode) {
    return static_cast<DWORD>(devmode->dmSize) + devmode->dmDriverExtra;
}

// The block's offset from the DEVMODE's start (dmSize + the universal driver's part). It may lie
// beyond the DEVMODE: callers check it against DevmodeExtent.
DWORD PrivateBlockOffset(const DEVMODEW* devmode, DWORD pdlType);
