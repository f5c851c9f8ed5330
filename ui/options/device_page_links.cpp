#include "device_page_links.h"

#include <win/shellapi.h>
#include <win/strsafe.h>

#include "coresources.h"
#include "device_info_controls.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "kittrace.h"

namespace {

constexpr WORD kNoAddressReason = 33422;
constexpr WORD kReasonShown = 0x8000;
constexpr DWORD kReasonBit = 0x2000;
constexpr DWORD kBrowserFailed = 33304;
constexpr DWORD kWarningCaption = 33300;

}  // namespace

QVOptItemDlgLinkButtonGETDEVINFO::QVOptItemDlgLinkButtonGETDEVINFO(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                                   DWORD controlId)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, 0) {
    DWORD capacity = kAddressChars;
    QVPrinterAccess access(PrinterContextOf(handler ? handler->Factory() : nullptr));
    if (!access.GetIPAddressString(m_address, &capacity)) {
        m_address[0] = 0;
        if (handler) handler->SetLinkState(kReasonBit, kNoAddressReason, kReasonShown);
    }
}

LRESULT QVOptItemDlgLinkButtonGETDEVINFO::Command(WORD code, DWORD) {
    if (code != BN_CLICKED || !m_address[0]) return 1;
    WCHAR url[kAddressChars + 16];
    if (FAILED(StringCchPrintfW(url, sizeof url / sizeof url[0], u"http://%s/", m_address))) return 1;
    HWND owner = m_control ? GetParent(m_control) : nullptr;
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, u"open", url, nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        if (IDrvResources* resources = ResourcesOf(m_handler ? m_handler->Factory() : nullptr))
            resources->MessageBox(owner, kBrowserFailed, kWarningCaption, MB_ICONWARNING);
        DebugTrace(1, u"%s: ShellExecute err=[%d] url=[%s]\n", u"QVOptItemDlgLinkButtonGETDEVINFO::Command",
                   static_cast<int>(result), url);
    }
    return 1;
}
