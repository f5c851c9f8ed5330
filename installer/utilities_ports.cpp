// Standard TCP/IP ports through the port monitor's data interface.
#include <algorithm>
#include <cstring>

#include "install_log.h"
#include "utilities.h"

namespace {

template <size_t N>
void CopyField(WCHAR (&field)[N], const std::u16string& text) {
    const size_t length = std::min(text.size(), N - 1);
    text.copy(field, length);
    field[length] = u'\0';
}

}  // namespace

BOOL XcvAddPort(const std::u16string& address) {
    PORT_DATA_1 record{};
    CopyField(record.sztPortName, u"IP_" + address);
    record.dwVersion = 1;
    record.dwProtocol = PROTOCOL_RAWTCP_TYPE;
    record.cbSize = sizeof record;
    CopyField(record.sztHostAddress, address);
    CopyField(record.sztSNMPCommunity, u"wombat");
    CopyField(record.sztIPAddress, address);
    record.dwPortNumber = 9100;
    record.dwSNMPEnabled = 0;
    record.dwSNMPDevIndex = 1;

    std::u16string monitor = u",XcvMonitor Standard TCP/IP Port";
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE xcv = nullptr;
    if (!OpenPrinterW(monitor.data(), &xcv, &defaults)) return FALSE;
    DWORD needed = 0, status = ERROR_SUCCESS;
    const BOOL called = XcvDataW(xcv, u"AddPort", reinterpret_cast<PBYTE>(&record), sizeof record, nullptr, 0, &needed,
                                 &status);
    ClosePrinter(xcv);
    // The call can go through while the monitor refuses the port: only its status says it was made.
    if (called && status != ERROR_SUCCESS) WriteGlobalLog(0, u"XcvData AddPort Failed %s (WinError %x)\r\n", address.c_str(), status);
    return called && status == ERROR_SUCCESS;
}

BOOL AddStandardPort(const std::u16string& address, std::u16string& portName) {
    portName = u"IP_" + address;
    return XcvAddPort(address);
}
