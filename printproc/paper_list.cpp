#include "paper_list.h"

#include <utility>
#include <vector>

#include <win/winspool_forms.h>

HRESULT GetPaperList(LPCWSTR printer, short jobPaper, short scalePaper, bool landscape, DWORD* percent,
                     SIZE* jobSize, SIZE* scaleSize) {
    *percent = 100;
    *jobSize = SIZE{};
    *scaleSize = SIZE{};
    if (!printer) return E_FAIL;
    const int count = DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, nullptr, nullptr);
    if (count <= 0 || DeviceCapabilitiesW(printer, nullptr, DC_PAPERSIZE, nullptr, nullptr) != count) return E_FAIL;
    std::vector<WORD> papers(static_cast<size_t>(count));
    std::vector<POINT> sizes(static_cast<size_t>(count));
    if (DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()), nullptr) != count ||
        DeviceCapabilitiesW(printer, nullptr, DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()), nullptr) != count)
        return E_FAIL;
    bool foundJob = false, foundScale = false;
    for (int i = 0; i < count; ++i) {
        if (!foundJob && papers[i] == static_cast<WORD>(jobPaper)) {
            *jobSize = SIZE{sizes[i].x, sizes[i].y};
            foundJob = true;
        }
        if (!foundScale && papers[i] == static_cast<WORD>(scalePaper)) {
            *scaleSize = SIZE{sizes[i].x, sizes[i].y};
            foundScale = true;
        }
    }
    if (!foundJob || !foundScale || scaleSize->cx <= 0 || scaleSize->cy <= 0) return E_FAIL;
    if (landscape) {
        std::swap(jobSize->cx, jobSize->cy);
        std::swap(scaleSize->cx, scaleSize->cy);
    }
    const DWORD byWidth = static_cast<DWORD>(jobSize->cx * 100 / scaleSize->cx);
    const DWORD byHeight = static_cast<DWORD>(jobSize->cy * 100 / scaleSize->cy);
    *percent = byWidth < byHeight ? byWidth : byHeight;
    return S_OK;
}
