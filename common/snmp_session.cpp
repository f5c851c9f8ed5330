#include "snmp_session.h"

namespace {

// The per-user session settings.
constexpr WCHAR kSettingsKey[] = u"Software\\Orlune\\VORTAN\\PrinterDriverData\\OLTKCOM";
constexpr WCHAR kTimeoutValue[] = u"SNMP_TimeOut";
constexpr WCHAR kRetriesValue[] = u"SNMP_Retries";
constexpr DWORD kDefaultTimeoutMs = 1000;
constexpr DWORD kDefaultRetries = 3;

// A REG_DWORD setting, or the default when it cannot be read as one.
DWORD ReadSetting(HKEY key, LPCWSTR name, DWORD fallback) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return fallback;
    return value;
}

void ReadSessionSettings(DWORD& timeoutMs, DWORD& retries) {
    timeoutMs = kDefaultTimeoutMs;
    retries = kDefaultRetries;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    timeoutMs = ReadSetting(key, kTimeoutValue, kDefaultTimeoutMs);
    retries = ReadSetting(key, kRetriesValue, kDefaultRetries);
    RegCloseKey(key);
}

// The text in the system ANSI code page, allocated with the SNMP library's allocator.
LPSTR ToSnmpAnsiString(LPCWSTR text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return nullptr;
    auto* ansi = static_cast<LPSTR>(SnmpUtilMemAlloc(static_cast<UINT>(size)));
    if (!ansi) return nullptr;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, size, nullptr, nullptr) != size) {
        SnmpUtilMemFree(ansi);
        return nullptr;
    }
    return ansi;
}

}  // namespace

bool QvComSnmpSession::Open(LPCWSTR agent, LPCWSTR community) {
    Close();
    m_agent = ToSnmpAnsiString(agent);
    m_community = ToSnmpAnsiString(community);
    if (!m_agent || !m_community) return false;
    DWORD timeoutMs = 0;
    DWORD retries = 0;
    ReadSessionSettings(timeoutMs, retries);
    m_session = SnmpMgrOpen(m_agent, m_community, static_cast<INT>(timeoutMs), static_cast<INT>(retries));
    if (!m_session) {
        (void)GetLastError();
        return false;
    }
    return true;
}

bool QvComSnmpSession::Get(const char* const* names, UINT count) {
    FreeVarBinds();
    if (!m_session || count == 0) return false;
    m_varBinds = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(count * static_cast<UINT>(sizeof(SnmpVarBind))));
    if (!m_varBinds) return false;
    for (UINT i = 0; i < count; ++i) {
        m_varBinds[i].value.asnType = ASN_NULL;
        ++m_varBindCount;
        if (!SnmpMgrStrToOid(const_cast<LPSTR>(names[i]), &m_varBinds[i].name)) return false;
    }
    SnmpVarBindList list{m_varBinds, m_varBindCount};
    AsnInteger errorStatus = 0;
    AsnInteger errorIndex = 0;
    INT answered = SnmpMgrRequest(m_session, SNMP_PDU_GET, &list, &errorStatus, &errorIndex);
    m_varBinds = list.list;
    m_varBindCount = list.len;
    if (!answered) {
        (void)GetLastError();
        return false;
    }
    return true;
}

void QvComSnmpSession::FreeVarBinds() {
    if (m_varBinds) {
        for (UINT i = 0; i < m_varBindCount; ++i) {
            SnmpUtilOidFree(&m_varBinds[i].name);
            SnmpUtilAsnAnyFree(&m_varBinds[i].value);
        }
        SnmpUtilMemFree(m_varBinds);
    }
    m_varBinds = nullptr;
    m_varBindCount = 0;
}

void QvComSnmpSession::Close() {
    FreeVarBinds();
    SnmpUtilMemFree(m_agent);
    SnmpUtilMemFree(m_community);
    m_agent = nullptr;
    m_community = nullptr;
    if (m_session) SnmpMgrClose(m_session);
    m_session = nullptr;
}
