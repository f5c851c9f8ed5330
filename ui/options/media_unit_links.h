// The custom paper size popup's width (item and box 17152, arrows 17153, caption 17154) and height
// (17202, 17203, 17204), held in hundredths of a millimetre and shown in tenths of a millimetre or
// thousandths of an inch as the units item says.
#pragma once

#include "binding_margin_links_units.h"
#include "items/dlglink_static.h"

// The unit caption behind both boxes.
class QORVAOptItemDlgLinkStaticMEDIAUNITS final : public QORVAOptItemDlgLinkStatic {
public:
    QORVAOptItemDlgLinkStaticMEDIAUNITS(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                        DWORD linkFlags = 0);
    // Any notification writes both captions again.
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
};

class QORVAOptItemDlgLinkUDArrowNumberMEDIAUNITS final : public QVOptItemDlgLinkUDArrowNumberLength {
public:
    // The item's range is given in tenths of a millimetre by its option 1.
    QORVAOptItemDlgLinkUDArrowNumberMEDIAUNITS(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                               DWORD controlId, DWORD linkFlags = 0);

protected:
    // Inches are shown within the paper sizes the printer takes; a size outside is moved there.
    void ShowLength(LONG length, bool millimetres) override;
    void ReadLength(bool millimetres) override;

private:
    LONG m_shownTenths = 0;
    double m_shownInches = 0;
};

class QORVAOptItemDlgLinkUDArrowSpinMEDIAUNITS final : public QVOptItemDlgLinkUDArrowSpinLength {
public:
    using QVOptItemDlgLinkUDArrowSpinLength::QVOptItemDlgLinkUDArrowSpinLength;

protected:
    LONG Step(LONG value, int iDelta, bool millimetres) override;
};
