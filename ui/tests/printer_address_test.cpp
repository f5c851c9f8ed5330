// The printer's address (typed, or from its standard TCP/IP port) and the user's accounts under
// the per-user key, with the platform calls they stand on.
#include <cstring>

#include <palvex/ui_records.h>
#include <win/shellapi.h>
#include <win/winnls.h>
#include <win/winreg.h>
#include <win/winspool_ports.h>

#include "device_sheet.h"
#include "options/printer_address.h"
#include "options/printer_address_handler.h"

namespace uitest {
namespace {

constexpr char16_t kPortPrinter[] = u"Palvex Port Printer";
constexpr char16_t kPort[] = u"IP_10.1.2.3";
constexpr char16_t kPortKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\IP_10.1.2.3";
constexpr char16_t kAccountKey[] = u"Software\\Orlune\\Palvex QX500\\Palvex UI Printer\\PrinterDriverData";

// A standard TCP/IP port through the port monitor, as the installer adds one.
void AddTcpPort(const std::u16string& name, const std::u16string& host) {
    HANDLE monitor = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u",XcvMonitor Standard TCP/IP Port"), &monitor, &defaults));
    PORT_DATA_1 port{};
    std::memcpy(port.sztPortName, name.c_str(), name.size() * sizeof(WCHAR));
    std::memcpy(port.sztHostAddress, host.c_str(), host.size() * sizeof(WCHAR));
    port.dwVersion = 1;
    port.dwProtocol = PROTOCOL_RAWTCP_TYPE;
    port.cbSize = sizeof port;
    port.dwPortNumber = 9100;
    DWORD needed = 0, status = 0;
    ASSERT_TRUE(XcvDataW(monitor, u"AddPort", reinterpret_cast<PBYTE>(&port), sizeof port, nullptr, 0, &needed, &status));
    ASSERT_EQ(status, static_cast<DWORD>(ERROR_SUCCESS));
    ClosePrinter(monitor);
}

std::u16string RegText(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
    WCHAR text[300] = {};
    DWORD bytes = sizeof text - sizeof(WCHAR), type = 0;
    const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text), &bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::u16string(text) : u"<none>";
}

void SetRegText(HKEY root, const char16_t* path, const char16_t* name, const std::u16string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR))),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

class PrinterAddressTest : public DeviceSheetTest {
protected:
    // The address as the sheet's system functions give it, or "<none>".
    std::u16string Address(HANDLE printer = nullptr, const char16_t* name = kPrinter) {
        QVPrinterContext context = PrinterContextOf(m_factory);
        if (printer) {
            context.m_printer = printer;
            context.m_printerName = name;
        }
        WCHAR address[kAddressChars];
        DWORD capacity = kAddressChars;
        if (!QVPrinterAccess(context).GetIPAddressString(address, &capacity)) return u"<none>";
        EXPECT_EQ(capacity, std::char_traits<char16_t>::length(address));
        return address;
    }
    QVPrinterAccess Access() { return QVPrinterAccess(PrinterContextOf(m_factory)); }
};

TEST_F(PrinterAddressTest, ATypedAddressIsUsedOnlyWhenItIsAPrintersIPv4Address) {
    SetStoredSetting(u"_QV_GETCONF_SOURCE", 1, 1);
    OpenSheet();
    EXPECT_EQ(Address(), u"<none>");  // nothing typed yet
    struct Case {
        const char16_t* stored;
        const char16_t* address;
    } cases[] = {
        {u"192.168.0.10", u"192.168.0.10"}, {u"1.0.0.1", u"1.0.0.1"},     {u"223.255.255.254", u"223.255.255.254"},
        {u"127.0.0.1", u"<none>"},          {u"0.1.2.3", u"<none>"},      {u"224.0.0.1", u"<none>"},
        {u"printer.local", u"<none>"},      {u"192.168.0", u"<none>"},    {u"", u"<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored, c.stored + std::char_traits<char16_t>::length(c.stored)));
        ASSERT_TRUE(Access().SetIPAddressString(c.stored));
        EXPECT_EQ(Data(u"PrinterDriverData", u"PrinterIPaddr"), Utf16Bytes(c.stored));
        EXPECT_EQ(Address(), c.address);
    }
    WCHAR small[15];
    DWORD capacity = 15;
    EXPECT_FALSE(Access().GetIPAddressString(small, &capacity));  // below 16 characters
    EXPECT_FALSE(Access().SetIPAddressString(nullptr));
}

TEST_F(PrinterAddressTest, ThePortsAddressIsItsIPAddressElseItsHostName) {
    AddTcpPort(kPort, u"10.1.2.3");
    palvex::AddPrinter(kPortPrinter, kDriver, kPort);
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kPortKey, u"IPAddress"), u"10.1.2.3");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kPortKey, u"HostName"), u"");
    OpenSheet();
    PrinterHandle portPrinter(kPortPrinter);
    EXPECT_EQ(Address(portPrinter.get(), kPortPrinter), u"10.1.2.3");

    SetRegText(HKEY_LOCAL_MACHINE, kPortKey, u"IPAddress", u"");
    SetRegText(HKEY_LOCAL_MACHINE, kPortKey, u"HostName", u"prn7");
    EXPECT_EQ(Address(portPrinter.get(), kPortPrinter), u"prn7");  // a host name is taken as it is

    // The test printer prints to FILE:, which is no network port.
    EXPECT_EQ(Address(), u"<none>");
}

TEST(PortList, StandardTcpPortsAreNetworkAttached) {
    palvex::TestMachine machine;
    AddTcpPort(u"IP_10.9.9.9", u"printer.example");
    DWORD needed = 0, count = 0;
    EXPECT_FALSE(EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count));
    const auto* ports = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < count; ++i) {
        const std::u16string name = ports[i].pPortName;
        if (name == u"IP_10.9.9.9") {
            found = true;
            EXPECT_EQ(std::u16string(ports[i].pMonitorName), u"Standard TCP/IP Port");
            EXPECT_EQ(ports[i].fPortType, static_cast<DWORD>(PORT_TYPE_WRITE | PORT_TYPE_NET_ATTACHED));
        } else {
            EXPECT_EQ(ports[i].fPortType & PORT_TYPE_NET_ATTACHED, 0u) << std::string(name.begin(), name.end());
        }
    }
    EXPECT_TRUE(found);
    const char16_t* key = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\IP_10.9.9.9";
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, u"IPAddress"), u"");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, u"HostName"), u"printer.example");
}

// ---- accounts ----

class AccountTest : public PrinterAddressTest {};

TEST_F(AccountTest, AccountsLiveUnderTheModelAndThePrinter) {
    OpenSheet();
    ASSERT_TRUE(Access().SetSecPrintAccount(u"held1", u"pw1"));
    ASSERT_TRUE(Access().SetUserTraceAccount(u"track1", u"pw2"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"held1");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintPWD"), u"pw1");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"UserManagePrintID"), u"track1");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"UserManagePrintPWD"), u"pw2");

    WCHAR id[kAccountChars], password[kAccountChars];
    ASSERT_TRUE(Access().GetSecPrintAccount(id, kAccountChars, password, kAccountChars));
    EXPECT_EQ(std::u16string(id), u"held1");
    EXPECT_EQ(std::u16string(password), u"pw1");

    // Every copy stays inside its buffer; a value keeps at most 63 characters.
    SetRegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID", std::u16string(100, u'x'));
    WCHAR shortId[8] = {};
    WCHAR shortPassword[3] = {};
    ASSERT_TRUE(Access().GetSecPrintAccount(shortId, 8, shortPassword, 3));
    EXPECT_EQ(std::u16string(shortId), u"xxxxxxx");
    EXPECT_EQ(std::u16string(shortPassword), u"pw");
    ASSERT_TRUE(Access().GetSecPrintAccount(id, kAccountChars, password, kAccountChars));
    EXPECT_EQ(std::u16string(id), std::u16string(63, u'x'));
    EXPECT_FALSE(Access().GetSecPrintAccount(nullptr, 64, password, 64));
}

TEST_F(AccountTest, AnAccountIsWrittenWholeOrNotAtAll) {
    OpenSheet();
    ASSERT_TRUE(Access().SetSecPrintAccount(u"old", u"oldpw"));
    RefuseData("SECUREPRINTPWD", "reg_values");
    EXPECT_FALSE(Access().SetSecPrintAccount(u"new", u"newpw"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"old");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintPWD"), u"oldpw");
    EXPECT_TRUE(Access().SetUserTraceAccount(u"t", u"p"));  // only the held-job password is refused
    AllowData();
    RefuseData("USERMANAGEPRINTPWD", "reg_values");
    EXPECT_FALSE(Access().SetUserTraceAccount(u"t2", u"p2"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"UserManagePrintID"), u"t");
}

TEST_F(AccountTest, NoModelNoAccount) {
    PrinterHandle admin;
    DeletePrinterDataExW(admin.get(), u"PrinterDriverData", u"Model");
    OpenSheet();
    WCHAR id[kAccountChars], password[kAccountChars];
    EXPECT_FALSE(Access().SetSecPrintAccount(u"a", u"b"));
    EXPECT_FALSE(Access().GetSecPrintAccount(id, kAccountChars, password, kAccountChars));
}

TEST_F(AccountTest, UserTrackingIsStoredAtOnceAndAlsoAsTheHeldJobAccountWhenItsIdIsFit) {
    OpenSheet();
    auto* tracking = static_cast<QVOptItemHandlerIDANDPWD*>(Handler(kUserTrackingIdItem));
    auto* held = static_cast<QVOptItemHandlerIDANDPWD*>(Handler(kHeldJobIdItem));
    struct Case {
        const char16_t* id;
        bool fit;
    } cases[] = {{u"user1", true}, {u"ﾕｰｻﾞ1", false}, {u"ユーザ1", false}, {u"", false}, {u"ＡＢＣ", false}, {u"a b-c_1", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id, c.id + std::char_traits<char16_t>::length(c.id)));
        EXPECT_EQ(IsHeldJobFitId(c.id), c.fit);
    }

    tracking->SetAlsoHeldJob(IsHeldJobFitId(u"user1"));
    tracking->SetIDandPWD(u"user1", u"secret");
    EXPECT_EQ(tracking->Changed(), 0u);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"UserManagePrintID"), u"user1");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"UserManagePrintPWD"), u"secret");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"user1");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintPWD"), u"secret");

    tracking->SetAlsoHeldJob(IsHeldJobFitId(u"ﾕｰｻﾞ1"));
    tracking->SetIDandPWD(u"ﾕｰｻﾞ1", u"pw");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"UserManagePrintID"), u"ﾕｰｻﾞ1");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"user1");

    // The held-job popup's values wait for Apply.
    held->SetIDandPWD(u"job7", u"7");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"user1");
    Apply();
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"job7");
    EXPECT_EQ(held->Changed(), 0u);
    CloseSheet();

    // The next sheet's handlers start from what is stored, each ID cut to 63 characters.
    OpenSheet();
    EXPECT_EQ(std::u16string(static_cast<QVOptItemHandlerIDANDPWD*>(Handler(kHeldJobIdItem))->Id()), u"job7");
    EXPECT_EQ(std::u16string(static_cast<QVOptItemHandlerIDANDPWD*>(Handler(kUserTrackingIdItem))->Password()), u"pw");
}

TEST_F(AccountTest, AHeldJobAccountThatCouldNotBeStoredIsStoredOnTheNextApply) {
    OpenSheet();
    auto* held = static_cast<QVOptItemHandlerIDANDPWD*>(Handler(kHeldJobIdItem));
    held->SetIDandPWD(u"job8", u"8");
    RefuseData("SECUREPRINTPWD", "reg_values");
    Apply();
    EXPECT_EQ(held->Changed(), 1u);
    // No account before: no ID after.
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"<none>");
    AllowData();
    Apply();
    EXPECT_EQ(held->Changed(), 0u);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kAccountKey, u"SecurePrintID"), u"job8");
}

// ---- the platform calls ----

TEST(CharacterTypes, WidthAndKatakanaOfTheTablesRanges) {
    const char16_t text[] = u"Aa1-ｱﾞ｡Ａ１あア漢é";
    const WORD expected[] = {
        C3_HALFWIDTH | C3_ALPHA, C3_HALFWIDTH | C3_ALPHA, C3_HALFWIDTH, C3_HALFWIDTH | C3_SYMBOL,
        C3_KATAKANA | C3_HALFWIDTH | C3_ALPHA, C3_KATAKANA | C3_HALFWIDTH | C3_DIACRITIC, C3_HALFWIDTH | C3_SYMBOL,
        C3_FULLWIDTH | C3_ALPHA, C3_FULLWIDTH, C3_HIRAGANA | C3_FULLWIDTH | C3_ALPHA, C3_KATAKANA | C3_FULLWIDTH | C3_ALPHA,
        C3_IDEOGRAPH | C3_FULLWIDTH | C3_ALPHA, C3_NOTAPPLICABLE,
    };
    constexpr int count = sizeof expected / sizeof expected[0];
    WORD types[count + 1] = {};
    ASSERT_TRUE(GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE3, text, count, types));
    for (int i = 0; i < count; ++i) EXPECT_EQ(types[i], expected[i]) << i;
    WORD withNul[3] = {0xFFFF, 0xFFFF, 0xFFFF};
    ASSERT_TRUE(GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE3, u"A", -1, withNul));
    EXPECT_EQ(withNul[1], 0u);  // the NUL is typed too
    EXPECT_EQ(withNul[2], 0xFFFFu);
    EXPECT_FALSE(GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, u"A", 1, types));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    EXPECT_FALSE(GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE3, nullptr, 1, types));
}

TEST(ShellOpen, AWebPageGoesToTheBrowserAndIsRecorded) {
    palvex::TestMachine machine;
    palvex::ResetUiRecords();
    EXPECT_GT(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, u"open", u"http://192.168.0.10/", nullptr, nullptr, SW_SHOWNORMAL)),
              32);
    palvex::RefuseShellStarts(1);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, u"open", u"http://192.168.0.11/", nullptr, nullptr, SW_SHOWNORMAL)),
              5);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, u"open", u"no-such-program", nullptr, nullptr, SW_SHOWNORMAL)), 2);
    const auto starts = palvex::TakeShellStarts();
    ASSERT_GE(starts.size(), 2u);
    EXPECT_EQ(starts[0].file, u"http://192.168.0.10/");
    EXPECT_EQ(starts[0].verb, u"open");
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(starts[1].file, u"http://192.168.0.11/");
}

}  // namespace
}  // namespace uitest
