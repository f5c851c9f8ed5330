// One SNMP exchange with a printer for the tray query (internal to the library): the manager
// session, the variable list of the current request and the agent and community strings, all
// let go by Close or the destructor.
#pragma once

#include <win/mgmtapi.h>
#include <win/windows.h>

class QvComSnmpSession {
public:
    QvComSnmpSession() = default;
    ~QvComSnmpSession() { Close(); }
    QvComSnmpSession(const QvComSnmpSession&) = delete;
    QvComSnmpSession& operator=(const QvComSnmpSession&) = delete;

    // Opens a manager session with the per-user time-out and retries.
    bool Open(LPCWSTR agent, LPCWSTR community);

    // One GET of the named variables (absolute dotted identifiers), each sent with a NULL value.
    // On success the answers replace the variable list.
    bool Get(const char* const* names, UINT count);

    const SnmpVarBind* answers() const { return m_varBinds; }
    UINT answerCount() const { return m_varBindCount; }

    void Close();

private:
    void FreeVarBinds();

    LPSNMP_MGR_SESSION m_session = nullptr;
    SnmpVarBind* m_varBinds = nullptr;
    UINT m_varBindCount = 0;
    LPSTR m_agent = nullptr;
    LPSTR m_community = nullptr;
};
