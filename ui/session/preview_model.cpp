// The preview link's model written into the painter's blocks.
#include "session/preview_model.h"

#include <algorithm>
#include <string>

namespace {

template <size_t N>
void CopyText(WCHAR (&target)[N], const WCHAR* text) {
    if (text == target) return;  // a model read back from these blocks
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

QORVAPreviewLinkModel LinkModelOf(const QORVAPreviewSettings& s, const QORVAPreviewWatermark& w) {
    QORVAPreviewLinkModel model{};
    model.m_duplex = s.pictogramKind;
    model.m_duplexFlip = s.edgeKind;
    model.m_textBlack = s.textBlack;
    model.m_mirrored = s.rightToLeft;
    model.m_rotated = s.turned;
    model.m_pagesPerSheet = s.pagesPerSheet;
    model.m_scaleSizeDiffers = s.fitToPaper;
    model.m_orientation = s.rotation;
    model.m_scale = s.scalePercent;
    model.m_borders = s.borders;
    model.m_wmkFirstPageOnly = s.watermarkEveryPage ? 0 : 1;
    model.m_nupOrder = s.sideCode;
    model.m_noWatermark = s.noWatermark;
    model.m_units = s.units;
    model.m_extent = s.minimumExtent;
    model.m_paperWidth = s.paperWidth;
    model.m_paperHeight = s.paperHeight;
    model.m_scaleToWidth = s.printableWidth;
    model.m_scaleToHeight = s.printableHeight;
    model.m_paperName = s.documentPaperName;
    model.m_scaleToName = s.outputPaperName;
    model.m_wmkText = w.text;
    model.m_wmkFont = w.faceName;
    model.m_wmkCharSet = w.charSet;
    model.m_wmkSize = w.size;
    model.m_wmkStyle = w.style;
    model.m_wmkColor = w.colour;
    model.m_wmkAngle = w.angle;
    return model;
}
