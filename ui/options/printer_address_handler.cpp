#include "printer_address_handler.h"

#include "items/handler_factory.h"
#include "kittrace.h"

namespace {

void CopyAccountText(WCHAR (&destination)[kAccountChars], LPCWSTR source) {
    DWORD length = 0;
    while (source && source[length] && length + 1 < kAccountChars) {
        destination[length] = source[length];
        ++length;
    }
    for (DWORD i = length; i < kAccountChars; ++i) destination[i] = 0;
}

}  // namespace

QVOptItemHandlerIDANDPWD::QVOptItemHandlerIDANDPWD(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    QVPrinterAccess access(PrinterContextOf(factory));
    if (ItemKey() == kHeldJobIdItem) access.GetSecPrintAccount(m_id, kAccountChars, m_password, kAccountChars);
    else if (ItemKey() == kUserTrackingIdItem) access.GetUserTraceAccount(m_id, kAccountChars, m_password, kAccountChars);
}

BOOL QVOptItemHandlerIDANDPWD::Store() {
    QVPrinterAccess access(PrinterContextOf(m_factory));
    if (ItemKey() == kHeldJobIdItem) return access.SetSecPrintAccount(m_id, m_password);
    if (ItemKey() != kUserTrackingIdItem) return TRUE;
    BOOL stored = access.SetUserTraceAccount(m_id, m_password);
    if (m_alsoHeldJob && !access.SetSecPrintAccount(m_id, m_password)) stored = FALSE;
    return stored;
}

void QVOptItemHandlerIDANDPWD::SetIDandPWD(LPCWSTR id, LPCWSTR password) {
    CopyAccountText(m_id, id);
    CopyAccountText(m_password, password);
    m_changed = 1;
    // The password itself never goes into a trace.
    DebugTrace(4, u"%s: ctrl=[%d] id=[%s] pwd=[%s]\n", u"QVOptItemHandlerIDANDPWD::SetIDandPWD", ItemKey(), m_id,
               m_password[0] ? u"***" : u"");
    if (ItemKey() == kUserTrackingIdItem && Store()) m_changed = 0;
}

void QVOptItemHandlerIDANDPWD::SaveSettings(HWND window) {
    DebugTrace(4, u"%s: hDlg=[%x]\n", u"QVOptItemHandlerIDANDPWD::SaveSettings", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(window)));
    if (window) return;
    if (!m_changed) {
        DebugTrace(4, u"%s: Apply ctrl=[%d] no change\n", u"QVOptItemHandlerIDANDPWD::SaveSettings", ItemKey());
        return;
    }
    // A failed store keeps the mark, so that the next Apply tries again.
    if (Store()) m_changed = 0;
    DebugTrace(3, u"%s: Apply ctrl=[%d] id=[%s] pwd=[%s]\n", u"QVOptItemHandlerIDANDPWD::SaveSettings", ItemKey(), m_id,
               m_password[0] ? u"***" : u"");
}
