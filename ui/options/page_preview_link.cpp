// The page preview link: the model it keeps, its paint and its two clickable areas.
#include "options/page_preview_link.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include <win/winspool.h>
#include <win/winspool_forms.h>

#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "items/printer_form.h"
#include "options/device_info_controls.h"
#include "options/info_links.h"
#include "session/page_preview.h"
#include "session/ui_session.h"

namespace {

// Items the model reads.
enum : DWORD {
    kOrientation = 1,
    kColourMode = 6,
    kDuplex = 7,
    kPagesPerSheet = 16,
    kRotated = 1115,
    kTextBlack = 1150,
    kPaperSize = 1203,
    kBorders = 2300,
    kPageOrder = 2352,
    kWatermark = 2402,
    kFirstPageOnly = 2500,
    kScaleToPaper = 3102,
    kScale = 3203,
    kUnits = 17250,
    kWatermarkAngle = 19250,
    kWatermarkFont = 19302,
    kWatermarkColour = 19352,
    kWatermarkShade = 19402,
    kWatermarkSize = 19452,
    kWatermarkStyle = 19502,
    kBindingEdge = 32504,
};

constexpr DWORD kPagesOfIndex[] = {1, 2, 4, 6, 9, 16, 1};
constexpr LONG kMicrometresPerInch = 25400;
constexpr LONG kDotsPerInch = 600;
// A form the printer does not have counts as this many micrometres a side.
constexpr LONG kMissingSide = 100;

}  // namespace

namespace preview_rules {

DWORD PagesPerSheet(LONG index) {
    // A stored index past the list would read beyond it: the nearest end stands for it.
    const LONG last = static_cast<LONG>(std::size(kPagesOfIndex)) - 1;
    return kPagesOfIndex[std::clamp<LONG>(index, 0, last)];
}

DWORD Extent(LONG scaleToHeight) {
    const LONG inches = scaleToHeight / kMicrometresPerInch;
    if (inches <= 14) return 8400;
    if (inches <= 17) return 10200;
    return static_cast<DWORD>(inches * kDotsPerInch);
}

DWORD Dots(LONG micrometres) {
    return static_cast<DWORD>(static_cast<int64_t>(micrometres) * kDotsPerInch / kMicrometresPerInch);
}

COLORREF ShadedColour(COLORREF base, LONG shade, LONG colourMode) {
    if (colourMode == 0) base = RGB(0, 0, 0);
    const int kept = 255 - std::clamp<LONG>(shade, 0, 255);
    const auto channel = [kept](int value) { return 255 - (255 - value) * kept / 255; };
    return RGB(channel(GetRValue(base)), channel(GetGValue(base)), channel(GetBValue(base)));
}

void ApplyPaperSizes(SIZEL paper, SIZEL scaleTo, QORVAPreviewLinkModel* model) {
    const auto side = [](LONG micrometres) { return micrometres != 0 ? micrometres : kMissingSide; };
    const LONG w1 = side(paper.cx), h1 = side(paper.cy);
    const LONG w2 = side(scaleTo.cx), h2 = side(scaleTo.cy);
    model->m_extent = Extent(h2);
    model->m_paperWidth = Dots(w1);
    model->m_paperHeight = Dots(h1);
    model->m_scaleToWidth = Dots(w2);
    model->m_scaleToHeight = Dots(h2);
    // Only the paper's remainders round, and they round both papers alike.
    if (w1 % 100 >= 50) {
        ++model->m_paperWidth;
        ++model->m_scaleToWidth;
    }
    if (h1 % 100 >= 50) {
        ++model->m_paperHeight;
        ++model->m_scaleToHeight;
    }
    model->m_scaleSizeDiffers = w1 != w2 || h1 != h2 ? 1 : 0;
}

}  // namespace preview_rules

QORVAOptItemDlgLinkPagePreview::QORVAOptItemDlgLinkPagePreview(HANDLE heap, QORVAOptItemHandler* handler,
                                                               HWND control, DWORD controlId)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, 0) {
    m_linkKind = kLinkInput;
    m_mirrored = TakeMirroredLayout(m_control);
    // Behind the other observers: the picture shows what the rules have made of a change.
    for (const DWORD item : kPreviewWatchedItems) ObserveItemLast(GetHandler(item));
    SubclassControl();
}

paint::QORVAOptItemDlgLinkPagePreview* QORVAOptItemDlgLinkPagePreview::Preview() const {
    QORVAUISession* session = SessionOf(m_handler);
    return session ? session->Preview() : nullptr;
}

DWORD QORVAOptItemDlgLinkPagePreview::Notify(DWORD, WORD, DWORD) {
    RebuildModel();
    UpdateControl(nullptr);
    if (m_control) InvalidateRect(m_control, nullptr, FALSE);
    return kAnswerPass;
}

SIZEL QORVAOptItemDlgLinkPagePreview::FormSize(LPCWSTR name) const {
    const QORVAPrinterForm form(SheetPrinter(m_handler), name);
    return form ? form.info().Size : SIZEL{0, 0};
}

void QORVAOptItemDlgLinkPagePreview::RebuildModel() {
    paint::QORVAOptItemDlgLinkPagePreview* preview = Preview();
    if (!preview || !preview->Settings() || !preview->Watermark()) return;
    QORVAPreviewLinkModel model = LinkModelOf(*preview->Settings(), *preview->Watermark());

    model.m_mirrored = m_mirrored;
    switch (GetItemValue(kOrientation)) {
    case 0:
        model.m_orientation = 0;
        break;
    case 1:
        model.m_orientation = 2;
        break;
    default:
        break;
    }
    model.m_rotated = static_cast<DWORD>(GetItemValue(kRotated));
    // 1 millimetres, anything else inches: the painter knows 1 and 2 only, and would otherwise
    // label inch numbers with the millimetre name.
    model.m_units = GetItemValue(kUnits) == 1 ? 1 : 2;
    model.m_scale = static_cast<DWORD>(GetItemValue(kScale));
    model.m_textBlack = static_cast<DWORD>(GetItemValue(kTextBlack));
    QORVAOptItemHandler* duplex = GetHandler(kDuplex);
    model.m_duplex = duplex && !duplex->IsDefaultItem() ? static_cast<DWORD>(GetItemValue(kDuplex)) : 0;

    model.m_pagesPerSheet = preview_rules::PagesPerSheet(GetItemValue(kPagesPerSheet));
    model.m_borders = static_cast<DWORD>(GetItemValue(kBorders));
    model.m_nupOrder = model.m_pagesPerSheet == 1 ? 1 : static_cast<DWORD>(GetItemValue(kPageOrder));

    // Copies: a handler's text may live in a buffer the next call reuses.
    const std::u16string paperName = GetItemText(kPaperSize);
    const std::u16string scaleToName = GetItemText(kScaleToPaper);
    preview_rules::ApplyPaperSizes(FormSize(paperName.c_str()), FormSize(scaleToName.c_str()), &model);

    std::u16string watermarkText, watermarkFont;
    if (GetWatermarkSel() <= 0) {
        model.m_noWatermark = 1;
    } else {
        model.m_noWatermark = 0;
        model.m_wmkFirstPageOnly = static_cast<DWORD>(GetItemValue(kFirstPageOnly));
        watermarkText = GetItemText(kWatermark);
        model.m_wmkText = watermarkText.c_str();
        model.m_wmkAngle = GetItemValue(kWatermarkAngle);
        watermarkFont = GetItemText(kWatermarkFont);
        model.m_wmkFont = watermarkFont.c_str();
        QORVAOptItemHandler* font = GetHandler(kWatermarkFont);
        model.m_wmkCharSet = font ? static_cast<BYTE>(font->GetSelIconID(this) & 0xFF) : 0;
        model.m_wmkColor = preview_rules::ShadedColour(static_cast<COLORREF>(GetItemValue(kWatermarkColour)),
                                                       GetItemValue(kWatermarkShade), GetItemValue(kColourMode));
        model.m_wmkSize = static_cast<DWORD>(GetItemValue(kWatermarkSize));
        const LONG style = GetItemValue(kWatermarkStyle);
        if (style >= 1 && style <= 4) model.m_wmkStyle = static_cast<DWORD>(style - 1);
    }

    switch (static_cast<BYTE>(GetItemValue(kBindingEdge))) {
    case 0:
        model.m_duplexFlip = model.m_orientation != 0 ? 1 : 0;
        break;
    case 1:
        model.m_duplexFlip = model.m_orientation == 0 ? 1 : 0;
        break;
    default:
        break;
    }
    model.m_paperName = paperName.c_str();
    model.m_scaleToName = scaleToName.c_str();
    ApplyLinkModel(model, preview->Settings(), preview->Watermark());
}

LRESULT QORVAOptItemDlgLinkPagePreview::DrawItem(LPARAM drawItem) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(drawItem);
    if (item && item->itemAction == ODA_DRAWENTIRE)
        if (paint::QORVAOptItemDlgLinkPagePreview* preview = Preview()) preview->Paint(item);
    return 1;
}

LRESULT QORVAOptItemDlgLinkPagePreview::SetCursor(UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN) return 0;
    paint::QORVAOptItemDlgLinkPagePreview* preview = Preview();
    const QORVAPreviewLayout* layout = preview ? preview->Layout() : nullptr;
    if (!layout) return 1;
    const POINT point{static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
    const bool onPaper = PtInRect(&layout->sheetDevice, point);
    const bool onCaption = PtInRect(&layout->captionBox, point);
    if (message == WM_MOUSEMOVE) {
        ::SetCursor(onPaper || onCaption ? preview->HotCursor() : preview->ArrowCursor());
        return 1;
    }
    if (onPaper)
        if (QORVAOptItemHandler* orientation = GetHandler(kOrientation)) orientation->StepSel(1, this);
    if (onCaption)
        if (QORVAOptItemHandler* units = GetHandler(kUnits)) units->StepSel(1, this);
    if (onPaper || onCaption) UpdateControl(nullptr);
    return 1;
}
