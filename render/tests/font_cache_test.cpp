// The downloaded-font cache: keys, the current entry, identifiers and names.
#include <gtest/gtest.h>

#include <cstring>

#include "font_cache.h"
#include "oem_pdev.h"

namespace {

LOGFONTW Font(const char16_t* face, LONG escapement = 0) {
    LOGFONTW font{};
    font.lfHeight = -300;
    font.lfEscapement = font.lfOrientation = escapement;
    font.lfWeight = 400;
    font.lfCharSet = 1;
    font.lfPitchAndFamily = 2;
    std::memcpy(font.lfFaceName, face, std::char_traits<char16_t>::length(face) * 2);
    return font;
}

TEST(FontCache, StartsEmptyWithItsOwnersType) {
    OemPdev pdev;
    pdev.m_pdlType = 55;
    EXPECT_EQ(pdev.m_fontId, 16385u);
    pdev.m_fontCache.reset(CreateFontCache(&pdev));
    ASSERT_TRUE(pdev.m_fontCache);
    const FontCache& cache = *pdev.m_fontCache;
    EXPECT_EQ(cache.m_owner, &pdev);
    EXPECT_EQ(cache.m_pdlType, 55u);
    EXPECT_EQ(cache.m_nextId, 1u);
    EXPECT_EQ(cache.m_headerFormat, 1u);
    EXPECT_EQ(cache.m_current, nullptr);
    EXPECT_TRUE(cache.m_entries.empty());
}

TEST(FontCache, EntriesAreKeyedByIdentifierAndRawFont) {
    FontCachePtr cache(CreateFontCache(nullptr));
    DWORD id = kWatermarkFontId;
    const LOGFONTW upright = Font(u"Arial");
    ASSERT_EQ(FindOrAddFontEntry(cache.get(), &id, &upright), S_OK);
    FontCacheEntry* first = cache->m_current;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_fontId, 16385u);
    EXPECT_EQ(first->m_fontName, "Arial_WM");
    EXPECT_EQ(first->m_symbolSet, 16u);
    EXPECT_EQ(first->m_nextCode, 128);
    EXPECT_EQ(first->m_headerSent, 0u);
    first->m_headerSent = 1;

    // The same settings again: the current entry, nothing new.
    ASSERT_EQ(FindOrAddFontEntry(cache.get(), &id, &upright), S_OK);
    EXPECT_EQ(cache->m_entries.size(), 1u);
    EXPECT_EQ(cache->m_current->m_headerSent, 1u);

    // Another orientation: a second entry under the same identifier and name, made current.
    const LOGFONTW turned = Font(u"Arial", 450);
    ASSERT_EQ(FindOrAddFontEntry(cache.get(), &id, &turned), S_OK);
    ASSERT_EQ(cache->m_entries.size(), 2u);
    FontCacheEntry* second = cache->m_current;
    EXPECT_NE(second, first);
    EXPECT_EQ(second->m_fontId, 16385u);
    EXPECT_EQ(second->m_fontName, "Arial_WM");
    EXPECT_EQ(second->m_headerSent, 0u);

    // Back to the first font: found in the scan, the second stays current.
    ASSERT_EQ(FindOrAddFontEntry(cache.get(), &id, &upright), S_OK);
    EXPECT_EQ(cache->m_entries.size(), 2u);
    EXPECT_EQ(cache->m_current, second);

    // A byte that GDI would ignore still makes another key.
    LOGFONTW padded = upright;
    padded.lfFaceName[20] = u'x';  // after the terminator
    ASSERT_EQ(FindOrAddFontEntry(cache.get(), &id, &padded), S_OK);
    EXPECT_EQ(cache->m_entries.size(), 3u);

    EXPECT_EQ(ClearFontEntries(cache.get()), S_OK);
    EXPECT_TRUE(cache->m_entries.empty());
    EXPECT_EQ(cache->m_current, nullptr);
}

TEST(FontCache, AZeroIdentifierTakesTheNextOne) {
    FontCachePtr cache(CreateFontCache(nullptr));
    const LOGFONTW a = Font(u"Arial"), b = Font(u"Times New Roman");
    DWORD id = 0;
    ASSERT_EQ(FindOrAddFontEntry(cache.get(), &id, &a), S_OK);
    EXPECT_EQ(id, 1u);
    id = 0;
    ASSERT_EQ(FindOrAddFontEntry(cache.get(), &id, &b), S_OK);
    EXPECT_EQ(id, 2u);
    EXPECT_EQ(cache->m_nextId, 3u);
    EXPECT_EQ(cache->m_current->m_fontName, "Times New Roman_WM");
    EXPECT_EQ(FindOrAddFontEntry(cache.get(), nullptr, &a), E_INVALIDARG);
    EXPECT_EQ(FindOrAddFontEntry(nullptr, &id, &a), E_INVALIDARG);
}

TEST(FontCache, NamesKeepTheWholeFace) {
    const char16_t face31[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde";
    EXPECT_EQ(WatermarkFontName(Font(face31)), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde_WM");
    EXPECT_EQ(WatermarkFontName(Font(u"")), "_WM");
    // A face without a terminator stops at the field's end.
    LOGFONTW full{};
    for (auto& c : full.lfFaceName) c = u'Q';
    EXPECT_EQ(WatermarkFontName(full), std::string(32, 'Q') + "_WM");
}

}  // namespace
