// The machine's network adapters: this computer's own by default, or a list the machine stores.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>

#include <palvex/network.h>
#include <win/iphlpapi.h>

#include "machine/machine_db.h"

namespace palvex {

namespace {

db::SchemaPart g_schema(
    "CREATE TABLE IF NOT EXISTS network_adapter_choice("
    "  id INTEGER PRIMARY KEY CHECK (id = 1), use_host INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS network_adapters("
    "  position INTEGER PRIMARY KEY, name TEXT NOT NULL, description TEXT NOT NULL, address BLOB NOT NULL,"
    "  if_index INTEGER NOT NULL, if_type INTEGER NOT NULL, ipv4 TEXT NOT NULL);");

std::string DottedAddress(const sockaddr* address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof(text));
    return text;
}

bool IsDottedIpv4(const std::string& text) {
    in_addr parsed{};
    return inet_pton(AF_INET, text.c_str(), &parsed) == 1;
}

// Stored form of an adapter's addresses: "address/mask" pairs separated by spaces.
std::string JoinAddresses(const std::vector<NetworkAddress>& addresses) {
    std::string joined;
    for (const NetworkAddress& entry : addresses) {
        if (!joined.empty()) joined += ' ';
        joined += entry.address + "/" + entry.mask;
    }
    return joined;
}

std::vector<NetworkAddress> SplitAddresses(const std::string& joined) {
    std::vector<NetworkAddress> addresses;
    std::istringstream words(joined);
    std::string word;
    while (words >> word) {
        size_t slash = word.find('/');
        if (slash == std::string::npos) continue;
        NetworkAddress entry{word.substr(0, slash), word.substr(slash + 1)};
        if (IsDottedIpv4(entry.address) && IsDottedIpv4(entry.mask)) addresses.push_back(entry);
    }
    return addresses;
}

}  // namespace

std::vector<NetworkAdapter> HostNetworkAdapters() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::map<std::string, NetworkAdapter> byName;
    std::map<std::string, bool> skipped;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_name || !entry->ifa_addr) continue;
        std::string name = entry->ifa_name;
        if (entry->ifa_flags & IFF_LOOPBACK) skipped[name] = true;
        NetworkAdapter& adapter = byName[name];
        adapter.name = name;
        adapter.description = name;
        if (entry->ifa_addr->sa_family == AF_PACKET) {
            const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
            size_t length = std::min<size_t>(link->sll_halen, MAX_ADAPTER_ADDRESS_LENGTH);
            adapter.address.assign(link->sll_addr, link->sll_addr + length);
            adapter.index = static_cast<DWORD>(link->sll_ifindex);
            adapter.type = link->sll_hatype == ARPHRD_ETHER ? MIB_IF_TYPE_ETHERNET : MIB_IF_TYPE_OTHER;
        } else if (entry->ifa_addr->sa_family == AF_INET) {
            NetworkAddress address{DottedAddress(entry->ifa_addr),
                                   entry->ifa_netmask ? DottedAddress(entry->ifa_netmask) : "0.0.0.0"};
            adapter.ipv4.push_back(address);
        }
    }
    freeifaddrs(list);

    std::vector<NetworkAdapter> adapters;
    for (auto& [name, adapter] : byName) {
        bool allZero = std::all_of(adapter.address.begin(), adapter.address.end(), [](uint8_t b) { return b == 0; });
        if (skipped[name] || allZero || adapter.index == 0) continue;
        adapters.push_back(std::move(adapter));
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const NetworkAdapter& a, const NetworkAdapter& b) { return a.index < b.index; });
    return adapters;
}

void SetNetworkAdapters(const std::vector<NetworkAdapter>& adapters) {
    for (const NetworkAdapter& adapter : adapters) {
        if (adapter.address.size() > MAX_ADAPTER_ADDRESS_LENGTH)
            throw std::invalid_argument("a hardware address has at most 8 bytes");
        for (const NetworkAddress& entry : adapter.ipv4) {
            if (!IsDottedIpv4(entry.address) || !IsDottedIpv4(entry.mask))
                throw std::invalid_argument("not a dotted IPv4 address: " + entry.address + "/" + entry.mask);
        }
    }
    db::Transaction([&] {
        db::Statement("INSERT OR REPLACE INTO network_adapter_choice(id, use_host) VALUES (1, 0)").Run();
        db::Statement("DELETE FROM network_adapters").Run();
        int64_t position = 0;
        for (const NetworkAdapter& adapter : adapters) {
            db::Statement insert(
                "INSERT INTO network_adapters(position, name, description, address, if_index, if_type, ipv4)"
                " VALUES (?, ?, ?, ?, ?, ?, ?)");
            insert.Bind(1, position++)
                .Bind(2, adapter.name)
                .Bind(3, adapter.description)
                .BindBlob(4, adapter.address.data(), adapter.address.size())
                .Bind(5, static_cast<int64_t>(adapter.index))
                .Bind(6, static_cast<int64_t>(adapter.type))
                .Bind(7, JoinAddresses(adapter.ipv4))
                .Run();
        }
    });
}

void UseHostNetworkAdapters() {
    db::Transaction([] {
        db::Statement("DELETE FROM network_adapter_choice").Run();
        db::Statement("DELETE FROM network_adapters").Run();
    });
}

std::vector<NetworkAdapter> MachineNetworkAdapters() {
    db::Statement choice("SELECT use_host FROM network_adapter_choice WHERE id = 1");
    if (!choice.Step() || choice.Int(0) != 0) return HostNetworkAdapters();
    std::vector<NetworkAdapter> adapters;
    db::Statement rows("SELECT name, description, address, if_index, if_type, ipv4 FROM network_adapters ORDER BY position");
    while (rows.Step()) {
        NetworkAdapter adapter;
        adapter.name = rows.Text(0);
        adapter.description = rows.Text(1);
        adapter.address = rows.Blob(2);
        if (adapter.address.size() > MAX_ADAPTER_ADDRESS_LENGTH) adapter.address.resize(MAX_ADAPTER_ADDRESS_LENGTH);
        adapter.index = static_cast<DWORD>(rows.Int(3));
        adapter.type = static_cast<UINT>(rows.Int(4));
        adapter.ipv4 = SplitAddresses(rows.Text(5));
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

}  // namespace palvex
