// The dialog links of the device information: the printer web-page button of the main, layout and
// advanced pages (control 103).
#pragma once

#include "items/optitem_dlglink.h"
#include "printer_address.h"

inline constexpr DWORD kWebPageButton = 103;

// Opens the printer's web page "http://<address>/" in the browser. Without an address the item
// is disabled with the reason 33422, and no page is ever opened.
class QVOptItemDlgLinkButtonGETDEVINFO : public QORVAOptItemDlgLink {
public:
    QVOptItemDlgLinkButtonGETDEVINFO(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
    LRESULT Command(WORD code, DWORD controlId) override;

    LPCWSTR Address() const { return m_address; }

private:
    WCHAR m_address[kAddressChars] = {};
};
