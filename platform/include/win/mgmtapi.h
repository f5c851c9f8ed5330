// SNMP Manager API of the simulated platform: an SNMPv1 client over UDP.
//
// A session talks to one agent. Each request is sent and waited for nTimeOut milliseconds; when no
// reply comes it is sent again, nRetries times, with the same request id and the same time-out
// (no back-off), so a request blocks for at most nTimeOut x (nRetries + 1) milliseconds. Only a
// well-formed SNMPv1 response carrying the request's id is taken; anything else that arrives
// (other ids, malformed or truncated datagrams) is dropped unread.
//
// The agent's UDP port is 161, or the value of the environment variable PALVEX_SNMP_PORT.
#pragma once

#include "snmp.h"

// Last errors of the manager functions.
#define SNMP_MGMTAPI_TIMEOUT 40
#define SNMP_MGMTAPI_SELECT_FDERRORS 41
#define SNMP_MGMTAPI_TRAP_ERRORS 42
#define SNMP_MGMTAPI_TRAP_DUPINIT 43
#define SNMP_MGMTAPI_NOTRAPS 44
#define SNMP_MGMTAPI_AGAIN 45
#define SNMP_MGMTAPI_INVALID_CTL 46
#define SNMP_MGMTAPI_INVALID_SESSION 47
#define SNMP_MGMTAPI_INVALID_BUFFER 48

typedef PVOID LPSNMP_MGR_SESSION;

// Opens a session with the agent at lpAgentAddress (dotted IPv4 address or host name) using the
// community lpAgentCommunity. NULL on failure (bad arguments, unknown host, no socket).
WINBASEAPI LPSNMP_MGR_SESSION SnmpMgrOpen(LPSTR lpAgentAddress, LPSTR lpAgentCommunity, INT nTimeOut,
                                          INT nRetries);
WINBASEAPI BOOL SnmpMgrClose(LPSNMP_MGR_SESSION session);

// Sends a GET, GETNEXT or SET with the names (and, for SET, the values) of variableBindings.
// When the agent answers, the list is replaced by the response's bindings (allocated with
// SnmpUtilMemAlloc; the caller frees them), *errorStatus and *errorIndex take the response's
// error fields, and the result is nonzero, also when the agent reports an error status.
// Without an answer: 0 and SNMP_MGMTAPI_TIMEOUT; the list is left as it was.
WINBASEAPI INT SnmpMgrRequest(LPSNMP_MGR_SESSION session, BYTE requestType, RFC1157VarBindList* variableBindings,
                              AsnInteger* errorStatus, AsnInteger* errorIndex);

// Converts a dotted object identifier. A leading "." makes it absolute; without one it is taken
// relative to the mib-2 prefix 1.3.6.1.2.1. The arcs are allocated with SnmpUtilMemAlloc.
WINBASEAPI BOOL SnmpMgrStrToOid(LPSTR string, AsnObjectIdentifier* oid);
