// The universal driver's raster output of a page's content: the page drawn into pixels and sent as
// one PCL XL image over the printable area, in blocks of rows compressed with the protocol's
// run-length encoding (PackBits). The encoding is the published one (little-endian binding).
#pragma once

#include <vector>

#include <win/windows.h>

namespace palvex::hosts {

// PackBits of one row: runs of 2 to 128 equal bytes as (1 - n) and the byte, other bytes as
// (n - 1) and up to 128 literal bytes.
void PackBits(const BYTE* row, size_t size, std::vector<BYTE>* out);

// Bytes of one image row as the protocol stores it: padded to a multiple of 4.
size_t ImageRowBytes(LONG width, bool colour);

// PushGS, the colour space (eRGB for colour, else eGray), ROP3 204 (source copy), the cursor at
// the printable area's corner, and BeginImage of width x height direct 8-bit pixels drawn at
// their own size.
std::vector<BYTE> ImageStart(LONG width, LONG height, POINTL corner, bool colour);
// One ReadImage of rows from startLine: the rows' pixels (three bytes a pixel, red, green, blue,
// as RasterizeSide hands them) as grey (ITU-R BT.601 luma) or colour rows, padded and compressed.
std::vector<BYTE> ImageBlock(LONG width, LONG startLine, LONG rows, const std::vector<BYTE>& rgb, bool colour);
// EndImage and PopGS.
std::vector<BYTE> ImageEnd();

}  // namespace palvex::hosts
