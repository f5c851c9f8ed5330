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

}  // namespace palvex
