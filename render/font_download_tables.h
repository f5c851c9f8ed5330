// Reading a TrueType font for the download: where its bytes come from (the download context's
// GetFontData, or bytes a test holds) and the readers of its tables. Every reader checks each
// offset and length against the bytes it holds, so a malformed font is refused, never overread.
#pragma once

#include <span>
#include <string>
#include <vector>

#include <win/windows.h>

#include "font_cache.h"

// A table tag as GetFontData takes it: the four bytes in file order read as a little-endian number.
constexpr DWORD FontTag(const char (&name)[5]) {
    return DWORD(BYTE(name[0])) | DWORD(BYTE(name[1])) << 8 | DWORD(BYTE(name[2])) << 16 | DWORD(BYTE(name[3])) << 24;
}

// Where a font's bytes come from: tag 0 is the whole file.
class FontSource {
public:
    virtual ~FontSource() = default;
    // The size of a table (from offset 0); false when the font does not have it.
    virtual bool Size(DWORD tag, DWORD* size) = 0;
    // Up to size bytes from offset; false on failure; *read says how many came.
    virtual bool Read(DWORD tag, DWORD offset, void* buffer, DWORD size, DWORD* read) = 0;
};

// GetFontData on a device context.
class GdiFontSource final : public FontSource {
public:
    explicit GdiFontSource(HDC dc) : m_dc(dc) {}
    bool Size(DWORD tag, DWORD* size) override;
    bool Read(DWORD tag, DWORD offset, void* buffer, DWORD size, DWORD* read) override;

private:
    HDC m_dc;
};

// What the downloads know of the font besides its tables (from its text metrics).
struct FontFacts {
    BYTE charset = 0;
    WCHAR firstChar = 0;
    WCHAR lastChar = 0;
};

// Big-endian numbers inside a span; false (value untouched) when they do not lie inside it.
bool ReadU16(std::span<const BYTE> bytes, size_t at, WORD* value);
bool ReadU32(std::span<const BYTE> bytes, size_t at, DWORD* value);
void PutU16(std::vector<BYTE>& out, WORD value);
void PutU32(std::vector<BYTE>& out, DWORD value);

// The sfnt table directory into the entry: false when the offset table or a record cannot be read.
bool ReadTableDirectory(FontSource& source, FontCacheEntry* entry);
bool TableListed(const FontCacheEntry& entry, DWORD tag);
// A whole table; false when it cannot be read or reads back shorter than its size.
bool ReadFontTable(FontSource& source, DWORD tag, std::vector<BYTE>* table);
// A table's size padded to the 4-byte boundary the sfnt keeps tables on.
constexpr DWORD PaddedTableSize(DWORD size) {
    return (size + 3) & ~DWORD{3};
}
// The sfnt offset table of a font of count tables (version 1.0, the binary-search values).
std::vector<BYTE> SfntOffsetTable(WORD count);
// The sfnt checksum: the sum of the big-endian 32-bit words, the last one zero-padded.
DWORD TableChecksum(std::span<const BYTE> table);

// The tables a glyph download reads, once per call.
struct GlyphTables {
    std::vector<BYTE> head, hhea, hmtx, loca, cmap;
    DWORD glyfSize = 0;
    WORD numGlyphs = 0;  // from maxp
};
bool LoadGlyphTables(FontSource& source, GlyphTables* tables);

// The glyf bytes of a glyph through loca: false for a glyph outside the font, offsets outside
// loca, an end before the start, or bytes beyond glyf's end. An empty glyph is true with no bytes.
bool GetGlyphData(FontSource& source, const GlyphTables& tables, WORD glyph, std::vector<BYTE>* data);

struct GlyphMetrics {
    SHORT leftSideBearing = 0;
    WORD advance = 0;
};
// The glyph's horizontal metrics from hhea and hmtx; false when they are not all there.
bool ReadGlyphMetrics(const GlyphTables& tables, WORD glyph, GlyphMetrics* metrics);
// The glyph of a code through cmap: platform 3 encoding 1 or 5 first, else platform 1 encoding 0;
// formats 4 and 0. For a Unicode map (3, 1) unicode is looked up, for the others code. 0 when the
// font has no such map or no glyph for it.
WORD LookupGlyphInCmap(std::span<const BYTE> cmap, WORD code, WORD unicode);
// The advance of the space's glyph; false when it cannot be read.
bool GetSpaceAdvance(const GlyphTables& tables, WORD* advance);
// The components of a composite glyph, in order; false when the component records run past the
// glyph's bytes. A simple glyph has none.
bool CompositeComponents(std::span<const BYTE> glyph, std::vector<WORD>* components);
