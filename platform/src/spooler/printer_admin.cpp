// Deleting printers and drivers, the user's default printer, and the spooler's hold on a driver's
// loaded files (win/winspool_admin.h, palvex/spooler_admin.h). A held driver stays held until the
// spooler service stops; the hold is machine state, set by a test or by loading the driver.
#include <filesystem>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/services.h>
#include <palvex/spooler_admin.h>
#include <win/windows.h>
#include <win/winspool_admin.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "registry/registry_notify.h"
#include "spooler/jobs_store.h"
#include "spooler/printer_handles.h"
#include "spooler/spooler_store.h"

namespace palvex {
namespace {

const db::SchemaPart kHoldSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_driver_holds (name_key TEXT NOT NULL, environment_key TEXT NOT NULL,
                                               PRIMARY KEY (name_key, environment_key));
)sql");

constexpr char16_t kWindowsKey[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

std::u16string EnvironmentOf(LPCWSTR environment) {
    if (!environment || !*environment) return spool::kNativeEnvironment;
    for (const char16_t* known : {u"Windows x64", u"Windows NT x86"})
        if (db::FoldKey(environment) == db::FoldKey(known)) return known;
    return {};
}

bool Held(const std::u16string& name, const std::u16string& environment) {
    db::Statement read("SELECT 1 FROM spool_driver_holds WHERE name_key = ?1 AND environment_key = ?2");
    read.Bind(1, db::FoldKey(name)).Bind(2, db::FoldKey(environment));
    return read.Step();
}

// Files of the driver that no other driver of the environment lists.
std::vector<std::u16string> UnsharedFiles(int64_t driverId, const spool::DriverRow& driver) {
    std::vector<std::u16string> files{driver.driverPath, driver.dataFile, driver.configFile, driver.helpFile};
    files.insert(files.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
    std::vector<std::u16string> unshared;
    for (const auto& file : files) {
        if (file.empty()) continue;
        db::Statement shared(
            "SELECT 1 FROM spool_drivers d WHERE d.id <> ?1 AND d.environment_key = ?2 AND ("
            "upper(d.driver_path) = ?3 OR upper(d.data_file) = ?3 OR upper(d.config_file) = ?3 OR "
            "upper(d.help_file) = ?3 OR EXISTS (SELECT 1 FROM spool_driver_files f WHERE f.driver_id = d.id "
            "AND upper(f.file_name) = ?3))");
        shared.Bind(1, driverId).Bind(2, db::FoldKey(driver.environment)).Bind(3, db::FoldKey(file));
        if (!shared.Step()) unshared.push_back(file);
    }
    return unshared;
}

}  // namespace

void HoldDriverFiles(const std::u16string& driverName, const std::u16string& environment) {
    db::Statement hold("INSERT OR IGNORE INTO spool_driver_holds (name_key, environment_key) VALUES (?1, ?2)");
    hold.Bind(1, db::FoldKey(driverName)).Bind(2, db::FoldKey(environment)).Run();
}

void ReleaseDriverHolds() {
    db::Statement clear("DELETE FROM spool_driver_holds");
    clear.Run();
}

}  // namespace palvex

using palvex::Finish;
using palvex::GuardedCall;

BOOL DeletePrinter(HANDLE hPrinter) {
    return Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!palvex::SpoolerRuns()) return RPC_S_SERVER_UNAVAILABLE;
        auto handle = palvex::PrinterHandles().Find(hPrinter);
        if (!handle || handle->printerId == 0) return ERROR_INVALID_HANDLE;
        if (!(handle->grantedAccess & DELETE)) return ERROR_ACCESS_DENIED;
        if (palvex::spool::CountQueuedJobs(handle->printerId) > 0) return ERROR_PRINTER_HAS_JOBS_QUEUED;
        palvex::db::Statement name("SELECT name FROM spool_printers WHERE id = ?1");
        name.Bind(1, handle->printerId);
        const std::u16string printerName = name.Step() ? name.Text16(0) : std::u16string();
        palvex::db::Statement remove("DELETE FROM spool_printers WHERE id = ?1");
        remove.Bind(1, handle->printerId).Run();
        if (!palvex::db::ChangedRows()) return ERROR_INVALID_PRINTER_NAME;
        palvex::registry::NotifyChanged(HKEY_LOCAL_MACHINE, palvex::kPrintersKey + printerName);
        return ERROR_SUCCESS;
    }));
}

BOOL DeletePrinterDriverExW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pDriverName, DWORD dwDeleteFlag, DWORD) {
    return Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!palvex::SpoolerRuns()) return RPC_S_SERVER_UNAVAILABLE;
        if (pName && *pName) return ERROR_INVALID_PARAMETER;
        if (!pDriverName || !*pDriverName) return ERROR_INVALID_PARAMETER;
        const std::u16string environment = palvex::EnvironmentOf(pEnvironment);
        if (environment.empty()) return ERROR_INVALID_ENVIRONMENT;
        const auto driver = palvex::spool::ReadDriver(pDriverName, environment);
        if (!driver) return ERROR_UNKNOWN_PRINTER_DRIVER;
        palvex::db::Statement used(
            "SELECT 1 FROM spool_printers p JOIN spool_drivers d ON d.id = p.driver_id "
            "WHERE d.name_key = ?1 AND d.environment_key = ?2");
        used.Bind(1, palvex::db::FoldKey(pDriverName)).Bind(2, palvex::db::FoldKey(environment));
        if (used.Step() || palvex::Held(pDriverName, environment)) return ERROR_PRINTER_DRIVER_IN_USE;
        std::vector<std::u16string> files;
        palvex::db::Transaction([&] {
            palvex::db::Statement ids("SELECT id FROM spool_drivers WHERE name_key = ?1 AND environment_key = ?2");
            ids.Bind(1, palvex::db::FoldKey(pDriverName)).Bind(2, palvex::db::FoldKey(environment));
            std::vector<int64_t> rows;
            while (ids.Step()) rows.push_back(ids.Int(0));
            for (int64_t id : rows) {
                if (dwDeleteFlag & (DPD_DELETE_UNUSED_FILES | DPD_DELETE_ALL_FILES)) {
                    const auto row = palvex::spool::ReadDriver(id);
                    if (row) for (auto& file : palvex::UnsharedFiles(id, *row)) files.push_back(file);
                }
                palvex::db::Statement remove("DELETE FROM spool_drivers WHERE id = ?1");
                remove.Bind(1, id).Run();
            }
        });
        const std::u16string folder = palvex::spool::SpoolFolder(environment.c_str(), u"drivers") + u"\\3\\";
        for (const auto& file : files) {
            std::error_code error;
            std::filesystem::remove(palvex::HostPath(folder + file), error);
        }
        return ERROR_SUCCESS;
    }));
}

BOOL GetDefaultPrinterW(LPWSTR pszBuffer, LPDWORD pcchBuffer) {
    if (!pcchBuffer) return Finish(ERROR_INVALID_PARAMETER);
    WCHAR device[1024] = {};
    DWORD size = sizeof device - sizeof(WCHAR), type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, palvex::kWindowsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return Finish(ERROR_FILE_NOT_FOUND);
    const LSTATUS read = RegQueryValueExW(key, u"Device", nullptr, &type, reinterpret_cast<BYTE*>(device), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ) return Finish(ERROR_FILE_NOT_FOUND);
    std::u16string name = device;
    name = name.substr(0, name.find(u','));
    if (name.empty()) return Finish(ERROR_FILE_NOT_FOUND);
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (!pszBuffer || *pcchBuffer < needed) {
        *pcchBuffer = needed;
        return Finish(ERROR_INSUFFICIENT_BUFFER);
    }
    std::copy(name.c_str(), name.c_str() + needed, pszBuffer);
    *pcchBuffer = needed;
    return TRUE;
}

BOOL SetDefaultPrinterW(LPCWSTR pszPrinter) {
    std::u16string device;
    const DWORD error = GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!palvex::SpoolerRuns()) return RPC_S_SERVER_UNAVAILABLE;
        if (!pszPrinter || !*pszPrinter) return ERROR_INVALID_PRINTER_NAME;
        const auto printer = palvex::spool::FindPrinter(pszPrinter);
        if (!printer) return ERROR_INVALID_PRINTER_NAME;
        device = printer->name + u",winspool,Ne00:";
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) return Finish(error);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, palvex::kWindowsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return Finish(ERROR_ACCESS_DENIED);
    const LSTATUS set = RegSetValueExW(key, u"Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(device.c_str()),
                                       static_cast<DWORD>((device.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return Finish(static_cast<DWORD>(set));
}
