// The sizes of the job's paper and of the paper a job is scaled to, from the printer's paper list.
#pragma once

#include <win/windows.h>

// Looks up the papers jobPaper and scalePaper among the printer's papers (DeviceCapabilitiesW
// DC_PAPERS and DC_PAPERSIZE, tenths of a millimetre), width and height swapped when landscape.
// *percent gets the smaller of the width and height ratios of the job paper to the scale paper in
// percent; 100 and E_FAIL when either paper is missing.
HRESULT GetPaperList(LPCWSTR printer, short jobPaper, short scalePaper, bool landscape, DWORD* percent,
                     SIZE* jobSize, SIZE* scaleSize);
