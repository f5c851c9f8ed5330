#include "custom_media_constraints.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include <win/winspool.h>

#include "codrvsettings.h"
#include "coresources.h"
#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"
#include "items/printer_form.h"
#include "items/system_func.h"
#include "options/custom_media_handlers.h"
#include "options/device_info_controls.h"
#include "options/quick_settings.h"
#include "options/quick_settings_prompts.h"

namespace {

constexpr DWORD kPaperSizeItem = 1203;

// Messages of the popup.
constexpr DWORD kCaption = 33000;
constexpr DWORD kAskReplace = 33001;
constexpr DWORD kNameTaken = 33002;
constexpr DWORD kListFull = 33003;
constexpr DWORD kSystemName = 33004;
constexpr DWORD kHeightBelowWidth = 33005;
constexpr DWORD kWhatIsDeleted = 33006;
constexpr DWORD kRegistrationFailed = 33007;
constexpr DWORD kFailureCaption = 32772;
constexpr DWORD kForbiddenCharacter = 17262;
constexpr DWORD kWarningCaption = 33300;
constexpr DWORD kAskDelete = 33301;

constexpr size_t kPaperNameChars = 64;
// Item values are hundredths of a millimetre, forms thousandths.
constexpr LONG kFormPerItem = 10;

bool EmptyText(LPCWSTR text) {
    return !text || !*text;
}

}  // namespace

std::u16string NormaliseMediumName(LPCWSTR name) {
    std::u16string normal;
    for (LPCWSTR at = name; at && *at; ++at) {
        if (*at == u'"') normal += u"''";
        else normal += *at;
    }
    if (normal.size() > static_cast<size_t>(kCustomMediaNameLimit - 1)) normal.resize(kCustomMediaNameLimit - 1);
    return normal;
}

bool HasForbiddenNameCharacter(const std::u16string& name) {
    return name.find_first_of(u"=\\") != std::u16string::npos;
}

// --- the popup's rules ----------------------------------------------------------------------------

QORVAOptItemConstraintCMS::QORVAOptItemConstraintCMS(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemNotify(heap, factory) {
    m_list = GetHandler(kCustomMediaList);
    m_button = GetHandler(kCustomMediaButton);
    m_width = GetHandler(kCustomMediaWidth);
    m_height = GetHandler(kCustomMediaHeight);
    CoUIPluginExt* extension = factory ? factory->Extension() : nullptr;
    IDrvSettings* settings = extension ? extension->Settings() : nullptr;
    if (!settings ||
        FAILED(settings->GetFieldValue(nullptr, u"_FORMASSIGN", &m_formAssign, sizeof m_formAssign, SETTINGS_SELECT_PRINTER)))
        m_formAssign = 0;
    for (QORVAOptItemHandler* watched : {m_list, m_button, m_width, m_height}) ObserveItem(watched);
    for (DWORD list : m_paperLists) ObserveItem(GetHandler(list));
}

QORVAOptItemHandlerCMCOMBOBOX* QORVAOptItemConstraintCMS::List() {
    return dynamic_cast<QORVAOptItemHandlerCMCOMBOBOX*>(m_list);
}

HWND QORVAOptItemConstraintCMS::Owner() {
    return CurrentDialog(m_owner);
}

DWORD QORVAOptItemConstraintCMS::Notify(DWORD id, WORD code, DWORD) {
    if (!List()) return kAnswerPass;
    if (code == kNotifyInitialise || id == kPaperSizeItem) {
        FollowPaperSize();
    } else if (id == kCustomMediaList) {
        SizesFromSelection();
    } else if (id == kCustomMediaWidth || id == kCustomMediaHeight) {
        SelectBySize();
    } else if (id == kCustomMediaButton && code == kNotifyChanged) {
        // Only a press runs a flow: a value put back or loaded from a stored set does not.
        DWORD result = kAnswerPass;
        switch (m_button->GetSel()) {
        case kCustomMediaDelete: result = DeleteMedium(); break;
        case kCustomMediaAdd: result = AddMedium(); break;
        case kCustomMediaRename: result = RenameMedium(); break;
        default: break;
        }
        if (result == kAnswerRefuse) return kAnswerRefuse;
    }
    RefreshButton();
    return kAnswerPass;
}

void QORVAOptItemConstraintCMS::SetSizes(LONG width, LONG height) {
    if (m_width) m_width->SetValue(width, nullptr);
    if (m_height) m_height->SetValue(height, nullptr);
}

void QORVAOptItemConstraintCMS::FollowPaperSize() {
    QORVAOptItemHandlerCMCOMBOBOX* list = List();
    QORVAOptItemHandler* paper = GetHandler(kPaperSizeItem);
    LPCWSTR paperName = paper ? paper->GetSelText(nullptr) : nullptr;
    if (!paperName) return;
    list->SelectString(paperName, nullptr);
    if (const CustomMediaRecord* record = list->SelectedRecord(); IsNamedMedium(record)) {
        SetSizes(record->m_form.Size.cx / kFormPerItem, record->m_form.Size.cy / kFormPerItem);
        return;
    }
    FORM_INFO_1W form{};
    if (ReadForm(paperName, &form)) SetSizes(form.Size.cx / kFormPerItem, form.Size.cy / kFormPerItem);
}

void QORVAOptItemConstraintCMS::SizesFromSelection() {
    if (const CustomMediaRecord* record = List()->SelectedRecord(); IsNamedMedium(record))
        SetSizes(record->m_form.Size.cx / kFormPerItem, record->m_form.Size.cy / kFormPerItem);
}

void QORVAOptItemConstraintCMS::SelectBySize() {
    QORVAOptItemHandlerCMCOMBOBOX* list = List();
    const LONG width = GetItemValue(kCustomMediaWidth);
    const LONG height = GetItemValue(kCustomMediaHeight);
    for (LONG i = 0; i < list->EntryCount(); ++i) {
        const CustomMediaRecord* record = list->Record(i);
        if (!IsNamedMedium(record)) continue;
        const LONG entryWidth = record->m_form.Size.cx / kFormPerItem;
        const LONG entryHeight = record->m_form.Size.cy / kFormPerItem;
        if (std::abs(entryWidth - width) <= 1 && std::abs(entryHeight - height) <= 1) {
            list->SetCurSel(i, nullptr);
            return;
        }
    }
    list->SetCurSel(list->EntryCount() - 1, nullptr);
}

void QORVAOptItemConstraintCMS::RefreshButton() {
    QORVAOptItemHandlerCMCOMBOBOX* list = List();
    if (!m_button) return;
    const LONG_PTR selection = list->GetSel();
    LPCWSTR typed = list->GetEditText();
    LONG value = kCustomMediaDelete;
    bool enabled = true;
    if (selection == list->EntryCount() - 1) {
        value = kCustomMediaAdd;
    } else if (typed) {
        value = kCustomMediaRename;
        enabled = typed[0] != 0;
    }
    m_button->SetCurSel(value, nullptr);
    if (enabled) m_button->ClearStateBits(0x1);
    else m_button->SetStateBits(0x1);
}

bool QORVAOptItemConstraintCMS::ReadForm(LPCWSTR name, FORM_INFO_1W* form) {
    POEMCUIPPARAM sheet = m_owner ? m_owner->Record() : nullptr;
    const QORVAPrinterForm stored(sheet ? sheet->hPrinter : nullptr, name);
    if (!stored) return false;
    *form = stored.info();
    form->pName = nullptr;  // its text goes with the reader
    return true;
}

bool QORVAOptItemConstraintCMS::IsSystemForm(const std::u16string& name) {
    FORM_INFO_1W form{};
    return !name.empty() && ReadForm(name.c_str(), &form) && (form.Flags == FORM_BUILTIN || form.Flags == FORM_PRINTER);
}

bool QORVAOptItemConstraintCMS::Acceptable(const std::u16string& name) {
    if (HasForbiddenNameCharacter(name)) {
        Warn(kForbiddenCharacter);
        return false;
    }
    if (IsSystemForm(name)) {
        Warn(kSystemName);
        return false;
    }
    return true;
}

LONG QORVAOptItemConstraintCMS::ListedEntry(const std::u16string& name) {
    QORVAOptItemHandlerCMCOMBOBOX* list = List();
    for (LONG i = 0; i < list->EntryCount(); ++i)
        if (const CustomMediaRecord* record = list->Record(i); IsNamedMedium(record) && SameEntryText(record->m_name, name.c_str()))
            return i;
    return -1;
}

void QORVAOptItemConstraintCMS::Warn(DWORD textId) {
    if (IDrvResources* resources = ResourcesOf(m_owner))
        resources->MessageBox(Owner(), textId, kCaption, MB_ICONEXCLAMATION);
}

void QORVAOptItemConstraintCMS::ShowRegistrationFailure(DWORD error) {
    MessageWithCode(ResourcesOf(m_owner), Owner(), kRegistrationFailed, error, kFailureCaption, MB_ICONEXCLAMATION);
}

void QORVAOptItemConstraintCMS::ShowFailure(DWORD error) {
    if (error == ERROR_FILE_EXISTS) Warn(kNameTaken);
    else ShowRegistrationFailure(error);
}

DWORD QORVAOptItemConstraintCMS::AddMedium() {
    QORVAOptItemHandlerCMCOMBOBOX* list = List();
    QORVASystemFunc* systemFunc = m_owner ? m_owner->SystemFunc() : nullptr;
    IDrvResources* resources = ResourcesOf(m_owner);
    if (!systemFunc) return kAnswerRefuse;
    if (list->GetVisibleOptionCount(nullptr) >= list->EntryCount() - 1) {
        Warn(kListFull);
        return kAnswerRefuse;
    }
    const LONG width = GetItemValue(kCustomMediaWidth);
    const LONG height = GetItemValue(kCustomMediaHeight);
    if (height < width) {
        Warn(kHeightBelowWidth);
        return kAnswerRefuse;
    }
    std::u16string typed = list->GetEditText() ? list->GetEditText() : u"";
    if (IsBlankName(typed.c_str())) {
        LPCWSTR answer = AskNameInPopup(m_owner, GetHandler(kCustomMediaNameBox), GetHandler(kCustomMediaNamePopup));
        if (IsBlankName(answer)) return kAnswerRefuse;
        typed = answer;
    }
    const std::u16string name = NormaliseMediumName(typed.c_str());
    if (!Acceptable(name)) return kAnswerRefuse;

    const DWORD formWidth = static_cast<DWORD>(width) * kFormPerItem;
    const DWORD formHeight = static_cast<DWORD>(height) * kFormPerItem;
    DWORD error = 0;
    if (const LONG existing = ListedEntry(name); existing >= 0) {
        if (!resources || resources->MessageBox(Owner(), kAskReplace, kCaption, MB_YESNO | MB_ICONINFORMATION) != IDYES)
            return kAnswerRefuse;
        if (!systemFunc->ResizeCustomMedia(name.c_str(), formWidth, formHeight, &error)) {
            ShowRegistrationFailure(error);
            return kAnswerRefuse;
        }
        CustomMediaRecord* record = list->Record(existing);
        record->m_form.Size = SIZEL{static_cast<LONG>(formWidth), static_cast<LONG>(formHeight)};
        record->m_form.ImageableArea = RECTL{0, 0, static_cast<LONG>(formWidth), static_cast<LONG>(formHeight)};
        list->SaveSettings(nullptr);
        list->SetCurSel(existing, nullptr);
        return kAnswerPass;
    }
    if (!systemFunc->AddCustomMedia(name.c_str(), formWidth, formHeight, &error)) {
        ShowFailure(error);
        return kAnswerRefuse;
    }
    LONG entry = -1;
    for (LONG i = 0; i + 1 < list->EntryCount() && entry < 0; ++i)
        if (list->Record(i) && !IsNamedMedium(list->Record(i))) entry = i;
    if (entry < 0) return kAnswerRefuse;
    CustomMediaRecord* record = list->Record(entry);
    std::memset(record, 0, sizeof *record);
    std::copy(name.begin(), name.end(), record->m_name);
    record->m_form.Flags = FORM_USER;
    record->m_form.pName = record->m_name;
    record->m_form.Size = SIZEL{static_cast<LONG>(formWidth), static_cast<LONG>(formHeight)};
    record->m_form.ImageableArea = RECTL{0, 0, static_cast<LONG>(formWidth), static_cast<LONG>(formHeight)};
    list->SetEntry(entry, name.c_str());
    list->SetCurSel(entry, nullptr);
    list->SaveSettings(nullptr);
    if (!m_formAssign) AddToPaperLists(name);
    return kAnswerPass;
}

DWORD QORVAOptItemConstraintCMS::RenameMedium() {
    QORVAOptItemHandlerCMCOMBOBOX* list = List();
    QORVASystemFunc* systemFunc = m_owner ? m_owner->SystemFunc() : nullptr;
    if (!systemFunc) return kAnswerRefuse;
    LPCWSTR typed = list->GetEditText();
    if (EmptyText(typed)) {
        Warn(kForbiddenCharacter);
        return kAnswerRefuse;
    }
    const std::u16string name = NormaliseMediumName(typed);
    if (!Acceptable(name)) return kAnswerRefuse;
    if (ListedEntry(name) >= 0) {
        Warn(kNameTaken);
        return kAnswerRefuse;
    }
    const LONG selected = static_cast<LONG>(list->GetSel());
    const CustomMediaRecord* record = list->Record(selected);
    if (!IsNamedMedium(record)) {
        ShowRegistrationFailure(0);
        return kAnswerRefuse;
    }
    const std::u16string oldName = record->m_name;
    DWORD error = 0;
    if (!systemFunc->RenameCustomMedia(oldName.c_str(), name.c_str(), &error)) {
        ShowFailure(error);
        return kAnswerRefuse;
    }
    list->SetEntry(selected, name.c_str());
    list->SetCurSel(selected, nullptr);
    list->ReadControl(nullptr);
    list->SaveSettings(nullptr);
    if (!m_formAssign) RenameInPaperLists(oldName, name);
    return kAnswerPass;
}

DWORD QORVAOptItemConstraintCMS::DeleteMedium() {
    QORVAOptItemHandlerCMCOMBOBOX* list = List();
    IDrvResources* resources = ResourcesOf(m_owner);
    if (MessageWithText(resources, Owner(), kAskDelete, kWhatIsDeleted, kWarningCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) !=
        IDOK)
        return kAnswerRefuse;
    const LONG selected = static_cast<LONG>(list->GetSel());
    CustomMediaRecord* record = list->Record(selected);
    if (!IsNamedMedium(record)) return kAnswerRefuse;
    const std::u16string name = record->m_name;
    POEMCUIPPARAM sheet = m_owner->Record();
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!sheet || !OpenPrinterW(sheet->pPrinterName, &printer, &access)) {
        ShowRegistrationFailure(GetLastError());
        return kAnswerRefuse;
    }
    const DWORD error = DeleteCustomMediumForm(printer, name.c_str());
    ClosePrinter(printer);
    if (error != ERROR_SUCCESS) {
        ShowRegistrationFailure(error);
        return kAnswerRefuse;
    }

    // The data file follows the list without the deleted size.
    std::memset(record, 0, sizeof *record);
    list->HideOption(selected, 0x8000, nullptr);
    list->SaveSettings(nullptr);

    if (!m_formAssign) RemoveFromPaperLists(name);
    list->SetCurSel(list->EntryCount() - 1, nullptr);
    return kAnswerPass;
}

// --- the pages' paper-size lists ------------------------------------------------------------------

void QORVAOptItemConstraintCMS::AddToPaperLists(const std::u16string& name) {
    QORVASystemFunc* systemFunc = m_owner->SystemFunc();
    const LPARAM paperId = static_cast<LPARAM>(systemFunc->GetPaperIdByName(name.c_str()));
    for (DWORD key : m_paperLists) {
        QORVAOptItemHandler* paper = GetHandler(key);
        if (!paper) continue;
        for (LONG i = 0; i < paper->GetOptionCount(); ++i) {
            if (!EmptyText(paper->GetOptionText(i, nullptr, nullptr))) continue;
            auto* text = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, kPaperNameChars * sizeof(WCHAR)));
            if (!text) break;
            std::copy_n(name.begin(), std::min(name.size(), kPaperNameChars - 1), text);
            paper->SetOptionText(i, text);
            paper->SetOptionParam(i, paperId);
            if (paper->GetOptionFlags(i) & OPTPF_HIDE) {
                paper->HideOption(i, 1, nullptr);
                if (QORVAOptItemDlgLink* link = paper->FirstLink()) link->UpdateControl(nullptr);
            }
            break;
        }
    }
}

void QORVAOptItemConstraintCMS::RenameInPaperLists(const std::u16string& oldName, const std::u16string& newName) {
    const LPARAM paperId = static_cast<LPARAM>(m_owner->SystemFunc()->GetPaperIdByName(newName.c_str()));
    for (DWORD key : m_paperLists) {
        QORVAOptItemHandler* paper = GetHandler(key);
        if (!paper) continue;
        for (LONG i = 0; i < paper->GetOptionCount(); ++i) {
            if (!SameEntryText(paper->GetOptionText(i, nullptr, nullptr), oldName.c_str())) continue;
            auto* text = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, kPaperNameChars * sizeof(WCHAR)));
            if (!text) break;
            std::copy_n(newName.begin(), std::min(newName.size(), kPaperNameChars - 1), text);
            paper->SetOptionText(i, text);
            paper->SetOptionParam(i, paperId);
            paper->ApplyParent(i, nullptr);
            break;
        }
    }
}

void QORVAOptItemConstraintCMS::RemoveFromPaperLists(const std::u16string& name) {
    bool marked[kPaperListCount] = {};
    m_owner->SetNotificationsEnabled(0);
    for (size_t n = 0; n < std::size(m_paperLists); ++n) {
        QORVAOptItemHandler* paper = GetHandler(m_paperLists[n]);
        if (!paper) continue;
        for (LONG i = 0; i < paper->GetOptionCount(); ++i) {
            LPCWSTR text = paper->GetOptionText(i, nullptr, nullptr);
            if (!SameEntryText(text, name.c_str())) continue;
            if (paper->GetOptionParam(i, nullptr) == paper->GetOptionParam(static_cast<LONG>(paper->GetSel()), nullptr))
                marked[n] = true;
            const_cast<LPWSTR>(text)[0] = 0;
            paper->HideOption(i, 0, nullptr);
            break;
        }
        if (marked[n]) paper->SetValue(1, nullptr);
    }
    m_owner->SetNotificationsEnabled(1);
    for (size_t n = 0; n < std::size(m_paperLists); ++n) {
        if (!marked[n]) continue;
        QORVAOptItemHandler* paper = GetHandler(m_paperLists[n]);
        if (QORVAOptItemDlgLink* link = paper->FirstLink()) link->UpdateControl(nullptr);
        paper->RouteNotify(m_paperLists[n], kNotifyChanged, 0);
        paper->Invalidate(nullptr);
    }
}

// --- name popup -----------------------------------------------------------------------------------

QORVAOptItemConstraintCMSNAME::QORVAOptItemConstraintCMSNAME(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemConstraintNamePopup(heap, factory, kCustomMediaNameBox) {}
