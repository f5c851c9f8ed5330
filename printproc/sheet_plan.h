// The order in which an EMF job's sheet sides are printed: the side list (the first logical page
// of each side) and, for manual duplex and booklets, the order array with blanks (0) padded to an
// even count.
#pragma once

#include <vector>

#include <win/windows.h>

struct SheetPlan {
    std::vector<DWORD> sides;  // first logical page of each side, in printing order
    std::vector<DWORD> order;  // manual duplex and booklets: the padded order, 0 a blank side
    DWORD paddedCount = 0;     // entries of order
};

struct SheetPlanRequest {
    DWORD pageCount = 0;
    DWORD nupPages = 1;
    bool reverse = false;       // page order back to front
    bool manualDuplex = false;
    bool duplex = false;        // duplex printed by the printer (dmDuplex other than 1, not manual)
    bool booklet = false;
    BYTE bookletKind = 0;       // 1 or 2
    BYTE pageOrder = 0;         // 0 or 1, for booklets
    bool shortEdge = false;     // dmDuplex DMDUP_HORIZONTAL, for booklets
};

// Plans the sides of a job; booklets go to PlanBookletOrder. E_FAIL (plan emptied) for a booklet
// kind other than 1 or 2 or when memory runs out.
HRESULT PlanSheetOrder(const SheetPlanRequest& request, SheetPlan* plan);
// Four entries per sheet (front-left, front-right, back-left, back-right; manual duplex: all
// fronts, then all backs, two entries a side); entries above the page count print blank.
HRESULT PlanBookletOrder(const SheetPlanRequest& request, SheetPlan* plan);
