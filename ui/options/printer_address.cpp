// The printer's address and the user's accounts: printer data, the TCP/IP port monitor's
// registry entries and the per-user account key.
#include "printer_address.h"

#include <new>
#include <vector>

#include <win/strsafe.h>
#include <win/winnls.h>
#include <win/winreg.h>
#include <win/winsock2.h>
#include <win/winspool.h>
#include <win/winspool_ports.h>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "kittrace.h"

namespace {

constexpr DWORD kMinimumAddressChars = 16;
constexpr DWORD kPrinterDataChars = 260;  // "PrinterIPaddr", "Model" and the port name
constexpr DWORD kRegistryTextChars = 256;
constexpr DWORD kAccountValueChars = 260;
constexpr WCHAR kPortsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\%s\\";
constexpr WCHAR kAccountKey[] = u"Software\\Orlune\\%s\\%s\\PrinterDriverData";

constexpr WCHAR kGetAddress[] = u"QORVASystemFunc::GetIPAddressString";
constexpr WCHAR kSetAddress[] = u"QORVASystemFunc::SetIPAddressString";

// Copies at most capacity - 1 characters and the NUL; the characters copied.
DWORD CopyCut(LPWSTR destination, DWORD capacity, LPCWSTR source, DWORD limit = 0xFFFFFFFFu) {
    if (!destination || capacity == 0) return 0;
    DWORD length = 0;
    while (source && source[length] && length + 1 < capacity && length < limit) {
        destination[length] = source[length];
        ++length;
    }
    destination[length] = 0;
    return length;
}

// A REG_SZ read into a buffer of chars characters, always ended by a NUL.
LSTATUS QueryText(HKEY key, LPCWSTR name, WCHAR* buffer, DWORD chars) {
    DWORD bytes = (chars - 1) * sizeof(WCHAR);
    DWORD type = 0;
    const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &bytes);
    buffer[status == ERROR_SUCCESS ? bytes / sizeof(WCHAR) : 0] = 0;
    return status;
}

LPCWSTR TextOrEmpty(LPCWSTR text) {
    return text ? text : u"";
}

// Opens a registry key for reading; null (the failure traced under caller) when it cannot.
HKEY OpenKeyToRead(HKEY root, LPCWSTR path, LPCWSTR caller) {
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) return key;
    DebugTrace(1, u"%s: RegOpenKeyEx err=[%d]\n", caller, status);
    return nullptr;
}

// The printer opened with access (0: the default), closed when the object goes; a failure is
// traced under caller.
class ScopedPrinter {
public:
    ScopedPrinter(LPCWSTR name, ACCESS_MASK access, LPCWSTR caller) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
        if (OpenPrinterW(const_cast<LPWSTR>(name), &m_handle, access ? &defaults : nullptr)) return;
        m_handle = nullptr;
        DebugTrace(1, u"%s: OpenPrinter(%s) err=[%d]\n", caller, TextOrEmpty(name), GetLastError());
    }
    ~ScopedPrinter() {
        if (m_handle) ClosePrinter(m_handle);
    }
    ScopedPrinter(const ScopedPrinter&) = delete;
    ScopedPrinter& operator=(const ScopedPrinter&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

}  // namespace

QVPrinterContext PrinterContextOf(QORVAOptItemHandlerFactory* factory) {
    QVPrinterContext context;
    if (!factory) return context;
    if (POEMCUIPPARAM record = factory->Record()) {
        context.m_printer = record->hPrinter;
        context.m_printerName = record->pPrinterName;
    }
    if (CoUIPluginExt* extension = factory->Extension()) context.m_settings = extension->Settings();
    return context;
}

bool IsUsableIPv4Address(LPCWSTR text) {
    if (!text || !*text) return false;
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    WCHAR copy[kPrinterDataChars];
    CopyCut(copy, kPrinterDataChars, text);
    SOCKADDR_IN address{};
    INT length = sizeof address;
    const int converted = WSAStringToAddressW(copy, AF_INET, nullptr, reinterpret_cast<LPSOCKADDR>(&address), &length);
    WSACleanup();
    if (converted != 0) return false;
    const BYTE first = address.sin_addr[0];
    return first >= 1 && first <= 223 && first != 127;
}

BOOL QVPrinterAccess::GetIPAddressString(LPWSTR address, DWORD* capacity) {
    if (!address || !capacity || *capacity < kMinimumAddressChars) return 0;
    ScopedPrinter printer(m_context.m_printerName, 0, kGetAddress);
    if (!printer.get()) return 0;
    BYTE source = 0;
    if (m_context.m_settings) m_context.m_settings->GetFieldValue(nullptr, u"_QV_GETCONF_SOURCE", &source, 1, 1);
    if (source == 0) return AddressFromPort(printer.get(), address, capacity);

    WCHAR typed[kPrinterDataChars] = {};
    DWORD type = 0, needed = 0;
    const DWORD error = GetPrinterDataW(printer.get(), const_cast<LPWSTR>(u"PrinterIPaddr"), &type,
                                        reinterpret_cast<LPBYTE>(typed), sizeof typed - sizeof(WCHAR), &needed);
    if (error != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: GetPrinterData err=[%d]\n", kGetAddress, error);
        return 0;
    }
    if (!IsUsableIPv4Address(typed)) return 0;
    *capacity = CopyCut(address, *capacity, typed);
    return 1;
}

BOOL QVPrinterAccess::AddressFromPort(HANDLE printer, LPWSTR address, DWORD* capacity) {
    WCHAR portName[kPrinterDataChars] = {};
    DWORD type = 0, needed = 0;
    DWORD error = GetPrinterDataExW(printer, u"DsSpooler", u"portName", &type, reinterpret_cast<LPBYTE>(portName),
                                    sizeof portName - sizeof(WCHAR), &needed);
    if (error != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: GetPrinterDataEx err=[%d]\n", kGetAddress, error);
        return 0;
    }
    DWORD returned = 0;
    needed = 0;
    std::vector<BYTE> ports;
    if (!EnumPortsW(nullptr, 2, nullptr, 0, &needed, &returned)) {
        error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            DebugTrace(1, u"%s: EnumPorts(0) err=[%d]\n", kGetAddress, error);
            return 0;
        }
        try {
            ports.resize(needed);
        } catch (const std::bad_alloc&) {
            DebugTrace(1, u"%s: OOM\n", kGetAddress);
            return 0;
        }
        if (!EnumPortsW(nullptr, 2, ports.data(), needed, &needed, &returned)) {
            DebugTrace(1, u"%s: EnumPorts(1) err=[%d]\n", kGetAddress, GetLastError());
            returned = 0;
        }
    } else {
        returned = 0;  // no port at all
    }
    const auto* list = reinterpret_cast<const PORT_INFO_2W*>(ports.data());
    const PORT_INFO_2W* port = nullptr;
    for (DWORD i = 0; i < returned && !port; ++i) {
        if (!list[i].pPortName || lstrcmpiW(list[i].pPortName, portName) != 0) continue;
        const bool network = (list[i].fPortType & PORT_TYPE_NET_ATTACHED) ||
                             (list[i].pMonitorName && lstrcmpiW(list[i].pMonitorName, u"TCPMON.DLL") == 0);
        if (network) port = &list[i];
    }
    if (!port) return 0;

    WCHAR path[kPrinterDataChars + 128];
    if (FAILED(StringCchPrintfW(path, sizeof path / sizeof path[0], kPortsKey, portName))) return 0;
    HKEY key = OpenKeyToRead(HKEY_LOCAL_MACHINE, path, kGetAddress);
    if (!key) return 0;
    WCHAR host[kRegistryTextChars];
    LSTATUS status = QueryText(key, u"IPAddress", host, kRegistryTextChars);
    if (status != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: RegQueryValueEx(IPAddress) err=[%d]\n", kGetAddress, status);
    } else if (!host[0]) {
        status = QueryText(key, u"HostName", host, kRegistryTextChars);
        if (status != ERROR_SUCCESS) DebugTrace(1, u"%s: RegQueryValueEx(HostName) err=[%d]\n", kGetAddress, status);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return 0;
    *capacity = CopyCut(address, *capacity, host);
    return 1;
}

BOOL QVPrinterAccess::SetIPAddressString(LPCWSTR address) {
    if (!address) return 0;
    ScopedPrinter printer(m_context.m_printerName, PRINTER_ALL_ACCESS, kSetAddress);
    if (!printer.get()) return 0;
    const DWORD bytes = static_cast<DWORD>((lstrlenW(address) + 1) * sizeof(WCHAR));
    const DWORD error = SetPrinterDataW(printer.get(), const_cast<LPWSTR>(u"PrinterIPaddr"), REG_SZ,
                                        reinterpret_cast<LPBYTE>(const_cast<LPWSTR>(address)), bytes);
    if (error != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: SetPrinterData err=[%d]\n", kSetAddress, error);
        SetLastError(error);
        return 0;
    }
    return 1;
}

BOOL QVPrinterAccess::AccountKeyPath(LPCWSTR caller, LPWSTR path, DWORD capacity) {
    WCHAR model[kPrinterDataChars] = {};
    DWORD type = 0, needed = 0;
    const DWORD error = GetPrinterDataW(m_context.m_printer, const_cast<LPWSTR>(u"Model"), &type,
                                        reinterpret_cast<LPBYTE>(model), sizeof model - sizeof(WCHAR), &needed);
    if (error != ERROR_SUCCESS || !model[0]) {
        DebugTrace(1, u"%s: GetPrinterData(%s) err=[%d]\n", caller, TextOrEmpty(m_context.m_printerName), error);
        return FALSE;
    }
    return SUCCEEDED(StringCchPrintfW(path, capacity, kAccountKey, model, TextOrEmpty(m_context.m_printerName)));
}

BOOL QVPrinterAccess::GetAccount(LPCWSTR caller, LPCWSTR idName, LPCWSTR passwordName, LPWSTR id, DWORD idCapacity,
                                 LPWSTR password, DWORD passwordCapacity) {
    if (!id || !password || idCapacity == 0 || passwordCapacity == 0) return 0;
    WCHAR path[2 * kPrinterDataChars + 64];
    if (!AccountKeyPath(caller, path, sizeof path / sizeof path[0])) return 0;
    HKEY key = OpenKeyToRead(HKEY_CURRENT_USER, path, caller);
    if (!key) return 0;
    WCHAR value[kAccountValueChars];
    BOOL result = 0;
    LSTATUS status = QueryText(key, idName, value, kAccountValueChars);
    if (status == ERROR_SUCCESS) {
        CopyCut(id, idCapacity, value, kAccountChars - 1);
        status = QueryText(key, passwordName, value, kAccountValueChars);
        if (status == ERROR_SUCCESS) {
            CopyCut(password, passwordCapacity, value, kAccountChars - 1);
            result = 1;
        }
    }
    if (!result) DebugTrace(1, u"%s: RegQueryValueEx err=[%d]\n", caller, status);
    RegCloseKey(key);
    return result;
}

BOOL QVPrinterAccess::SetAccount(LPCWSTR caller, LPCWSTR idName, LPCWSTR passwordName, LPCWSTR id, LPCWSTR password) {
    if (!id || !password) return 0;
    WCHAR path[2 * kPrinterDataChars + 64];
    if (!AccountKeyPath(caller, path, sizeof path / sizeof path[0])) return 0;
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: RegCreateKeyEx err=[%d]\n", caller, status);
        return 0;
    }
    // The ID as it was, so that an account is never left with a new ID and the old password.
    std::vector<BYTE> previous;
    DWORD previousType = 0;
    DWORD previousBytes = 0;
    bool hadId = RegQueryValueExW(key, idName, nullptr, &previousType, nullptr, &previousBytes) == ERROR_SUCCESS;
    if (hadId) {
        try {
            previous.resize(previousBytes + sizeof(WCHAR));
        } catch (const std::bad_alloc&) {
            RegCloseKey(key);
            DebugTrace(1, u"%s: OOM\n", caller);
            return 0;
        }
        hadId = RegQueryValueExW(key, idName, nullptr, &previousType, previous.data(), &previousBytes) == ERROR_SUCCESS;
    }

    auto write = [&](LPCWSTR name, LPCWSTR text) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(WCHAR)));
    };
    status = write(idName, id);
    if (status == ERROR_SUCCESS) {
        status = write(passwordName, password);
        if (status != ERROR_SUCCESS) {
            if (hadId) RegSetValueExW(key, idName, 0, previousType, previous.data(), previousBytes);
            else RegDeleteValueW(key, idName);
        }
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: RegSetValueEx err=[%d]\n", caller, status);
        return 0;
    }
    return 1;
}

BOOL QVPrinterAccess::GetSecPrintAccount(LPWSTR id, DWORD idCapacity, LPWSTR password, DWORD passwordCapacity) {
    return GetAccount(u"QORVASystemFunc::GetSecPrintAccount", u"SecurePrintID", u"SecurePrintPWD", id, idCapacity, password,
                      passwordCapacity);
}

BOOL QVPrinterAccess::GetUserTraceAccount(LPWSTR id, DWORD idCapacity, LPWSTR password, DWORD passwordCapacity) {
    return GetAccount(u"QORVASystemFunc::GetUserTraceAccount", u"UserManagePrintID", u"UserManagePrintPWD", id, idCapacity,
                      password, passwordCapacity);
}

BOOL QVPrinterAccess::SetSecPrintAccount(LPCWSTR id, LPCWSTR password) {
    return SetAccount(u"QORVASystemFunc::SetSecPrintAccount", u"SecurePrintID", u"SecurePrintPWD", id, password);
}

BOOL QVPrinterAccess::SetUserTraceAccount(LPCWSTR id, LPCWSTR password) {
    return SetAccount(u"QORVASystemFunc::SetUserTraceAccount", u"UserManagePrintID", u"UserManagePrintPWD", id, password);
}

bool IsHeldJobFitId(LPCWSTR id) {
    if (!id || !*id) return false;
    const int length = lstrlenW(id);
    std::vector<WORD> types(static_cast<size_t>(length));
    if (!GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE3, id, length, types.data())) return false;
    for (WORD type : types)
        if (!(type & C3_HALFWIDTH) || (type & C3_KATAKANA)) return false;
    return true;
}
