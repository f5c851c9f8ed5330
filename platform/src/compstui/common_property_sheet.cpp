// The common property sheet: a tree of handles whose owners add pages through the sheet's
// function, shown as one property sheet.
//
// A handle is a node: a PFNPROPSHEETUI caller (the root, and each one added with
// CPSFUNC_ADD_PFNPROPSHEETUIW), a page (CPSFUNC_ADD_PROPSHEETPAGEW, CPSFUNC_ADD_HPROPSHEETPAGE) or
// a COMPROPSHEETUI whose items the sheet shows on pages of its own (the item tree page) and on the
// caller's dialog pages. The pages appear in the order of a walk of the tree.
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include <win/commctrl.h>
#include <win/compstui.h>

#include "compstui/item_tree_page.h"
#include "user/window_store.h"

namespace {

using palvex::compstui::ItemSheet;

struct Session;

struct Node {
    enum Kind { Caller, Page, Items } kind = Caller;
    Session* session = nullptr;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
    PFNPROPSHEETUI pfn = nullptr;
    PROPSHEETUI_INFO info{};
    HPROPSHEETPAGE page = nullptr;     // Page
    std::shared_ptr<ItemSheet> items;  // Items, shared with its pages
};

struct Session {
    std::unique_ptr<Node> root;
    HWND frame = nullptr;
    Node* startPage = nullptr;
};

// Every live node of every running sheet (sheets nest), so that a handle can be checked.
std::set<const Node*>& LiveNodes() {
    static auto* nodes = new std::set<const Node*>;  // the UI thread only
    return *nodes;
}

thread_local Session* g_building = nullptr;

Node* NodeOf(HANDLE handle) {
    auto* node = static_cast<Node*>(handle);
    return LiveNodes().count(node) ? node : nullptr;
}

Node* AddChild(Node* parent, Node::Kind kind) {
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->session = parent->session;
    node->parent = parent;
    LiveNodes().insert(node.get());
    parent->children.push_back(std::move(node));
    return parent->children.back().get();
}

void Forget(Node* node) {
    for (auto& child : node->children) Forget(child.get());
    LiveNodes().erase(node);
}

// The page nodes under a node, in the order the sheet shows them.
void CollectPages(Node* node, std::vector<Node*>* pages) {
    if (node->kind == Node::Page && node->page) pages->push_back(node);
    for (auto& child : node->children) CollectPages(child.get(), pages);
}

// The callers under a node, children before their parents.
void CollectCallers(Node* node, std::vector<Node*>* callers) {
    for (auto& child : node->children) CollectCallers(child.get(), callers);
    if (node->kind == Node::Caller) callers->push_back(node);
}

LONG_PTR CALLBACK ComPropSheet(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2);

LONG CallCaller(Node* node, WORD reason, LPARAM lParam) {
    node->info.Reason = reason;
    return node->pfn ? node->pfn(&node->info, lParam) : 0;
}

Node* AddPageNode(Node* parent, HPROPSHEETPAGE page) {
    if (!page) return nullptr;
    Node* node = AddChild(parent, Node::Page);
    node->page = page;
    if (parent->session->frame) SendMessageW(parent->session->frame, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(page));
    return node;
}

LONG_PTR AddItems(Node* parent, const COMPROPSHEETUI* record, DWORD* pageCount) {
    if (!record || record->cbSize < offsetof(COMPROPSHEETUI, dwReserved)) return 0;
    Node* node = AddChild(parent, Node::Items);
    node->items = std::make_shared<ItemSheet>();
    node->items->record = *record;
    DWORD added = 0;
    for (HPROPSHEETPAGE page : palvex::compstui::MakeItemPages(node->items))
        if (AddPageNode(node, page)) ++added;
    if (pageCount) *pageCount = added;
    return reinterpret_cast<LONG_PTR>(node);
}

// Makes the node call pfn, with the information it is handed: this node as its handle, the
// sheet's function and its own lParam.
void SetCaller(Node* node, PFNPROPSHEETUI pfn, LPARAM lParam) {
    node->pfn = pfn;
    node->info.cbSize = sizeof(PROPSHEETUI_INFO);
    node->info.Version = PROPSHEETUI_INFO_VERSION;
    node->info.Flags = PSUIINFO_UNICODE;
    node->info.hComPropSheet = node;
    node->info.pfnComPropSheet = ComPropSheet;
    node->info.lParamInit = lParam;
}

LONG_PTR AddCaller(Node* parent, PFNPROPSHEETUI pfn, LPARAM lParam) {
    if (!pfn) return 0;
    Node* node = AddChild(parent, Node::Caller);
    SetCaller(node, pfn, lParam);
    if (CallCaller(node, PROPSHEETUI_REASON_INIT, lParam) <= 0) {
        Forget(node);
        auto& siblings = parent->children;
        siblings.erase(std::find_if(siblings.begin(), siblings.end(), [&](auto& c) { return c.get() == node; }));
        return 0;
    }
    return reinterpret_cast<LONG_PTR>(node);
}

LONG_PTR DeleteNode(Node* node) {
    if (!node || !node->parent) return 0;
    std::vector<Node*> pages;
    CollectPages(node, &pages);
    for (Node* page : pages) {
        if (node->session->frame) SendMessageW(node->session->frame, PSM_REMOVEPAGE, 0, reinterpret_cast<LPARAM>(page->page));
        else DestroyPropertySheetPage(page->page);
        page->page = nullptr;
    }
    std::vector<Node*> callers;
    CollectCallers(node, &callers);
    for (Node* caller : callers) CallCaller(caller, PROPSHEETUI_REASON_DESTROY, 0);
    if (node->session->startPage && std::find(pages.begin(), pages.end(), node->session->startPage) != pages.end())
        node->session->startPage = nullptr;
    Forget(node);
    auto& siblings = node->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(), [&](auto& c) { return c.get() == node; }));
    return 1;
}

LONG_PTR ComPropSheet(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2) {
    Node* node = NodeOf(hComPropSheet);
    if (!node) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (Function) {
    case CPSFUNC_ADD_HPROPSHEETPAGE:
        return reinterpret_cast<LONG_PTR>(AddPageNode(node, reinterpret_cast<HPROPSHEETPAGE>(lParam1)));
    case CPSFUNC_ADD_PROPSHEETPAGEW:
        return reinterpret_cast<LONG_PTR>(
            AddPageNode(node, CreatePropertySheetPageW(reinterpret_cast<const PROPSHEETPAGEW*>(lParam1))));
    case CPSFUNC_ADD_PCOMPROPSHEETUIW:
        return AddItems(node, reinterpret_cast<const COMPROPSHEETUI*>(lParam1), reinterpret_cast<DWORD*>(lParam2));
    case CPSFUNC_ADD_PFNPROPSHEETUIW:
        return AddCaller(node, reinterpret_cast<PFNPROPSHEETUI>(lParam1), lParam2);
    case CPSFUNC_DELETE_HCOMPROPSHEET:
        return DeleteNode(NodeOf(reinterpret_cast<HANDLE>(lParam1)));
    case CPSFUNC_SET_HSTARTPAGE: {
        Node* target = NodeOf(reinterpret_cast<HANDLE>(lParam1));
        if (!target) return 0;
        std::vector<Node*> pages;
        CollectPages(target, &pages);
        if (pages.empty()) return 0;
        Node* page = lParam2 >= 0 && lParam2 < static_cast<LPARAM>(pages.size()) ? pages[static_cast<size_t>(lParam2)] : pages[0];
        node->session->startPage = page;
        if (node->session->frame)
            return SendMessageW(node->session->frame, PSM_SETCURSEL, 0, reinterpret_cast<LPARAM>(page->page));
        return 1;
    }
    case CPSFUNC_GET_PAGECOUNT: {
        std::vector<Node*> pages;
        CollectPages(node, &pages);
        return static_cast<LONG_PTR>(pages.size());
    }
    case CPSFUNC_SET_RESULT:
        // The result travels up to the callers when the sheet ends; nothing is kept before.
        return 1;
    case CPSFUNC_GET_HPSUIPAGES: {
        std::vector<Node*> pages;
        CollectPages(node, &pages);
        auto* out = reinterpret_cast<HANDLE*>(lParam1);
        const size_t count = std::min<size_t>(pages.size(), static_cast<size_t>(std::max<LPARAM>(lParam2, 0)));
        for (size_t i = 0; out && i < count; ++i) out[i] = pages[i];
        return static_cast<LONG_PTR>(count);
    }
    case CPSFUNC_SET_PSUIPAGE_TITLEW: {
        Node* page = NodeOf(reinterpret_cast<HANDLE>(lParam1));
        const auto* title = reinterpret_cast<LPCWSTR>(lParam2);
        if (!page || page->kind != Node::Page || !title || !node->session->frame) return 0;
        HWND tab = reinterpret_cast<HWND>(SendMessageW(node->session->frame, PSM_GETTABCONTROL, 0, 0));
        const LRESULT index = SendMessageW(node->session->frame, PSM_PAGETOINDEX, 0, reinterpret_cast<LPARAM>(page->page));
        std::u16string text = title;
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        return index >= 0 ? SendMessageW(tab, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) : 0;
    }
    case CPSFUNC_IGNORE_CPSUI_PSN_APPLY:
        if (node->kind == Node::Items) node->items->ignoreApply = lParam2 != 0;
        return 1;
    case CPSFUNC_DO_APPLY_CPSUI: {
        LONG_PTR applied = 1;
        for (auto& child : node->children)
            if (child->kind == Node::Items && !palvex::compstui::ApplyItems(*child->items, nullptr)) applied = 0;
        if (node->kind == Node::Items && !palvex::compstui::ApplyItems(*node->items, nullptr)) applied = 0;
        return applied;
    }
    case CPSFUNC_SET_FUSION_CONTEXT:
        return 1;
    default:
        // The ANSI functions, icons, data blocks and the sheet's own strings are not offered here.
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
}

int CALLBACK NoteFrame(HWND frame, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && g_building) g_building->frame = frame;
    return 0;
}

}  // namespace

LONG CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam, LPDWORD pResult) {
    if (pResult) *pResult = CPSUI_CANCEL;
    if (!pfnPropSheetUI) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERR_CPSUI_GETLASTERROR;
    }
    Session session;
    session.root = std::make_unique<Node>();
    Node* root = session.root.get();
    root->session = &session;
    SetCaller(root, pfnPropSheetUI, lParam);
    LiveNodes().insert(root);
    auto finish = [&](LONG answer) {
        Forget(root);
        return answer;
    };
    if (CallCaller(root, PROPSHEETUI_REASON_INIT, lParam) <= 0) {
        CallCaller(root, PROPSHEETUI_REASON_DESTROY, 0);
        return finish(CPSUI_CANCEL);
    }

    PROPSHEETUI_INFO_HEADER header{};
    header.cbSize = sizeof(header);
    header.hWndParent = hWndOwner;
    CallCaller(root, PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header));

    std::vector<Node*> pageNodes;
    CollectPages(root, &pageNodes);
    std::vector<HPROPSHEETPAGE> pages;
    DWORD flags = PSH_USECALLBACK;
    UINT start = 0;
    for (Node* node : pageNodes) {
        if (node == session.startPage) start = static_cast<UINT>(pages.size());
        pages.push_back(node->page);
    }
    std::u16string title = header.pTitle ? header.pTitle : u"";
    if (header.Flags & PSUIHDRF_NOAPPLYNOW) flags |= PSH_NOAPPLYNOW;
    if ((header.Flags & PSUIHDRF_PROPTITLE) && !(header.Flags & PSUIHDRF_EXACT_PTITLE)) flags |= PSH_PROPTITLE;
    flags |= PSH_HASHELP;  // the common sheet always offers Help; a page may disable it
    DWORD result = CPSUI_CANCEL;
    if (!pages.empty()) {
        PROPSHEETHEADERW sheet{};
        sheet.dwSize = sizeof(sheet);
        sheet.dwFlags = flags;
        sheet.hwndParent = header.hWndParent ? header.hWndParent : hWndOwner;
        sheet.hInstance = header.hInst;
        sheet.pszCaption = title.c_str();
        sheet.nPages = static_cast<UINT>(pages.size());
        sheet.nStartPage = start;
        sheet.phpage = pages.data();
        sheet.pfnCallback = NoteFrame;
        for (Node* node : pageNodes) node->page = nullptr;  // the property sheet owns them now
        Session* outer = std::exchange(g_building, &session);
        const INT_PTR answer = PropertySheetW(&sheet);
        g_building = outer;
        session.frame = nullptr;
        if (answer < 0) {
            std::vector<Node*> callers;
            CollectCallers(root, &callers);
            for (Node* caller : callers) CallCaller(caller, PROPSHEETUI_REASON_DESTROY, 0);
            return finish(ERR_CPSUI_GETLASTERROR);
        }
        if (answer == ID_PSREBOOTSYSTEM) result = CPSUI_REBOOTSYSTEM;
        else if (answer == ID_PSRESTARTWINDOWS) result = CPSUI_RESTARTWINDOWS;
        else result = answer > 0 ? CPSUI_OK : CPSUI_CANCEL;
    }

    // The result goes to every caller, innermost first; the root's Result is the sheet's answer.
    std::vector<Node*> callers;
    CollectCallers(root, &callers);
    root->info.Result = result;
    for (Node* caller : callers) {
        SETRESULT_INFO info{sizeof(SETRESULT_INFO), 0, caller, static_cast<LRESULT>(result)};
        CallCaller(caller, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&info));
    }
    const DWORD final = static_cast<DWORD>(root->info.Result);
    for (Node* caller : callers) CallCaller(caller, PROPSHEETUI_REASON_DESTROY, result == CPSUI_OK ? 1 : 0);
    if (pResult) *pResult = final;
    return finish(static_cast<LONG>(result == CPSUI_CANCEL ? CPSUI_OK : result));
}
