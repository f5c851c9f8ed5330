// The document sheet's paper lists, paper source and watermark angle:
//   1203   QORVAOptItemHandlerPAPERSIZE       the kit's paper size list
//   3102   QORVAOptItemHandlerSCALEDOCONSIZE  the scale-to-paper size list
//   4      QORVAOptItemHandlerSource          the paper source
//   19202  QORVAOptItemHandlerWMANGLE         the watermark angle (diagonal, horizontal, own)
// The two paper lists carry the paper ids the sheet gave their options when it copied them; on
// Apply they store the printer's own ids again.
#pragma once

#include "items/standard_handlers.h"

inline constexpr DWORD kPaperSizeItem = 1203;
inline constexpr DWORD kScaleToPaperSizeItem = 3102;
inline constexpr DWORD kPaperSourceItem = 4;
inline constexpr DWORD kOrientationItem = 1;
inline constexpr DWORD kWatermarkAngleItem = 19202;
inline constexpr DWORD kWatermarkDegreeItem = 19250;

class QORVASystemFunc;

// The printer's paper id of an id the sheet assigned (the first pair that assigned it), and the
// other way round; an id without a pair stays as it is.
LONG PaperIdToDevice(const QORVASystemFunc* systemFunc, LONG assignedId);
LONG PaperIdFromDevice(const QORVASystemFunc* systemFunc, LONG deviceId);

class QORVAOptItemHandlerPAPERSIZE : public QORVAOptItemHandlerCombobox {
public:
    QORVAOptItemHandlerPAPERSIZE(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    void SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) override;
    // 0 while a stored setting asked for a paper the list does not hold.
    LONG_PTR GetSelValue(QORVAOptItemDlgLink* link, DWORD* isText) override;
    // On Apply: the selection less the empty-named options before it, and the printer's paper id
    // of the value into the public devmode's dmPaperSize.
    void SaveSettings(HWND window) override;
    void QLoad(LPCWSTR text, DWORD* loadedOk) override;

    DWORD LoadMismatch() const { return m_loadMismatch; }

private:
    DWORD m_loadMismatch = 0;
};

class QORVAOptItemHandlerSCALEDOCONSIZE : public QORVAOptItemHandlerCombobox {
public:
    QORVAOptItemHandlerSCALEDOCONSIZE(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    // On Apply: the printer's paper id of the value into the private devmode's _SCALEDOCON_SIZE.
    void SaveSettings(HWND window) override;
};

class QORVAOptItemHandlerSource : public QORVAOptItemHandlerCombobox {
public:
    QORVAOptItemHandlerSource(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    // A stored source the list cannot hold is not set; one the list reaches only as another value
    // clears loadedOk.
    void QLoad(LPCWSTR text, DWORD* loadedOk) override;

    DWORD LoadMismatch() const { return m_loadMismatch; }

private:
    DWORD m_loadMismatch = 0;
};

// The diagonal choice (option 0) sets the degree item to the angle of the chosen paper's
// diagonal, recomputed when the paper size or the orientation changes; horizontal (option 1)
// sets it to 0; the own angle (option 2) leaves it alone. Stored values: 1 diagonal,
// 2 horizontal, 3 own angle.
class QORVAOptItemHandlerWMANGLE : public QORVAOptItemHandler3States {
public:
    QORVAOptItemHandlerWMANGLE(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
    void SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) override;

private:
    // The degrees of the diagonal of the selected paper, as the orientation turns it.
    LONG DiagonalAngle();

    QORVAOptItemHandler* m_paperSize = nullptr;
    QORVAOptItemHandler* m_orientation = nullptr;
};
