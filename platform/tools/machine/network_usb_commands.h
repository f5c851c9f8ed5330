// The machine's network and USB devices as commands of palvex-machine: the adapters and the
// printers' SNMP agents of the simulated network, and USB devices plugged into the machine.
#pragma once

#include <string>
#include <vector>

namespace palvex::tools {

// network [--adapter NAME ADDRESS/MASK]... [--agent ADDRESS=PORT]...
int NetworkCommand(const std::vector<std::string>& args);
// plug-usb VID PID [--model NAME] [--serial TEXT] [--install-ms N] [--unplug]
int PlugUsbCommand(const std::vector<std::string>& args);

}  // namespace palvex::tools
