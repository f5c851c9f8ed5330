// SNMP Manager API: SNMPv1 sessions over a connected UDP socket.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

#include <win/mgmtapi.h>
#include <win/winbase.h>

#include "net/loopback_net.h"
#include "net/snmp_ber.h"

namespace {

using palvex::snmp::Message;
using palvex::snmp::Oid;
using palvex::snmp::Value;
using palvex::snmp::VarBind;

constexpr uint32_t kSessionMagic = 0x534E4D50;  // "SNMP"

struct ManagerSession {
    uint32_t magic = kSessionMagic;
    int socket = -1;
    std::vector<uint8_t> community;
    int timeoutMs = 0;
    int retries = 0;
    std::mutex requestLock;  // one exchange at a time per session
};

ManagerSession* SessionFrom(LPSNMP_MGR_SESSION handle) {
    auto* session = static_cast<ManagerSession*>(handle);
    return (session && session->magic == kSessionMagic) ? session : nullptr;
}

// The agent a session talks to: a loopback address at the machine's SNMP port, or the loopback
// agent of a printer the machine lists; any other address is off the simulated network.
bool ResolveAgent(const char* agent, sockaddr_in& address) {
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    in_addr parsed{};
    if (inet_pton(AF_INET, agent, &parsed) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(agent, nullptr, &hints, &found) != 0 || !found) return false;
        parsed = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    uint32_t agentAddress = 0;
    uint16_t agentPort = 0;
    if (!palvex::net::AgentFor(ntohl(parsed.s_addr), agentAddress, agentPort)) return false;
    address.sin_addr.s_addr = htonl(agentAddress);
    address.sin_port = htons(agentPort);
    return true;
}

// Request ids are positive 31-bit values, started at random so that separate processes and
// sessions rarely meet the same id, then counted up.
int32_t NextRequestId() {
    static std::atomic<uint32_t> counter{std::random_device{}() & 0x7FFFFFFF};
    uint32_t id;
    do {
        id = counter.fetch_add(1) & 0x7FFFFFFF;
    } while (id == 0);
    return static_cast<int32_t>(id);
}

// ---- conversion between the API's structures and messages ----

bool ToOid(const AsnObjectIdentifier& source, Oid& oid) {
    if (source.idLength != 0 && !source.ids) return false;
    oid.assign(source.ids, source.ids + source.idLength);
    return true;
}

bool ToValue(const AsnAny& source, Value& value) {
    value = Value{};
    value.type = source.asnType;
    switch (source.asnType) {
    case ASN_NULL:
        return true;
    case ASN_INTEGER:
        value.number = source.asnValue.number;
        return true;
    case ASN_COUNTER32:
    case ASN_GAUGE32:
    case ASN_TIMETICKS:
    case ASN_UNSIGNED32:
        value.number = source.asnValue.unsigned32;
        return true;
    case ASN_OCTETSTRING:
    case ASN_IPADDRESS:
    case ASN_OPAQUE: {
        const AsnOctetString& string = source.asnValue.string;
        if (string.length != 0 && !string.stream) return false;
        value.bytes.assign(string.stream, string.stream + string.length);
        return true;
    }
    case ASN_OBJECTIDENTIFIER:
        return ToOid(source.asnValue.object, value.oid);
    default:
        return false;
    }
}

bool FillOid(const Oid& source, AsnObjectIdentifier& oid) {
    oid.idLength = 0;
    oid.ids = nullptr;
    if (source.empty()) return true;
    auto* ids = static_cast<UINT*>(SnmpUtilMemAlloc(static_cast<UINT>(source.size() * sizeof(UINT))));
    if (!ids) return false;
    std::memcpy(ids, source.data(), source.size() * sizeof(UINT));
    oid.ids = ids;
    oid.idLength = static_cast<UINT>(source.size());
    return true;
}

bool FillValue(const Value& source, AsnAny& value) {
    std::memset(&value, 0, sizeof(value));
    value.asnType = source.type;
    switch (source.type) {
    case ASN_INTEGER:
        value.asnValue.number = static_cast<AsnInteger32>(source.number);
        return true;
    case ASN_COUNTER32:
    case ASN_GAUGE32:
    case ASN_TIMETICKS:
    case ASN_UNSIGNED32:
        value.asnValue.unsigned32 = static_cast<AsnUnsigned32>(source.number);
        return true;
    case ASN_COUNTER64:
        value.asnValue.counter64.QuadPart = source.counter64;
        return true;
    case ASN_OCTETSTRING:
    case ASN_IPADDRESS:
    case ASN_OPAQUE: {
        if (source.bytes.empty()) return true;
        auto* stream = static_cast<BYTE*>(SnmpUtilMemAlloc(static_cast<UINT>(source.bytes.size())));
        if (!stream) return false;
        std::memcpy(stream, source.bytes.data(), source.bytes.size());
        value.asnValue.string.stream = stream;
        value.asnValue.string.length = static_cast<UINT>(source.bytes.size());
        value.asnValue.string.dynamic = TRUE;
        return true;
    }
    case ASN_OBJECTIDENTIFIER:
        return FillOid(source.oid, value.asnValue.object);
    default:  // NULL and the exception values carry nothing
        return true;
    }
}

// The response's bindings as a list owned by the caller; false when memory ran out.
bool FillList(const std::vector<VarBind>& source, SnmpVarBindList& list) {
    list.list = nullptr;
    list.len = 0;
    if (source.empty()) return true;
    auto* entries = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(static_cast<UINT>(source.size() * sizeof(SnmpVarBind))));
    if (!entries) return false;
    list.list = entries;
    for (const VarBind& varBind : source) {
        SnmpVarBind& entry = entries[list.len];
        entry.value.asnType = ASN_NULL;
        ++list.len;
        if (!FillOid(varBind.name, entry.name) || !FillValue(varBind.value, entry.value)) {
            SnmpUtilVarBindListFree(&list);
            return false;
        }
    }
    return true;
}

// Waits for the response to requestId until deadline; datagrams that are not it are dropped.
enum class WaitResult { Answered, TimedOut, Failed };

WaitResult AwaitResponse(int socket, int32_t requestId, std::chrono::steady_clock::time_point deadline,
                         Message& response) {
    static thread_local std::vector<uint8_t> buffer(65536);
    for (;;) {
        auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) return WaitResult::TimedOut;
        pollfd waiting{socket, POLLIN, 0};
        int ready = poll(&waiting, 1, static_cast<int>(remaining.count()));
        if (ready < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Failed;
        }
        if (ready == 0) return WaitResult::TimedOut;
        ssize_t received = recv(socket, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (received < 0) continue;  // an ICMP refusal or a spurious wake-up: keep waiting
        auto message = palvex::snmp::DecodeMessage(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(received)));
        if (!message || message->version != 0 || message->pdu.type != SNMP_PDU_RESPONSE ||
            message->pdu.requestId != requestId)
            continue;
        response = std::move(*message);
        return WaitResult::Answered;
    }
}

}  // namespace

WINBASEAPI LPSNMP_MGR_SESSION SnmpMgrOpen(LPSTR lpAgentAddress, LPSTR lpAgentCommunity, INT nTimeOut, INT nRetries) {
    if (!lpAgentAddress || !*lpAgentAddress || !lpAgentCommunity || nTimeOut < 0 || nRetries < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    sockaddr_in agent{};
    if (!ResolveAgent(lpAgentAddress, agent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Connected, so that only the agent's datagrams reach the socket.
    if (connect(fd, reinterpret_cast<const sockaddr*>(&agent), sizeof(agent)) != 0) {
        close(fd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* session = new ManagerSession;
    session->socket = fd;
    session->community.assign(lpAgentCommunity, lpAgentCommunity + std::strlen(lpAgentCommunity));
    session->timeoutMs = nTimeOut;
    session->retries = nRetries;
    return session;
}

WINBASEAPI BOOL SnmpMgrClose(LPSNMP_MGR_SESSION handle) {
    ManagerSession* session = SessionFrom(handle);
    if (!session) {
        SetLastError(SNMP_MGMTAPI_INVALID_SESSION);
        return FALSE;
    }
    close(session->socket);
    session->magic = 0;
    delete session;
    return TRUE;
}

WINBASEAPI INT SnmpMgrRequest(LPSNMP_MGR_SESSION handle, BYTE requestType, RFC1157VarBindList* variableBindings,
                              AsnInteger* errorStatus, AsnInteger* errorIndex) {
    ManagerSession* session = SessionFrom(handle);
    if (!session) {
        SetLastError(SNMP_MGMTAPI_INVALID_SESSION);
        return 0;
    }
    if (!variableBindings || !errorStatus || !errorIndex ||
        (requestType != SNMP_PDU_GET && requestType != SNMP_PDU_GETNEXT && requestType != SNMP_PDU_SET) ||
        (variableBindings->len != 0 && !variableBindings->list)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    Message request;
    request.community = session->community;
    request.pdu.type = requestType;
    request.pdu.requestId = NextRequestId();
    for (UINT i = 0; i < variableBindings->len; ++i) {
        VarBind varBind;
        if (!ToOid(variableBindings->list[i].name, varBind.name) || !ToValue(variableBindings->list[i].value, varBind.value)) {
            SetLastError(SNMP_MGMTAPI_INVALID_BUFFER);
            return 0;
        }
        request.pdu.varBinds.push_back(std::move(varBind));
    }
    std::vector<uint8_t> datagram = palvex::snmp::EncodeMessage(request);
    if (datagram.empty()) {
        SetLastError(SNMP_MGMTAPI_INVALID_BUFFER);
        return 0;
    }

    std::lock_guard<std::mutex> exchange(session->requestLock);
    Message response;
    for (int attempt = 0; attempt <= session->retries; ++attempt) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(session->timeoutMs);
        // A failed send counts as a lost datagram: the wait still runs to its time-out.
        (void)send(session->socket, datagram.data(), datagram.size(), MSG_NOSIGNAL);
        WaitResult result = AwaitResponse(session->socket, request.pdu.requestId, deadline, response);
        if (result == WaitResult::Failed) {
            SetLastError(SNMP_MGMTAPI_SELECT_FDERRORS);
            return 0;
        }
        if (result == WaitResult::TimedOut) continue;

        SnmpVarBindList answer{};
        if (!FillList(response.pdu.varBinds, answer)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        SnmpUtilVarBindListFree(variableBindings);
        *variableBindings = answer;
        *errorStatus = response.pdu.errorStatus;
        *errorIndex = response.pdu.errorIndex;
        return 1;
    }
    SetLastError(SNMP_MGMTAPI_TIMEOUT);
    return 0;
}

WINBASEAPI BOOL SnmpMgrStrToOid(LPSTR string, AsnObjectIdentifier* oid) {
    if (!string || !oid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Oid arcs;
    const char* p = string;
    if (*p == '.') {
        ++p;
    } else {
        arcs = {1, 3, 6, 1, 2, 1};  // mib-2
    }
    // Dotted decimal arcs, each within 32 bits; no empty arcs, no trailing dot.
    for (;;) {
        if (*p < '0' || *p > '9') {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        uint64_t arc = 0;
        while (*p >= '0' && *p <= '9') {
            arc = arc * 10 + static_cast<uint64_t>(*p - '0');
            if (arc > 0xFFFFFFFFu) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            ++p;
        }
        arcs.push_back(static_cast<uint32_t>(arc));
        if (*p == '\0') break;
        if (*p != '.') {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        ++p;
    }
    if (arcs.size() > 128) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    AsnObjectIdentifier converted{};
    if (!FillOid(arcs, converted)) return FALSE;
    *oid = converted;
    return TRUE;
}
