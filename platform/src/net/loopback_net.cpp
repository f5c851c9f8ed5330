// The simulated network: routing of datagrams to the loopback agents the machine lists, and the
// wait for answers on the machine clock.
#include "net/loopback_net.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>

#include <palvex/clock.h>
#include <palvex/network.h>
#include <win/synchapi.h>

#include "machine/machine_db.h"

namespace palvex {

namespace {

db::SchemaPart g_schema(
    "CREATE TABLE IF NOT EXISTS network_agents("
    "  position INTEGER PRIMARY KEY, address TEXT NOT NULL, agent_port INTEGER NOT NULL);");

}  // namespace

void SetNetworkAgents(const std::vector<NetworkAgent>& agents) {
    db::Transaction([&] {
        db::Statement("DELETE FROM network_agents").Run();
        int position = 0;
        for (const NetworkAgent& agent : agents)
            db::Statement("INSERT INTO network_agents(position, address, agent_port) VALUES (?, ?, ?)")
                .Bind(1, position++)
                .Bind(2, agent.address)
                .Bind(3, agent.agentPort)
                .Run();
    });
}

std::vector<NetworkAgent> MachineNetworkAgents() {
    std::vector<NetworkAgent> agents;
    db::Statement rows("SELECT address, agent_port FROM network_agents ORDER BY position");
    while (rows.Step()) agents.push_back({rows.Text(0), static_cast<uint16_t>(rows.Int(1))});
    return agents;
}

namespace net {

namespace {

constexpr uint16_t kSnmpPort = 161;
constexpr uint32_t kLoopback = 0x7F000001;
// How long a virtual-clock wait gives datagrams that are still under way: answers to requests
// sent to agents (real processes or threads on this computer), then any stragglers.
constexpr int kAnswerWaitMs = 5000;
constexpr int kStragglerWaitMs = 100;

bool IsLoopback(uint32_t address) { return (address >> 24) == 127; }

uint32_t Parse(const std::string& dotted) {
    in_addr parsed{};
    return inet_pton(AF_INET, dotted.c_str(), &parsed) == 1 ? ntohl(parsed.s_addr) : 0;
}

struct Agent {
    uint32_t address;
    uint16_t port;
};

std::vector<Agent> Agents() {
    std::vector<Agent> agents;
    try {
        for (const NetworkAgent& agent : MachineNetworkAgents())
            if (uint32_t address = Parse(agent.address)) agents.push_back({address, agent.agentPort});
    } catch (const std::exception&) {
    }
    return agents;
}

// The network a broadcast address stands for (address, mask); false when it is none.
bool BroadcastNetwork(uint32_t broadcast, uint32_t& network, uint32_t& mask) {
    if (broadcast == 0xFFFFFFFF) {
        network = mask = 0;
        return true;
    }
    try {
        for (const NetworkAdapter& adapter : MachineNetworkAdapters())
            for (const NetworkAddress& address : adapter.ipv4) {
                const uint32_t a = Parse(address.address), m = Parse(address.mask);
                if ((a | ~m) == broadcast) {
                    network = a & m;
                    mask = m;
                    return true;
                }
            }
    } catch (const std::exception&) {
    }
    return false;
}

// Datagrams sent to agents and not yet answered, by socket.
std::mutex g_lock;
std::map<int, long> g_pending;

long SendRaw(int fd, const uint8_t* data, size_t size, uint32_t address, uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    return sendto(fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

}  // namespace

uint16_t LoopbackAgentPort() {
    const char* text = std::getenv("PALVEX_SNMP_PORT");
    if (!text || !*text) return kSnmpPort;
    char* end = nullptr;
    const unsigned long port = std::strtoul(text, &end, 10);
    return (*end != '\0' || port == 0 || port > 65535) ? kSnmpPort : static_cast<uint16_t>(port);
}

bool AgentFor(uint32_t address, uint32_t& agentAddress, uint16_t& agentPort) {
    if (IsLoopback(address)) {
        agentAddress = address;
        agentPort = LoopbackAgentPort();
        return true;
    }
    for (const Agent& agent : Agents())
        if (agent.address == address) {
            agentAddress = kLoopback;
            agentPort = agent.port;
            return true;
        }
    return false;
}

int OpenUdpSocket() { return socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); }

void CloseSocket(int fd) {
    {
        std::lock_guard lock(g_lock);
        g_pending.erase(fd);
    }
    close(fd);
}

long SendDatagram(int fd, const uint8_t* data, size_t size, uint32_t address, uint16_t port) {
    if (IsLoopback(address)) return SendRaw(fd, data, size, address, port == kSnmpPort ? LoopbackAgentPort() : port);
    std::vector<Agent> targets;
    uint32_t network = 0, mask = 0;
    const bool broadcast = BroadcastNetwork(address, network, mask);
    for (const Agent& agent : Agents())
        if ((broadcast && (agent.address & mask) == network) || (!broadcast && agent.address == address)) targets.push_back(agent);
    if (port != kSnmpPort) targets.clear();  // only the printers' SNMP agents are on this network
    for (const Agent& agent : targets) {
        if (SendRaw(fd, data, size, kLoopback, agent.port) < 0) return -1;
        std::lock_guard lock(g_lock);
        ++g_pending[fd];
    }
    return static_cast<long>(size);
}

long ReceiveDatagram(int fd, uint8_t* data, size_t size, uint32_t& address, uint16_t& port) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const long received = recvfrom(fd, data, size, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &length);
    if (received < 0) return -1;
    {
        std::lock_guard lock(g_lock);
        if (auto it = g_pending.find(fd); it != g_pending.end() && it->second > 0) --it->second;
    }
    address = ntohl(from.sin_addr.s_addr);
    port = ntohs(from.sin_port);
    if (address == kLoopback) {
        try {
            for (const NetworkAgent& agent : MachineNetworkAgents())
                if (agent.agentPort == port) {
                    address = Parse(agent.address);
                    port = kSnmpPort;
                    break;
                }
        } catch (const std::exception&) {
        }
    }
    return received;
}

std::vector<int> WaitReadable(const std::vector<int>& fds, long timeoutMs) {
    std::vector<pollfd> waiting;
    for (int fd : fds) waiting.push_back({fd, POLLIN, 0});
    auto ready = [&] {
        std::vector<int> result;
        for (const pollfd& entry : waiting)
            if (entry.revents & POLLIN) result.push_back(entry.fd);
        return result;
    };
    if (timeoutMs < 0) timeoutMs = 0;
    if (!MachineClockIsVirtual()) {
        if (poll(waiting.data(), waiting.size(), static_cast<int>(timeoutMs)) <= 0) return {};
        return ready();
    }
    long pending = 0;
    {
        std::lock_guard lock(g_lock);
        for (int fd : fds)
            if (auto it = g_pending.find(fd); it != g_pending.end()) pending += it->second;
    }
    const int realWait = timeoutMs == 0 ? 0 : pending > 0 ? kAnswerWaitMs : kStragglerWaitMs;
    if (poll(waiting.data(), waiting.size(), realWait) > 0) return ready();
    Sleep(static_cast<DWORD>(timeoutMs));  // moves the virtual clock by the whole time-out
    return {};
}

}  // namespace net
}  // namespace palvex
