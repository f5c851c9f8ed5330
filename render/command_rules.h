// The choice of the orientation and binding commands from the page's layout.
#pragma once

#include <win/windows.h>

// The terms the choice is made of.
struct LayoutTerms {
    bool m_landscape = false;      // the page is landscape
    bool m_rotated = false;        // _ROTATED
    bool m_twoOrSix = false;       // 2 or 6 pages per sheet, or a booklet
    bool m_booklet = false;
    bool m_horizontal = false;     // dmDuplex is DMDUP_HORIZONTAL
    bool m_firstLandscape = false; // the document's first page was landscape
    DWORD m_deviceType = 1;        // _DEVICETYPE (0 counts as 1)
    DWORD m_pagesPerSheet = 1;
    bool m_backSide = false;       // the page is printed on a sheet's back
    bool m_textAsGraphics = false;
    bool m_longPaper = false;      // more than 12 inches along the feed
};

// The orientation command (226, 227, 222 or 223), or 0 when none is sent.
DWORD OrientationCommand(const LayoutTerms& terms);
// The binding command (215 or 216) after duplex on: rule A for callback 305, rule B for 306.
DWORD BindingCommand(const LayoutTerms& terms, bool ruleB);
