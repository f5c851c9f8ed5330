// The rules of the document sheet's Layout and Advanced pages.
//
// QORVAOptItemConstraintLAYOUT enables and locks pages per sheet, the N-up borders and order, the
// binding margin, the watermark's first-page switch and the date stamp's controls against each
// other and against scaling, and catches favourites whose watermark text is no longer listed.
//
// QORVAOptItemConstraintADVANCED unlocks the toner-save item where the market is Japan's (or
// unknown) and hides the document-options button when the sheet has no standard items to show.
//
// Neither asks before a change; only the favourite check refuses one.
#pragma once

#include <win/windows.h>

#include "options/constraint_mediasize.h"

class QORVAOptItemHandler;

class QORVAOptItemConstraintLAYOUT : public QORVAOptItemConstraintMEDIASIZE {
public:
    QORVAOptItemConstraintLAYOUT(HANDLE heap, QORVAOptItemHandlerFactory* factory);

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

private:
    void DateStamp();

    QORVAOptItemHandler* m_duplex = nullptr;
    QORVAOptItemHandler* m_pagesPerSheet = nullptr;
    QORVAOptItemHandler* m_borders = nullptr;
    QORVAOptItemHandler* m_pageOrder = nullptr;
    QORVAOptItemHandler* m_watermark = nullptr;
    QORVAOptItemHandler* m_watermarkFirstPage = nullptr;
    QORVAOptItemHandler* m_bindingMargin = nullptr;
    QORVAOptItemHandler* m_bindingMarginButton = nullptr;
    QORVAOptItemHandler* m_dateStamp = nullptr;
    QORVAOptItemHandler* m_dateStampFirstPage = nullptr;
    QORVAOptItemHandler* m_dateStampFormat = nullptr;
};

class QORVAOptItemConstraintADVANCED : public QORVAOptItemConstraintMEDIASIZE {
public:
    QORVAOptItemConstraintADVANCED(HANDLE heap, QORVAOptItemHandlerFactory* factory);

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

private:
    QORVAOptItemHandler* m_tonerSave = nullptr;
};
