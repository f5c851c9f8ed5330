// The network search behind the port page: a small modal dialog with a marquee bar while a worker
// thread sends the discovery request to every broadcast address, reads the answers for the
// time-out, and lists the printers whose sysDescr is one of the configured patterns and that
// answer the configured MIB object.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "dialog_base.h"

class CDrvData;

class CDialogNetworkProg : public CDialog {
public:
    CDialogNetworkProg();
    ~CDialogNetworkProg() override;

    // 0 when the search ended normally, -1 when it failed or could not start, -2 when no adapter
    // address was found. The worker has finished when it returns.
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    void OnOK() override {}  // the search cannot be cancelled
    void OnCancel() override {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) override;

    // The directed broadcast address (address OR NOT mask) of every address of every adapter.
    static BOOL GetBroadcastAddresses(std::vector<std::u16string>& targets);
    static UINT SearchThreadProc(CDialogNetworkProg* dialog);
    static void SearchPrinters(CDialogNetworkProg* dialog);

    std::vector<std::u16string> m_targets;
    std::thread m_worker;
    int m_timeout = 5;
    CDrvData* m_pDrvData = nullptr;
};

// The received bytes as "0x%02x," 16 to a line, then "--------", all at level 3.
void DumpResponseData(CDrvData* settings, const BYTE* data, size_t length);
// Handles one datagram from sender: the printer is listed for every pattern its sysDescr equals
// when it answers the MIB object with a value.
void HandleSnmpResponse(CDrvData* settings, const BYTE* data, size_t length, const std::u16string& sender,
                        const std::vector<std::u16string>& patterns, const std::u16string& mib);
