// The logo, About-logo, certification-logo and help-bubble links.
#include "options/info_links.h"

#include "coresources.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "options/device_info_controls.h"
#include "options/handler_factory_drv.h"
#include "session/owner_drawn.h"
#include "session/ui_session.h"

namespace {

// The session's painters of the owner-drawn controls.
constexpr int kLogoPainter = 1;
constexpr int kAboutLogoPainter = 2;
constexpr int kCertLogoPainter = 3;
constexpr int kBubblePainter = 4;

// The reason bits a bubble explains, highest first, with their hint slots.
struct ReasonSlot {
    DWORD m_bit;
    DWORD m_slot;
};
constexpr ReasonSlot kReasonSlots[] = {{0x8000, 8}, {0x4000, 7}, {0x2000, 6}, {0x1000, 5},
                                       {0x800, 4},  {0x400, 3},  {0x200, 2},  {0x100, 1}};
constexpr DWORD kShownReason = 0x8000;
// Any reason outside the bubble's own bits hides it.
constexpr DWORD kOtherReasons = 0xFFFF00FFu;

const DRAWITEMSTRUCT* DrawRecord(LPARAM drawItem) {
    return reinterpret_cast<const DRAWITEMSTRUCT*>(drawItem);
}

}  // namespace

QORVAUISession* SessionOf(const QORVAOptItemHandler* handler) {
    auto* factory = dynamic_cast<QORVAOptItemHandlerFactoryDrv*>(handler ? handler->Factory() : nullptr);
    return factory ? factory->Session() : nullptr;
}

QORVAUISessionPainter* SessionPainter(const QORVAOptItemHandler* handler, int number) {
    QORVAUISession* session = SessionOf(handler);
    return session ? session->Painter(number) : nullptr;
}

DWORD TakeMirroredLayout(HWND control) {
    if (!control) return 0;
    const LONG style = GetWindowLongW(control, GWL_EXSTYLE);
    if (!(style & WS_EX_LAYOUTRTL)) return 0;
    SetWindowLongW(control, GWL_EXSTYLE, style & ~static_cast<LONG>(WS_EX_LAYOUTRTL));
    return 1;
}

// --- logos ---------------------------------------------------------------------------------------

QORVAOptItemDlgLinkLogo::QORVAOptItemDlgLinkLogo(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                 DWORD controlId)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, 0) {
    m_linkKind = kLinkInput;
}

LRESULT QORVAOptItemDlgLinkLogo::Command(WORD code, DWORD) {
    if (code == BN_CLICKED && m_handler) m_handler->Push(Dialog());
    return 1;
}

LRESULT QORVAOptItemDlgLinkLogo::DrawItem(LPARAM drawItem) {
    if (QORVAUISessionPainter* painter = SessionPainter(m_handler, kLogoPainter))
        paint::QORVAOptItemDlgLinkLogo::PaintLogo(painter, DrawRecord(drawItem));
    return 1;
}

QORVAOptItemDlgLinkAboutLogo::QORVAOptItemDlgLinkAboutLogo(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                           DWORD controlId)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, 0) {
    m_linkKind = kLinkInput;
    IDrvResources* resources = ResourcesOf(handler ? handler->Factory() : nullptr);
    HBITMAP bitmap = nullptr;
    if (!resources || !m_control || FAILED(resources->LoadBitmap(kAboutLogoBitmap, &bitmap)) || !bitmap) return;
    const SIZE size = BitmapSize(bitmap);
    DeleteObject(bitmap);
    HWND page = Dialog();
    RECT pageRect{};
    RECT controlRect{};
    if (!page || !GetWindowRect(page, &pageRect) || !GetWindowRect(m_control, &controlRect)) return;
    POINT at{(pageRect.left + pageRect.right - size.cx) / 2, controlRect.top};
    ScreenToClient(page, &at);
    SetWindowPos(m_control, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT QORVAOptItemDlgLinkAboutLogo::DrawItem(LPARAM drawItem) {
    if (QORVAUISessionPainter* painter = SessionPainter(m_handler, kAboutLogoPainter))
        paint::QORVAOptItemDlgLinkAboutLogo::PaintLogo(painter, DrawRecord(drawItem));
    return 1;
}

QORVAOptItemDlgLinkCertLogo::QORVAOptItemDlgLinkCertLogo(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                         DWORD controlId)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, 0) {
    m_linkKind = kLinkInput;
}

LRESULT QORVAOptItemDlgLinkCertLogo::DrawItem(LPARAM drawItem) {
    QORVAUISessionPainter* painter = SessionPainter(m_handler, kCertLogoPainter);
    if (painter && painter->m_core)
        paint::QORVAOptItemDlgLinkCertLogo::PaintLogo(painter, DrawRecord(drawItem), painter->m_core->m_config[kConfigCertLogo]);
    return 1;
}

// --- help bubbles --------------------------------------------------------------------------------

QORVAOptItemDlgLinkBubble::QORVAOptItemDlgLinkBubble(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                     DWORD controlId, DWORD direction)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, 0), m_direction(direction) {
    m_linkKind = kLinkBubble;
    m_mirrored = TakeMirroredLayout(m_control);
    UpdateControl(nullptr);
}

void QORVAOptItemDlgLinkBubble::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler && m_control) {
        DWORD hint = m_handler->Hint(0);
        for (const ReasonSlot& reason : kReasonSlots) {
            if (m_handler->IsStateClear(this, reason.m_bit)) continue;
            hint = m_handler->Hint(reason.m_slot);
            break;
        }
        m_textId = LOWORD(hint);
        m_captionId = HIWORD(hint);
        EnableWindow(m_control, m_textId != 0);
        const bool extShown = m_handler->GetExtState() != 0;
        int show = SW_HIDE;
        if (!m_handler->IsStateClear(this, kShownReason) && extShown) show = SW_SHOWNORMAL;
        else if (m_textId != 0 && m_handler->IsStateClear(this, kOtherReasons) && extShown) show = SW_SHOW;
        ShowWindow(m_control, show);
    }
    if (m_nextLink) m_nextLink->UpdateControl(source);
}

LRESULT QORVAOptItemDlgLinkBubble::Command(WORD code, DWORD) {
    if (code != BN_CLICKED) return 1;
    IDrvResources* resources = ResourcesOf(m_handler ? m_handler->Factory() : nullptr);
    return resources ? resources->MessageBox(Dialog(), m_textId, m_captionId, MB_ICONINFORMATION) : 0;
}

LRESULT QORVAOptItemDlgLinkBubble::DrawItem(LPARAM drawItem) {
    // The picture points away from the text it explains, so it turns with a right-to-left layout.
    const DWORD direction = m_mirrored ? (m_direction == 2 ? 1 : 2) : m_direction;
    if (QORVAUISessionPainter* painter = SessionPainter(m_handler, kBubblePainter))
        paint::QORVAOptItemDlgLinkBubble::PaintBubble(painter, DrawRecord(drawItem), direction);
    return 1;
}
