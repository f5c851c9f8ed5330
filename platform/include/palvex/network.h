// The simulated machine's network adapters, as GetAdaptersInfo reports them.
//
// By default a machine has this computer's own interfaces (loopback and interfaces without a
// hardware address left out, in interface-index order). Tests set a list of their own, or none;
// the choice is machine state, so every process on the machine sees it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <win/wintypes.h>

namespace palvex {

struct NetworkAddress {
    std::string address;  // dotted IPv4, e.g. "192.168.1.20"
    std::string mask;     // dotted IPv4, e.g. "255.255.255.0"

    bool operator==(const NetworkAddress&) const = default;
};

struct NetworkAdapter {
    std::string name;                  // e.g. "eth0"
    std::string description;
    std::vector<uint8_t> address;      // hardware address, at most 8 bytes (6 for Ethernet)
    DWORD index = 0;                   // interface index
    UINT type = 6;                     // MIB_IF_TYPE_ETHERNET
    std::vector<NetworkAddress> ipv4;  // none: reported as "0.0.0.0"

    bool operator==(const NetworkAdapter&) const = default;
};

// The adapters of this computer, read now.
__attribute__((visibility("default"))) std::vector<NetworkAdapter> HostNetworkAdapters();

// Gives the current machine exactly these adapters (an empty list: no adapter at all).
__attribute__((visibility("default"))) void SetNetworkAdapters(const std::vector<NetworkAdapter>& adapters);

// Gives the current machine this computer's own adapters again (the default).
__attribute__((visibility("default"))) void UseHostNetworkAdapters();

// The adapters the current machine reports.
__attribute__((visibility("default"))) std::vector<NetworkAdapter> MachineNetworkAdapters();

// A printer of the simulated network: the address the machine knows it by, answered by an SNMP
// agent that listens on 127.0.0.1 at agentPort. No datagram leaves 127.0.0.0/8: a datagram for
// port 161 of a listed address goes to its agent; one for a broadcast address (255.255.255.255,
// or an adapter's directed broadcast, address OR NOT mask) goes to every listed agent in that
// network; one for a loopback address goes there (port 161 moved by PALVEX_SNMP_PORT); any
// other is dropped. An agent's answer is reported as coming from its listed address, port 161.
struct NetworkAgent {
    std::string address;  // dotted IPv4, e.g. "192.168.1.50"
    uint16_t agentPort = 0;

    bool operator==(const NetworkAgent&) const = default;
};
__attribute__((visibility("default"))) void SetNetworkAgents(const std::vector<NetworkAgent>& agents);
__attribute__((visibility("default"))) std::vector<NetworkAgent> MachineNetworkAgents();

}  // namespace palvex
