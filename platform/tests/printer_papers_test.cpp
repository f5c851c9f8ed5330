// A printer's own paper list through DeviceCapabilitiesW: codes, sizes and 64-unit names in the
// driver's order, the model's list for a printer without one, and lists that are refused; its
// bins (16-bit numbers, 24-unit names) and media types (32-bit numbers, 64-unit names), which a
// printer given none takes from its driver's GPD.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/printer_papers.h>
#include <win/windows.h>

namespace {

constexpr char16_t kPrinter[] = u"Palvex Papers";
constexpr char16_t kOther[] = u"Palvex Plain";
constexpr size_t kNameUnits = 64;

struct Capabilities {
    int count = -1;
    std::vector<WORD> papers;
    std::vector<POINT> sizes;
    std::vector<WCHAR> names;
};

// Asks for the count first, then fills each list, as drivers' callers do.
Capabilities Read(const char16_t* printer) {
    Capabilities caps;
    caps.count = DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, nullptr, nullptr);
    if (caps.count <= 0) return caps;
    const auto n = static_cast<size_t>(caps.count);
    caps.papers.assign(n, 0xFFFF);
    caps.sizes.assign(n, POINT{-1, -1});
    caps.names.assign(n * kNameUnits, u'#');
    EXPECT_EQ(DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(caps.papers.data()), nullptr),
              caps.count);
    EXPECT_EQ(DeviceCapabilitiesW(printer, nullptr, DC_PAPERSIZE, reinterpret_cast<LPWSTR>(caps.sizes.data()), nullptr),
              caps.count);
    EXPECT_EQ(DeviceCapabilitiesW(printer, nullptr, DC_PAPERNAMES, caps.names.data(), nullptr), caps.count);
    return caps;
}

class PrinterPapersTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        m_machine.AddPrinterWithDriver(kOther);
    }
    palvex::TestMachine m_machine;
};

TEST_F(PrinterPapersTest, APrinterAnswersItsOwnPapersInTheDriversOrder) {
    const std::u16string longest(63, u'n');
    palvex::SetPrinterPapers(kPrinter, {{9, u"A4 210 x 297 mm", 2100, 2970},
                                        {260, u"F4 210 x 330 mm", 2100, 3300},
                                        {1, u"LT 8.5 x 11 in", 2159, 2794},
                                        {300, longest, 1000, 1480}});
    const Capabilities caps = Read(u"palvex PAPERS");  // printer names without regard to case
    ASSERT_EQ(caps.count, 4);
    EXPECT_EQ(caps.papers, (std::vector<WORD>{9, 260, 1, 300}));
    const POINT sizes[] = {{2100, 2970}, {2100, 3300}, {2159, 2794}, {1000, 1480}};
    const std::u16string names[] = {u"A4 210 x 297 mm", u"F4 210 x 330 mm", u"LT 8.5 x 11 in", longest};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(caps.sizes[i].x, sizes[i].x);
        EXPECT_EQ(caps.sizes[i].y, sizes[i].y);
        // Each name fills a 64-unit field: its characters, then NULs to the field's end.
        std::u16string field(names[i]);
        field.resize(kNameUnits, u'\0');
        EXPECT_EQ(std::u16string(caps.names.data() + i * kNameUnits, kNameUnits), field);
    }

    // The other printer keeps the model's papers under their standard names.
    const Capabilities other = Read(kOther);
    ASSERT_EQ(other.count, 11);
    EXPECT_EQ(other.papers.front(), 9);
    EXPECT_EQ(std::u16string(other.names.data()), u"A4");

    // A new list replaces the old one; no papers put back the model's.
    palvex::SetPrinterPapers(kPrinter, {{261, u"Custom", 1200, 2400}});
    const Capabilities replaced = Read(kPrinter);
    ASSERT_EQ(replaced.count, 1);
    EXPECT_EQ(replaced.papers[0], 261);
    palvex::SetPrinterPapers(kPrinter, {});
    EXPECT_EQ(Read(kPrinter).count, 11);

    EXPECT_EQ(DeviceCapabilitiesW(u"No Such Printer", nullptr, DC_PAPERS, nullptr, nullptr), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
}

TEST_F(PrinterPapersTest, ListsADriverCannotHaveAreRefusedWhole) {
    palvex::SetPrinterPapers(kPrinter, {{9, u"A4 210 x 297 mm", 2100, 2970}});
    struct Case {
        const char* what;
        std::u16string printer;
        palvex::PrinterPaperDesc paper;
        DWORD error;
    };
    const Case cases[] = {
        {"code 0", kPrinter, {0, u"Zero", 1000, 1000}, ERROR_INVALID_PARAMETER},
        {"no name", kPrinter, {256, u"", 1000, 1000}, ERROR_INVALID_PARAMETER},
        {"a name of 64 characters", kPrinter, {256, std::u16string(64, u'n'), 1000, 1000}, ERROR_INVALID_PARAMETER},
        {"a NUL inside the name", kPrinter, {256, std::u16string(u"A\0B", 3), 1000, 1000}, ERROR_INVALID_PARAMETER},
        {"no width", kPrinter, {256, u"Thin", 0, 1000}, ERROR_INVALID_PARAMETER},
        {"a negative height", kPrinter, {256, u"Flat", 1000, -1}, ERROR_INVALID_PARAMETER},
        {"an unknown printer", u"No Such Printer", {256, u"Fine", 1000, 1000}, ERROR_INVALID_PRINTER_NAME},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            palvex::SetPrinterPapers(c.printer, {{260, u"F4 210 x 330 mm", 2100, 3300}, c.paper});
            ADD_FAILURE() << "accepted";
        } catch (const palvex::MachineError& error) {
            EXPECT_EQ(error.code(), c.error);
        }
        const Capabilities caps = Read(kPrinter);  // unchanged
        ASSERT_EQ(caps.count, 1);
        EXPECT_EQ(caps.papers[0], 9);
    }
}

TEST_F(PrinterPapersTest, BinsAndMediaTypesAreTheOnesThePrinterWasGiven) {
    // Never given any: none.
    for (WORD capability : {WORD{DC_BINS}, WORD{DC_BINNAMES}, WORD{DC_MEDIATYPES}, WORD{DC_MEDIATYPENAMES}})
        EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, capability, nullptr, nullptr), 0) << capability;

    const std::u16string longBin(23, u'b');
    palvex::SetPrinterBins(kPrinter, {{15, u"Automatically Select"}, {260, longBin}, {4, u"Manual Feed"}});
    palvex::SetPrinterMediaTypes(kPrinter, {{0x10001, u"Plain"}, {258, std::u16string(63, u'm')}});
    ASSERT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_BINS, nullptr, nullptr), 3);
    std::vector<WORD> bins(4, 0xEEEE);
    ASSERT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_BINS, reinterpret_cast<LPWSTR>(bins.data()), nullptr), 3);
    EXPECT_EQ(bins, (std::vector<WORD>{15, 260, 4, 0xEEEE}));
    std::vector<WCHAR> binNames(3 * 24 + 1, u'#');
    ASSERT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_BINNAMES, binNames.data(), nullptr), 3);
    std::u16string expected = u"Automatically Select";
    expected.resize(24, u'\0');
    expected += longBin + u'\0';
    std::u16string manual = u"Manual Feed";
    manual.resize(24, u'\0');
    expected += manual + u"#";
    EXPECT_EQ(std::u16string(binNames.begin(), binNames.end()), expected);

    std::vector<DWORD> types(3, 0xEEEEEEEE);
    ASSERT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_MEDIATYPES, reinterpret_cast<LPWSTR>(types.data()), nullptr), 2);
    EXPECT_EQ(types, (std::vector<DWORD>{0x10001, 258, 0xEEEEEEEE}));
    std::vector<WCHAR> typeNames(2 * kNameUnits, u'#');
    ASSERT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_MEDIATYPENAMES, typeNames.data(), nullptr), 2);
    EXPECT_EQ(std::u16string(typeNames.data(), 6), std::u16string(u"Plain\0", 6));
    EXPECT_EQ(typeNames[kNameUnits + 62], u'm');
    EXPECT_EQ(typeNames[kNameUnits + 63], u'\0');
    // The papers are untouched, the other printer has none.
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_PAPERS, nullptr, nullptr), 11);
    EXPECT_EQ(DeviceCapabilitiesW(kOther, nullptr, DC_BINS, nullptr, nullptr), 0);

    // Names too long for their field and bin numbers above 16 bits are refused, the list kept.
    EXPECT_THROW(palvex::SetPrinterBins(kPrinter, {{1, std::u16string(24, u'b')}}), palvex::MachineError);
    EXPECT_THROW(palvex::SetPrinterBins(kPrinter, {{0x10000, u"Big"}}), palvex::MachineError);
    EXPECT_THROW(palvex::SetPrinterMediaTypes(kPrinter, {{1, u""}}), palvex::MachineError);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_BINS, nullptr, nullptr), 3);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_MEDIATYPES, nullptr, nullptr), 2);
}

// The media types of a printer given none are the MediaType options of its driver's GPD, by
// *OptionID and *Name (the option's keyword without a name); options without a usable number are
// left out, and so is every other feature.
TEST_F(PrinterPapersTest, APrinterGivenNoMediaTypesOffersThoseOfItsDriversGpd) {
    palvex::DriverDesc driver;
    driver.name = u"Media Driver";
    driver.dataFile = u"MEDIA.GPD";
    palvex::AddDriver(driver);
    palvex::AddPrinter(u"Media Printer", u"Media Driver");
    const auto gpd = palvex::HostPath(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\MEDIA.GPD");
    std::filesystem::create_directories(gpd.parent_path());
    const auto read = [] {
        std::vector<std::pair<DWORD, std::u16string>> types;
        const int count = DeviceCapabilitiesW(u"Media Printer", nullptr, DC_MEDIATYPES, nullptr, nullptr);
        if (count <= 0) return types;
        std::vector<DWORD> ids(static_cast<size_t>(count));
        std::vector<WCHAR> names(static_cast<size_t>(count) * kNameUnits);
        EXPECT_EQ(DeviceCapabilitiesW(u"Media Printer", nullptr, DC_MEDIATYPES, reinterpret_cast<LPWSTR>(ids.data()), nullptr), count);
        EXPECT_EQ(DeviceCapabilitiesW(u"Media Printer", nullptr, DC_MEDIATYPENAMES, names.data(), nullptr), count);
        for (size_t i = 0; i < ids.size(); ++i) types.emplace_back(ids[i], names.data() + i * kNameUnits);
        return types;
    };
    using Types = std::vector<std::pair<DWORD, std::u16string>>;
    const std::string longName(70, 'x');
    const struct {
        const char* what;
        std::string gpd;
        Types types;
    } cases[] = {
        {"options in order",
         "*Feature: InputBin\r\n{\r\n    *Option: AUTO\r\n    {\r\n        *OptionID: 7\r\n    }\r\n}\r\n"
         "*Feature: MediaType\r\n{\r\n    *DefaultOption: PLAIN\r\n"
         "    *Option: PLAIN\r\n    {\r\n        *OptionID: 513\r\n        *Name: \"Plain Paper\"\r\n    }\r\n"
         "    *Option: FILM\r\n    {\r\n        *Name: \"Film\"\r\n        *OptionID: 517\r\n    }\r\n}\r\n",
         {{513, u"Plain Paper"}, {517, u"Film"}}},
        {"no name, no number, a bad number, a long name",
         "*Feature: MediaType\n{\n*Option: HEAVY\n{\n*OptionID: 518\n}\n*Option: NONUMBER\n{\n*Name: \"None\"\n}\n"
         "*Option: BAD\n{\n*OptionID: 12x\n}\n*Option: NEGATIVE\n{\n*OptionID: -3\n}\n"
         "*Option: LONG\n{\n*OptionID: 600\n*Name: \"" + longName + "\"\n}\n}\n",
         {{518, u"HEAVY"}, {600, std::u16string(63, u'x')}}},
        {"no MediaType feature", "*Feature: Duplex\n{\n*Option: NONE\n{\n*OptionID: 1\n}\n}\n", {}},
        {"a feature left open", "*Feature: MediaType\n{\n*Option: OPEN\n{\n*OptionID: 513\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(gpd, std::ios::binary | std::ios::trunc) << c.gpd;
        EXPECT_EQ(read(), c.types);
    }

    // Media types the printer was given come first; without a data file there are none.
    palvex::SetPrinterMediaTypes(u"Media Printer", {{258, u"Given"}});
    EXPECT_EQ(read(), (Types{{258, u"Given"}}));
    palvex::SetPrinterMediaTypes(u"Media Printer", {});
    std::filesystem::remove(gpd);
    EXPECT_EQ(read(), Types{});
}

}  // namespace
