// The installer log's lines and levels, and the settings object: Pardex.ini defaults, String.ini
// texts, the Windows identity with the unsupported-systems patterns, and the installed driver.
#include <regex>

#include "drv_data.h"
#include "installer_fixture.h"
#include "utilities.h"
#include "version_numbers.h"

namespace {

using pardex::testing::InstallerMachine;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

class Settings : public InstallerMachine {};

TEST_F(Settings, LogLinesLevelsAndRuns) {
    for (int run = 0; run < 2; ++run) {
        CDrvData settings;
        ASSERT_EQ(settings.Init(nullptr), 1);
        settings.WriteLogFormat(1, u"Step %d\r\n", run);
        settings.WriteLogFormat(3, u"Detail\r\n");  // above LOGLEVEL 1
        settings.WriteLogFormat(0, u"Failure %s\r\n", u"x");
    }
    const std::string log = ReadLog();
    EXPECT_EQ(log.find("\xEF\xBB\xBF"), std::string::npos);
    const auto lines = Lines(log);
    ASSERT_EQ(lines.size(), 8u);
    const std::regex first(R"(^\d\d:\d\d:\d\d\.\d{3} \[LV1\] Log Open$)");
    EXPECT_TRUE(std::regex_match(lines[0], first)) << lines[0];
    EXPECT_EQ(lines[1].substr(13), "[LV1] Step 0");
    EXPECT_EQ(lines[2].substr(13), "[LV0] Failure x");
    EXPECT_EQ(lines[3].substr(13), "[LV1] Log Close");
    EXPECT_EQ(lines[4].substr(13), "[LV1] Log Open");  // the second run appends
    EXPECT_EQ(lines[7].substr(13), "[LV1] Log Close");

    // The raw file is UTF-16LE without a byte-order mark.
    std::ifstream raw(Host(u"C:\\Users\\User\\AppData\\Local\\Temp\\QVJA_Install_log.txt"), std::ios::binary);
    char start[4] = {};
    raw.read(start, 4);
    EXPECT_EQ(start[1], '\0');
    EXPECT_GE(start[0], '0');
}

TEST_F(Settings, LogLevelFromTheIniAtEveryLine) {
    SetPardexKey("Setup", "LOGLEVEL", "3");
    CDrvData settings;
    ASSERT_EQ(settings.Init(nullptr), 1);
    settings.WriteLogFormat(3, u"Detail\r\n");
    SetPardexKey("Setup", "LOGLEVEL", "0");  // lowered during the run: at once
    settings.WriteLogFormat(1, u"Milestone\r\n");
    settings.WriteLogFormat(0, u"Failure\r\n");
    SetPardexKey("Setup", "LOGLEVEL", "5");  // raised above the opening level: no effect
    settings.WriteLogFormat(4, u"Deeper\r\n");
    settings.WriteLogFormat(1, std::u16string(1024, u'x').c_str());  // too long: dropped
    const std::u16string exact(1021, u'y');
    settings.WriteLogFormat(1, (exact + u"\r\n").c_str());  // exactly 1023 characters: written
    SetPardexKey("Setup", "LOGLEVEL", "1");
    const auto lines = Lines(ReadLog());
    ASSERT_EQ(lines.size(), 4u);  // still open: no "Log Close" yet
    EXPECT_EQ(lines[1].substr(13), "[LV3] Detail");
    EXPECT_EQ(lines[2].substr(13), "[LV0] Failure");
    EXPECT_EQ(lines[3].substr(13), "[LV1] " + std::string(1021, 'y'));
}

TEST_F(Settings, LevelZeroWritesOnlyFailures) {
    SetPardexKey("Setup", "LOGLEVEL", "0");
    {
        CDrvData settings;
        ASSERT_EQ(settings.Init(nullptr), 1);
        settings.WriteLogFormat(0, u"Failure\r\n");
        settings.WriteLogFormat(1, u"Milestone\r\n");
    }
    const auto lines = Lines(ReadLog());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(13), "[LV0] Failure");
}

TEST_F(Settings, DefaultsTextsAndPaths) {
    std::ofstream(Host(u"C:\\Pardex\\Pardex.ini"), std::ios::trunc) << "[Setup]\nMARKETNAME=\"OLJA\"\n";
    CDrvData settings;
    EXPECT_EQ(settings.GetLanguageId(), 1041);
    EXPECT_EQ(settings.GetModelName(), u"Korvel Palvex QM410/QF410/QF380");
    EXPECT_EQ(settings.GetMarketName(), u"OLJA");
    EXPECT_EQ(settings.GetExeTimeout(), 180);
    EXPECT_EQ(settings.GetLogLevel(), 1);
    EXPECT_EQ(settings.GetHardwareId(), u"VID_&PID_");
    EXPECT_EQ(settings.GetLicencePath(), u"C:\\Pardex\\Resource\\Licence\\0411\\Licence.txt");
    EXPECT_EQ(settings.GetTempDriverFolder(), u"C:\\Users\\User\\AppData\\Local\\Temp\\orlune_drv");
    EXPECT_EQ(settings.GetProcessorDllPath(u"WINDOWS X64"), u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\");
    EXPECT_EQ(settings.GetDefaultCopyFolder(),
              u"C:\\Users\\User\\Documents\\Orlune\\PrinterDrivers\\Korvel Palvex QM410_QF410_QF380\\0411");
    std::vector<std::u16string> patterns{u"stale"};
    EXPECT_FALSE(settings.GetSysDescrList(patterns));
    EXPECT_TRUE(patterns.empty());
    std::u16string text = u"stale";
    settings.GetString(text, u"Nothing", u"Here");
    EXPECT_EQ(text, u"");
}

TEST_F(Settings, ShippedConfigurationAndLanguageFolders) {
    SetPardexKey("Setup", "SYSDESCR_005", "Korvel Palvex QX9");  // after a gap: not read
    CDrvData settings;
    EXPECT_EQ(settings.GetInfPath(), u"C:\\Pardex\\0411\\TOVQEB.INF");
    EXPECT_EQ(settings.GetHardwareId(), u"VID_0B71&PID_0410");
    EXPECT_EQ(settings.GetProcessorDllPath(u"Windows NT x86"),
              u"C:\\Windows\\System32\\spool\\prtprocs\\w32x86\\tovqebpp.dll");
    std::vector<std::u16string> patterns;
    EXPECT_TRUE(settings.GetSysDescrList(patterns));
    EXPECT_EQ(patterns.size(), 3u);
    std::u16string text;
    settings.GetString(text, u"MsgBox", u"AnotherInstallerRunning");
    EXPECT_EQ(text, u"別のインストーラーが実行中です。\n終了してからもう一度実行してください。");

    SetPardexKey("Setup", "LANGUAGE_ID", "1033");
    CDrvData english;
    EXPECT_EQ(english.GetLicencePath(), u"C:\\Pardex\\Resource\\Licence\\0409\\Licence.txt");
    english.GetString(text, u"COMMON", u"Window");
    EXPECT_EQ(text, u"Korvel Palvex Setup");
}

struct OsCase {
    const char* name;
    DWORD major, minor;
    WORD servicePack;
    BYTE productType;
    WORD suite;
    bool serverR2;
    WORD architecture;
    DWORD product;
    const char16_t* identity;
};

class WindowsIdentity : public Settings {
protected:
    void Use(const OsCase& c) {
        auto profile = palvex::GetOsProfile();
        profile.majorVersion = c.major;
        profile.minorVersion = c.minor;
        profile.servicePackMajor = c.servicePack;
        profile.productType = c.productType;
        profile.suiteMask = c.suite;
        profile.serverR2 = c.serverR2;
        profile.processorArchitecture = c.architecture;
        profile.productInfoType = c.product;
        palvex::SetOsProfile(profile);
    }
    void Patterns(const std::vector<std::string>& patterns) {
        std::string ini = "[Setup]\n[NONSUPPORT]\n";
        for (size_t i = 0; i < patterns.size(); ++i) {
            char key[32];
            std::snprintf(key, sizeof key, "VER_%03zu=", i + 1);
            ini += key + patterns[i] + "\n";
        }
        std::ofstream(Host(u"C:\\Pardex\\Pardex.ini"), std::ios::trunc) << ini;
    }
};

TEST_F(WindowsIdentity, FieldsByVersion) {
    const OsCase cases[] = {
        {"XP SP3", 5, 1, 3, 1, 0x100, false, 0, 0, u"5.1.3.0.0"},
        {"Server 2003 R2", 5, 2, 2, 3, 0x10, true, 9, 0, u"5.2.2.1.9"},
        {"XP Professional x64", 5, 2, 2, 1, 0x100, false, 9, 0, u"5.2.2.2.9"},
        {"Storage Server 2003", 5, 2, 1, 3, 0x2000, false, 0, 0, u"5.2.1.0.0"},
        {"Home Server", 5, 2, 0, 3, 0x8000, false, 0, 0, u"5.2.0.f.0"},
        {"7 SP1 Professional x64", 6, 1, 1, 1, 0x100, false, 9, 0x30, u"6.1.1.30.9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Use(c);
        CDrvData settings;
        EXPECT_EQ(settings.GetOSIdentity(), c.identity);
    }
}

TEST_F(WindowsIdentity, PatternsMatchFieldByField) {
    struct Case {
        const char16_t* identity;
        const char16_t* pattern;
        bool match;
    } const cases[] = {
        {u"6.1.1.30.9", u"6.1.*.*.9", true},  {u"6.1.0.1.9", u"6.1.*.*.9", true},
        {u"6.1.1.30.0", u"6.1.*.*.9", false}, {u"5.1.3.0.0", u"5.1.*.*.*", true},
        {u"5.2.2.1.9", u"5.2.*.*", false},    {u"6.1.1.30.9", u"6.1.1.30.9", true},
        {u"a.b.c.d.e", u"A.B.C.D.E", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDrvData::MatchOSPattern(c.identity, c.pattern) == 0, c.match)
            << palvex::ToUtf8(c.identity) << " " << palvex::ToUtf8(c.pattern);
}

TEST_F(WindowsIdentity, SupportTest) {
    const OsCase seven{"7 SP1 x64", 6, 1, 1, 1, 0x100, false, 9, 0x30, nullptr};
    const OsCase xp{"XP SP3", 5, 1, 3, 1, 0x100, false, 0, 0, nullptr};
    const OsCase w2000{"2000", 5, 0, 4, 1, 0, false, 0, 0, nullptr};
    struct Case {
        const char* name;
        const OsCase& os;
        std::vector<std::string> patterns;
        bool supported;
    } const cases[] = {
        {"7 x64 listed", seven, {"5.2.*.*.*", "6.1.*.*.9"}, false},
        {"7 x64, empty list", seven, {}, true},
        {"XP listed", xp, {"5.1.*.*.*"}, false},
        {"XP after a gap", xp, {"", "5.1.*.*.*"}, true},
        {"2000 always", w2000, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Use(c.os);
        Patterns(c.patterns);
        CDrvData settings;
        EXPECT_EQ(settings.CheckSupportOS() != 0, c.supported);
    }
    // All 512 keys set and none matching: the system is supported.
    Use(seven);
    std::vector<std::string> full(512, "5.0.*.*.*");
    Patterns(full);
    CDrvData settings;
    EXPECT_NE(settings.CheckSupportOS(), 0);
    full[511] = "6.1.*.*.9";
    Patterns(full);
    CDrvData last;
    EXPECT_EQ(last.CheckSupportOS(), 0);
}

TEST_F(Settings, InstalledDriverAndItsVersion) {
    CDrvData none;
    EXPECT_FALSE(none.FindInstalledDriver());
    EXPECT_FALSE(none.ExistPrinterOfModel());

    InstallModelDriver();

    CDrvData settings;
    EXPECT_TRUE(settings.FindInstalledDriver());
    EXPECT_EQ(settings.m_installedFileVersion, palvex::FromUtf8(PALVEX_VERSION_TEXT));
    EXPECT_TRUE(settings.ExistDriverForEnvironment(u"Windows x64"));
    EXPECT_FALSE(settings.ExistDriverForEnvironment(u"Windows NT x86"));
    EXPECT_TRUE(settings.ExistPrinterOfModel());
    EXPECT_TRUE(CheckInstallPrinter(u"PALVEX OFFICE"));
    EXPECT_FALSE(CheckInstallPrinter(u"Palvex Home"));
    EXPECT_TRUE(ExistPrinterDriver(u"korvel palvex qm410/qf410/qf380"));
    EXPECT_FALSE(HasPendingJobs(u"Korvel Palvex QM410/QF410/QF380"));
    DWORD error = 0;
    EXPECT_TRUE(ExistPrinter(u"Palvex Office", error));
    EXPECT_FALSE(ExistPrinter(u"Palvex Home", error));
    EXPECT_EQ(error, DWORD{ERROR_INVALID_PRINTER_NAME});

    SetPardexKey("INHERIT", "INH_001", "1.1.2.0");
    EXPECT_TRUE(settings.IsInheritListed());
    SetPardexKey("INHERIT", "INH_001", "3.0");
    EXPECT_FALSE(settings.IsInheritListed());
}

}  // namespace
