#include "dlglink_fixture.h"

#include <win/commctrl.h>

namespace uitest {

namespace {

void Append(std::vector<WORD>* out, const std::u16string& text) {
    for (char16_t c : text) out->push_back(c);
    out->push_back(0);
}

void AppendDword(std::vector<WORD>* out, DWORD value) {
    out->push_back(LOWORD(value));
    out->push_back(HIWORD(value));
}

INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* factory = reinterpret_cast<LinkFactory*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return factory ? factory->DialogProc(dialog, message, wParam, lParam) : FALSE;
}

}  // namespace

std::vector<WORD> BuildTemplate(const std::vector<TemplateControl>& controls) {
    std::vector<WORD> out;
    AppendDword(&out, WS_POPUP | WS_VISIBLE | WS_CAPTION);
    AppendDword(&out, 0);
    out.push_back(static_cast<WORD>(controls.size()));
    for (WORD value : {0, 0, 300, 200}) out.push_back(value);
    out.push_back(0);  // no menu
    out.push_back(0);  // the dialog class
    Append(&out, u"Links");
    for (const TemplateControl& control : controls) {
        if (out.size() % 2) out.push_back(0);  // each control starts on a DWORD
        AppendDword(&out, control.style | WS_CHILD | WS_VISIBLE);
        AppendDword(&out, 0);
        for (short value : {control.x, control.y, control.cx, control.cy}) out.push_back(static_cast<WORD>(value));
        out.push_back(control.id);
        Append(&out, control.className);
        Append(&out, control.text);
        out.push_back(0);  // no creation data
    }
    return out;
}

void LinkFactory::CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler) {
    for (const LinkBinding& binding : m_bindings)
        if (binding.key == handler->ItemKey())
            handler->AttachDlgLink(CreateDlgLinkByClass(dialog, handler, binding.controlId, binding.extraFlags));
}

INT_PTR LinkFactory::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto linkOf = [&](HWND control) { return QORVAOptItemDlgLink::FromWindow(control); };
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
            EndDialog(dialog, id == IDOK ? 1 : 0);
            return TRUE;
        }
        QORVAOptItemDlgLink* link = linkOf(GetDlgItem(dialog, id));
        if (!link) return FALSE;
        const LRESULT answer = link->HandleCommand(HIWORD(wParam), id);
        FlushPending(dialog);
        return answer;
    }
    case WM_NOTIFY: {
        QORVAOptItemDlgLink* link = linkOf(GetDlgItem(dialog, LOWORD(wParam)));
        if (!link) return FALSE;
        const LRESULT answer = link->OnNotify(lParam);
        FlushPending(dialog);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, answer);
        return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        QORVAOptItemDlgLink* link = linkOf(reinterpret_cast<HWND>(lParam));
        if (!link) return FALSE;
        const LRESULT answer = message == WM_HSCROLL ? link->OnHScroll(wParam) : link->OnVScroll(wParam);
        FlushPending(dialog);
        return answer;
    }
    case WM_HELP: {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        QORVAOptItemDlgLink* link = info ? linkOf(GetDlgItem(dialog, info->iCtrlId)) : nullptr;
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, link ? link->Help(static_cast<DWORD>(info->iCtrlId), HELP_WM_HELP) : 0);
        return TRUE;
    }
    case WM_CONTEXTMENU: {
        HWND control = reinterpret_cast<HWND>(wParam);
        if (QORVAOptItemDlgLink* link = linkOf(control)) link->Help(static_cast<DWORD>(GetDlgCtrlID(control)), HELP_CONTEXTMENU);
        return TRUE;
    }
    case WM_NCDESTROY:
        // Every link is asked to let go; those that do are freed without a destructor.
        for (const auto& [key, handler] : Handlers()) {
            for (QORVAOptItemDlgLink* link = handler ? handler->FirstLink() : nullptr; link;) {
                QORVAOptItemDlgLink* next = link->NextLink();
                if (link->Detach(dialog)) {
                    HeapFree(m_heap, 0, link);
                    ++m_released;
                }
                link = next;
            }
        }
        return TRUE;
    default:
        return FALSE;
    }
}

LinkTest::~LinkTest() {
    if (m_links) m_links->Destroy();
    palvex::ResetUserScript();
}

void LinkTest::SetTexts(POPTITEM item, const std::vector<const char16_t*>& texts) {
    for (size_t i = 0; i < texts.size() && i < item->pOptType->Count; ++i)
        item->pOptType->pOptParam[i].pData = const_cast<LPWSTR>(texts[i]);
}

LinkFactory* LinkTest::MakeLinkFactory() {
    m_links = MakeSheetFactory<LinkFactory>(m_heap, m_items, m_record, m_extension);
    return m_links;
}

INT_PTR LinkTest::RunPage(const std::vector<TemplateControl>& controls, std::vector<palvex::UserAction> actions) {
    const std::vector<WORD> bytes = BuildTemplate(controls);
    actions.push_back(Act(palvex::UserAction::Close));
    palvex::QueueUserActions(actions);
    return DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, PageProc,
                                   reinterpret_cast<LPARAM>(m_links));
}

palvex::UserAction UserStep(palvex::UserAction::Kind kind, int control, int index, std::u16string text) {
    palvex::UserAction action;
    action.kind = kind;
    action.control = control;
    action.index = index;
    action.text = std::move(text);
    return action;
}

palvex::UserAction RunStep(std::function<void(HWND dialog)> run) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Run;
    action.run = std::move(run);
    return action;
}

INT_PTR CALLBACK FactoryPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return reinterpret_cast<QORVAOptItemHandlerFactory*>(lParam)->InitDialog(dialog);
    }
    auto* factory = reinterpret_cast<QORVAOptItemHandlerFactory*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return factory ? factory->DialogProc(dialog, message, wParam, lParam) : FALSE;
}

std::u16string TextOf(HWND window) {
    WCHAR text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

bool Visible(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Enabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

std::vector<std::u16string> Rows(HWND list) {
    std::vector<std::u16string> rows;
    WCHAR name[64] = {};
    GetClassNameW(list, name, 64);
    const std::u16string kind = name;
    if (kind == u"SysListView32") {
        const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            WCHAR text[256] = {};
            LVITEMW item{};
            item.pszText = text;
            item.cchTextMax = 256;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            rows.emplace_back(text);
        }
        return rows;
    }
    const bool listBox = kind == u"ListBox";
    const int count = static_cast<int>(SendMessageW(list, listBox ? LB_GETCOUNT : CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR text[256] = {};
        SendMessageW(list, listBox ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.emplace_back(text);
    }
    return rows;
}

std::u16string SelectedRow(HWND list) {
    WCHAR name[64] = {};
    GetClassNameW(list, name, 64);
    const std::u16string kind = name;
    int row = -1;
    if (kind == u"SysListView32") row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    else row = static_cast<int>(SendMessageW(list, kind == u"ListBox" ? LB_GETCURSEL : CB_GETCURSEL, 0, 0));
    const auto rows = Rows(list);
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] : u"";
}

}  // namespace uitest
