// The binding-margin popup: the amount (item 25611, hundredths of a millimetre) typed and stepped in
// whole millimetres or hundredths of an inch as the units item says, its unit and range label, and
// the explanation of the chosen shift mode (item 25602: 0 shifts the image, else shrinks it).
#pragma once

#include "binding_margin_links_units.h"
#include "items/dlglink_static.h"

class QVOptItemDlgLinkStaticBINDMGNSFMODEEXP final : public QORVAOptItemDlgLinkStatic {
public:
    QVOptItemDlgLinkStaticBINDMGNSFMODEEXP(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                           DWORD linkFlags = 0);
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
    // The explanation of the mode, then the chain; the text itself is always shown.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};

class QVOptItemDlgLinkStaticBINDMGNAMOUNT final : public QORVAOptItemDlgLinkStatic {
public:
    QVOptItemDlgLinkStaticBINDMGNAMOUNT(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                        DWORD linkFlags = 0);
    // Any notification writes the unit and range label again.
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
};

class QVOptItemDlgLinkUDArrowNumberBINDMGNAMOUNT final : public QVOptItemDlgLinkUDArrowNumberLength {
public:
    // The item's range comes from its option 1 (minimum its icon id, maximum its parameter).
    QVOptItemDlgLinkUDArrowNumberBINDMGNAMOUNT(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                               DWORD controlId = 25611, DWORD linkFlags = 0);

protected:
    void ShowLength(LONG length, bool millimetres) override;
    void ReadLength(bool millimetres) override;

private:
    LONG m_shownMm = 0;
    double m_shownInches = 0;
};

class QVOptItemDlgLinkUDArrowSpinBINDMGNAMOUNT final : public QVOptItemDlgLinkUDArrowSpinLength {
public:
    using QVOptItemDlgLinkUDArrowSpinLength::QVOptItemDlgLinkUDArrowSpinLength;

protected:
    LONG Step(LONG value, int iDelta, bool millimetres) override;
};
