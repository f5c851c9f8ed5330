// The PCL XL writer's primitives byte for byte, and how a failed write reaches the caller.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "oem_pdev.h"
#include "pclxl_writer.h"
#include "spool_capture.h"

namespace {

using rendertest::SpoolCapture;

class PclXlWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pdev.m_helper = &m_spool;
        m_pdev.m_pdevobj = &m_devobj;
    }
    std::string Bytes(const std::function<HRESULT(OemPdev*)>& write, HRESULT expected = S_OK) {
        m_spool.Clear();
        EXPECT_EQ(write(&m_pdev), expected);
        return m_spool.m_bytes;
    }

    SpoolCapture m_spool;
    DEVOBJ m_devobj{};
    OemPdev m_pdev;
};

std::string B(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST_F(PclXlWriterTest, PrimitivesAreLittleEndianWithTheirTags) {
    const BYTE three[] = {0x41, 0x00, 0xFF};
    const SHORT values[] = {1, -2, 0x1234};
    struct Case {
        const char* what;
        std::function<HRESULT(OemPdev*)> write;
        std::string bytes;
    };
    const Case cases[] = {
        {"byte", [](OemPdev* p) { return WriteXLByte(p, 0x64); }, B({0x64})},
        {"bytes", [](OemPdev* p) { return WriteXLBytes(p, {0xC0, 0x02, 0xF8, 0x03}); }, B({0xC0, 0x02, 0xF8, 0x03})},
        {"attr", [](OemPdev* p) { return WriteXLAttr(p, xl::kCharAngle); }, B({0xF8, 0xA1})},
        {"attr first", [](OemPdev* p) { return WriteXLAttr(p, 0x01); }, B({0xF8, 0x01})},
        {"attr last", [](OemPdev* p) { return WriteXLAttr(p, 0xB1); }, B({0xF8, 0xB1})},
        {"ubyte array 0", [](OemPdev* p) { return WriteXLUByteArray(p, nullptr, 0); }, B({0xC8, 0xC1, 0x00, 0x00})},
        {"ubyte array 3", [&](OemPdev* p) { return WriteXLUByteArray(p, three, 3); },
         B({0xC8, 0xC1, 0x03, 0x00, 0x41, 0x00, 0xFF})},
        {"uint16", [](OemPdev* p) { return WriteXLUInt16(p, 0x1234); }, B({0xC1, 0x34, 0x12})},
        {"value32", [](OemPdev* p) { return WriteXLValue32(p, 0x12345678); }, B({0x78, 0x56, 0x34, 0x12})},
        {"real32 1.0", [](OemPdev* p) { return WriteXLReal32(p, 1.0f); }, B({0x00, 0x00, 0x80, 0x3F})},
        {"real32 -2.5", [](OemPdev* p) { return WriteXLReal32(p, -2.5f); }, B({0x00, 0x00, 0x20, 0xC0})},
        {"box", [](OemPdev* p) { return WriteXLSInt16Box(p, -1, 2, 300, -300); },
         B({0xE3, 0xFF, 0xFF, 0x02, 0x00, 0x2C, 0x01, 0xD4, 0xFE})},
        {"sint16 xy", [](OemPdev* p) { return WriteXLSInt16XY(p, -1, 2); }, B({0xD3, 0xFF, 0xFF, 0x02, 0x00})},
        {"uint16 xy", [](OemPdev* p) { return WriteXLUInt16XY(p, 16, 16); }, B({0xD1, 0x10, 0x00, 0x10, 0x00})},
        {"sint16 array", [&](OemPdev* p) { return WriteXLSInt16Array(p, values, 3); },
         B({0xCB, 0xC1, 0x03, 0x00, 0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12})},
        {"spool", [](OemPdev* p) { return WriteSpool(p, "\x1b*c5D", 5); }, "\x1b*c5D"},
    };
    for (const Case& c : cases) EXPECT_EQ(Bytes(c.write), c.bytes) << c.what;
}

TEST_F(PclXlWriterTest, AnAttributeListIsValueThenTagThenOperator) {
    // SetCharAngle 30.
    const std::string bytes = Bytes([](OemPdev* p) {
        HRESULT result = WriteXLByte(p, xl::kSInt16);
        if (SUCCEEDED(result)) result = WriteXLBytes(p, {0x1E, 0x00});
        if (SUCCEEDED(result)) result = WriteXLAttr(p, xl::kCharAngle);
        if (SUCCEEDED(result)) result = WriteXLByte(p, xl::kSetCharAngle);
        return result;
    });
    EXPECT_EQ(bytes, B({0xC3, 0x1E, 0x00, 0xF8, 0xA1, 0x64}));
}

TEST_F(PclXlWriterTest, UndefinedAttributesWriteNothing) {
    for (WORD id : {0x00, 0x1D, 0x2E, 0x6A, 0xAE, 0xB2, 0xFF, 0x100, 0x1A1})
        EXPECT_EQ(Bytes([id](OemPdev* p) { return WriteXLAttr(p, id); }), "") << id;
    // Every defined identifier, counted: 28 + 13 + 8 + 20 + 9 + 9 + 2 + 1 + 5 + 1 + 29 + 3.
    int defined = 0;
    for (WORD id = 0; id < 256; ++id) defined += IsDefinedXLAttr(id);
    EXPECT_EQ(defined, 128);
}

TEST_F(PclXlWriterTest, ArraysThatTheirCountCannotDescribeWriteNothing) {
    const std::string big(0x10000, 'x');
    EXPECT_EQ(Bytes([&](OemPdev* p) { return WriteXLUByteArray(p, reinterpret_cast<const BYTE*>(big.data()), big.size()); },
                    E_INVALIDARG),
              "");
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteXLUByteArray(p, nullptr, 2); }, E_INVALIDARG), "");
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteXLSInt16Array(p, nullptr, 1); }, E_INVALIDARG), "");
    // The largest count still goes.
    EXPECT_EQ(Bytes([&](OemPdev* p) { return WriteXLUByteArray(p, reinterpret_cast<const BYTE*>(big.data()), 0xFFFF); })
                  .substr(0, 4),
              B({0xC8, 0xC1, 0xFF, 0xFF}));
}

TEST_F(PclXlWriterTest, WriteSpoolEdges) {
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteSpool(p, "abc", 0); }), "");
    EXPECT_EQ(m_spool.m_calls, 0u);
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteSpool(p, nullptr, 3); }, E_FAIL), "");
    m_pdev.m_helper = nullptr;
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteSpool(p, "abc", 3); }, E_FAIL), "");
}

TEST_F(PclXlWriterTest, AFailedOrShortDriverWriteIsReported) {
    m_spool.m_failFromCall = 0;
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteXLUInt16(p, 7); }, E_FAIL), "");
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteXLAttr(p, xl::kPoint); }, E_FAIL), "");
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteSpool(p, "abc", 3); }, E_FAIL), "");
    m_spool.m_failFromCall = ~0u;
    m_spool.m_shortFromCall = 0;
    EXPECT_EQ(Bytes([](OemPdev* p) { return WriteXLValue32(p, 1); }, E_FAIL), B({0x01, 0x00, 0x00}));
}

}  // namespace
