// The font download's work on a font source, apart from the device context that the public calls
// open for it (so that fonts held as bytes can be sent as well as the system's).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "font_cache.h"
#include "font_download_tables.h"

// The glyph index of each character of a text (0xFFFF or 0 for one the font lacks); false on failure.
using GlyphIndexer = std::function<bool(const std::u16string& text, std::vector<WORD>* glyphs)>;

// The byte formats of the two families.
struct DownloadFormat {
    HRESULT (*header)(OemPdev* pdev, FontCacheEntry& entry, FontSource& source, const FontFacts& facts);
    HRESULT (*beginChars)(OemPdev* pdev, const FontCacheEntry& entry);  // null: nothing before the characters
    // One glyph with its code (0xFFFF for a component), its metrics and its bytes.
    HRESULT (*glyph)(OemPdev* pdev, const FontCacheEntry& entry, WORD code, WORD glyph, const GlyphMetrics& metrics,
                     const std::vector<BYTE>& data);
    HRESULT (*endChars)(OemPdev* pdev);  // null: nothing after them
};
extern const DownloadFormat kXLFormat;
extern const DownloadFormat kPCLFormat;

// The header of the entry unless it is marked sent; the mark is set when every byte went.
HRESULT SendFontHeader(OemPdev* pdev, FontCacheEntry& entry, FontSource& source, const FontFacts& facts,
                       const DownloadFormat& format);
// The characters of the text that are not on the printer yet, then the code-mapped text.
HRESULT SendFontChars(OemPdev* pdev, FontCacheEntry& entry, FontSource& source, const FontFacts& facts,
                      const GlyphIndexer& indexer, const std::u16string& text, std::u16string* mappedText,
                      const DownloadFormat& format);
// Writes the code of each downloaded character of the text into the code-mapped text.
void MapDownloadedText(const FontCacheEntry& entry, const std::u16string& text, std::u16string* mappedText);
// The one-byte code for a character, which no other character of the entry has: its own when it is
// below 256 and free, else the first free one from the entry's next code on that no character below
// 256 of the text still needs. False when every code is taken.
bool AssignCharCode(FontCacheEntry& entry, WCHAR character, const std::u16string& text, WORD* code);

// The glyphs the watermark text needs drawn through the cmap for Korean fonts (charset 129).
bool WansungGlyphIndices(std::span<const BYTE> cmap, const std::u16string& text, std::vector<WORD>* glyphs);
