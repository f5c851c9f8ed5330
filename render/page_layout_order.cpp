// The page-order lists of the watermark pass: which logical pages each sheet of a reverse,
// booklet or manual-duplex job carries, in the order the sheets come out of the printer.
#include <algorithm>
#include <new>

#include "oem_pdev.h"
#include "page_layout.h"

namespace {

// A duplex job on a printer that turns its sheets by hand (the flags are only set for duplex jobs).
bool ManualDuplex(const PageLayout& layout) {
    return (layout.m_flags & (kLayoutDuplexType2 | kLayoutDuplexType3)) != 0;
}

bool Simplex(const OemPdev* pdev) {
    const PDEVMODEW devmode = pdev->m_publicDevmode;
    return !devmode || (devmode->dmDuplex != DMDUP_VERTICAL && devmode->dmDuplex != DMDUP_HORIZONTAL);
}

// Every n-th entry from first on.
std::vector<DWORD> EveryOther(const std::vector<DWORD>& list, size_t first) {
    std::vector<DWORD> taken;
    for (size_t i = first; i < list.size(); i += 2) taken.push_back(list[i]);
    return taken;
}

// One entry per sheet: the number of the sheet's first logical page.
void SheetList(const OemPdev* pdev, DWORD pageCount, std::vector<DWORD>* list) {
    const PageLayout& layout = pdev->m_layout;
    const DWORD perSheet = std::max<DWORD>(layout.m_pagesPerSheet, 1);
    const DWORD sheets = (pageCount + perSheet - 1) / perSheet;
    std::vector<DWORD> firstPages;
    for (DWORD sheet = 0; sheet < sheets; ++sheet) firstPages.push_back(1 + sheet * perSheet);

    list->assign(sheets + (sheets % 2), 0);
    if (!ManualDuplex(layout)) {
        // Back to front: the sheets in descending order. Printed on both sides, neighbours change
        // places so that each sheet's front still comes before its back (an odd count leaves the
        // first sheet, a front of its own, in place).
        std::reverse(firstPages.begin(), firstPages.end());
        if (layout.m_pageOrder != 1) return;
        if (!Simplex(pdev))
            for (size_t i = sheets % 2; i + 1 < firstPages.size(); i += 2) std::swap(firstPages[i], firstPages[i + 1]);
        std::copy(firstPages.begin(), firstPages.end(), list->begin());
        return;
    }
    // Manual duplex: all fronts (the even places of the sheet order) come out first, then the backs.
    if (layout.m_pageOrder == 1) std::reverse(firstPages.begin(), firstPages.end());
    std::vector<DWORD> ordered = EveryOther(firstPages, 1);
    const std::vector<DWORD> odd = EveryOther(firstPages, 0);
    ordered.insert(ordered.end(), odd.begin(), odd.end());
    std::copy(ordered.begin(), ordered.end(), list->begin());
}

// Four entries per booklet sheet: front left, front right, back left, back right.
HRESULT BookletList(const OemPdev* pdev, DWORD pageCount, std::vector<DWORD>* list) {
    const PageLayout& layout = pdev->m_layout;
    if (layout.m_bookletSide != 1 && layout.m_bookletSide != 2) return E_FAIL;
    const DWORD sheets = (pageCount + 3) / 4;
    const DWORD total = 4 * sheets;
    const bool forward = layout.m_pageOrder == 0;
    const bool second = layout.m_bookletSide == 2;
    list->clear();
    list->reserve(total);

    if (!ManualDuplex(layout)) {
        const bool longEdge = !pdev->m_publicDevmode || pdev->m_publicDevmode->dmDuplex != DMDUP_HORIZONTAL;
        for (DWORD k = 0; k < sheets; ++k) {
            const DWORD a = 2 * k + 1;
            const DWORD b = total - a;
            const DWORD m = a + 1;
            DWORD p1, p2, p3, p4;
            if (forward) {
                p1 = second ? a : b + 1;
                p2 = second ? b + 1 : a;
                p3 = second ? (longEdge ? m : p2 - 1) : (longEdge ? p1 - 1 : m);
                p4 = second ? (longEdge ? p2 - 1 : m) : (longEdge ? m : p1 - 1);
            } else {
                p1 = second ? b : m;
                p2 = second ? m : b;
                p3 = second ? (longEdge ? p2 + 1 : a) : (longEdge ? a : p2 + 1);
                p4 = second ? (longEdge ? a : p2 + 1) : (longEdge ? p2 + 1 : a);
            }
            list->insert(list->end(), {p1, p2, p3, p4});
        }
        return S_OK;
    }

    // Manual duplex: the fronts of all sheets, then their backs, one pair per sheet side.
    std::vector<std::pair<DWORD, DWORD>> pairs;
    for (DWORD k = 0; k < sheets; ++k) {
        if (pageCount > 4)
            pairs.push_back(second ? std::pair{2 * (sheets - k) - 1, 2 * sheets + 2 + 2 * k}
                                   : std::pair{2 * sheets + 2 + 2 * k, 2 * (sheets - k) - 1});
        else
            pairs.push_back(second ? std::pair{2 * k + 1, total - 2 * k} : std::pair{total - 2 * k, 2 * k + 1});
    }
    for (DWORD k = 0; k < sheets; ++k) {
        const DWORD d = 2 * (sheets - k);
        if (!second)
            pairs.push_back({d, pageCount < 5 ? d + 1 : total - d + 1});
        else
            pairs.push_back(pageCount > 4 ? std::pair{total - d + 1, d} : std::pair{d + 1, d});
    }
    if (forward) std::reverse(pairs.begin(), pairs.end());
    for (const auto& [left, right] : pairs) list->insert(list->end(), {left, right});
    return S_OK;
}

}  // namespace

HRESULT BuildPageOrderList(const OemPdev* pdev, DWORD pageCount, std::vector<DWORD>* list) {
    if (!pdev || !list) return E_INVALIDARG;
    list->clear();
    if (pageCount == 0) return S_OK;
    // The count comes from the job's DEVMODE: a count no document has plans no sheets.
    if (pageCount > kMaxDocumentPages) return E_INVALIDARG;
    try {
        if (pdev->m_layout.m_booklet) {
            const HRESULT result = BookletList(pdev, pageCount, list);
            if (FAILED(result)) list->clear();
            return result;
        }
        SheetList(pdev, pageCount, list);
        return S_OK;
    } catch (const std::bad_alloc&) {
        list->clear();
        return E_OUTOFMEMORY;
    }
}

const std::vector<DWORD>& PageOrderList(OemPdev* pdev) {
    PageLayout& layout = pdev->m_layout;
    const DWORD pages = pdev->m_document.m_docPageCount;
    if (!layout.m_pageOrderListBuilt || layout.m_pageOrderListPages != pages) {
        if (FAILED(BuildPageOrderList(pdev, pages, &layout.m_pageOrderList))) layout.m_pageOrderList.clear();
        layout.m_pageOrderListPages = pages;
        layout.m_pageOrderListBuilt = true;
    }
    return layout.m_pageOrderList;
}

bool ManualDuplexListEntry(const OemPdev* pdev, DWORD listLength, ManualDuplexEntry* entry) {
    if (!pdev || !entry) return false;
    const PageLayout& layout = pdev->m_layout;
    const DWORD half = layout.m_booklet ? listLength / 4 : listLength / 2;
    if (half == 0) return false;
    const DWORD copies = layout.m_copies ? layout.m_copies : 1;
    const DWORD sheet = pdev->m_document.m_pageCounter;
    ManualDuplexEntry found;
    if (layout.m_collate == 1) {
        const bool earlyRun = sheet / half < copies;  // sheet < copies x half, without overflow
        found.m_index = earlyRun ? sheet % half : half + sheet % half;
        found.m_hasFirstPage = !earlyRun;
    } else {
        found.m_index = sheet / copies;
        found.m_hasFirstPage = true;
    }
    found.m_firstPageIndex = layout.m_pageOrder == 1 ? listLength - 1 : half;
    // A booklet side reads two entries from 2k on, a sheet one at k.
    const DWORD entries = layout.m_booklet ? listLength / 2 : listLength;
    if (found.m_index >= entries) return false;
    *entry = found;
    return true;
}
