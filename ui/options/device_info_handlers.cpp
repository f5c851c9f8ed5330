#include "device_info_handlers.h"

#include <cstring>
#include <string>
#include <vector>

#include <win/winspool.h>

#include "coresources.h"
#include "device_info_controls.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "kittrace.h"
#include "printer_address.h"

namespace {

constexpr DWORD kNameChars = 64;  // a size or media name, NUL included
constexpr DWORD kFormNameChars = 32;
constexpr int kPopupTrayList = 25201;
constexpr int kAutoCheck = 25301;
constexpr int kAddressEdit = 25305;
constexpr DWORD kApplyPause = 1000;

bool Same(LPCWSTR a, LPCWSTR b) {
    return lstrcmpW(a, b) == 0;
}

}  // namespace

LONG TraySizeIndexOfName(IDrvResources* resources, LPCWSTR name, HANDLE printer, const TRAYINFO& manualFeed) {
    if (!name || !*name) return -1;
    WCHAR text[kNameChars];
    for (LONG index = 0; index < kTraySizeCount; ++index) {
        LoadText(resources, TraySizeNameId(index), text, kNameChars);
        if (text[0] && Same(text, name)) return index;
    }
    // The custom size shows as the name of the form registered for the manual feed's sizes.
    WCHAR form[kFormNameChars];
    if (FindCustomMediaFormName(printer, form, kFormNameChars, manualFeed.feedSize, manualFeed.crossFeedSize) &&
        Same(form, name))
        return kCustomSizeIndex;
    return -1;
}

LONG TrayMediaIndexOfName(IDrvResources* resources, LPCWSTR name) {
    if (!name || !*name) return -1;
    WCHAR text[kNameChars];
    for (LONG index = 0; index < kTrayMediaCount; ++index) {
        LoadText(resources, TrayMediaNameId(index), text, kNameChars);
        if (text[0] && Same(text, name)) return index;
    }
    return -1;
}

QVDevinfoData* QVOptItemHandlerDEVINFOPropSheet::Record() {
    return FindDevinfoData(m_factory);
}

void QVOptItemHandlerDEVINFOPropSheet::SaveSettings(HWND window) {
    DebugTrace(4, u"%s: hDlg=[%x]\n", u"QVOptItemHandlerDEVINFOPropSheet::SaveSettings",
               static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(window)));
    QVDevinfoData* record = Record();
    if (!window) {
        if (record) SaveApply(record);
        Sleep(kApplyPause);
        return;
    }
    if (GetDlgItem(window, kPopupTrayList)) {
        if (record) SaveTrayPopup(window, record);
        return;
    }
    if (GetDlgItem(window, kAutoCheck)) {
        if (HWND edit = GetDlgItem(window, kAddressEdit); edit && record) {
            GetWindowTextW(edit, record->m_typedAddress, kDevinfoAddressChars);
            record->m_typedAddress[kDevinfoAddressChars - 1] = 0;
            record->m_addressChanged = 1;
        }
        return;
    }
    Sleep(kApplyPause);
}

void QVOptItemHandlerDEVINFOPropSheet::SaveApply(QVDevinfoData* record) {
    HANDLE printer = m_factory->Record()->hPrinter;
    if (std::memcmp(record->m_working, record->m_stored, kTrayTableBytes) != 0) {
        TRAYINFO table[kTrayCount];
        std::memcpy(table, record->m_working, kTrayTableBytes);
        const DWORD error = SetPrinterDataW(printer, const_cast<LPWSTR>(kTrayInfosValue), REG_BINARY,
                                            reinterpret_cast<LPBYTE>(table), kTrayTableBytes);
        // Only a written table becomes the stored one: a failed write is tried again next time.
        if (error == ERROR_SUCCESS) std::memcpy(record->m_stored, table, kTrayTableBytes);
        else DebugTrace(1, u"%s: SetPrinterData(PrinterInputTrayInfos) err=[%d]\n",
                        u"QVOptItemHandlerDEVINFOPropSheet::SaveSettings", error);
    }
    if (record->m_addressChanged == 1) {
        QVPrinterAccess access(PrinterContextOf(m_factory));
        if (access.SetIPAddressString(record->m_typedAddress)) record->m_addressChanged = 0;
    }
    PublishMediaReady(record);
}

void QVOptItemHandlerDEVINFOPropSheet::PublishMediaReady(QVDevinfoData* record) {
    HANDLE printer = m_factory->Record()->hPrinter;
    IDrvResources* resources = ResourcesOf(m_factory);
    std::vector<std::u16string> names;
    for (int tray = 0; tray < kTrayCount; ++tray) {
        const TRAYINFO& info = record->m_stored[tray];
        if (info.inputType == kInputNone) continue;
        const DWORD id = TraySizeNameId(info.paperSizeIndex);
        WCHAR name[kNameChars] = {};
        if (tray == kManualFeed && id == kTraySizes[kCustomSizeIndex].m_nameId &&
            FindCustomMediaFormName(printer, name, kFormNameChars, info.feedSize, info.crossFeedSize)) {
            // the registered form's name
        } else {
            LoadText(resources, id, name, kNameChars);
        }
        if (!name[0]) continue;  // a size the tables lack names nothing
        bool seen = false;
        for (const std::u16string& earlier : names) seen = seen || earlier == name;
        if (!seen) names.emplace_back(name);
    }
    std::u16string list;
    for (const std::u16string& name : names) {
        list += name;
        list.push_back(u'\0');
    }
    list.push_back(u'\0');
    const DWORD error = SetPrinterDataExW(printer, u"DsDriver", u"printMediaReady", REG_MULTI_SZ,
                                          reinterpret_cast<LPBYTE>(list.data()),
                                          static_cast<DWORD>(list.size() * sizeof(WCHAR)));
    if (error != ERROR_SUCCESS)
        DebugTrace(1, u"%s: SetPrinterDataEx(printMediaReady) err=[%d]\n", u"QVOptItemHandlerDEVINFOPropSheet::SaveSettings",
                   error);
}

void QVOptItemHandlerDEVINFOPropSheet::SaveTrayPopup(HWND dialog, QVDevinfoData* record) {
    HWND popupList = GetDlgItem(dialog, kPopupTrayList);
    HWND pageList = nullptr;
    for (QORVAOptItemDlgLink* link = m_firstLink; link && !pageList; link = link->NextLink())
        if (link->Control() && GetDlgCtrlID(link->Control()) == static_cast<int>(kTrayListItem)) pageList = link->Control();
    IDrvResources* resources = ResourcesOf(m_factory);
    HANDLE printer = m_factory->Record()->hPrinter;
    for (int row = 0; row < kTrayCount; ++row) {
        WCHAR text[kNameChars];
        RowText(popupList, row, 1, text, kNameChars);
        SetRowText(pageList, row, 1, text);
        const LONG size = TraySizeIndexOfName(resources, text, printer, record->m_working[kManualFeed]);
        if (size >= 0) record->m_working[row].paperSizeIndex = size;
        RowText(popupList, row, 2, text, kNameChars);
        SetRowText(pageList, row, 2, text);
        const LONG media = TrayMediaIndexOfName(resources, text);
        if (media >= 0) record->m_working[row].mediaIndex = media;
    }
}

QVOptItemHandlerECONOMODE::QVOptItemHandlerECONOMODE(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    IDrvResources* resources = ResourcesOf(factory);
    if (!resources || !item) return;
    if (LPWSTR name = resources->DuplicateString(30150)) item->pName = name;
    if (LPWSTR text = resources->DuplicateString(30152)) SetOptionText(0, text);
    if (LPWSTR text = resources->DuplicateString(30153)) SetOptionText(1, text);
}
