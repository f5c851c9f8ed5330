// The command callback's commands, byte for byte, on an OEM PDEV without settings (every setting
// reads 0), and the choice of orientation and binding commands.
#include <gtest/gtest.h>

#include <string>

#include "command_rules.h"
#include "module_state.h"
#include "watermark_output.h"
#include "wired_pdev.h"

namespace {

class CommandCallbackTest : public ::testing::Test, protected rendertest::WiredPdev {
protected:
    std::string Send(DWORD id, HRESULT expected = S_OK) {
        m_spool.m_bytes.clear();
        INT result = 77;
        EXPECT_EQ(hrOEMCommandCallback(&m_devobj, id, 0, nullptr, &result), expected) << id;
        EXPECT_EQ(result, 0) << id;  // no command answers a value of its own
        return m_spool.m_bytes;
    }
};

const std::string kUel = "\x1b%-12345X";

TEST_F(CommandCallbackTest, JobEndByPdlType) {
    m_pdev.m_pdlType = 55;
    EXPECT_EQ(Send(201), "\x49\x42" + kUel + "@PJL EOJ\n" + kUel);
    m_pdev.m_pdlType = 40;
    EXPECT_EQ(Send(201), "\x1b" "E" + kUel);
}

TEST_F(CommandCallbackTest, PageEndCarriesTheCopies) {
    m_devmode.dmCopies = 300;
    EXPECT_EQ(Send(313), std::string("\xc1\x2c\x01\xf8\x31\x44", 6));
    EXPECT_EQ(Send(312), std::string("\xc1\x01\x00\xf8\x31\x44", 6));
    // Duplex with the sheet plan counting the copies: PageCopies 1.
    m_devmode.dmDuplex = DMDUP_VERTICAL;
    m_pdev.m_layout.m_duplexType = 2;
    EXPECT_EQ(Send(313), std::string("\xc1\x01\x00\xf8\x31\x44", 6));
    m_pdev.m_layout.m_duplexType = 1;
    EXPECT_EQ(Send(313), std::string("\xc1\x2c\x01\xf8\x31\x44", 6));
}

TEST_F(CommandCallbackTest, WatermarkIsDueOnlyWithTextAndAWayToDrawIt) {
    struct Case {
        const char* what;
        BYTE on;
        DWORD modeFlags;
        DWORD watermarkMode;
        const char16_t* text;
        bool due;
    };
    const Case cases[] = {
        {"text drawn as graphics", 1, kModeTextAsGraphics, 0, u"DRAFT", true},
        {"watermark mode 2", 1, 0, 2, u"DRAFT", true},
        {"both", 1, kModeTextAsGraphics | kModeHpgl2, 2, u"DRAFT", true},
        {"neither way to draw it", 1, kModeHpgl2, 1, u"DRAFT", false},
        {"off", 0, kModeTextAsGraphics, 2, u"DRAFT", false},
        {"no text", 1, kModeTextAsGraphics, 2, u"", false},
    };
    m_devmode.dmCopies = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_pdev.m_layout.m_watermark.m_on = c.on;
        m_pdev.m_modeFlags = c.modeFlags;
        m_pdev.m_layout.m_watermark.m_mode = c.watermarkMode;
        m_pdev.m_layout.m_watermark.m_text = c.text;
        EXPECT_EQ(WatermarkPassDue(&m_pdev), c.due);
        // The page ends all the same.
        EXPECT_EQ(Send(312), std::string("\xc1\x01\x00\xf8\x31\x44", 6));
        EXPECT_EQ(Send(313), std::string("\xc1\x02\x00\xf8\x31\x44", 6));
    }
    EXPECT_FALSE(WatermarkPassDue(nullptr));
}

TEST_F(CommandCallbackTest, QuantityOnlyForMoreThanOneCopy) {
    EXPECT_EQ(Send(208), "");
    m_devmode.dmCopies = 12;
    EXPECT_EQ(Send(208), "@PJL SET QTY=12\n");
    EXPECT_EQ(Send(209), "");
}

TEST_F(CommandCallbackTest, DuplexAndBinding) {
    EXPECT_EQ(Send(304), "@PJL SET DUPLEX=OFF\n");
    EXPECT_EQ(Send(305), "@PJL SET DUPLEX=ON\n@PJL SET BINDING=LONGEDGE\n");   // portrait, one page a sheet
    EXPECT_EQ(Send(306), "@PJL SET DUPLEX=ON\n@PJL SET BINDING=SHORTEDGE\n");
    m_pdev.m_layout.m_pagesPerSheet = 2;
    EXPECT_EQ(Send(305), "@PJL SET DUPLEX=ON\n@PJL SET BINDING=SHORTEDGE\n");
}

TEST_F(CommandCallbackTest, OrientationOnAFrontSide) {
    EXPECT_EQ(Send(300), std::string("\xc0\x00\xf8\x28", 4));
    m_pdev.m_layout.m_landscape = 1;
    EXPECT_EQ(Send(300), std::string("\xc0\x01\xf8\x28", 4));
    m_pdev.m_layout.m_rotated = 1;
    EXPECT_EQ(Send(300), std::string("\xc0\x03\xf8\x28", 4));
    m_pdev.m_layout.m_landscape = 0;
    EXPECT_EQ(Send(300), std::string("\xc0\x02\xf8\x28", 4));
}

TEST_F(CommandCallbackTest, PaperSourceWithoutFormAssignment) {
    EXPECT_EQ(Send(111), std::string("\xc0\x04\xf8\x26", 4));
    EXPECT_EQ(Send(114), std::string("\xc0\x02\xf8\x26", 4));
    m_devmode.dmDefaultSource = 15;
    EXPECT_EQ(Send(113), std::string("\xc0\x01\xf8\x26", 4));
    EXPECT_EQ(Send(114), std::string("\xc0\x01\xf8\x26", 4));
    // The last counted sheet of a duplex job gets none.
    m_pdev.m_layout.m_flags = kLayoutDuplexType2;
    m_pdev.m_document.m_spoolerPageCount = 4;
    m_pdev.m_document.m_sheetCount = 2;
    m_pdev.m_document.m_pageCounter = 2;
    EXPECT_EQ(Send(112), "");
}

TEST_F(CommandCallbackTest, OtherIdsSendTheirString) {
    EXPECT_EQ(Send(226), std::string("\xc0\x00\xf8\x28", 4));
    EXPECT_EQ(Send(440), "@PJL EOJ\n");
    EXPECT_EQ(Send(214), "@PJL SET DUPLEX=ON\n@PJL SET BINDING=SHORTEDGE\n");
    EXPECT_EQ(Send(999, E_FAIL), "");
}

// Every printer command of the module's string table, as its bytes go out.
TEST_F(CommandCallbackTest, EveryCommandStringByteForByte) {
    using namespace std::string_literals;
    const std::pair<DWORD, std::string> cases[] = {
        {100, "PCL"},
        {101, "\x1b&l0S"}, {102, "\x1b&l1S"}, {103, "\x1b&l2S"},
        {104, "\x1b&l7H"}, {105, "\x1b&l7H"}, {106, "\x1b&l1H"}, {107, "\x1b&l5H"}, {108, "\x1b&l2H"}, {109, "\x1b&l3H"},
        {110, "\xc0\x01\xf8\x26"}, {111, "\xc0\x04\xf8\x26"}, {112, "\xc0\x05\xf8\x26"},
        {113, "\xc0\x07\xf8\x26"}, {114, "\xc0\x02\xf8\x26"},
        {200, "\x1b%-12345X@PJL JOB\n"},
        {201, "\x1b" "E\x1b%-12345X"},
        {212, "@PJL SET DUPLEX=OFF\n"},
        {213, "@PJL SET DUPLEX=ON\n@PJL SET BINDING=LONGEDGE\n"},
        {214, "@PJL SET DUPLEX=ON\n@PJL SET BINDING=SHORTEDGE\n"},
        {215, "@PJL SET BINDING=LONGEDGE\n"}, {216, "@PJL SET BINDING=SHORTEDGE\n"},
        {217, "@PJL SET DUPLEX=ON\n"}, {218, "@PJL SET QTY=%d\n"}, {219, "@PJL SET COPIES=%d\n"},
        {220, "\x1b&l2O"}, {221, "\x1b&l3O"}, {222, "\xc0\x02\xf8\x28"}, {223, "\xc0\x03\xf8\x28"},
        {224, "\x1b&l0O"}, {225, "\x1b&l1O"}, {226, "\xc0\x00\xf8\x28"s}, {227, "\xc0\x01\xf8\x28"},
        {311, "\x1b&l%dX"},
        {312, "\xc1\x01\x00\xf8\x31\x44"s}, {313, "\xc1\x01\x00\xf8\x31\x44"s},
        {440, "@PJL EOJ\n"}, {451, "\x1b%-12345X"}, {452, "\x49\x42"},
    };
    for (const auto& [id, bytes] : cases) {
        CommandCapture capture;
        ASSERT_EQ(hrOEMSendStringResource(&m_pdev, id, &capture), S_OK) << id;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(capture.m_data), capture.m_length), bytes) << id;
        delete[] capture.m_data;
    }
}

// Beside its commands the module carries the settings runtime's messages, and only those.
TEST(ModuleStrings, CarryTheRuntimeMessages) {
    const std::pair<UINT, std::u16string> cases[] = {
        {62601, u"warning XPR1001 : structure size for structure '%s', exceeds 64768 bytes.\n"},
        {63403, u"%s(%d) : internal error XPR3003 : out of memory, no structure slots available.\n"},
        {61301, u""},
    };
    for (const auto& [id, text] : cases) {
        WCHAR buffer[256] = {};
        const int length = LoadStringW(render::ModuleHandle(), id, buffer, 256);
        EXPECT_EQ(std::u16string(buffer, length > 0 ? length : 0), text) << id;
    }
}

TEST_F(CommandCallbackTest, NoPdevOrNoStringEntryFails) {
    INT result = 0;
    DEVOBJ empty{};
    EXPECT_EQ(hrOEMCommandCallback(&empty, 200, 0, nullptr, &result), E_FAIL);
    m_hooks.m_sendStringResource = nullptr;
    EXPECT_EQ(hrOEMCommandCallback(&m_devobj, 226, 0, nullptr, &result), E_FAIL);
}

TEST_F(CommandCallbackTest, MappedCommandIds) {
    const std::pair<DWORD, std::string> cases[] = {
        {100, std::string("\xc0\x02\xf8\x26", 4)}, {101, std::string("\xc0\x02\xf8\x28", 4)},
        {102, std::string("\xc0\x03\xf8\x28", 4)}, {103, std::string("\xc0\x00\xf8\x28", 4)},
        {104, std::string("\xc0\x01\xf8\x28", 4)}, {105, ""},
    };
    for (const auto& [id, bytes] : cases) {
        m_spool.m_bytes.clear();
        EXPECT_EQ(hrOEMMapCommandId(&m_pdev, id), S_OK);
        EXPECT_EQ(m_spool.m_bytes, bytes) << id;
    }
    EXPECT_EQ(hrOEMMapCommandId(nullptr, 100), E_FAIL);
}

TEST_F(CommandCallbackTest, CapturedStringGrowsItsBuffer) {
    CommandCapture capture;
    capture.m_capacity = 2;
    capture.m_data = new BYTE[2];
    ASSERT_EQ(hrOEMSendStringResource(&m_pdev, 226, &capture), S_OK);
    EXPECT_EQ(capture.m_length, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(capture.m_data), 4), std::string("\xc0\x00\xf8\x28", 4));
    EXPECT_EQ(m_spool.m_bytes, "");
    delete[] capture.m_data;
    EXPECT_EQ(hrOEMSendStringResource(&m_pdev, 7, nullptr), E_FAIL);
}

// Back sides of a duplex sheet: rows of the three tables by hand.
TEST(CommandRules, BackSideOrientation) {
    struct Case {
        bool L, R, twoOrSix, B, H, F;
        DWORD D;
        bool graphics, longPaper;
        DWORD expected;
    };
    const Case cases[] = {
        {false, true, false, false, false, false, 3, false, false, 222},   // T2, not H
        {false, true, false, false, true, false, 1, false, false, 222},    // T1, H
        {false, true, true, false, false, false, 1, true, false, 226},     // G, 2-up, not H
        {false, false, true, true, false, false, 1, false, false, 226},    // T1 booklet
        {true, false, false, false, true, true, 1, false, false, 223},     // T1, H, first landscape
        {true, false, false, false, false, true, 1, false, false, 227},    // T1, not H, first landscape
        {true, true, true, true, false, false, 3, false, false, 227},      // T2 booklet
        {true, true, true, true, false, false, 2, true, false, 227},       // G booklet, not H
        {true, false, false, false, false, false, 2, false, true, 0},      // long paper, D 2: nothing
        {true, false, false, false, false, false, 3, false, true, 223},    // long paper, D 3: T2
    };
    for (const Case& c : cases) {
        LayoutTerms terms;
        terms.m_landscape = c.L;
        terms.m_rotated = c.R;
        terms.m_twoOrSix = c.twoOrSix;
        terms.m_booklet = c.B;
        terms.m_horizontal = c.H;
        terms.m_firstLandscape = c.F;
        terms.m_deviceType = c.D;
        terms.m_backSide = true;
        terms.m_textAsGraphics = c.graphics;
        terms.m_longPaper = c.longPaper;
        EXPECT_EQ(OrientationCommand(terms), c.expected) << c.L << c.R << c.twoOrSix << c.B << c.H << c.D;
    }
}

TEST(CommandRules, Binding) {
    struct Case {
        bool L, twoOrSix, B;
        DWORD D, pages;
        DWORD ruleA, ruleB;
    };
    const Case cases[] = {
        {false, false, false, 1, 1, 215, 216}, {false, true, false, 1, 2, 216, 215}, {false, true, true, 1, 2, 215, 215},
        {true, true, false, 2, 2, 215, 216},   {true, false, false, 2, 4, 216, 215}, {true, true, false, 2, 6, 215, 216},
        {true, true, true, 2, 2, 215, 215},    {true, false, false, 1, 1, 216, 215}, {true, true, false, 1, 2, 215, 216},
    };
    for (const Case& c : cases) {
        LayoutTerms terms;
        terms.m_landscape = c.L;
        terms.m_twoOrSix = c.twoOrSix;
        terms.m_booklet = c.B;
        terms.m_deviceType = c.D;
        terms.m_pagesPerSheet = c.pages;
        EXPECT_EQ(BindingCommand(terms, false), c.ruleA);
        EXPECT_EQ(BindingCommand(terms, true), c.ruleB);
    }
}

}  // namespace
