#include "printer_address_links.h"

#include <win/strsafe.h>
#include <win/winusername.h>

#include "coresources.h"
#include "device_info_controls.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "printer_address.h"
#include "printer_address_handler.h"

namespace {

constexpr DWORD kHeldJobOk = 25407;
constexpr DWORD kHeldJobCancel = 25408;
constexpr DWORD kHeldJobClear = 25409;
constexpr DWORD kTrackingOk = 25507;
constexpr DWORD kTrackingCancel = 25508;
constexpr DWORD kTrackingClear = 25509;
constexpr DWORD kPrintMethod = 1141;
constexpr DWORD kSecurePrintButton = 1142;
constexpr DWORD kBoxChars = 32;  // what the boxes are given of a stored value, NUL included

constexpr DWORD kEmptyId = 33306;
constexpr DWORD kUpdateBoth = 33307;
constexpr DWORD kUpdateTrackingOnly = 33308;
constexpr DWORD kUpdateBothFor = 33310;
constexpr DWORD kUpdateTrackingOnlyFor = 33311;
constexpr DWORD kNoticeCaption = 32771;
constexpr DWORD kWarningCaption = 33300;
constexpr DWORD kMessageChars = 512;
constexpr DWORD kUserNameChars = 256;

constexpr WCHAR kOldDlgProc[] = u"_OldDlgProc";

// The held-job popup's procedure over the dialog's own: Esc and the close box act as its Cancel
// button, so that cancelling always runs the button's rules.
INT_PTR CALLBACK CancelAsButtonProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto old = reinterpret_cast<DLGPROC>(GetPropW(dialog, kOldDlgProc));
    if (!old) return 0;
    if (message == WM_DESTROY) {
        RemovePropW(dialog, kOldDlgProc);
        return old(dialog, message, wParam, lParam);
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        return old(dialog, WM_COMMAND, MAKEWPARAM(kHeldJobCancel, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, kHeldJobCancel)));
    return old(dialog, message, wParam, lParam);
}

// Shows a message whose text carries the user's name.
void MessageWithName(IDrvResources* resources, HWND owner, DWORD textId, DWORD captionId, UINT style, LPCWSTR user) {
    WCHAR format[kMessageChars], text[kMessageChars], caption[64];
    LoadText(resources, textId, format, kMessageChars);
    LoadText(resources, captionId, caption, 64);
    if (!format[0] || FAILED(StringCchPrintfW(text, kMessageChars, format, user))) return;
    MessageBoxW(owner, text, caption, style);
}

}  // namespace

QVOptItemDlgLinkPushbuttonIDANDPWD::QVOptItemDlgLinkPushbuttonIDANDPWD(HANDLE heap, QORVAOptItemHandler* handler,
                                                                       HWND control, DWORD controlId)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, 0) {
    const bool heldJob = controlId >= kHeldJobOk && controlId <= kHeldJobClear;
    m_idBox = heldJob ? 25402 : 25502;
    m_passwordBox = heldJob ? 25405 : 25505;
    m_accountItem = heldJob ? kHeldJobIdItem : kUserTrackingIdItem;
    HWND popup = control ? GetParent(control) : nullptr;
    if (QVOptItemHandlerIDANDPWD* account = Account(); account && popup) {
        WCHAR text[kBoxChars];
        StringCchCopyW(text, kBoxChars, account->Id());
        SetDlgItemTextW(popup, static_cast<int>(m_idBox), text);
        StringCchCopyW(text, kBoxChars, account->Password());
        SetDlgItemTextW(popup, static_cast<int>(m_passwordBox), text);
    }
    if (controlId == kHeldJobCancel && popup && !GetPropW(popup, kOldDlgProc)) {
        const LONG_PTR old = GetWindowLongPtrW(popup, DWLP_DLGPROC);
        if (old) {
            SetPropW(popup, kOldDlgProc, reinterpret_cast<HANDLE>(old));
            SetWindowLongPtrW(popup, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&CancelAsButtonProc));
        }
    }
}

QVOptItemHandlerIDANDPWD* QVOptItemDlgLinkPushbuttonIDANDPWD::Account() {
    // The factory makes this class for the account items; any other handler is not one.
    QORVAOptItemHandler* handler = GetHandler(m_accountItem);
    return handler && handler->ItemKey() == m_accountItem && !handler->IsDefaultItem()
               ? static_cast<QVOptItemHandlerIDANDPWD*>(handler)
               : nullptr;
}

void QVOptItemDlgLinkPushbuttonIDANDPWD::ClearBoxes(HWND popup) {
    SetDlgItemTextW(popup, static_cast<int>(m_idBox), u"");
    SetDlgItemTextW(popup, static_cast<int>(m_passwordBox), u"");
}

LRESULT QVOptItemDlgLinkPushbuttonIDANDPWD::Command(WORD code, DWORD) {
    if (code != BN_CLICKED) return 1;
    HWND popup = CurrentDialog(m_owner);
    if (!popup && m_control) popup = GetParent(m_control);
    switch (m_controlId) {
    case kHeldJobOk: ConfirmHeldJob(popup); break;
    case kHeldJobCancel: CancelHeldJob(popup); break;
    case kHeldJobClear:
    case kTrackingClear: ClearBoxes(popup); break;
    case kTrackingCancel:
        ClearBoxes(popup);
        EndDialog(popup, 2);
        break;
    case kTrackingOk: ConfirmUserTracking(popup); break;
    default: break;
    }
    return 1;
}

void QVOptItemDlgLinkPushbuttonIDANDPWD::ConfirmHeldJob(HWND popup) {
    WCHAR id[kAccountChars] = {}, password[kAccountChars] = {};
    GetDlgItemTextW(popup, static_cast<int>(m_idBox), id, kAccountChars);
    GetDlgItemTextW(popup, static_cast<int>(m_passwordBox), password, kAccountChars);
    if (!id[0]) {
        if (IDrvResources* resources = ResourcesOf(m_owner)) resources->MessageBox(popup, kEmptyId, kWarningCaption, MB_ICONWARNING);
        return;
    }
    if (QVOptItemHandlerIDANDPWD* account = Account()) account->SetIDandPWD(id, password);
    EndDialog(popup, 1);
}

void QVOptItemDlgLinkPushbuttonIDANDPWD::CancelHeldJob(HWND popup) {
    QVOptItemHandlerIDANDPWD* account = Account();
    if (!account || !account->Id()[0]) {
        // No held-job ID at all: secure print cannot stay chosen.
        if (QORVAOptItemHandler* method = GetHandler(kPrintMethod)) method->SetValue(0, nullptr);
        if (QORVAOptItemHandler* button = GetHandler(kSecurePrintButton)) button->SetStateBits(0x1);
    }
    ClearBoxes(popup);
    EndDialog(popup, 2);
}

void QVOptItemDlgLinkPushbuttonIDANDPWD::ConfirmUserTracking(HWND popup) {
    WCHAR id[kAccountChars] = {}, password[kAccountChars] = {};
    GetDlgItemTextW(popup, static_cast<int>(m_idBox), id, kAccountChars);
    GetDlgItemTextW(popup, static_cast<int>(m_passwordBox), password, kAccountChars);
    WCHAR user[kUserNameChars] = {};
    DWORD userChars = kUserNameChars;
    if (!GetUserNameW(user, &userChars)) user[0] = 0;
    const bool fit = IsHeldJobFitId(id);
    IDrvResources* resources = ResourcesOf(m_owner);
    if (resources) {
        if (fit && user[0]) MessageWithName(resources, popup, kUpdateBothFor, kNoticeCaption, MB_ICONINFORMATION, user);
        else if (fit) resources->MessageBox(popup, kUpdateBoth, kNoticeCaption, MB_ICONINFORMATION);
        else if (user[0]) MessageWithName(resources, popup, kUpdateTrackingOnlyFor, kWarningCaption, MB_ICONWARNING, user);
        else resources->MessageBox(popup, kUpdateTrackingOnly, kWarningCaption, MB_ICONWARNING);
    }
    if (QVOptItemHandlerIDANDPWD* account = Account()) {
        account->SetAlsoHeldJob(fit ? 1 : 0);
        account->SetIDandPWD(id, password);
    }
    EndDialog(popup, 1);
}
