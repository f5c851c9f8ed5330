#include "media_unit_links.h"

#include <algorithm>

#include <win/strsafe.h>

#include "device_info_controls.h"
#include "items/optitem_handler.h"

namespace {

constexpr DWORD kWidthBox = 17152;
constexpr int kWidthCaption = 17154;
constexpr int kHeightCaption = 17204;
constexpr int kCaptionChars = 32;
constexpr int kSizeChars = 8;

// The sizes in inches the printer takes.
constexpr double kWidthInches[] = {3.55, 11.65};
constexpr double kHeightInches[] = {5.85, 17.0};

}  // namespace

// --- captions ---------------------------------------------------------------------------------

QORVAOptItemDlgLinkStaticMEDIAUNITS::QORVAOptItemDlgLinkStaticMEDIAUNITS(HANDLE heap, QORVAOptItemHandler* handler,
                                                                         HWND control, DWORD controlId, DWORD)
    : QORVAOptItemDlgLinkStatic(heap, handler, control, controlId, 0) {
    ObserveItem(GetHandler(kUnitsItem));
}

DWORD QORVAOptItemDlgLinkStaticMEDIAUNITS::Notify(DWORD, WORD, DWORD) {
    WCHAR unit[kCaptionChars];
    LoadUnitName(this, ShowsMillimetres(this), unit, kCaptionChars);
    HWND dialog = Dialog();
    SetDlgItemTextW(dialog, kWidthCaption, unit);
    SetDlgItemTextW(dialog, kHeightCaption, unit);
    UpdateControl(nullptr);
    return kAnswerPass;
}

// --- size boxes -------------------------------------------------------------------------------

QORVAOptItemDlgLinkUDArrowNumberMEDIAUNITS::QORVAOptItemDlgLinkUDArrowNumberMEDIAUNITS(HANDLE heap,
                                                                                       QORVAOptItemHandler* handler,
                                                                                       HWND control, DWORD controlId,
                                                                                       DWORD)
    : QVOptItemDlgLinkUDArrowNumberLength(heap, handler, control, controlId) {
    TakeBoundsOfOption1(10);
    UpdateControl(nullptr);
}

void QORVAOptItemDlgLinkUDArrowNumberMEDIAUNITS::ShowLength(LONG length, bool millimetres) {
    WCHAR text[kSizeChars];
    if (millimetres) {
        m_shownTenths = static_cast<LONG>((static_cast<LONGLONG>(length) + 5) / 10);
        StringCchPrintfW(text, kSizeChars, u"%.01f", length / 100.0 + 0.001);
        Show(text);
        return;
    }
    const double* range = m_controlId == kWidthBox ? kWidthInches : kHeightInches;
    const double shown = length / kHundredthsPerInch;
    const double inches = std::clamp(shown, range[0], range[1]);
    if (inches != shown) {
        LONG moved = 0;
        if (ToStoredLength(inches * kHundredthsPerInch, &moved)) m_handler->SetValue(moved, this);
    }
    m_shownInches = inches;
    StringCchPrintfW(text, kSizeChars, u"%.03f", inches);
    Show(text);
}

void QORVAOptItemDlgLinkUDArrowNumberMEDIAUNITS::ReadLength(bool millimetres) {
    double typed = 0;
    if (!ReadBoxDecimal(m_control, &typed)) return;
    LONG size = 0;
    if (millimetres) {
        LONG tenths = 0;
        if (!ToStoredLength(typed * 10, &tenths) || tenths == m_shownTenths) return;
        if (!ToStoredLength(typed * 10 * 10, &size)) return;
        m_shownTenths = tenths;
        m_handler->SetValue(size, this);
        return;
    }
    if (typed == m_shownInches || !ToStoredLength(typed * kHundredthsPerInch, &size)) return;
    m_shownInches = typed;
    m_handler->SetValue(size, this);
}

// --- arrows -----------------------------------------------------------------------------------

LONG QORVAOptItemDlgLinkUDArrowSpinMEDIAUNITS::Step(LONG value, int iDelta, bool millimetres) {
    // 20, not 10: an up step from a value between tenths lands on the second tenth above the one below.
    return millimetres ? MillimetreStep(value, iDelta, 10, 20) : InchStep(value, iDelta);
}
