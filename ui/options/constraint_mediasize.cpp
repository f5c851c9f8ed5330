#include "options/constraint_mediasize.h"

#include <iterator>

#include <win/winuser.h>

#include "coresources.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "items/system_func.h"
#include "options/device_info_controls.h"
#include "options/page_rule_flags.h"

namespace {

constexpr DWORD kPagesPerSheetTable[] = {1, 2, 4, 6, 9, 16};
constexpr LONG kPaperLetter = 1;
constexpr LONG kPaperA4 = 9;
// A lock's reason word: the reason is shown with the item.
constexpr WORD kReasonShown = 0x8000;

}  // namespace

DWORD PagesPerSheet(LONG_PTR index) {
    if (index < 0 || index >= static_cast<LONG_PTR>(std::size(kPagesPerSheetTable))) return 1;
    return kPagesPerSheetTable[index];
}

QORVAOptItemConstraintMEDIASIZE::QORVAOptItemConstraintMEDIASIZE(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemNotify(heap, factory) {}

void QORVAOptItemConstraintMEDIASIZE::SetDefaultMediaSize() {
    if (GetItemValue(kDocumentSizeItem) != 0) return;
    QORVAOptItemHandler* documentSize = GetHandler(kDocumentSizeItem);
    if (!documentSize) return;
    if (GetItemValue(kScaleToOutputItem) != 0) {
        documentSize->SetValue(GetItemValue(kOutputSizeItem), nullptr);
        if (QORVAOptItemHandler* scaleToOutput = GetHandler(kScaleToOutputItem)) scaleToOutput->SetValue(0, nullptr);
        if (QORVAOptItemHandler* scale = GetHandler(kScaleItem)) scale->SetValue(kUnscaled, nullptr);
        return;
    }
    // Every market but Japan's gets Letter (a missing value counts as Japan's).
    documentSize->SetValue(Market() != kMarketJapan ? kPaperLetter : kPaperA4, nullptr);
}

LANGID QORVAOptItemConstraintMEDIASIZE::Market() {
    POEMCUIPPARAM record = m_owner ? m_owner->Record() : nullptr;
    return QORVASystemFunc::GetMarketLangID(record ? record->hPrinter : nullptr);
}

HWND QORVAOptItemConstraintMEDIASIZE::PageWindow() {
    return CurrentDialog(m_owner);
}

IDrvResources* QORVAOptItemConstraintMEDIASIZE::Resources() {
    return ResourcesOf(m_owner);
}

void QORVAOptItemConstraintMEDIASIZE::SetLock(DWORD item, DWORD bit, WORD reason) {
    if (QORVAOptItemHandler* handler = GetHandler(item)) handler->SetLinkState(bit, reason, kReasonShown);
}

void QORVAOptItemConstraintMEDIASIZE::SetDisabled(DWORD item, bool disabled) {
    QORVAOptItemHandler* handler = GetHandler(item);
    if (!handler) return;
    if (disabled) handler->SetStateBits(0x1);
    else handler->ClearStateBits(0x1);
}

DWORD QORVAOptItemConstraintMEDIASIZE::RefuseFavourite() {
    IDrvResources* resources = Resources();
    const int answer = resources ? resources->MessageBox(PageWindow(), kFavouriteConflictText, kFavouriteCaption,
                                                         MB_YESNO | MB_ICONEXCLAMATION)
                                 : 0;
    SetFavouriteDeletion(GetHandler(kFavouritesItem), answer == IDYES ? 1 : 0);
    return kAnswerRefuse;
}
