// TrueType fonts as the watermark download reads them from an installed font: the table
// directory, cmap, loca, glyf and hmtx of any bytes, every glyph and its components.
#include <algorithm>
#include <cstring>
#include <vector>

#include "font_download_tables.h"

namespace {

// The font's bytes as GetFontData gives them: tag 0 the whole file, else one table found through
// the file's own table directory.
class BytesFontSource final : public FontSource {
public:
    BytesFontSource(const uint8_t* data, size_t size) : m_file(data, size) {}

    bool Size(DWORD tag, DWORD* size) override {
        std::span<const BYTE> table;
        if (!Find(tag, &table)) return false;
        *size = static_cast<DWORD>(table.size());
        return true;
    }
    bool Read(DWORD tag, DWORD offset, void* buffer, DWORD size, DWORD* read) override {
        std::span<const BYTE> table;
        if (!Find(tag, &table) || offset > table.size()) return false;
        *read = static_cast<DWORD>(std::min<size_t>(size, table.size() - offset));
        std::memcpy(buffer, table.data() + offset, *read);
        return true;
    }

private:
    bool Find(DWORD tag, std::span<const BYTE>* table) const {
        if (tag == 0) {
            *table = m_file;
            return true;
        }
        WORD count = 0;
        if (!ReadU16(m_file, 4, &count)) return false;
        for (WORD i = 0; i < count; ++i) {
            const size_t record = 12 + size_t(i) * 16;
            DWORD recordTag = 0, offset = 0, length = 0;
            if (record + 16 > m_file.size()) return false;
            std::memcpy(&recordTag, m_file.data() + record, 4);
            if (recordTag != tag) continue;
            if (!ReadU32(m_file, record + 8, &offset) || !ReadU32(m_file, record + 12, &length)) return false;
            if (offset > m_file.size() || length > m_file.size() - offset) return false;
            *table = m_file.subspan(offset, length);
            return true;
        }
        return false;
    }

    std::span<const BYTE> m_file;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BytesFontSource source(data, size);
    FontCacheEntry entry{};
    ReadTableDirectory(source, &entry);
    GlyphTables tables;
    if (!LoadGlyphTables(source, &tables)) return 0;
    WORD advance = 0;
    GetSpaceAdvance(tables, &advance);
    for (WORD code : {WORD(0x20), WORD(0x41), WORD(0xA9), WORD(0x3042), WORD(0xFFFF)})
        LookupGlyphInCmap(tables.cmap, code, code);
    std::vector<BYTE> glyph;
    std::vector<WORD> components;
    for (WORD index = 0; index < std::min<WORD>(tables.numGlyphs, 256); ++index) {
        GlyphMetrics metrics;
        ReadGlyphMetrics(tables, index, &metrics);
        if (GetGlyphData(source, tables, index, &glyph)) CompositeComponents(glyph, &components);
    }
    return 0;
}
