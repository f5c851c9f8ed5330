// The preview link's model written into the painter's blocks.
#include "session/preview_model.h"

#include <algorithm>
#include <string>

namespace {

template <size_t N>
void CopyText(WCHAR (&target)[N], const WCHAR* text) {
    const size_t count = text ? std::min(std::char_traits<char16_t>::length(text), N - 1) : 0;
    std::copy(text, text + count, target);
    target[count] = u'\0';
}

}  // namespace

void ApplyLinkModel(const QORVAPreviewLinkModel& model, QORVAPreviewSettings* settings, QORVAPreviewWatermark* watermark) {
    QORVAPreviewSettings& s = *settings;
    s.pictogramKind = model.m_duplex;
    s.edgeKind = model.m_duplexFlip;
    s.textBlack = model.m_textBlack;
    s.rightToLeft = model.m_mirrored;
    s.turned = model.m_rotated;
    s.pagesPerSheet = model.m_pagesPerSheet;
    s.fitToPaper = model.m_scaleSizeDiffers;
    s.rotation = model.m_orientation;
    s.scalePercent = model.m_scale;
    s.borders = model.m_borders;
    s.watermarkEveryPage = model.m_wmkFirstPageOnly ? 0 : 1;
    s.sideCode = model.m_nupOrder;
    s.noWatermark = model.m_noWatermark;
    s.units = model.m_units;
    s.minimumExtent = model.m_extent;
    s.paperWidth = model.m_paperWidth;
    s.paperHeight = model.m_paperHeight;
    s.printableWidth = model.m_scaleToWidth;
    s.printableHeight = model.m_scaleToHeight;
    CopyText(s.documentPaperName, model.m_paperName);
    CopyText(s.outputPaperName, model.m_scaleToName);
    if (model.m_noWatermark) return;
    QORVAPreviewWatermark& w = *watermark;
    CopyText(w.text, model.m_wmkText);
    CopyText(w.faceName, model.m_wmkFont);
    w.charSet = model.m_wmkCharSet;
    w.size = model.m_wmkSize;
    w.style = model.m_wmkStyle;
    w.colour = model.m_wmkColor;
    w.angle = model.m_wmkAngle;
}
