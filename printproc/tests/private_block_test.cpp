// Where the private block lies in a DEVMODE, and which DEVMODEs hold a valid one.
#include <gtest/gtest.h>

#include <cstring>

#include "private_devmode.h"
#include "settings_reader.h"

namespace pptest {
namespace {

struct LocationCase {
    DWORD pdlType;
    WORD dmSize;
    WORD driverExtra;
    WORD sizeAt8;    // the universal driver's size as stored at byte 8 of the driver-extra part
    WORD sizeAt114;  // and at byte 114
    DWORD expected;  // the block's offset from the DEVMODE's start
};

TEST(PrivateBlockLocation, FollowsTheUniversalDriversPartByPdlFamily) {
    const LocationCase cases[] = {
        // Other PDL types: the size at byte 8 once the driver-extra part has more than 10 bytes.
        {50, 220, 10, 16, 0, 220},
        {50, 220, 11, 16, 0, 236},
        {50, 220, 600, 16, 300, 236},
        {0, 220, 600, 40, 300, 260},
        {19, 220, 600, 40, 300, 260},
        {30, 156, 600, 24, 300, 180},
        {40, 220, 600, 0, 300, 220},
        {59, 220, 600, 1000, 300, 1220},  // past the DEVMODE: the reader refuses it, the rule does not care
        // PostScript (20 to 29): the size at byte 114 once the part has 117 bytes or more.
        {20, 220, 116, 16, 300, 220},
        {25, 220, 116, 16, 300, 220},
        {25, 220, 117, 16, 300, 520},
        {29, 220, 600, 16, 300, 520},
        {23, 188, 600, 16, 118, 306},
    };
    for (const auto& c : cases) {
        std::vector<BYTE> bytes(c.dmSize + 1200, 0xEE);
        DEVMODEW* devmode = reinterpret_cast<DEVMODEW*>(bytes.data());
        devmode->dmSize = c.dmSize;
        devmode->dmDriverExtra = c.driverExtra;
        std::memcpy(bytes.data() + c.dmSize + 8, &c.sizeAt8, 2);
        std::memcpy(bytes.data() + c.dmSize + 114, &c.sizeAt114, 2);
        EXPECT_EQ(PrivateBlockOffset(devmode, c.pdlType), c.expected)
            << "pdl " << c.pdlType << " extra " << c.driverExtra;
    }
}

class ValidDevmode : public SettingsTest {};

TEST_F(ValidDevmode, AcceptsAWholeBlockWithSizeAndSignature) {
    Devmode devmode;
    EXPECT_EQ(m_settings->Validate(devmode.get()), S_OK);
    EXPECT_EQ(m_settings->Validate(nullptr), E_POINTER);
    // The smallest DEVMODE that holds the block exactly.
    Devmode exact(220, 16, false, 16 + kRecordSize);
    EXPECT_EQ(m_settings->Validate(exact.get()), S_OK);
    // No universal-driver part: the block right at dmSize.
    Devmode bare(220, 0, false, kRecordSize);
    EXPECT_EQ(m_settings->Validate(bare.get()), S_OK);
}

struct BadDevmodeCase {
    const char* what;
    WORD dmSize;
    WORD universalPart;
    WORD driverExtra;
    DWORD storedSize;
    DWORD storedSignature;
};

TEST_F(ValidDevmode, RefusesDevmodesThatDoNotHoldAValidBlock) {
    const BadDevmodeCase cases[] = {
        {"public part shorter than its own size fields", 60, 16, 16 + kRecordSize, kRecordSize, XPR_SIGNATURE},
        {"driver-extra part of 10 bytes", 220, 0, 10, kRecordSize, XPR_SIGNATURE},
        {"no driver-extra part", 220, 0, 0, kRecordSize, XPR_SIGNATURE},
        {"block one byte short", 220, 16, 16 + kRecordSize - 1, kRecordSize, XPR_SIGNATURE},
        {"only the size inside", 220, 16, 16 + 8, kRecordSize, XPR_SIGNATURE},
        {"block starts past the DEVMODE", 220, 600, 300, kRecordSize, XPR_SIGNATURE},
        {"block starts at the DEVMODE's end", 220, 300, 300, kRecordSize, XPR_SIGNATURE},
        {"size of another layout", 220, 16, 16 + kRecordSize, kRecordSize - 1, XPR_SIGNATURE},
        {"size of a larger layout", 220, 16, 16 + kRecordSize + 8, kRecordSize + 8, XPR_SIGNATURE},
        {"wrong signature", 220, 16, 16 + kRecordSize, kRecordSize, 0x32444B51},  // "QKD2"
        {"signature bytes reversed", 220, 16, 16 + kRecordSize, kRecordSize, 0x514B4433},
    };
    for (const auto& c : cases) {
        Devmode devmode(c.dmSize, c.universalPart, false, c.driverExtra);
        devmode.SetDword(at::kSize, c.storedSize);
        devmode.SetDword(at::kSignature, c.storedSignature);
        devmode.SetByte(at::kPageOrder, 1);
        EXPECT_EQ(m_settings->Validate(devmode.get()), E_FAIL) << c.what;
        // A getter or setter on it changes nothing.
        BYTE order = 0x5A;
        EXPECT_EQ(m_settings->GetPageOrder(devmode.get(), &order), E_FAIL) << c.what;
        EXPECT_EQ(order, 0x5A) << c.what;
        const std::vector<BYTE> before = devmode.bytes();
        EXPECT_EQ(m_settings->SetDocPageCount(devmode.get(), 7), E_FAIL) << c.what;
        EXPECT_EQ(devmode.bytes(), before) << c.what;
    }
}

TEST_F(ValidDevmode, ABlockFoundBehindAWrongUniversalSizeIsRefused) {
    Devmode devmode;
    const WORD misplaced = 18;  // two bytes too far: size and signature do not line up
    std::memcpy(devmode.bytes().data() + 220 + 8, &misplaced, 2);
    EXPECT_EQ(m_settings->Validate(devmode.get()), E_FAIL);
}

class PostScriptPrinter : public SettingsTest {
protected:
    PostScriptPrinter() : SettingsTest(PrinterValues{22, 1, 0, 0, 0}) {}
};

TEST_F(PostScriptPrinter, FindsTheBlockBehindTheSizeAtByte114) {
    Devmode devmode(220, 300, true, 300 + kRecordSize);
    devmode.SetByte(at::kPageOrder, 1);
    ASSERT_EQ(m_settings->Validate(devmode.get()), S_OK);
    BYTE order = 0;
    ASSERT_EQ(m_settings->GetPageOrder(devmode.get(), &order), S_OK);
    EXPECT_EQ(order, 1);
    // The same DEVMODE read with the other family's rule would look at byte 8 (zero here).
    Devmode other(220, 300, false, 300 + kRecordSize);
    EXPECT_EQ(m_settings->Validate(other.get()), E_FAIL);
}

TEST_F(PostScriptPrinter, APartOf116BytesHasNoUniversalSize) {
    // 116 bytes of driver extra cannot hold a whole block, whatever the rule finds.
    Devmode devmode(220, 0, true, 116);
    EXPECT_EQ(m_settings->Validate(devmode.get()), E_FAIL);
    Devmode whole(220, 0, true, kRecordSize);
    EXPECT_EQ(m_settings->Validate(whole.get()), S_OK);
}

class UnknownPdlPrinter : public SettingsTest {
protected:
    UnknownPdlPrinter() : SettingsTest(PrinterValues{25, 1, 0, 0, 0}) {}
};

TEST_F(UnknownPdlPrinter, TakesAnUnknownPdlTypeAsUndefined) {
    // 25 is not a PDL type the kit knows: it counts as 0, so the size at byte 8 is used.
    Devmode devmode(220, 16, false, 16 + kRecordSize);
    EXPECT_EQ(m_settings->Validate(devmode.get()), S_OK);
    DWORD pdl = 99;
    ASSERT_EQ(m_settings->GetValue(nullptr, u"_PDLTYPE", &pdl, sizeof pdl, 1), S_OK);
    EXPECT_EQ(pdl, 25u);
}

}  // namespace
}  // namespace pptest
