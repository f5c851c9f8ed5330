// The dialog-link base: what every link does unless its control kind says otherwise.
#include "optitem_dlglink.h"

#include <win/htmlhelp.h>
#include <win/winresource.h>

#include "couipluginext.h"
#include "coresources.h"
#include "handler_factory.h"
#include "kittrace.h"
#include "optitem_handler.h"

namespace {

constexpr char16_t kLinkProperty[] = u"optItemHandler";
constexpr DWORD kWatermarkItem = 2402;
constexpr DWORD kSpecialHelpKey = 0x800075C6;
constexpr DWORD kNoHelp = 65534;
constexpr DWORD kHelpIsKey = 65535;

// The property name: the factory's global atom, or the name itself before any factory made it.
LPCWSTR LinkPropertyName() {
    const ATOM atom = GlobalFindAtomW(kLinkProperty);
    return atom ? MAKEINTATOM(atom) : kLinkProperty;
}

// HtmlHelpW of the HTML Help control, loaded on first use and kept for the process.
using HtmlHelpProc = HWND (*)(HWND, LPCWSTR, UINT, DWORD_PTR);
HtmlHelpProc HtmlHelpEntry() {
    static HtmlHelpProc entry = nullptr;
    if (!entry) {
        if (HMODULE control = LoadLibraryW(u"hhctrl.ocx"))
            entry = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void (*)()>(GetProcAddress(control, "HtmlHelpW")));
    }
    return entry;
}

bool ContainsWinHelpExtension(LPCWSTR path) {
    for (; *path; ++path)
        if (path[0] == u'.' && path[1] == u'H' && path[2] == u'L' && path[3] == u'P') return true;
    return false;
}

}  // namespace

DWORD ItemHelpContext(DWORD itemKey, DWORD helpIndex, DWORD controlId) {
    if (itemKey >= 100 && itemKey < 0x80000000u && itemKey != kSpecialHelpKey && helpIndex != kHelpIsKey) return helpIndex;
    return controlId;
}

BOOL ShowItemHelp(HWND owner, LPCWSTR helpFile, UINT command, DWORD controlId, DWORD contextId) {
    if (!helpFile || !*helpFile) return FALSE;
    WCHAR path[MAX_PATH];
    lstrcpynW(path, helpFile, MAX_PATH);
    CharUpperBuffW(path, static_cast<DWORD>(lstrlenW(path)));
    if (ContainsWinHelpExtension(path)) {
        DWORD ids[4] = {controlId, contextId, 0, 0};
        return WinHelpW(owner, path, command, reinterpret_cast<ULONG_PTR>(ids));
    }
    HtmlHelpProc htmlHelp = HtmlHelpEntry();
    if (!htmlHelp) return FALSE;
    htmlHelp(owner, path, HH_HELP_CONTEXT, controlId);
    return TRUE;
}

QORVAOptItemDlgLink::QORVAOptItemDlgLink(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                         DWORD linkFlags)
    : QORVAOptItemNotify(heap, handler ? handler->Factory() : nullptr),
      m_handler(handler),
      m_control(control),
      m_controlId(controlId),
      m_linkFlags(linkFlags) {
    EnableAndShow();
    StoreOn(m_control);
}

QORVAOptItemDlgLink::~QORVAOptItemDlgLink() = default;

QORVAOptItemDlgLink* QORVAOptItemDlgLink::FromWindow(HWND control) {
    if (!control) return nullptr;
    return static_cast<QORVAOptItemDlgLink*>(GetPropW(control, LinkPropertyName()));
}

void QORVAOptItemDlgLink::StoreOn(HWND window) {
    if (window) SetPropW(window, LinkPropertyName(), this);
}

void QORVAOptItemDlgLink::RemoveFrom(HWND window) {
    if (window) RemovePropW(window, LinkPropertyName());
}

HWND QORVAOptItemDlgLink::Dialog() const {
    return m_control ? GetParent(m_control) : nullptr;
}

bool QORVAOptItemDlgLink::InOtherDialog(HWND dialog) const {
    HWND parent = Dialog();
    return parent && parent != dialog;
}

void QORVAOptItemDlgLink::EnableAndShow() {
    if (!m_handler || !m_control) return;
    bool enabled = m_handler->IsStateClear(this, 0xFFFFFFFFu) != 0;
    if ((m_linkFlags & kLinkNeedsTwoOptions) && m_handler->GetVisibleOptionCount(this) < 2) enabled = false;
    EnableWindow(m_control, enabled ? TRUE : FALSE);
    ShowWindow(m_control, m_handler->GetExtState() ? SW_SHOW : SW_HIDE);
}

void QORVAOptItemDlgLink::RefreshNow() {
    if (!m_handler || m_handler->Refreshed()) return;
    if (QORVAOptItemDlgLink* first = m_handler->FirstLink()) first->UpdateControl(this);
    if (QORVAOptItemHandlerFactory* factory = m_handler->Factory()) factory->FlushList();
}

void QORVAOptItemDlgLink::SubclassControl() {
    if (!m_control || m_savedWndProc) return;
    m_savedWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QORVAOptItemDlgLink::SubclassProc)));
}

DWORD QORVAOptItemDlgLink::Detach(HWND dialog) {
    // A control that lives on (in another page) keeps its link.
    if (InOtherDialog(dialog)) return 0;
    ReleaseItemMap();
    RemoveFrom(m_control);
    return 1;
}

LRESULT QORVAOptItemDlgLink::Command(WORD, DWORD) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::HandleCommand(WORD code, DWORD controlId) {
    return Command(code, controlId);
}

LRESULT QORVAOptItemDlgLink::DrawItem(LPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::SetCursor(UINT, WPARAM, LPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::OnNotify(LPARAM) {
    return 0;
}

void QORVAOptItemDlgLink::Commit() {}

LRESULT QORVAOptItemDlgLink::Help(DWORD controlId, DWORD command) {
    const OPTITEM* item = m_handler ? m_handler->Item() : nullptr;
    if (!item || item->HelpIndex == 0 || item->HelpIndex == kNoHelp) return 0;
    const DWORD contextId = ItemHelpContext(m_handler->ItemKey(), item->HelpIndex, controlId);
    QORVAOptItemHandlerFactory* factory = m_handler->Factory();
    CoUIPluginExt* extension = factory ? factory->Extension() : nullptr;
    IDrvResources* resources = extension ? extension->Resources() : nullptr;
    LPCWSTR helpFile = resources ? resources->GetHelpFileName() : nullptr;
    DebugTrace(3, u"QORVAOptItemDlgLink::Help ctrlID=(%d) contextID=(%d)\n", controlId, contextId);
    HWND owner = GetDlgItem(Dialog(), static_cast<int>(controlId));
    ShowItemHelp(owner, helpFile, command, controlId, contextId);
    return 1;
}

LRESULT QORVAOptItemDlgLink::OnHScroll(WPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::OnVScroll(WPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::OnVKeyToItem(WPARAM) {
    return 0;
}

void QORVAOptItemDlgLink::ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) {
    if (m_nextLink) m_nextLink->ShowOption(index, shown, source);
}

void QORVAOptItemDlgLink::RefreshOption(LONG index, QORVAOptItemDlgLink* source) {
    if (m_nextLink) m_nextLink->RefreshOption(index, source);
}

void QORVAOptItemDlgLink::UpdateControl(QORVAOptItemDlgLink* source) {
    EnableAndShow();
    if (m_nextLink) m_nextLink->UpdateControl(source);
}

QORVAOptItemDlgLink* QORVAOptItemDlgLink::GetChainLink(QORVAOptItemDlgLink* first, DWORD count, DWORD* isLast) {
    QORVAOptItemDlgLink* link = first;
    for (DWORD step = 0; link && step < count && link->m_nextLink; ++step) link = link->m_nextLink;
    if (isLast) *isLast = link && !link->m_nextLink ? 1 : 0;
    return link;
}

QORVAOptItemDlgLink* QORVAOptItemDlgLink::FindInputLink(QORVAOptItemDlgLink* first, DWORD kind) {
    for (QORVAOptItemDlgLink* link = first; link; link = link->m_nextLink)
        if (link->m_linkKind == kind) return link;
    return nullptr;
}

LRESULT CALLBACK QORVAOptItemDlgLink::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    QORVAOptItemDlgLink* link = FromWindow(window);
    if (!link) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC saved = link->m_savedWndProc;
    if (message == WM_NCDESTROY && saved) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
    link->SetCursor(message, wParam, lParam);
    return saved ? CallWindowProcW(saved, window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LONG_PTR QORVAOptItemDlgLink::GetWatermarkSel() {
    QORVAOptItemHandler* handler = GetHandler(kWatermarkItem);
    return handler ? handler->GetSel() : -1;
}

LPCWSTR QORVAOptItemDlgLink::GetItemText(DWORD itemKey) {
    QORVAOptItemHandler* handler = GetHandler(itemKey);
    LPCWSTR text = handler ? handler->GetSelText(this) : nullptr;
    return text ? text : u"";
}
