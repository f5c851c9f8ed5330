// The pages of a COMPROPSHEETUI.
#include "compstui/item_tree_page.h"

#include <cstring>
#include <string>

#include <win/winosinfo.h>

#include "user/window_store.h"

namespace palvex::compstui {
namespace {

constexpr int kTreeId = 0x3F0;  // the list of items on the item tree page

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<uint16_t>(value >> 16));
}
void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) Put16(out, c);
    Put16(out, 0);
}

// A page template with one list box filling it, in the sheet's usual page size.
std::vector<uint8_t> TreeTemplate(const std::u16string& title) {
    std::vector<uint8_t> out;
    Put32(out, WS_CHILD | DS_CONTROL | DS_SETFONT);
    Put32(out, 0);
    Put16(out, 1);  // one item
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 252);
    Put16(out, 218);
    Put16(out, 0);  // no menu
    Put16(out, 0);  // the dialog class
    PutText(out, title);
    Put16(out, 9);
    PutText(out, u"MS Shell Dlg");
    while (out.size() % 4) out.push_back(0);
    Put32(out, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    Put32(out, 0);
    Put16(out, 7);
    Put16(out, 7);
    Put16(out, 238);
    Put16(out, 204);
    Put16(out, kTreeId);
    Put16(out, 0xFFFF);
    Put16(out, 0x0083);  // a list box
    Put16(out, 0);       // no title
    Put16(out, 0);       // no creation data
    return out;
}

std::u16string TextOf(HINSTANCE instance, LPCWSTR text) {
    if (!text) return {};
    if (!IS_INTRESOURCE(text)) return text;
    WCHAR buffer[256] = {};
    LoadStringW(instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buffer, 256);
    return buffer;
}

std::u16string Number(long value) {
    std::u16string text;
    for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
    return text;
}

// One line of the tree: the item's name, indented by its level, and its value.
std::u16string ItemLine(HINSTANCE instance, const OPTITEM& item) {
    std::u16string line(static_cast<size_t>(item.Level) * 2, u' ');
    line += TextOf(instance, item.pName);
    const OPTTYPE* type = item.pOptType;
    if (!type || !type->pOptParam) return line;
    auto option = [&](long index) -> std::u16string {
        return index >= 0 && index < type->Count ? TextOf(instance, type->pOptParam[index].pData) : std::u16string();
    };
    switch (type->Type) {
    case TVOT_2STATES:
    case TVOT_3STATES:
    case TVOT_LISTBOX:
    case TVOT_COMBOBOX:
    case TVOT_NSTATES_EX:
        return line + u": " + option(item.Sel);
    case TVOT_UDARROW:
    case TVOT_TRACKBAR:
    case TVOT_SCROLLBAR:
        return line + u": " + Number(item.Sel) + u" " + option(0);
    case TVOT_EDITBOX:
        return line + u": " + (item.pSel ? std::u16string(item.pSel) : std::u16string());
    case TVOT_CHKBOX:
        return line + u": " + (item.Sel ? u"\u2611 " : u"\u2610 ") + option(0);
    case TVOT_PUSHBUTTON:
        return line + u"...";
    default:
        return line;
    }
}

void Fill(HWND page, const ItemSheet& sheet) {
    HWND list = GetDlgItem(page, kTreeId);
    if (!list) return;
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (WORD i = 0; i < sheet.record.cOptItem && sheet.record.pOptItem; ++i) {
        const OPTITEM& item = sheet.record.pOptItem[i];
        if (item.Flags & OPTIF_HIDE) continue;
        const std::u16string line = ItemLine(sheet.record.hInstCaller, item);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
}

LONG Callback(ItemSheet& sheet, WORD reason, HWND page) {
    if (!sheet.record.pfnCallBack) return CPSUICB_ACTION_NONE;
    CPSUICBPARAM param{};
    param.cbSize = sizeof(param);
    param.Reason = reason;
    param.hDlg = page;
    param.pOptItem = sheet.record.pOptItem;
    param.cOptItem = sheet.record.cOptItem;
    param.pCurItem = sheet.record.pOptItem;
    param.UserData = sheet.record.UserData;
    return sheet.record.pfnCallBack(&param);
}

ItemSheet* SheetOf(HWND page) { return reinterpret_cast<ItemSheet*>(GetWindowLongPtrW(page, DWLP_USER)); }

INT_PTR Reply(HWND page, LONG_PTR value) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CALLBACK TreePageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        auto* sheet = record ? reinterpret_cast<ItemSheet*>(record->lParam) : nullptr;
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(sheet));
        if (sheet) Fill(page, *sheet);
        return TRUE;
    }
    ItemSheet* sheet = SheetOf(page);
    if (!sheet || message != WM_NOTIFY) return FALSE;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return FALSE;
    switch (header->code) {
    case PSN_SETACTIVE: {
        const LONG action = Callback(*sheet, CPSUICB_REASON_SETACTIVE, page);
        if (IsWindow(page)) Fill(page, *sheet);
        (void)action;
        return Reply(page, 0);
    }
    case PSN_KILLACTIVE:
        Callback(*sheet, CPSUICB_REASON_KILLACTIVE, page);
        return Reply(page, FALSE);
    case PSN_APPLY:
        if (sheet->ignoreApply) return Reply(page, PSNRET_NOERROR);
        return Reply(page, ApplyItems(*sheet, page) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
    default:
        return FALSE;
    }
}

}  // namespace

bool ApplyItems(ItemSheet& sheet, HWND page) {
    return Callback(sheet, CPSUICB_REASON_APPLYNOW, page) != CPSUICB_ACTION_NO_APPLY_EXIT;
}

std::vector<HPROPSHEETPAGE> MakeItemPages(const std::shared_ptr<ItemSheet>& sheet) {
    std::vector<HPROPSHEETPAGE> pages;
    const COMPROPSHEETUI& record = sheet->record;
    std::vector<DLGPAGE> dialogPages;
    // A small pointer value names one of the sheet's standard page sets; each shows the tree here.
    if (record.pDlgPage && reinterpret_cast<ULONG_PTR>(record.pDlgPage) >= 0x10000)
        dialogPages.assign(record.pDlgPage, record.pDlgPage + record.cDlgPage);
    if (dialogPages.empty()) {
        DLGPAGE tree{};
        tree.DlgTemplateID = DP_STD_TREEVIEWPAGE;
        tree.pTabName = record.pOptItemName ? record.pOptItemName : record.pCallerName;
        dialogPages.push_back(tree);
    }
    sheet->templates.reserve(dialogPages.size());
    sheet->titles.reserve(dialogPages.size());
    for (const DLGPAGE& dialogPage : dialogPages) {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.hInstance = record.hInstCaller;
        const bool standard = !(dialogPage.Flags & DPF_USE_HDLGTEMPLATE) && dialogPage.DlgTemplateID >= DP_STD_DOCPROPPAGE1;
        sheet->titles.push_back(TextOf(record.hInstCaller, dialogPage.pTabName));
        if (standard) {
            if (sheet->titles.back().empty())
                sheet->titles.back() = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? u"詳細設定" : u"Advanced";
            sheet->templates.push_back(TreeTemplate(sheet->titles.back()));
            page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE | PSP_HASHELP;
            page.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(sheet->templates.back().data());
            page.pfnDlgProc = TreePageProc;
            page.lParam = reinterpret_cast<LPARAM>(sheet.get());
        } else {
            if (dialogPage.Flags & DPF_USE_HDLGTEMPLATE) {
                page.dwFlags = PSP_DLGINDIRECT;
                page.pResource = static_cast<LPCDLGTEMPLATEW>(dialogPage.hDlgTemplate);
            } else {
                page.pszTemplate = MAKEINTRESOURCEW(dialogPage.DlgTemplateID);
            }
            if (!sheet->titles.back().empty()) page.dwFlags |= PSP_USETITLE;
            page.pfnDlgProc = dialogPage.DlgProc;
            page.lParam = static_cast<LPARAM>(record.UserData);
        }
        if (page.dwFlags & PSP_USETITLE) page.pszTitle = sheet->titles.back().c_str();
        if (HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page)) pages.push_back(handle);
    }
    return pages;
}

}  // namespace palvex::compstui
