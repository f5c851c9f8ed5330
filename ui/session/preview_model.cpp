// The preview link's model written into the painter's blocks.
#include "session/preview_model.h"

#include <win/strsafe.h>

namespace {

// Texts are cut to their block field; a model read back from these blocks points at them already.
template <size_t N>
void CopyText(WCHAR (&target)[N], const WCHAR* text) {
    if (text != target) StringCchCopyW(target, N, text);
}

// The fields copied as they are, each pair a link field and its block field. Called with the
// copy direction, so that writing and reading back share one list.
template <class Model, class Settings, class Copy>
void EachPlainSettingsField(Model& m, Settings& s, Copy copy) {
    copy(m.m_duplex, s.pictogramKind);
    copy(m.m_duplexFlip, s.edgeKind);
    copy(m.m_textBlack, s.textBlack);
    copy(m.m_mirrored, s.rightToLeft);
    copy(m.m_rotated, s.turned);
    copy(m.m_pagesPerSheet, s.pagesPerSheet);
    copy(m.m_scaleSizeDiffers, s.fitToPaper);
    copy(m.m_orientation, s.rotation);
    copy(m.m_scale, s.scalePercent);
    copy(m.m_borders, s.borders);
    copy(m.m_nupOrder, s.sideCode);
    copy(m.m_noWatermark, s.noWatermark);
    copy(m.m_units, s.units);
    copy(m.m_extent, s.minimumExtent);
    copy(m.m_paperWidth, s.paperWidth);
    copy(m.m_paperHeight, s.paperHeight);
    copy(m.m_scaleToWidth, s.printableWidth);
    copy(m.m_scaleToHeight, s.printableHeight);
}

template <class Model, class Watermark, class Copy>
void EachPlainWatermarkField(Model& m, Watermark& w, Copy copy) {
    copy(m.m_wmkCharSet, w.charSet);
    copy(m.m_wmkSize, w.size);
    copy(m.m_wmkStyle, w.style);
    copy(m.m_wmkColor, w.colour);
    copy(m.m_wmkAngle, w.angle);
}

constexpr auto kIntoBlock = [](const auto& from, auto& to) { to = from; };
constexpr auto kIntoModel = [](auto& to, const auto& from) { to = from; };

}  // namespace

void ApplyLinkModel(const QORVAPreviewLinkModel& model, QORVAPreviewSettings* settings, QORVAPreviewWatermark* watermark) {
    QORVAPreviewSettings& s = *settings;
    EachPlainSettingsField(model, s, kIntoBlock);
    s.watermarkEveryPage = model.m_wmkFirstPageOnly ? 0 : 1;
    CopyText(s.documentPaperName, model.m_paperName);
    CopyText(s.outputPaperName, model.m_scaleToName);
    if (model.m_noWatermark) return;
    QORVAPreviewWatermark& w = *watermark;
    EachPlainWatermarkField(model, w, kIntoBlock);
    CopyText(w.text, model.m_wmkText);
    CopyText(w.faceName, model.m_wmkFont);
}

QORVAPreviewLinkModel LinkModelOf(const QORVAPreviewSettings& s, const QORVAPreviewWatermark& w) {
    QORVAPreviewLinkModel model{};
    EachPlainSettingsField(model, s, kIntoModel);
    EachPlainWatermarkField(model, w, kIntoModel);
    model.m_wmkFirstPageOnly = s.watermarkEveryPage ? 0 : 1;
    model.m_paperName = s.documentPaperName;
    model.m_scaleToName = s.outputPaperName;
    model.m_wmkText = w.text;
    model.m_wmkFont = w.faceName;
    return model;
}
