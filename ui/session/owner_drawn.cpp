// The owner-drawn controls' painting operations.
#include "session/owner_drawn.h"

#include <string>

namespace paint {
namespace {

constexpr DWORD kIniPathChars = 261;

// Where a bitmap sits centred in the window's client area.
POINT Centred(QORVAUISessionCore* core, HWND window, DWORD id) {
    SIZE size{0, 0};
    HBITMAP bitmap = nullptr;
    if (core->m_resources && id && SUCCEEDED(core->m_resources->LoadBitmap(id, &bitmap))) {
        size = BitmapSize(bitmap);
        DeleteObject(bitmap);
    }
    RECT client{};
    GetClientRect(window, &client);
    return POINT{(client.right - client.left - size.cx) / 2, (client.bottom - client.top - size.cy) / 2};
}

// The logo rule: the ini's [LOGO] FILE (with its MASK, else a made mask) drawn at x 0 centred
// vertically; without a file, the resource bitmap and mask of the given words at (x, y), or
// centred vertically when centre is set.
void PaintLogoByRule(QORVAUISessionCore* core, HWND window, DWORD bitmapWord, DWORD maskWord, bool centre) {
    LPCWSTR ini = core->m_resources ? core->m_resources->GetIniFileName() : nullptr;
    WCHAR file[kIniPathChars] = {};
    if (ini) GetPrivateProfileStringW(u"LOGO", u"FILE", u"", file, kIniPathChars, ini);
    if (file[0]) {
        WCHAR mask[kIniPathChars] = {};
        GetPrivateProfileStringW(u"LOGO", u"MASK", u"", mask, kIniPathChars, ini);
        QORVAUISession::DrawFileLogo(core, window, file, mask[0] ? mask : nullptr);
        return;
    }
    const int y = centre ? Centred(core, window, core->m_config[bitmapWord]).y : 0;
    QORVAUISession::DrawResourceBitmapTransparent(core, window, 0, y, core->m_config[bitmapWord], core->m_config[maskWord]);
}

bool Paints(const QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item) {
    return painter && painter->m_core && item && item->itemAction == ODA_DRAWENTIRE;
}

// The decimal number after the first "|" (0 when there is none or it is not a number).
COLORREF RowColour(const std::u16string& text, std::u16string* label) {
    const size_t bar = text.find(u'|');
    *label = text.substr(0, bar);
    if (bar == std::u16string::npos) return 0;
    unsigned long long value = 0;
    bool digits = false;
    for (size_t i = bar + 1; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > 0xFFFFFFFFull) return 0;
        digits = true;
    }
    return digits ? static_cast<COLORREF>(value) : 0;
}

}  // namespace

void QORVAOptItemDlgLinkLogo::PaintLogo(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item) {
    if (!Paints(painter, item)) return;
    PaintLogoByRule(painter->m_core, item->hwndItem, kConfigLogo, kConfigLogoMask, true);
}

void QORVAOptItemDlgLinkAboutLogo::PaintLogo(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item) {
    if (!Paints(painter, item)) return;
    PaintLogoByRule(painter->m_core, item->hwndItem, kConfigAboutLogo, kConfigAboutLogoMask, false);
}

void QORVAOptItemDlgLinkCertLogo::PaintLogo(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item, DWORD bitmapId) {
    if (!Paints(painter, item)) return;
    const POINT at = Centred(painter->m_core, item->hwndItem, bitmapId);
    QORVAUISession::DrawResourceBitmapTransparent(painter->m_core, item->hwndItem, at.x, at.y, bitmapId, 0);
}

void QORVAOptItemDlgLinkBubble::PaintBubble(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item, DWORD kind) {
    if (!painter || !painter->m_core || !item) return;
    QORVAUISessionCore* core = painter->m_core;
    const DWORD normal = core->m_config[kind == 1 ? kConfigBubble1 : kConfigBubble2];
    const DWORD pressed = core->m_config[kind == 1 ? kConfigBubble1Pressed : kConfigBubble2Pressed];
    if (core->m_drawParentBackground) {
        HDC dc = GetDC(item->hwndItem);
        RECT client{};
        GetClientRect(item->hwndItem, &client);
        core->m_drawParentBackground(item->hwndItem, dc, &client);
        ReleaseDC(item->hwndItem, dc);
    }
    const DWORD picture = (item->itemState & ODS_SELECTED) ? pressed : normal;
    const POINT at = Centred(core, item->hwndItem, picture);
    QORVAUISession::DrawResourceBitmapTransparent(core, item->hwndItem, at.x, at.y, picture, 0);
    if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
}

void QORVAOptItemDlgLinkComboboxCOLOR::PaintColorItem(const DRAWITEMSTRUCT* item) {
    if (!item || !item->hDC) return;
    std::u16string text;
    const LRESULT length = SendMessageW(item->hwndItem, CB_GETLBTEXTLEN, item->itemID, 0);
    if (length > 0) {
        text.assign(static_cast<size_t>(length) + 1, u'\0');
        const LRESULT copied = SendMessageW(item->hwndItem, CB_GETLBTEXT, item->itemID, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    }
    std::u16string label;
    const COLORREF colour = RowColour(text, &label);
    const RECT& row = item->rcItem;
    const LONG swatchWidth = (row.right - row.left) / 5;
    HDC dc = item->hDC;
    // The swatch: the colour inside, a black frame one pixel out.
    RECT swatch{row.left + 2, row.top + 3, row.left + swatchWidth - 2, row.bottom - 3};
    if (HBRUSH brush = CreateSolidBrush(colour)) {
        FillRect(dc, &swatch, brush);
        DeleteObject(brush);
    }
    RECT frame{swatch.left - 1, swatch.top - 1, swatch.right + 1, swatch.bottom + 1};
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // The label area in the selection's colours.
    const bool selected = item->itemState & ODS_SELECTED;
    const COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    RECT area{row.left + swatchWidth, row.top, row.right, row.bottom};
    FillRect(dc, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF oldInk = SetTextColor(dc, ink);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ oldPen = pen ? SelectObject(dc, pen) : nullptr;
    TextOutW(dc, row.left + swatchWidth + 4, row.top + 2, label.c_str(), static_cast<int>(label.size()));
    if (oldPen) SelectObject(dc, oldPen);
    if (pen) DeleteObject(pen);
    if (oldFont) SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldInk);
}

}  // namespace paint
