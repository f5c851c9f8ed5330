#include "binding_margin_links.h"

#include <win/strsafe.h>

#include "device_info_controls.h"
#include "items/optitem_handler.h"

namespace {

constexpr DWORD kShiftModeItem = 25602;
constexpr DWORD kShiftExplained = 25605;
constexpr DWORD kShrinkExplained = 25606;
constexpr int kTextChars = 256;
constexpr int kAmountChars = 8;
// The largest margin, 50 mm, is 1.9685 inches but shows as 1.96: typed back, it means 50 mm.
constexpr double kShownMaximumInches = 1.96;
constexpr double kMaximumInches = 1.968503937007874;

}  // namespace

// --- shift mode explanation -------------------------------------------------------------------

QVOptItemDlgLinkStaticBINDMGNSFMODEEXP::QVOptItemDlgLinkStaticBINDMGNSFMODEEXP(HANDLE heap,
                                                                               QORVAOptItemHandler* handler,
                                                                               HWND control, DWORD controlId, DWORD)
    : QORVAOptItemDlgLinkStatic(heap, handler, control, controlId, 0) {
    ObserveItem(GetHandler(kShiftModeItem));
    UpdateControl(nullptr);
}

DWORD QVOptItemDlgLinkStaticBINDMGNSFMODEEXP::Notify(DWORD, WORD, DWORD) {
    UpdateControl(nullptr);
    return kAnswerPass;
}

void QVOptItemDlgLinkStaticBINDMGNSFMODEEXP::UpdateControl(QORVAOptItemDlgLink* source) {
    WCHAR text[kTextChars];
    LoadText(ResourcesOf(m_owner), GetItemValue(kShiftModeItem) != 0 ? kShrinkExplained : kShiftExplained, text,
             kTextChars);
    if (m_control) SetWindowTextW(m_control, text);
    if (m_nextLink) m_nextLink->UpdateControl(source);
}

// --- unit and range label ---------------------------------------------------------------------

QVOptItemDlgLinkStaticBINDMGNAMOUNT::QVOptItemDlgLinkStaticBINDMGNAMOUNT(HANDLE heap, QORVAOptItemHandler* handler,
                                                                         HWND control, DWORD controlId, DWORD)
    : QORVAOptItemDlgLinkStatic(heap, handler, control, controlId, 0) {
    ObserveItem(GetHandler(kUnitsItem));
}

DWORD QVOptItemDlgLinkStaticBINDMGNAMOUNT::Notify(DWORD, WORD, DWORD) {
    const bool millimetres = ShowsMillimetres(this);
    WCHAR unit[kTextChars];
    LoadUnitName(this, millimetres, unit, kTextChars);
    WCHAR label[kTextChars];
    StringCchPrintfW(label, kTextChars, u"%s %s", unit, millimetres ? u"[0...50]" : u"[0.00...1.96]");
    SetDlgItemTextW(Dialog(), static_cast<int>(m_controlId), label);
    UpdateControl(nullptr);
    return kAnswerPass;
}

// --- amount box -------------------------------------------------------------------------------

QVOptItemDlgLinkUDArrowNumberBINDMGNAMOUNT::QVOptItemDlgLinkUDArrowNumberBINDMGNAMOUNT(HANDLE heap,
                                                                                       QORVAOptItemHandler* handler,
                                                                                       HWND control, DWORD controlId,
                                                                                       DWORD)
    : QVOptItemDlgLinkUDArrowNumberLength(heap, handler, control, controlId) {
    TakeBoundsOfOption1(1);
    UpdateControl(nullptr);
}

void QVOptItemDlgLinkUDArrowNumberBINDMGNAMOUNT::ShowLength(LONG length, bool millimetres) {
    if (millimetres) {
        m_shownMm = MarginMillimetres(length);
        SetDlgItemInt(Dialog(), static_cast<int>(m_controlId), static_cast<UINT>(m_shownMm), TRUE);
        GetWindowTextW(m_control, m_shownText, kShownChars);
        return;
    }
    m_shownInches = length / kHundredthsPerInch;
    WCHAR text[kAmountChars];
    StringCchPrintfW(text, kAmountChars, u"%1.2f", MarginInches(length));
    Show(text);
}

void QVOptItemDlgLinkUDArrowNumberBINDMGNAMOUNT::ReadLength(bool millimetres) {
    if (millimetres) {
        BOOL read = FALSE;
        const UINT typed = GetDlgItemInt(Dialog(), static_cast<int>(m_controlId), &read, FALSE);
        if (!read || static_cast<LONG>(typed) == m_shownMm) return;
        LONG amount = 0;
        if (!ToStoredLength(typed * 100.0, &amount)) return;
        m_shownMm = static_cast<LONG>(typed);
        m_handler->SetValue(amount, this);
        return;
    }
    double inches = 0;
    if (!ReadBoxDecimal(m_control, &inches) || inches == m_shownInches) return;
    if (inches == kShownMaximumInches) inches = kMaximumInches;
    LONG amount = 0;
    if (!ToStoredLength(inches * kHundredthsPerInch, &amount)) return;
    m_shownInches = inches;
    m_handler->SetValue(amount, this);
}

// --- arrows -----------------------------------------------------------------------------------

LONG QVOptItemDlgLinkUDArrowSpinBINDMGNAMOUNT::Step(LONG value, int iDelta, bool millimetres) {
    return millimetres ? MillimetreStep(value, iDelta, 100, 100) : InchStep(value, iDelta);
}
