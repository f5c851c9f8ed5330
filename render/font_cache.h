// The downloaded-font cache of one OEM PDEV: for the document being printed, which watermark fonts
// went to the printer under which name, whether each one's header is there, and which characters
// were sent with which one-byte codes. The watermark output makes it on its first page, the font
// download works on its current entry, and the document's end (or a failed watermark) destroys it.
// It belongs to the thread that renders the PDEV and has no lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <win/windows.h>

struct OemPdev;

// The font identifier every downloaded font of a PDEV carries (the PCL 5 font ID).
inline constexpr DWORD kWatermarkFontId = 16385;

// One record of a font's table directory, numbers as the host holds them.
struct FontTableRecord {
    DWORD tag = 0;
    DWORD checksum = 0;
    DWORD offset = 0;
    DWORD length = 0;
};

struct FontCacheEntry {
    DWORD m_fontId = 0;                   // key, with the LOGFONTW
    std::string m_fontName;               // the face in the ANSI code page, then "_WM"
    LOGFONTW m_logFont{};                 // key, compared as its 92 raw bytes
    DWORD m_headerSent = 0;               // 1 once the font header is on the printer
    WORD m_nextCode = 128;                // where the search for a free code starts
    BYTE m_charset = 0;                   // tmCharSet of the font, set at each download
    DWORD m_symbolSet = 16;
    std::u16string m_downloadedChars;     // the characters sent, in sending order
    std::u16string m_assignedCodes;       // the code of each, same positions
    std::vector<FontTableRecord> m_tables;  // the font's table directory
    std::vector<WORD> m_componentGlyphs;  // glyphs sent as components of composites, sorted
};

// What one download call has open, from its start to its end.
struct FontDownloadContext {
    HDC m_dc = nullptr;
    int m_previousMapMode = 0;
    HFONT m_font = nullptr;
    HGDIOBJ m_previousFont = nullptr;
    TEXTMETRICW m_metrics{};
};

struct FontCache {
    OemPdev* m_owner = nullptr;
    FontDownloadContext m_context;
    FontCacheEntry* m_current = nullptr;  // the entry downloads and drawing use
    DWORD m_nextId = 1;
    DWORD m_headerFormat = 1;             // PCL 5 headers: format 16 with 32-bit segment sizes
    DWORD m_pdlType = 0;
    std::vector<std::unique_ptr<FontCacheEntry>> m_entries;
};

// A new cache for the PDEV (its owner, page description type copied), or null when memory runs out.
FontCache* CreateFontCache(OemPdev* owner);
// The entry of (identifier, LOGFONTW): the current one, else the first match in order (the current
// entry stays), else a new entry made current. A zero identifier takes the cache's next one and is
// written back. E_INVALIDARG for a missing cache, identifier or font; E_FAIL when the entry cannot
// be allocated; E_OUTOFMEMORY when the entry array cannot grow.
HRESULT FindOrAddFontEntry(FontCache* cache, DWORD* fontId, const LOGFONTW* logFont);
// Removes and frees every entry; S_OK.
HRESULT ClearFontEntries(FontCache* cache);
// Removes every entry (and closes a download context left open) before the owner frees the cache.
void DestroyFontCache(FontCache* cache);

// Frees a cache the way its owner does: DestroyFontCache, then the memory. An OEM PDEV holds its
// cache through this, so that dropping the pointer (at the document's end, after a failed
// watermark, with the PDEV) releases everything.
struct FontCacheDeleter {
    void operator()(FontCache* cache) const;
};
using FontCachePtr = std::unique_ptr<FontCache, FontCacheDeleter>;

// The font name of a face: the face name (up to its terminator, at most 32 characters) in the ANSI
// code page, followed by "_WM".
std::string WatermarkFontName(const LOGFONTW& logFont);
