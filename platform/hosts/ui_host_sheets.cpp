// The UI host's property sheets: the universal driver's common property sheet with its item tree
// page and the plug-in's own pages.
#include <cstring>
#include <fstream>

#include <palvex/ui_script.h>

#include <win/commctrl.h>
#include <win/winosinfo.h>

#include "ui_host.h"

namespace palvex::hosts {

namespace {

// What the window system has posted (clicks, presses) is handled before the picture is taken.
void DrainPosted() {
    MSG message;
    for (int i = 0; i < 256 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        DispatchMessageW(&message);
    }
}

void ClickTab(HWND tab, int index) {
    RECT rect{};
    if (!SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect))) return;
    const LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    SendMessageW(tab, WM_LBUTTONUP, 0, centre);
    DrainPosted();
}

}  // namespace

std::vector<std::filesystem::path> WriteSheetPictures(HWND frame, const std::filesystem::path& folder,
                                                      const std::string& prefix) {
    std::vector<std::filesystem::path> written;
    HWND tab = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0));
    if (!tab) return written;
    std::filesystem::create_directories(folder);
    DrainPosted();
    const int selected = static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0));
    const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    const std::filesystem::path tree = folder / (prefix + ".txt");
    std::ofstream dump(tree, std::ios::trunc);
    for (int i = 0; i < count; ++i) {
        ClickTab(tab, i);
        const std::filesystem::path png = folder / (prefix + "-" + std::to_string(i + 1) + ".png");
        WriteWindowPicture(frame, png);
        written.push_back(png);
        dump << "# tab " << i + 1 << "\n" << DescribeWindowTree(frame);
    }
    written.push_back(tree);
    if (selected >= 0) ClickTab(tab, selected);
    return written;
}

LONG CALLBACK UiHost::TreeCallback(CPSUICBPARAM* param) {
    auto* host = param ? reinterpret_cast<UiHost*>(param->UserData) : nullptr;
    if (!host) return CPSUICB_ACTION_NONE;
    if (!host->m_sheetRecord || !host->m_sheetRecord->OEMCUIPCallback) {
        if (param->Reason == CPSUICB_REASON_APPLYNOW) host->SaveChoices();
        return CPSUICB_ACTION_NONE;
    }
    // The plug-in hears about its items only, as the universal driver hands them on.
    CPSUICBPARAM callback = *param;
    callback.pOptItem = host->m_sheetRecord->pOEMOptItems;
    callback.cOptItem = static_cast<WORD>(host->m_sheetRecord->cOEMOptItems);
    if (!callback.pCurItem) callback.pCurItem = host->m_sheetRecord->pOEMOptItems;
    callback.UserData = callback.pCurItem ? callback.pCurItem->UserData : 0;
    const LONG answer = host->m_sheetRecord->OEMCUIPCallback(&callback, host->m_sheetRecord.get());
    // The Apply's answer is kept among the calls (CPSUICB_ACTION_ITEMS_APPLIED when it saved); the
    // driver then saves its own items' choices, which the plug-in's pages may have changed.
    if (param->Reason == CPSUICB_REASON_APPLYNOW) {
        host->Record("ApplyNow", answer);
        host->SaveChoices();
    }
    return answer;
}

LONG CALLBACK UiHost::PluginSheetProc(PROPSHEETUI_INFO* info, LPARAM lParam) {
    auto* host = info ? reinterpret_cast<UiHost*>(info->lParamInit) : nullptr;
    if (!host || !host->m_plugin) return -1;
    const HRESULT answer = host->m_sheetMode == OEMCUIP_PRNPROP ? host->m_plugin->DevicePropertySheets(info, lParam)
                                                                 : host->m_plugin->DocumentPropertySheets(info, lParam);
    if (info->Reason == PROPSHEETUI_REASON_INIT)
        host->Record(host->m_sheetMode == OEMCUIP_PRNPROP ? "DevicePropertySheets" : "DocumentPropertySheets", answer);
    return SUCCEEDED(answer) ? 1 : -1;
}

LONG CALLBACK UiHost::HostSheetProc(PROPSHEETUI_INFO* info, LPARAM lParam) {
    auto* host = info ? reinterpret_cast<UiHost*>(info->lParamInit) : nullptr;
    if (!host) return -1;
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        DWORD pages = 0;
        if (!info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PCOMPROPSHEETUIW,
                                   reinterpret_cast<LPARAM>(&host->m_tree), reinterpret_cast<LPARAM>(&pages)))
            return -1;
        // A plug-in that adds no page of its own leaves the driver's pages alone.
        info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PFNPROPSHEETUIW, reinterpret_cast<LPARAM>(&PluginSheetProc),
                              reinterpret_cast<LPARAM>(host));
        return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto* header = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
        if (!header) return -1;
        header->Flags = host->m_sheetMode == OEMCUIP_PRNPROP ? PSUIHDRF_PROPTITLE : PSUIHDRF_EXACT_PTITLE;
        header->pTitle = host->m_sheetTitle.data();
        header->hWndParent = host->m_sheetOwner;
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
        const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
        if (result) info->Result = result->Result;
        return 1;
    }
    default:
        return 1;
    }
}

LONG UiHost::RunSheets(DWORD mode, HWND owner, DWORD* result, std::vector<BYTE> devmode, DWORD sheetFlags) {
    if (result) *result = CPSUI_CANCEL;
    if (mode != OEMCUIP_DOCPROP && mode != OEMCUIP_PRNPROP) {
        m_error = "no such sheet";
        return ERR_CPSUI_GETLASTERROR;
    }
    if (mode == OEMCUIP_PRNPROP && !m_adminPrinter) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        std::u16string name = m_options.printerName;
        if (!OpenPrinterW(name.data(), &m_adminPrinter, &defaults)) m_adminPrinter = nullptr;
    }
    const HRESULT built = BuildItems(mode, std::move(devmode));
    // A plug-in without items of its own (E_NOTIMPL) leaves the universal driver's sheet as it is.
    if (FAILED(built) && built != E_NOTIMPL) {
        m_error = "the plug-in could not make the sheet's items";
        return ERR_CPSUI_GETLASTERROR;
    }
    m_sheetRecord->dwFlags = sheetFlags;
    m_sheetMode = mode;
    m_sheetOwner = owner;
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    m_sheetTitle = mode == OEMCUIP_PRNPROP ? m_options.printerName
                                           : m_options.printerName + (japanese ? u" 印刷設定" : u" Printing Preferences");
    m_tree = COMPROPSHEETUI{};
    m_tree.cbSize = sizeof(COMPROPSHEETUI);
    m_tree.pCallerName = m_options.printerName.data();
    m_tree.UserData = reinterpret_cast<ULONG_PTR>(this);
    m_tree.pfnCallBack = &TreeCallback;
    m_tree.pOptItem = m_items.data();
    m_tree.cOptItem = static_cast<WORD>(m_items.size());
    m_tree.CallerVersion = 0x100;
    m_tree.OptItemVersion = 0x400;
    DWORD answer = CPSUI_CANCEL;
    const LONG shown = CommonPropertySheetUIW(owner, &HostSheetProc, reinterpret_cast<LPARAM>(this), &answer);
    if (result) *result = answer;
    return shown;
}

}  // namespace palvex::hosts
