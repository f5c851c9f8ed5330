// The SNMP GET of the network search.
#include "snmp_get_util.h"

#include <cstring>

namespace {

// A DWORD value of the per-user settings key; the fallback when it cannot be read.
int ReadSetting(const char16_t* name, int fallback) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSnmpSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return fallback;
    DWORD value = 0, size = sizeof value, type = 0;
    const bool read = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) == ERROR_SUCCESS &&
                      size == sizeof value;
    RegCloseKey(key);
    return read ? static_cast<int>(value) : fallback;
}

}  // namespace

int CSnmpGetUtil::AllocAnsiString(const std::u16string& text, LPSTR* out) {
    *out = nullptr;
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return 0;
    auto* buffer = static_cast<LPSTR>(SnmpUtilMemAlloc(static_cast<UINT>(size)));
    if (!buffer) return 0;
    if (WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, size, nullptr, nullptr) != size) {
        SnmpUtilMemFree(buffer);
        return 0;
    }
    *out = buffer;
    return size;
}

void CSnmpGetUtil::FreeVarBinds() {
    if (m_varBinds.list) SnmpUtilVarBindListFree(&m_varBinds);
    m_varBinds = {nullptr, 0};
}

void CSnmpGetUtil::FreeTexts() {
    if (m_agent) SnmpUtilMemFree(m_agent);
    if (m_community) SnmpUtilMemFree(m_community);
    m_agent = m_community = nullptr;
}

BOOL CSnmpGetUtil::Open(const std::u16string& agent, const std::u16string& community) {
    if (agent.empty() || community.empty()) return FALSE;
    FreeVarBinds();
    FreeTexts();
    if (!AllocAnsiString(agent, &m_agent) || !AllocAnsiString(community, &m_community)) {
        FreeTexts();
        return FALSE;
    }
    const int timeout = ReadSetting(u"SNMP_TimeOut", 1000);
    const int retries = ReadSetting(u"SNMP_Retries", 3);
    m_session = SnmpMgrOpen(m_agent, m_community, timeout, retries);
    if (!m_session) {
        FreeTexts();
        return FALSE;
    }
    return TRUE;
}

BOOL CSnmpGetUtil::MakeVarBindList(const std::vector<std::string>& objects) {
    if (objects.empty()) return FALSE;
    FreeVarBinds();
    auto* list = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(static_cast<UINT>(objects.size() * sizeof(SnmpVarBind))));
    if (!list) return FALSE;
    std::memset(list, 0, objects.size() * sizeof(SnmpVarBind));
    m_varBinds = {list, 0};
    for (const std::string& object : objects) {
        std::string text = object;
        SnmpVarBind& binding = list[m_varBinds.len];
        if (!SnmpMgrStrToOid(text.data(), &binding.name)) {
            FreeVarBinds();
            return FALSE;
        }
        binding.value.asnType = ASN_NULL;
        ++m_varBinds.len;
    }
    return TRUE;
}

BOOL CSnmpGetUtil::Request() {
    if (!m_session) return FALSE;
    AsnInteger status = 0, index = 0;
    return SnmpMgrRequest(m_session, SNMP_PDU_GET, &m_varBinds, &status, &index) ? TRUE : FALSE;
}

BOOL CSnmpGetUtil::Close() {
    FreeVarBinds();
    FreeTexts();
    if (!m_session) return FALSE;
    SnmpMgrClose(m_session);
    m_session = nullptr;
    return TRUE;
}

BYTE SnmpGet(const std::u16string& object, const std::u16string& host) {
    if (host.empty()) return 0;
    CSnmpGetUtil session;
    if (!session.Open(host, kSnmpCommunity)) return 0;
    std::string text = kDefaultSnmpObject;
    if (!object.empty()) {
        char converted[261] = {};
        if (WideCharToMultiByte(CP_ACP, 0, object.c_str(), -1, converted, 260, nullptr, nullptr) <= 0) return 0;
        text = converted;
    }
    BYTE type = 0;
    if (session.MakeVarBindList({text}) && session.Request() && session.m_varBinds.len > 0)
        type = session.m_varBinds.list[0].value.asnType;
    session.Close();
    return type;
}
