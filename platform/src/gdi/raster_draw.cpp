// Shapes, fills and single pixels on raster device contexts.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gdi/raster.h"

using palvex::gdi::DeviceContext;
using palvex::gdi::DeviceContexts;
using palvex::gdi::GdiObject;
using palvex::gdi::Objects;
using palvex::gdi::Raster;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The context and its pixels; a context that draws nowhere still succeeds.
struct Target {
    std::shared_ptr<DeviceContext> context;
    std::unique_ptr<Raster> raster;
};

bool Open(HDC hdc, Target* target) {
    target->context = DeviceContexts().Find(hdc);
    if (!target->context) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    target->raster = Raster::Open(*target->context);
    return true;
}

// The brush a rectangle is filled or framed with, opening the context it is drawn on; null, with
// the error set, when the rectangle or the brush is missing or the context unknown.
std::shared_ptr<GdiObject> OpenWithBrush(HDC hdc, const RECT* rect, HBRUSH hbr, Target* target) {
    auto brush = Objects().Find(hbr);
    if (!rect || !brush || brush->type != OBJ_BRUSH) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!Open(hdc, target)) return nullptr;
    return brush;
}

RECT DeviceRect(const DeviceContext& context, int left, int top, int right, int bottom) {
    const POINT a = palvex::gdi::ToDevice(context, left, top), b = palvex::gdi::ToDevice(context, right, bottom);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// Fills the polygon (device units) by the alternate rule: a pixel whose centre lies inside.
void FillPolygon(Raster& raster, const std::vector<POINT>& points, uint32_t pixel) {
    if (points.size() < 3) return;
    LONG top = points[0].y, bottom = points[0].y;
    for (const POINT& p : points) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    top = std::max<LONG>(top, raster.clip().top - raster.y());
    bottom = std::min<LONG>(bottom, raster.clip().bottom - raster.y());
    std::vector<double> crossings;
    for (LONG y = top; y < bottom; ++y) {
        const double centre = y + 0.5;
        crossings.clear();
        for (size_t i = 0; i < points.size(); ++i) {
            const POINT& a = points[i];
            const POINT& b = points[(i + 1) % points.size()];
            if ((a.y <= centre) == (b.y <= centre)) continue;
            crossings.push_back(a.x + (centre - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            // Clamped before the conversion: a crossing far outside the picture is no LONG.
            const double left = raster.clip().left - raster.x(), right = raster.clip().right - raster.x();
            const LONG first = static_cast<LONG>(std::clamp(std::ceil(crossings[i] - 0.5), left, std::max(left, right)));
            const LONG end = static_cast<LONG>(std::clamp(std::ceil(crossings[i + 1] - 0.5), left, std::max(left, right)));
            for (LONG x = first; x < end; ++x) raster.Put(x + raster.x(), y + raster.y(), pixel);
        }
    }
}

void Outline(Raster& raster, const DeviceContext& context, const GdiObject& pen, const std::vector<POINT>& points) {
    for (size_t i = 0; i < points.size(); ++i) palvex::gdi::PenLine(raster, context, pen, points[i], points[(i + 1) % points.size()]);
}

}  // namespace

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    auto context = DeviceContexts().Find(hdc);
    if (!context) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lppt) *lppt = context->position;
    context->position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    Target target;
    if (!Open(hdc, &target)) return FALSE;
    DeviceContext& context = *target.context;
    if (target.raster) {
        const POINT a = palvex::gdi::ToDevice(context, context.position.x, context.position.y);
        const POINT b = palvex::gdi::ToDevice(context, x, y);
        palvex::gdi::PenLine(*target.raster, context, *palvex::gdi::CurrentPen(context), a, b);
    }
    context.position = POINT{x, y};
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Target target;
    if (!Open(hdc, &target)) return FALSE;
    if (!target.raster) return TRUE;
    const DeviceContext& context = *target.context;
    const RECT r = DeviceRect(context, left, top, right, bottom);
    auto pen = palvex::gdi::CurrentPen(context);
    auto brush = palvex::gdi::CurrentBrush(context);
    // The outline runs on the inner pixels of the rectangle; without a pen the inside loses the
    // right and bottom pixel as well.
    if (!brush->hollow) {
        const RECT inside = pen->hollow ? RECT{r.left, r.top, r.right - 1, r.bottom - 1}
                                        : RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        palvex::gdi::FillDevice(*target.raster, inside, palvex::gdi::PixelOf(*target.raster, brush->colour));
    }
    if (!pen->hollow && r.right > r.left && r.bottom > r.top)
        Outline(*target.raster, context, *pen,
                {POINT{r.left, r.top}, POINT{r.right - 1, r.top}, POINT{r.right - 1, r.bottom - 1}, POINT{r.left, r.bottom - 1}});
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
    if (!apt || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Target target;
    if (!Open(hdc, &target)) return FALSE;
    if (!target.raster) return TRUE;
    const DeviceContext& context = *target.context;
    std::vector<POINT> points;
    for (int i = 0; i < cpt; ++i) points.push_back(palvex::gdi::ToDevice(context, apt[i].x, apt[i].y));
    auto brush = palvex::gdi::CurrentBrush(context);
    if (!brush->hollow) FillPolygon(*target.raster, points, palvex::gdi::PixelOf(*target.raster, brush->colour));
    Outline(*target.raster, context, *palvex::gdi::CurrentPen(context), points);
    return TRUE;
}

BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2) {
    Target target;
    if (!Open(hdc, &target)) return FALSE;
    if (!target.raster) return TRUE;
    const DeviceContext& context = *target.context;
    const RECT r = DeviceRect(context, left, top, right, bottom);
    const double cx = (double(r.left) + r.right) / 2, cy = (double(r.top) + r.bottom) / 2;
    const double a = (double(r.right) - r.left) / 2, b = (double(r.bottom) - r.top) / 2;
    if (a < 1 || b < 1) return TRUE;
    const POINT p1 = palvex::gdi::ToDevice(context, xr1, yr1), p2 = palvex::gdi::ToDevice(context, xr2, yr2);
    // Angles counter-clockwise as the eye sees them (y grows downwards).
    auto angle = [&](double x, double y) {
        double t = std::atan2(-(y - cy) / b, (x - cx) / a);
        return t < 0 ? t + 2 * kPi : t;
    };
    const double start = angle(p1.x, p1.y);
    double span = angle(p2.x, p2.y) - start;
    if (span <= 0) span += 2 * kPi;
    auto inside = [&](double x, double y) {
        const double u = (x - cx) / a, v = (y - cy) / b;
        if (u * u + v * v > 1) return false;
        double t = angle(x, y) - start;
        if (t < 0) t += 2 * kPi;
        return t <= span;
    };
    Raster& raster = *target.raster;
    auto brush = palvex::gdi::CurrentBrush(context);
    auto pen = palvex::gdi::CurrentPen(context);
    const uint32_t fill = palvex::gdi::PixelOf(raster, brush->colour);
    const uint32_t ink = palvex::gdi::PixelOf(raster, pen->colour);
    // Only the pixels the context may draw on are looked at.
    const LONG fromY = std::max<LONG>(r.top, raster.clip().top - raster.y());
    const LONG toY = std::min<LONG>(r.bottom, raster.clip().bottom - raster.y());
    const LONG fromX = std::max<LONG>(r.left, raster.clip().left - raster.x());
    const LONG toX = std::min<LONG>(r.right, raster.clip().right - raster.x());
    for (LONG y = fromY; y < toY; ++y)
        for (LONG x = fromX; x < toX; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            if (!inside(px, py)) continue;
            // The rim: a pixel of the slice next to one outside the ellipse.
            const bool rim = !pen->hollow && [&] {
                for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                    const double u = (px + dx - cx) / a, v = (py + dy - cy) / b;
                    if (u * u + v * v > 1) return true;
                }
                return false;
            }();
            if (rim) raster.Put(x + raster.x(), y + raster.y(), ink);
            else if (!brush->hollow) raster.Put(x + raster.x(), y + raster.y(), fill);
        }
    // The two radii to where the rays meet the ellipse.
    const POINT centre{static_cast<LONG>(std::lround(cx - 0.5)), static_cast<LONG>(std::lround(cy - 0.5))};
    for (const double t : {start, start + span}) {
        const POINT end{static_cast<LONG>(std::lround(cx - 0.5 + std::cos(t) * (a - 0.5))),
                        static_cast<LONG>(std::lround(cy - 0.5 - std::sin(t) * (b - 0.5)))};
        palvex::gdi::PenLine(raster, context, *pen, centre, end);
    }
    return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    Target target;
    if (!Open(hdc, &target)) return FALSE;
    if (!target.raster) return TRUE;
    const DeviceContext& context = *target.context;
    const RECT r = DeviceRect(context, x, y, x + w, y + h);
    Raster& raster = *target.raster;
    const uint32_t pattern = palvex::gdi::PixelOf(raster, palvex::gdi::CurrentBrush(context)->colour);
    const LONG top = std::max<LONG>(r.top + raster.y(), raster.clip().top);
    const LONG bottom = std::min<LONG>(r.bottom + raster.y(), raster.clip().bottom);
    const LONG left = std::max<LONG>(r.left + raster.x(), raster.clip().left);
    const LONG right = std::min<LONG>(r.right + raster.x(), raster.clip().right);
    for (LONG sy = top; sy < bottom; ++sy)
        for (LONG sx = left; sx < right; ++sx) raster.Put(sx, sy, palvex::gdi::ApplyRop(rop, pattern, 0, raster.Get(sx, sy)));
    return TRUE;
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    Target target;
    const auto brush = OpenWithBrush(hDC, lprc, hbr, &target);
    if (!brush) return 0;
    if (target.raster && !brush->hollow)
        palvex::gdi::FillDevice(*target.raster, DeviceRect(*target.context, lprc->left, lprc->top, lprc->right, lprc->bottom),
                                palvex::gdi::PixelOf(*target.raster, brush->colour));
    return 1;
}

int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    Target target;
    const auto brush = OpenWithBrush(hDC, lprc, hbr, &target);
    if (!brush) return 0;
    if (!target.raster || brush->hollow) return 1;
    const RECT r = DeviceRect(*target.context, lprc->left, lprc->top, lprc->right, lprc->bottom);
    if (r.right <= r.left || r.bottom <= r.top) return 1;
    const uint32_t pixel = palvex::gdi::PixelOf(*target.raster, brush->colour);
    for (const RECT side : {RECT{r.left, r.top, r.right, r.top + 1}, RECT{r.left, r.bottom - 1, r.right, r.bottom},
                            RECT{r.left, r.top, r.left + 1, r.bottom}, RECT{r.right - 1, r.top, r.right, r.bottom}})
        palvex::gdi::FillDevice(*target.raster, side, pixel);
    return 1;
}

BOOL DrawFocusRect(HDC hDC, const RECT* lprc) {
    if (!lprc) return FALSE;
    Target target;
    if (!Open(hDC, &target)) return FALSE;
    if (!target.raster) return TRUE;
    Raster& raster = *target.raster;
    const RECT r = DeviceRect(*target.context, lprc->left, lprc->top, lprc->right, lprc->bottom);
    // Every other pixel of the frame inverted.
    auto invert = [&](LONG x, LONG y) {
        const int sx = x + raster.x(), sy = y + raster.y();
        if ((x + y) % 2 == 0 && raster.Writable(sx, sy)) raster.Put(sx, sy, raster.Get(sx, sy) ^ 0xFFFFFF);
    };
    const LONG fromX = std::max<LONG>(r.left, raster.clip().left - raster.x());
    const LONG toX = std::min<LONG>(r.right, raster.clip().right - raster.x());
    const LONG fromY = std::max<LONG>(r.top + 1, raster.clip().top - raster.y());
    const LONG toY = std::min<LONG>(r.bottom - 1, raster.clip().bottom - raster.y());
    for (LONG x = fromX; x < toX; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 > r.top) invert(x, r.bottom - 1);
    }
    for (LONG y = fromY; y < toY; ++y) {
        invert(r.left, y);
        if (r.right - 1 > r.left) invert(r.right - 1, y);
    }
    return TRUE;
}

BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
    if (!qrc) return FALSE;
    Target target;
    if (!Open(hdc, &target)) return FALSE;
    RECT r = *qrc;
    // Outer then inner line; each its light colour on the top and left, its dark one on the
    // bottom and right.
    struct Line {
        UINT bits;
        int light, dark;
    };
    const Line lines[] = {{BDR_RAISEDOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW},
                          {BDR_SUNKENOUTER, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
                          {BDR_RAISEDINNER, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
                          {BDR_SUNKENINNER, COLOR_3DDKSHADOW, COLOR_3DLIGHT}};
    for (int pass = 0; pass < 2; ++pass) {
        const Line* line = nullptr;
        for (int i = pass * 2; i < pass * 2 + 2; ++i)
            if (edge & lines[i].bits) line = &lines[i];
        if (!line) continue;
        if (target.raster) {
            const RECT d = DeviceRect(*target.context, r.left, r.top, r.right, r.bottom);
            const uint32_t light = palvex::gdi::PixelOf(*target.raster, GetSysColor(line->light));
            const uint32_t dark = palvex::gdi::PixelOf(*target.raster, GetSysColor(line->dark));
            if (grfFlags & BF_TOP) palvex::gdi::FillDevice(*target.raster, RECT{d.left, d.top, d.right, d.top + 1}, light);
            if (grfFlags & BF_LEFT) palvex::gdi::FillDevice(*target.raster, RECT{d.left, d.top, d.left + 1, d.bottom}, light);
            if (grfFlags & BF_BOTTOM) palvex::gdi::FillDevice(*target.raster, RECT{d.left, d.bottom - 1, d.right, d.bottom}, dark);
            if (grfFlags & BF_RIGHT) palvex::gdi::FillDevice(*target.raster, RECT{d.right - 1, d.top, d.right, d.bottom}, dark);
        }
        if (grfFlags & BF_TOP) ++r.top;
        if (grfFlags & BF_LEFT) ++r.left;
        if (grfFlags & BF_BOTTOM) --r.bottom;
        if (grfFlags & BF_RIGHT) --r.right;
    }
    if (grfFlags & BF_ADJUST) *qrc = r;
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    Target target;
    if (!Open(hdc, &target) || !target.raster) return CLR_INVALID;
    const POINT p = palvex::gdi::ToDevice(*target.context, x, y);
    const int sx = p.x + target.raster->x(), sy = p.y + target.raster->y();
    if (!target.raster->Writable(sx, sy)) return CLR_INVALID;
    return palvex::gdi::ColourOf(target.raster->Get(sx, sy));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    Target target;
    if (!Open(hdc, &target) || !target.raster) return static_cast<COLORREF>(-1);
    const POINT p = palvex::gdi::ToDevice(*target.context, x, y);
    const int sx = p.x + target.raster->x(), sy = p.y + target.raster->y();
    if (!target.raster->Writable(sx, sy)) return static_cast<COLORREF>(-1);
    const uint32_t pixel = palvex::gdi::PixelOf(*target.raster, color);
    target.raster->Put(sx, sy, pixel);
    return palvex::gdi::ColourOf(pixel);
}

BOOL ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type) {
    Target target;
    if (!Open(hdc, &target) || !target.raster) return FALSE;
    Raster& raster = *target.raster;
    const POINT p = palvex::gdi::ToDevice(*target.context, x, y);
    const int sx = p.x + raster.x(), sy = p.y + raster.y();
    if (!raster.Writable(sx, sy)) return FALSE;
    const uint32_t colour = palvex::gdi::PixelOf(raster, color);
    auto fills = [&](int px, int py) {
        const uint32_t here = raster.Get(px, py);
        return type == FLOODFILLSURFACE ? here == colour : here != colour;
    };
    if (!fills(sx, sy)) return FALSE;
    auto brush = palvex::gdi::CurrentBrush(*target.context);
    const uint32_t pixel = palvex::gdi::PixelOf(raster, brush->colour);
    const RECT& clip = raster.clip();
    const int w = clip.right - clip.left, h = clip.bottom - clip.top;
    std::vector<bool> seen(size_t(w) * h, false);
    std::vector<POINT> pending{POINT{sx, sy}};
    seen[size_t(sy - clip.top) * w + (sx - clip.left)] = true;
    while (!pending.empty()) {
        const POINT at = pending.back();
        pending.pop_back();
        for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
            const int nx = at.x + dx, ny = at.y + dy;
            if (!raster.Writable(nx, ny)) continue;
            const size_t index = size_t(ny - clip.top) * w + (nx - clip.left);
            if (seen[index] || !fills(nx, ny)) continue;
            seen[index] = true;
            pending.push_back(POINT{nx, ny});
        }
        if (!brush->hollow) raster.Put(at.x, at.y, pixel);
    }
    return TRUE;
}

BOOL FloodFill(HDC hdc, int x, int y, COLORREF color) { return ExtFloodFill(hdc, x, y, color, FLOODFILLBORDER); }
