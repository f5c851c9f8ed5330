// The PCL 5 TrueType soft font: a format 16 descriptor with its segments, and format 15 class 15
// characters, each command a text of its own.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "font_download_internal.h"
#include "oem_pdev.h"
#include "pclxl_writer.h"

namespace {

HRESULT WriteCommand(OemPdev* pdev, const char* format, long value) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, format, value);
    if (length <= 0 || length >= static_cast<int>(sizeof text)) return E_FAIL;
    return WriteSpool(pdev, text, static_cast<DWORD>(length));
}

void PutSegment(std::vector<BYTE>& out, char a, char b, std::initializer_list<BYTE> data) {
    out.push_back(static_cast<BYTE>(a));
    out.push_back(static_cast<BYTE>(b));
    PutU32(out, static_cast<DWORD>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

SHORT Signed(std::span<const BYTE> table, size_t at) {
    WORD value = 0;
    ReadU16(table, at, &value);
    return static_cast<SHORT>(value);
}

BYTE StrokeWeight(LONG weight) {
    switch (weight) {
    case 100: return 251;
    case 200: return 252;
    case 300: return 253;
    case 600: return 1;
    case 700: return 3;
    case 800: return 4;
    case 900: return 5;
    default: return 0;
    }
}

HRESULT PCLHeader(OemPdev* pdev, FontCacheEntry& entry, FontSource& source, const FontFacts&) {
    struct Table {
        DWORD tag;
        bool required;
        std::vector<BYTE> data;
        bool present = false;
    };
    // The GT directory's order.
    std::array<Table, 9> tables = {{{FontTag("head"), true, {}},
                                    {FontTag("hhea"), true, {}},
                                    {FontTag("maxp"), true, {}},
                                    {FontTag("hmtx"), true, {}},
                                    {FontTag("fpgm"), false, {}},
                                    {FontTag("prep"), false, {}},
                                    {FontTag("cvt "), false, {}},
                                    {FontTag("vmtx"), false, {}},
                                    {FontTag("vhea"), false, {}}}};
    for (Table& table : tables) {
        table.present = table.required || TableListed(entry, table.tag);
        if (table.present && (!ReadFontTable(source, table.tag, &table.data) || (table.required && table.data.empty())))
            return E_FAIL;
    }
    std::vector<BYTE> os2, pclt;
    if (TableListed(entry, FontTag("OS/2")) && !ReadFontTable(source, FontTag("OS/2"), &os2)) return E_FAIL;
    if (TableListed(entry, FontTag("PCLT")) && !ReadFontTable(source, FontTag("PCLT"), &pclt)) return E_FAIL;
    const std::span<const BYTE> head(tables[0].data);

    WORD pitch = 0, xHeight = 0, capHeight = 0;
    if (pclt.size() >= 18) {
        ReadU16(pclt, 8, &pitch);
        ReadU16(pclt, 10, &xHeight);
        ReadU16(pclt, 16, &capHeight);
    } else {
        GlyphTables glyphTables;
        glyphTables.hhea = tables[1].data;
        glyphTables.hmtx = tables[3].data;
        if (!ReadFontTable(source, FontTag("cmap"), &glyphTables.cmap)) glyphTables.cmap.clear();
        GetSpaceAdvance(glyphTables, &pitch);
    }
    WORD unitsPerEm = 0;
    ReadU16(head, 18, &unitsPerEm);

    std::vector<BYTE> font;
    PutU16(font, 72);
    font.insert(font.end(), {16, 3, 3, 0});
    PutU16(font, 0);  // baseline
    PutU16(font, static_cast<WORD>(Signed(head, 40) - Signed(head, 36)));
    PutU16(font, static_cast<WORD>(Signed(head, 42) - Signed(head, 38)));
    font.insert(font.end(), {0, 1, 0x02, 0x01});  // orientation, proportional, symbol set
    PutU16(font, pitch);
    PutU16(font, 0);  // height
    PutU16(font, xHeight);
    font.insert(font.end(), {0, 224, StrokeWeight(entry.m_logFont.lfWeight), 64, 0, 0, 0, 0, 0, 0});
    PutU16(font, unitsPerEm);  // text height
    PutU16(font, pitch);       // text width
    PutU16(font, 0);           // first code
    PutU16(font, 0xFFFF);      // last code
    PutU16(font, 0);           // pitch and height extended
    PutU16(font, capHeight);
    PutU32(font, 0);  // font number
    char name[16] = {};
    std::memcpy(name, entry.m_fontName.data(), std::min<size_t>(entry.m_fontName.size(), sizeof name));
    font.insert(font.end(), name, name + sizeof name);
    PutU16(font, unitsPerEm);  // scale factor
    PutU32(font, 0);           // master underline position and thickness
    font.insert(font.end(), {1, 0});
    if (font.size() != 72) return E_FAIL;

    PutSegment(font, 'C', 'E', {0x00, 0x00, 0x00, 0x02, 0xFF, 0xFF, 0x00, 0x00});
    PutSegment(font, 'C', 'C', {0x00, 0x00, 0xFF, 0xFE, 0x00, 0x00, 0xFF, 0xFE});
    PutSegment(font, 'G', 'C', {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xFE, 0xFF, 0xFF});
    if (!os2.empty()) {
        if (os2.size() < 42) return E_FAIL;
        font.insert(font.end(), {'P', 'A'});
        PutU32(font, 10);
        font.insert(font.end(), os2.begin() + 32, os2.begin() + 42);
    }

    WORD count = 1;  // gdir
    for (const Table& table : tables) count += table.present;
    DWORD segmentSize = 12 + 16 * DWORD{count};
    for (const Table& table : tables)
        if (table.present) segmentSize += PaddedTableSize(static_cast<DWORD>(table.data.size()));
    font.insert(font.end(), {'G', 'T'});
    PutU32(font, segmentSize);
    const std::vector<BYTE> offsetTable = SfntOffsetTable(count);
    font.insert(font.end(), offsetTable.begin(), offsetTable.end());
    font.insert(font.end(), {'g', 'd', 'i', 'r'});
    font.insert(font.end(), 12, 0);
    DWORD offset = 12 + 16 * DWORD{count};
    for (Table& table : tables) {
        if (!table.present) continue;
        const DWORD length = static_cast<DWORD>(table.data.size());
        table.data.resize(PaddedTableSize(length), 0);
        for (int shift = 0; shift < 32; shift += 8) font.push_back(static_cast<BYTE>(table.tag >> shift));
        PutU32(font, TableChecksum(table.data));
        PutU32(font, offset);
        PutU32(font, length);
        offset += PaddedTableSize(length);
    }
    for (const Table& table : tables)
        if (table.present) font.insert(font.end(), table.data.begin(), table.data.end());
    font.insert(font.end(), {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00});
    font.push_back(0);  // reserved
    BYTE sum = 0;
    for (size_t i = 64; i < font.size(); ++i) sum = static_cast<BYTE>(sum + font[i]);
    font.push_back(static_cast<BYTE>(-sum));

    if (font.size() > 0x7FFFFFFF) return E_FAIL;
    HRESULT result = WriteSpool(pdev, "\x1b%0A", 4);
    if (SUCCEEDED(result)) result = WriteCommand(pdev, "\x1b*c%ldD", static_cast<long>(entry.m_fontId));
    if (SUCCEEDED(result)) result = WriteCommand(pdev, "\x1b)s%ldW", static_cast<long>(font.size()));
    if (SUCCEEDED(result)) result = WriteSpool(pdev, font.data(), static_cast<DWORD>(font.size()));
    return result;
}

HRESULT DownloadPCLGlyph(OemPdev* pdev, const FontCacheEntry& entry, WORD code, WORD glyph, const GlyphMetrics&,
                 const std::vector<BYTE>& data) {
    HRESULT result = S_OK;
    if (code != 0xFFFF) result = WriteCommand(pdev, "\x1b*c%ldD", static_cast<long>(entry.m_fontId));
    if (SUCCEEDED(result)) result = WriteCommand(pdev, "\x1b*c%ldE", static_cast<long>(code));
    if (SUCCEEDED(result)) result = WriteCommand(pdev, "\x1b(s%ldW", static_cast<long>(data.size() + 10));
    std::vector<BYTE> character = {15, 0, 2, 15};
    PutU16(character, static_cast<WORD>(data.size() + 4));
    PutU16(character, glyph);
    character.insert(character.end(), data.begin(), data.end());
    BYTE sum = 0;
    for (size_t i = 4; i < character.size(); ++i) sum = static_cast<BYTE>(sum + character[i]);
    character.push_back(0);
    character.push_back(static_cast<BYTE>(-sum));
    if (SUCCEEDED(result)) result = WriteSpool(pdev, character.data(), static_cast<DWORD>(character.size()));
    return result;
}

}  // namespace

const DownloadFormat kPCLFormat = {&PCLHeader, nullptr, &DownloadPCLGlyph, nullptr};
