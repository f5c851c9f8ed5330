// The USB road of the connection page: the driver installed alone, then the wait until Windows
// has made the USB printer with it, driven by the machine plugging devices on its virtual clock.
#include <functional>

#include <palvex/clock.h>
#include <palvex/message_box.h>
#include <palvex/printer_setup.h>
#include <palvex/usb_devices.h>
#include <win/synchapi_events.h>
#include <win/winreg.h>
#include <win/winuser_menu.h>

#include "dialog_base.h"
#include "dialog_wait_prog.h"
#include "pardex_app.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "worker_fixture.h"
#include "child_process.h"
#include "wizard_script.h"

namespace {

using palvex::UserAction;
using pardex::testing::kModel;
using pardex::testing::WorkerMachine;

constexpr char16_t kEntry[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvel Palvex QM410/QF410/QF380 Installer";

using pardex::testing::Act;
using pardex::testing::Click;
using pardex::testing::Wait;

using pardex::testing::HostOf;
CDialogWaitProg* WaitDialogOf(HWND window) {
    return dynamic_cast<CDialogWaitProg*>(reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER)));
}

class UsbRoad : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        StageDriverFiles();
        std::ofstream(Host(u"C:\\Pardex\\Pardex.exe")) << "the installer";
        // Texts of their own, so that each end of the road shows which one it took.
        AddStrings(u"InstallComplete", u"CompleteMsg=done\nErrorMsgUSB7=no USB printer\nCancelMsg=cancelled\n"
                                       u"ErrorMsg=failed %d %d\n");
    }

    // Inserts the lines at the start of a section of String.ini.
    void AddStrings(const std::u16string& section, const std::u16string& lines) {
        const auto path = Host(u"C:\\Pardex\\Resource\\String\\0411\\String.ini");
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::u16string text(bytes.size() / 2, u'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * 2);
        std::u16string added;
        for (char16_t c : lines) added += c == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, c);
        const std::u16string header = u"[" + section + u"]\r\n";
        const size_t at = text.find(header);
        ASSERT_NE(at, std::u16string::npos);
        text.insert(at + header.size(), added);
        WriteIni(u"C:\\Pardex\\Resource\\String\\0411\\String.ini", text[0] == u'\uFEFF' ? text.substr(1) : text);
    }

    // The wizard from page 10 with USB chosen and Next pressed, then the actions in the wait.
    std::u16string RunUsbRoad(std::vector<UserAction> inTheWait) {
        std::vector<UserAction> actions = {Act([](HWND window) { ShowPage(HostOf(window), 10); }),
                                           Act([this](HWND window) {
                                               palvex::WriteWindowPicture(window, PicturePath("pardex-connectselect.png"));
                                           }),
                                           Click(IDC_RADIO_USB), Click(IDC_BUTTON_NEXT)};
        actions.insert(actions.end(), inTheWait.begin(), inTheWait.end());
        std::u16string message;
        int page = -1;
        // The wait dialog ends when its worker's result arrives, which on a loaded machine may take
        // more than one message: until the wizard itself is back, wait for the next one.
        std::function<void(HWND)> collect = [&](HWND window) {
            if (!HostOf(window)) {
                palvex::QueueUserActions({Wait(), Act(collect)});
                return;
            }
            page = HostOf(window)->m_pages.index;
            message = HostOf(window)->m_drvData.m_completeMessage;
        };
        actions.push_back(Act(collect));
        AfxSetCommandLine({});
        palvex::QueueUserActions(actions);
        palvex::QueueMessageBoxAnswers({IDNO});  // no restart when the wizard closes
        CPardexApp app;
        app.m_hInstance = AfxGetResourceHandle();
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(page, 5);
        palvex::TakeMessageBoxRecords();
        return message;
    }
    std::filesystem::path PicturePath(const char* name) { return std::filesystem::path(PARDEX_PICTURES) / name; }
    bool EntryExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    palvex::UsbDevice m_printer{u"0B71", u"0410", u"5&1A2B3C4D&0&1", kModel, 2000};
};

TEST_F(UsbRoad, ThePluggedPrinterAppearsAndTheInstallerIsKept) {
    // Plugged by a test of this process, or by another process of the machine as a person does it.
    struct Case {
        const char* name;
        std::function<void()> plug;
    } const cases[] = {
        {"plugged here", [&] { palvex::PlugUsbDevice(m_printer); }},
        {"plugged by palvex-machine plug-usb",
         [&] {
             const auto plugged = palvex::testing::RunChild(
                 PALVEX_MACHINE_TOOL, {"plug-usb", "0B71", "0410", "--model", palvex::ToUtf8(kModel)}, m_machine.root());
             ASSERT_EQ(plugged.exitCode, 0) << plugged.errors;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& printer : palvex::ListPrinters()) palvex::DeletePrinterByName(printer.name);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEntry);
        bool cancellable = false, cancellableAfter = true;
        const std::u16string message = RunUsbRoad({
            Act([&](HWND wait) {
                cancellable = IsWindowEnabled(GetDlgItem(wait, IDCANCEL));
                palvex::WriteWindowPicture(wait, PicturePath("pardex-waitusb.png"));
                c.plug();
                // Another process's device comes as a posted message: the dialog takes it in its loop.
                MSG posted{};
                while (!WaitDialogOf(wait)->m_deviceArrived && GetMessageW(&posted, nullptr, 0, 0) > 0) DispatchMessageW(&posted);
                cancellableAfter = IsWindowEnabled(GetDlgItem(wait, IDCANCEL)) ||
                                   !(GetMenuState(GetSystemMenu(wait, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
            }),
            Wait()});
        EXPECT_EQ(message, u"done");
        EXPECT_TRUE(cancellable);
        EXPECT_FALSE(cancellableAfter);  // once the device is there the wait cannot be left
        const auto printers = palvex::ListPrinters();
        ASSERT_EQ(printers.size(), 1u);
        EXPECT_EQ(printers[0].driverName, kModel);
        EXPECT_EQ(printers[0].portName, u"USB001");
        EXPECT_TRUE(EntryExists());
    }
    EXPECT_EQ(LogCount("[LV1] VID_0B71&PID_0410 - VID_0B71&PID_0410\r\n"), 2u);
}

TEST_F(UsbRoad, EachOtherEndOfTheWaitHasItsText) {
    palvex::UsbDevice other = m_printer;  // another vendor's device, which is no printer
    other.productId = u"0999";
    other.driverName.clear();
    palvex::UsbDevice silent = m_printer;  // a device that makes no printer
    silent.driverName.clear();
    palvex::UsbDevice stuck = m_printer;  // Windows never finishes installing it
    stuck.installMs = INFINITE;
    struct Case {
        const char* name;
        std::vector<UserAction> inTheWait;
        std::u16string message;
    } const cases[] = {
        {"another device does not end the wait; Cancel does",
         {Act([&](HWND) { palvex::PlugUsbDevice(other); }),
          Act([&](HWND wait) { EXPECT_EQ(WaitForSingleObject(WaitDialogOf(wait)->m_arrivalEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT)); }),
          Click(IDCANCEL)},
         u"cancelled"},
        {"no printer appears", {Act([&](HWND) { palvex::PlugUsbDevice(silent); }), Wait()}, u"no USB printer"},
        {"the installation never finishes", {Act([&](HWND) { palvex::PlugUsbDevice(stuck); }), Wait()},
         u"failed 517 258"},
        {"unplugged before Windows made its printer, which was seen before",
         {Act([&](HWND) { palvex::AddPrinter(u"Earlier", kModel, u"USB009"); }),
          Act([&](HWND) {
              palvex::UnplugUsbDevice(silent);
              palvex::PlugUsbDevice(silent);
          }),
          Wait()},
         u"no USB printer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto* device : {&other, &silent, &stuck}) palvex::UnplugUsbDevice(*device);  // nothing left pending
        EXPECT_EQ(RunUsbRoad(c.inTheWait), c.message);
        EXPECT_FALSE(EntryExists());
    }
    EXPECT_TRUE(LogHas("[LV0] CMP_WaitNoPendingInstallEvents Failed (0)\r\n"));
    EXPECT_TRUE(LogHas("[LV1] Push Cancel Button\r\n"));
    EXPECT_TRUE(LogHas("[LV1] DBT_DEVICEREMOVECOMPLETE\r\n"));
}

}  // namespace
