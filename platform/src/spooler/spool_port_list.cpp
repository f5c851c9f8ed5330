// EnumPortsW: the local ports every machine has, the standard TCP/IP ports it was given, then the
// internet ports its printers use.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <win/winspool_ports.h>

#include "machine/api_guard.h"
#include "spooler/info_packer.h"

namespace {

struct PortEntry {
    std::u16string name, monitor, description;
    DWORD type;
};

std::vector<PortEntry> Ports() {
    constexpr DWORD kLocal = PORT_TYPE_WRITE | PORT_TYPE_READ;
    std::vector<PortEntry> ports = {{u"LPT1:", u"Local Port", u"Local Port", kLocal},
                                    {u"COM1:", u"Local Port", u"Local Port", kLocal},
                                    {u"FILE:", u"Local Port", u"Local Port", kLocal}};
    for (const auto& port : palvex::ListPorts())
        ports.push_back({port.name, u"Standard TCP/IP Port", u"Standard TCP/IP Port", PORT_TYPE_WRITE | PORT_TYPE_NET_ATTACHED});
    // A printer connected over the internet printing protocol brings its own port, whose name is
    // the printer's address.
    for (const auto& printer : palvex::ListPrinters()) {
        const std::u16string& name = printer.portName;
        const bool internet = name.rfind(u"http://", 0) == 0 || name.rfind(u"https://", 0) == 0;
        const bool listed = std::any_of(ports.begin(), ports.end(), [&](const PortEntry& port) { return port.name == name; });
        if (internet && !listed) ports.push_back({name, u"Internet Port", u"Internet Port", PORT_TYPE_WRITE | PORT_TYPE_NET_ATTACHED});
    }
    return ports;
}

}  // namespace

BOOL EnumPortsW(LPWSTR pName, DWORD Level, LPBYTE pPort, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!pcbNeeded || !pcReturned) return ERROR_INVALID_PARAMETER;
        if (Level != 1 && Level != 2) return ERROR_INVALID_LEVEL;
        if (pName && *pName) return ERROR_INVALID_NAME;
        const std::vector<PortEntry> ports = Ports();
        const size_t recordSize = Level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
        palvex::InfoPacker packer(recordSize * ports.size());
        struct Links {
            std::optional<size_t> name, monitor, description;
        };
        std::vector<Links> links;
        for (const PortEntry& port : ports) {
            Links link;
            link.name = packer.AddString(port.name);
            if (Level == 2) {
                link.monitor = packer.AddString(port.monitor);
                link.description = packer.AddString(port.description);
            }
            links.push_back(link);
        }
        *pcbNeeded = static_cast<DWORD>(packer.needed());
        *pcReturned = 0;
        if (!pPort || cbBuf < packer.needed()) return ports.empty() ? ERROR_SUCCESS : ERROR_INSUFFICIENT_BUFFER;
        std::memset(pPort, 0, packer.needed());
        packer.WritePieces(pPort);
        for (size_t i = 0; i < ports.size(); ++i) {
            if (Level == 1) {
                auto* record = reinterpret_cast<PORT_INFO_1W*>(pPort + i * recordSize);
                record->pName = palvex::LinkAt<LPWSTR>(pPort, links[i].name);
            } else {
                auto* record = reinterpret_cast<PORT_INFO_2W*>(pPort + i * recordSize);
                record->pPortName = palvex::LinkAt<LPWSTR>(pPort, links[i].name);
                record->pMonitorName = palvex::LinkAt<LPWSTR>(pPort, links[i].monitor);
                record->pDescription = palvex::LinkAt<LPWSTR>(pPort, links[i].description);
                record->fPortType = ports[i].type;
            }
        }
        *pcReturned = static_cast<DWORD>(ports.size());
        return ERROR_SUCCESS;
    }));
}
