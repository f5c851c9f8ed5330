// The characters of the watermark text on the printer, shared by the PCL XL and PCL 5 downloads:
// which characters still go, the glyph that stands for each, the codes they get, and the
// code-mapped text.
#include <algorithm>

#include "font_download.h"
#include "font_download_internal.h"

namespace {

// Composite glyphs nest a few levels in real fonts; deeper nesting is taken as a malformed font.
constexpr size_t kMaxComponentDepth = 8;
// The largest glyph whose size the character headers can carry.
constexpr size_t kMaxGlyphBytes = 0xFFFF - 10;

bool Downloaded(const FontCacheEntry& entry, WCHAR character) {
    return entry.m_downloadedChars.find(character) != std::u16string::npos;
}

struct GlyphToSend {
    WORD glyph;
    bool component;
    GlyphMetrics metrics;
    std::vector<BYTE> data;
};

// The glyph and, after it, every component not yet on the printer, depth first; false for a glyph
// that cannot be read, a component that contains itself, or nesting deeper than real fonts have.
bool CollectGlyphTree(FontSource& source, const GlyphTables& tables, const FontCacheEntry& entry, WORD glyph,
                      bool component, std::vector<WORD>& ancestors, std::vector<GlyphToSend>* out) {
    if (ancestors.size() > kMaxComponentDepth) return false;
    if (std::find(ancestors.begin(), ancestors.end(), glyph) != ancestors.end()) return false;
    GlyphToSend item{glyph, component, {}, {}};
    if (!GetGlyphData(source, tables, glyph, &item.data) || item.data.size() > kMaxGlyphBytes) return false;
    // Without its metrics a glyph goes as an empty one.
    if (!ReadGlyphMetrics(tables, glyph, &item.metrics)) item.data.clear();
    std::vector<WORD> components;
    if (!CompositeComponents(item.data, &components)) return false;
    out->push_back(std::move(item));
    ancestors.push_back(glyph);
    for (WORD part : components) {
        const bool sent = std::find_if(out->begin(), out->end(), [&](const GlyphToSend& g) { return g.glyph == part; }) !=
                              out->end() ||
                          std::binary_search(entry.m_componentGlyphs.begin(), entry.m_componentGlyphs.end(), part);
        if (sent && std::find(ancestors.begin(), ancestors.end(), part) == ancestors.end()) continue;
        if (!CollectGlyphTree(source, tables, entry, part, true, ancestors, out)) return false;
    }
    ancestors.pop_back();
    return true;
}

void RememberComponent(FontCacheEntry& entry, WORD glyph) {
    auto at = std::lower_bound(entry.m_componentGlyphs.begin(), entry.m_componentGlyphs.end(), glyph);
    if (at == entry.m_componentGlyphs.end() || *at != glyph) entry.m_componentGlyphs.insert(at, glyph);
}

}  // namespace

bool AssignCharCode(FontCacheEntry& entry, WCHAR character, const std::u16string& text, WORD* code) {
    auto taken = [&](WORD candidate) { return entry.m_assignedCodes.find(candidate) != std::u16string::npos; };
    if (character < 256 && !taken(character)) {
        *code = character;
        return true;
    }
    auto neededByText = [&](WORD candidate) {
        return text.find(static_cast<char16_t>(candidate)) != std::u16string::npos && !Downloaded(entry, candidate);
    };
    // From the next code up to 255, then round from 1; code 0 is never handed out.
    const WORD start = entry.m_nextCode >= 1 && entry.m_nextCode <= 255 ? entry.m_nextCode : 128;
    for (WORD step = 0; step < 255; ++step) {
        const WORD candidate = static_cast<WORD>((start - 1 + step) % 255 + 1);
        if (taken(candidate) || neededByText(candidate)) continue;
        *code = candidate;
        entry.m_nextCode = static_cast<WORD>(candidate + 1);
        return true;
    }
    return false;
}

void MapDownloadedText(const FontCacheEntry& entry, const std::u16string& text, std::u16string* mappedText) {
    if (mappedText->size() != text.size()) *mappedText = text;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t at = entry.m_downloadedChars.find(text[i]);
        if (at != std::u16string::npos) (*mappedText)[i] = entry.m_assignedCodes[at];
    }
}

HRESULT SendFontHeader(OemPdev* pdev, FontCacheEntry& entry, FontSource& source, const FontFacts& facts,
                       const DownloadFormat& format) {
    if (entry.m_headerSent == 1) return S_OK;
    if (!ReadTableDirectory(source, &entry)) return E_FAIL;
    const HRESULT result = format.header(pdev, entry, source, facts);
    if (FAILED(result)) return E_FAIL;
    entry.m_headerSent = 1;
    return S_OK;
}

HRESULT SendFontChars(OemPdev* pdev, FontCacheEntry& entry, FontSource& source, const FontFacts& facts,
                      const GlyphIndexer& indexer, const std::u16string& text, std::u16string* mappedText,
                      const DownloadFormat& format) {
    if (text.empty()) return S_OK;
    const bool pending = std::any_of(text.begin(), text.end(), [&](WCHAR c) { return !Downloaded(entry, c); });
    if (!pending) {
        MapDownloadedText(entry, text, mappedText);
        return S_OK;
    }
    if (FAILED(SendFontHeader(pdev, entry, source, facts, format))) return E_FAIL;
    GlyphTables tables;
    std::vector<WORD> glyphs;
    if (!LoadGlyphTables(source, &tables) || !indexer(text, &glyphs) || glyphs.size() != text.size()) return E_FAIL;

    bool begun = false;
    HRESULT result = S_OK;
    for (size_t i = 0; i < text.size() && SUCCEEDED(result); ++i) {
        WCHAR character = text[i];
        if (Downloaded(entry, character)) continue;
        WORD glyph = glyphs[i];
        // A character the font lacks is drawn as the space: the space's glyph goes (once) and the
        // character takes the space's code, so its place never shows another character's glyph.
        const bool missing = glyph == 0xFFFF || glyph == 0;
        const WCHAR standIn = u' ';
        if (missing) {
            const size_t space = entry.m_downloadedChars.find(standIn);
            if (space != std::u16string::npos) {
                entry.m_downloadedChars.push_back(character);
                entry.m_assignedCodes.push_back(entry.m_assignedCodes[space]);
                continue;
            }
            std::vector<WORD> spaceGlyph;
            if (!indexer(std::u16string(1, standIn), &spaceGlyph) || spaceGlyph.size() != 1 || spaceGlyph[0] == 0xFFFF ||
                spaceGlyph[0] == 0)
                return E_FAIL;
            glyph = spaceGlyph[0];
        }
        const WCHAR sent = missing ? standIn : character;
        WORD code = 0;
        if (!AssignCharCode(entry, sent, text, &code)) return E_FAIL;

        std::vector<WORD> ancestors;
        std::vector<GlyphToSend> tree;
        if (!CollectGlyphTree(source, tables, entry, glyph, false, ancestors, &tree)) return E_FAIL;
        if (!begun && format.beginChars) {
            result = format.beginChars(pdev, entry);
            begun = true;
        }
        for (const GlyphToSend& item : tree) {
            if (FAILED(result)) break;
            result = format.glyph(pdev, entry, item.component ? 0xFFFF : code, item.glyph, item.metrics, item.data);
            if (SUCCEEDED(result) && item.component) RememberComponent(entry, item.glyph);
        }
        if (FAILED(result)) break;
        entry.m_downloadedChars.push_back(sent);
        entry.m_assignedCodes.push_back(static_cast<char16_t>(code));
        if (missing) {
            entry.m_downloadedChars.push_back(character);
            entry.m_assignedCodes.push_back(static_cast<char16_t>(code));
        }
    }
    if (begun && format.endChars) {
        const HRESULT end = format.endChars(pdev);
        if (SUCCEEDED(result)) result = end;
    }
    if (FAILED(result)) return E_FAIL;
    MapDownloadedText(entry, text, mappedText);
    return S_OK;
}
