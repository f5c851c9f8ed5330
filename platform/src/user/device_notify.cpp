// Registrations of windows for device-interface notifications, and their delivery.
//
// Device events are machine state: each is logged in the machine database with the process that
// caused it. The causing process sends WM_DEVICECHANGE to its own registered windows at once; in
// every other process with registrations a follower thread reads the log and posts the event to
// its windows, whose threads take it in their message loops (the record of a posted event lives
// as long as the process).
#include <unistd.h>

#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include <win/dbt.h>
#include <win/winerror.h>
#include <win/winuser.h>

#include "machine/log_follower.h"
#include "machine/machine_db.h"
#include "user/device_notify.h"

namespace {

palvex::db::SchemaPart g_schema(
    "CREATE TABLE IF NOT EXISTS device_events("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT, event INTEGER NOT NULL, interface_class BLOB NOT NULL,"
    "  path TEXT NOT NULL, origin INTEGER NOT NULL);");

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

std::vector<HWND> WindowsFor(const GUID& interfaceClass) {
    std::vector<HWND> windows;
    std::lock_guard lock(g_mutex);
    for (const auto& registration : Registrations())
        if (SameGuid(registration->interfaceClass, interfaceClass)) windows.push_back(registration->window);
    return windows;
}

// A DEV_BROADCAST_DEVICEINTERFACE_W with the whole path and its terminator after the fixed part.
using Record = std::vector<std::max_align_t>;
Record MakeRecord(const GUID& interfaceClass, const std::u16string& path) {
    const size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(WCHAR);
    Record storage((size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
    record->dbcc_size = static_cast<DWORD>(size);
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_reserved = 0;
    record->dbcc_classguid = interfaceClass;
    std::memcpy(record->dbcc_name, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return storage;
}

std::mutex g_postedMutex;
std::deque<Record>& PostedRecords() {
    static auto* records = new std::deque<Record>;  // posted messages may still point into them
    return *records;
}

bool HasRegistrations() {
    std::lock_guard lock(g_mutex);
    return !Registrations().empty();
}

// Posts the events other processes logged after lastSeen to the windows registered for them;
// answers the last event read.
int64_t PostOthersEvents(int64_t lastSeen) {
    struct Event {
        int64_t id;
        UINT event;
        GUID interfaceClass;
        std::u16string path;
    };
    std::vector<Event> events;
    {
        palvex::db::Statement rows(
            "SELECT id, event, interface_class, path FROM device_events WHERE id > ?1 AND origin != ?2 ORDER BY id");
        rows.Bind(1, lastSeen).Bind(2, static_cast<int64_t>(getpid()));
        while (rows.Step()) {
            Event e{rows.Int(0), static_cast<UINT>(rows.Int(1)), {}, rows.Text16(3)};
            const auto guid = rows.Blob(2);
            if (guid.size() == sizeof(GUID)) std::memcpy(&e.interfaceClass, guid.data(), sizeof(GUID));
            events.push_back(std::move(e));
        }
    }
    for (const Event& e : events) {
        lastSeen = e.id;
        for (HWND window : WindowsFor(e.interfaceClass)) {
            LPARAM data = 0;
            {
                std::lock_guard lock(g_postedMutex);
                PostedRecords().push_back(MakeRecord(e.interfaceClass, e.path));
                data = reinterpret_cast<LPARAM>(PostedRecords().back().data());
            }
            PostMessageW(window, WM_DEVICECHANGE, e.event, data);
        }
    }
    return lastSeen;
}

// The follower of other processes' events: runs while this process has registrations.
palvex::db::LogFollower& OthersEvents() {
    static auto* follower =
        new palvex::db::LogFollower("SELECT coalesce(max(id), 0) FROM device_events", PostOthersEvents, HasRegistrations);
    return *follower;
}

}  // namespace

namespace palvex::win {

void BroadcastDeviceInterface(UINT event, const GUID& interfaceClass, const std::u16string& path) {
    try {
        db::Statement("INSERT INTO device_events(event, interface_class, path, origin) VALUES (?1, ?2, ?3, ?4)")
            .Bind(1, static_cast<int64_t>(event))
            .BindBlob(2, &interfaceClass, sizeof(GUID))
            .Bind(3, path)
            .Bind(4, static_cast<int64_t>(getpid()))
            .Run();
    } catch (const std::exception&) {
        // without a machine database only this process hears of the device
    }
    Record record = MakeRecord(interfaceClass, path);
    for (HWND window : WindowsFor(interfaceClass))
        if (IsWindow(window)) SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
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
    HDEVNOTIFY handle = registration.get();
    {
        std::lock_guard lock(g_mutex);
        Registrations().push_back(std::move(registration));
    }
    OthersEvents().Start();
    return handle;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY Handle) {
    bool last = false;
    {
        std::lock_guard lock(g_mutex);
        auto& registrations = Registrations();
        auto it = registrations.begin();
        while (it != registrations.end() && it->get() != Handle) ++it;
        if (it == registrations.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        registrations.erase(it);
        last = registrations.empty();
    }
    if (last) OthersEvents().StopUnlessWanted();
    return TRUE;
}
