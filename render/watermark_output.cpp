// The first half of a page's watermark: the font that draws it, as a LOGFONTW made from the
// watermark settings and the page state, found in (or added to) the downloaded-font cache, and its
// header and the watermark text's characters sent to the printer.
#include "watermark_output.h"

#include <algorithm>

#include "font_download.h"
#include "oem_pdev.h"
#include "settings_access.h"

namespace {

constexpr BYTE kVariablePitch = 2;

bool PclXLType(DWORD pdlType) {
    return pdlType >= 50 && pdlType <= 59;
}

bool Pcl5Type(DWORD pdlType) {
    return pdlType >= 40 && pdlType <= 49;
}

// A poster of N tiles a side: (N-1-2c, N-1-2r) for the tile of row r and column c, in row order.
std::vector<PosterTile> PosterTiles(LONG n) {
    std::vector<PosterTile> tiles;
    tiles.reserve(static_cast<size_t>(n * n));
    for (LONG r = 0; r < n; ++r)
        for (LONG c = 0; c < n; ++c) tiles.push_back(PosterTile{n - 1 - 2 * c, n - 1 - 2 * r});
    return tiles;
}

// The vertical resolution the text's height is worked out at.
LONG VerticalResolution(const OemPdev* pdev) {
    const PDEVMODEW devmode = pdev->m_publicDevmode;
    if (devmode && (devmode->dmFields & DM_YRESOLUTION) && devmode->dmYResolution > 0) return devmode->dmYResolution;
    return pdev->m_layout.m_resolution;
}

HRESULT Fail(OemPdev* pdev) {
    pdev->m_watermarkOutput.m_posterTiles.clear();
    pdev->m_fontCache.reset();
    return E_FAIL;
}

}  // namespace

LOGFONTW WatermarkFont(OemPdev* pdev) {
    const WatermarkSettings& watermark = pdev->m_layout.m_watermark;
    WatermarkOutputState& state = pdev->m_watermarkOutput;
    const DWORD pages = pdev->m_layout.m_pagesPerSheet;

    LONG angle = (watermark.m_angle == 1 || watermark.m_angle == 3) ? static_cast<LONG>(watermark.m_degree) * 10 : 0;
    LONG size = watermark.m_size;
    state.m_posterTiles.clear();
    if (state.m_poster >= 2 && state.m_poster <= 9) {
        size *= state.m_poster;
        state.m_posterTiles = PosterTiles(state.m_poster);
    }
    const LONG height = MulDiv(size, VerticalResolution(pdev), 72);
    const double factor = (state.m_scalePercent != 100 && pages == 1) ? state.m_scalePercent / 100.0 : 1.0;
    if (pages == 2 || pages == 6) angle += 900;
    angle %= 3600;

    LOGFONTW font{};
    font.lfHeight = static_cast<LONG>(-height * factor);
    font.lfEscapement = angle;
    font.lfOrientation = angle;
    font.lfWeight = (watermark.m_style == 2 || watermark.m_style == 4) ? 700 : 400;
    font.lfItalic = (watermark.m_style == 3 || watermark.m_style == 4) ? 1 : 0;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = kVariablePitch;
    const size_t length = std::min<size_t>(watermark.m_font.size(), LF_FACESIZE - 1);
    std::copy_n(watermark.m_font.begin(), length, font.lfFaceName);
    return font;
}

HRESULT EmitWatermark(OemPdev* pdev) {
    if (!pdev) return E_FAIL;
    const DWORD pdlType = pdev->m_pdlType;
    if (!PclXLType(pdlType) && !Pcl5Type(pdlType)) return E_FAIL;

    WatermarkOutputState& state = pdev->m_watermarkOutput;
    TryReadField(pdev->m_settings, pdev->m_privateDevmode, u"_SCALE_FACTOR", SETTINGS_SELECT_DEVMODE,
                 &state.m_scalePercent);
    TryReadField(pdev->m_settings, pdev->m_privateDevmode, u"_POSTER", SETTINGS_SELECT_DEVMODE, &state.m_poster);
    const LOGFONTW font = WatermarkFont(pdev);

    if (!pdev->m_fontCache) {
        pdev->m_fontCache.reset(CreateFontCache(pdev));
        if (!pdev->m_fontCache) return Fail(pdev);
    }
    FontCache* cache = pdev->m_fontCache.get();
    // After a new DEVMODE the cache lives on in another PDEV: its bytes go through this one.
    cache->m_owner = pdev;
    if (FAILED(FindOrAddFontEntry(cache, &pdev->m_fontId, &font))) return Fail(pdev);

    const std::u16string& text = pdev->m_layout.m_watermark.m_text;
    const bool xl = PclXLType(pdlType);
    if (FAILED(xl ? DownloadXLFontHeader(cache, pdev->m_fontId) : DownloadPCLFontHeader(cache, pdev->m_fontId)))
        return Fail(pdev);
    if (state.m_mappedText.empty() || state.m_mappedText.size() != text.size()) state.m_mappedText = text;
    if (FAILED(xl ? DownloadXLChars(cache, pdev->m_fontId, text, &state.m_mappedText)
                  : DownloadPCLChars(cache, pdev->m_fontId, text, &state.m_mappedText)))
        return Fail(pdev);
    return S_OK;
}

void ReleaseWatermarkState(OemPdev* pdev) {
    if (!pdev) return;
    pdev->m_watermarkOutput.m_posterTiles.clear();
    pdev->m_fontCache.reset();
}

void CarryWatermarkState(OemPdev* newPdev, OemPdev* oldPdev) {
    if (!newPdev || !oldPdev) return;
    newPdev->m_watermarkOutput = std::move(oldPdev->m_watermarkOutput);
    oldPdev->m_watermarkOutput = WatermarkOutputState{};
}
