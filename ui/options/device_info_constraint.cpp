#include "device_info_constraint.h"

#include <cstring>

#include "coresources.h"
#include "couipluginext.h"
#include "device_info_controls.h"
#include "device_info_query.h"
#include "device_page_links_devopt.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"
#include "items/system_func.h"
#include "kittrace.h"
#include "printer_address.h"

namespace {

// Items and controls of the device page and its popups.
constexpr DWORD kDevoptList = 25101;
constexpr DWORD kDevoptCombo = 25103;
constexpr DWORD kTrayList = 25181;
constexpr DWORD kPopupTrayList = 25201;
constexpr DWORD kPopupSizeCombo = 25203;
constexpr DWORD kPopupMediaCombo = 25205;
constexpr DWORD kAutoCheck = 25301;
constexpr DWORD kSourceRadio = 25303;
constexpr DWORD kAskButton = 25104;
constexpr DWORD kDefaultsButton = 25308;
constexpr DWORD kAddressEdit = 25305;
constexpr DWORD kUserTrackingCheck = 1145;
constexpr DWORD kUserTrackingButton = 1143;
constexpr DWORD kUserTrackingLabel = 1144;
constexpr DWORD kElevateButton = 9353;
constexpr DWORD kWatched[] = {kDevoptList,  kDevoptCombo, kTrayList,   kPopupTrayList,  kPopupSizeCombo, kPopupMediaCombo,
                              kAutoCheck,   kSourceRadio, kAskButton,  kDefaultsButton, kUserTrackingCheck};

// The device-options list's tray values, by the optional trays they stand for.
constexpr DWORD kTrayChoiceTexts[] = {25120, 25121, 25188};
constexpr DWORD kRowTextChars = 64;


// Messages of the query.
constexpr DWORD kQueryFailed = 33302;
constexpr DWORD kQueryRejected = 33303;
constexpr DWORD kQueryAccepted = 33305;
constexpr DWORD kWarningCaption = 33300;
constexpr DWORD kNoticeCaption = 32771;

constexpr WCHAR kGetDeviceInformation[] = u"QVOptItemConstraintDEVINFO::GetDeviceInformation";

}  // namespace

QVOptItemConstraintDEVINFO::QVOptItemConstraintDEVINFO(HANDLE heap, QORVAOptItemHandlerFactory* factory)
    : QORVAOptItemNotify(heap, factory) {
    for (DWORD id : kWatched) ObserveItem(GetHandler(id));
}

QVOptItemConstraintDEVINFO::~QVOptItemConstraintDEVINFO() {
    if (QVDevinfoData* record = Record()) {
        std::memset(record->m_typedAddress, 0, sizeof record->m_typedAddress);
        record->m_addressChanged = 0;
    }
}

QVDevinfoData* QVOptItemConstraintDEVINFO::Record() {
    return FindDevinfoData(m_owner);
}

DWORD QVOptItemConstraintDEVINFO::AccessState() {
    CoUIPluginExt* extension = m_owner ? m_owner->Extension() : nullptr;
    return extension ? extension->m_accessState : kAccessUntested;
}

DWORD QVOptItemConstraintDEVINFO::ReadOnly() {
    CoUIPluginExt* extension = m_owner ? m_owner->Extension() : nullptr;
    return extension ? extension->m_readOnly : 0;
}

HWND QVOptItemConstraintDEVINFO::Dialog() {
    return CurrentDialog(m_owner);
}

DWORD QVOptItemConstraintDEVINFO::Notify(DWORD id, WORD code, DWORD) {
    if (code == kNotifyCommitting) return kAnswerPass;
    if (code == kNotifyInitialise) {
        QORVAOptItemHandler* elevate = m_owner ? m_owner->FindHandler(kElevateButton) : nullptr;
        if (elevate && !elevate->IsDefaultItem()) elevate->ClearStateBits(0xFF);
    }
    QVDevinfoData* record = Record();
    if (code == kNotifyInitialise) AutomaticQuery(record);
    if (code == kNotifyInitialise || id == kUserTrackingCheck) UpdateUserTracking();
    if (id < kDevoptList || id > kDefaultsButton) return kAnswerPass;
    switch (id) {
    case kDevoptList: DeviceOptionRowSelected(); break;
    case kDevoptCombo: DeviceOptionChanged(record); break;
    case kAskButton: AskButtonPushed(record); break;
    case kPopupTrayList: TrayRowSelected(); break;
    case kPopupSizeCombo:
    case kPopupMediaCombo: TrayComboChanged(id); break;
    case kSourceRadio: AddressSourceChanged(); break;
    case kDefaultsButton: DefaultsPushed(); break;
    default: break;
    }
    return kAnswerPass;
}

void QVOptItemConstraintDEVINFO::AutomaticQuery(QVDevinfoData* record) {
    HWND dialog = Dialog();
    if (!dialog || !GetDlgItem(dialog, kDevoptList) || m_queried || AccessState() != kAccessFull) return;
    if (dialog == m_triedPage) return;
    CoUIPluginExt* extension = m_owner->Extension();
    IDrvSettings* settings = extension ? extension->Settings() : nullptr;
    BYTE automatic = 0;
    if (!settings || FAILED(settings->GetFieldValue(nullptr, u"_QV_GETCONF_AUTO", &automatic, 1, 1)) || !automatic) return;
    m_triedPage = dialog;
    const DWORD before = CountOptionalTrays(record);
    GetDeviceInformation(0);
    const DWORD after = CountOptionalTrays(record);
    // Kept in the settings in memory: the sheet's Apply saves it with the trays.
    if (after != before) SetOptionalSource(after + 1);
}

void QVOptItemConstraintDEVINFO::GetDeviceInformation(DWORD manual) {
    HWND dialog = Dialog();
    QORVAOptItemDlgLink* trayLink = LinkOfDialogItem(m_owner, kTrayList);
    QORVAOptItemDlgLink* devoptLink = LinkOfDialogItem(m_owner, kDevoptList);
    QVDevinfoData* record = Record();
    POEMCUIPPARAM sheet = m_owner->Record();

    WCHAR address[kAddressChars] = {};
    if (manual == 1 && record && record->m_typedAddress[0]) {
        std::memcpy(address, record->m_typedAddress, sizeof address);
        address[kAddressChars - 1] = 0;
    } else {
        DWORD capacity = kAddressChars;
        QVPrinterAccess access(PrinterContextOf(m_owner));
        if (access.GetIPAddressString(address, &capacity) != 1) address[0] = 0;
    }

    bool rejected = false;
    if (trayLink && devoptLink && record && address[0]) {
        const LANGID language = QORVASystemFunc::GetMarketLangID(sheet ? sheet->hPrinter : nullptr);
        TRAYINFO answer[kTrayCount] = {};
        const GetTraysInfoFunction query = ImportGetTraysInfo();
        if (query && query(address, nullptr, language, answer) == 1) {
            for (int tray = 0; tray < kTrayCount && !rejected; ++tray) {
                TRAYINFO& info = answer[tray];
                if (info.inputType == kInputNone) {
                    // Not installed: the tray keeps what the page has for it.
                    const TRAYINFO& working = record->m_working[tray];
                    info.paperSizeIndex = working.paperSizeIndex;
                    info.feedSize = working.feedSize;
                    info.crossFeedSize = working.crossFeedSize;
                    info.mediaIndex = working.mediaIndex;
                } else if (info.paperSizeIndex == -1 || info.mediaIndex == -1) {
                    rejected = true;
                }
            }
            if (!rejected) {
                std::memcpy(record->m_working, answer, kTrayTableBytes);
                if (manual) {
                    if (IDrvResources* resources = ResourcesOf(m_owner))
                        resources->MessageBox(dialog, kQueryAccepted, kNoticeCaption, MB_ICONINFORMATION);
                } else {
                    m_queried = 1;
                }
                trayLink->UpdateControl(nullptr);
                devoptLink->UpdateControl(nullptr);
                return;
            }
        }
    }
    DebugTrace(1, u"%s: error addr=[%s]\n", kGetDeviceInformation, address);
    if (!manual) return;
    if (IDrvResources* resources = ResourcesOf(m_owner))
        resources->MessageBox(dialog, rejected ? kQueryRejected : kQueryFailed, kWarningCaption, MB_ICONWARNING);
}

void QVOptItemConstraintDEVINFO::UpdateUserTracking() {
    HWND dialog = Dialog();
    if (!dialog || !GetDlgItem(dialog, kUserTrackingButton) || !GetDlgItem(dialog, kUserTrackingCheck)) return;
    QORVAOptItemHandler* button = GetHandler(kUserTrackingButton);
    HWND label = GetDlgItem(dialog, kUserTrackingLabel);
    if (ReadOnly()) {
        if (button) button->SetStateBits(0x1);
        if (label) EnableWindow(label, FALSE);
    } else if (IsDlgButtonChecked(dialog, kUserTrackingCheck) == BST_CHECKED) {
        if (button) button->ClearStateBits(0x1);
        if (label) EnableWindow(label, TRUE);
    } else {
        if (button) button->SetStateBits(0x1);
        if (label && AccessState() != kAccessFull) EnableWindow(label, FALSE);
    }
}

void QVOptItemConstraintDEVINFO::DeviceOptionRowSelected() {
    HWND list = GetDlgItem(Dialog(), kDevoptList);
    const int row = SelectedRow(list);
    QORVAOptItemHandler* choice = GetHandler(kDevoptCombo);
    if (row < 0 || !choice) return;
    // Hidden without moving the selection: the value chosen below is the only change the
    // rules hear of.
    for (LONG i = 0; i < choice->GetOptionCount(); ++i) choice->HideOption(i, 0x8000, nullptr);
    WCHAR value[kRowTextChars];
    RowText(list, row, 1, value, kRowTextChars);
    SetDeviceOptionRow(choice, static_cast<DWORD>(row));
    if (row == 0) {
        for (LONG i = 0; i < 3; ++i) choice->HideOption(i, 1, nullptr);
        IDrvResources* resources = ResourcesOf(m_owner);
        LONG k = 3;
        for (LONG i = 0; i < 3 && k == 3; ++i) {
            WCHAR text[kRowTextChars];
            LoadText(resources, kTrayChoiceTexts[i], text, kRowTextChars);
            if (lstrcmpW(text, value) == 0) k = i;
        }
        choice->SetValue(k, nullptr);
    } else if (row == 1 || row == 2) {
        choice->HideOption(3, 1, nullptr);
        choice->SetValue(3, nullptr);
    }
}

void QVOptItemConstraintDEVINFO::DeviceOptionChanged(QVDevinfoData* record) {
    HWND dialog = Dialog();
    HWND list = GetDlgItem(dialog, kDevoptList);
    const int row = SelectedRow(list);
    QORVAOptItemHandler* choice = GetHandler(kDevoptCombo);
    if (!list || row < 0 || !choice) return;
    SetRowText(list, row, 1, choice->GetSelText(nullptr));
    if (row != 0) return;
    const LONG v = GetItemValue(kDevoptCombo);
    if (record) {
        record->m_working[kTray2].inputType = v == 1 || v == 2 ? kInputOptionalTray : kInputNone;
        record->m_working[kTray3].inputType = v == 2 ? kInputOptionalTray : kInputNone;
    }
    SetOptionalSource(static_cast<DWORD>(v + 1));
    if (record && GetDlgItem(dialog, kTrayList)) ShowTrayImages(record);
}

void QVOptItemConstraintDEVINFO::ShowTrayImages(QVDevinfoData* record) {
    HWND list = GetDlgItem(Dialog(), kTrayList);
    for (int row = 0; row < kTrayCount; ++row) SetRowImage(list, row, record->m_working[row].inputType != kInputNone ? 1 : 0);
}

void QVOptItemConstraintDEVINFO::AskButtonPushed(QVDevinfoData* record) {
    DebugTrace(4, u"[IDC_DEVOPT_GET_BUTTON] is pushed.\n");
    const DWORD before = CountOptionalTrays(record);
    GetDeviceInformation(1);
    const DWORD after = CountOptionalTrays(record);
    if (after == before) return;
    ShowDevoptNote(LinkOfDialogItem(m_owner, kDevoptCombo), GetHandler(kDevoptCombo));
    SetOptionalSource(after + 1);
}

void QVOptItemConstraintDEVINFO::TrayRowSelected() {
    HWND dialog = Dialog();
    const int row = SelectedRow(GetDlgItem(dialog, kPopupTrayList));
    if (row < 0) return;
    const struct {
        DWORD control;
        int column;
    } combos[] = {{kPopupSizeCombo, 1}, {kPopupMediaCombo, 2}};
    for (const auto& combo : combos) {
        if (!GetDlgItem(dialog, combo.control)) continue;
        WCHAR text[kRowTextChars];
        RowText(GetDlgItem(dialog, kPopupTrayList), row, combo.column, text, kRowTextChars);
        QORVAOptItemHandler* handler = GetHandler(combo.control);
        if (!handler) continue;
        for (LONG i = 0; i < handler->GetOptionCount(); ++i) {
            DWORD visible = 0;
            LPCWSTR option = handler->GetOptionText(i, &visible, nullptr);
            if (option && lstrcmpW(option, text) == 0) {
                handler->SetValue(handler->GetOptionValue(i, nullptr), nullptr);
                break;
            }
        }
    }
}

void QVOptItemConstraintDEVINFO::TrayComboChanged(DWORD id) {
    HWND list = GetDlgItem(Dialog(), kPopupTrayList);
    const int row = SelectedRow(list);
    QORVAOptItemHandler* handler = GetHandler(id);
    if (!list || row < 0 || !handler) return;
    SetRowText(list, row, id == kPopupSizeCombo ? 1 : 2, handler->GetSelText(nullptr));
}

void QVOptItemConstraintDEVINFO::AddressSourceChanged() {
    if (HWND edit = GetDlgItem(Dialog(), kAddressEdit)) EnableWindow(edit, GetItemValue(kSourceRadio) != 0);
}

void QVOptItemConstraintDEVINFO::DefaultsPushed() {
    DebugTrace(4, u"[IDC_GETCONFIG_DEFAULT_BUTTON] is pushed.\n");
    HWND dialog = Dialog();
    HWND edit = GetDlgItem(dialog, kAddressEdit);
    if (!GetDlgItem(dialog, kAutoCheck) || !GetDlgItem(dialog, kSourceRadio) || !edit) return;
    for (DWORD id : {kAutoCheck, kSourceRadio})
        if (QORVAOptItemHandler* handler = GetHandler(id)) handler->SetValue(0, nullptr);
    SetWindowTextW(edit, u"");
    EnableWindow(edit, FALSE);
}

void QVOptItemConstraintDEVINFO::SetOptionalSource(DWORD value) {
    CoUIPluginExt* extension = m_owner ? m_owner->Extension() : nullptr;
    IDrvSettings* settings = extension ? extension->Settings() : nullptr;
    const WORD source = static_cast<WORD>(value);
    if (settings) settings->SetFieldValue(nullptr, u"_OPTSOURCE", &source, sizeof source, 1);
}
