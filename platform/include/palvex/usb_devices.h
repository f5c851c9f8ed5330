// USB devices of the simulated machine, for tests: plugging one tells every window registered for
// USB device interfaces of its arrival (WM_DEVICECHANGE), and Windows' own installation of the
// device then runs as a pending install event: when its time on the machine clock has come, the
// configuration manager's wait finishes it, which makes a printer of the driver the device names
// (when that driver is installed) on the next free USB port.
#pragma once

#include <string>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct UsbDevice {
    std::u16string vendorId;   // four hexadecimal digits, e.g. u"0B71"
    std::u16string productId;  // e.g. u"0410"
    std::u16string serial = u"5&1A2B3C4D&0&1";
    std::u16string driverName;  // the model the device announces; empty: no printer is made
    // How long Windows' installation of the device takes on the machine clock; INFINITE: it
    // never finishes.
    DWORD installMs = 2000;
};

// The device's interface path: "\\?\USB#VID_xxxx&PID_yyyy#<serial>#{a5dcbf10-...}".
PALVEX_API std::u16string UsbInterfacePath(const UsbDevice& device);
// Plugs the device: the arrival goes to the registered windows (sent, on the calling thread) and
// its installation becomes pending.
PALVEX_API void PlugUsbDevice(const UsbDevice& device);
// Unplugs it: a pending installation is dropped and the registered windows hear the removal.
PALVEX_API void UnplugUsbDevice(const UsbDevice& device);

}  // namespace palvex
