// One SNMPv1 GET through the SNMP manager, answering only the type of the value that came back:
// the network search's confirmation that a found printer is of the expected kind.
#pragma once

#include <string>
#include <vector>

#include <win/mgmtapi.h>
#include <win/snmp.h>
#include <win/windows.h>

// The community of every SNMP request of the installer.
inline constexpr char16_t kSnmpCommunity[] = u"wombat";
// prtInterpreterLangFamily of the first interpreter of the first device.
inline constexpr char kDefaultSnmpObject[] = ".1.3.6.1.2.1.43.15.1.1.2.1.1";
// Per-user time-out (ms) and retries of one request.
inline constexpr char16_t kSnmpSettingsKey[] = u"Software\\Korvel\\VORTAN\\PrinterDriverData\\QVTKCOM";

class CSnmpGetUtil {
public:
    CSnmpGetUtil() = default;
    virtual ~CSnmpGetUtil() { Close(); }
    CSnmpGetUtil(const CSnmpGetUtil&) = delete;
    CSnmpGetUtil& operator=(const CSnmpGetUtil&) = delete;

    BOOL Open(const std::u16string& agent, const std::u16string& community);
    // One binding per dotted object text, each asking for a value (ASN_NULL).
    BOOL MakeVarBindList(const std::vector<std::string>& objects);
    BOOL Request();
    // TRUE when a session was closed; frees the bindings and texts either way.
    BOOL Close();
    // The wide text in the ANSI code page, in memory of SnmpUtilMemAlloc; its size in bytes, or 0.
    static int AllocAnsiString(const std::u16string& text, LPSTR* out);

    SnmpVarBindList m_varBinds{nullptr, 0};
    LPSNMP_MGR_SESSION m_session = nullptr;
    LPSTR m_agent = nullptr;
    LPSTR m_community = nullptr;

private:
    void FreeVarBinds();
    void FreeTexts();
};

// The ASN type of the first value the host answered for the object (the default object when the
// text is empty); ASN_NULL when it answered without a value, 0 when no answer could be had.
BYTE SnmpGet(const std::u16string& object, const std::u16string& host);
