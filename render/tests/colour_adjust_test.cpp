// Colour adjustment of blits (read once per process from the driver folder's ini file, so each
// case runs in a fresh child process), hairline widening, and the colour profile lookup.
#include <filesystem>
#include <fstream>

#include <palvex/eng_calls.h>
#include <palvex/paths.h>
#include <render_host.h>

#include "block_builder.h"
#include "colour_adjust.h"
#include "model_hooks.h"
#include "printer_data.h"
#include "render_fixture.h"

namespace rendertest {
namespace {

using palvex::hosts::RenderHost;

// Writes the driver folder's colour-adjustment file.
void WriteColourFile(const std::string& text) {
    const std::filesystem::path path = palvex::HostPath(ColourAdjustFilePath());
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class ColourTest : public RenderTest {
protected:
    std::unique_ptr<RenderHost> OpenPage(const std::function<void(JobDevMode&)>& setUp = {}) {
        auto host = MakeHost();
        JobDevMode job = DefaultJob(*host);
        if (setUp) setUp(job);
        EXPECT_TRUE(host->StartDocument(u"Colour", 3, job.get()));
        EXPECT_TRUE(host->StartPage());
        return host;
    }
};

// The three blits once each through the plug-in, with a caller's adjustment and mode that the
// plug-in must replace when it adjusts. Returns false (with the reason on stderr) at the first
// thing that is not as expected.
bool BlitsAre(RenderHost& host, bool adjusted, const COLORADJUSTMENT& expected, bool engineDraws) {
    RECTL target{0, 0, 40, 30};
    RECTL source{0, 0, 20, 15};
    POINTL origin{0, 0};
    POINTFIX corners[3] = {{0, 0}, {640, 0}, {0, 480}};
    BRUSHOBJ brush{0x00FF00, nullptr, 0};
    COLORADJUSTMENT callers{};
    callers.caSize = sizeof callers;
    callers.caRedGamma = 2500;
    palvex::TakeEngCalls();
    const size_t unidrvBefore = host.events().size();
    const BOOL results[3] = {
        host.Ddi().plgBlt(host.Surface(), host.Surface(), nullptr, nullptr, nullptr, &callers, &origin, corners, &source,
                          nullptr, COLORONCOLOR),
        host.Ddi().stretchBlt(host.Surface(), host.Surface(), nullptr, nullptr, nullptr, &callers, &origin, &target,
                              &source, nullptr, COLORONCOLOR),
        host.Ddi().stretchBltROP(host.Surface(), host.Surface(), nullptr, nullptr, nullptr, &callers, &origin, &target,
                                 &source, nullptr, COLORONCOLOR, &brush, 0xCCCC),
    };
    const std::vector<palvex::EngCall> calls = palvex::TakeEngCalls();
    size_t unidrvBlits = 0;
    for (size_t i = unidrvBefore; i < host.events().size(); ++i) {
        const std::string& name = host.events()[i].name;
        if (name == "DrvPlgBlt" || name == "DrvStretchBlt" || name == "DrvStretchBltROP") ++unidrvBlits;
    }
    auto fail = [](const std::string& why) {
        fprintf(stderr, "%s\n", why.c_str());
        return false;
    };
    for (BOOL result : results)
        if (result != TRUE) return fail("a blit failed");
    if (!adjusted) {
        if (!calls.empty()) return fail("the engine was called");
        if (unidrvBlits != 3) return fail("the universal driver's blits were not all called");
        return true;
    }
    // When the engine fails, the universal driver's own function draws after all.
    if (unidrvBlits != (engineDraws ? 0u : 3u)) return fail("the universal driver's blits: " + std::to_string(unidrvBlits));
    const char* names[3] = {"EngPlgBlt", "EngStretchBlt", "EngStretchBltROP"};
    if (calls.size() != 3) return fail("not three engine calls");
    for (size_t i = 0; i < 3; ++i) {
        const palvex::EngCall& call = calls[i];
        if (call.function != names[i]) return fail("wrong engine function " + call.function);
        if (call.mode != HALFTONE) return fail("mode " + std::to_string(call.mode));
        if (!call.colorAdjustment) return fail("no colour adjustment");
        if (std::memcmp(&*call.colorAdjustment, &expected, sizeof expected) != 0) return fail("wrong adjustment");
    }
    if (calls[2].rop != 0xCCCC || calls[2].brushColor != 0x00FF00) return fail("brush or ROP lost");
    return true;
}

COLORADJUSTMENT Adjustment(std::initializer_list<int> fields) {
    std::vector<WORD> words;
    for (int field : fields) words.push_back(static_cast<WORD>(field));
    COLORADJUSTMENT adjustment{};
    std::memcpy(&adjustment, words.data(), sizeof adjustment);
    return adjustment;
}

// What each child process checks: the file it writes (none when empty) and the blits it expects.
struct ChildCase {
    const char* what;
    const char* file;  // null: no file
    bool adjusted;
    COLORADJUSTMENT adjustment;
    BOOL engineAnswer;
};

void PrintTo(const ChildCase& c, std::ostream* os) {
    *os << c.what;
}

class ColourChildTest : public ColourTest, public ::testing::WithParamInterface<ChildCase> {};

// The colour state is read once per process: each case runs alone in a child process that
// starts the test program afresh.
TEST_P(ColourChildTest, BlitsInAFreshProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const ChildCase& c = GetParam();
    EXPECT_EXIT(
        {
            if (c.file) WriteColourFile(c.file);
            palvex::SetEngCallAnswer(c.engineAnswer);
            auto host = OpenPage();
            const bool ok = BlitsAre(*host, c.adjusted, c.adjustment, c.engineAnswer);
            // The file is read once: a later change does not matter in this process.
            WriteColourFile("[ColorAdjust]\r\nColorAdjust=1\r\nContrast=77\r\n");
            const bool stillOk = ok && BlitsAre(*host, c.adjusted, c.adjustment, c.engineAnswer);
            std::_Exit(stillOk ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

const COLORADJUSTMENT kStarting = Adjustment({24, 0, 1, 10000, 10000, 10000, 0, 10000, 0, 0, 0, 0});

INSTANTIATE_TEST_SUITE_P(
    Files, ColourChildTest,
    ::testing::Values(
        ChildCase{"on with no other keys: the starting values", "[ColorAdjust]\r\nColorAdjust=1\r\n", true, kStarting,
                  TRUE},
        ChildCase{"every key, the file's own spelling of colourfulness",
                  "[ColorAdjust]\r\nColorAdjust=1\r\nRedGamma=12000\r\nGreenGamma=11000\r\nBlueGamma=9000\r\n"
                  "ReferenceBlack=500\r\nReferenceWhite=9500\r\nContrast=-20\r\nBrightness=15\r\n"
                  "Colorfullness=40\r\nColorfulness=99\r\nRedGreenTint=-5\r\n",
                  true, Adjustment({24, 0, 1, 12000, 11000, 9000, 500, 9500, -20, 15, 40, -5}), TRUE},
        ChildCase{"off by 0", "[ColorAdjust]\r\nColorAdjust=0\r\nContrast=10\r\n", false, kStarting, TRUE},
        ChildCase{"no key: the default 10000 is not 1", "[ColorAdjust]\r\nContrast=10\r\n", false, kStarting, TRUE},
        ChildCase{"no file", nullptr, false, kStarting, TRUE},
        ChildCase{"the engine fails", "[ColorAdjust]\r\nColorAdjust=1\r\n", true, kStarting, FALSE}),
    [](const ::testing::TestParamInfo<ChildCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(ColourTest, HairlinesWidenForThePcl5TypesAtHighResolution) {
    struct Case {
        const char* what;
        DWORD pdlType;
        short resolution;
        LONG width;
        LONG stroked;
    };
    const Case cases[] = {
        {"600 dpi, PDL 45", 45, 600, 1, 2},
        {"301 dpi, PDL 40", 40, 301, 1, 2},
        {"300 dpi stays", 45, 300, 1, 1},
        {"PDL 50 stays", 50, 600, 1, 1},
        {"PDL 39 stays", 39, 600, 1, 1},
        {"only exactly one unit", 49, 600, 3, 3},
        {"a zero width stays", 45, 600, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = OpenPage([&](JobDevMode& j) {
            j.Set<DWORD>(at::kPdlType, c.pdlType);
            j->dmFields |= DM_YRESOLUTION;
            j->dmYResolution = c.resolution;
        });
        ASSERT_EQ(PdevOf(*host)->m_pdlType, c.pdlType);
        PATHOBJ path{};
        BRUSHOBJ brush{0, nullptr, 0};
        POINTL origin{};
        LINEATTRS line{};
        line.elWidth.l = c.width;
        const size_t before = UnidrvEvents(*host, "DrvStrokePath").size();
        EXPECT_EQ(host->Ddi().strokePath(host->Surface(), &path, nullptr, nullptr, &brush, &origin, &line, 0x0D0D), TRUE);
        // The universal driver strokes the path, with the changed width.
        EXPECT_EQ(UnidrvEvents(*host, "DrvStrokePath").size(), before + 1);
        EXPECT_EQ(line.elWidth.l, c.stroked);
    }
}

// The printer's ICMPROFILES block: one record whose OPTION rows are (colour mode, bit depth, name).
struct Profile {
    BYTE colorMode;
    BYTE bitDepth;
    std::u16string name;
};
std::vector<BYTE> ProfilesBlock(const std::vector<Profile>& profiles) {
    using K = XprColumnKind;
    xprtest::BlockBuilder builder;
    const int root = builder.AddTable(u"ICMPROFILES", {{u"OPTION", K::XPDSTRUCT}});
    const int option = builder.AddTable(u"OPTION", {{u"COLORMODE", K::BYTE}, {u"BITDEPTH", K::BYTE}, {u"NAME", K::STRING}});
    builder.SetNested(root, u"OPTION", option);
    const int record = builder.AddRow(root, u"DEFAULT");
    for (const Profile& profile : profiles) {
        const int row = builder.AddRow(option, u"P" + profile.name);
        builder.SetBytes(option, row, u"COLORMODE", {profile.colorMode});
        builder.SetBytes(option, row, u"BITDEPTH", {profile.bitDepth});
        if (!profile.name.empty()) builder.SetString(option, row, u"NAME", profile.name);
    }
    builder.SetSlice(root, record, u"OPTION", 0, static_cast<WORD>(profiles.size()));
    return builder.Build();
}

TEST_F(ColourTest, ProfileByBitDepthAndColourMode) {
    xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    xprtest::WritePrinterValue(kPrinter, u"ICMPROFILES",
                               ProfilesBlock({{DMCOLOR_COLOR, 24, u"TOVQEBC.ICM"},
                                              {DMCOLOR_MONOCHROME, 8, u"TOVQEBM.ICM"},
                                              {DMCOLOR_COLOR, 8, u""},
                                              {DMCOLOR_COLOR, 8, u"LATER.ICM"},
                                              {DMCOLOR_MONOCHROME, 8, u"SECOND.ICM"}}));
    struct Case {
        const char* what;
        HANDLE source;
        BYTE bitDepth;
        DWORD colorMode;
        DWORD chars;
        std::u16string name;
    };
    const Case cases[] = {
        {"colour, 24 bits", printer.get(), 24, DMCOLOR_COLOR, 64, u"TOVQEBC.ICM"},
        {"the first match of two", printer.get(), 8, DMCOLOR_MONOCHROME, 64, u"TOVQEBM.ICM"},
        {"a first match without a name gives none", printer.get(), 8, DMCOLOR_COLOR, 64, u""},
        {"no match", printer.get(), 16, DMCOLOR_COLOR, 64, u""},
        {"cut to the buffer", printer.get(), 24, DMCOLOR_COLOR, 4, u"TOV"},
        {"no source", INVALID_HANDLE_VALUE, 24, DMCOLOR_COLOR, 64, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<WCHAR> name(64, u'x');
        EXPECT_EQ(hrOEMGetICMProfile(name.data(), c.chars, c.source, c.bitDepth, c.colorMode), S_OK);
        EXPECT_EQ(std::u16string(name.data()), c.name);
    }
}

TEST_F(ColourTest, APrinterWithoutProfilesGivesNone) {
    xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    WCHAR name[16] = u"stale";
    EXPECT_EQ(hrOEMGetICMProfile(name, 16, printer.get(), 24, DMCOLOR_COLOR), S_OK);
    EXPECT_EQ(name[0], u'\0');
    // A damaged block is refused by the runtime: still no name.
    xprtest::WritePrinterValue(kPrinter, u"ICMPROFILES", {0x51, 0x4B, 0x44, 0x33, 1, 2, 3});
    name[0] = u's';
    EXPECT_EQ(hrOEMGetICMProfile(name, 16, printer.get(), 24, DMCOLOR_COLOR), S_OK);
    EXPECT_EQ(name[0], u'\0');
}

}  // namespace
}  // namespace rendertest
