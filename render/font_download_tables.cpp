// The TrueType table readers of the font download, bounded by the bytes they hold.
#include "font_download_tables.h"

#include <win/wingdi_fontdata.h>

namespace {

constexpr DWORD kMaxTables = 1024;  // more than any real font lists

std::span<const BYTE> Span(const std::vector<BYTE>& bytes) {
    return {bytes.data(), bytes.size()};
}

}  // namespace

bool GdiFontSource::Size(DWORD tag, DWORD* size) {
    const DWORD answer = GetFontData(m_dc, tag, 0, nullptr, 0);
    if (answer == GDI_ERROR) return false;
    *size = answer;
    return true;
}

bool GdiFontSource::Read(DWORD tag, DWORD offset, void* buffer, DWORD size, DWORD* read) {
    const DWORD answer = GetFontData(m_dc, tag, offset, buffer, size);
    if (answer == GDI_ERROR) return false;
    *read = answer;
    return true;
}

bool ReadU16(std::span<const BYTE> bytes, size_t at, WORD* value) {
    if (at > bytes.size() || bytes.size() - at < 2) return false;
    *value = static_cast<WORD>(bytes[at] << 8 | bytes[at + 1]);
    return true;
}

bool ReadU32(std::span<const BYTE> bytes, size_t at, DWORD* value) {
    if (at > bytes.size() || bytes.size() - at < 4) return false;
    *value = DWORD(bytes[at]) << 24 | DWORD(bytes[at + 1]) << 16 | DWORD(bytes[at + 2]) << 8 | bytes[at + 3];
    return true;
}

void PutU16(std::vector<BYTE>& out, WORD value) {
    out.push_back(static_cast<BYTE>(value >> 8));
    out.push_back(static_cast<BYTE>(value));
}

void PutU32(std::vector<BYTE>& out, DWORD value) {
    PutU16(out, static_cast<WORD>(value >> 16));
    PutU16(out, static_cast<WORD>(value));
}

bool ReadTableDirectory(FontSource& source, FontCacheEntry* entry) {
    BYTE offsetTable[12];
    DWORD read = 0;
    if (!source.Read(0, 0, offsetTable, sizeof offsetTable, &read) || read != sizeof offsetTable) return false;
    WORD count = 0;
    ReadU16(offsetTable, 4, &count);
    if (count > kMaxTables) return false;
    std::vector<FontTableRecord> tables;
    tables.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        BYTE record[16];
        if (!source.Read(0, 12 + 16 * i, record, sizeof record, &read) || read != sizeof record) return false;
        FontTableRecord table;
        table.tag = DWORD(record[0]) | DWORD(record[1]) << 8 | DWORD(record[2]) << 16 | DWORD(record[3]) << 24;
        ReadU32(record, 4, &table.checksum);
        ReadU32(record, 8, &table.offset);
        ReadU32(record, 12, &table.length);
        tables.push_back(table);
    }
    entry->m_tables = std::move(tables);
    return true;
}

bool TableListed(const FontCacheEntry& entry, DWORD tag) {
    for (const FontTableRecord& table : entry.m_tables)
        if (table.tag == tag) return true;
    return false;
}

bool ReadFontTable(FontSource& source, DWORD tag, std::vector<BYTE>* table) {
    DWORD size = 0;
    if (!source.Size(tag, &size)) return false;
    table->assign(size, 0);
    DWORD read = 0;
    if (size == 0) return true;
    return source.Read(tag, 0, table->data(), size, &read) && read == size;
}

std::vector<BYTE> SfntOffsetTable(WORD count) {
    WORD power = 1, log2 = 0;
    while (power * 2 <= count) power *= 2, ++log2;
    std::vector<BYTE> table = {0x00, 0x01, 0x00, 0x00};
    PutU16(table, count);
    PutU16(table, static_cast<WORD>(16 * power));
    PutU16(table, log2);
    PutU16(table, static_cast<WORD>(16 * count - 16 * power));
    return table;
}

DWORD TableChecksum(std::span<const BYTE> table) {
    DWORD sum = 0;
    for (size_t at = 0; at < table.size(); at += 4) {
        DWORD word = 0;
        for (size_t i = 0; i < 4; ++i) word = word << 8 | (at + i < table.size() ? table[at + i] : 0);
        sum += word;
    }
    return sum;
}

bool LoadGlyphTables(FontSource& source, GlyphTables* tables) {
    std::vector<BYTE> maxp;
    if (!ReadFontTable(source, FontTag("head"), &tables->head) || !ReadFontTable(source, FontTag("hhea"), &tables->hhea) ||
        !ReadFontTable(source, FontTag("hmtx"), &tables->hmtx) || !ReadFontTable(source, FontTag("loca"), &tables->loca) ||
        !ReadFontTable(source, FontTag("maxp"), &maxp) || !source.Size(FontTag("glyf"), &tables->glyfSize))
        return false;
    // The cmap is needed only for the Korean path and the space: a font without one has no glyphs there.
    if (!ReadFontTable(source, FontTag("cmap"), &tables->cmap)) tables->cmap.clear();
    WORD format = 0;
    return ReadU16(Span(tables->head), 50, &format) && ReadU16(Span(maxp), 4, &tables->numGlyphs);
}

bool GetGlyphData(FontSource& source, const GlyphTables& tables, WORD glyph, std::vector<BYTE>* data) {
    data->clear();
    if (glyph >= tables.numGlyphs) return false;
    WORD format = 0;
    ReadU16(Span(tables.head), 50, &format);
    DWORD start = 0, end = 0;
    if (format == 0) {
        WORD a = 0, b = 0;
        if (!ReadU16(Span(tables.loca), 2 * size_t{glyph}, &a) || !ReadU16(Span(tables.loca), 2 * size_t{glyph} + 2, &b))
            return false;
        start = DWORD{a} * 2;
        end = DWORD{b} * 2;
    } else {
        if (!ReadU32(Span(tables.loca), 4 * size_t{glyph}, &start) || !ReadU32(Span(tables.loca), 4 * size_t{glyph} + 4, &end))
            return false;
    }
    if (end < start || end > tables.glyfSize) return false;
    if (end == start) return true;
    data->resize(end - start);
    DWORD read = 0;
    if (!source.Read(FontTag("glyf"), start, data->data(), end - start, &read) || read != end - start) {
        data->clear();
        return false;
    }
    return true;
}

bool ReadGlyphMetrics(const GlyphTables& tables, WORD glyph, GlyphMetrics* metrics) {
    *metrics = {};
    WORD longMetrics = 0;
    if (!ReadU16(Span(tables.hhea), 34, &longMetrics) || longMetrics == 0) return false;
    WORD advance = 0, bearing = 0;
    const bool read = glyph < longMetrics
                          ? ReadU16(Span(tables.hmtx), 4 * size_t{glyph}, &advance) &&
                                ReadU16(Span(tables.hmtx), 4 * size_t{glyph} + 2, &bearing)
                          : ReadU16(Span(tables.hmtx), 4 * size_t{longMetrics} - 4, &advance) &&
                                ReadU16(Span(tables.hmtx), 2 * (size_t{longMetrics} + glyph), &bearing);
    metrics->advance = advance;
    metrics->leftSideBearing = static_cast<SHORT>(bearing);
    return read;
}

namespace {

WORD LookupFormat4(std::span<const BYTE> table, WORD code) {
    WORD doubledSegments = 0;
    if (!ReadU16(table, 6, &doubledSegments)) return 0;
    const size_t segments = doubledSegments / 2;
    const size_t ends = 14, starts = ends + 2 * segments + 2, deltas = starts + 2 * segments,
                 rangeOffsets = deltas + 2 * segments;
    for (size_t i = 0; i < segments; ++i) {
        WORD end = 0, start = 0, delta = 0, rangeOffset = 0;
        if (!ReadU16(table, ends + 2 * i, &end) || !ReadU16(table, starts + 2 * i, &start) ||
            !ReadU16(table, deltas + 2 * i, &delta) || !ReadU16(table, rangeOffsets + 2 * i, &rangeOffset))
            return 0;
        if (end < code) continue;
        if (start > code) return 0;
        if (rangeOffset == 0) return static_cast<WORD>(code + delta);
        WORD glyph = 0;
        const size_t at = rangeOffsets + 2 * i + rangeOffset + 2 * size_t(code - start);
        if (!ReadU16(table, at, &glyph)) return 0;
        return glyph ? static_cast<WORD>(glyph + delta) : 0;
    }
    return 0;
}

}  // namespace

WORD LookupGlyphInCmap(std::span<const BYTE> cmap, WORD code, WORD unicode) {
    WORD count = 0;
    if (!ReadU16(cmap, 2, &count)) return 0;
    DWORD chosen = 0;
    bool unicodeMap = false, found = false;
    for (int pass = 0; pass < 2 && !found; ++pass) {
        for (WORD i = 0; i < count && !found; ++i) {
            WORD platform = 0, encoding = 0;
            DWORD offset = 0;
            if (!ReadU16(cmap, 4 + 8 * size_t{i}, &platform) || !ReadU16(cmap, 6 + 8 * size_t{i}, &encoding) ||
                !ReadU32(cmap, 8 + 8 * size_t{i}, &offset))
                return 0;
            const bool wanted = pass == 0 ? platform == 3 && (encoding == 1 || encoding == 5) : platform == 1 && encoding == 0;
            if (!wanted) continue;
            found = true;
            chosen = offset;
            unicodeMap = platform == 3 && encoding == 1;
        }
    }
    if (!found || chosen >= cmap.size()) return 0;
    const std::span<const BYTE> table = cmap.subspan(chosen);
    const WORD key = unicodeMap ? unicode : code;
    WORD format = 0;
    if (!ReadU16(table, 0, &format)) return 0;
    if (format == 4) return LookupFormat4(table, key);
    if (format == 0) return key < 256 && table.size() > 6u + key ? table[6 + key] : 0;
    return 0;
}

bool GetSpaceAdvance(const GlyphTables& tables, WORD* advance) {
    GlyphMetrics metrics;
    if (!ReadGlyphMetrics(tables, LookupGlyphInCmap(Span(tables.cmap), u' ', u' '), &metrics)) return false;
    *advance = metrics.advance;
    return true;
}

bool CompositeComponents(std::span<const BYTE> glyph, std::vector<WORD>* components) {
    constexpr WORD kArgsAreWords = 0x0001, kHaveScale = 0x0008, kMoreComponents = 0x0020, kHaveXYScale = 0x0040,
                   kHaveTwoByTwo = 0x0080;
    components->clear();
    WORD contours = 0;
    if (!ReadU16(glyph, 0, &contours)) return glyph.empty();
    if (static_cast<SHORT>(contours) >= 0) return true;
    size_t at = 10;
    for (;;) {
        WORD flags = 0, component = 0;
        if (!ReadU16(glyph, at, &flags) || !ReadU16(glyph, at + 2, &component)) return false;
        components->push_back(component);
        at += 4 + ((flags & kArgsAreWords) ? 4 : 2);
        if (flags & kHaveTwoByTwo) at += 8;
        else if (flags & kHaveXYScale) at += 4;
        else if (flags & kHaveScale) at += 2;
        if (!(flags & kMoreComponents)) return true;
        if (at > glyph.size()) return false;
    }
}
