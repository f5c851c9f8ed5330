// The pages of DocumentPropertySheets and DevicePropertySheets: the access test, the items read
// into the plug-in's items, and one page for every SHEET record after the first.
#include <win/winbase_actctx.h>
#include <win/winprofile.h>

#include "items/handler_factory.h"
#include "model_hooks.h"
#include "module_state.h"
#include "sheet_pages.h"

namespace {

constexpr DWORD kNoPermission = 0x20;  // DM_NOPERMISSION in the sheet's flags
constexpr UINT kPageSizeOld = 96;      // PROPSHEETPAGEW before the activation context
constexpr UINT kPageSize = 104;

BOOL IsVersionOrLater(DWORD major, DWORD minor) {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    ULONGLONG conditions = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, conditions);
}

bool PrinterSheet(const CoUIPluginExt* state) { return state->SheetMode() == OEMCUIP_PRNPROP; }

// Full access to the printer, and on newer systems a writable driver ini.
void TestAccess(CoUIPluginExt* state) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(state->m_printerName, &printer, &defaults)) {
        state->m_accessState = kAccessDenied;
        return;
    }
    ClosePrinter(printer);
    if (!IsWindows60OrLater()) {
        state->m_accessState = kAccessFull;
        return;
    }
    state->m_accessState = kAccessIniLocked;
    LPCWSTR ini = state->Resources() ? state->Resources()->GetIniFileName() : nullptr;
    if (ini && *ini && WritePrivateProfileStringW(u"VistaTest", u"Value", u"1", ini)) {
        WritePrivateProfileStringW(u"VistaTest", nullptr, nullptr, ini);
        state->m_accessState = kAccessFull;
    }
}

// The plug-in's items from the settings the sheet shows: the job's private devmode on the
// document sheet, the printer settings on the printer sheet.
void ReadItems(CoUIPluginExt* state) {
    QORVAOptItemHandlerFactory* factory = state->Factory();
    POEMCUIPPARAM record = state->Record();
    if (factory) factory->PrepareItems();
    if (state->Settings() && record && record->pOEMOptItems)
        state->Settings()->GetOptItems(record->pOEMOptItems, record->cOEMOptItems,
                                       PrinterSheet(state) ? nullptr : record->pOEMDM);
    if (factory) factory->ApplyDefaults();
}

// The context the pages are made in: the plug-in's manifest, else the resource library's.
void MakeActivationContext(CoUIPluginExt* state) {
    if (state->m_activationContext != INVALID_HANDLE_VALUE && state->m_activationContext) return;
    IDrvResources* resources = state->Resources();
    if (!resources) return;
    for (LPCWSTR file : {resources->GetUIFileName(), resources->GetResourceFileName()}) {
        if (!file || !*file) continue;
        ACTCTXW context{};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = file;
        context.lpResourceName = MAKEINTRESOURCEW(2);
        HANDLE made = CreateActCtxW(&context);
        if (made != INVALID_HANDLE_VALUE) {
            state->m_activationContext = made;
            return;
        }
    }
}

LPCDLGTEMPLATEW PageTemplate(CoUIPluginExt* state, DWORD dialogId) {
    IDrvResources* resources = state->Resources();
    if (!resources) return nullptr;
    LPCDLGTEMPLATEW dialog = nullptr;
    if (PrinterSheet(state) && IsWindows61OrLater() && SUCCEEDED(resources->LoadDialogTemplate(dialogId + 2, &dialog, FALSE)) &&
        dialog)
        return dialog;
    dialog = nullptr;
    return SUCCEEDED(resources->LoadDialogTemplate(dialogId, &dialog, FALSE)) ? dialog : nullptr;
}

}  // namespace

CoUIPluginExt* SheetStateOf(HWND window) {
    return window ? static_cast<CoUIPluginExt*>(GetPropW(window, kSheetStateProperty)) : nullptr;
}

BOOL IsWindows60OrLater() {
    return IsVersionOrLater(6, 0);
}

BOOL IsWindows61OrLater() {
    return IsVersionOrLater(6, 1);
}

void LoadThemeCall(CoUIPluginExt* state) {
    WCHAR path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 13 >= MAX_PATH) return;
    lstrcatW(path, u"\\UXTHEME.DLL");
    state->m_themeLibrary = LoadLibraryExW(path, nullptr, 0);
    // The library is a code module: without it (or its call) pages keep their plain background.
    state->m_themeCall = nullptr;
}

BOOL RegisterStaticHand(CoUIPluginExt* state) {
    HINSTANCE module = ui::ModuleHandle();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(module, kStaticHandClass, &existing)) return TRUE;
    WNDCLASSEXW copy{};
    copy.cbSize = sizeof copy;
    if (!GetClassInfoExW(nullptr, u"static", &copy)) return FALSE;
    copy.hInstance = module;
    copy.lpszClassName = kStaticHandClass;
    copy.hCursor = state->Resources() ? state->Resources()->GetCursor(kStaticHandCursor) : nullptr;
    return RegisterClassExW(&copy) != 0 ? TRUE : FALSE;
}

HRESULT CoUIPluginExt::AddPropertySheets(PPROPSHEETUI_INFO info, LPARAM) {
    if (!info) return E_INVALIDARG;
    const bool init = info->Reason == PROPSHEETUI_REASON_INIT;
    if (init) {
        m_readOnly = m_record && (m_record->dwFlags & kNoPermission) ? 1 : 0;
        TestAccess(this);
    }
    if (UiType() == kUiTypePages) {
        if (PrinterSheet(this)) ReadItems(this);
        return E_NOTIMPL;
    }
    if (!init) return S_OK;
    if (UiType() != kUiTypeSheets || m_sheetCount == 0 || !m_sheets) return E_FAIL;
    if (!RegisterStaticHand(this)) return E_FAIL;
    ReadItems(this);
    m_takenOver = 0;
    m_laidOut = 0;

    PROPSHEETPAGEW page{};
    page.dwSize = IsWindows50() ? kPageSizeOld : kPageSize;
    page.dwFlags = PSP_DLGINDIRECT | PSP_HASHELP | PSP_PREMATURE;
    page.hInstance = ui::ModuleHandle();
    page.lParam = reinterpret_cast<LPARAM>(this);
    page.pfnDlgProc = PrinterSheet(this) ? DlgProcPrinter : DlgProcDocument;
    if (!IsWindows50()) {
        MakeActivationContext(this);
        if (m_activationContext && m_activationContext != INVALID_HANDLE_VALUE) {
            page.dwFlags |= PSP_USEFUSIONCONTEXT;
            page.hActCtx = m_activationContext;
        }
    }
    bool first = true;
    for (DWORD i = 1; i < m_sheetCount; ++i) {
        LPCDLGTEMPLATEW dialog = PageTemplate(this, m_sheets[i].m_dialogId);
        if (!dialog) continue;
        page.pResource = dialog;
        const LONG_PTR added = info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                                     reinterpret_cast<LPARAM>(&page), 0);
        if (!added) continue;
        if (first && i == 1 && (m_readOnly || (PrinterSheet(this) && m_accessState == kAccessDenied)))
            info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_SET_HSTARTPAGE, static_cast<LPARAM>(added), 0);
        if (first) page.dwFlags &= ~static_cast<DWORD>(PSP_PREMATURE);
        first = false;
    }
    return S_OK;
}
