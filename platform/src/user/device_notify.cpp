// Registrations of windows for device-interface notifications, and their delivery.
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <win/dbt.h>
#include <win/winerror.h>
#include <win/winuser.h>

#include "user/device_notify.h"

namespace {

struct Registration {
    HWND window;
    GUID interfaceClass;
};

std::mutex g_mutex;
std::vector<std::unique_ptr<Registration>>& Registrations() {
    static auto* registrations = new std::vector<std::unique_ptr<Registration>>;  // outlives static destructors
    return *registrations;
}

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

}  // namespace

namespace palvex::win {

void BroadcastDeviceInterface(UINT event, const GUID& interfaceClass, const std::u16string& path) {
    std::vector<HWND> windows;
    {
        std::lock_guard lock(g_mutex);
        for (const auto& registration : Registrations())
            if (SameGuid(registration->interfaceClass, interfaceClass)) windows.push_back(registration->window);
    }
    // The record with the whole path and its terminator after the fixed part.
    const size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(WCHAR);
    std::vector<std::max_align_t> storage((size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
    record->dbcc_size = static_cast<DWORD>(size);
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_reserved = 0;
    record->dbcc_classguid = interfaceClass;
    std::memcpy(record->dbcc_name, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    for (HWND window : windows)
        if (IsWindow(window)) SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record));
}

}  // namespace palvex::win

HDEVNOTIFY RegisterDeviceNotificationW(HANDLE hRecipient, LPVOID NotificationFilter, DWORD Flags) {
    const auto* filter = static_cast<const DEV_BROADCAST_HDR*>(NotificationFilter);
    if (Flags != DEVICE_NOTIFY_WINDOW_HANDLE || !filter || filter->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        filter->dbch_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND window = static_cast<HWND>(hRecipient);
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto registration = std::make_unique<Registration>();
    registration->window = window;
    registration->interfaceClass = static_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(NotificationFilter)->dbcc_classguid;
    std::lock_guard lock(g_mutex);
    Registrations().push_back(std::move(registration));
    return Registrations().back().get();
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY Handle) {
    std::lock_guard lock(g_mutex);
    auto& registrations = Registrations();
    for (auto it = registrations.begin(); it != registrations.end(); ++it) {
        if (it->get() != Handle) continue;
        registrations.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
