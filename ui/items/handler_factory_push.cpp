// A push button's dialog on a nested level of its own: the dialog of its push target record, or
// the property sheet or common property sheet of the target item.
#include "handler_factory.h"
#include "module_state.h"
#include "optitem_builder.h"
#include "optitem_handler.h"
#include "sheet_pages.h"

namespace {

constexpr DWORD kHelpUseKey = 65535;
constexpr DWORD kHelpNone = 65534;
constexpr UINT kMaxNestedPages = 32;

}  // namespace

DWORD QORVAOptItemHandlerFactory::PushHandler(QORVAOptItemHandler* handler, HWND parent) {
    const DWORD standardTree = UiType() == 1 ? 1 : 0;
    if (!handler) return standardTree;
    POPTITEM item = handler->Item();
    const OPTTYPE* type = item ? item->pOptType : nullptr;
    const auto* push = type && type->Type == TVOT_PUSHBUTTON && type->Count > 0 && type->pOptParam
                           ? reinterpret_cast<const PushTargetRecord*>(type->pOptParam[0].lParam)
                           : nullptr;
    if (!push) {
        handler->RouteNotify(handler->ItemKey(), kNotifyChanged, 0);
        return standardTree;
    }

    // The level's help: the target item's help context, else the target key itself.
    const DWORD targetKey = push->m_dialogId;
    POPTITEM target = nullptr;
    for (POPTITEM candidate = m_firstItem; candidate && candidate <= m_lastItem; ++candidate)
        if (GetPubID(candidate) == targetKey) {
            target = candidate;
            break;
        }
    DWORD helpId = targetKey;
    if (target) helpId = target->HelpIndex == kHelpUseKey ? targetKey : target->HelpIndex == kHelpNone ? 0 : target->HelpIndex;
    const BOOL level = BeginPushLevel(helpId);

    CoUIPluginExt* provider = push->m_sheet;
    INT_PTR result = 0;
    if (push->m_template) {
        result = DialogBoxIndirectParamW(ui::ModuleHandle(), push->m_template, parent, PushDlgProc,
                                         reinterpret_cast<LPARAM>(provider));
    } else if (target && target->pOptType && provider) {
        BYTE kind = target->pOptType->Type;
        NestedSheetRecord* nested = nullptr;
        if (kind == kTypePropSheetUI &&
            (!HasUnplacedStandardItems(provider, target) || FAILED(BuildNestedComPropSheet(provider, target, parent, &nested))))
            kind = kTypePropSheet;
        if (kind == kTypePropSheetUI && nested) {
            DWORD answer = CPSUI_CANCEL;
            CommonPropertySheetUIW(parent, NestedSheetProc, reinterpret_cast<LPARAM>(nested), &answer);
            result = answer == CPSUI_OK ? 1 : 0;
        } else if (kind == kTypePropSheet) {
            PROPSHEETPAGEW pages[kMaxNestedPages];
            PROPSHEETHEADERW header{};
            if (SUCCEEDED(BuildNestedPropertySheet(provider, target, parent, pages, kMaxNestedPages, &header)))
                result = PropertySheetW(&header) > 0 ? 1 : 0;
        }
        FreeNestedComPropSheet(nested);
    }
    if (result < 0) result = 0;  // a dialog that could not be made changed nothing
    if (level) EndPushLevel(result == 0 ? TRUE : FALSE);
    return standardTree;
}
