// QORVAOptItemDlgLinkPagePreview: the link of the page preview control (250) of the main, layout and
// advanced pages and of the watermark dialog. It watches the twenty-one items that change the
// picture, rebuilds the session's preview model from them on every change (sizes in 600-dpi
// dots, pages per sheet, the watermark's shaded colour) and repaints; the session's preview
// painter draws it. The paper and the size caption of the picture are clickable: the paper turns
// the orientation, the caption switches millimetres and inches.
#pragma once

#include "items/optitem_dlglink.h"
#include "session/preview_model.h"

namespace paint {
class QORVAOptItemDlgLinkPagePreview;
}

inline constexpr DWORD kPagePreviewControl = 250;

// The items the picture follows, in the order the link subscribes to them.
inline constexpr DWORD kPreviewWatchedItems[] = {1,     1115,  17250, 7,     16,    2300,  2352,
                                                 1203,  3102,  3203,  2402,  19202, 19250, 19302,
                                                 19352, 19402, 19452, 19502, 2500,  1150,  2601};

// Pure parts of the model update, in 600-dpi dots and percent.
namespace preview_rules {
// Pages per sheet of item 16's index (out-of-range indexes count as the nearest end).
DWORD PagesPerSheet(LONG index);
// The picture's minimum extent from the scale-to paper's height in micrometres.
DWORD Extent(LONG scaleToHeight);
// A length in micrometres in 600-dpi dots, truncated.
DWORD Dots(LONG micrometres);
// The watermark colour: the base colour (black in colour mode 0) lightened by the shade (0 keeps
// it, 255 gives white).
COLORREF ShadedColour(COLORREF base, LONG shade, LONG colourMode);
// The paper sizes of the model from the two forms' sizes (0: the form was not found).
void ApplyPaperSizes(SIZEL paper, SIZEL scaleTo, QORVAPreviewLinkModel* model);
}  // namespace preview_rules

class QORVAOptItemDlgLinkPagePreview : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkPagePreview(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                   DWORD controlId = kPagePreviewControl);

    // Any change of a watched item: the model is rebuilt and the control repainted.
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
    // ODA_DRAWENTIRE: the session's preview paints the control. Always 1.
    LRESULT DrawItem(LPARAM drawItem) override;
    // The control's mouse: the hand over the two hot areas, and their clicks.
    LRESULT SetCursor(UINT message, WPARAM wParam, LPARAM lParam) override;

    DWORD Mirrored() const { return m_mirrored; }

private:
    paint::QORVAOptItemDlgLinkPagePreview* Preview() const;
    void RebuildModel();
    // The form's size in micrometres; 0 x 0 when the printer has no form of that name.
    SIZEL FormSize(LPCWSTR name) const;

    DWORD m_mirrored = 0;
};
