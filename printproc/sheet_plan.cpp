#include "sheet_plan.h"

#include <algorithm>
#include <deque>
#include <new>

HRESULT PlanSheetOrder(const SheetPlanRequest& request, SheetPlan* plan) {
    *plan = SheetPlan{};
    if (request.booklet) return PlanBookletOrder(request, plan);
    try {
        const DWORD step = request.nupPages ? request.nupPages : 1;
        std::deque<DWORD> list;
        const bool append = request.manualDuplex && !request.reverse;
        for (DWORD page = 1; page <= request.pageCount; page += step) {
            if (append) list.push_back(page);
            else list.push_front(page);
        }
        plan->sides.assign(list.begin(), list.end());
        const size_t count = plan->sides.size();
        if (count <= 1) return S_OK;
        plan->paddedCount = static_cast<DWORD>((count + 1) & ~size_t{1});
        plan->order.assign(plan->paddedCount, 0);
        if (request.manualDuplex) {
            // First pass: the 2nd, 4th, ... entries; second pass: the 1st, 3rd, ...; an odd count
            // leaves the first pass's last slot blank.
            const size_t half = plan->paddedCount / 2;
            size_t first = 0, second = half;
            for (size_t i = 0; i < count; ++i) {
                if (i % 2 == 1) plan->order[first++] = plan->sides[i];
                else plan->order[second++] = plan->sides[i];
            }
            plan->sides.clear();
            for (DWORD entry : plan->order)
                if (entry) plan->sides.push_back(entry);
        } else if (request.reverse && request.duplex) {
            // Back to front, but each sheet's front before its back.
            for (size_t i = count % 2; i + 1 < count; i += 2) std::swap(plan->sides[i], plan->sides[i + 1]);
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        *plan = SheetPlan{};
        return E_FAIL;
    }
}

HRESULT PlanBookletOrder(const SheetPlanRequest& request, SheetPlan* plan) {
    *plan = SheetPlan{};
    const BYTE kind = request.bookletKind;
    if (kind != 1 && kind != 2) return E_FAIL;
    try {
        const DWORD sheets = (request.pageCount + 3) / 4;
        const DWORD padded = sheets * 4;
        std::vector<DWORD>& order = plan->sides;
        order.reserve(padded);
        if (!request.manualDuplex) {
            for (DWORD k = 0; k < sheets; ++k) {
                const DWORD m = 2 * k + 1;
                DWORD e[4];
                if (request.pageOrder == 0 && kind == 1) e[0] = padded - m + 1, e[1] = m, e[2] = padded - m, e[3] = m + 1;
                else if (request.pageOrder == 0) e[0] = m, e[1] = padded - m + 1, e[2] = m + 1, e[3] = padded - m;
                else if (kind == 1) e[0] = m + 1, e[1] = padded - m, e[2] = m, e[3] = padded - m + 1;
                else e[0] = padded - m, e[1] = m + 1, e[2] = padded - m + 1, e[3] = m;
                if (request.shortEdge) std::swap(e[2], e[3]);
                order.insert(order.end(), e, e + 4);
            }
        } else {
            const bool large = request.pageCount > 4;
            std::vector<std::pair<DWORD, DWORD>> pairs;
            for (DWORD k = 0; k < sheets; ++k) {
                std::pair<DWORD, DWORD> front = large ? std::pair{2 * sheets + 2 + 2 * k, 2 * sheets - 2 * k - 1}
                                                      : std::pair{padded - 2 * k, 2 * k + 1};
                if (kind == 2) std::swap(front.first, front.second);
                pairs.push_back(front);
            }
            for (DWORD j = 0; j < sheets; ++j) {
                const DWORD e = 2 * sheets - 2 * j;
                std::pair<DWORD, DWORD> back = large ? std::pair{e, padded - e + 1} : std::pair{e, e + 1};
                if (kind == 2) std::swap(back.first, back.second);
                pairs.push_back(back);
            }
            if (request.pageOrder == 0) std::reverse(pairs.begin(), pairs.end());
            for (const auto& [first, second] : pairs) {
                order.push_back(first);
                order.push_back(second);
            }
        }
        plan->order = order;
        plan->paddedCount = padded;
        return S_OK;
    } catch (const std::bad_alloc&) {
        *plan = SheetPlan{};
        return E_FAIL;
    }
}
