// The USB wait: the dialog, its device and printers-key notifications, and its worker.
#include "dialog_wait_prog.h"

#include <algorithm>

#include <win/cfgmgr32.h>
#include <win/commctrl.h>
#include <win/synchapi_events.h>
#include <win/winuser_menu.h>

#include "drv_data.h"
#include "removal_operations.h"
#include "resource.h"
#include "utilities.h"

namespace {

constexpr char16_t kPrintersKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";

// The vendor and product part of a device interface's name: between its first and second "#".
std::u16string VendorProductPart(const std::u16string& name) {
    const size_t first = name.find(u'#');
    const std::u16string rest = first == std::u16string::npos ? name : name.substr(first + 1);
    const size_t second = rest.find(u'#');
    return second == std::u16string::npos ? std::u16string() : rest.substr(0, second);
}

// Moves a control of the dialog by dy pixels.
void MoveDown(HWND dialog, HWND control, int dy) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<LPPOINT>(&rect), 2);
    MoveWindow(control, rect.left, rect.top + dy, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

}  // namespace

CDialogWaitProg::CDialogWaitProg(CDrvData* drvData, CWnd* parent) : CDialogProg(drvData, u"InstallProg", parent) {}

CDialogWaitProg::~CDialogWaitProg() {
    // A worker still waiting for the device is told to leave before its events go away.
    if (!m_deviceArrived) m_cancelled = TRUE;
    if (m_arrivalEvent) SetEvent(m_arrivalEvent);
    JoinWorker();
    if (m_printersKey) RegCloseKey(m_printersKey);
    if (m_devNotify) UnregisterDeviceNotification(m_devNotify);
    if (m_printersEvent) CloseHandle(m_printersEvent);
    if (m_arrivalEvent) CloseHandle(m_arrivalEvent);
}

INT_PTR CDialogWaitProg::DoModal() { return CDialog::DoModal(); }

BOOL CDialogWaitProg::OnInitDialog() {
    if (m_pDrvData) m_pDrvData->WriteLogFormat(3, u"CDialogWaitProg::OnInitDialog()\r\n");
    CDialogProg::OnInitDialog();
    std::u16string text;
    if (m_pDrvData) m_pDrvData->GetString(text, m_section, u"Cancel");
    ::SetWindowTextW(m_button, text.c_str());
    ::ShowWindow(m_button, SW_SHOW);
    if (m_waitMode == 1) {
        if (m_pDrvData) m_pDrvData->GetString(text, m_section, u"WaitUSB");
        ::SetWindowTextW(m_mainText, text.c_str());
    } else if (m_waitMode == 0) {
        if (m_pDrvData) m_pDrvData->GetString(text, m_section, u"WaitWizard");
        ::SetWindowTextW(m_mainText, text.c_str());
        MoveDown(m_hWnd, m_mainText, 236);
    } else {
        return TRUE;
    }
    MoveDown(m_hWnd, m_progressBar, -15);
    SetWindowLongW(m_progressBar, GWL_STYLE, GetWindowLongW(m_progressBar, GWL_STYLE) | PBS_MARQUEE);
    SendMessageW(m_progressBar, PBM_SETMARQUEE, TRUE, 50);
    SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) | WS_SYSMENU);
    if (const DWORD error = SetUSBDevNotification(this))
        m_pDrvData->WriteLogFormat(0, u"SetUSBDevNotification (%d)\r\n", static_cast<int>(error));
    StartWorker(WaitUsbThreadProc, kWaitStartFailed);
    return TRUE;
}

void CDialogWaitProg::OnCancel() {
    // Once the device is there Windows installs it: the wait can no longer be left.
    if (m_deviceArrived) return;
    m_cancelled = TRUE;
    // The dialog keeps its own result: its worker reports nothing after a cancel.
    m_resultCode = kWaitFailed;
    m_lastError = ERROR_CANCELLED;
    if (m_pDrvData) m_pDrvData->WriteLogFormat(1, u"Push Cancel Button\r\n");
    SetEvent(m_arrivalEvent);
    Sleep(100);
    EndDialog(IDCANCEL);
}

LRESULT CDialogWaitProg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) {
    if (message == WM_DEVICECHANGE) OnDeviceChange(wParam, lParam);
    return CDialogProg::WindowProc(message, wParam, lParam, handled);
}

void CDialogWaitProg::OnDeviceChange(WPARAM event, LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    const bool isInterface = header && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
                             header->dbch_size >= sizeof(DEV_BROADCAST_DEVICEINTERFACE_W);
    if (event == DBT_DEVICEARRIVAL && isInterface) {
        m_pDrvData->WriteLogFormat(1, u"DBT_DEVTYP_DEVICEINTERFACE\r\n");
        // The name ends within the record's size, terminated or not.
        const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data);
        const size_t room = (header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) / sizeof(WCHAR);
        std::u16string name(record->dbcc_name, room);
        name.resize(std::u16string(name.c_str()).size());
        const std::u16string device = VendorProductPart(name);
        const std::u16string wanted = m_pDrvData->GetHardwareId();
        m_pDrvData->WriteLogFormat(1, u"%s - %s\r\n", device.c_str(), wanted.c_str());
        if (UpperCase(device) == UpperCase(wanted)) {
            m_deviceArrived = TRUE;
            // From here on the wait cannot be cancelled: Close greyed, the button disabled.
            if (HMENU menu = GetSystemMenu(m_hWnd, FALSE)) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
            EnableWindow(m_button, FALSE);
            SetEvent(m_arrivalEvent);
        }
    } else if (event == DBT_DEVICEREMOVECOMPLETE) {
        m_pDrvData->WriteLogFormat(1, u"DBT_DEVICEREMOVECOMPLETE\r\n");
        if (isInterface) m_pDrvData->WriteLogFormat(1, u"DBT_DEVTYP_DEVICEINTERFACE\r\n");
        ResetEvent(m_printersEvent);
        m_deviceArrived = FALSE;
        // A change seen before no longer counts, and the next one must still be seen.
        if (m_printersKey) WatchPrintersKey();
    }
}

LSTATUS CDialogWaitProg::WatchPrintersKey() {
    return RegNotifyChangeKeyValue(m_printersKey, TRUE, REG_NOTIFY_CHANGE_LAST_SET, m_printersEvent, TRUE);
}

DWORD SetUSBDevNotification(CDialogWaitProg* dialog) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
    dialog->m_devNotify = RegisterDeviceNotificationW(dialog->m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    dialog->m_printersEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    dialog->m_arrivalEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (const LSTATUS error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPrintersKey, 0, KEY_NOTIFY, &dialog->m_printersKey))
        return static_cast<DWORD>(error);
    return static_cast<DWORD>(RegNotifyChangeKeyValue(dialog->m_printersKey, TRUE, REG_NOTIFY_CHANGE_LAST_SET,
                                                      dialog->m_printersEvent, TRUE));
}

UINT WaitUsbThreadProc(LPVOID parameter) {
    auto* dialog = static_cast<CDialogWaitProg*>(parameter);
    CDrvData* drvData = dialog->m_pDrvData;
    if (WaitForSingleObject(dialog->m_arrivalEvent, INFINITE) != WAIT_OBJECT_0) {
        PostResult(dialog, kWaitFailed, GetLastError());
        return 0;
    }
    if (dialog->m_cancelled) return 0;  // Cancel ended the dialog with its own result

    // Windows installs the device: wait until it has no installation pending, for no longer than
    // a command may take.
    Sleep(4000);
    const DWORD limit = static_cast<DWORD>(std::max(drvData->GetExeTimeout(), 1)) * 1000;
    const DWORD start = GetTickCount();
    while (CMP_WaitNoPendingInstallEvents(0) != WAIT_OBJECT_0) {
        drvData->WriteLogFormat(0, u"CMP_WaitNoPendingInstallEvents Failed (%d)\r\n", static_cast<int>(GetLastError()));
        if (GetTickCount() - start >= limit) {
            PostResult(dialog, kWaitFailed, WAIT_TIMEOUT);
            return 0;
        }
        Sleep(1000);
    }
    Sleep(1000);

    if (WaitForSingleObject(dialog->m_printersEvent, 0) == WAIT_OBJECT_0) {
        if (!CopyUninstaller(dialog, drvData)) {
            PostResult(dialog, kWaitCopyFailed, 0);
            return 0;
        }
        RegUninstallerInfo(drvData);
        PostProgress(dialog, 100);
        return 0;
    }
    const DWORD error = GetLastError();
    if (IsWindowsVersionOrLater(6, 1)) {
        drvData->WriteLogFormat(0, u"Wait USB Win7(%d)\r\n", static_cast<int>(error));
        PostResult(dialog, kWaitNoPrinter7, error);
    } else {
        drvData->WriteLogFormat(0, u"Wait USB (%d)\r\n", static_cast<int>(error));
        PostResult(dialog, kWaitFailed, 0);
    }
    return 0;
}
