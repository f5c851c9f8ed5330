#include "quick_settings_constraints.h"

#include <algorithm>
#include <iterator>

#include <win/strsafe.h>

#include "coresources.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "options/device_info_controls.h"
#include "options/quick_settings.h"
#include "options/quick_settings_prompts.h"

namespace {

// Resource strings of the list.
constexpr DWORD kDefaultsName = 110;
constexpr DWORD kDeletedName = 112;
constexpr DWORD kChangedPrefix = 113;
constexpr DWORD kCaption = 32900;
constexpr DWORD kAskReplace = 32901;
constexpr DWORD kReservedName = 32902;
constexpr DWORD kListFull = 32903;
constexpr DWORD kWhatIsDeleted = 32905;
constexpr DWORD kWarningCaption = 33300;
constexpr DWORD kAskDelete = 33301;

// Items whose changes never make the working entry the selection: the popups' own boxes and the
// custom sizes.
constexpr DWORD kIgnoredItems[] = {16100, 17052, 17100, 17152, 17202, 18100};
// Items that only refresh the button, and only while a stored entry is selected.
constexpr DWORD kScaleToPaperSize = 3102;
constexpr DWORD kWatermarkDegree = 19250;

}  // namespace

// --- list and button ------------------------------------------------------------------------------

QORVAOptItemConstraintQUICKSETS::QORVAOptItemConstraintQUICKSETS(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemNotify(heap, factory) {
    m_list = GetHandler(kQuickSettingsItem);
    // A changed value of any item selects the working entry: the rule listens to the whole sheet.
    if (factory && !factory->AttachedObserver()) {
        factory->SetAttachedObserver(this);
        m_onFactory = true;
    } else {
        ObserveItem(m_list);
        ObserveItem(GetHandler(kQuickSettingsButton));
    }
}

QORVAOptItemConstraintQUICKSETS::~QORVAOptItemConstraintQUICKSETS() {
    if (m_onFactory && m_owner && m_owner->AttachedObserver() == this) m_owner->SetAttachedObserver(nullptr);
}

QORVAOptItemHandlerQSCOMBOBOX* QORVAOptItemConstraintQUICKSETS::List() {
    return dynamic_cast<QORVAOptItemHandlerQSCOMBOBOX*>(m_list);
}

HWND QORVAOptItemConstraintQUICKSETS::Owner() {
    return CurrentDialog(m_owner);
}

void QORVAOptItemConstraintQUICKSETS::SetName(LPCWSTR text) {
    StringCchCopyW(m_name, std::size(m_name), text ? text : u"");
}

DWORD QORVAOptItemConstraintQUICKSETS::Notify(DWORD id, WORD code, DWORD) {
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    if (!list) return kAnswerPass;
    if (id == 0) {
        RefreshButton();
        return kAnswerPass;
    }
    if (id == kQuickSettingsItem) {
        if (list->Applied() && code == CBN_EDITCHANGE) {
            // Typing names the working entry.
            SetName(list->GetEditText());
            list->SetEntryText(list->EntryCount() - 1, m_name);
        } else if (list->Applied() && code == kNotifyChanged) {
            m_name[0] = 0;
        }
        RefreshButton();
        return kAnswerPass;
    }
    if (id == kQuickSettingsButton) {
        if (code == kNotifyStoredSet) return kAnswerPass;
        if (!m_owner->Closing() && !RunButton()) return kAnswerPass;
        RefreshButton();
        return kAnswerPass;
    }
    if (id == kScaleToPaperSize || id == kWatermarkDegree) {
        if (list->GetSel() != 0) RefreshButton();
        return kAnswerPass;
    }
    if (std::find(std::begin(kIgnoredItems), std::end(kIgnoredItems), id) != std::end(kIgnoredItems))
        return kAnswerPass;
    ValueChanged(code);
    RefreshButton();
    return kAnswerPass;
}

void QORVAOptItemConstraintQUICKSETS::ValueChanged(WORD code) {
    if (m_owner->Closing() || code == kNotifyStoredSet) return;
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    const LONG last = list->EntryCount() - 1;
    if (last < 0) return;
    if (!m_name[0]) {
        WCHAR prefix[32];
        LoadText(ResourcesOf(m_owner), kChangedPrefix, prefix, std::size(prefix));
        LPCWSTR selected = list->GetSelText(nullptr);
        StringCchPrintfW(m_name, std::size(m_name), u"%s%s", prefix, selected ? selected : u"");
        list->SetEntryText(last, m_name);
    }
    list->SetCurSel(last, nullptr);
}

void QORVAOptItemConstraintQUICKSETS::RefreshButton() {
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    QORVAOptItemHandler* button = GetHandler(kQuickSettingsButton);
    if (!list || !button) return;
    const LONG_PTR selection = list->GetSel();
    if (selection < 0) return;
    LPCWSTR typed = list->GetEditText();
    LONG value = kQuickSettingsDelete;
    bool enabled = true;
    if (selection == 0) {
        value = typed ? kQuickSettingsStoreNew : kQuickSettingsDelete;
        enabled = typed != nullptr;  // the defaults entry cannot be deleted
    } else if (selection == list->EntryCount() - 1) {
        value = kQuickSettingsStoreNew;
    } else if (typed) {
        value = kQuickSettingsStoreOver;
        enabled = typed[0] != 0;
    }
    button->SetCurSel(value, nullptr);
    if (enabled) button->ClearStateBits(0x1);
    else button->SetStateBits(0x1);
}

LONG QORVAOptItemConstraintQUICKSETS::FindQuickSettingSlot(LPCWSTR name, LONG preferred) {
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    if (!list || IsBlankName(name)) return -1;
    IDrvResources* resources = ResourcesOf(m_owner);
    WCHAR reserved[64];
    LoadText(resources, kDefaultsName, reserved, std::size(reserved));
    if (SameEntryText(name, reserved)) {
        if (resources) resources->MessageBox(Owner(), kReservedName, kCaption, MB_ICONEXCLAMATION);
        return -1;
    }
    for (LONG i = 0; i < list->EntryCount(); ++i) {
        DWORD visible = 0;
        LPCWSTR text = list->GetOptionText(i, &visible, nullptr);
        if (visible && SameEntryText(text, name)) {
            const int answer = resources ? resources->MessageBox(Owner(), kAskReplace, kCaption, MB_YESNO | MB_ICONINFORMATION) : 0;
            return answer == IDYES ? i : -1;
        }
        if (!visible && preferred == -1) preferred = i;
    }
    return preferred;
}

bool QORVAOptItemConstraintQUICKSETS::RunButton() {
    QORVAOptItemHandler* button = GetHandler(kQuickSettingsButton);
    switch (button ? button->GetSel() : -1) {
    case kQuickSettingsDelete: return DeleteSelected();
    case kQuickSettingsStoreNew: return StoreNew();
    case kQuickSettingsStoreOver: return StoreOver();
    default: return true;
    }
}

bool QORVAOptItemConstraintQUICKSETS::DeleteSelected() {
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    if (MessageWithText(ResourcesOf(m_owner), Owner(), kAskDelete, kWhatIsDeleted, kWarningCaption,
                        MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return false;
    list->DeleteQuickSetting();
    WCHAR deleted[64];
    LoadText(ResourcesOf(m_owner), kDeletedName, deleted, std::size(deleted));
    SetName(deleted);
    list->SetEntryText(list->EntryCount() - 1, m_name);
    list->SetCurSel(list->EntryCount() - 1, nullptr);
    return true;
}

void QORVAOptItemConstraintQUICKSETS::AskName(LPWSTR name, DWORD chars) {
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    StringCchCopyW(name, chars, list->GetEditText() ? list->GetEditText() : u"");
    if (!IsBlankName(name)) return;
    LPCWSTR answer = AskNameInPopup(m_owner, GetHandler(kQuickSettingsNameBox), GetHandler(kQuickSettingsNamePopup));
    StringCchCopyW(name, chars, answer ? answer : u"");
}

bool QORVAOptItemConstraintQUICKSETS::StoreNew() {
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    // The working entry stays hidden while it is selected: with every user entry shown the only
    // hidden entry left is the working one, which is no slot.
    if (list->GetVisibleOptionCount(nullptr) >= list->EntryCount() - 1) {
        if (IDrvResources* resources = ResourcesOf(m_owner))
            resources->MessageBox(Owner(), kListFull, kCaption, MB_ICONINFORMATION);
        return false;
    }
    WCHAR name[kQuickSettingsTypedChars + 1];
    AskName(name, std::size(name));
    const LONG index = FindQuickSettingSlot(name, -1);
    if (index < 0) return false;
    list->StoreQuickSetting(index, name);
    list->SelectString(list->GetOptionText(index, nullptr, nullptr), nullptr);
    m_name[0] = 0;
    return true;
}

bool QORVAOptItemConstraintQUICKSETS::StoreOver() {
    QORVAOptItemHandlerQSCOMBOBOX* list = List();
    WCHAR name[kQuickSettingsTypedChars + 1];
    const LONG selected = static_cast<LONG>(list->GetSel());
    AskName(name, std::size(name));
    const LONG index = FindQuickSettingSlot(name, selected);
    if (index < 0) {
        if (QORVAOptItemDlgLink* link = list->FirstLink(); link && link->Control()) SetWindowTextW(link->Control(), u"");
        return false;
    }
    list->StoreQuickSetting(index, name);
    if (index != selected) {
        list->DeleteQuickSetting();
        list->SelectString(list->GetOptionText(index, nullptr, nullptr), nullptr);
    }
    list->ReadControl(nullptr);
    return true;
}

// --- name popup -----------------------------------------------------------------------------------

QORVAOptItemConstraintQUICKSETSNAME::QORVAOptItemConstraintQUICKSETSNAME(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemConstraintNamePopup(heap, factory, kQuickSettingsNameBox) {}
