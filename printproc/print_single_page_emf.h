// PrintSinglePageEMF: the base of the page-order strategies of an EMF job. It plays one logical
// page into its place on the current sheet side and draws the stamps; each strategy walks the
// pages in its own order and opens and closes the sheet sides.
#pragma once

#include <vector>

#include "emf_job.h"
#include "gdi_interface.h"

class CoProcessorEMF;

// What one copy pass of a strategy gets from the processor.
struct EmfPass {
    DEVMODEW* devmode = nullptr;  // the working copy of the job DEVMODE
    DWORD copyPass = 0;
    DWORD pageCount = 0;  // 0 when not known
    const std::vector<DWORD>* order = nullptr;
    DWORD paddedCount = 0;
    DWORD duplexSides = 0;  // 0 simplex, 1 long edge, 2 short edge
    const std::vector<DWORD>* sides = nullptr;
};

// Flags of PlayPage.
namespace playflag {
inline constexpr DWORD kPlain = 0x1;
inline constexpr DWORD kBookletBack = 0x2;  // back side of a long-edge booklet sheet
inline constexpr DWORD kTurned = 0x8000;    // the page's orientation differs from its side's
}  // namespace playflag

class PrintSinglePageEMF {
public:
    PrintSinglePageEMF() = default;
    PrintSinglePageEMF(const PrintSinglePageEMF&) = delete;
    PrintSinglePageEMF& operator=(const PrintSinglePageEMF&) = delete;
    virtual ~PrintSinglePageEMF() = default;

    virtual HRESULT PrintDocument(const EmfPass& pass) = 0;
    // Takes the job values, handles and plan of the processor.
    virtual HRESULT Prepare(CoProcessorEMF* processor, HANDLE spool, HDC dc, GDIInterface* gdi, WORD copies,
                            WORD collate, WORD duplex, DWORD manualDuplexType, DWORD sideCount);
    // Plays page (its handle is looked up again by number) at position (from 1) of the side.
    virtual HRESULT PlayPage(HANDLE pageHandle, DWORD page, DWORD position, DWORD flags);

    void ClearBindingAdjustRect() { m_bindingAdjust = RECT{}; }
    DWORD sidesPlayed() const { return m_sidesPlayed; }

protected:
    // Page 1's DEVMODE with form substitution becomes the first-page size and goes to the DC.
    HRESULT BeginPass(const DEVMODEW* jobCopy);
    // The page's DEVMODE (with form substitution) and the one before it.
    HRESULT PageDevmodes(DWORD page, DEVMODEW** current, DEVMODEW** previous);
    HRESULT ResetDc(DEVMODEW* devmode);
    // Resets the DC to the page's DEVMODE, with the job's copies, duplex and resolution, when it
    // differs from the previous page's (page 1 always does), or on every side once a change was
    // seen in this pass.
    HRESULT CheckDevmodeChange(DWORD page, const DEVMODEW* jobCopy);
    // Bit i for each of the pages first..first+count-1 (within the page count) that is landscape,
    // written into the DEVMODE of page maskPage, which then goes to the DC.
    HRESULT WriteOrientationMask(const DWORD* pages, DWORD count, DWORD maskPage, DWORD pageCount);
    // The forward side routine: the side that starts at page; *next gets the page after it, *done
    // whether the document ran out of pages.
    HRESULT PrintSide(const EmfPass& pass, DWORD page, bool stamps, DWORD* next, bool* done);
    // Starts a sheet side; secondSide tells the back of a duplex sheet from its front.
    HRESULT StartSide(bool secondSide);
    // The back of a sheet of two sides when an odd number of sides was played in this pass.
    bool PassSideIsBack(const EmfPass& pass) const { return pass.duplexSides != 0 && m_passSides % 2 == 1; }
    HRESULT EndSide();
    HRESULT BlankSide(bool secondSide);
    bool WaitIfPaused();
    bool Landscape(const DEVMODEW* devmode) const;

    // Placement and stamps: the N-up cell, binding margin and scaling of a page; poster tiles
    // scale the page n times over n x n sides; the watermark over a page, the date stamp on a side.
    HRESULT GetPageCoordinates(RECT* document, RECT* border, RECT* clip, DWORD position, bool* turn);
    HRESULT PlayPosterTiles(HANDLE pageHandle, DWORD page, DWORD flags);
    // The 1-up page of the job's paper on the scale paper.
    HRESULT ScaleToPaper(LONG width, LONG height, LONG pw, LONG ph, bool shift, LONG dpiX, LONG dpiY, RECT* document,
                         RECT* clip);
    HRESULT DrawWatermark(const RECT& rect, DWORD flags);
    HRESULT DrawDateAndTime(const RECT& rect);

    CoProcessorEMF* m_processor = nullptr;
    EmfJobValues m_job;
    HANDLE m_spool = nullptr;
    HDC m_dc = nullptr;
    GDIInterface* m_gdi = nullptr;
    WORD m_copies = 1, m_collate = 0, m_duplex = 1;
    DWORD m_manualDuplexType = 0;
    DWORD m_sideCount = 0;
    RECT m_bindingAdjust{};
    bool m_secondSide = false;
    SIZE m_previousPhysical{};  // the physical size of the previous side's paper
    bool m_pageLandscape = false;
    bool m_changeSeen = false;
    bool m_firstSideDone = false;
    DWORD m_sidesPlayed = 0;
    DWORD m_passSides = 0;  // sides played in this copy pass
};

// The strategies by page order.
class MethodPrintForwardEMF final : public PrintSinglePageEMF {
public:
    HRESULT PrintDocument(const EmfPass& pass) override;
};
class MethodPrintReverseEMF final : public PrintSinglePageEMF {
public:
    HRESULT PrintDocument(const EmfPass& pass) override;
};
class MethodPrintReverseForDriverEMF final : public PrintSinglePageEMF {
public:
    HRESULT PrintDocument(const EmfPass& pass) override;
};
class MethodPrintBookletEMF final : public PrintSinglePageEMF {
public:
    HRESULT PrintDocument(const EmfPass& pass) override;

private:
    HRESULT PrintSheet(const EmfPass& pass, DWORD group);
};
class MethodPrintManDuplexEMF : public PrintSinglePageEMF {
public:
    HRESULT PrintDocument(const EmfPass& pass) override;

protected:
    // Plays entriesPerSide consecutive entries of the order array from index as one side.
    virtual HRESULT PrintManualSide(const EmfPass& pass, size_t index);
    virtual DWORD EntriesPerSide() const { return 1; }
    bool m_firstPass = false;  // the sides of the first manual-duplex pass are the backs
};
class MethodPrintManDuplexBookletEMF final : public MethodPrintManDuplexEMF {
protected:
    HRESULT PrintManualSide(const EmfPass& pass, size_t index) override;
    DWORD EntriesPerSide() const override { return 2; }
};
class MethodPrintPosterEMF final : public PrintSinglePageEMF {
public:
    HRESULT PrintDocument(const EmfPass& pass) override;
};
