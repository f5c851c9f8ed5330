#include "binding_margin_links_units.h"

#include <charconv>
#include <climits>
#include <cmath>

#include <win/commctrl.h>

#include "device_info_controls.h"
#include "items/optitem_handler.h"

namespace {

constexpr int kBoxChars = 7;
constexpr DWORD kMillimetreText = 172;
constexpr DWORD kInchText = 173;

bool IsSpace(WCHAR c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

bool ShowsMillimetres(QORVAOptItemNotify* reader) {
    return reader->GetItemValue(kUnitsItem) == kUnitMillimetres;
}

void LoadUnitName(QORVAOptItemNotify* reader, bool millimetres, LPWSTR name, DWORD chars) {
    LoadText(ResourcesOf(reader->Owner()), millimetres ? kMillimetreText : kInchText, name, chars);
}

LONG MarginMillimetres(LONGLONG length) {
    return static_cast<LONG>((length + 50) / 100);
}

double MarginInches(LONGLONG length) {
    const LONGLONG hundredthsOfInch = length * 100 / 2540;
    return static_cast<double>(hundredthsOfInch) / 100.0;
}

BOOL ReadBoxDecimal(HWND box, double* number) {
    WCHAR text[kBoxChars + 1] = {};
    GetWindowTextW(box, text, kBoxChars + 1);
    char narrow[kBoxChars + 1] = {};
    int length = 0;
    const WCHAR* at = text;
    while (IsSpace(*at)) ++at;
    if (*at == u'+') ++at;
    for (; *at && !IsSpace(*at); ++at) {
        if (*at > 0x7F) return FALSE;
        narrow[length++] = static_cast<char>(*at);
    }
    while (IsSpace(*at)) ++at;
    if (*at || length == 0) return FALSE;
    double value = 0;
    const auto [end, error] = std::from_chars(narrow, narrow + length, value);
    if (error != std::errc() && error != std::errc::result_out_of_range) return FALSE;
    if (end != narrow + length) return FALSE;
    *number = value;
    return TRUE;
}

BOOL ToStoredLength(double value, LONG* length) {
    if (std::isnan(value)) return FALSE;
    if (value >= static_cast<double>(INT_MAX)) *length = INT_MAX;
    else if (value <= static_cast<double>(INT_MIN)) *length = INT_MIN;
    else *length = static_cast<LONG>(value);
    return TRUE;
}

LONG MillimetreStep(LONG value, int iDelta, LONG grid, LONG upReach) {
    const LONGLONG base = (static_cast<LONGLONG>(value) - grid / 2) / grid * grid;
    LONGLONG step = value - base;
    if (step < grid && iDelta <= 0) step = upReach - step;
    return static_cast<LONG>(step);
}

LONG InchStep(LONG value, int iDelta) {
    const LONGLONG hundredthsOfInch = static_cast<LONGLONG>(value) * 100 / 2540;
    const LONGLONG base = (hundredthsOfInch - 5) / 10 * 254;
    LONGLONG step = value - base;
    if (step < 254 && iDelta <= 0) step = 254 - step;
    return static_cast<LONG>(step);
}

// --- number box -------------------------------------------------------------------------------

QVOptItemDlgLinkUDArrowNumberLength::QVOptItemDlgLinkUDArrowNumberLength(HANDLE heap, QORVAOptItemHandler* handler,
                                                                         HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkUDArrowNumber(heap, handler, control, controlId, 0) {
    m_shownText[0] = 0;
    ObserveItem(GetHandler(kUnitsItem));
}

DWORD QVOptItemDlgLinkUDArrowNumberLength::Notify(DWORD id, WORD, DWORD) {
    if (id == kUnitsItem) UpdateControl(nullptr);
    return kAnswerPass;
}

bool QVOptItemDlgLinkUDArrowNumberLength::Millimetres() {
    return ShowsMillimetres(this);
}

void QVOptItemDlgLinkUDArrowNumberLength::TakeBoundsOfOption1(LONG scale) {
    if (m_handler)
        m_handler->SetBounds(static_cast<LONG>(scale * m_handler->GetOptionIconID(1, nullptr)),
                             static_cast<LONG>(scale * m_handler->GetOptionParam(1, nullptr)));
}

LONG QVOptItemDlgLinkUDArrowNumberLength::Length() {
    LONG_PTR value = 0;
    if (m_handler) m_handler->GetValue(this, &value, nullptr);
    return static_cast<LONG>(value);
}

void QVOptItemDlgLinkUDArrowNumberLength::Show(LPCWSTR text) {
    SetWindowTextW(m_control, text);
    GetWindowTextW(m_control, m_shownText, kShownChars);
}

void QVOptItemDlgLinkUDArrowNumberLength::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler && m_control) {
        m_updating = 1;
        ShowLength(Length(), Millimetres());
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

void QVOptItemDlgLinkUDArrowNumberLength::Commit() {
    if (!m_handler) return;
    WCHAR typed[kShownChars] = {};
    GetWindowTextW(m_control, typed, kShownChars);
    if (lstrcmpW(typed, m_shownText) != 0) ReadLength(Millimetres());
    RefreshNow();
}

// --- arrows -----------------------------------------------------------------------------------

LRESULT QVOptItemDlgLinkUDArrowSpinLength::OnNotify(LPARAM header) {
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    if (!change || change->hdr.code != UDN_DELTAPOS) return 0;
    if (!m_handler) return 1;
    CommitBuddy();
    LONG_PTR value = 0;
    m_handler->GetValue(this, &value, nullptr);
    const bool millimetres = GetItemValue(kUnitsItem) == kUnitMillimetres;
    const LONG step = Step(static_cast<LONG>(value), change->iDelta, millimetres);
    m_handler->StepSel(change->iDelta > 0 ? -step : step, this);
    return 1;
}
