// The standard TCP/IP port monitor's ports: XcvDataW "AddPort" and the machine's list of ports.
//
// Like the port monitor, AddPort also writes the port's entries under the monitor's registry key
// ("...\Standard TCP/IP Port\Ports\<name>"): "IPAddress" holds a dotted IPv4 host and
// "HostName" any other host name (the other value empty), with "PortNumber" and "Protocol".
//
// The port record is read field by field at the offsets PORT_DATA_1 pins (winspool.h), each text
// up to its field's terminator or end, so a record without terminators cannot run past its field.
#include <cstring>
#include <string>

#include <palvex/machine.h>
#include <win/winreg.h>
#include <win/winspool.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "spooler/printer_handles.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

const db::SchemaPart kPortsSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_ports (
    name TEXT NOT NULL,
    name_key TEXT NOT NULL PRIMARY KEY,
    host TEXT NOT NULL,
    protocol INTEGER NOT NULL,
    port_number INTEGER NOT NULL,
    queue TEXT NOT NULL,
    snmp_community TEXT NOT NULL,
    snmp_enabled INTEGER NOT NULL,
    snmp_index INTEGER NOT NULL);
)sql");

constexpr char16_t kStandardMonitor[] = u"Standard TCP/IP Port";

constexpr char16_t kPortsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";

bool IsDottedIPv4(const std::u16string& host) {
    int parts = 0, digits = 0, value = 0;
    for (char16_t c : host + u".") {
        if (c == u'.') {
            if (digits == 0 || value > 255) return false;
            ++parts;
            digits = value = 0;
        } else if (c >= u'0' && c <= u'9' && digits < 3) {
            value = value * 10 + (c - u'0');
            ++digits;
        } else {
            return false;
        }
    }
    return parts == 4;
}

void WriteText(HKEY key, LPCWSTR name, const std::u16string& text) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

void WriteNumber(HKEY key, LPCWSTR name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The monitor's registry entries of a new port.
void WritePortEntries(const PortDesc& port) {
    HKEY key = nullptr;
    const std::u16string path = kPortsKey + port.name;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const bool address = IsDottedIPv4(port.host);
    WriteText(key, u"IPAddress", address ? port.host : std::u16string());
    WriteText(key, u"HostName", address ? std::u16string() : port.host);
    WriteNumber(key, u"PortNumber", port.portNumber);
    WriteNumber(key, u"Protocol", port.protocol);
    RegCloseKey(key);
}

template <size_t N>
std::u16string FieldText(const WCHAR (&field)[N]) {
    size_t length = 0;
    while (length < N && field[length]) ++length;
    return std::u16string(field, length);
}

DWORD AddPort(const BYTE* input, DWORD size) {
    if (!input || size != sizeof(PORT_DATA_1)) return ERROR_INVALID_PARAMETER;
    PORT_DATA_1 record;
    std::memcpy(&record, input, sizeof record);
    PortDesc port;
    port.name = FieldText(record.sztPortName);
    port.host = FieldText(record.sztHostAddress);
    if (port.host.empty()) port.host = FieldText(record.sztIPAddress);
    port.protocol = record.dwProtocol;
    port.portNumber = record.dwPortNumber;
    port.queue = FieldText(record.sztQueue);
    port.snmpCommunity = FieldText(record.sztSNMPCommunity);
    port.snmpEnabled = record.dwSNMPEnabled != 0;
    port.snmpIndex = record.dwSNMPDevIndex;
    if (record.cbSize != sizeof(PORT_DATA_1) || record.dwVersion != 1 || port.name.empty() || port.host.empty() ||
        (port.protocol != PROTOCOL_RAWTCP_TYPE && port.protocol != PROTOCOL_LPR_TYPE) || port.portNumber > 65535)
        return ERROR_INVALID_PARAMETER;
    DWORD status = ERROR_SUCCESS;
    db::Transaction([&] {
        db::Statement existing("SELECT 1 FROM spool_ports WHERE name_key = ?1");
        existing.Bind(1, text::ToUtf8(text::Upcase(port.name)));
        if (existing.Step()) {
            status = ERROR_ALREADY_EXISTS;
            return;
        }
        db::Statement insert(R"sql(
            INSERT INTO spool_ports (name, name_key, host, protocol, port_number, queue, snmp_community,
                                     snmp_enabled, snmp_index) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9))sql");
        insert.BindName(1, port.name)
            .Bind(3, port.host)
            .Bind(4, int64_t{port.protocol})
            .Bind(5, int64_t{port.portNumber})
            .Bind(6, port.queue)
            .Bind(7, port.snmpCommunity)
            .Bind(8, int64_t{port.snmpEnabled})
            .Bind(9, int64_t{port.snmpIndex})
            .Run();
    });
    if (status == ERROR_SUCCESS) WritePortEntries(port);
    return status;
}

}  // namespace

namespace spool {
bool IsKnownMonitor(const std::u16string& monitor) { return text::Upcase(monitor) == text::Upcase(kStandardMonitor); }
}  // namespace spool

std::vector<PortDesc> ListPorts() {
    std::vector<PortDesc> ports;
    db::Statement list(R"sql(
        SELECT name, host, protocol, port_number, queue, snmp_community, snmp_enabled, snmp_index
        FROM spool_ports ORDER BY name_key)sql");
    while (list.Step())
        ports.push_back(PortDesc{list.Text16(0), list.Text16(1), static_cast<DWORD>(list.Int(2)),
                                 static_cast<DWORD>(list.Int(3)), list.Text16(4), list.Text16(5), list.Int(6) != 0,
                                 static_cast<DWORD>(list.Int(7))});
    return ports;
}

}  // namespace palvex

BOOL XcvDataW(HANDLE hXcv, LPCWSTR pszDataName, PBYTE pInputData, DWORD cbInputData, PBYTE, DWORD,
              PDWORD pcbOutputNeeded, PDWORD pdwStatus) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = palvex::PrinterHandles().Find(hXcv);
        if (!handle || handle->xcvMonitor.empty()) return ERROR_INVALID_HANDLE;
        if (!pszDataName || !pdwStatus) return ERROR_INVALID_PARAMETER;
        if (pcbOutputNeeded) *pcbOutputNeeded = 0;
        if (std::u16string(pszDataName) == u"AddPort") *pdwStatus = palvex::AddPort(pInputData, cbInputData);
        else *pdwStatus = ERROR_INVALID_FUNCTION;
        return ERROR_SUCCESS;
    }));
}
