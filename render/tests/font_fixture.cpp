#include "font_fixture.h"

#include <cstring>

namespace rendertest {

void PutBE16(Bytes& out, unsigned value) {
    out.push_back(static_cast<BYTE>(value >> 8));
    out.push_back(static_cast<BYTE>(value));
}

void PutBE32(Bytes& out, unsigned long value) {
    PutBE16(out, static_cast<unsigned>(value >> 16) & 0xFFFF);
    PutBE16(out, static_cast<unsigned>(value) & 0xFFFF);
}

Bytes BuildSfnt(const FontTables& tables) {
    Bytes file;
    PutBE32(file, 0x00010000);
    PutBE16(file, static_cast<unsigned>(tables.size()));
    PutBE16(file, 0);
    PutBE16(file, 0);
    PutBE16(file, 0);
    size_t offset = 12 + 16 * tables.size();
    for (const auto& [tag, data] : tables) {
        file.insert(file.end(), tag.begin(), tag.end());
        PutBE32(file, 0);
        PutBE32(file, offset);
        PutBE32(file, data.size());
        offset += (data.size() + 3) / 4 * 4;
    }
    for (const auto& [tag, data] : tables) {
        file.insert(file.end(), data.begin(), data.end());
        file.resize((file.size() + 3) / 4 * 4, 0);
    }
    return file;
}

Bytes TriangleGlyph(int shift) {
    Bytes glyph;
    PutBE16(glyph, 1);  // one contour
    for (int v : {0, 0, 500 + shift, 700}) PutBE16(glyph, static_cast<unsigned>(v));
    PutBE16(glyph, 2);  // last point
    PutBE16(glyph, 0);  // no instructions
    glyph.insert(glyph.end(), {0x01, 0x01, 0x01});
    for (int x : {0, 250 + shift, 250}) PutBE16(glyph, static_cast<unsigned>(x));
    for (int y : {0, 700, -700}) PutBE16(glyph, static_cast<unsigned>(y & 0xFFFF));
    return glyph;
}

namespace {

Bytes CompositeGlyph(unsigned component) {
    Bytes glyph;
    PutBE16(glyph, 0xFFFF);
    for (int v : {0, 0, 500, 700}) PutBE16(glyph, static_cast<unsigned>(v));
    PutBE16(glyph, 0x0002);  // ARGS_ARE_XY_VALUES, byte arguments, no more components
    PutBE16(glyph, component);
    glyph.insert(glyph.end(), {0x00, 0x00});
    return glyph;
}

}  // namespace

FontTables FixtureFont() {
    FontTables font;
    const std::vector<Bytes> glyphs = {{}, TriangleGlyph(0), TriangleGlyph(10), CompositeGlyph(1), CompositeGlyph(4), {}};
    Bytes glyf, loca;
    for (const Bytes& glyph : glyphs) {
        PutBE16(loca, static_cast<unsigned>(glyf.size() / 2));
        glyf.insert(glyf.end(), glyph.begin(), glyph.end());
        glyf.resize((glyf.size() + 1) / 2 * 2, 0);
    }
    PutBE16(loca, static_cast<unsigned>(glyf.size() / 2));
    font["glyf"] = glyf;
    font["loca"] = loca;

    Bytes head;
    PutBE32(head, 0x00010000);
    PutBE32(head, 0x00010000);
    PutBE32(head, 0);
    PutBE32(head, 0x5F0F3CF5);
    PutBE16(head, 0);     // flags
    PutBE16(head, 1000);  // unitsPerEm
    head.resize(36, 0);   // dates
    for (int v : {-50, -200, 950, 800}) PutBE16(head, static_cast<unsigned>(v & 0xFFFF));
    PutBE16(head, 0);
    PutBE16(head, 8);
    PutBE16(head, 2);
    PutBE16(head, 0);  // indexToLocFormat: short
    PutBE16(head, 0);
    font["head"] = head;

    Bytes hhea;
    PutBE32(hhea, 0x00010000);
    PutBE16(hhea, 800);
    PutBE16(hhea, static_cast<unsigned>(-200 & 0xFFFF));
    hhea.resize(34, 0);
    PutBE16(hhea, 4);  // numberOfHMetrics: glyphs 4 and 5 use the last advance
    font["hhea"] = hhea;

    Bytes hmtx;
    for (int i = 0; i < 4; ++i) {
        PutBE16(hmtx, 600 + 10 * i);
        PutBE16(hmtx, static_cast<unsigned>(i * 5));
    }
    PutBE16(hmtx, 40);  // glyph 4's bearing
    PutBE16(hmtx, 0);   // the space's bearing
    font["hmtx"] = hmtx;

    Bytes maxp;
    PutBE32(maxp, 0x00010000);
    PutBE16(maxp, static_cast<unsigned>(glyphs.size()));
    maxp.resize(32, 0);
    font["maxp"] = maxp;

    // Format 4: the space is glyph 5, 'A' to 'D' glyphs 1 to 4.
    Bytes map;
    const unsigned ends[] = {0x20, 0x44, 0xFFFF}, starts[] = {0x20, 0x41, 0xFFFF},
                   deltas[] = {(5 - 0x20) & 0xFFFF, (1 - 0x41) & 0xFFFF, 1};
    PutBE16(map, 4);
    PutBE16(map, 16 + 8 * 3);
    PutBE16(map, 0);
    PutBE16(map, 6);
    PutBE16(map, 4);
    PutBE16(map, 1);
    PutBE16(map, 2);
    for (unsigned v : ends) PutBE16(map, v);
    PutBE16(map, 0);
    for (unsigned v : starts) PutBE16(map, v);
    for (unsigned v : deltas) PutBE16(map, v);
    for (int i = 0; i < 3; ++i) PutBE16(map, 0);
    Bytes cmap;
    PutBE16(cmap, 0);
    PutBE16(cmap, 1);
    PutBE16(cmap, 3);
    PutBE16(cmap, 1);
    PutBE32(cmap, 12);
    cmap.insert(cmap.end(), map.begin(), map.end());
    font["cmap"] = cmap;
    return font;
}

const Bytes* MemoryFontSource::Find(DWORD tag) const {
    if (tag == 0) return &m_file;
    char name[5] = {static_cast<char>(tag), static_cast<char>(tag >> 8), static_cast<char>(tag >> 16),
                    static_cast<char>(tag >> 24), 0};
    const auto it = m_tables.find(name);
    return it == m_tables.end() ? nullptr : &it->second;
}

bool MemoryFontSource::Size(DWORD tag, DWORD* size) {
    const Bytes* bytes = Find(tag);
    if (!bytes) return false;
    *size = static_cast<DWORD>(bytes->size());
    return true;
}

bool MemoryFontSource::Read(DWORD tag, DWORD offset, void* buffer, DWORD size, DWORD* read) {
    const Bytes* bytes = Find(tag);
    if (!bytes || offset > bytes->size()) return false;
    *read = static_cast<DWORD>(std::min<size_t>(size, bytes->size() - offset));
    std::memcpy(buffer, bytes->data() + offset, *read);
    return true;
}

}  // namespace rendertest
