// SNMP peers for the tests, on 127.0.0.1 only:
// - UdpAgent: a recording UDP listener that keeps every datagram it receives and answers each
//   with whatever datagrams the test's responder gives (none, stale, malformed, right);
// - Snmpd: net-snmp's snmpd as a child process at a free port, serving `override` lines;
// - a small BER builder for hand-made replies, and hex helpers.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace palvex::testing {

using Bytes = std::vector<uint8_t>;

// "30 29 02 01" or "3029 0201" -> bytes.
inline Bytes Hex(const std::string& text) {
    Bytes bytes;
    int high = -1;
    for (char c : text) {
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (digit < 0) continue;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    return bytes;
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- BER for hand-made replies (short and long lengths, minimal integers) ----

inline Bytes Tlv(uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    size_t n = content.size();
    if (n < 0x80) {
        out.push_back(static_cast<uint8_t>(n));
    } else if (n < 0x100) {
        out.push_back(0x81);
        out.push_back(static_cast<uint8_t>(n));
    } else {
        out.push_back(0x82);
        out.push_back(static_cast<uint8_t>(n >> 8));
        out.push_back(static_cast<uint8_t>(n));
    }
    return out + content;
}

inline Bytes IntContent(int64_t value) {
    Bytes bytes;
    for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> shift));
    size_t first = 0;
    while (first + 1 < bytes.size() && ((bytes[first] == 0 && !(bytes[first + 1] & 0x80)) || (bytes[first] == 0xFF && (bytes[first + 1] & 0x80))))
        ++first;
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end());
}

inline Bytes Int(int64_t value) { return Tlv(0x02, IntContent(value)); }
inline Bytes Octets(const std::string& text) { return Tlv(0x04, Text(text)); }
inline Bytes Null() { return Hex("05 00"); }

// "1.3.6.1..." -> an OBJECT IDENTIFIER TLV.
inline Bytes Oid(const std::string& dotted) {
    std::vector<uint64_t> arcs;
    size_t pos = 0;
    while (pos < dotted.size()) {
        size_t dot = dotted.find('.', pos);
        if (dot == std::string::npos) dot = dotted.size();
        if (dot > pos) arcs.push_back(std::stoull(dotted.substr(pos, dot - pos)));
        pos = dot + 1;
    }
    Bytes content;
    auto put = [&](uint64_t v) {
        Bytes groups;
        do {
            groups.insert(groups.begin(), static_cast<uint8_t>(v & 0x7F));
            v >>= 7;
        } while (v);
        for (size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
        content = content + groups;
    };
    put(arcs[0] * 40 + arcs[1]);
    for (size_t i = 2; i < arcs.size(); ++i) put(arcs[i]);
    return Tlv(0x06, content);
}

inline Bytes VarBind(const std::string& dotted, const Bytes& value) { return Tlv(0x30, Oid(dotted) + value); }

// A GetResponse of SNMPv1 carrying these bindings.
inline Bytes Response(const Bytes& requestId, const std::vector<Bytes>& varBinds, int errorStatus = 0, int errorIndex = 0,
                      const std::string& community = "wombat") {
    Bytes list;
    for (const Bytes& varBind : varBinds) list = list + varBind;
    Bytes pdu = Tlv(0x02, requestId) + Int(errorStatus) + Int(errorIndex) + Tlv(0x30, list);
    return Tlv(0x30, Int(0) + Octets(community) + Tlv(0xA2, pdu));
}

// The request id's content bytes of an SNMPv1 request whose lengths are all short (as every
// request of these tests is): after 30 L 02 01 00 04 n <community> Ax L 02.
inline Bytes RequestIdOf(const Bytes& request) {
    if (request.size() < 7) return {};
    size_t pduTag = 7 + request[6];  // past 30 L 02 01 00 04 n and the community
    if (request.size() < pduTag + 4) return {};
    size_t idLength = request[pduTag + 3];
    if (request.size() < pduTag + 4 + idLength) return {};
    return Bytes(request.begin() + static_cast<std::ptrdiff_t>(pduTag + 4),
                 request.begin() + static_cast<std::ptrdiff_t>(pduTag + 4 + idLength));
}

// ---- the environment variable that moves the agent port ----

class ScopedAgentPort {
public:
    explicit ScopedAgentPort(uint16_t port) {
        if (const char* old = std::getenv("PALVEX_SNMP_PORT")) m_previous = old;
        setenv("PALVEX_SNMP_PORT", std::to_string(port).c_str(), 1);
    }
    ~ScopedAgentPort() {
        if (m_previous)
            setenv("PALVEX_SNMP_PORT", m_previous->c_str(), 1);
        else
            unsetenv("PALVEX_SNMP_PORT");
    }
    ScopedAgentPort(const ScopedAgentPort&) = delete;
    ScopedAgentPort& operator=(const ScopedAgentPort&) = delete;

private:
    std::optional<std::string> m_previous;
};

// ---- the recording listener ----

class UdpAgent {
public:
    // Answers the index-th datagram received (from 0) with any number of datagrams.
    using Responder = std::function<std::vector<Bytes>(const Bytes& request, size_t index)>;

    explicit UdpAgent(Responder responder = nullptr) : m_responder(std::move(responder)) {
        m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~UdpAgent() {
        Stop();
        close(m_socket);
    }
    UdpAgent(const UdpAgent&) = delete;
    UdpAgent& operator=(const UdpAgent&) = delete;

    uint16_t port() const { return m_port; }

    // Every datagram sent to the agent so far. The agent stops answering first, then takes what
    // its thread had not read yet: a loopback send is queued before sendto returns, so nothing a
    // finished caller sent can be missed, however late the agent's thread was scheduled.
    std::vector<Bytes> received() {
        Stop();
        Bytes buffer(65536);
        std::lock_guard<std::mutex> lock(m_mutex);
        for (;;) {
            ssize_t n = recv(m_socket, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n < 0) break;
            m_received.emplace_back(buffer.begin(), buffer.begin() + n);
        }
        return m_received;
    }

private:
    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }

    void Serve() {
        Bytes buffer(65536);
        while (!m_stop) {
            pollfd waiting{m_socket, POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0) continue;
            sockaddr_in from{};
            socklen_t fromLength = sizeof(from);
            ssize_t n = recvfrom(m_socket, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n < 0) continue;
            Bytes request(buffer.begin(), buffer.begin() + n);
            size_t index;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                index = m_received.size();
                m_received.push_back(request);
            }
            if (!m_responder) continue;
            for (const Bytes& reply : m_responder(request, index))
                sendto(m_socket, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
        }
    }

    Responder m_responder;
    int m_socket = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<Bytes> m_received;
    std::thread m_thread;
};

// ---- net-snmp's agent ----

class Snmpd {
public:
    // The agent's program, or empty when net-snmp's snmpd is not installed.
    static std::string Program() {
        for (const char* candidate : {"/usr/sbin/snmpd", "/usr/local/sbin/snmpd"})
            if (access(candidate, X_OK) == 0) return candidate;
        return {};
    }

    // Starts snmpd with the read community "wombat" for 127.0.0.1 and these configuration lines.
    explicit Snmpd(const std::vector<std::string>& lines) {
        char folder[] = "/tmp/palvex-snmpd-XXXXXX";
        if (!mkdtemp(folder)) {
            m_error = "no temporary folder";
            return;
        }
        m_folder = folder;
        {
            std::ofstream config(m_folder / "snmpd.conf");
            config << "rocommunity wombat 127.0.0.1\n";
            for (const std::string& line : lines) config << line << "\n";
        }
        for (int attempt = 0; attempt < 5 && !running(); ++attempt) Start();
    }

    ~Snmpd() {
        Stop();
        std::error_code error;
        if (!m_folder.empty()) std::filesystem::remove_all(m_folder, error);
    }
    Snmpd(const Snmpd&) = delete;
    Snmpd& operator=(const Snmpd&) = delete;

    bool running() const { return m_pid > 0; }
    uint16_t port() const { return m_port; }
    const std::string& error() const { return m_error; }

private:
    static uint16_t FreePort() {
        int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return ntohs(address.sin_port);
    }

    void Start() {
        std::string program = Program();
        if (program.empty()) {
            m_error = "snmpd is not installed";
            return;
        }
        m_port = FreePort();
        std::vector<std::string> args = {program, "-f", "-Lo", "-C", "-c", (m_folder / "snmpd.conf").string(),
                                         "udp:127.0.0.1:" + std::to_string(m_port)};
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "MIBS=", 5) != 0 && std::strncmp(*e, "SNMP_PERSISTENT_DIR=", 20) != 0) environment.emplace_back(*e);
        environment.push_back("MIBS=");
        environment.push_back("SNMP_PERSISTENT_DIR=" + m_folder.string());
        std::vector<char*> argv, envp;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        std::string log = (m_folder / "snmpd.log").string();
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        pid_t pid = 0;
        int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            m_error = "snmpd could not be started";
            return;
        }
        m_pid = pid;
        if (!AwaitReady()) {
            Stop();
            m_error = "snmpd did not answer on port " + std::to_string(m_port);
        }
    }

    // Ready once it answers a GET of sysUpTime.0 (a request written out by hand).
    bool AwaitReady() {
        const Bytes probe = Hex("3026 020100 0406776F6D626174 A019 020101 020100 020100 300E 300C 06082B06010201010300 0500");
        int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in agent{};
        agent.sin_family = AF_INET;
        agent.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        agent.sin_port = htons(m_port);
        connect(fd, reinterpret_cast<sockaddr*>(&agent), sizeof(agent));
        bool ready = false;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!ready && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {  // it gave up (port taken?)
                m_pid = -1;
                break;
            }
            send(fd, probe.data(), probe.size(), MSG_NOSIGNAL);
            pollfd waiting{fd, POLLIN, 0};
            if (poll(&waiting, 1, 100) > 0) {
                uint8_t reply[1500];
                ready = recv(fd, reply, sizeof(reply), 0) > 0;
            }
        }
        close(fd);
        return ready;
    }

    void Stop() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 200; ++i) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

    std::filesystem::path m_folder;
    pid_t m_pid = -1;
    uint16_t m_port = 0;
    std::string m_error;
};

}  // namespace palvex::testing
