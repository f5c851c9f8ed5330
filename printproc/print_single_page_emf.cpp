#include "print_single_page_emf.h"

#include "coprocessoremf.h"
#include "kittrace.h"

HRESULT PrintSinglePageEMF::Prepare(CoProcessorEMF* processor, HANDLE spool, HDC dc, GDIInterface* gdi, WORD copies,
                                    WORD collate, WORD duplex, DWORD manualDuplexType, DWORD sideCount) {
    if (!processor || !spool || !dc || !gdi) return E_FAIL;
    m_processor = processor;
    m_job = processor->job();
    m_spool = spool;
    m_dc = dc;
    m_gdi = gdi;
    m_copies = copies;
    m_collate = collate;
    m_duplex = duplex;
    m_manualDuplexType = manualDuplexType;
    m_sideCount = sideCount;
    return S_OK;
}

bool PrintSinglePageEMF::Landscape(const DEVMODEW* devmode) const {
    return DEVMODE_HAS(devmode, dmOrientation) && devmode->dmOrientation == DMORIENT_LANDSCAPE;
}

bool PrintSinglePageEMF::WaitIfPaused() {
    IProcessor* owner = m_processor->owner();
    if (owner) owner->WaitIfPaused();
    return true;
}

HRESULT PrintSinglePageEMF::ResetDc(DEVMODEW* devmode) {
    if (!ResetDCW(m_dc, devmode)) return E_FAIL;
    return SetGraphicsMode(m_dc, GM_ADVANCED) ? S_OK : E_FAIL;
}

HRESULT PrintSinglePageEMF::PageDevmodes(DWORD page, DEVMODEW** current, DEVMODEW** previous) {
    if (FAILED(m_gdi->GDIGetDevmodeForPage(m_spool, page, current, previous))) return E_FAIL;
    m_processor->ApplyFormSubstitution(*current);
    m_processor->ApplyFormSubstitution(*previous);
    return S_OK;
}

HRESULT PrintSinglePageEMF::BeginPass(const DEVMODEW* jobCopy) {
    m_changeSeen = false;
    m_firstSideDone = false;
    m_passSides = 0;
    DEVMODEW* first = nullptr;
    DEVMODEW* previous = nullptr;
    if (FAILED(PageDevmodes(1, &first, &previous))) return E_FAIL;
    // The sides of a pass that never meets a DEVMODE change print with this reset: it carries the
    // copies the processor left to the printer, not the application's count, which the processor
    // may be making itself.
    if (jobCopy) first->dmCopies = jobCopy->dmCopies;
    m_processor->setFirstPageSize(first->dmPaperSize);
    m_processor->settings()->SetFirstPageSize(first, static_cast<DWORD>(static_cast<WORD>(first->dmPaperSize)));
    return ResetDc(first);
}

HRESULT PrintSinglePageEMF::CheckDevmodeChange(DWORD page, const DEVMODEW* jobCopy) {
    DEVMODEW* current = nullptr;
    DEVMODEW* previous = nullptr;
    if (FAILED(PageDevmodes(page, &current, &previous))) return E_FAIL;
    // Page 1 has no previous DEVMODE, which is a change too: the document's first side takes the
    // job's copies, duplex and resolution rather than what the application spooled.
    if (current != previous) m_changeSeen = true;
    if (!m_changeSeen) return S_OK;
    current->dmPrintQuality = jobCopy->dmPrintQuality;
    current->dmYResolution = jobCopy->dmYResolution;
    current->dmCopies = jobCopy->dmCopies;
    current->dmDuplex = jobCopy->dmDuplex;
    if (current->dmSize > 101) current->dmCollate = jobCopy->dmSize < 102 ? 0 : jobCopy->dmCollate;
    if (m_processor->firstPageSize() != -1)
        m_processor->settings()->SetFirstPageSize(current, static_cast<DWORD>(static_cast<WORD>(m_processor->firstPageSize())));
    if (!GdiResetDCEMF(m_spool, current)) return E_FAIL;
    return SetGraphicsMode(m_dc, GM_ADVANCED) ? S_OK : E_FAIL;
}

HRESULT PrintSinglePageEMF::WriteOrientationMask(const DWORD* pages, DWORD count, DWORD maskPage, DWORD pageCount) {
    DWORD mask = 0;
    for (DWORD i = 0; i < count && i < 32; ++i) {
        if (!pages[i] || (pageCount && pages[i] > pageCount)) continue;
        DEVMODEW* current = nullptr;
        DEVMODEW* previous = nullptr;
        if (FAILED(PageDevmodes(pages[i], &current, &previous))) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) continue;
            return E_FAIL;
        }
        if (Landscape(current)) mask |= 1u << i;
    }
    DEVMODEW* target = nullptr;
    DEVMODEW* previous = nullptr;
    if (FAILED(PageDevmodes(maskPage, &target, &previous))) return E_FAIL;
    m_processor->settings()->SetNupPageOrient(target, mask);
    return ResetDc(target);
}

HRESULT PrintSinglePageEMF::StartSide(bool secondSide) {
    m_secondSide = secondSide;
    return m_gdi->GDIStartPage(m_spool);
}

HRESULT PrintSinglePageEMF::EndSide() {
    ++m_sidesPlayed;
    ++m_passSides;
    return m_gdi->GDIEndPage(m_spool);
}

HRESULT PrintSinglePageEMF::BlankSide(bool secondSide) {
    if (FAILED(StartSide(secondSide))) return E_FAIL;
    return EndSide();
}

HRESULT PrintSinglePageEMF::PrintSide(const EmfPass& pass, DWORD page, bool stamps, DWORD* next, bool* done) {
    *done = false;
    WaitIfPaused();
    const DWORD n = m_job.nupPages ? m_job.nupPages : 1;
    if (n > 1 && (!pass.pageCount || page <= pass.pageCount)) {
        std::vector<DWORD> pages;
        for (DWORD i = 0; i < n; ++i) pages.push_back(page + i);
        if (FAILED(WriteOrientationMask(pages.data(), n, page, pass.pageCount))) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                *done = true;
                return S_OK;
            }
            return E_FAIL;
        }
    }
    short sideOrientation = 0;
    bool started = false;
    for (DWORD j = 1; j <= n; ++j) {
        const DWORD current = page + j - 1;
        HANDLE pageHandle = nullptr;
        if (FAILED(m_gdi->GDIGetPageHandle(m_spool, current, &pageHandle))) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                *done = true;
                break;
            }
            return E_FAIL;
        }
        DEVMODEW* devmode = nullptr;
        DEVMODEW* previous = nullptr;
        if (FAILED(PageDevmodes(current, &devmode, &previous))) return E_FAIL;
        DWORD flags = playflag::kPlain;
        if (j == 1) {
            if (FAILED(CheckDevmodeChange(current, pass.devmode))) return E_FAIL;
            sideOrientation = devmode->dmOrientation;
            if (FAILED(StartSide(PassSideIsBack(pass)))) return E_FAIL;
            started = true;
        } else if (devmode->dmOrientation != sideOrientation) {
            flags |= playflag::kTurned;
        }
        m_pageLandscape = Landscape(devmode);
        if (FAILED(PlayPage(pageHandle, current, j, flags))) return E_FAIL;
        if (j == 1 && stamps) {
            m_processor->settings()->SetBindingAdjustRect(devmode, &m_bindingAdjust);
            if (FAILED(ResetDc(devmode))) return E_FAIL;
        }
    }
    *next = page + n;
    if (!started) {
        *done = true;
        return S_OK;
    }
    if (stamps && m_job.dateOn && (!m_firstSideDone || !m_job.dateFirstPageOnly)) {
        if (FAILED(DrawDateAndTime(m_bindingAdjust))) DebugTrace(1, u"[VORTAN] Error DrawDateAndTime\n");
    }
    m_firstSideDone = true;
    if (FAILED(EndSide())) return E_FAIL;
    if (pass.pageCount && *next > pass.pageCount) *done = true;
    return S_OK;
}
