#include "demo_block.h"

#include <cstring>
#include <initializer_list>
#include <string>

namespace xprtest {

namespace {

struct Patch {
    DWORD at;
    std::vector<BYTE> bytes;
};

std::vector<BYTE> U16(uint16_t v) {
    return {BYTE(v), BYTE(v >> 8)};
}
std::vector<BYTE> U32(uint32_t v) {
    return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}
std::vector<BYTE> U64(uint64_t v) {
    std::vector<BYTE> bytes;
    for (int i = 0; i < 8; ++i) bytes.push_back(BYTE(v >> (8 * i)));
    return bytes;
}
// ASCII text as UTF-16 with its NUL.
std::vector<BYTE> Text(const char* text) {
    std::vector<BYTE> bytes;
    for (const char* c = text;; ++c) {
        bytes.push_back(BYTE(*c));
        bytes.push_back(0);
        if (!*c) break;
    }
    return bytes;
}

}  // namespace

std::vector<BYTE> DemoBlockBytes() {
    const std::vector<BYTE> kQKD3 = {0x51, 0x4B, 0x44, 0x33};
    const std::vector<BYTE> k592 = {0x50, 0x02, 0x00, 0x00};
    const Patch patches[] = {
        // DEMO header.
        {0, kQKD3}, {4, k592}, {24, Text("DEMO")}, {120, U64(592)}, {128, U32(32)}, {132, U16(2)},
        {136, U64(160)}, {144, U16(4)}, {146, U16(0)}, {148, U16(2)}, {150, U16(0xFFFF)}, {152, U16(0xFFFF)},
        // DEMO columns, 108 bytes each.
        {160, Text("TAG")}, {256, U32(0)}, {260, U32(100)}, {264, U16(8)}, {266, U16(1)},
        {268, Text("_LEVEL")}, {364, U32(8)}, {368, U32(5)}, {372, U16(4)}, {374, U16(1)},
        {376, Text("_SUB")}, {472, U32(12)}, {476, U32(200)}, {480, U16(12)}, {482, U16(1)},
        {484, Text("_DYN")}, {580, U32(24)}, {584, U32(201)}, {588, U16(8)}, {590, U16(1)},
        // DEMO rows, 32 bytes each.
        {592, U64(1096)}, {600, U32(7)}, {604, U64(656)}, {612, U16(0)}, {614, U16(2)}, {616, U64(1062)},
        {624, U64(1100)}, {632, U32(9)}, {636, U64(656)}, {644, U16(2)}, {646, U16(3)}, {648, U64(0)},
        // ITEM header.
        {656, kQKD3}, {660, k592}, {680, Text("ITEM")}, {776, U64(1032)}, {784, U32(10)}, {788, U16(3)},
        {792, U64(816)}, {800, U16(2)}, {802, U16(0)}, {804, U16(3)}, {806, U16(0xFFFF)}, {808, U16(0xFFFF)},
        // ITEM columns.
        {816, Text("TAG")}, {912, U32(0)}, {916, U32(100)}, {920, U16(8)}, {922, U16(1)},
        {924, Text("_N")}, {1020, U32(8)}, {1024, U32(3)}, {1028, U16(2)}, {1030, U16(1)},
        // ITEM rows, 10 bytes each.
        {1032, U64(1104)}, {1040, U16(1)}, {1042, U64(1108)}, {1050, U16(2)}, {1052, U64(1112)}, {1060, U16(3)},
        // The value record, its text and its data.
        {1062, U64(1086)}, {1070, U64(1092)}, {1078, U32(5)}, {1082, U16(4)}, {1084, U16(1)},
        {1086, {0x48, 0x00, 0x69, 0x00, 0x00, 0x00}},
        {1092, {0x44, 0x33, 0x22, 0x11}},
        // The pool.
        {1096, {0x41, 0, 0, 0}}, {1100, {0x42, 0, 0, 0}}, {1104, {0x78, 0, 0, 0}}, {1108, {0x79, 0, 0, 0}},
        {1112, {0x7A, 0, 0, 0}},
    };
    std::vector<BYTE> block(kDemoSize, 0);
    for (const Patch& patch : patches) std::memcpy(block.data() + patch.at, patch.bytes.data(), patch.bytes.size());
    return block;
}

BlockBuilder DemoBuilder() {
    BlockBuilder b;
    const int demo = b.AddTable(u"DEMO", {{u"_LEVEL", XprColumnKind::DWORD},
                                          {u"_SUB", XprColumnKind::XPDSTRUCT},
                                          {u"_DYN", XprColumnKind::DYNAMIC}});
    const int item = b.AddTable(u"ITEM", {{u"_N", XprColumnKind::WORD}});
    b.SetNested(demo, u"_SUB", item);
    b.AddRow(demo, u"A");
    b.SetDword(demo, 0, u"_LEVEL", 7);
    b.SetSlice(demo, 0, u"_SUB", 0, 2);
    b.SetRecord(demo, 0, u"_DYN", u"Hi", XprColumnKind::DWORD, 4, 1, {0x44, 0x33, 0x22, 0x11});
    b.AddRow(demo, u"B");
    b.SetDword(demo, 1, u"_LEVEL", 9);
    b.SetSlice(demo, 1, u"_SUB", 2, 3);
    const char16_t* keys[] = {u"x", u"y", u"z"};
    for (int i = 0; i < 3; ++i) {
        b.AddRow(item, keys[i]);
        b.SetBytes(item, i, u"_N", {BYTE(i + 1), 0});
    }
    return b;
}

}  // namespace xprtest
