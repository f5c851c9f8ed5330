// Pictures of windows as a person would see them, and the text dump of a window tree.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include <palvex/ui_script.h>
#include <win/commctrl.h>
#include <win/winuser.h>

#include "gdi/gdi_objects.h"
#include "crt/utf16.h"
#include "comctl/image_list.h"
#include "comctl/tab_layout.h"
#include "user/window_canvas.h"
#include "user/window_store.h"

namespace {

using palvex::win::LayOutText;

constexpr int kCaptionHeight = 30;
constexpr COLORREF kFace = RGB(240, 240, 240);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGrayText = RGB(160, 160, 160);

struct Facts {
    HWND handle = nullptr;
    HWND parent = nullptr;
    DWORD exStyle = 0;
    UINT_PTR id = 0;
    std::u16string className;
    std::u16string drawnAs;  // the standard class a superclass of it is drawn as, else className
    std::u16string text;
    DWORD style = 0;
    RECT rect{};
    bool registered = false;
    bool dialog = false;
    palvex::win::ControlState control;
    std::vector<HWND> children;
};

bool Read(HWND hWnd, Facts* facts) {
    auto& table = palvex::win::WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    const palvex::win::Window* window = table.Find(hWnd);
    if (!window) return false;
    facts->handle = hWnd;
    facts->parent = window->parent;
    facts->exStyle = window->exStyle;
    facts->id = window->id;
    facts->className = window->windowClass->name;
    facts->drawnAs = facts->className;
    // A module's class made from a standard one (same procedure) looks like that control.
    if (window->windowClass->registered)
        for (const char16_t* standard : {u"Static", u"Button", u"Edit", u"ListBox", u"ComboBox"}) {
            const palvex::win::WindowClass* base = table.FindClass(standard);
            if (base && !base->registered && base->procedure == window->windowClass->procedure) facts->drawnAs = standard;
        }
    facts->text = window->text;
    facts->style = window->style;
    facts->rect = window->rect;
    facts->registered = window->windowClass->registered;
    facts->dialog = window->dialog != nullptr;
    if (window->control) facts->control = *window->control;
    facts->children = window->children;
    return true;
}

void Colour(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void Box(cairo_t* cr, double x, double y, double w, double h, COLORREF fill, COLORREF border) {
    Colour(cr, fill);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    Colour(cr, border);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
    cairo_stroke(cr);
}

bool Is(const Facts& facts, const char16_t* name) {
    return palvex::text::Upcase(facts.drawnAs) == palvex::text::Upcase(name);
}

// Asks the control's parent to draw one part of an owner-drawn control on the picture.
void OwnerDraw(cairo_t* cr, const Facts& facts, UINT type, UINT item, UINT state, const RECT& rect, ULONG_PTR data) {
    if (!facts.parent) return;
    HDC dc = GetDC(facts.handle);  // draws on the control's place in the picture
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(facts.handle, WM_GETFONT, 0, 0)) ?: GetStockObject(DEFAULT_GUI_FONT));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = type;
    draw.CtlID = static_cast<UINT>(facts.id);
    draw.itemID = item;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state | ((facts.style & WS_DISABLED) ? ODS_DISABLED : 0) | (GetFocus() == facts.handle ? ODS_FOCUS : 0);
    draw.hwndItem = facts.handle;
    draw.hDC = dc;
    draw.rcItem = rect;
    draw.itemData = data;
    cairo_surface_flush(cairo_get_target(cr));
    SendMessageW(facts.parent, WM_DRAWITEM, facts.id, reinterpret_cast<LPARAM>(&draw));
    cairo_surface_mark_dirty(cairo_get_target(cr));
    ReleaseDC(facts.handle, dc);
}

void DrawImage(cairo_t* cr, HANDLE imageList, int index, double x, double y) {
    int cx = 0, cy = 0;
    if (HICON icon = palvex::comctl::ImageOf(static_cast<HIMAGELIST>(imageList), index, &cx, &cy))
        palvex::win::DrawIconImage(cr, icon, x, y, cx, cy);
}

void Arrow(cairo_t* cr, double cx, double cy, bool up, COLORREF ink) {
    Colour(cr, ink);
    const double d = up ? -1 : 1;
    cairo_move_to(cr, cx - 4, cy - 2 * d);
    cairo_line_to(cr, cx + 4, cy - 2 * d);
    cairo_line_to(cr, cx, cy + 2 * d);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void SideArrow(cairo_t* cr, double cx, double cy, bool left, COLORREF ink) {
    Colour(cr, ink);
    const double d = left ? -1 : 1;
    cairo_move_to(cr, cx - 2 * d, cy - 4);
    cairo_line_to(cr, cx - 2 * d, cy + 4);
    cairo_line_to(cr, cx + 2 * d, cy);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// The shield of a button whose action asks for administrator rights: 12 x 14 pixels at (x, y),
// blue and yellow quarters.
void Shield(cairo_t* cr, double x, double y) {
    const auto outline = [&] {
        cairo_move_to(cr, x + 6, y);
        cairo_line_to(cr, x + 12, y + 2);
        cairo_curve_to(cr, x + 12, y + 8, x + 10, y + 12, x + 6, y + 14);
        cairo_curve_to(cr, x + 2, y + 12, x, y + 8, x, y + 2);
        cairo_close_path(cr);
    };
    const struct {
        double left, top;
        COLORREF colour;
    } quarters[] = {{0, 0, RGB(30, 90, 200)}, {6, 0, RGB(250, 200, 40)}, {0, 7, RGB(250, 200, 40)}, {6, 7, RGB(30, 90, 200)}};
    for (const auto& quarter : quarters) {
        cairo_save(cr);
        outline();
        cairo_clip(cr);
        Colour(cr, quarter.colour);
        cairo_rectangle(cr, x + quarter.left, y + quarter.top, 6, 7);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    outline();
    Colour(cr, RGB(60, 60, 60));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

int LineHeight(const LOGFONTW& font) {
    return std::max(LayOutText(nullptr, font, 0, u"Ag", RECT{0, 0, 1000, 100}, DT_SINGLELINE), 1) + 2;
}

void DrawTabs(cairo_t* cr, const Facts& facts, const LOGFONTW& font, int width, int height) {
    int rowHeight = 0;
    const auto rects = palvex::comctl::TabRects(facts.handle, facts.control.items, facts.control.imageList != nullptr, &rowHeight);
    Box(cr, 0, rowHeight, width, height - rowHeight, RGB(255, 255, 255), RGB(217, 217, 217));
    for (size_t i = 0; i < rects.size(); ++i) {
        const bool selected = static_cast<int>(i) == facts.control.selection;
        RECT r = rects[i];
        if (selected) r = {r.left - 2, r.top - 2, r.right + 2, r.bottom + 1};
        Colour(cr, selected ? RGB(255, 255, 255) : RGB(240, 240, 240));
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        cairo_fill(cr);
        Colour(cr, RGB(217, 217, 217));
        cairo_move_to(cr, r.left + 0.5, r.bottom);
        cairo_line_to(cr, r.left + 0.5, r.top + 0.5);
        cairo_line_to(cr, r.right - 0.5, r.top + 0.5);
        cairo_line_to(cr, r.right - 0.5, r.bottom);
        cairo_stroke(cr);
        const auto& item = facts.control.items[i];
        LONG left = r.left + 6;
        if (facts.control.imageList && item.image >= 0) {
            DrawImage(cr, facts.control.imageList, item.image, left, (r.top + r.bottom) / 2.0 - 8);
            left += 19;
        }
        LayOutText(cr, font, kText, item.text, RECT{left, r.top, r.right - 4, r.bottom}, DT_SINGLELINE | DT_VCENTER);
    }
}

void DrawListView(cairo_t* cr, const Facts& facts, const LOGFONTW& font, int width, int height, COLORREF ink) {
    Box(cr, 0, 0, width, height, RGB(255, 255, 255), RGB(130, 135, 144));
    const int lineHeight = std::max(LineHeight(font), facts.control.imageList ? 18 : 0);
    const bool report = (facts.style & LVS_TYPEMASK) == LVS_REPORT;
    int y = 1;
    std::vector<int> columnLeft;
    int x = 1;
    for (const auto& column : facts.control.columns) {
        columnLeft.push_back(x);
        x += column.width;
    }
    if (report && !(facts.style & LVS_NOCOLUMNHEADER) && !facts.control.columns.empty()) {
        for (size_t c = 0; c < facts.control.columns.size(); ++c) {
            const int left = columnLeft[c], right = c + 1 < columnLeft.size() ? columnLeft[c + 1] : width - 1;
            Box(cr, left, y, right - left, lineHeight + 4, RGB(255, 255, 255), RGB(229, 229, 229));
            LayOutText(cr, font, kText, facts.control.columns[c].text, RECT{left + 6, y, right - 2, y + lineHeight + 4},
                       DT_SINGLELINE | DT_VCENTER);
        }
        y += lineHeight + 4;
    }
    for (const auto& item : facts.control.items) {
        if (y >= height) break;
        const bool selected = item.state & LVIS_SELECTED;
        if (selected) {
            Colour(cr, RGB(204, 232, 255));
            cairo_rectangle(cr, 1, y, width - 2, lineHeight);
            cairo_fill(cr);
        }
        int left = 4;
        if (facts.control.extendedStyle & LVS_EX_CHECKBOXES) {
            const double box = std::min(13, lineHeight - 2);
            const double top = y + (lineHeight - box) / 2.0;
            Box(cr, left, top, box, box, RGB(255, 255, 255), RGB(51, 51, 51));
            if (((item.state & LVIS_STATEIMAGEMASK) >> 12) == 2) {
                // The tick: two strokes from the lower left.
                Colour(cr, kText);
                cairo_set_line_width(cr, 1.5);
                cairo_move_to(cr, left + box * 0.2, top + box * 0.5);
                cairo_line_to(cr, left + box * 0.42, top + box * 0.75);
                cairo_line_to(cr, left + box * 0.8, top + box * 0.25);
                cairo_stroke(cr);
            }
            left += static_cast<int>(box) + 4;
        }
        if (facts.control.imageList && item.image >= 0) {
            DrawImage(cr, facts.control.imageList, item.image, left, y + (lineHeight - 16) / 2.0);
            left += 20;
        }
        const int firstRight = report && columnLeft.size() > 1 ? columnLeft[1] : width - 2;
        LayOutText(cr, font, ink, item.text, RECT{left, y, firstRight - 2, y + lineHeight}, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        for (size_t c = 1; report && c < columnLeft.size() && c - 1 < item.subitems.size(); ++c) {
            const int right = c + 1 < columnLeft.size() ? columnLeft[c + 1] : width - 2;
            LayOutText(cr, font, ink, item.subitems[c - 1], RECT{columnLeft[c] + 6, y, right - 2, y + lineHeight},
                       DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        y += lineHeight;
    }
}

void DrawControl(cairo_t* cr, HWND hWnd, const Facts& facts, int width, int height) {
    const LOGFONTW font = palvex::win::FontOf(reinterpret_cast<HGDIOBJ>(SendMessageW(hWnd, WM_GETFONT, 0, 0)));
    const bool enabled = !(facts.style & WS_DISABLED);
    const COLORREF ink = enabled ? kText : kGrayText;
    const RECT whole{0, 0, width, height};
    if (Is(facts, u"Button")) {
        const DWORD type = facts.style & BS_TYPEMASK;
        if (type == BS_OWNERDRAW) {
            OwnerDraw(cr, facts, ODT_BUTTON, 0, facts.control.pushed ? ODS_SELECTED : 0, whole, 0);
        } else if (type == BS_GROUPBOX) {
            Colour(cr, RGB(220, 220, 220));
            cairo_rectangle(cr, 0.5, 7.5, width - 1, height - 8);
            cairo_stroke(cr);
            const int textWidth = std::min<int>(width - 16, static_cast<int>(facts.text.size()) * 14 + 8);
            Colour(cr, kFace);
            cairo_rectangle(cr, 6, 0, textWidth, 16);
            cairo_fill(cr);
            LayOutText(cr, font, ink, facts.text, RECT{8, 0, width - 8, 16}, DT_SINGLELINE);
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
                   type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
            const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
            const double top = (height - 13) / 2.0;
            if (radio) {
                Colour(cr, RGB(255, 255, 255));
                cairo_arc(cr, 6.5, top + 6.5, 6, 0, 2 * M_PI);
                cairo_fill_preserve(cr);
                Colour(cr, RGB(51, 51, 51));
                cairo_stroke(cr);
                if (facts.control.check == BST_CHECKED) {
                    cairo_arc(cr, 6.5, top + 6.5, 3, 0, 2 * M_PI);
                    cairo_fill(cr);
                }
            } else {
                Box(cr, 0, top, 13, 13, RGB(255, 255, 255), RGB(51, 51, 51));
                if (facts.control.check != BST_UNCHECKED) {
                    Colour(cr, RGB(0, 0, 0));
                    cairo_set_line_width(cr, 2);
                    cairo_move_to(cr, 3, top + 6.5);
                    cairo_line_to(cr, 5.5, top + 9.5);
                    cairo_line_to(cr, 10, top + 3.5);
                    cairo_stroke(cr);
                }
            }
            LayOutText(cr, font, ink, facts.text, RECT{18, 0, width, height}, DT_VCENTER | DT_WORDBREAK);
        } else {
            const bool isDefault = type == BS_DEFPUSHBUTTON;
            Box(cr, 0, 0, width, height, enabled ? RGB(225, 225, 225) : RGB(204, 204, 204),
                isDefault && enabled ? RGB(0, 120, 215) : RGB(173, 173, 173));
            RECT textArea = whole;
            if (facts.control.shield) {
                Shield(cr, 5, (height - 14) / 2.0);
                textArea.left = 20;
            }
            LayOutText(cr, font, ink, facts.text, textArea, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    } else if (Is(facts, u"Edit")) {
        Box(cr, 0, 0, width, height, (facts.style & ES_READONLY) || !enabled ? kFace : RGB(255, 255, 255),
            RGB(122, 122, 122));
        std::u16string shown = facts.text;
        if (facts.style & ES_PASSWORD) shown.assign(shown.size(), u'\u25CF');
        const UINT format = (facts.style & ES_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
        LayOutText(cr, font, ink, shown, RECT{3, 2, width - 3, height - 2}, format | DT_NOPREFIX);
    } else if (Is(facts, u"Static")) {
        const DWORD type = facts.style & SS_TYPEMASK;
        if (type == SS_OWNERDRAW) {
            OwnerDraw(cr, facts, ODT_STATIC, 0, 0, whole, 0);
        } else if (type == SS_ICON) {
            palvex::win::DrawIconImage(cr, static_cast<HICON>(facts.control.image), 0, 0, std::min(width, 32), std::min(height, 32));
        } else if (type == SS_BITMAP) {
            if (auto bitmap = palvex::gdi::Objects().Find(facts.control.image); bitmap && bitmap->type == OBJ_BITMAP)
                palvex::win::DrawBitmap(cr, *bitmap, 0, 0, bitmap->width, bitmap->height);
        } else if (type == SS_ETCHEDHORZ) {
            Colour(cr, RGB(160, 160, 160));
            cairo_move_to(cr, 0, 0.5);
            cairo_line_to(cr, width, 0.5);
            cairo_stroke(cr);
            Colour(cr, RGB(255, 255, 255));
            cairo_move_to(cr, 0, 1.5);
            cairo_line_to(cr, width, 1.5);
            cairo_stroke(cr);
        } else if (type == SS_BLACKRECT) {
            Colour(cr, RGB(0, 0, 0));
            cairo_rectangle(cr, 0, 0, width, height);
            cairo_fill(cr);
        } else if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
            const UINT align = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
            LayOutText(cr, font, ink, facts.text, whole, align | DT_WORDBREAK);
        } else if (type == SS_LEFTNOWORDWRAP) {
            // Each line stays one line, cut at the control's right edge.
            LayOutText(cr, font, ink, facts.text, whole, DT_LEFT);
        }
    } else if (Is(facts, u"ListBox")) {
        Box(cr, 0, 0, width, height, RGB(255, 255, 255), RGB(130, 135, 144));
        const bool ownerDrawn = facts.style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
        int y = 1;
        for (size_t i = 0; i < facts.control.items.size() && y < height; ++i) {
            const int lineHeight = ownerDrawn ? 16 : std::max(LayOutText(nullptr, font, ink, u"Ag", whole, DT_SINGLELINE), 1);
            const bool selected = static_cast<int>(i) == facts.control.selection;
            if (ownerDrawn) {
                OwnerDraw(cr, facts, ODT_LISTBOX, static_cast<UINT>(i), selected ? ODS_SELECTED : 0,
                          RECT{1, y, width - 1, y + lineHeight}, static_cast<ULONG_PTR>(facts.control.items[i].data));
                y += lineHeight;
                continue;
            }
            if (selected) {
                Colour(cr, RGB(0, 120, 215));
                cairo_rectangle(cr, 1, y, width - 2, lineHeight);
                cairo_fill(cr);
            }
            LayOutText(cr, font, selected ? RGB(255, 255, 255) : ink, facts.control.items[i].text,
                       RECT{3, y, width - 3, y + lineHeight}, DT_SINGLELINE | DT_NOPREFIX);
            y += lineHeight;
        }
    } else if (Is(facts, u"ComboBox") || Is(facts, u"ComboBoxEx32")) {
        const int boxHeight = std::min(height, 22);
        Box(cr, 0, 0, width, boxHeight, enabled ? RGB(255, 255, 255) : kFace, RGB(122, 122, 122));
        const int selection = facts.control.selection;
        const bool valid = selection >= 0 && selection < static_cast<int>(facts.control.items.size());
        if (Is(facts, u"ComboBox") && (facts.style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))) {
            OwnerDraw(cr, facts, ODT_COMBOBOX, valid ? static_cast<UINT>(selection) : static_cast<UINT>(-1),
                      ODS_COMBOBOXEDIT, RECT{2, 2, width - 20, boxHeight - 2},
                      valid ? static_cast<ULONG_PTR>(facts.control.items[static_cast<size_t>(selection)].data) : 0);
        } else {
            LONG left = 3;
            if (Is(facts, u"ComboBoxEx32") && valid && facts.control.imageList) {
                const auto& item = facts.control.items[static_cast<size_t>(selection)];
                DrawImage(cr, facts.control.imageList, item.selectedImage >= 0 ? item.selectedImage : item.image, 3,
                          boxHeight / 2.0 - 8);
                left += 20;
            }
            LayOutText(cr, font, ink, facts.text, RECT{left, 0, width - 20, boxHeight}, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        Colour(cr, ink);
        cairo_move_to(cr, width - 14, boxHeight / 2.0 - 2);
        cairo_line_to(cr, width - 6, boxHeight / 2.0 - 2);
        cairo_line_to(cr, width - 10, boxHeight / 2.0 + 3);
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (Is(facts, u"SysTabControl32")) {
        DrawTabs(cr, facts, font, width, height);
    } else if (Is(facts, u"SysListView32")) {
        DrawListView(cr, facts, font, width, height, ink);
    } else if (Is(facts, u"msctls_updown32")) {
        const bool horizontal = facts.style & UDS_HORZ;
        if (horizontal) {
            Box(cr, 0, 0, width / 2.0, height, RGB(225, 225, 225), RGB(173, 173, 173));
            Box(cr, width / 2.0, 0, width / 2.0, height, RGB(225, 225, 225), RGB(173, 173, 173));
        } else {
            Box(cr, 0, 0, width, height / 2.0, RGB(225, 225, 225), RGB(173, 173, 173));
            Box(cr, 0, height / 2.0, width, height / 2.0, RGB(225, 225, 225), RGB(173, 173, 173));
            Arrow(cr, width / 2.0, height / 4.0, true, ink);
            Arrow(cr, width / 2.0, height * 3 / 4.0, false, ink);
        }
    } else if (Is(facts, u"msctls_progress32")) {
        Box(cr, 0, 0, width, height, RGB(230, 230, 230), RGB(188, 188, 188));
        const int span = facts.control.maximum - facts.control.minimum;
        const double part = span > 0 ? double(facts.control.position - facts.control.minimum) / span : 0;
        Colour(cr, RGB(6, 176, 37));
        if (facts.control.marquee)  // a still picture of the moving block: a quarter of the bar, a third in
            cairo_rectangle(cr, 1 + (width - 2) / 3.0, 1, (width - 2) / 4.0, height - 2);
        else
            cairo_rectangle(cr, 1, 1, (width - 2) * std::clamp(part, 0.0, 1.0), height - 2);
        cairo_fill(cr);
    } else if (Is(facts, u"ScrollBar")) {
        // Arrows at both ends, the track between them and the thumb at the position in the range.
        const bool vertical = facts.style & SBS_VERT;
        Box(cr, 0, 0, width, height, RGB(240, 240, 240), RGB(218, 218, 218));
        const int length = vertical ? height : width, thickness = vertical ? width : height;
        const int span = facts.control.maximum - facts.control.minimum;
        const double part = span != 0 ? double(facts.control.position - facts.control.minimum) / span : 0;
        const double button = std::min(thickness, length / 3);
        const double track = std::max(length - 3 * button, 0.0);
        const double at = button + track * std::clamp(part, 0.0, 1.0);
        Colour(cr, enabled ? RGB(192, 192, 192) : RGB(220, 220, 220));
        if (vertical) cairo_rectangle(cr, 2, at, width - 4, button);
        else cairo_rectangle(cr, at, 2, button, height - 4);
        cairo_fill(cr);
        const double middle = thickness / 2.0;
        if (vertical) {
            Arrow(cr, middle, button / 2, true, ink);
            Arrow(cr, middle, length - button / 2, false, ink);
        } else {
            SideArrow(cr, button / 2, middle, true, ink);
            SideArrow(cr, length - button / 2, middle, false, ink);
        }
    }
}

void DrawWindow(cairo_t* cr, HWND hWnd, double x, double y) {
    Facts facts;
    if (!Read(hWnd, &facts)) return;
    const int width = facts.rect.right - facts.rect.left;
    const int height = facts.rect.bottom - facts.rect.top;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_clip(cr);
    palvex::win::EnterPicture(hWnd, cr);
    const bool ownClass = facts.registered && facts.drawnAs == facts.className;
    if (facts.dialog || ownClass) {
        if (!(facts.style & WS_CHILD) || !(GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) {
            Colour(cr, kFace);
            cairo_paint(cr);
        }
        // The window's own painting draws into the picture.
        cairo_surface_flush(cairo_get_target(cr));
        SendMessageW(hWnd, WM_PAINT, 0, 0);
        cairo_surface_mark_dirty(cairo_get_target(cr));
    } else {
        DrawControl(cr, hWnd, facts, width, height);
    }
    // The bottom of the z-order first, so the top child ends up on top.
    for (auto it = facts.children.rbegin(); it != facts.children.rend(); ++it) {
        Facts child;
        if (!Read(*it, &child) || !(child.style & WS_VISIBLE)) continue;
        DrawWindow(cr, *it, child.rect.left, child.rect.top);
    }
    cairo_restore(cr);
}

std::string Quote(const std::u16string& text) {
    std::string out = "\"";
    for (char c : palvex::text::ToUtf8(text)) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '"') out += "\\\"";
        else out += c;
    }
    return out + "\"";
}

void Describe(HWND hWnd, int depth, std::ostringstream& out) {
    Facts facts;
    if (!Read(hWnd, &facts)) return;
    out << std::string(depth * 2, ' ') << palvex::text::ToUtf8(facts.className) << " id=" << GetDlgCtrlID(hWnd) << ' '
        << Quote(facts.text) << " (" << facts.rect.left << ',' << facts.rect.top << ")-(" << facts.rect.right << ','
        << facts.rect.bottom << ')';
    if (!(facts.style & WS_VISIBLE)) out << " [hidden]";
    if (facts.style & WS_DISABLED) out << " [disabled]";
    if (facts.control.check == BST_CHECKED) out << " [checked]";
    if (facts.control.check == BST_INDETERMINATE) out << " [indeterminate]";
    if (facts.control.shield) out << " [shield]";
    if (!facts.control.items.empty()) out << " [items=" << facts.control.items.size() << "]";
    if (facts.control.selection >= 0) out << " [selection=" << facts.control.selection << "]";
    if (Is(facts, u"msctls_updown32") || Is(facts, u"msctls_progress32") || Is(facts, u"ScrollBar"))
        out << " [pos=" << facts.control.position << "]";
    out << '\n';
    const std::string indent(depth * 2 + 2, ' ');
    for (size_t i = 0; i < facts.control.items.size(); ++i) {
        const auto& item = facts.control.items[i];
        out << indent << "- " << Quote(item.text);
        for (const auto& subitem : item.subitems) out << " | " << Quote(subitem);
        const bool selected = Is(facts, u"SysListView32") ? (item.state & LVIS_SELECTED) != 0
                                                         : static_cast<int>(i) == facts.control.selection;
        if (selected) out << " [selected]";
        out << '\n';
    }
    for (HWND child : facts.children) Describe(child, depth + 1, out);
}

}  // namespace

namespace palvex {

std::string DescribeWindowTree(HWND window) {
    std::ostringstream out;
    Describe(window, 0, out);
    return out.str();
}

void WriteWindowPicture(HWND window, const std::filesystem::path& png) {
    Facts facts;
    if (!Read(window, &facts)) throw std::runtime_error("no such window");
    const int width = std::max<int>(facts.rect.right - facts.rect.left, 1);
    const int height = std::max<int>(facts.rect.bottom - facts.rect.top, 1);
    const bool caption = (facts.style & WS_CAPTION) == WS_CAPTION && !(facts.style & WS_CHILD);
    const int top = caption ? kCaptionHeight : 0;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width + 2, height + top + 1);
    cairo_t* cr = cairo_create(surface);
    Colour(cr, RGB(100, 100, 100));
    cairo_paint(cr);
    if (caption) {
        Colour(cr, RGB(255, 255, 255));
        cairo_rectangle(cr, 1, 0, width, top);
        cairo_fill(cr);
        LOGFONTW font = win::FontOf(nullptr);
        font.lfHeight = -12;
        LayOutText(cr, font, kText, facts.text, RECT{10, 0, width - 40, top}, DT_SINGLELINE | DT_VCENTER);
        Colour(cr, RGB(0, 0, 0));
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, width - 20, top / 2.0 - 5);
        cairo_line_to(cr, width - 10, top / 2.0 + 5);
        cairo_move_to(cr, width - 10, top / 2.0 - 5);
        cairo_line_to(cr, width - 20, top / 2.0 + 5);
        cairo_stroke(cr);
    }
    DrawWindow(cr, window, 1, top);
    win::ClearPictures();
    cairo_destroy(cr);
    std::error_code error;
    if (png.has_parent_path()) std::filesystem::create_directories(png.parent_path(), error);
    const cairo_status_t status = cairo_surface_write_to_png(surface, png.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + png.string());
}

}  // namespace palvex
