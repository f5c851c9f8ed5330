// The painting operations of the kit's owner-drawn controls: the logo, the about-box logo, the
// certification logo, the help-bubble button and the colour-mode combo box rows. A control's link
// answers WM_DRAWITEM by calling one with a painter of the UI session and the message's record;
// each paints the whole control and keeps nothing between calls.
//
// They live in namespace paint so that the driver's link classes of the same names (which call
// them) stay free to be declared.
#pragma once

#include <win/windows.h>

#include "session/ui_session.h"

namespace paint {

struct QORVAOptItemDlgLinkLogo {
    // The logo by the logo rule (the ini's [LOGO] FILE, else config words 1 and 2), at x 0,
    // centred vertically; only for ODA_DRAWENTIRE.
    static void PaintLogo(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item);
};

struct QORVAOptItemDlgLinkAboutLogo {
    // The same rule with config words 3 and 4, at (0, 0).
    static void PaintLogo(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item);
};

struct QORVAOptItemDlgLinkCertLogo {
    // The resource bitmap centred both ways, with a made mask.
    static void PaintLogo(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item, DWORD bitmapId);
};

struct QORVAOptItemDlgLinkBubble {
    // The help-bubble picture (kind 1: config words 6 and 7, else 8 and 9), pressed or normal,
    // over the themed parent background, with the focus frame.
    static void PaintBubble(QORVAUISessionPainter* painter, const DRAWITEMSTRUCT* item, DWORD kind);
};

struct QORVAOptItemDlgLinkComboboxCOLOR {
    // One colour row, "label|decimal COLORREF": the swatch and the label.
    static void PaintColorItem(const DRAWITEMSTRUCT* item);
};

}  // namespace paint
