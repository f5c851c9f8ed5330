// The service control manager on the machine's services table (palvex/services.h, win/winsvc.h).
// A pending state carries the machine tick at which it ends; whoever reads the state after that
// tick sees the state it was heading for, so the clock alone moves a service on.
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/services.h>
#include <palvex/spooler_admin.h>
#include <win/windows.h>
#include <win/winsvc.h>

#include "kernel/kernel_objects.h"
#include "machine/api_guard.h"
#include "machine/machine_db.h"

namespace palvex {
namespace {

const db::SchemaPart kServiceSchema(R"sql(
CREATE TABLE IF NOT EXISTS services (
    name TEXT NOT NULL,
    name_key TEXT PRIMARY KEY,
    state INTEGER NOT NULL,
    pending_until INTEGER NOT NULL DEFAULT 0,  -- machine tick at which a pending state ends
    stop_ms INTEGER NOT NULL DEFAULT 0,
    start_ms INTEGER NOT NULL DEFAULT 0,
    wait_hint INTEGER NOT NULL DEFAULT 1000);
CREATE TABLE IF NOT EXISTS service_dependencies (
    service_key TEXT NOT NULL,
    depends_on_key TEXT NOT NULL,
    PRIMARY KEY (service_key, depends_on_key));
INSERT OR IGNORE INTO services (name, name_key, state) VALUES ('Spooler', 'SPOOLER', 4);
)sql");

class ServiceManager : public kernel::KernelObject {};
class ServiceObject : public kernel::KernelObject {
public:
    explicit ServiceObject(std::u16string key, DWORD access) : key(std::move(key)), access(access) {}
    std::u16string key;
    DWORD access;
};

struct Row {
    std::u16string name;
    DWORD state = 0;
    int64_t pendingUntil = 0;
    DWORD stopMs = 0, startMs = 0, waitHint = 0;
};

int64_t Now() { return static_cast<int64_t>(GetTickCount()); }

namespace {

std::optional<Row> SelectService(const std::string& key) {
    db::Statement read("SELECT name, state, pending_until, stop_ms, start_ms, wait_hint FROM services WHERE name_key = ?1");
    read.Bind(1, key);
    if (!read.Step()) return std::nullopt;
    return Row{read.Text16(0),
               static_cast<DWORD>(read.Int(1)),
               read.Int(2),
               static_cast<DWORD>(read.Int(3)),
               static_cast<DWORD>(read.Int(4)),
               static_cast<DWORD>(read.Int(5))};
}

bool PendingRunOut(const Row& row) {
    const bool pending = row.state == SERVICE_STOP_PENDING || row.state == SERVICE_START_PENDING;
    return pending && row.pendingUntil >= 0 && Now() >= row.pendingUntil;
}

}  // namespace

// The service's row with a pending state that has run out settled first. Most callers only ask
// whether the spooler runs, on every spooler call: a plain read answers them, and the write
// transaction is taken only when there is a state to settle.
std::optional<Row> ReadService(const std::string& key) {
    std::optional<Row> row = SelectService(key);
    if (!row || !PendingRunOut(*row)) return row;
    db::Transaction([&] {
        row = SelectService(key);  // read again under the write lock: another process may have settled it
        if (!row || !PendingRunOut(*row)) return;
        row->state = row->state == SERVICE_STOP_PENDING ? SERVICE_STOPPED : SERVICE_RUNNING;
        db::Statement settle("UPDATE services SET state = ?2 WHERE name_key = ?1");
        settle.Bind(1, key).Bind(2, static_cast<int64_t>(row->state)).Run();
    });
    return row;
}

void SetState(const std::string& key, DWORD state, DWORD durationMs) {
    const int64_t until = durationMs == kNever ? -1 : Now() + durationMs;
    const DWORD settled = durationMs == 0 ? (state == SERVICE_STOP_PENDING ? SERVICE_STOPPED : SERVICE_RUNNING) : state;
    db::Statement write("UPDATE services SET state = ?2, pending_until = ?3 WHERE name_key = ?1");
    write.Bind(1, key).Bind(2, static_cast<int64_t>(settled)).Bind(3, until).Run();
    // A stopping spooler unloads every driver it had loaded.
    if (key == "SPOOLER" && state == SERVICE_STOP_PENDING) ReleaseDriverHolds();
}

// Services depending on key, directly or through others, deepest first.
void CollectDependents(const std::string& key, std::vector<std::string>& out) {
    std::vector<std::string> direct;
    {
        db::Statement read("SELECT service_key FROM service_dependencies WHERE depends_on_key = ?1 ORDER BY rowid");
        read.Bind(1, key);
        while (read.Step()) direct.push_back(read.Text(0));
    }
    for (const auto& dependent : direct) {
        CollectDependents(dependent, out);
        bool listed = false;
        for (const auto& known : out) listed = listed || known == dependent;
        if (!listed) out.push_back(dependent);
    }
}

SERVICE_STATUS StatusOf(const Row& row) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = row.state;
    status.dwControlsAccepted = row.state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwWaitHint = row.state == SERVICE_STOP_PENDING || row.state == SERVICE_START_PENDING ? row.waitHint : 0;
    return status;
}

std::shared_ptr<ServiceObject> FindService(SC_HANDLE handle, DWORD access, DWORD* error) {
    auto service = kernel::FindKernelObject<ServiceObject>(handle);
    if (!service) *error = ERROR_INVALID_HANDLE;
    else if ((service->access & access) != access) *error = ERROR_ACCESS_DENIED;
    else *error = ERROR_SUCCESS;
    return *error == ERROR_SUCCESS ? service : nullptr;
}

}  // namespace

void AddService(const ServiceDesc& service) {
    db::Transaction([&] {
        const std::string key = db::FoldKey(service.name);
        db::Statement add(
            "INSERT OR REPLACE INTO services (name, name_key, state, pending_until, stop_ms, start_ms, wait_hint) "
            "VALUES (?1, ?2, ?3, 0, ?4, ?5, ?6)");
        add.Bind(1, service.name).Bind(2, key)
            .Bind(3, static_cast<int64_t>(service.running ? SERVICE_RUNNING : SERVICE_STOPPED))
            .Bind(4, static_cast<int64_t>(service.stopMs)).Bind(5, static_cast<int64_t>(service.startMs))
            .Bind(6, static_cast<int64_t>(service.waitHint)).Run();
        db::Statement clear("DELETE FROM service_dependencies WHERE service_key = ?1");
        clear.Bind(1, key).Run();
        for (const auto& dependency : service.dependsOn) {
            db::Statement link("INSERT OR IGNORE INTO service_dependencies (service_key, depends_on_key) VALUES (?1, ?2)");
            link.Bind(1, key).Bind(2, db::FoldKey(dependency)).Run();
        }
    });
}

DWORD ServiceState(const std::u16string& name) {
    const auto row = ReadService(db::FoldKey(name));
    return row ? row->state : 0;
}

void SetServiceTiming(const std::u16string& name, DWORD stopMs, DWORD startMs) {
    db::Statement write("UPDATE services SET stop_ms = ?2, start_ms = ?3 WHERE name_key = ?1");
    write.Bind(1, db::FoldKey(name)).Bind(2, static_cast<int64_t>(stopMs)).Bind(3, static_cast<int64_t>(startMs)).Run();
    if (db::ChangedRows() == 0) throw MachineError(ERROR_SERVICE_DOES_NOT_EXIST, "no service of that name");
}

bool SpoolerRuns() {
    const auto row = ReadService("SPOOLER");
    return !row || row->state == SERVICE_RUNNING;
}

}  // namespace palvex

using palvex::Finish;
using palvex::GuardedCall;

SC_HANDLE OpenSCManagerW(LPCWSTR lpMachineName, LPCWSTR, DWORD) {
    if (lpMachineName && *lpMachineName) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);  // no other machine is reachable from here
        return nullptr;
    }
    return palvex::kernel::KernelHandles().Insert(std::make_shared<palvex::ServiceManager>());
}

SC_HANDLE OpenServiceW(SC_HANDLE hSCManager, LPCWSTR lpServiceName, DWORD dwDesiredAccess) {
    if (!palvex::kernel::FindKernelObject<palvex::ServiceManager>(hSCManager)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    SC_HANDLE handle = nullptr;
    const DWORD error = GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        if (!lpServiceName || !*lpServiceName) return ERROR_INVALID_PARAMETER;
        const std::string key = palvex::db::FoldKey(lpServiceName);
        if (!palvex::ReadService(key)) return ERROR_SERVICE_DOES_NOT_EXIST;
        handle = palvex::kernel::KernelHandles().Insert(
            std::make_shared<palvex::ServiceObject>(std::u16string(lpServiceName), dwDesiredAccess));
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) SetLastError(error);
    return handle;
}

BOOL CloseServiceHandle(SC_HANDLE hSCObject) {
    const bool ours = palvex::kernel::FindKernelObject<palvex::ServiceManager>(hSCObject) ||
                      palvex::kernel::FindKernelObject<palvex::ServiceObject>(hSCObject);
    if (!ours || !palvex::kernel::KernelHandles().Remove(hSCObject)) return Finish(ERROR_INVALID_HANDLE);
    return TRUE;
}

BOOL QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
    return Finish(GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        DWORD error = 0;
        auto service = palvex::FindService(hService, SERVICE_QUERY_STATUS, &error);
        if (!service) return error;
        if (!lpServiceStatus) return ERROR_INVALID_PARAMETER;
        const auto row = palvex::ReadService(palvex::db::FoldKey(service->key));
        if (!row) return ERROR_SERVICE_DOES_NOT_EXIST;
        *lpServiceStatus = palvex::StatusOf(*row);
        return ERROR_SUCCESS;
    }));
}

BOOL ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus) {
    return Finish(GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        if (dwControl != SERVICE_CONTROL_STOP) return ERROR_INVALID_PARAMETER;
        DWORD error = 0;
        auto service = palvex::FindService(hService, SERVICE_STOP, &error);
        if (!service) return error;
        const std::string key = palvex::db::FoldKey(service->key);
        const auto row = palvex::ReadService(key);
        if (!row) return ERROR_SERVICE_DOES_NOT_EXIST;
        if (row->state == SERVICE_STOPPED) return ERROR_SERVICE_NOT_ACTIVE;
        if (row->state != SERVICE_RUNNING) return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
        std::vector<std::string> dependents;
        palvex::CollectDependents(key, dependents);
        for (const auto& dependent : dependents) {
            const auto other = palvex::ReadService(dependent);
            if (other && other->state != SERVICE_STOPPED) return ERROR_DEPENDENT_SERVICES_RUNNING;
        }
        palvex::SetState(key, SERVICE_STOP_PENDING, row->stopMs);
        if (lpServiceStatus) *lpServiceStatus = palvex::StatusOf(*palvex::ReadService(key));
        return ERROR_SUCCESS;
    }));
}

BOOL StartServiceW(SC_HANDLE hService, DWORD, LPCWSTR*) {
    return Finish(GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        DWORD error = 0;
        auto service = palvex::FindService(hService, SERVICE_START, &error);
        if (!service) return error;
        const std::string key = palvex::db::FoldKey(service->key);
        const auto row = palvex::ReadService(key);
        if (!row) return ERROR_SERVICE_DOES_NOT_EXIST;
        if (row->state != SERVICE_STOPPED) return ERROR_SERVICE_ALREADY_RUNNING;
        palvex::SetState(key, SERVICE_START_PENDING, row->startMs);
        return ERROR_SUCCESS;
    }));
}

BOOL EnumDependentServicesW(SC_HANDLE hService, DWORD dwServiceState, LPENUM_SERVICE_STATUSW lpServices,
                            DWORD cbBufSize, LPDWORD pcbBytesNeeded, LPDWORD lpServicesReturned) {
    return Finish(GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        DWORD error = 0;
        auto service = palvex::FindService(hService, SERVICE_ENUMERATE_DEPENDENTS, &error);
        if (!service) return error;
        if (!pcbBytesNeeded || !lpServicesReturned) return ERROR_INVALID_PARAMETER;
        std::vector<std::string> keys;
        palvex::CollectDependents(palvex::db::FoldKey(service->key), keys);
        std::vector<palvex::Row> rows;
        for (const auto& key : keys) {
            const auto row = palvex::ReadService(key);
            if (!row) continue;
            const bool active = row->state != SERVICE_STOPPED;
            if ((active && (dwServiceState & SERVICE_ACTIVE)) || (!active && (dwServiceState & SERVICE_INACTIVE)))
                rows.push_back(*row);
        }
        // Records first, their names (used as display names too) packed behind them.
        size_t needed = rows.size() * sizeof(ENUM_SERVICE_STATUSW);
        for (const auto& row : rows) needed += (row.name.size() + 1) * sizeof(WCHAR);
        *lpServicesReturned = 0;
        *pcbBytesNeeded = static_cast<DWORD>(needed);
        if (rows.empty()) return ERROR_SUCCESS;
        if (!lpServices || cbBufSize < needed) return ERROR_MORE_DATA;
        auto* text = reinterpret_cast<WCHAR*>(reinterpret_cast<BYTE*>(lpServices) + rows.size() * sizeof(ENUM_SERVICE_STATUSW));
        for (size_t i = 0; i < rows.size(); ++i) {
            std::memcpy(text, rows[i].name.c_str(), (rows[i].name.size() + 1) * sizeof(WCHAR));
            lpServices[i].lpServiceName = text;
            lpServices[i].lpDisplayName = text;
            lpServices[i].ServiceStatus = palvex::StatusOf(rows[i]);
            text += rows[i].name.size() + 1;
        }
        *lpServicesReturned = static_cast<DWORD>(rows.size());
        return ERROR_SUCCESS;
    }));
}
