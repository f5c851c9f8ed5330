// What a printer device context recorded, rendered through the render host.
#include <palvex/recording_dc.h>

#include "render_host.h"

namespace palvex::hosts {
namespace {

// Rows of the page drawn at a time: a band of an A4 page at 600 dpi holds about 1.2 MB.
constexpr LONG kBandRows = 256;

const DEVMODEW* DevModeAt(const DcLog& log, size_t index) {
    if (index >= log.devModes.size() || log.devModes[index].size() < offsetof(DEVMODEW, dmFields) + sizeof(DWORD))
        return nullptr;
    return reinterpret_cast<const DEVMODEW*>(log.devModes[index].data());
}

RECTL ToRectl(const RECT& rect) {
    return RECTL{rect.left, rect.top, rect.right, rect.bottom};
}

bool DrawSide(RenderHost& host, const PrintedSide& side) {
    bool drawn = true;
    for (const PrintedSide::Drawing& drawing : side.order) {
        if (drawing.isText && drawing.index < side.texts.size()) {
            const DrawnText& text = side.texts[drawing.index];
            drawn &= host.TextOut(text.text, POINTL{text.position.x, text.position.y}, text.colour) != FALSE;
        } else if (!drawing.isText && drawing.index < side.pages.size()) {
            const RECTL rect = ToRectl(side.pages[drawing.index].document);
            drawn &= host.StretchPicture(rect, SIZEL{rect.right - rect.left, rect.bottom - rect.top}) != FALSE;
        }
    }
    return drawn;
}

}  // namespace

bool RenderDcLog(RenderHost& host, const DcLog& log) {
    bool rendered = true;
    size_t devMode = 0;
    size_t document = 0;
    size_t side = 0;
    bool open = false;
    for (const DcEvent& event : log.events) {
        switch (event.call) {
        case DcCall::Create:
            devMode = event.devMode;
            break;
        case DcCall::ResetDC:
            devMode = event.devMode;
            if (open) rendered &= host.ChangeDevMode(DevModeAt(log, devMode));
            break;
        case DcCall::StartDoc:
            if (document >= log.documents.size()) return false;
            rendered &= host.StartDocument(log.documents[document].name,
                                           static_cast<DWORD>(log.documents[document].jobId), DevModeAt(log, devMode));
            open = true;
            side = 0;
            break;
        case DcCall::StartPage:
            rendered &= host.StartPage();
            break;
        case DcCall::EndPage:
            if (document < log.documents.size() && side < log.documents[document].sides.size()) {
                const PrintedSide& printed = log.documents[document].sides[side];
                rendered &= DrawSide(host, printed);
                host.SetPageContent([&printed](LONG width, LONG height, const RasterBandSink& band) {
                    return RasterizeSide(printed, width, height, kBandRows, band);
                });
            }
            ++side;
            rendered &= host.EndPage();
            break;
        case DcCall::EndDoc:
        case DcCall::AbortDoc:
            rendered &= host.EndDocument();
            open = false;
            ++document;
            break;
        }
    }
    return rendered;
}

}  // namespace palvex::hosts
