// The four downloads on the system's font: the download context (a memory device context in
// MM_TWIPS with the entry's font selected) around the work on its GetFontData.
#include "font_download.h"

#include <win/wingdi_charset.h>
#include <win/wingdi_fontdata.h>

#include "font_download_internal.h"

namespace {

bool OpenFontDC(FontCache* cache, FontFacts* facts) {
    FontDownloadContext& context = cache->m_context;
    ReleaseFontDC(cache);
    context.m_dc = CreateCompatibleDC(nullptr);
    if (!context.m_dc) return false;
    context.m_previousMapMode = SetMapMode(context.m_dc, MM_TWIPS);
    context.m_font = CreateFontIndirectW(&cache->m_current->m_logFont);
    if (!context.m_font) return false;
    context.m_previousFont = SelectObject(context.m_dc, context.m_font);
    if (!context.m_previousFont || !GetTextMetricsW(context.m_dc, &context.m_metrics)) return false;
    cache->m_current->m_charset = context.m_metrics.tmCharSet;
    facts->charset = context.m_metrics.tmCharSet;
    facts->firstChar = context.m_metrics.tmFirstChar;
    facts->lastChar = context.m_metrics.tmLastChar;
    return true;
}

// The download context around one download; released whatever the result.
template <class Work>
HRESULT WithFontDC(FontCache* cache, Work&& work) {
    FontFacts facts;
    HRESULT result = E_FAIL;
    if (OpenFontDC(cache, &facts)) {
        GdiFontSource source(cache->m_context.m_dc);
        result = work(source, facts);
    }
    ReleaseFontDC(cache);
    return SUCCEEDED(result) ? S_OK : E_FAIL;
}

HRESULT DownloadHeader(FontCache* cache, DWORD fontId, const DownloadFormat& format) {
    const HRESULT selected = SelectFontEntry(cache, fontId);
    if (FAILED(selected)) return selected;
    if (cache->m_current->m_headerSent == 1) return S_OK;
    return WithFontDC(cache, [&](FontSource& source, const FontFacts& facts) {
        return SendFontHeader(cache->m_owner, *cache->m_current, source, facts, format);
    });
}

HRESULT DownloadChars(FontCache* cache, DWORD fontId, const std::u16string& text, std::u16string* mappedText,
                      const DownloadFormat& format) {
    if (text.empty()) return S_OK;
    if (!mappedText) return E_FAIL;
    const HRESULT selected = SelectFontEntry(cache, fontId);
    if (FAILED(selected)) return selected;
    FontCacheEntry& entry = *cache->m_current;
    if (text.find_first_not_of(entry.m_downloadedChars) == std::u16string::npos) {
        MapDownloadedText(entry, text, mappedText);
        return S_OK;
    }
    return WithFontDC(cache, [&](FontSource& source, const FontFacts& facts) {
        const HDC dc = cache->m_context.m_dc;
        GlyphIndexer indexer = [&](const std::u16string& chars, std::vector<WORD>* glyphs) {
            glyphs->assign(chars.size(), 0);
            if (facts.charset == HANGUL_CHARSET) {
                std::vector<BYTE> cmap;
                if (!ReadFontTable(source, FontTag("cmap"), &cmap)) cmap.clear();
                return WansungGlyphIndices(cmap, chars, glyphs);
            }
            return GetGlyphIndicesW(dc, chars.data(), static_cast<int>(chars.size()), glyphs->data(),
                                    GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR;
        };
        return SendFontChars(cache->m_owner, entry, source, facts, indexer, text, mappedText, format);
    });
}

}  // namespace

HRESULT SelectFontEntry(FontCache* cache, DWORD fontId) {
    if (fontId == 0) return E_INVALIDARG;
    if (!cache || !cache->m_current || cache->m_current->m_fontId != fontId) return E_FAIL;
    return S_OK;
}

void ReleaseFontDC(FontCache* cache) {
    if (!cache) return;
    FontDownloadContext& context = cache->m_context;
    if (context.m_dc) {
        if (context.m_previousFont) SelectObject(context.m_dc, context.m_previousFont);
        if (context.m_previousMapMode) SetMapMode(context.m_dc, context.m_previousMapMode);
        DeleteDC(context.m_dc);
    }
    if (context.m_font) DeleteObject(context.m_font);
    context = {};
}

HRESULT DownloadXLFontHeader(FontCache* cache, DWORD fontId) {
    return DownloadHeader(cache, fontId, kXLFormat);
}

HRESULT DownloadPCLFontHeader(FontCache* cache, DWORD fontId) {
    return DownloadHeader(cache, fontId, kPCLFormat);
}

HRESULT DownloadXLChars(FontCache* cache, DWORD fontId, const std::u16string& text, std::u16string* mappedText) {
    return DownloadChars(cache, fontId, text, mappedText, kXLFormat);
}

HRESULT DownloadPCLChars(FontCache* cache, DWORD fontId, const std::u16string& text, std::u16string* mappedText) {
    return DownloadChars(cache, fontId, text, mappedText, kPCLFormat);
}

bool WansungGlyphIndices(std::span<const BYTE> cmap, const std::u16string& text, std::vector<WORD>* glyphs) {
    glyphs->assign(text.size(), 0);
    for (size_t i = 0; i < text.size(); ++i) (*glyphs)[i] = LookupGlyphInCmap(cmap, UnicodeToWansung(text[i]), text[i]);
    return true;
}
