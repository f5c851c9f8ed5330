// Device-change notifications: a window registers for the arrival and removal of the devices of
// one device-interface class and hears them as WM_DEVICECHANGE, lParam pointing at the interface's
// broadcast record (valid only during the message).
#pragma once

#include "wintypes.h"

typedef PVOID HDEVNOTIFY;

#define WM_DEVICECHANGE 0x0219
#define DBT_DEVICEARRIVAL 0x8000
#define DBT_DEVICEREMOVECOMPLETE 0x8004
#define DBT_DEVTYP_DEVICEINTERFACE 0x00000005
#define DEVICE_NOTIFY_WINDOW_HANDLE 0x00000000

struct DEV_BROADCAST_HDR {
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
};

struct DEV_BROADCAST_DEVICEINTERFACE_W {
    DWORD dbcc_size;
    DWORD dbcc_devicetype;
    DWORD dbcc_reserved;
    GUID dbcc_classguid;
    WCHAR dbcc_name[1];  // the interface's path, as long as dbcc_size allows
};
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_classguid) == 12);
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) == 28);

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}
inline constexpr GUID GUID_DEVINTERFACE_USB_DEVICE{0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

// Only window recipients and device-interface filters of at least 32 bytes are taken
// (ERROR_INVALID_PARAMETER otherwise); an invalid window: ERROR_INVALID_WINDOW_HANDLE.
WINBASEAPI HDEVNOTIFY RegisterDeviceNotificationW(HANDLE hRecipient, LPVOID NotificationFilter, DWORD Flags);
WINBASEAPI BOOL UnregisterDeviceNotification(HDEVNOTIFY Handle);
