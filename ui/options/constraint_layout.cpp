#include "options/constraint_layout.h"

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "options/factory_tables.h"
#include "options/page_rule_flags.h"

namespace {

constexpr DWORD kBordersItem = 2300;
constexpr DWORD kPageOrderItem = 2352;
constexpr DWORD kWatermarkItem = 2402;
constexpr DWORD kWatermarkFirstPageItem = 2500;
constexpr DWORD kBindingMarginButton = 2603;
constexpr DWORD kDateStampItem = 2621;
constexpr DWORD kDateStampFirstPageItem = 2624;
constexpr DWORD kDateStampFormatButton = 2622;
constexpr DWORD kTimeFormatItem = 25750;
constexpr DWORD kWatermarkOnItem = 32502;
constexpr DWORD kDocumentOptionsButton = 1075;

constexpr DWORD kMediaTypeItem = 12;

constexpr DWORD kLayoutWatched[] = {
    kDuplexItem,        kPagesPerSheetItem, kBordersItem, kPageOrderItem,    kWatermarkItem,  kWatermarkFirstPageItem,
    kBindingMarginItem, kBindingMarginButton, kDateStampItem, kDateStampFirstPageItem, kDateStampFormatButton,
    kScaleToOutputItem, kOutputSizeItem,    kScaleItem,   kDocumentSizeItem, kMediaTypeItem};
constexpr DWORD kAdvancedWatched[] = {kEcoModeKey, kDuplexItem, kPagesPerSheetItem, kDocumentSizeItem};

}  // namespace

QORVAOptItemConstraintLAYOUT::QORVAOptItemConstraintLAYOUT(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemConstraintMEDIASIZE(heap, factory) {
    m_duplex = GetHandler(kDuplexItem);
    m_pagesPerSheet = GetHandler(kPagesPerSheetItem);
    m_borders = GetHandler(kBordersItem);
    m_pageOrder = GetHandler(kPageOrderItem);
    m_watermark = GetHandler(kWatermarkItem);
    m_watermarkFirstPage = GetHandler(kWatermarkFirstPageItem);
    m_bindingMargin = GetHandler(kBindingMarginItem);
    m_bindingMarginButton = GetHandler(kBindingMarginButton);
    m_dateStamp = GetHandler(kDateStampItem);
    m_dateStampFirstPage = GetHandler(kDateStampFirstPageItem);
    m_dateStampFormat = GetHandler(kDateStampFormatButton);
    for (DWORD id : kLayoutWatched) ObserveItem(GetHandler(id));
}

DWORD QORVAOptItemConstraintLAYOUT::Notify(DWORD id, WORD code, DWORD) {
    SetDefaultMediaSize();
    const bool scaleToOutput = GetItemValue(kScaleToOutputItem) != 0;
    const LONG scale = GetItemValue(kScaleItem);

    // A favourite whose watermark text the list no longer holds.
    if (code == kNotifyStoredSet && id == kWatermarkItem && WatermarkTextMismatch(m_watermark))
        return RefuseFavourite();

    SetLock(kPagesPerSheetItem, 0x2000, scaleToOutput ? kReasonScaleToOutputOff : 0);
    SetLock(kPagesPerSheetItem, 0x1000, scale != kUnscaled ? kReasonScaleUnscaled : 0);

    const bool single = PagesPerSheet(static_cast<LONG>(GetItemSel(kPagesPerSheetItem))) == 1;
    SetDisabled(kBordersItem, single);
    SetDisabled(kPageOrderItem, single);

    HWND page = PageWindow();
    HWND watermarkList = page ? GetDlgItem(page, kWatermarkItem) : nullptr;
    const bool watermarkOn = GetItemValue(kWatermarkOnItem) != 0;
    SetDisabled(kWatermarkFirstPageItem, !(watermarkOn && (!watermarkList || IsWindowEnabled(watermarkList))));

    const bool marginRule = code == kNotifyInitialise || id == kBindingMarginItem;
    const bool marginOn = GetItemValue(kBindingMarginItem) != 0;
    if (single) {
        SetLock(kBindingMarginItem, 0x2000, 0);
        if (marginRule) SetDisabled(kBindingMarginButton, !marginOn);
    } else {
        SetLock(kBindingMarginItem, 0x2000, kReasonPagesPerSheetOne);
        SetDisabled(kBindingMarginButton, true);
    }
    if (marginRule) SetLock(kPagesPerSheetItem, 0x4000, marginOn ? kReasonBindingMarginOff : 0);

    if (code == kNotifyInitialise || id == kDateStampItem) DateStamp();
    if (m_duplex) m_duplex->Invalidate(nullptr);
    return kAnswerPass;
}

void QORVAOptItemConstraintLAYOUT::DateStamp() {
    switch (GetItemValue(kDateStampItem)) {
    case 1:
        SetDisabled(kDateStampFormatButton, false);
        SetDisabled(kDateStampFirstPageItem, false);
        SetDisabled(kTimeFormatItem, true);
        break;
    case 2:
        SetDisabled(kDateStampFormatButton, false);
        SetDisabled(kDateStampFirstPageItem, false);
        SetDisabled(kTimeFormatItem, false);
        break;
    case 0:
        SetDisabled(kDateStampFormatButton, true);
        SetDisabled(kDateStampFirstPageItem, true);
        break;
    default: break;
    }
    HWND page = PageWindow();
    HWND stamp = page ? GetDlgItem(page, kDateStampItem) : nullptr;
    if (stamp && !IsWindowEnabled(stamp)) SetDisabled(kDateStampFirstPageItem, true);
}

QORVAOptItemConstraintADVANCED::QORVAOptItemConstraintADVANCED(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemConstraintMEDIASIZE(heap, factory) {
    m_tonerSave = GetHandler(kEcoModeKey);
    for (DWORD id : kAdvancedWatched) ObserveItem(GetHandler(id));
}

DWORD QORVAOptItemConstraintADVANCED::Notify(DWORD id, WORD code, DWORD) {
    SetDefaultMediaSize();
    if ((code == kNotifyInitialise || id == kEcoModeKey) && Market() == kMarketJapan) SetLock(kEcoModeKey, 0x1000, 0);
    if (code == kNotifyInitialise) {
        // The fifth word of the sheet's settings: the first standard item group the document
        // options open; without one the button has nothing to show.
        CoUIPluginExt* extension = m_owner ? m_owner->Extension() : nullptr;
        if (!extension || extension->m_standardGroups[0] == 0) {
            if (QORVAOptItemHandler* button = GetHandler(kDocumentOptionsButton)) button->SetExtState(0);
        }
    }
    return kAnswerPass;
}
