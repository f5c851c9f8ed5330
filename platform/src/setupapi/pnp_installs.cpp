// USB devices plugged into the machine and Windows' installation of each: the arrival is
// broadcast at once to the machine's registered windows, the installation stays pending (machine
// state, so any process may plug a device) until its time on the machine clock has come and the
// configuration manager's wait finishes it.
#include <algorithm>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/usb_devices.h>
#include <palvex/utf8.h>
#include <win/cfgmgr32.h>
#include <win/dbt.h>
#include <win/synchapi.h>
#include <win/synchapi_events.h>
#include <win/sysinfoapi.h>
#include <win/winerror.h>

#include "machine/machine_db.h"
#include "user/device_notify.h"

namespace {

// Plugged devices whose installation Windows has not finished, shared by the machine's processes:
// a device plugged by one process is installed by whichever process waits for the installs.
palvex::db::SchemaPart g_schema(
    "CREATE TABLE IF NOT EXISTS usb_installs("
    "  path TEXT PRIMARY KEY, vendor TEXT NOT NULL, product TEXT NOT NULL, serial TEXT NOT NULL,"
    "  driver TEXT NOT NULL, install_ms INTEGER NOT NULL, plugged INTEGER NOT NULL);");

struct PendingInstall {
    std::u16string path;  // the device's interface path, the record's key
    palvex::UsbDevice device;
    DWORD plugged = 0;  // tick count of the arrival
};

std::vector<PendingInstall> ReadPending() {
    std::vector<PendingInstall> pending;
    palvex::db::Statement rows("SELECT path, vendor, product, serial, driver, install_ms, plugged FROM usb_installs ORDER BY rowid");
    while (rows.Step()) {
        PendingInstall install;
        install.path = rows.Text16(0);
        install.device.vendorId = rows.Text16(1);
        install.device.productId = rows.Text16(2);
        install.device.serial = rows.Text16(3);
        install.device.driverName = rows.Text16(4);
        install.device.installMs = static_cast<DWORD>(rows.Int(5));
        install.plugged = static_cast<DWORD>(rows.Int(6));
        pending.push_back(install);
    }
    return pending;
}

bool Due(const PendingInstall& install, DWORD now) {
    return install.device.installMs != INFINITE && now - install.plugged >= install.device.installMs;
}

// What Windows does once the device is installed: a printer of the driver the device names, on
// the first USB port no printer uses, named after the driver (numbered when that name is taken).
void FinishInstall(const palvex::UsbDevice& device) {
    if (device.driverName.empty()) return;
    const auto drivers = palvex::ListDrivers();
    const bool installed = std::any_of(drivers.begin(), drivers.end(),
                                       [&](const auto& driver) { return palvex::db::FoldKey(driver.name) == palvex::db::FoldKey(device.driverName); });
    if (!installed) return;
    const auto printers = palvex::ListPrinters();
    auto used = [&](auto&& field, const std::u16string& value) {
        return std::any_of(printers.begin(), printers.end(), [&](const auto& p) { return palvex::db::FoldKey(field(p)) == palvex::db::FoldKey(value); });
    };
    std::u16string port;
    for (int n = 1; n < 1000 && port.empty(); ++n) {
        char16_t text[8];
        for (int i = 0, d = 100; i < 3; ++i, d /= 10) text[i] = static_cast<char16_t>(u'0' + n / d % 10);
        const std::u16string candidate = u"USB" + std::u16string(text, 3);
        if (!used([](const auto& p) { return p.portName; }, candidate)) port = candidate;
    }
    std::u16string name = device.driverName;
    for (int copy = 1; used([](const auto& p) { return p.name; }, name); ++copy)
        name = device.driverName + u" (Copy " + palvex::FromUtf8(std::to_string(copy)) + u")";
    try {
        palvex::AddPrinter(name, device.driverName, port);
    } catch (const palvex::MachineError&) {
        // the printer cannot be made: the device stays without one, as on Windows
    }
}

// Finishes the installations whose time has come; true when none is left. Each is taken off the
// list in one step, so that one process finishes it.
bool FinishDueInstalls() {
    std::vector<palvex::UsbDevice> due;
    bool left = false;
    palvex::db::Transaction([&] {
        const DWORD now = GetTickCount();
        for (const PendingInstall& install : ReadPending()) {
            if (!Due(install, now)) {
                left = true;
                continue;
            }
            due.push_back(install.device);
            palvex::db::Statement("DELETE FROM usb_installs WHERE path = ?1").Bind(1, install.path).Run();
        }
    });
    for (const auto& device : due) FinishInstall(device);
    return !left;
}

// Milliseconds until the next installation is due (INFINITE when none will be).
DWORD UntilNextDue() {
    const DWORD now = GetTickCount();
    DWORD next = INFINITE;
    for (const auto& install : ReadPending()) {
        if (install.device.installMs == INFINITE) continue;
        // On this computer's clock an installation may have come due since it was looked at.
        const DWORD elapsed = now - install.plugged;
        next = std::min(next, elapsed >= install.device.installMs ? 0 : install.device.installMs - elapsed);
    }
    return next;
}

}  // namespace

namespace palvex {

std::u16string UsbInterfacePath(const UsbDevice& device) {
    return u"\\\\?\\USB#VID_" + device.vendorId + u"&PID_" + device.productId + u"#" + device.serial +
           u"#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

void PlugUsbDevice(const UsbDevice& device) {
    const std::u16string path = UsbInterfacePath(device);
    db::Statement("INSERT OR REPLACE INTO usb_installs(path, vendor, product, serial, driver, install_ms, plugged) "
                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .Bind(1, path)
        .Bind(2, device.vendorId)
        .Bind(3, device.productId)
        .Bind(4, device.serial)
        .Bind(5, device.driverName)
        .Bind(6, static_cast<int64_t>(device.installMs))
        .Bind(7, static_cast<int64_t>(GetTickCount()))
        .Run();
    win::BroadcastDeviceInterface(DBT_DEVICEARRIVAL, GUID_DEVINTERFACE_USB_DEVICE, path);
}

void UnplugUsbDevice(const UsbDevice& device) {
    const std::u16string path = UsbInterfacePath(device);
    db::Statement("DELETE FROM usb_installs WHERE path = ?1").Bind(1, path).Run();
    win::BroadcastDeviceInterface(DBT_DEVICEREMOVECOMPLETE, GUID_DEVINTERFACE_USB_DEVICE, path);
}

}  // namespace palvex

DWORD CMP_WaitNoPendingInstallEvents(DWORD dwTimeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (FinishDueInstalls()) return WAIT_OBJECT_0;
        const DWORD waited = GetTickCount() - start;
        if (dwTimeout != INFINITE && waited >= dwTimeout) return WAIT_TIMEOUT;
        DWORD step = UntilNextDue();
        if (dwTimeout != INFINITE) step = std::min(step, dwTimeout - waited);
        if (step == INFINITE) step = 1000;  // nothing will finish by itself: look again now and then
        Sleep(std::max<DWORD>(step, 1));
    }
}
