#include "options/layout_links.h"

#include <win/compstui.h>
#include <win/imm.h>
#include <win/prcomoem_ui.h>
#include <win/strsafe.h>

#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "session/owner_drawn.h"

namespace {

constexpr DWORD kCopiesItem = 3;
constexpr DWORD kPagesPerSheetItem = 16;
constexpr DWORD kBordersItem = 2300;
constexpr DWORD kCollateItem = 1130;
constexpr DWORD kPagesPerSheetMirror = 32501;

// A typed count farther than this from every offered one picks the first.
constexpr LONG_PTR kFarthest = 1000;
constexpr size_t kColourRowChars = 300;

// The input context taken from the pages-per-sheet box while it has the focus (the edit boxes
// keep theirs apart).
HIMC g_pagesPerSheetContext = nullptr;

bool HasExtendedCheckBox(QORVAOptItemHandler* handler) {
    return handler && handler->Item() && handler->Item()->pExtChkBox;
}

bool ExtendedBoxChecked(QORVAOptItemHandler* handler) {
    return HasExtendedCheckBox(handler) && (handler->Item()->Flags & OPTIF_ECB_CHECKED);
}

// Checks or clears the extended check box of a driver item that the kit's pages keep hidden, and
// tells the driver: it takes no notice of hidden items, so the item is shown for the call.
void SetExtendedBox(QORVAOptItemHandler* handler, bool checked) {
    if (!HasExtendedCheckBox(handler)) return;
    POPTITEM item = handler->Item();
    if (checked) item->Flags |= OPTIF_ECB_CHECKED;
    else item->Flags &= ~static_cast<DWORD>(OPTIF_ECB_CHECKED);
    item->Flags &= ~static_cast<DWORD>(OPTIF_HIDE);
    item->Flags |= OPTIF_CHANGED;
    if (QORVAOptItemHandlerFactory* factory = handler->Factory(); factory && factory->DriverUI()) {
        const DWORD mode = factory->SheetMode() == OEMCUIP_PRNPROP ? OEMCUIP_PRNPROP : OEMCUIP_DOCPROP;
        PVOID uiObject = factory->Record() ? factory->Record()->poemuiobj : nullptr;
        factory->DriverUI()->DrvUpdateUISetting(uiObject, item, 0, mode);
    }
    item->Flags |= OPTIF_HIDE;
}

// Runs a change that must not reach the observers (the page's opening refresh copies a state).
template <class Change>
void Quietly(QORVAOptItemHandlerFactory* factory, Change change) {
    if (!factory) return;
    factory->SetNotificationsEnabled(0);
    change();
    factory->SetNotificationsEnabled(1);
}

// The count an option's text gives ("2", "16"); FALSE when it starts with no digit.
bool OptionCount(LPCWSTR text, LONG_PTR* count) {
    if (!text || *text < u'0' || *text > u'9') return false;
    LONG_PTR value = 0;
    for (; *text >= u'0' && *text <= u'9' && value < kFarthest * 1000; ++text) value = value * 10 + (*text - u'0');
    *count = value;
    return true;
}

}  // namespace

// --- pages per sheet --------------------------------------------------------------------------

QORVAOptItemDlgLinkUDArrowListNUP::QORVAOptItemDlgLinkUDArrowListNUP(HANDLE heap, QORVAOptItemHandler* handler,
                                                                     HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkUDArrowList(heap, handler, control, controlId, 0) {
    m_bordersHandler = WatchItem(kBordersItem);
}

DWORD QORVAOptItemDlgLinkUDArrowListNUP::Notify(DWORD id, WORD code, DWORD) {
    QORVAOptItemHandler* pagesPerSheet = GetHandler(kPagesPerSheetItem);
    if (code == kNotifyInitialise) {
        Quietly(m_owner, [&] {
            if (HasExtendedCheckBox(pagesPerSheet) && m_bordersHandler)
                m_bordersHandler->SetValue(ExtendedBoxChecked(pagesPerSheet) ? 1 : 0, nullptr);
        });
    } else if (id == kBordersItem) {
        SetExtendedBox(pagesPerSheet, GetItemValue(kBordersItem) == 1);
    }
    return kAnswerPass;
}

LRESULT QORVAOptItemDlgLinkUDArrowListNUP::Command(WORD code, DWORD) {
    if (code == EN_SETFOCUS) {
        g_pagesPerSheetContext = ImmAssociateContext(m_control, nullptr);
    } else if (code == EN_KILLFOCUS && g_pagesPerSheetContext) {
        ImmAssociateContext(m_control, g_pagesPerSheetContext);
        g_pagesPerSheetContext = nullptr;
    }
    if (m_updating) return 0;
    if (code == EN_KILLFOCUS) Commit();
    return 1;
}

void QORVAOptItemDlgLinkUDArrowListNUP::Commit() {
    if (!m_handler) return;
    DWORD typed = 0;
    if (ReadNumberBox(m_control, &typed)) {
        LONG best = 0;
        LONG_PTR bestDistance = kFarthest;
        const LONG count = m_handler->GetOptionCount();
        for (LONG i = 0; i < count; ++i) {
            LONG_PTR offered = 0;
            if (!OptionCount(m_handler->GetOptionText(i, nullptr, this), &offered)) continue;
            const LONG_PTR distance = offered > static_cast<LONG_PTR>(typed) ? offered - static_cast<LONG_PTR>(typed)
                                                                           : static_cast<LONG_PTR>(typed) - offered;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        if (QORVAOptItemHandler* mirror = GetHandler(kPagesPerSheetMirror)) mirror->SetValue(best, this);
        m_handler->SetValue(best, this);
    }
    // The box shows the choice again, whatever was typed.
    RefreshNow();
}

// --- collate ----------------------------------------------------------------------------------

QORVAOptItemDlgLinkCheckCOLLATE::QORVAOptItemDlgLinkCheckCOLLATE(HANDLE heap, QORVAOptItemHandler* handler,
                                                                 HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkCheckbox(heap, handler, control, controlId, 0) {
    m_copiesHandler = WatchItem(kCopiesItem);
    m_collateHandler = WatchItem(kCollateItem);
    UpdateControl(nullptr);
}

DWORD QORVAOptItemDlgLinkCheckCOLLATE::Notify(DWORD id, WORD code, DWORD) {
    if ((code == kNotifyInitialise || id == kCopiesItem) && m_collateHandler) {
        // Set and clear queue the collate controls for repainting (or repaint them at once).
        if (GetItemValue(kCopiesItem) == 1) m_collateHandler->SetStateBits(0x1);
        else m_collateHandler->ClearStateBits(0x1);
    }
    if (code == kNotifyInitialise) {
        // An unchecked driver box leaves the collate item as it was: the kit's own item may hold a
        // choice the driver's tree never showed.
        Quietly(m_owner, [&] {
            if (ExtendedBoxChecked(m_copiesHandler) && m_collateHandler) m_collateHandler->SetValue(1, nullptr);
        });
    } else if (id == kCollateItem) {
        SetExtendedBox(m_copiesHandler, GetItemValue(kCollateItem) == 1);
    }
    return kAnswerPass;
}

// --- watermark colour -------------------------------------------------------------------------

QORVAOptItemDlgLinkComboboxCOLOR::QORVAOptItemDlgLinkComboboxCOLOR(HANDLE heap, QORVAOptItemHandler* handler,
                                                                   HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkCombobox(heap, handler, control, controlId, 0, FALSE) {
    // The base could not reach this class's rows while it was being made: they are added now.
    FillRows();
    UpdateControl(nullptr);
}

LONG QORVAOptItemDlgLinkComboboxCOLOR::Fill(HWND control, LONG index, LPCWSTR text) {
    if (!m_handler) return index;
    const auto* colour = reinterpret_cast<const DWORD*>(m_handler->GetOptionParam(index, nullptr));
    WCHAR row[kColourRowChars];
    if (FAILED(StringCchPrintfW(row, kColourRowChars, u"%s|%d", text ? text : u"",
                                static_cast<int>(colour ? *colour : 0)))) {
        return index;
    }
    return QORVAOptItemDlgLinkCombobox::Fill(control, index, row);
}

LRESULT QORVAOptItemDlgLinkComboboxCOLOR::DrawItem(LPARAM drawItem) {
    paint::QORVAOptItemDlgLinkComboboxCOLOR::PaintColorItem(reinterpret_cast<const DRAWITEMSTRUCT*>(drawItem));
    return 1;
}
