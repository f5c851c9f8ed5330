// The page preview's paint and its drawing steps.
#include "session/page_preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <win/strsafe.h>

#include "session/ui_session.h"

namespace paint {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kClientColour = 0xFECCCC;
constexpr double kPi = 3.1416;  // the angles of the watermark's start point work with this pi
constexpr int kSmallestSide = 40;
constexpr LONG kLargestLength = 600000;  // 1000 inches in 600-dpi dots

COLORREF Grey(int level) { return RGB(level, level, level); }

// A pen or brush selected for the life of the object; the old one goes back and the made one is
// deleted.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object, bool owned) : m_dc(dc), m_object(object), m_owned(owned) {
        m_old = object ? SelectObject(dc, object) : nullptr;
    }
    ~Selected() {
        if (m_old) SelectObject(m_dc, m_old);
        if (m_owned && m_object) DeleteObject(m_object);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_object;
    HGDIOBJ m_old = nullptr;
    bool m_owned;
};

void Line(HDC dc, LONG x1, LONG y1, LONG x2, LONG y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Frame(HDC dc, const RECT& r, COLORREF colour, int style = PS_SOLID) {
    Selected pen(dc, CreatePen(style, 1, colour), true);
    Selected brush(dc, GetStockObject(HOLLOW_BRUSH), false);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }
LONG SmallerSide(const RECT& r) { return std::min(Width(r), Height(r)); }

}  // namespace

void QORVAOptItemDlgLinkPagePreview::Create(QORVAUISession* session, QORVAUISessionCore* core) {
    m_session = session;
    m_core = core;
    m_layout = &session->m_layout;
    m_settings = &session->m_settings;
    m_watermark = &session->m_watermark;
    m_words = session->m_previewWords;
    std::memset(m_layout, 0, sizeof *m_layout);
    std::memset(m_settings, 0, sizeof *m_settings);
    std::memset(m_watermark, 0, sizeof *m_watermark);
    std::memset(m_words, 0, sizeof(DWORD) * 4);
    if (core->m_resources && core->m_config[kConfigPreviewCursor])
        core->m_resources->LoadCursor(core->m_config[kConfigPreviewCursor], &m_hotCursor);
    m_arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Without the model's own cursor the hot areas keep the arrow rather than no pointer at all.
    if (!m_hotCursor) m_hotCursor = m_arrowCursor;
    Reset();
}

void QORVAOptItemDlgLinkPagePreview::Reset() {
    QORVAPreviewSettings& s = *m_settings;
    const DWORD kept = s.reserved2;
    HWND control = s.control;
    std::memset(&s, 0, sizeof s);
    s.reserved2 = kept;
    s.control = control;
    s.pictogramKind = 1;
    s.greyscale = 1;
    s.textBlack = 1;
    s.pagesPerSheet = 1;
    s.atFullSize = 1;
    s.scalePercent = 100;
    s.linePitch = 3;
    s.sideCode = 1;
    s.noWatermark = 1;
    s.units = 2;
    s.reserved4 = 1;
    StringCchCopyW(s.unitName, std::size(s.unitName), m_session->LoadString(m_core->m_config[kConfigInchName]).c_str());
    StringCchCopyW(m_layout->caption, std::size(m_layout->caption), BuildCaption().c_str());
}

std::u16string QORVAOptItemDlgLinkPagePreview::BuildCaption() const {
    const QORVAPreviewSettings& s = *m_settings;
    const bool portrait = s.rotation == 0 || s.rotation == 1;
    double width = (portrait ? s.printableWidth : s.printableHeight) / 600.0;
    double height = (portrait ? s.printableHeight : s.printableWidth) / 600.0;
    const auto text = [&](double value) {
        char buffer[64];
        if (s.units == 1) std::snprintf(buffer, sizeof buffer, "%1.1lf", value * 25.4);
        else std::snprintf(buffer, sizeof buffer, "%1.2lf", value);
        std::string number = buffer;
        while (!number.empty() && number.back() == '0') number.pop_back();
        if (!number.empty() && number.back() == '.') number.pop_back();
        return std::u16string(number.begin(), number.end());
    };
    return text(width) + m_session->LoadString(m_core->m_config[kConfigTimesText]) + text(height) + s.unitName;
}

SIZE QORVAOptItemDlgLinkPagePreview::Grid(DWORD pagesPerSheet, DWORD rotation) {
    const bool portrait = rotation == 0 || rotation == 1;
    switch (pagesPerSheet) {
    case 2: return portrait ? SIZE{2, 1} : SIZE{1, 2};
    case 4: return SIZE{2, 2};
    case 6: return portrait ? SIZE{3, 2} : SIZE{2, 3};
    case 9: return SIZE{3, 3};
    case 16: return SIZE{4, 4};
    default: return SIZE{1, 1};
    }
}

COLORREF QORVAOptItemDlgLinkPagePreview::Lighter(COLORREF colour) const {
    if (!m_settings->lighter) return colour;
    const auto half = [](int c) { return 255 - (255 - c) / 2; };
    return RGB(half(GetRValue(colour)), half(GetGValue(colour)), half(GetBValue(colour)));
}

COLORREF QORVAOptItemDlgLinkPagePreview::Adjust(COLORREF colour) const {
    // Inverted swaps black and white and the grey levels of the sample (each with 255 less it).
    if (m_settings->inverted && GetRValue(colour) == GetGValue(colour) && GetGValue(colour) == GetBValue(colour))
        colour = Grey(255 - GetRValue(colour));
    return Lighter(colour);
}

bool QORVAOptItemDlgLinkPagePreview::PageFramed() const {
    const QORVAPreviewSettings& s = *m_settings;
    return (s.fitToPaper && !s.atFullSize) || (!s.fitToPaper && s.scalePercent < 100);
}

HWND QORVAOptItemDlgLinkPagePreview::Paint(const DRAWITEMSTRUCT* item) {
    if (!item) return nullptr;
    QORVAPreviewSettings& s = *m_settings;
    m_control = item->hwndItem;
    s.control = item->hwndItem;
    // 1. The unit name and the caption.
    StringCchCopyW(s.unitName, std::size(s.unitName),
                   m_session->LoadString(m_core->m_config[s.units == 2 ? kConfigInchName : kConfigMillimetreName]).c_str());
    StringCchCopyW(m_layout->caption, std::size(m_layout->caption), BuildCaption().c_str());
    RECT client{};
    GetClientRect(item->hwndItem, &client);
    if (client.right <= client.left || client.bottom <= client.top) client = item->rcItem;
    m_layout->control = client;
    // 2. Mirrored or turned pictures are drawn in memory first.
    const bool inMemory = s.mirrorX || s.turned;
    HDC dc = item->hDC;
    HDC memory = nullptr;
    HBITMAP picture = nullptr;
    HGDIOBJ oldPicture = nullptr;
    if (inMemory) {
        memory = CreateCompatibleDC(item->hDC);
        picture = memory ? CreateCompatibleBitmap(item->hDC, client.right, client.bottom) : nullptr;
        oldPicture = picture ? SelectObject(memory, picture) : nullptr;
        if (oldPicture) dc = memory;
    }
    // 3. The background.
    FillRect(dc, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    Fill(dc, client, kClientColour);
    // 4. The placed sizes.
    const bool swap = s.rotation != 0;
    const LONG paperWidth = static_cast<LONG>(swap ? s.paperHeight : s.paperWidth);
    const LONG paperHeight = static_cast<LONG>(swap ? s.paperWidth : s.paperHeight);
    const LONG printableWidth = static_cast<LONG>(swap ? s.printableHeight : s.printableWidth);
    const LONG printableHeight = static_cast<LONG>(swap ? s.printableWidth : s.printableHeight);
    m_layout->placedPaperWidth = paperWidth;
    m_layout->placedPaperHeight = paperHeight;
    m_layout->placedPrintableWidth = printableWidth;
    m_layout->placedPrintableHeight = printableHeight;
    const LONG side = std::min(Width(client), Height(client));
    // The square formula divides by the smaller side less 40, and the page ratios by the paper's
    // sides: a control too small, or papers without a size, get the background only.
    // Sizes beyond any paper (more than 1000 inches) are not drawn either, so that the integer
    // arithmetic below cannot overflow.
    const auto fits = [](LONG length) { return length > 0 && length <= kLargestLength; };
    const bool drawable = side > kSmallestSide && fits(paperWidth) && fits(paperHeight) && fits(printableWidth) &&
                          fits(printableHeight) && s.minimumExtent <= DWORD{kLargestLength};
    // Without a picture the caption sits under the client area's middle.
    m_sheet = RECT{(client.left + client.right) / 2, (client.top + client.bottom) / 2, (client.left + client.right) / 2,
                   (client.top + client.bottom) / 2};
    m_layout->sheetDevice = m_sheet;
    m_cellGap = 0;
    if (drawable) {
        // 5. The drawing square E x E mapped onto the control.
        const LONG largest = std::max({printableWidth, printableHeight, static_cast<LONG>(s.minimumExtent)});
        const LONG extent = (largest / (side - kSmallestSide) + 1) * side;
        const int saved = SaveDC(dc);
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, extent, extent, nullptr);
        SetViewportExtEx(dc, item->rcItem.right, item->rcItem.bottom, nullptr);
        // 6. Fitting to another paper.
        if (s.fitToPaper) {
            const LONG x = printableWidth * 100 / paperWidth, y = printableHeight * 100 / paperHeight;
            s.atFullSize = x == 100 && y == 100;
            s.scalePercent = static_cast<DWORD>(std::max<LONG>(std::min(x, y), 0));
        }
        // 7. The paper and the sheet centred in the square (turned for 2 and 6 pages per sheet),
        // then in the client area.
        const auto centred = [&](LONG w, LONG h) {
            if (s.pagesPerSheet == 2 || s.pagesPerSheet == 6) std::swap(w, h);
            return RECT{(extent - w) / 2, (extent - h) / 2, (extent - w) / 2 + w, (extent - h) / 2 + h};
        };
        RECT paper = centred(paperWidth, paperHeight);
        RECT sheet = s.fitToPaper ? centred(printableWidth, printableHeight) : centred(paperWidth, paperHeight);
        POINT middle{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
        DPtoLP(dc, &middle, 1);
        for (RECT* r : {&paper, &sheet}) {
            const LONG dx = middle.x - (r->left + r->right) / 2, dy = middle.y - (r->top + r->bottom) / 2;
            *r = RECT{r->left + dx, r->top + dy, r->right + dx, r->bottom + dy};
        }
        m_layout->paper = paper;
        m_layout->sheet = sheet;
        const auto device = [&](const RECT& r) {
            POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
            LPtoDP(dc, corners, 2);
            return RECT{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
                        std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
        };
        m_paper = device(paper);
        m_sheet = device(sheet);
        m_layout->sheetDevice = m_sheet;
        m_scale = double(item->rcItem.bottom) / extent;
        m_scaleX = double(item->rcItem.right) / extent;
        // The cell gap in logical units, as the pages' frames are measured.
        s.cellGap = (s.pageKind == 8 || s.pageKind == 17) ? 0 : static_cast<DWORD>((Width(paper) + Height(paper)) / 28);
        m_cellGap = ToPixels(s.cellGap);
        RestoreDC(dc, saved);
        // 8. The sheet and its pages, in device pixels.
        DrawSheet(dc);
        // 9. Mirroring and turning on the memory picture.
        if (dc == memory) TurnPicture(memory);
    }
    if (dc == memory) {
        BitBlt(item->hDC, client.left, client.top, Width(client), Height(client), memory, client.left, client.top, SRCCOPY);
        SelectObject(memory, oldPicture);
    }
    if (picture) DeleteObject(picture);
    if (memory) DeleteDC(memory);
    if (drawable) {
        // 10. The centre line; 11. pictograms, edge marks and captions.
        if (s.centreLine) DrawCentreLine(item->hDC);
        if (s.pictogramKind) DrawPictograms(item->hDC);
        DrawEdgeMarks(item->hDC);
    }
    DrawCaptions(item->hDC);
    return item->hwndItem;
}

void QORVAOptItemDlgLinkPagePreview::TurnPicture(HDC memory) {
    const QORVAPreviewSettings& s = *m_settings;
    RECT area = m_sheet;
    if (!s.mirrorX) {
        // The page's black frame: the first black pixels from each side on the middle row and
        // column; what lies inside it is turned.
        const LONG midY = (m_sheet.top + m_sheet.bottom) / 2, midX = (m_sheet.left + m_sheet.right) / 2;
        LONG left = m_sheet.left, right = m_sheet.right - 1, top = m_sheet.top, bottom = m_sheet.bottom - 1;
        while (left < right && GetPixel(memory, left, midY) != kBlack) ++left;
        while (right > left && GetPixel(memory, right, midY) != kBlack) --right;
        while (top < bottom && GetPixel(memory, midX, top) != kBlack) ++top;
        while (bottom > top && GetPixel(memory, midX, bottom) != kBlack) --bottom;
        area = RECT{left + 1, top + 1, right, bottom};
    }
    const LONG w = Width(area), h = Height(area);
    if (w <= 0 || h <= 0) return;
    HDC copy = CreateCompatibleDC(memory);
    HBITMAP bitmap = copy ? CreateCompatibleBitmap(memory, w, h) : nullptr;
    HGDIOBJ old = bitmap ? SelectObject(copy, bitmap) : nullptr;
    if (old) {
        BitBlt(copy, 0, 0, w, h, memory, area.left, area.top, SRCCOPY);
        if (s.mirrorX) StretchBlt(memory, area.right - 1, area.top, -w, h, copy, 0, 0, w, h, SRCCOPY);
        else StretchBlt(memory, area.right - 1, area.bottom - 1, -w, -h, copy, 0, 0, w, h, SRCCOPY);
        SelectObject(copy, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (copy) DeleteDC(copy);
}

void QORVAOptItemDlgLinkPagePreview::DrawSheet(HDC dc) {
    const QORVAPreviewSettings& s = *m_settings;
    {
        Selected pen(dc, GetStockObject(BLACK_PEN), false);
        Selected brush(dc, GetStockObject(WHITE_BRUSH), false);
        Rectangle(dc, m_sheet.left, m_sheet.top, m_sheet.right, m_sheet.bottom);
    }
    const SIZE grid = Grid(s.pagesPerSheet, s.rotation);  // columns x rows
    const LONG rows = grid.cy, columns = grid.cx;
    // Cells keep the paper's orientation, except with 2 and 6 pages, whose paper rectangle is
    // turned: their cells stand across it. (One page per sheet keeps it too: with the turned
    // ratio its cell would lie across the paper and reach beyond it.)
    const bool across = s.pagesPerSheet == 2 || s.pagesPerSheet == 6;
    const LONG paperW = Width(m_layout->paper), paperH = Height(m_layout->paper);
    const LONG ratio = across ? paperW * 100 / paperH : paperH * 100 / paperW;
    const LONG gap = static_cast<LONG>(s.cellGap);
    const LONG cellHeight = (paperH - gap * (rows + 1)) / rows;
    // A paper whose ratio rounds to 0 or that leaves no room for the cells draws no pages.
    if (ratio <= 0 || cellHeight <= 0) return;
    const LONG cellWidth = cellHeight * 100 / ratio;
    const LONG gridWidth = columns * cellWidth + (columns + 1) * gap;
    const LONG left = m_layout->paper.left + (paperW - gridWidth) / 2 + gap;
    const LONG top = m_layout->paper.top + gap;
    // Logical units to device pixels from the paper's corner.
    const auto device = [&](LONG x, LONG y) {
        return POINT{m_paper.left + static_cast<LONG>((x - m_layout->paper.left) * m_scaleX),
                     m_paper.top + ToPixels(y - m_layout->paper.top)};
    };
    for (LONG row = 0; row < rows; ++row)
        for (LONG column = 0; column < columns; ++column) {
            const LONG x = left + column * (cellWidth + gap), y = top + row * (cellHeight + gap);
            m_layout->cell = RECT{x, y, x + cellWidth, y + cellHeight};
            const POINT a = device(x, y), b = device(x + cellWidth, y + cellHeight);
            const RECT cell{a.x, a.y, b.x, b.y};
            const int page = static_cast<int>(row * columns + column + 1);
            if (s.sparsePages) DrawCell(dc, cell, page);
            else DrawCellContent(dc, cell, page);
        }
}

void QORVAOptItemDlgLinkPagePreview::DrawPageFrames(HDC dc, const RECT& cell) {
    if (!PageFramed()) return;
    const COLORREF background = SetBkColor(dc, RGB(192, 192, 192));
    const int mode = SetBkMode(dc, OPAQUE);
    Frame(dc, cell, kGrey, PS_DOT);
    SetBkMode(dc, mode);
    SetBkColor(dc, background);
    Frame(dc, m_sheet, kBlack);
}

void QORVAOptItemDlgLinkPagePreview::DrawCellContent(HDC dc, const RECT& cell, int page) {
    const QORVAPreviewSettings& s = *m_settings;
    const LONG margin = static_cast<LONG>(s.margin), pitch = std::max<LONG>(static_cast<LONG>(s.linePitch), 1);
    // 1. Frames of a scaled page; 2. the cell's border.
    DrawPageFrames(dc, cell);
    if (s.borders && s.pagesPerSheet >= 2 && s.pageKind == 0) Frame(dc, cell, Adjust(kBlack));
    // 3. The clip, two pixels in.
    const int saved = SaveDC(dc);
    RECT clip = (s.pagesPerSheet > 1 || s.fitToPaper || s.scalePercent < 100)
                    ? RECT{std::max(cell.left, m_sheet.left), std::max(cell.top, m_sheet.top),
                           std::min(cell.right, m_sheet.right), std::min(cell.bottom, m_sheet.bottom)}
                    : m_paper;
    IntersectClipRect(dc, clip.left + 2, clip.top + 2, clip.right - 2, clip.bottom - 2);
    // 4. The page and its text lines, in paragraphs whose last line ends in the middle.
    Fill(dc, cell, Adjust(kWhite));
    {
        Selected pen(dc, CreatePen(PS_SOLID, 1, Lighter(s.inverted ? Grey(127) : Grey(128))), true);
        const LONG shift = (!s.fitToPaper && s.scalePercent < 100) ? m_cellGap - margin : 0;
        const LONG paragraph = std::max((Height(cell) - 2 * margin) / 4, 3 * pitch);
        const LONG middle = (cell.left + cell.right) / 2 + shift;
        int paragraphs = 0;
        for (LONG top = cell.top + margin + shift; top < cell.bottom - margin; top += paragraph + pitch) {
            if (page == 1 && s.pageKind && paragraphs == 2) break;
            ++paragraphs;
            const LONG last = std::min(top + paragraph, cell.bottom - margin);
            for (LONG y = top; y < last; y += pitch) {
                const LONG from = cell.left + margin + shift + (y == top ? margin + pitch : 0);
                const LONG to = y + pitch >= last ? middle : cell.right - margin + shift;
                Line(dc, from, y, to, y);
            }
        }
    }
    // 5. The sample picture, 6. the watermark on the same page (or on every page).
    const int picturePage = s.pageKind ? 2 : 1;
    if (page == picturePage) {
        DrawBars(dc, cell);
        DrawPie(dc, cell);
    }
    if (!s.noWatermark && (page == picturePage || s.watermarkEveryPage)) DrawWatermark(dc, cell);
    // 7. The page number, 8. the poster tiles.
    if (s.pagesPerSheet > 1) DrawPageNumber(dc, cell, page);
    if (s.posterTiles >= 2) DrawPosterTiles(dc, cell);
    RestoreDC(dc, saved);
}

void QORVAOptItemDlgLinkPagePreview::DrawCell(HDC dc, const RECT& cell, int page) {
    const QORVAPreviewSettings& s = *m_settings;
    const LONG margin = static_cast<LONG>(s.margin), pitch = std::max<LONG>(static_cast<LONG>(s.linePitch), 1);
    if (s.pagesPerSheet > 1 && s.borders) Frame(dc, cell, Adjust(kBlack));
    DrawPageFrames(dc, cell);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1);
    {
        Selected pen(dc, CreatePen(PS_SOLID, 1, Adjust(kGrey)), true);
        const LONG shift = (!s.fitToPaper && s.scalePercent < 100) ? m_cellGap - margin : 0;
        const LONG fifth = Width(cell) / 5;
        const LONG bottom = cell.bottom - margin;
        LONG y = cell.top + margin + shift;
        for (int i = 0; i < 3 && y < bottom; ++i, y += pitch)
            Line(dc, cell.left + margin + shift, y, cell.left + margin + shift + fifth, y);
        y = cell.top + 2 * Height(cell) / 5 + margin + shift;
        const LONG x = cell.left + 2 * fifth + margin + shift;
        for (int i = 0; i < 4 && y < bottom; ++i, y += pitch) Line(dc, x, y, x + 2 * fifth, y);
    }
    if (!s.noWatermark && (page == 1 || s.watermarkEveryPage)) DrawWatermark(dc, cell);
    if (s.pagesPerSheet > 1) DrawPageNumber(dc, cell, page);
    RestoreDC(dc, saved);
}

void QORVAOptItemDlgLinkPagePreview::DrawWatermark(HDC dc, const RECT& cell) {
    const QORVAPreviewSettings& s = *m_settings;
    const QORVAPreviewWatermark& w = *m_watermark;
    const size_t length = std::char_traits<char16_t>::length(w.text);
    if (length == 0) return;
    LOGFONTW font{};
    StringCchCopyW(font.lfFaceName, LF_FACESIZE, w.faceName);
    font.lfCharSet = w.charSet;
    font.lfWeight = (w.style == 1 || w.style == 3) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (w.style == 2 || w.style == 3) ? 1 : 0;
    font.lfOutPrecision = OUT_TT_PRECIS;
    const LONG angle = w.angle % 360;
    font.lfEscapement = font.lfOrientation = angle * 10;
    // The height in logical units of the sheet's square, as a share of the paper: then pixels.
    const bool touching = (s.pageKind == 8 || s.pageKind == 17) && s.pagesPerSheet > 1;
    const LONG cellSide = std::max<LONG>(SmallerSide(cell), 1);
    const LONG paperSide = std::max<LONG>(touching ? cellSide : SmallerSide(m_paper), 1);
    const double logical = std::min(double(cellSide) * w.size * 600 / 72 / paperSide, double(kLargestLength));
    font.lfHeight = -std::max<LONG>(ToPixels(logical), 1);
    HFONT made = CreateFontIndirectW(&font);
    if (!made) return;
    Selected selected(dc, made, true);
    SIZE extent{};
    GetTextExtentPoint32W(dc, w.text, static_cast<int>(length), &extent);
    if (extent.cx <= 0) return;
    // The start point: the text's middle on the cell's middle, along the angle.
    const double halfW = extent.cx / 2.0, halfH = extent.cy / 2.0;
    const double r = std::sqrt(halfH * halfH + halfW * halfW);
    double a = kPi - std::atan(halfH / halfW) + angle * kPi / 180;
    while (a >= 2 * kPi) a -= 2 * kPi;
    while (a < 0) a += 2 * kPi;
    double x = (cell.left + cell.right) / 2.0 + std::cos(a) * r;
    double y = (cell.top + cell.bottom) / 2.0 - std::sin(a) * r;
    if (s.scalePercent < 100) {
        x += m_cellGap - static_cast<LONG>(s.margin);
        y += m_cellGap - static_cast<LONG>(s.margin);
    }
    // Pulled back along the text's direction into the 16-bit range.
    const double dx = std::cos(angle * kPi / 180), dy = -std::sin(angle * kPi / 180);
    const auto pull = [](double& v, double& other, double along, double alongOther) {
        if (std::fabs(v) <= 32767) return;
        const double limit = v > 0 ? 32767 : -32767;
        if (std::fabs(along) > 1e-9) other += (limit - v) / along * alongOther;
        v = limit;
    };
    pull(x, y, dx, dy);
    pull(y, x, dy, dx);
    x = std::clamp(x, -32767.0, 32767.0);
    y = std::clamp(y, -32767.0, 32767.0);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const UINT align = SetTextAlign(dc, TA_LEFT | TA_TOP);
    const COLORREF colour = Adjust(w.colour);
    const int ix = static_cast<int>(std::lround(x)), iy = static_cast<int>(std::lround(y));
    if (GetDeviceCaps(dc, BITSPIXEL) == 8) {
        // A palette device: the text between two inversions of a brush of the colour.
        Selected brush(dc, CreateSolidBrush(colour), true);
        PatBlt(dc, cell.left, cell.top, Width(cell), Height(cell), PATINVERT);
        const COLORREF ink = SetTextColor(dc, kBlack);
        ExtTextOutW(dc, ix, iy, s.rightToLeft ? ETO_RTLREADING : 0, nullptr, w.text, static_cast<UINT>(length), nullptr);
        SetTextColor(dc, ink);
        PatBlt(dc, cell.left, cell.top, Width(cell), Height(cell), PATINVERT);
    } else {
        const COLORREF ink = SetTextColor(dc, colour);
        WCHAR glyphs[128] = {};
        GCP_RESULTSW placement{};
        placement.lStructSize = sizeof placement;
        placement.lpGlyphs = glyphs;
        placement.nGlyphs = static_cast<UINT>(std::size(glyphs));
        if (s.rightToLeft)
            ExtTextOutW(dc, ix, iy, ETO_RTLREADING, nullptr, w.text, static_cast<UINT>(length), nullptr);
        else if (GetCharacterPlacementW(dc, w.text, static_cast<int>(length), 0, &placement, GCP_REORDER))
            ExtTextOutW(dc, ix, iy, ETO_GLYPH_INDEX, nullptr, glyphs, placement.nGlyphs, nullptr);
        else
            ExtTextOutW(dc, ix, iy, 0, nullptr, w.text, static_cast<UINT>(length), nullptr);
        SetTextColor(dc, ink);
    }
    SetTextAlign(dc, align);
    SetBkMode(dc, mode);
}

void QORVAOptItemDlgLinkPagePreview::DrawPie(HDC dc, const RECT& cell) {
    const QORVAPreviewSettings& s = *m_settings;
    const LONG margin = static_cast<LONG>(s.margin);
    const LONG side = std::min(Width(cell) - 2 * margin, Height(cell) - 2 * margin) / 2;
    if (side <= 2) return;
    const LONG R = cell.right - margin, B = cell.bottom - margin, L = R - side, T = B - side;
    const LONG grow = static_cast<LONG>(2 * s.scalePercent / 100);
    Fill(dc, RECT{L - grow, T - grow, R + grow, B + grow}, s.inverted ? kBlack : kWhite);
    const LONG d = side / 10;
    const COLORREF colours[2][4] = {{RGB(0, 0, 255), RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 255, 0)},
                                    {RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 0, 255), RGB(255, 0, 255)}};
    const int greys[2][4] = {{64, 117, 243, 204}, {191, 138, 12, 51}};
    const POINT rays[5] = {{R, T}, {L + d, T}, {L + side / 2, B}, {R - d, B}, {R, T}};
    Selected pen(dc, GetStockObject(NULL_PEN), false);
    for (int slice = 0; slice < 4; ++slice) {
        const int inverted = s.inverted ? 1 : 0;
        const COLORREF colour = s.greyscale ? Grey(greys[inverted][slice]) : colours[inverted][slice];
        Selected brush(dc, CreateSolidBrush(Lighter(colour)), true);
        Pie(dc, L, T, R, B, rays[slice].x, rays[slice].y, rays[slice + 1].x, rays[slice + 1].y);
    }
    Frame(dc, RECT{L, T, R, B}, s.inverted ? kWhite : kBlack);
}

void QORVAOptItemDlgLinkPagePreview::DrawBars(HDC dc, const RECT& cell) {
    // Two staircases of five bars, the lighter one behind, left of the pie in the lower half.
    const QORVAPreviewSettings& s = *m_settings;
    const LONG margin = static_cast<LONG>(s.margin);
    const LONG side = std::min(Width(cell) - 2 * margin, Height(cell) - 2 * margin) / 2;
    const LONG B = cell.bottom - margin, T = B - side, L = cell.left + margin + side / 8;
    const LONG R = cell.right - margin - side - side / 8;
    if (R - L < 10 || side < 6) return;
    Fill(dc, RECT{L, T, R, B}, s.inverted ? kBlack : kWhite);
    const int inverted = s.inverted ? 1 : 0;
    const COLORREF back = s.greyscale ? Grey(inverted ? 51 : 204) : (inverted ? RGB(0, 51, 102) : RGB(255, 204, 153));
    const COLORREF front = s.greyscale ? Grey(inverted ? 138 : 117) : (inverted ? RGB(51, 153, 204) : RGB(204, 102, 51));
    const LONG width = (R - L) / 5;
    const int heights[2][5] = {{45, 70, 60, 90, 80}, {25, 40, 55, 35, 65}};
    for (int layer = 0; layer < 2; ++layer) {
        POINT points[12];
        int n = 0;
        points[n++] = POINT{L, B};
        for (int bar = 0; bar < 5; ++bar) {
            const LONG top = B - side * heights[layer][bar] / 100;
            points[n++] = POINT{L + bar * width, top};
            points[n++] = POINT{L + (bar + 1) * width, top};
        }
        points[n++] = POINT{L + 5 * width, B};
        Selected pen(dc, GetStockObject(NULL_PEN), false);
        Selected brush(dc, CreateSolidBrush(Lighter(layer == 0 ? back : front)), true);
        Polygon(dc, points, n);
    }
}

void QORVAOptItemDlgLinkPagePreview::DrawPageNumber(HDC dc, const RECT& cell, int page) {
    const QORVAPreviewSettings& s = *m_settings;
    LOGFONTW font{};
    const char16_t face[] = u"Arial";
    std::memcpy(font.lfFaceName, face, sizeof face);
    font.lfWeight = FW_BOLD;
    const double logical = double(SmallerSide(cell)) * 3333 / std::max<LONG>(SmallerSide(m_paper), 1);
    font.lfHeight = std::max<LONG>(ToPixels(logical), 1);
    Selected selected(dc, CreateFontIndirectW(&font), true);
    const std::u16string number = [&] {
        std::u16string text;
        for (char c : std::to_string(page)) text += static_cast<char16_t>(c);
        return text;
    }();
    SIZE extent{};
    GetTextExtentPoint32W(dc, number.c_str(), static_cast<int>(number.size()), &extent);
    const int x = (cell.left + cell.right) / 2, y = (cell.top + cell.bottom - extent.cy) / 2;
    const UINT options = s.rightToLeft ? ETO_RTLREADING : 0;
    const UINT align = SetTextAlign(dc, TA_CENTER | TA_TOP);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF ink = SetTextColor(dc, kWhite);
    for (int offset : {-1, 1})
        ExtTextOutW(dc, x + offset, y, options, nullptr, number.c_str(), static_cast<UINT>(number.size()), nullptr);
    SetTextColor(dc, RGB(0, 0, 255));
    ExtTextOutW(dc, x, y, options, nullptr, number.c_str(), static_cast<UINT>(number.size()), nullptr);
    SetTextColor(dc, ink);
    SetBkMode(dc, mode);
    SetTextAlign(dc, align);
}

void QORVAOptItemDlgLinkPagePreview::DrawPosterTiles(HDC dc, const RECT& cell) {
    const LONG tiles = static_cast<LONG>(m_settings->posterTiles);
    Selected pen(dc, CreatePen(PS_SOLID, 3, RGB(32, 32, 32)), true);
    for (LONG i = 1; i < tiles; ++i) {
        const LONG x = cell.left + Width(cell) * i / tiles, y = cell.top + Height(cell) * i / tiles;
        Line(dc, x, cell.top, x, cell.bottom);
        Line(dc, cell.left, y, cell.right, y);
    }
}

void QORVAOptItemDlgLinkPagePreview::DrawCentreLine(HDC dc) {
    Selected pen(dc, CreatePen(PS_DOT, 1, kGrey), true);
    Selected brush(dc, GetStockObject(HOLLOW_BRUSH), false);
    const int mode = SetBkMode(dc, TRANSPARENT);
    if (m_settings->rotation == 0 || m_settings->rotation == 1) {
        const LONG x = (m_sheet.left + m_sheet.right) / 2;
        Line(dc, x, m_sheet.top, x, m_sheet.bottom);
    } else {
        const LONG y = (m_sheet.top + m_sheet.bottom) / 2;
        Line(dc, m_sheet.left, y, m_sheet.right, y);
    }
    SetBkMode(dc, mode);
}

void QORVAOptItemDlgLinkPagePreview::DrawPictograms(HDC dc) {
    const QORVAPreviewSettings& s = *m_settings;
    const DWORD* config = m_core->m_config;
    const bool left = s.pageKind ? s.pairSide == 1 : (s.sideCode == 3 || s.sideCode == 4);
    SIZE size{0, 0};
    HBITMAP measured = nullptr;
    if (m_core->m_resources && SUCCEEDED(m_core->m_resources->LoadBitmap(config[kConfigPictogramRight1], &measured))) {
        size = BitmapSize(measured);
        DeleteObject(measured);
    }
    const LONG y = m_sheet.bottom - size.cy;
    const LONG x = left ? m_sheet.left : m_sheet.right - size.cx;
    DWORD bitmap = 0, mask = 0;
    const bool portrait = s.rotation == 0 || s.rotation == 1;
    if (s.pageKind) {
        DrawCentreLine(dc);
        bitmap = left ? config[portrait ? kConfigPictogramLeft1 : kConfigPictogramLeft2]
                      : config[portrait ? kConfigPictogramRight1 : kConfigPictogramRight2];
    } else if (s.pictogramKind == 1 || s.pictogramKind == 2) {
        const bool first = s.pictogramKind == 1;
        bitmap = left ? config[first ? kConfigPictogramLeft1 : kConfigPictogramLeft2]
                      : config[first ? kConfigPictogramRight1 : kConfigPictogramRight2];
    }
    if (left) mask = config[kConfigPictogramLeftMask];
    if (bitmap) QORVAUISession::DrawResourceBitmapTransparent(m_core, m_control, x, y, bitmap, mask);
}

void QORVAOptItemDlgLinkPagePreview::DrawEdgeMarks(HDC dc) {
    const QORVAPreviewSettings& s = *m_settings;
    const DWORD rotation = s.rotation, kind = s.edgeKind;
    const bool sides = (kind == 0 && (rotation <= 1 || rotation > 3)) || (kind == 1 && rotation >= 2) || kind >= 2;
    const LONG half = m_cellGap / 2;
    HPEN grey = CreatePen(PS_SOLID, 1, kGrey), black = CreatePen(PS_SOLID, 1, kBlack);
    HGDIOBJ old = SelectObject(dc, grey);
    if (sides) {
        const bool right = s.turned == 1;
        const LONG edge = right ? m_sheet.right - 1 : m_sheet.left;
        for (LONG y = m_sheet.top + half; y < m_sheet.bottom - half; y += 5) {
            SelectObject(dc, grey);
            if (right) Line(dc, edge + 2, y, edge, y);
            else Line(dc, edge - 3, y, edge - 1, y);
            SelectObject(dc, black);
            if (right) Line(dc, edge + 2, y + 1, edge - 4, y + 1);
            else Line(dc, edge - 3, y + 1, edge + 3, y + 1);
        }
    } else {
        const bool bottom = s.turned != 0;
        const LONG edge = bottom ? m_sheet.bottom - 1 : m_sheet.top;
        const LONG out = bottom ? 1 : -1;
        for (LONG x = m_sheet.left + half; x < m_sheet.right - half; x += 5) {
            SelectObject(dc, grey);
            Line(dc, x, edge + 3 * out, x, edge + out);
            SelectObject(dc, black);
            Line(dc, x + 1, edge + 3 * out, x + 1, edge - 3 * out);
        }
    }
    SelectObject(dc, old);
    DeleteObject(grey);
    DeleteObject(black);
}

void QORVAOptItemDlgLinkPagePreview::DrawCaptions(HDC dc) {
    const QORVAPreviewSettings& s = *m_settings;
    const RECT client = m_layout->control;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(m_control, WM_GETFONT, 0, 0));
    Selected selected(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT), false);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF ink = SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    // 1. The caption box under the sheet (moved up to stay in the client area), centred.
    const std::u16string caption = m_layout->caption;
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    const LONG boxWidth = extent.cx + 8, boxHeight = extent.cy + 4;
    LONG top = m_sheet.bottom + 6;
    if (top + boxHeight > client.bottom) top = client.bottom - boxHeight;
    const LONG left = (client.left + client.right - boxWidth) / 2;
    RECT box{left, top, left + boxWidth, top + boxHeight};
    m_layout->captionBox = box;
    FillRect(dc, &box, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    TextOutW(dc, box.left + 4, box.top + 2, caption.c_str(), static_cast<int>(caption.size()));
    // 2. The summary line at the top.
    std::u16string summary = s.documentPaperName;
    if (s.fitToPaper) {
        summary += u" -> ";
        summary += s.outputPaperName;
    } else {
        summary += u" (";
        for (char c : std::to_string(s.scalePercent)) summary += static_cast<char16_t>(c);
        summary += u"%)";
    }
    SIZE line{};
    GetTextExtentPoint32W(dc, summary.c_str(), static_cast<int>(summary.size()), &line);
    RECT strip{client.left, client.top, client.right, client.top + line.cy + 3};
    if (m_core->m_drawParentBackground) m_core->m_drawParentBackground(m_control, dc, &strip);
    RECT edge = strip;
    DrawEdge(dc, &edge, EDGE_BUMP, BF_BOTTOM | BF_ADJUST);
    RECT text{strip.left + 2, strip.top + 1, strip.right, strip.bottom};
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, summary.c_str(), static_cast<int>(summary.size()), &text, DT_SINGLELINE | DT_WORD_ELLIPSIS);
    SetTextColor(dc, ink);
    SetBkMode(dc, mode);
}

}  // namespace paint
