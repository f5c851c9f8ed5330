// Small TrueType fonts held as bytes for the font download's tests, and a font source over them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "font_download_tables.h"

namespace rendertest {

using Bytes = std::vector<BYTE>;
using FontTables = std::map<std::string, Bytes>;  // by four-character tag

void PutBE16(Bytes& out, unsigned value);
void PutBE32(Bytes& out, unsigned long value);
// An sfnt file of the tables, in tag order, each at a 4-byte boundary (checksums left 0).
Bytes BuildSfnt(const FontTables& tables);

// A font with glyphs 0 (.notdef, empty), 1 'A' and 2 'B' (triangles, 29 bytes), 3 'C' (a
// composite of glyph 1, 16 bytes), 4 'D' (a composite of itself) and 5 the space (empty); short
// loca; head 54 bytes, hhea 36, maxp 32; no cvt, fpgm or prep.
FontTables FixtureFont();
// The triangle glyph's bytes.
Bytes TriangleGlyph(int shift);

class MemoryFontSource final : public FontSource {
public:
    explicit MemoryFontSource(FontTables tables) : m_tables(std::move(tables)), m_file(BuildSfnt(m_tables)) {}
    bool Size(DWORD tag, DWORD* size) override;
    bool Read(DWORD tag, DWORD offset, void* buffer, DWORD size, DWORD* read) override;
    FontTables m_tables;

private:
    const Bytes* Find(DWORD tag) const;
    Bytes m_file;
};

}  // namespace rendertest
