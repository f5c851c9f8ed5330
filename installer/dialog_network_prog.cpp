// The network search.
#include "dialog_network_prog.h"

#include <cstring>
#include <exception>

#include <win/commctrl.h>
#include <win/iphlpapi.h>

#include "drv_data.h"
#include "pardex_app.h"
#include "resource.h"
#include "snmp_discovery.h"
#include "snmp_get_util.h"

#include <win/winsock2_sockets.h>  // last: its names are macros

namespace {

std::u16string Wide(const char* text) { return std::u16string(text, text + std::strlen(text)); }

std::string Ansi(const std::u16string& text) {
    char buffer[261] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, 260, nullptr, nullptr);
    return buffer;
}

void SendSnmpRequest(const std::u16string& target, SOCKET socket) {
    const auto request = BuildDiscoveryRequest(NextDiscoveryRequestId());
    const std::string name = Ansi(target);
    hostent* host = gethostbyname(name.c_str());
    if (!host) {
        const ULONG address = inet_addr(name.c_str());
        host = gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET);
    }
    if (!host || !host->h_addr_list || !host->h_addr_list[0]) return;
    SOCKADDR_IN to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(161);
    std::memcpy(to.sin_addr, host->h_addr_list[0], 4);
    sendto(socket, reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0,
           reinterpret_cast<const SOCKADDR*>(&to), sizeof to);
}

void ReceiveSnmpResponses(CDialogNetworkProg* dialog, const std::vector<SOCKET>& sockets) {
    CDrvData* settings = dialog->m_pDrvData;
    settings->WriteLogFormat(3, u"ResponseData\r\n");
    long remaining = static_cast<long>(dialog->m_timeout) * 1000;
    DWORD before = GetTickCount();
    const std::u16string mib = settings->GetMib();
    std::vector<std::u16string> patterns;
    settings->GetSysDescrList(patterns);
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        for (SOCKET socket : sockets) FD_SET(socket, &readable);
        timeval wait{};
        wait.tv_sec = remaining / 1000;
        wait.tv_usec = (remaining % 1000) * 1000;
        if (select(0, &readable, nullptr, nullptr, &wait) > 0) {
            for (SOCKET socket : sockets) {
                if (!FD_ISSET(socket, &readable)) continue;
                BYTE buffer[1024] = {};
                SOCKADDR_IN from{};
                int fromLength = sizeof from;
                const int received =
                    recvfrom(socket, reinterpret_cast<char*>(buffer), 1023, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength);
                if (received < 0) break;
                in_addr sender{};
                std::memcpy(&sender.s_addr, from.sin_addr, 4);
                HandleSnmpResponse(settings, buffer, static_cast<size_t>(received), Wide(inet_ntoa(sender)), patterns, mib);
                break;
            }
        }
        const DWORD now = GetTickCount();
        const long elapsed = static_cast<long>(now - before);
        // Nothing is left to wait for once the time is used up (waiting on with none left would
        // only spin until the clock moves).
        if (elapsed >= remaining) break;
        remaining -= elapsed;
        before = now;
    }
    settings->WriteLogFormat(3, u"ResponseData end\r\n");
}

}  // namespace

void DumpResponseData(CDrvData* settings, const BYTE* data, size_t length) {
    std::u16string line;
    for (size_t i = 0; i < length; ++i) {
        WCHAR hex[8];
        _snwprintf(hex, 8, u"0x%02x,", data[i]);
        line += hex;
        if (i % 16 == 15 || i + 1 == length) {
            settings->WriteLogFormat(3, u"%s\r\n", line.c_str());
            line.clear();
        }
    }
    settings->WriteLogFormat(3, u"--------\r\n");
}

void HandleSnmpResponse(CDrvData* settings, const BYTE* data, size_t length, const std::u16string& sender,
                        const std::vector<std::u16string>& patterns, const std::u16string& mib) {
    if (settings->GetLogLevel() >= 3) DumpResponseData(settings, data, length);
    std::u16string sysDescr;
    if (!ParseSnmpResponse(data, sysDescr, length)) return;
    for (const std::u16string& pattern : patterns) {
        if (pattern.empty() || pattern != sysDescr) continue;
        // Only a printer that answered the object with a value is one of ours: no answer (0) and
        // an answer without a value (ASN_NULL) both say no.
        const BYTE type = SnmpGet(mib, sender);
        if (type != 0 && type != ASN_NULL) settings->m_foundPrinters.emplace_back(settings->GetModelName(), sender);
    }
}

CDialogNetworkProg::CDialogNetworkProg() : CDialog(IDD_NETWORKPROG, nullptr) {}

CDialogNetworkProg::~CDialogNetworkProg() {
    if (m_worker.joinable()) m_worker.join();
}

INT_PTR CDialogNetworkProg::DoModal() {
    const INT_PTR result = CDialog::DoModal();
    if (m_worker.joinable()) m_worker.join();
    return result;
}

BOOL CDialogNetworkProg::GetBroadcastAddresses(std::vector<std::u16string>& targets) {
    ULONG size = 648;
    std::vector<BYTE> buffer(size, 0);
    DWORD error = GetAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size);
    if (error == ERROR_BUFFER_OVERFLOW) {
        try {
            buffer.assign(size, 0);
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
        error = GetAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size);
    }
    if (error != ERROR_SUCCESS) return FALSE;
    for (auto* adapter = reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()); adapter; adapter = adapter->Next) {
        for (const IP_ADDR_STRING* address = &adapter->IpAddressList; address; address = address->Next) {
            in_addr broadcast{};
            broadcast.s_addr = inet_addr(address->IpAddress.String) | ~inet_addr(address->IpMask.String);
            targets.push_back(Wide(inet_ntoa(broadcast)));
        }
    }
    return targets.empty() ? FALSE : TRUE;
}

void CDialogNetworkProg::SearchPrinters(CDialogNetworkProg* dialog) {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    if (dialog->m_targets.empty()) {
        WSACleanup();
        return;
    }
    std::vector<SOCKET> sockets;
    for (size_t i = 0; i < dialog->m_targets.size(); ++i) sockets.push_back(socket(AF_INET, SOCK_DGRAM, 0));
    for (size_t i = 0; i < sockets.size(); ++i)
        if (sockets[i] != INVALID_SOCKET) SendSnmpRequest(dialog->m_targets[i], sockets[i]);
    std::vector<SOCKET> open;
    for (SOCKET socket : sockets)
        if (socket != INVALID_SOCKET && open.size() < FD_SETSIZE) open.push_back(socket);
    if (!open.empty()) ReceiveSnmpResponses(dialog, open);
    for (SOCKET socket : sockets)
        if (socket != INVALID_SOCKET) closesocket(socket);
    WSACleanup();
}

UINT CDialogNetworkProg::SearchThreadProc(CDialogNetworkProg* dialog) {
    if (!dialog) return static_cast<UINT>(-1);
    try {
        SearchPrinters(dialog);
    } catch (...) {
        dialog->m_pDrvData->WriteLogFormat(0, u"Exception occurred in Network Progress dialog.\r\n");
        PostMessageW(dialog->m_hWnd, g_searchErrorMessage, 0, 0);
        return 0;
    }
    PostMessageW(dialog->m_hWnd, g_searchEndMessage, 0, 0);
    return 0;
}

BOOL CDialogNetworkProg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetFontToDescendants(m_hWnd, m_pDrvData);
    if (m_pDrvData) m_pDrvData->m_foundPrinters.clear();
    m_targets.clear();
    if (!GetBroadcastAddresses(m_targets)) {
        EndDialog(-2);
        return TRUE;
    }
    try {
        m_worker = std::thread([this] { SearchThreadProc(this); });
    } catch (const std::exception&) {
        EndDialog(-1);
        return TRUE;
    }
    HWND bar = GetDlgItem(IDC_PROGRESS_SEARCH);
    SetWindowLongW(bar, GWL_STYLE, GetWindowLongW(bar, GWL_STYLE) | PBS_MARQUEE);
    SendMessageW(bar, PBM_SETMARQUEE, TRUE, 50);
    if (m_pDrvData) {
        std::u16string text;
        m_pDrvData->GetString(text, u"NetworkProg", u"Window");
        SetWindowText(text);
        m_pDrvData->GetString(text, u"NetworkProg", u"Main");
        SetDlgItemTextW(m_hWnd, IDC_STATIC_MESSAGE, text.c_str());
    }
    return TRUE;
}

LRESULT CDialogNetworkProg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) {
    if (message == g_searchEndMessage) EndDialog(0);
    else if (message == g_searchErrorMessage) EndDialog(-1);
    return CDialog::WindowProc(message, wParam, lParam, handled);
}
