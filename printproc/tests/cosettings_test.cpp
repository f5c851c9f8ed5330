// The settings reader: loading the printer's blocks, the getters' folding of stored values, the
// setters' bytes and GetValue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "settings_reader.h"

namespace pptest {
namespace {

std::vector<BYTE> DwordBytes(DWORD value) {
    std::vector<BYTE> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

// --- Loading ------------------------------------------------------------------------------------

class SettingsLoad : public ::testing::Test {
protected:
    void SetUp() override { m_machine.AddPrinterWithDriver(kPrinter); }
    HRESULT Create(LPCWSTR printer = kPrinter) {
        ISettings* settings = reinterpret_cast<ISettings*>(1);
        const HRESULT result = CreateSettings(&settings, printer);
        if (SUCCEEDED(result)) {
            settings->Release();
        } else {
            EXPECT_EQ(settings, nullptr);
        }
        return result;
    }
    palvex::TestMachine m_machine;
};

TEST_F(SettingsLoad, NeedsBothBlocksOfTheNamedPrinter) {
    EXPECT_EQ(Create(), E_FAIL);  // no blocks at all
    WritePrinterValue(kPrinter, u"OEMDEVMODE", OemDevmodeBlock());
    EXPECT_EQ(Create(), E_FAIL);  // PRINTERSETTINGS missing
    WritePrinterValue(kPrinter, u"PRINTERSETTINGS", PrinterSettingsBlock({}));
    EXPECT_EQ(Create(), S_OK);
    EXPECT_EQ(Create(u"No Such Printer"), E_FAIL);
    EXPECT_EQ(Create(u""), E_FAIL);
    EXPECT_EQ(Create(nullptr), E_FAIL);
    EXPECT_EQ(CreateSettings(nullptr, kPrinter), E_POINTER);
}

TEST_F(SettingsLoad, RefusesDamagedBlocks) {
    WritePrinterValue(kPrinter, u"PRINTERSETTINGS", PrinterSettingsBlock({}));
    std::vector<BYTE> block = OemDevmodeBlock();
    block[3] = '2';  // "QKD2"
    WritePrinterValue(kPrinter, u"OEMDEVMODE", block);
    EXPECT_EQ(Create(), E_FAIL);
    block = OemDevmodeBlock();
    block.resize(block.size() / 2);
    WritePrinterValue(kPrinter, u"OEMDEVMODE", block);
    EXPECT_EQ(Create(), E_FAIL);
    // A table without rows has no default record.
    xprtest::BlockBuilder empty;
    empty.AddTable(u"OEMDEVMODE", {{u"_SIZE", XprColumnKind::DWORD}, {u"_SIGNATURE", XprColumnKind::DWORD}});
    WritePrinterValue(kPrinter, u"OEMDEVMODE", empty.Build());
    EXPECT_EQ(Create(), E_FAIL);
    // A size field too small to take the record size.
    xprtest::BlockBuilder narrow;
    const int table =
        narrow.AddTable(u"OEMDEVMODE", {{u"_SIZE", XprColumnKind::WORD}, {u"_SIGNATURE", XprColumnKind::DWORD}});
    narrow.AddRow(table, u"DEFAULT");
    WritePrinterValue(kPrinter, u"OEMDEVMODE", narrow.Build());
    EXPECT_EQ(Create(), E_FAIL);
}

// --- Default records and GetValue ---------------------------------------------------------------

class DefaultRecords : public SettingsTest {
protected:
    DefaultRecords() : SettingsTest(PrinterValues{51, 3, 2, 1, 1}) {}
    template <class T>
    HRESULT Read(const DEVMODEW* devmode, LPCWSTR key, T* value, DWORD index) {
        return m_settings->GetValue(devmode, key, value, sizeof *value, index);
    }
};

TEST_F(DefaultRecords, CarryTheRecordSizesAndSignatureInMemoryOnly) {
    const std::vector<BYTE> stored = OemDevmodeBlock();
    DWORD value = 0;
    ASSERT_EQ(Read(nullptr, u"_SIZE", &value, 0), S_OK);
    EXPECT_EQ(value, kRecordSize);
    ASSERT_EQ(Read(nullptr, u"_SIGNATURE", &value, 0), S_OK);
    EXPECT_EQ(value, 0x33444B51u);  // "QKD3"
    ASSERT_EQ(Read(nullptr, u"_SIZE", &value, 1), S_OK);
    EXPECT_EQ(value, kPrinterRecordSize);
    ASSERT_EQ(Read(nullptr, u"_SIGNATURE", &value, 1), S_OK);
    EXPECT_EQ(value, 0x33444B51u);
    ASSERT_EQ(Read(nullptr, u"_PDLTYPE", &value, 1), S_OK);
    EXPECT_EQ(value, 51u);
    ASSERT_EQ(Read(nullptr, u"_DUPLEXTYPE", &value, 1), S_OK);
    EXPECT_EQ(value, 2u);
    // The printer data keeps the stored block as it was.
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &printer, nullptr));
    std::vector<BYTE> now(stored.size());
    DWORD needed = 0;
    EXPECT_EQ(GetPrinterDataW(printer, const_cast<LPWSTR>(u"OEMDEVMODE"), nullptr, now.data(),
                              static_cast<DWORD>(now.size()), &needed),
              static_cast<DWORD>(ERROR_SUCCESS));
    ClosePrinter(printer);
    EXPECT_EQ(now, stored);
}

TEST_F(DefaultRecords, GetValueRefusesWhatItCannotCopyWhole) {
    DWORD value = 0xABCD;
    EXPECT_EQ(Read(nullptr, u"_SIZE", &value, 2), E_FAIL);
    EXPECT_EQ(Read(nullptr, u"_NO_SUCH_KEY", &value, 0), E_FAIL);
    EXPECT_EQ(Read(nullptr, u"TAG", &value, 0), E_FAIL);  // the key column is no setting
    EXPECT_EQ(Read(nullptr, u"", &value, 0), E_FAIL);
    EXPECT_EQ(m_settings->GetValue(nullptr, nullptr, &value, sizeof value, 0), E_FAIL);
    EXPECT_EQ(m_settings->GetValue(nullptr, u"_SIZE", nullptr, 4, 0), E_FAIL);
    EXPECT_EQ(m_settings->GetValue(nullptr, u"_SIZE", &value, 3, 0), E_FAIL);  // buffer smaller than the setting
    EXPECT_EQ(value, 0xABCDu);
    Devmode devmode;
    EXPECT_EQ(Read(devmode.get(), u"_SIZE", &value, 1), E_FAIL);
    // A text setting whole.
    devmode.SetText(at::kWmkText, u"DRAFT");
    char16_t text[64] = {};
    ASSERT_EQ(m_settings->GetValue(devmode.get(), u"_WMK_TEXT", text, sizeof text, 0), S_OK);
    EXPECT_EQ(std::u16string(text), u"DRAFT");
    EXPECT_EQ(m_settings->GetValue(devmode.get(), u"_WMK_TEXT", text, sizeof text - 1, 0), E_FAIL);
    devmode.SetDword(at::kFirstPageSize, 0x12345678);
    ASSERT_EQ(Read(devmode.get(), u"_FIRSTPAGESIZE", &value, 0), S_OK);
    EXPECT_EQ(value, 0x12345678u);
}

// --- Getters ------------------------------------------------------------------------------------

class Getters : public SettingsTest {
protected:
    Getters() : SettingsTest(PrinterValues{50, 4, 3, 2, 1}) {}
    Devmode m_devmode;
};

TEST_F(Getters, AZeroBlockReadsAsDefaults) {
    DEVMODEW* devmode = m_devmode.get();
    BYTE b1 = 9, b2 = 9, b3 = 9, b4 = 9;
    WORD w1 = 9, w2 = 9;
    DWORD d = 9;
    ASSERT_EQ(m_settings->GetPageOrder(devmode, &b1), S_OK);
    EXPECT_EQ(b1, 0);
    ASSERT_EQ(m_settings->GetBooklet(devmode, &b1, &b2), S_OK);
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 0);
    ASSERT_EQ(m_settings->GetNup(devmode, &b1, &b2, &b3, &b4), S_OK);  // order 0: off
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 1);
    EXPECT_EQ(b3, 0);
    EXPECT_EQ(b4, 0);
    ASSERT_EQ(m_settings->GetScaling(devmode, &b1, &w1, &b2, &w2), S_OK);
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(w1, 0);
    EXPECT_EQ(b2, 0);
    EXPECT_EQ(w2, 100);
    ASSERT_EQ(m_settings->GetPDLType(devmode, &d), S_OK);
    EXPECT_EQ(d, 0u);
    ASSERT_EQ(m_settings->GetPoster(devmode, &b1, &b2), S_OK);
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 0);
    DWORD margin = 9;
    ASSERT_EQ(m_settings->GetBinding(devmode, &b1, &b2, &b3, &margin), S_OK);
    EXPECT_EQ(b1 | b2 | b3, 0);
    EXPECT_EQ(margin, 0u);
    char16_t text[64] = u"untouched";
    ASSERT_EQ(m_settings->GetDateTime(devmode, &b1, &b2, text, sizeof text, &b3), S_OK);
    EXPECT_EQ(b1 | b2 | b3, 0);
    EXPECT_EQ(std::u16string(text), u"");
}

// One byte setting and what the getter makes of each stored value.
struct ByteCase {
    BYTE stored;
    BYTE on;
    BYTE value;
};

TEST_F(Getters, BookletValuesGiveOnAndKind) {
    const ByteCase cases[] = {{0, 0, 0},   {1, 0, 0},   {2, 1, 1},   {3, 1, 2},   {4, 1, 1},   {7, 1, 2},
                              {8, 0, 0},   {9, 0, 0},   {10, 1, 1},  {11, 1, 2},  {15, 1, 2},  {16, 0, 0},
                              {17, 0, 0},  {18, 1, 1},  {19, 1, 2},  {20, 1, 1},  {21, 1, 2},  {22, 0, 0},
                              {127, 0, 0}, {128, 0, 0}, {255, 0, 0}};
    for (const auto& c : cases) {
        m_devmode.SetByte(at::kBooklet, c.stored);
        BYTE on = 9, kind = 9;
        ASSERT_EQ(m_settings->GetBooklet(m_devmode.get(), &on, &kind), S_OK);
        EXPECT_EQ(on, c.on) << int(c.stored);
        EXPECT_EQ(kind, c.value) << int(c.stored);
    }
}

TEST_F(Getters, PosterTilesAndCrop) {
    // tiles stored, crop stored, tiles read, crop read
    const BYTE cases[][4] = {{0, 1, 0, 0}, {1, 1, 0, 0}, {2, 1, 2, 1}, {2, 2, 2, 0}, {9, 0, 9, 0},
                             {9, 1, 9, 1}, {10, 1, 0, 0}, {128, 1, 0, 0}, {255, 1, 0, 0}};
    for (const auto& c : cases) {
        m_devmode.SetByte(at::kPoster, c[0]);
        m_devmode.SetByte(at::kPosterCrop, c[1]);
        BYTE tiles = 77, crop = 77;
        ASSERT_EQ(m_settings->GetPoster(m_devmode.get(), &tiles, &crop), S_OK);
        EXPECT_EQ(tiles, c[2]) << int(c[0]);
        EXPECT_EQ(crop, c[3]) << int(c[0]) << "/" << int(c[1]);
    }
}

struct NupCase {
    BYTE pages, border, order;      // stored
    BYTE on, outPages, outBorder, outOrder;
};

TEST_F(Getters, NupNeedsValidPagesBorderAndOrder) {
    const NupCase cases[] = {
        {0, 0, 1, 1, 1, 0, 1},  {1, 1, 2, 1, 2, 1, 2},  {2, 0, 3, 1, 4, 0, 3},   {3, 0, 4, 1, 6, 0, 4},
        {4, 1, 1, 1, 9, 1, 1},  {5, 0, 1, 1, 16, 0, 1}, {6, 0, 1, 0, 1, 0, 1},   {255, 0, 1, 0, 1, 0, 1},
        {2, 0, 0, 0, 4, 0, 0},  {2, 0, 5, 0, 4, 0, 5},  {2, 2, 3, 0, 4, 0, 0},   {2, 255, 3, 0, 4, 0, 0},
    };
    for (const auto& c : cases) {
        m_devmode.SetByte(at::kNupPages, c.pages);
        m_devmode.SetByte(at::kNupBorder, c.border);
        m_devmode.SetByte(at::kNupOrder, c.order);
        BYTE on = 9, pages = 9, border = 9, order = 9;
        ASSERT_EQ(m_settings->GetNup(m_devmode.get(), &on, &pages, &border, &order), S_OK);
        const std::string at = std::to_string(c.pages) + "/" + std::to_string(c.border) + "/" + std::to_string(c.order);
        EXPECT_EQ(on, c.on) << at;
        EXPECT_EQ(pages, c.outPages) << at;
        EXPECT_EQ(border, c.outBorder) << at;
        EXPECT_EQ(order, c.outOrder) << at;
    }
}

struct ScalingCase {
    BYTE enabled;
    WORD size;
    BYTE toFit;
    WORD factor;
    BYTE on, outToFit;
    WORD outSize, outFactor;
};

TEST_F(Getters, ScalingFactorFrom25To400) {
    const ScalingCase cases[] = {
        {1, 7, 1, 150, 1, 1, 7, 150}, {1, 7, 0, 25, 1, 0, 7, 25},     {1, 7, 0, 400, 1, 0, 7, 400},
        {1, 7, 0, 24, 0, 0, 7, 100},  {1, 7, 0, 401, 0, 0, 7, 100},   {0, 7, 1, 150, 0, 0, 0, 150},
        {0, 7, 0, 24, 0, 0, 0, 100},  {2, 7, 1, 150, 0, 0, 0, 150},   {1, 7, 2, 150, 0, 0, 7, 0},
        {1, 9, 0, 0xFFFF, 0, 0, 9, 100},
    };
    for (const auto& c : cases) {
        m_devmode.SetByte(at::kScaleEnabled, c.enabled);
        m_devmode.SetWord(at::kScaleSize, c.size);
        m_devmode.SetByte(at::kScaleToFit, c.toFit);
        m_devmode.SetWord(at::kScaleFactor, c.factor);
        BYTE on = 9, toFit = 9;
        WORD size = 9, factor = 9;
        ASSERT_EQ(m_settings->GetScaling(m_devmode.get(), &on, &size, &toFit, &factor), S_OK);
        const std::string at = std::to_string(c.enabled) + "/" + std::to_string(c.toFit) + "/" + std::to_string(c.factor);
        EXPECT_EQ(on, c.on) << at;
        EXPECT_EQ(size, c.outSize) << at;
        EXPECT_EQ(toFit, c.outToFit) << at;
        EXPECT_EQ(factor, c.outFactor) << at;
    }
}

TEST_F(Getters, ZeroOrOneSettings) {
    struct {
        DWORD offset;
        HRESULT (ISettings::*get)(const DEVMODEW*, BYTE*);
    } const settings[] = {
        {at::kPageOrder, &ISettings::GetPageOrder},
        {at::kGrxMode, &ISettings::GetGraphicsMode},
        {at::kRotated, &ISettings::GetRotated},
        {at::kGrayscale, &ISettings::GetGrayscale},
    };
    const BYTE stored[][2] = {{0, 0}, {1, 1}, {2, 0}, {128, 0}, {255, 0}};
    for (const auto& setting : settings) {
        for (const auto& s : stored) {
            m_devmode.SetByte(setting.offset, s[0]);
            BYTE value = 9;
            ASSERT_EQ(((*m_settings).*setting.get)(m_devmode.get(), &value), S_OK);
            EXPECT_EQ(value, s[1]) << "offset " << setting.offset << " stored " << int(s[0]);
        }
        m_devmode.SetByte(setting.offset, 0);
    }
}

TEST_F(Getters, PdlTypeOfTheJobOnlyWhenKnown) {
    const DWORD known[] = {0, 10, 11, 12, 19, 20, 21, 22, 23, 29, 30, 40, 41, 42, 49, 50, 51, 52, 59};
    for (DWORD value = 0; value <= 70; ++value) {
        m_devmode.SetDword(at::kPdlType, value);
        DWORD pdl = 99;
        ASSERT_EQ(m_settings->GetPDLType(m_devmode.get(), &pdl), S_OK);
        const bool isKnown = std::find(std::begin(known), std::end(known), value) != std::end(known);
        EXPECT_EQ(pdl, isKnown ? value : 0u) << value;
    }
    m_devmode.SetDword(at::kPdlType, 0x100 + 50);
    DWORD pdl = 99;
    ASSERT_EQ(m_settings->GetPDLType(m_devmode.get(), &pdl), S_OK);
    EXPECT_EQ(pdl, 0u);
}

TEST_F(Getters, PrinterWideValuesComeFromThePrinter) {
    DWORD deviceType = 0, collated = 0, duplex = 0;
    ASSERT_EQ(m_settings->GetDeviceType(m_devmode.get(), &deviceType), S_OK);
    ASSERT_EQ(m_settings->GetPaperCollatedCopies(m_devmode.get(), &collated), S_OK);
    ASSERT_EQ(m_settings->GetDuplexType(m_devmode.get(), &duplex), S_OK);
    EXPECT_EQ(deviceType, 4u);
    EXPECT_EQ(collated, 1u);
    EXPECT_EQ(duplex, 3u);
}

class OutOfRangePrinter : public SettingsTest {
protected:
    OutOfRangePrinter() : SettingsTest(PrinterValues{50, 5, 4, 7, 2}) {}
};

TEST_F(OutOfRangePrinter, FoldsPrinterWideValuesToZero) {
    Devmode devmode;
    DWORD deviceType = 9, collated = 9, duplex = 9;
    ASSERT_EQ(m_settings->GetDeviceType(devmode.get(), &deviceType), S_OK);
    ASSERT_EQ(m_settings->GetPaperCollatedCopies(devmode.get(), &collated), S_OK);
    ASSERT_EQ(m_settings->GetDuplexType(devmode.get(), &duplex), S_OK);
    EXPECT_EQ(deviceType, 0u);
    EXPECT_EQ(collated, 0u);
    EXPECT_EQ(duplex, 0u);
}

TEST_F(Getters, WatermarkWhenEnabled) {
    m_devmode.SetByte(at::kWmkEnabled, 1);
    m_devmode.SetByte(at::kWmkFirstPage, 1);
    m_devmode.SetText(at::kWmkText, u"CONFIDENTIAL");
    m_devmode.SetByte(at::kWmkAngle, 2);
    m_devmode.SetWord(at::kWmkDegree, 315);
    m_devmode.SetText(at::kWmkFont, u"Arial");
    m_devmode.SetDword(at::kWmkColor, 0x00112233);
    m_devmode.SetWord(at::kWmkShade, 40);
    m_devmode.SetWord(at::kWmkSize, 72);
    m_devmode.SetByte(at::kWmkStyle, 3);
    WatermarkSettings values{};
    char16_t text[64] = u"x";
    char16_t font[64] = u"x";
    ASSERT_EQ(m_settings->GetWatermark(m_devmode.get(), &values, text, sizeof text, font, sizeof font), S_OK);
    EXPECT_EQ(values.enabled, 1);
    EXPECT_EQ(values.firstPageOnly, 1);
    EXPECT_EQ(values.angle, 2);
    EXPECT_EQ(values.degree, 315);
    EXPECT_EQ(values.color, 0x00112233u);
    EXPECT_EQ(values.shade, 40);
    EXPECT_EQ(values.size, 72);
    EXPECT_EQ(values.style, 3);
    EXPECT_EQ(values.mode, 2);  // the printer's _WMKMODE
    EXPECT_EQ(std::u16string(text), u"CONFIDENTIAL");
    EXPECT_EQ(std::u16string(font), u"Arial");
    // A buffer smaller than the text gets the start of it, terminated.
    char16_t small[6] = u"xxxxx";
    ASSERT_EQ(m_settings->GetWatermark(m_devmode.get(), &values, small, sizeof small, nullptr, 0), S_OK);
    EXPECT_EQ(std::u16string(small), u"CONFI");
}

TEST_F(Getters, WatermarkTextWithoutItsNulIsCut) {
    m_devmode.SetByte(at::kWmkEnabled, 1);
    std::vector<BYTE> full(128);
    for (size_t i = 0; i < full.size(); i += 2) full[i] = 'A';
    m_devmode.Set(at::kWmkText, full);  // 64 characters, no NUL
    char16_t text[64];
    std::fill(std::begin(text), std::end(text), u'?');
    ASSERT_EQ(m_settings->GetWatermark(m_devmode.get(), nullptr, text, sizeof text, nullptr, 0), S_OK);
    EXPECT_EQ(std::u16string(text), std::u16string(63, u'A'));
    char16_t larger[80];
    std::fill(std::begin(larger), std::end(larger), u'?');
    ASSERT_EQ(m_settings->GetWatermark(m_devmode.get(), nullptr, larger, sizeof larger, nullptr, 0), S_OK);
    EXPECT_EQ(std::u16string(larger), std::u16string(64, u'A'));
}

TEST_F(Getters, WatermarkOffLeavesEverythingZero) {
    const BYTE cases[][2] = {{0, 0}, {2, 0}, {255, 0}, {1, 2}, {1, 255}};  // enabled, first page only
    for (const auto& c : cases) {
        m_devmode.SetByte(at::kWmkEnabled, c[0]);
        m_devmode.SetByte(at::kWmkFirstPage, c[1]);
        m_devmode.SetText(at::kWmkText, u"DRAFT");
        m_devmode.SetByte(at::kWmkAngle, 5);
        WatermarkSettings values;
        std::memset(&values, 0x77, sizeof values);
        char16_t text[8] = u"before";
        ASSERT_EQ(m_settings->GetWatermark(m_devmode.get(), &values, text, sizeof text, nullptr, 0), S_OK);
        EXPECT_EQ(values.enabled, 0) << int(c[0]) << "/" << int(c[1]);
        EXPECT_EQ(values.angle, 0);
        EXPECT_EQ(values.mode, 0);
        EXPECT_EQ(std::u16string(text), u"");
    }
}

TEST_F(Getters, BindingGivesOnlyWhatIsAskedFor) {
    m_devmode.SetByte(at::kBindingEnabled, 1);
    m_devmode.SetByte(at::kBindingDirect, 255);
    m_devmode.SetByte(at::kBindingShift, 2);
    m_devmode.SetDword(at::kBindingMargin, 1500);
    BYTE enabled = 9, direct = 9, shift = 9;
    DWORD margin = 9;
    ASSERT_EQ(m_settings->GetBinding(m_devmode.get(), &enabled, &direct, &shift, &margin), S_OK);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(direct, 255);
    EXPECT_EQ(shift, 0);
    EXPECT_EQ(margin, 1500u);
    m_devmode.SetByte(at::kBindingEnabled, 3);
    ASSERT_EQ(m_settings->GetBinding(m_devmode.get(), &enabled, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(enabled, 0);
}

// --- A layout without the job-accounting fields -------------------------------------------------

class MinimalLayout : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        xprtest::BlockBuilder builder;
        const int table = builder.AddTable(u"OEMDEVMODE", {{u"_SIZE", XprColumnKind::DWORD},
                                                           {u"_SIGNATURE", XprColumnKind::DWORD},
                                                           {u"_PAGEORDER", XprColumnKind::BYTE},
                                                           {u"_RESERVE", XprColumnKind::BYTE, 3}});
        builder.AddRow(table, u"DEFAULT");
        WritePrinterValue(kPrinter, u"OEMDEVMODE", builder.Build());
        WritePrinterValue(kPrinter, u"PRINTERSETTINGS", PrinterSettingsBlock({}));
        m_settings = OpenSettings();
        ASSERT_NE(m_settings, nullptr);
    }
    palvex::TestMachine m_machine;
    SettingsPtr m_settings;
};

TEST_F(MinimalLayout, MissingSettingsReadAsZeroAndCannotBeWritten) {
    // A 12-byte block right behind a 16-byte universal part.
    std::vector<BYTE> bytes(220 + 16 + 12, 0);
    DEVMODEW* devmode = reinterpret_cast<DEVMODEW*>(bytes.data());
    devmode->dmSize = 220;
    devmode->dmDriverExtra = 16 + 12;
    bytes[220 + 8] = 16;
    const BYTE block[] = {12, 0, 0, 0, 'Q', 'K', 'D', '3', 1, 0, 0, 0};
    std::memcpy(bytes.data() + 236, block, sizeof block);
    ASSERT_EQ(m_settings->Validate(devmode), S_OK);
    BYTE order = 0, on = 9, kind = 9;
    ASSERT_EQ(m_settings->GetPageOrder(devmode, &order), S_OK);
    EXPECT_EQ(order, 1);
    ASSERT_EQ(m_settings->GetBooklet(devmode, &on, &kind), S_OK);
    EXPECT_EQ(on, 0);
    const std::vector<BYTE> before = bytes;
    EXPECT_EQ(m_settings->SetDocPageCount(devmode, 3), E_FAIL);
    const RECT rect{1, 2, 3, 4};
    EXPECT_EQ(m_settings->SetBindingAdjustRect(devmode, &rect), E_FAIL);
    EXPECT_EQ(bytes, before);
}

// --- Setters ------------------------------------------------------------------------------------

TEST_F(Getters, SettersWriteTheirFieldsInPlace) {
    std::vector<BYTE> expected = m_devmode.bytes();
    const auto put = [&](DWORD offset, const std::vector<BYTE>& bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + m_devmode.blockAt() + offset);
    };
    m_devmode.SetDword(at::kDocPageCount, 0xFFFFFFFF);  // overwritten whole
    ASSERT_EQ(m_settings->SetDocPageCount(m_devmode.get(), 12), S_OK);
    put(at::kDocPageCount, {12, 0, 0, 0});
    ASSERT_EQ(m_settings->SetNupPageOrient(m_devmode.get(), 0xA), S_OK);
    put(at::kNupPageOrient, {0x0A, 0, 0, 0});
    ASSERT_EQ(m_settings->SetFirstPageSize(m_devmode.get(), 9), S_OK);
    put(at::kFirstPageSize, {9, 0, 0, 0});
    const RECT rect{-1, 0x0102, 0x7FFFFFFF, 300};
    ASSERT_EQ(m_settings->SetBindingAdjustRect(m_devmode.get(), &rect), S_OK);
    put(at::kBindingAdjustRect, {0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x2C, 0x01, 0, 0});
    EXPECT_EQ(m_devmode.bytes(), expected);
    EXPECT_EQ(m_settings->SetBindingAdjustRect(m_devmode.get(), nullptr), E_FAIL);
    EXPECT_EQ(m_devmode.bytes(), expected);
    DWORD count = 0;
    ASSERT_EQ(m_settings->GetValue(m_devmode.get(), u"_ACC_DOCPAGECOUNT", &count, sizeof count, 0), S_OK);
    EXPECT_EQ(count, 12u);
    EXPECT_EQ(m_devmode.Get(at::kDocPageCount, 4), DwordBytes(12));
}

TEST_F(Getters, SettersWriteOnlyInsideTheDevmode) {
    // The block is the DEVMODE's last bytes: the rect's 16 bytes end exactly at its end.
    Devmode devmode(220, 16, false, 16 + kRecordSize);
    std::vector<BYTE>& bytes = devmode.bytes();
    const size_t end = 220 + 16 + kRecordSize;
    std::fill(bytes.begin() + end, bytes.end(), 0xEE);
    const RECT rect{1, 2, 3, 4};
    ASSERT_EQ(m_settings->SetBindingAdjustRect(devmode.get(), &rect), S_OK);
    EXPECT_TRUE(std::all_of(bytes.begin() + end, bytes.end(), [](BYTE b) { return b == 0xEE; }));
}

}  // namespace
}  // namespace pptest
