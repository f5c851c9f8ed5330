// ApplyDefaults: the selections corrected after the stored settings were read into the items, and
// the printer sheet locked for users who may not change it.
#include <algorithm>
#include <iterator>

#include "couipluginext.h"
#include "items/optitem_handler.h"
#include "items/system_func.h"
#include "options/handler_factory_drv.h"
#include "options/item_preparation.h"
#include "options/quick_settings.h"

namespace {

constexpr DWORD kAllReasons = 0xFF;
constexpr LANGID kEnglishUs = 1033;
constexpr LPARAM kPaperLetter = 1;
constexpr LPARAM kPaperA4 = 9;

// Items a user without full access may still use on the printer sheet: the driver name and the
// user-tracking configuration with its ID and password dialog.
bool StaysUsable(DWORD key) {
    return key == 531 || key == 1143 || key == 1144 || (key >= 25501 && key <= 25509);
}

// The tray (0 to 3, 3 the manual feed) an option of the paper source stands for, or -1: the last
// option is the manual feed, options 1 to 3 are trays 1 to 3.
int TrayOfOption(LONG index, LONG count) {
    if (index <= 0) return -1;
    if (index == count - 1) return kTrayCount - 1;
    return index <= kTrayCount - 1 ? static_cast<int>(index - 1) : -1;
}

}  // namespace

void QORVAOptItemHandlerFactoryDrv::ApplyDefaults() {
    TakeSheetAccess();
    if (SheetMode() == OEMCUIP_PRNPROP) {
        ApplyPrinterSheetDefaults();
        return;
    }
    // The angle handler applies its rules to the loaded value.
    if (QORVAOptItemHandler* angle = Handler(19202)) {
        LONG_PTR value = 0;
        DWORD isText = 0;
        angle->GetValue(nullptr, &value, &isText);
        if (!isText) angle->SetValue(value, nullptr);
    }
    LoadQuickSettingsDefaults(Handler(101));
    if (QORVAOptItemHandler* customMedia = Handler(17052); customMedia && customMedia->GetOptionCount() > 0)
        customMedia->SetCurSel(customMedia->GetOptionCount() - 1, nullptr);
    ApplyPaperSizeDefault();
    ApplyScaleToPaperDefault();
    if (m_readOnly)
        for (auto& [key, handler] : m_handlers)
            if (handler) handler->SetStateBits(kAllReasons);
    ApplyTrayDefaults();
}

void QORVAOptItemHandlerFactoryDrv::ApplyPrinterSheetDefaults() {
    if (m_readOnly) {
        for (auto& [key, handler] : m_handlers)
            if (handler && key != 531) handler->SetStateBits(kAllReasons);
        return;
    }
    if (m_accessState != kAccessDenied && m_accessState != kAccessIniLocked) return;
    for (auto& [key, handler] : m_handlers)
        if (handler && !StaysUsable(key)) handler->SetStateBits(kAllReasons);
}

void QORVAOptItemHandlerFactoryDrv::ApplyPaperSizeDefault() {
    QORVAOptItemHandler* form = FindHandler(9);
    QORVAOptItemHandler* paper = FindHandler(1203);
    QORVAOptItemHandler* quickSettings = Handler(101);
    if (!form || !paper || !quickSettings) return;
    const LONG_PTR formSel = form->GetSel();
    if (paper->GetSel() != formSel) {
        paper->SetCurSel(formSel, nullptr);
        // The paper no longer is what a quick setting gave: the list shows its last entry.
        if (quickSettings->GetOptionCount() > 0) quickSettings->SetCurSel(quickSettings->GetOptionCount() - 1, nullptr);
    } else if (quickSettings->GetSel() == 0) {
        const LANGID market = QORVASystemFunc::GetMarketLangID(m_record ? m_record->hPrinter : nullptr);
        const LPARAM wanted = market == kEnglishUs ? kPaperLetter : kPaperA4;
        LONG choice = 0;
        for (LONG i = 0; i < paper->GetOptionCount(); ++i)
            if (paper->GetOptionParam(i, nullptr) == wanted) {
                choice = i;
                break;
            }
        paper->SetCurSel(choice, nullptr);
    } else if (form->GetOptionCount() == 1) {
        paper->SetCurSel(0, nullptr);
    } else {
        paper->SetCurSel(formSel, nullptr);
    }
}

void QORVAOptItemHandlerFactoryDrv::ApplyScaleToPaperDefault() {
    IDrvSettings* settings = m_extension ? m_extension->Settings() : nullptr;
    if (!settings || !m_record || !m_record->pOEMDM) return;
    WORD stored = 0;
    if (FAILED(settings->GetFieldValue(m_record->pOEMDM, u"_SCALEDOCON_SIZE", &stored, sizeof stored,
                                       SETTINGS_SELECT_DEVMODE)) ||
        stored == 0)
        return;
    // The device's paper id as the cloned paper lists number it.
    LONG value = stored;
    if (m_systemFunc) {
        const PaperIdRemap* pairs = m_systemFunc->GetRemapTable();
        const DWORD count = std::min<DWORD>(m_systemFunc->GetRemapCount(), PAPER_REMAP_PAIRS);
        for (DWORD i = 0; i < count; ++i)
            if (pairs[i].m_deviceId == value) {
                value = pairs[i].m_newId;
                break;
            }
    }
    if (QORVAOptItemHandler* scale = Handler(3102)) scale->SetValue(value, nullptr);
}

void QORVAOptItemHandlerFactoryDrv::ApplyTrayDefaults() {
    TRAYINFO trays[kTrayCount] = {};
    if (!ReadDeviceTrays(m_record ? m_record->hPrinter : nullptr, m_record ? m_record->pPrinterName : nullptr, trays))
        return;
    QORVAOptItemHandler* source = Handler(4);
    if (!source) return;
    int present = 0;
    for (const TRAYINFO& tray : trays)
        if (tray.inputType != 0) ++present;
    const LONG count = source->GetOptionCount();
    const LONG_PTR selection = source->GetSel();
    const bool outOfRange = (present == 3 && (selection == 3 || selection == 4)) ||
                            (present != 3 && present != 4 && selection >= 2 && selection <= 4);
    // A selection whose tray is installed stays: only a missing tray's selection goes back to 0.
    const int selectedTray = TrayOfOption(static_cast<LONG>(selection), count);
    const bool selectedPresent = selectedTray >= 0 && trays[selectedTray].inputType != 0;
    if (outOfRange && !selectedPresent) source->SetCurSel(0, nullptr);
    for (LONG i = 1; i < count; ++i) {
        const int tray = TrayOfOption(i, count);
        if (tray < 0) continue;
        // Showing a hidden option or hiding a shown one also puts the control's entry back or
        // takes it out; hiding the selection moves it to a shown option first.
        source->HideOption(i, trays[tray].inputType != 0 ? 1 : 0, nullptr);
    }
}
