// The downloaded-font cache: entries keyed by font identifier and the LOGFONTW's raw bytes.
#include "font_cache.h"

#include <cstring>
#include <new>

#include <win/stringapiset.h>

#include "font_download.h"
#include "oem_pdev.h"

namespace {

bool SameKey(const FontCacheEntry& entry, DWORD fontId, const LOGFONTW& logFont) {
    return entry.m_fontId == fontId && std::memcmp(&entry.m_logFont, &logFont, sizeof(LOGFONTW)) == 0;
}

}  // namespace

std::string WatermarkFontName(const LOGFONTW& logFont) {
    int length = 0;
    while (length < LF_FACESIZE && logFont.lfFaceName[length]) ++length;
    std::string name;
    if (length > 0) {
        const int size = WideCharToMultiByte(CP_ACP, 0, logFont.lfFaceName, length, nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            name.resize(static_cast<size_t>(size));
            if (WideCharToMultiByte(CP_ACP, 0, logFont.lfFaceName, length, name.data(), size, nullptr, nullptr) != size)
                name.clear();
        }
    }
    return name + "_WM";
}

FontCache* CreateFontCache(OemPdev* owner) {
    FontCache* cache = new (std::nothrow) FontCache;
    if (!cache) return nullptr;
    cache->m_owner = owner;
    cache->m_pdlType = owner ? owner->m_pdlType : 0;
    return cache;
}

HRESULT FindOrAddFontEntry(FontCache* cache, DWORD* fontId, const LOGFONTW* logFont) {
    if (!cache || !fontId || !logFont) return E_INVALIDARG;
    if (cache->m_current && SameKey(*cache->m_current, *fontId, *logFont)) return S_OK;
    for (const auto& entry : cache->m_entries)
        if (SameKey(*entry, *fontId, *logFont)) return S_OK;

    std::unique_ptr<FontCacheEntry> entry(new (std::nothrow) FontCacheEntry);
    if (!entry) return E_FAIL;
    try {
        entry->m_fontName = WatermarkFontName(*logFont);
        cache->m_entries.reserve(cache->m_entries.size() + 1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (*fontId == 0) *fontId = cache->m_nextId++;
    entry->m_fontId = *fontId;
    entry->m_logFont = *logFont;
    cache->m_current = entry.get();
    cache->m_entries.push_back(std::move(entry));
    return S_OK;
}

HRESULT ClearFontEntries(FontCache* cache) {
    if (!cache) return S_OK;
    cache->m_current = nullptr;
    cache->m_entries.clear();
    cache->m_entries.shrink_to_fit();
    return S_OK;
}

void DestroyFontCache(FontCache* cache) {
    if (!cache) return;
    ReleaseFontDC(cache);
    ClearFontEntries(cache);
}

void FontCacheDeleter::operator()(FontCache* cache) const {
    DestroyFontCache(cache);
    delete cache;
}
