#include "options/watermark_list_constraint.h"

#include "coresources.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "options/device_info_controls.h"
#include "options/paper_source_handlers.h"
#include "options/quick_settings_prompts.h"
#include "options/watermark_list.h"

namespace {

constexpr DWORD kUntitledText = 19160;
constexpr DWORD kDeleteQuestion = 33301;
constexpr DWORD kWatermarkName = 33102;
constexpr DWORD kWarningCaption = 33300;
constexpr WORD kListFullReason = 33101;
constexpr WORD kReasonExtra = 0x8000;
constexpr DWORD kFullListBit = 0x400;
constexpr LONG kOwnAngle = 3;

}  // namespace

QORVAOptItemConstraintWMK::QORVAOptItemConstraintWMK(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemNotify(heap, factory) {
    m_list = GetHandler(kWatermarkListItem);
    m_new = GetHandler(kWatermarkNewButton);
    m_delete = GetHandler(kWatermarkDeleteButton);
    m_angle = GetHandler(kWatermarkAngleItem);
    for (QORVAOptItemHandler* handler : {m_list, m_new, m_delete, m_angle})
        if (handler) ObserveItem(handler);
}

QORVAOptItemHandlerWMCOMBOBOX* QORVAOptItemConstraintWMK::List() {
    return dynamic_cast<QORVAOptItemHandlerWMCOMBOBOX*>(m_list);
}

DWORD QORVAOptItemConstraintWMK::Notify(DWORD id, WORD code, DWORD) {
    if (code == kNotifyStoredSet && (id == kWatermarkNewButton || id == kWatermarkDeleteButton)) return kAnswerPass;
    if (id == kWatermarkNewButton) NewPushed();
    else if (id == kWatermarkDeleteButton && !DeletePushed()) return kAnswerPass;
    UpdateButtons();
    return kAnswerPass;
}

void QORVAOptItemConstraintWMK::NewPushed() {
    QORVAOptItemHandlerWMCOMBOBOX* list = List();
    if (!list || !m_owner) return;
    WCHAR untitled[kWatermarkTextLimit] = {};
    LoadText(ResourcesOf(m_owner), kUntitledText, untitled, kWatermarkTextLimit);
    list->SetNewEntry(1);
    list->SelectString(untitled, nullptr);
    list->SetNewEntry(0);
    m_owner->FlushList();
    if (HWND edit = GetDlgItem(CurrentDialog(m_owner), static_cast<int>(kWatermarkMessageEdit))) {
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
    }
}

bool QORVAOptItemConstraintWMK::DeletePushed() {
    if (MessageWithText(ResourcesOf(m_owner), CurrentDialog(m_owner), kDeleteQuestion, kWatermarkName, kWarningCaption,
                        MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return false;
    if (m_list) {
        const LONG_PTR selection = m_list->GetSel();
        if (selection > 0) m_list->HideOption(static_cast<LONG>(selection), 0, nullptr);
    }
    return true;
}

void QORVAOptItemConstraintWMK::UpdateButtons() {
    if (m_new) {
        QORVAOptItemHandlerWMCOMBOBOX* list = List();
        const bool full = list && list->FirstFreeEntry() < 0;
        m_new->SetLinkState(kFullListBit, full ? kListFullReason : 0, kReasonExtra);
    }
    if (m_delete) {
        if (m_list && m_list->GetSel() < 1) m_delete->SetStateBits(1);
        else m_delete->ClearStateBits(1);
    }
    if (QORVAOptItemHandler* degree = GetHandler(kWatermarkDegreeItem)) {
        if (GetItemValue(kWatermarkAngleItem) == kOwnAngle) degree->ClearStateBits(1);
        else degree->SetStateBits(1);
    }
}
