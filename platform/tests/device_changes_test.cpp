// What a program waiting for a USB printer relies on: device-interface arrivals and removals sent
// to the registered windows, Windows' pending installation of a plugged device finished by the
// configuration manager's wait on the machine clock, one-shot registry change events (a printer's
// creation is a change under the printers key), and the window menu's Close item. A device plugged
// by another process of the machine (palvex-machine plug-usb) reaches the registered windows as a
// posted message, and its installation is finished by this process's wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <palvex/clock.h>
#include <palvex/machine.h>
#include <palvex/usb_devices.h>
#include <palvex/utf8.h>
#include <win/cfgmgr32.h>
#include <win/dbt.h>
#include <win/synchapi_events.h>
#include <win/windows.h>
#include <win/winuser_menu.h>

#include "child_process.h"

namespace {

struct Heard {
    WPARAM event;
    DWORD type;
    std::u16string name;
};
std::vector<Heard>* g_heard = nullptr;

LRESULT CALLBACK Listener(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE && g_heard) {
        const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lParam);
        Heard heard{wParam, record->dbcc_devicetype, {}};
        heard.name.assign(record->dbcc_name, std::char_traits<char16_t>::length(record->dbcc_name));
        g_heard->push_back(std::move(heard));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class DeviceChanges : public ::testing::Test {
protected:
    void SetUp() override {
        palvex::SetVirtualClock(SYSTEMTIME{2026, 12, 5, 11, 9, 0, 0, 0});
        g_heard = &m_heard;
        m_window = CreateWindowExW(0, u"Static", u"", WS_POPUP | WS_SYSMENU, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Listener));
    }
    void TearDown() override {
        DestroyWindow(m_window);
        g_heard = nullptr;
    }
    HDEVNOTIFY Register(const GUID& interfaceClass, DWORD size = sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = size;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = interfaceClass;
        return RegisterDeviceNotificationW(m_window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }

    palvex::TestMachine m_machine;
    std::vector<Heard> m_heard;
    HWND m_window = nullptr;
    const palvex::UsbDevice m_printer{u"0B71", u"0410", u"5&1A2B3C4D&0&1", u"Palvex Test", 2000};
};

TEST_F(DeviceChanges, RegisteredWindowsHearArrivalsAndRemovalsOfTheirClass) {
    EXPECT_EQ(Register(GUID_DEVINTERFACE_USB_DEVICE, 31), nullptr);  // a filter too small
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const GUID otherClass{0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
    HDEVNOTIFY other = Register(otherClass);
    ASSERT_NE(other, nullptr);
    palvex::PlugUsbDevice(m_printer);
    EXPECT_TRUE(m_heard.empty());

    HDEVNOTIFY usb = Register(GUID_DEVINTERFACE_USB_DEVICE);
    ASSERT_NE(usb, nullptr);
    palvex::UnplugUsbDevice(m_printer);
    palvex::PlugUsbDevice(m_printer);
    const std::u16string path = u"\\\\?\\USB#VID_0B71&PID_0410#5&1A2B3C4D&0&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    ASSERT_EQ(m_heard.size(), 2u);
    EXPECT_EQ(m_heard[0].event, static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(m_heard[1].event, static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    EXPECT_EQ(m_heard[1].type, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_EQ(m_heard[1].name, path);

    EXPECT_TRUE(UnregisterDeviceNotification(usb));
    EXPECT_FALSE(UnregisterDeviceNotification(usb));
    EXPECT_TRUE(UnregisterDeviceNotification(other));
    palvex::UnplugUsbDevice(m_printer);
    EXPECT_EQ(m_heard.size(), 2u);
}

TEST_F(DeviceChanges, ThePluggedPrinterIsMadeWhenItsInstallationFinishesOnTheMachineClock) {
    m_machine.AddPrinterWithDriver(u"Office", u"Palvex Test");
    HKEY printers = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers", 0, nullptr, 0,
                              KEY_NOTIFY, nullptr, &printers, nullptr),
              ERROR_SUCCESS);
    HANDLE changed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(RegNotifyChangeKeyValue(printers, TRUE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE), ERROR_SUCCESS);

    palvex::PlugUsbDevice(m_printer);
    EXPECT_EQ(CMP_WaitNoPendingInstallEvents(0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(changed, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    const DWORD before = GetTickCount();
    EXPECT_EQ(CMP_WaitNoPendingInstallEvents(INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(GetTickCount() - before, 2000u);  // the installation's own time, on the virtual clock
    EXPECT_EQ(WaitForSingleObject(changed, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    const auto list = palvex::ListPrinters();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, u"Palvex Test");
    EXPECT_EQ(list[1].portName, u"USB001");

    // An installation that never ends keeps the wait waiting until its time-out.
    palvex::UsbDevice stuck = m_printer;
    stuck.serial = u"2";
    stuck.installMs = INFINITE;
    palvex::PlugUsbDevice(stuck);
    EXPECT_EQ(CMP_WaitNoPendingInstallEvents(5000), static_cast<DWORD>(WAIT_TIMEOUT));
    palvex::UnplugUsbDevice(stuck);  // unplugged before it was installed: nothing is pending
    EXPECT_EQ(CMP_WaitNoPendingInstallEvents(0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(palvex::ListPrinters().size(), 2u);
    CloseHandle(changed);
    RegCloseKey(printers);
}

// A name that is taken gets the next free copy number, written whole past nine.
TEST_F(DeviceChanges, APluggedPrinterWhoseNameIsTakenIsNamedAsTheNextCopy) {
    m_machine.AddPrinterWithDriver(u"Palvex Test", u"Palvex Test");
    for (int copy = 1; copy <= 10; ++copy)
        palvex::AddPrinter(u"Palvex Test (Copy " + palvex::FromUtf8(std::to_string(copy)) + u")", u"Palvex Test");
    palvex::PlugUsbDevice(m_printer);
    ASSERT_EQ(CMP_WaitNoPendingInstallEvents(INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    const auto list = palvex::ListPrinters();
    ASSERT_EQ(list.size(), 12u);
    const auto plugged = std::find_if(list.begin(), list.end(), [](const auto& p) { return p.portName == u"USB001"; });
    ASSERT_NE(plugged, list.end());
    EXPECT_EQ(plugged->name, u"Palvex Test (Copy 11)");
}

TEST_F(DeviceChanges, ADevicePluggedByAnotherProcessArrivesHereAndIsInstalledByThisProcesssWait) {
    m_machine.AddPrinterWithDriver(u"Office", u"Palvex Test");
    HDEVNOTIFY usb = Register(GUID_DEVINTERFACE_USB_DEVICE);
    ASSERT_NE(usb, nullptr);
    // The next event the watcher posts, taken from this thread's queue as a message loop does.
    auto hear = [&] {
        MSG message{};
        do {
            ASSERT_GT(GetMessageW(&message, nullptr, 0, 0), 0);
            DispatchMessageW(&message);
        } while (message.message != WM_DEVICECHANGE);
    };
    const auto plug = palvex::testing::RunChild(PALVEX_MACHINE_TOOL, {"plug-usb", "0b71", "0410", "--model", "Palvex Test"},
                                                m_machine.root());
    ASSERT_EQ(plug.exitCode, 0) << plug.errors;
    const std::u16string path = u"\\\\?\\USB#VID_0B71&PID_0410#5&1A2B3C4D&0&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EXPECT_EQ(plug.output, "plugged: " + palvex::ToUtf8(path) + "\n");
    hear();
    ASSERT_EQ(m_heard.size(), 1u);
    EXPECT_EQ(m_heard[0].event, static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    EXPECT_EQ(m_heard[0].name, path);

    EXPECT_EQ(CMP_WaitNoPendingInstallEvents(INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    const auto list = palvex::ListPrinters();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].portName, u"USB001");

    const auto unplug = palvex::testing::RunChild(PALVEX_MACHINE_TOOL, {"plug-usb", "0B71", "0410", "--unplug"}, m_machine.root());
    ASSERT_EQ(unplug.exitCode, 0) << unplug.errors;
    hear();
    ASSERT_EQ(m_heard.size(), 2u);
    EXPECT_EQ(m_heard[1].event, static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_TRUE(UnregisterDeviceNotification(usb));

    const auto wrong = palvex::testing::RunChild(PALVEX_MACHINE_TOOL, {"plug-usb", "B71", "0410"}, m_machine.root());
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(wrong.errors, "palvex-machine plug-usb: the vendor id is not four hexadecimal digits: B71\n");
}

TEST_F(DeviceChanges, ARegistryWatchFiresOnceForItsKeyOrItsSubtree) {
    HKEY root = nullptr, readOnly = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Watched", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Watched", 0, KEY_QUERY_VALUE, &readOnly), ERROR_SUCCESS);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(RegNotifyChangeKeyValue(readOnly, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegNotifyChangeKeyValue(root, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event, FALSE), ERROR_INVALID_PARAMETER);

    const DWORD one = 1;
    struct Case {
        const char* what;
        BOOL subtree;
        const char16_t* writtenUnder;  // a subkey of the watched key, or "" for the key itself
        bool fires;
    } const cases[] = {
        {"a value of the key", FALSE, u"", true},
        {"a value below, watched without the subtree", FALSE, u"Child", false},
        {"a value below, watched with the subtree", TRUE, u"Child", true},
    };
    for (const auto& c : cases) {
        ResetEvent(event);
        ASSERT_EQ(RegNotifyChangeKeyValue(root, c.subtree, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE), ERROR_SUCCESS);
        HKEY target = nullptr;
        RegCreateKeyExW(root, c.writtenUnder, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr);
        RegSetValueExW(target, u"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
        RegCloseKey(target);
        EXPECT_EQ(WaitForSingleObject(event, 0) == WAIT_OBJECT_0, c.fires) << c.what;
        // One shot: the next change is not reported again.
        ResetEvent(event);
        RegSetValueExW(root, u"Again", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
        if (c.fires) {
            EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << c.what;
        }
    }
    // A watch ends with the handle it was asked through.
    ResetEvent(event);
    HKEY watched = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Watched", 0, KEY_NOTIFY, &watched), ERROR_SUCCESS);
    ASSERT_EQ(RegNotifyChangeKeyValue(watched, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE), ERROR_SUCCESS);
    RegCloseKey(watched);
    RegSetValueExW(root, u"Again", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
    RegCloseKey(readOnly);
    RegCloseKey(root);
}

TEST_F(DeviceChanges, AWatchFiresForAChangeAnotherProcessMakes) {
    HKEY printers = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers", 0, KEY_NOTIFY, &printers),
              ERROR_SUCCESS);
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(RegNotifyChangeKeyValue(printers, TRUE, REG_NOTIFY_CHANGE_LAST_SET, created, TRUE), ERROR_SUCCESS);
    const auto added = palvex::testing::RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Elsewhere", "Palvex Test"}, m_machine.root());
    ASSERT_EQ(added.exitCode, 0) << added.errors;
    EXPECT_EQ(WaitForSingleObject(created, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));

    // One shot: later changes, of either process, are not reported.
    ResetEvent(created);
    const auto again = palvex::testing::RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Again", "Palvex Test"}, m_machine.root());
    ASSERT_EQ(again.exitCode, 0) << again.errors;
    palvex::AddPrinter(u"Here", u"Palvex Test", u"FILE:");
    EXPECT_EQ(WaitForSingleObject(created, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(created);
    RegCloseKey(printers);
}

TEST_F(DeviceChanges, TheWindowMenusCloseItemCanBeGreyed) {
    HMENU menu = GetSystemMenu(m_window, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), 0u);
    EXPECT_EQ(EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED | MF_DISABLED));
    EXPECT_EQ(EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    HWND plain = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetSystemMenu(plain, FALSE), nullptr);  // no window menu without WS_SYSMENU
    DestroyWindow(plain);
}

}  // namespace
