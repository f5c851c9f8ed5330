// The wait for a USB printer after its driver was installed alone: the dialog listens for the
// arrival of the package's USB device and for a change under the spooler's printers key, and its
// worker, once the device is there, lets Windows finish installing it and then tells whether a
// printer appeared (keeping the installer for removal when one did). Until the device arrives
// the wait can be cancelled; after that it cannot.
#pragma once

#include <atomic>

#include <win/dbt.h>
#include <win/winreg.h>

#include "progress_dialog.h"

class CDialogWaitProg : public CDialogProg {
public:
    explicit CDialogWaitProg(CDrvData* drvData, CWnd* parent = nullptr);
    ~CDialogWaitProg() override;

    // The dialog takes the script's clicks (its Cancel) as well as its worker's reports.
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    // Cancel (button 2, Esc, the close box) while no device has arrived.
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) override;

    HDEVNOTIFY m_devNotify = nullptr;
    HANDLE m_printersEvent = nullptr;  // manual reset: a change under the printers key
    HANDLE m_arrivalEvent = nullptr;   // manual reset: the device arrived, or Cancel
    HKEY m_printersKey = nullptr;
    std::atomic<BOOL> m_cancelled{FALSE};
    std::atomic<BOOL> m_deviceArrived{FALSE};
    int m_waitMode = 0;  // 1 on Windows 6.1 and later, 0 before

private:
    void OnDeviceChange(WPARAM event, LPARAM data);
    // Watches the printers key (again) for its next change.
    LSTATUS WatchPrintersKey();
};

// Result codes of the USB road.
inline constexpr DWORD kWaitStartFailed = 513;
inline constexpr DWORD kWaitFailed = 517;
inline constexpr DWORD kWaitCopyFailed = 520;
inline constexpr DWORD kWaitNoPrinter7 = 533;

// Registers the dialog for USB device arrivals, makes both events and watches the printers key;
// 0 or the Win32 error.
DWORD SetUSBDevNotification(CDialogWaitProg* dialog);
UINT WaitUsbThreadProc(LPVOID dialog);
