// The page-order strategies of an EMF job.
#include "coprocessoremf.h"
#include "print_single_page_emf.h"

HRESULT MethodPrintForwardEMF::PrintDocument(const EmfPass& pass) {
    if (FAILED(BeginPass(pass.devmode))) return E_FAIL;
    DWORD page = 1;
    bool done = false;
    while (!done) {
        DWORD next = page;
        if (FAILED(PrintSide(pass, page, true, &next, &done))) return E_FAIL;
        page = next;
    }
    return S_OK;
}

HRESULT MethodPrintReverseEMF::PrintDocument(const EmfPass& pass) {
    if (FAILED(BeginPass(pass.devmode)) || !pass.sides) return E_FAIL;
    for (DWORD first : *pass.sides) {
        DWORD next = 0;
        bool done = false;
        if (FAILED(PrintSide(pass, first, false, &next, &done))) return E_FAIL;
    }
    return S_OK;
}

HRESULT MethodPrintReverseForDriverEMF::PrintDocument(const EmfPass& pass) {
    if (FAILED(BeginPass(pass.devmode)) || !pass.sides) return E_FAIL;
    const BYTE nup = m_job.nupPages;
    m_job.nupPages = 1;
    for (DWORD page : *pass.sides) {
        WaitIfPaused();
        HANDLE pageHandle = nullptr;
        if (FAILED(m_gdi->GDIGetPageHandle(m_spool, page, &pageHandle))) {
            m_job.nupPages = nup;
            return E_FAIL;
        }
        DEVMODEW* devmode = nullptr;
        DEVMODEW* previous = nullptr;
        if (FAILED(CheckDevmodeChange(page, pass.devmode)) || FAILED(PageDevmodes(page, &devmode, &previous)) ||
            FAILED(StartSide(PassSideIsBack(pass)))) {
            m_job.nupPages = nup;
            return E_FAIL;
        }
        m_pageLandscape = Landscape(devmode);
        const HRESULT played = PlayPage(pageHandle, page, 1, playflag::kPlain);
        if (FAILED(played) || FAILED(EndSide())) {
            m_job.nupPages = nup;
            return E_FAIL;
        }
    }
    m_job.nupPages = nup;
    return S_OK;
}

HRESULT MethodPrintBookletEMF::PrintDocument(const EmfPass& pass) {
    if (FAILED(BeginPass(pass.devmode))) return E_FAIL;
    const DWORD groups = (pass.pageCount + 3) / 4;
    for (DWORD group = 0; group < groups; ++group)
        if (FAILED(PrintSheet(pass, group))) return E_FAIL;
    return S_OK;
}

HRESULT MethodPrintBookletEMF::PrintSheet(const EmfPass& pass, DWORD group) {
    WaitIfPaused();
    if (!pass.sides || pass.sides->size() < (group + 1) * 4) return E_FAIL;
    const DWORD* entries = pass.sides->data() + group * 4;
    if (FAILED(CheckDevmodeChange(1, pass.devmode))) return E_FAIL;
    DEVMODEW* first = nullptr;
    DEVMODEW* previous = nullptr;
    if (FAILED(PageDevmodes(1, &first, &previous))) return E_FAIL;
    const short sideOrientation = first->dmOrientation;
    for (DWORD cell = 0; cell < 4; ++cell) {
        const bool sideStart = cell % 2 == 0;
        if (sideStart) {
            if (m_job.watermarkRequested && FAILED(WriteOrientationMask(entries + cell, 2, 1, pass.pageCount)))
                return E_FAIL;
            // The third and fourth entries are the back of the sheet.
            if (FAILED(StartSide(cell >= 2))) return E_FAIL;
        }
        const DWORD page = entries[cell];
        if (page >= 1 && page <= pass.pageCount) {
            HANDLE pageHandle = nullptr;
            DEVMODEW* devmode = nullptr;
            if (FAILED(m_gdi->GDIGetPageHandle(m_spool, page, &pageHandle)) ||
                FAILED(PageDevmodes(page, &devmode, &previous)))
                return E_FAIL;
            DWORD flags = (cell >= 2 && pass.duplexSides == 1) ? playflag::kBookletBack : playflag::kPlain;
            if (devmode->dmOrientation != sideOrientation) flags |= playflag::kTurned;
            m_pageLandscape = Landscape(devmode);
            if (FAILED(PlayPage(pageHandle, page, cell % 2 + 1, flags))) return E_FAIL;
        }
        if (!sideStart && FAILED(EndSide())) return E_FAIL;
    }
    return S_OK;
}

HRESULT MethodPrintManDuplexEMF::PrintDocument(const EmfPass& pass) {
    if (FAILED(BeginPass(pass.devmode)) || !pass.order) return E_FAIL;
    const std::vector<DWORD>& order = *pass.order;
    const size_t perSide = EntriesPerSide();
    const size_t half = std::min<size_t>(pass.paddedCount / 2, order.size() / 2);
    const DWORD copies = m_copies ? m_copies : 1;
    for (size_t start : {size_t{0}, half}) {
        const size_t end = start + half;
        // The first half prints the backs; the turned stack then takes the fronts.
        m_firstPass = start == 0;
        if (m_collate == 1) {
            for (DWORD copy = 0; copy < copies; ++copy)
                for (size_t index = start; index + perSide <= end; index += perSide)
                    if (FAILED(PrintManualSide(pass, index))) return E_FAIL;
        } else {
            for (size_t index = start; index + perSide <= end; index += perSide)
                for (DWORD copy = 0; copy < copies; ++copy)
                    if (FAILED(PrintManualSide(pass, index))) return E_FAIL;
        }
    }
    return S_OK;
}

HRESULT MethodPrintManDuplexEMF::PrintManualSide(const EmfPass& pass, size_t index) {
    WaitIfPaused();
    const DWORD entry = (*pass.order)[index];
    if (entry == 0 || (pass.pageCount && entry > pass.pageCount)) return BlankSide(m_firstPass);
    const DWORD n = m_job.nupPages ? m_job.nupPages : 1;
    if (n > 1) {
        std::vector<DWORD> pages;
        for (DWORD i = 0; i < n; ++i) pages.push_back(entry + i);
        if (FAILED(WriteOrientationMask(pages.data(), n, entry, pass.pageCount))) return E_FAIL;
    }
    bool started = false;
    short sideOrientation = 0;
    for (DWORD j = 1; j <= n; ++j) {
        const DWORD page = entry + j - 1;
        HANDLE pageHandle = nullptr;
        if (FAILED(m_gdi->GDIGetPageHandle(m_spool, page, &pageHandle))) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
            return E_FAIL;
        }
        DEVMODEW* devmode = nullptr;
        DEVMODEW* previous = nullptr;
        if (FAILED(PageDevmodes(page, &devmode, &previous))) return E_FAIL;
        DWORD flags = playflag::kPlain;
        if (j == 1) {
            if (FAILED(CheckDevmodeChange(page, pass.devmode)) || FAILED(StartSide(m_firstPass))) return E_FAIL;
            started = true;
            sideOrientation = devmode->dmOrientation;
        } else if (devmode->dmOrientation != sideOrientation) {
            flags |= playflag::kTurned;
        }
        m_pageLandscape = Landscape(devmode);
        if (FAILED(PlayPage(pageHandle, page, j, flags))) return E_FAIL;
    }
    return started ? EndSide() : BlankSide(m_firstPass);
}

HRESULT MethodPrintManDuplexBookletEMF::PrintManualSide(const EmfPass& pass, size_t index) {
    WaitIfPaused();
    const std::vector<DWORD>& order = *pass.order;
    if (FAILED(CheckDevmodeChange(1, pass.devmode))) return E_FAIL;
    DEVMODEW* first = nullptr;
    DEVMODEW* previous = nullptr;
    if (FAILED(PageDevmodes(1, &first, &previous))) return E_FAIL;
    const short sideOrientation = first->dmOrientation;
    if (FAILED(StartSide(m_firstPass))) return E_FAIL;
    for (DWORD cell = 0; cell < 2; ++cell) {
        const DWORD page = order[index + cell];
        if (page < 1 || page > pass.pageCount) continue;
        HANDLE pageHandle = nullptr;
        DEVMODEW* devmode = nullptr;
        if (FAILED(m_gdi->GDIGetPageHandle(m_spool, page, &pageHandle)) ||
            FAILED(PageDevmodes(page, &devmode, &previous)))
            return E_FAIL;
        DWORD flags = playflag::kPlain;
        if (devmode->dmOrientation != sideOrientation) flags |= playflag::kTurned;
        m_pageLandscape = Landscape(devmode);
        if (FAILED(PlayPage(pageHandle, page, cell + 1, flags))) return E_FAIL;
    }
    return EndSide();
}

HRESULT MethodPrintPosterEMF::PrintDocument(const EmfPass& pass) {
    if (FAILED(BeginPass(pass.devmode))) return E_FAIL;
    for (DWORD page = 1;; ++page) {
        WaitIfPaused();
        DEVMODEW* devmode = nullptr;
        DEVMODEW* previous = nullptr;
        if (FAILED(PageDevmodes(page, &devmode, &previous))) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) return S_OK;
            return E_FAIL;
        }
        HANDLE pageHandle = nullptr;
        if (FAILED(m_gdi->GDIGetPageHandle(m_spool, page, &pageHandle)))
            return GetLastError() == ERROR_NO_MORE_ITEMS ? S_OK : E_FAIL;
        m_pageLandscape = Landscape(devmode);
        if (FAILED(PlayPage(pageHandle, page, 1, playflag::kPlain))) return E_FAIL;
    }
}
