// The universal driver's own PCL XL frame around a rendering plug-in's bytes: what the driver
// writes after the job-start commands and after each page's start commands. The PCL XL encoding
// is the published one (little-endian binding): C0 ubyte, D1 uint16_xy, F8 attribute id.
#pragma once

#include <vector>

#include <win/windows.h>

namespace palvex::hosts {

// "@PJL ENTER LANGUAGE=PCLXL", the stream header ") HP-PCL XL;2;0;..." with its line feed, then
// BeginSession (UnitsPerMeasure resolution x resolution, Measure eInch, ErrorReport
// eNoReporting) and OpenDataSource (SourceType eDefaultDataSource, DataOrg eBinaryLowByteFirst).
std::vector<BYTE> JobStartFrame(WORD resolution);
// MediaSize (the PCL XL media of dmPaperSize: Letter 0, Legal 1, A4 2, Executive 3, 11x17 4,
// A3 5; any other paper A4) and BeginPage.
std::vector<BYTE> PageStartFrame(short paperSize);

}  // namespace palvex::hosts
