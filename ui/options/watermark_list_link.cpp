#include "options/watermark_list_link.h"

#include "items/optitem_handler.h"
#include "options/watermark_list.h"

namespace {

constexpr WORD kFirstArrowKey = 37;  // VK_LEFT
constexpr WORD kLastArrowKey = 40;   // VK_DOWN
constexpr LRESULT kListBoxMoves = -1;
constexpr LRESULT kKeyHandled = -2;

}  // namespace

QORVAOptItemDlgLinkListboxWMLIST::QORVAOptItemDlgLinkListboxWMLIST(HANDLE heap, QORVAOptItemHandler* handler,
                                                                   HWND control, DWORD controlId, DWORD style)
    : QORVAOptItemDlgLinkListbox(heap, handler, control, controlId, style) {
    m_lastSelected = SelectedOption();
}

LRESULT QORVAOptItemDlgLinkListboxWMLIST::Command(WORD code, DWORD controlId) {
    const LRESULT answer = QORVAOptItemDlgLinkListbox::Command(code, controlId);
    if (const LONG option = SelectedOption(); option >= 0) m_lastSelected = option;
    return answer;
}

void QORVAOptItemDlgLinkListboxWMLIST::UpdateControl(QORVAOptItemDlgLink* source) {
    QORVAOptItemDlgLinkListbox::UpdateControl(source);
    if (const LONG option = SelectedOption(); option >= 0) m_lastSelected = option;
}

LRESULT QORVAOptItemDlgLinkListboxWMLIST::OnVKeyToItem(WPARAM wParam) {
    const WORD key = LOWORD(wParam);
    if (key >= kFirstArrowKey && key <= kLastArrowKey) return kListBoxMoves;
    const LONG option = SelectedOption();
    const bool watermarkChosen = option >= 0 ? option >= 1 : m_lastSelected >= 1;
    if (watermarkChosen) {
        if (HWND edit = GetDlgItem(Dialog(), static_cast<int>(kWatermarkMessageEdit))) {
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
        }
    }
    return kKeyHandled;
}
