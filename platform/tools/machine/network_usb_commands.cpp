// The network and plug-usb commands of palvex-machine.
#include "network_usb_commands.h"

#include <arpa/inet.h>

#include <cstdint>
#include <iostream>
#include <stdexcept>

#include <palvex/machine.h>
#include <palvex/network.h>
#include <palvex/paths.h>
#include <palvex/usb_devices.h>
#include <palvex/utf8.h>
#include <win/windows.h>

namespace palvex::tools {

namespace {

std::string Dotted(const std::string& text, const std::string& what) {
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) throw std::invalid_argument(what + " is no dotted IPv4 address: " + text);
    return text;
}

// "24" or "255.255.255.0".
std::string Mask(const std::string& text) {
    if (text.find('.') != std::string::npos) return Dotted(text, "the mask");
    size_t used = 0;
    const int bits = std::stoi(text, &used);
    if (used != text.size() || bits < 0 || bits > 32) throw std::invalid_argument("no mask: " + text);
    const uint32_t mask = bits == 0 ? 0 : ~uint32_t{0} << (32 - bits);
    in_addr address{htonl(mask)};
    char dotted[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, dotted, sizeof dotted);
    return dotted;
}

uint16_t Port(const std::string& text) {
    size_t used = 0;
    const unsigned long port = std::stoul(text, &used);
    if (used != text.size() || port == 0 || port > 65535) throw std::invalid_argument("no UDP port: " + text);
    return static_cast<uint16_t>(port);
}

// Four hexadecimal digits, as a device's ids are written.
std::u16string HexId(const std::string& text, const char* what) {
    if (text.size() != 4 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw std::invalid_argument(std::string(what) + " is not four hexadecimal digits: " + text);
    std::u16string id = FromUtf8(text);
    for (auto& c : id)
        if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - u'a' + u'A');
    return id;
}

}  // namespace

int NetworkCommand(const std::vector<std::string>& args) {
    std::vector<NetworkAdapter> adapters;
    std::vector<NetworkAgent> agents;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--adapter" && i + 2 < args.size()) {
            const std::string name = args[i + 1], address = args[i + 2];
            const size_t slash = address.find('/');
            if (slash == std::string::npos) throw std::invalid_argument("an adapter's address is ADDRESS/MASK: " + address);
            NetworkAdapter adapter;
            adapter.name = name;
            adapter.description = name;
            adapter.index = static_cast<DWORD>(adapters.size() + 2);
            // A locally administered hardware address, one per adapter.
            adapter.address = {0x02, 0x50, 0x41, 0x4C, 0x00, static_cast<uint8_t>(adapters.size() + 1)};
            adapter.ipv4 = {{Dotted(address.substr(0, slash), "the adapter's address"), Mask(address.substr(slash + 1))}};
            adapters.push_back(adapter);
            i += 2;
        } else if (args[i] == "--agent" && i + 1 < args.size()) {
            const std::string& agent = args[i + 1];
            const size_t equals = agent.find('=');
            if (equals == std::string::npos) throw std::invalid_argument("an agent is ADDRESS=PORT: " + agent);
            agents.push_back({Dotted(agent.substr(0, equals), "the printer's address"), Port(agent.substr(equals + 1))});
            ++i;
        } else {
            throw std::invalid_argument("not understood: " + args[i]);
        }
    }
    InitMachine(MachineRoot());
    if (adapters.empty()) UseHostNetworkAdapters();
    else SetNetworkAdapters(adapters);
    SetNetworkAgents(agents);
    for (const auto& adapter : MachineNetworkAdapters())
        for (const auto& address : adapter.ipv4)
            std::cout << "adapter: " << adapter.name << " " << address.address << " mask " << address.mask << "\n";
    for (const auto& agent : agents)
        std::cout << "printer: " << agent.address << ", its SNMP agent at 127.0.0.1:" << agent.agentPort << "\n";
    return 0;
}

int PlugUsbCommand(const std::vector<std::string>& args) {
    UsbDevice device;
    device.vendorId = HexId(args[0], "the vendor id");
    device.productId = HexId(args[1], "the product id");
    bool unplug = false;
    for (size_t i = 2; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--model" && hasValue) device.driverName = FromUtf8(args[++i]);
        else if (args[i] == "--serial" && hasValue) device.serial = FromUtf8(args[++i]);
        else if (args[i] == "--install-ms" && hasValue) {
            const std::string value = args[++i];
            device.installMs = value == "never" ? INFINITE : static_cast<DWORD>(std::stoul(value));
        }
        else if (args[i] == "--unplug") unplug = true;
        else throw std::invalid_argument("not understood: " + args[i]);
    }
    InitMachine(MachineRoot());
    if (unplug) UnplugUsbDevice(device);
    else PlugUsbDevice(device);
    std::cout << (unplug ? "unplugged: " : "plugged: ") << ToUtf8(UsbInterfacePath(device)) << "\n";
    return 0;
}

}  // namespace palvex::tools
