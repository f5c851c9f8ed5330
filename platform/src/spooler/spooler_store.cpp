// Tables of the spooler: drivers (with their dependent files), printers and printer data.
// Printer data is stored per printer under a key path ("PrinterDriverData", or any other key and
// subkey "Key\Subkey"), so keyed data, forms, ports and jobs are added beside these tables.
#include "spooler/spooler_store.h"

#include <functional>

#include <palvex/machine.h>
#include <win/winerror.h>

#include "machine/machine_db.h"
#include "registry/registry_notify.h"
#include "crt/utf16.h"

namespace palvex::spool {
namespace {

const db::SchemaPart kSpoolerSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_drivers (
    id INTEGER PRIMARY KEY AUTOINCREMENT,  -- never reused: a stale handle must not reach a new row
    name TEXT NOT NULL,
    name_key TEXT NOT NULL,
    environment TEXT NOT NULL,
    environment_key TEXT NOT NULL,
    version INTEGER NOT NULL DEFAULT 3,
    driver_path TEXT NOT NULL DEFAULT '',
    data_file TEXT NOT NULL DEFAULT '',
    config_file TEXT NOT NULL DEFAULT '',
    help_file TEXT NOT NULL DEFAULT '',
    monitor_name TEXT NOT NULL DEFAULT '',
    default_datatype TEXT NOT NULL DEFAULT 'RAW',
    UNIQUE (name_key, environment_key, version));
CREATE TABLE IF NOT EXISTS spool_driver_files (
    driver_id INTEGER NOT NULL REFERENCES spool_drivers(id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    file_name TEXT NOT NULL,
    PRIMARY KEY (driver_id, position));
CREATE TABLE IF NOT EXISTS spool_printers (
    id INTEGER PRIMARY KEY AUTOINCREMENT,  -- never reused: a stale handle must not reach a new row
    name TEXT NOT NULL,
    name_key TEXT NOT NULL UNIQUE,
    driver_id INTEGER NOT NULL REFERENCES spool_drivers(id),
    port_name TEXT NOT NULL,
    print_processor TEXT NOT NULL,
    denied_access INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS spool_printer_data (
    printer_id INTEGER NOT NULL REFERENCES spool_printers(id) ON DELETE CASCADE,
    key_name TEXT NOT NULL,
    key_key TEXT NOT NULL,
    value_name TEXT NOT NULL,
    value_key TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY (printer_id, key_key, value_key));
)sql");

// The id of the newest version of a driver of the native environment.
std::optional<int64_t> FindNativeDriver(const std::u16string& name) {
    db::Statement find(
        "SELECT id FROM spool_drivers WHERE name_key = ?1 AND environment_key = ?2 ORDER BY version DESC LIMIT 1");
    find.Bind(1, db::FoldKey(name)).Bind(2, db::FoldKey(kNativeEnvironment));
    if (!find.Step()) return std::nullopt;
    return find.Int(0);
}

std::string Narrow(const std::u16string& text) {
    return text::ToUtf8(text);
}

}  // namespace

std::optional<PrinterRow> FindPrinter(const std::u16string& name) {
    db::Statement find("SELECT id, name, denied_access FROM spool_printers WHERE name_key = ?1");
    find.Bind(1, db::FoldKey(name));
    if (!find.Step()) return std::nullopt;
    return PrinterRow{find.Int(0), find.Text16(1), static_cast<DWORD>(find.Int(2))};
}

std::optional<PrinterDataValue> ReadPrinterData(int64_t printerId, const std::u16string& key,
                                                const std::u16string& valueName) {
    db::Statement read(
        "SELECT type, data FROM spool_printer_data WHERE printer_id = ?1 AND key_key = ?2 AND value_key = ?3");
    read.Bind(1, printerId).Bind(2, db::FoldKey(key)).Bind(3, db::FoldKey(valueName));
    if (!read.Step()) return std::nullopt;
    return PrinterDataValue{static_cast<DWORD>(read.Int(0)), read.Blob(1)};
}

bool WritePrinterData(int64_t printerId, const std::u16string& key, const std::u16string& valueName, DWORD type,
                      const void* data, size_t size) {
    bool written = false;
    db::Transaction([&] {
        db::Statement exists("SELECT 1 FROM spool_printers WHERE id = ?1");
        exists.Bind(1, printerId);
        if (!exists.Step()) return;
        db::Statement write(R"sql(
            INSERT INTO spool_printer_data (printer_id, key_name, key_key, value_name, value_key, type, data)
            VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)
            ON CONFLICT (printer_id, key_key, value_key) DO UPDATE SET type = excluded.type, data = excluded.data)sql");
        write.Bind(1, printerId).BindName(2, key).BindName(4, valueName).Bind(6, static_cast<int64_t>(type));
        write.BindBlob(7, data, size).Run();
        written = true;
    });
    return written;
}

std::optional<PrinterDetails> ReadPrinterDetails(int64_t printerId) {
    db::Statement read(R"sql(
        SELECT p.name, d.name, p.port_name, p.print_processor, p.driver_id
        FROM spool_printers p JOIN spool_drivers d ON d.id = p.driver_id WHERE p.id = ?1)sql");
    read.Bind(1, printerId);
    if (!read.Step()) return std::nullopt;
    return PrinterDetails{read.Text16(0), read.Text16(1), read.Text16(2), read.Text16(3), read.Int(4)};
}

namespace {

constexpr char kDriverColumns[] =
    "SELECT id, version, name, environment, driver_path, data_file, config_file, help_file, monitor_name, "
    "default_datatype FROM spool_drivers ";

// A driver's columns as kDriverColumns selects them (from the name on) and its dependent files,
// into the store's row or the machine's description.
template <class Driver>
void ReadDriverColumns(db::Statement& read, Driver* driver) {
    driver->name = read.Text16(2);
    driver->environment = read.Text16(3);
    driver->driverPath = read.Text16(4);
    driver->dataFile = read.Text16(5);
    driver->configFile = read.Text16(6);
    driver->helpFile = read.Text16(7);
    driver->monitorName = read.Text16(8);
    driver->defaultDataType = read.Text16(9);
    db::Statement files("SELECT file_name FROM spool_driver_files WHERE driver_id = ?1 ORDER BY position");
    files.Bind(1, read.Int(0));
    while (files.Step()) driver->dependentFiles.push_back(files.Text16(0));
}

std::optional<DriverRow> ReadDriverWhere(const char* sql, const std::function<void(db::Statement&)>& bind) {
    db::Statement read(sql);
    bind(read);
    if (!read.Step()) return std::nullopt;
    DriverRow row;
    row.version = static_cast<DWORD>(read.Int(1));
    ReadDriverColumns(read, &row);
    return row;
}

}  // namespace

std::optional<DriverRow> ReadDriver(int64_t driverId) {
    const std::string sql = std::string(kDriverColumns) + "WHERE id = ?1";
    return ReadDriverWhere(sql.c_str(), [&](db::Statement& s) { s.Bind(1, driverId); });
}

std::optional<DriverRow> ReadDriver(const std::u16string& name, const std::u16string& environment) {
    const std::string sql =
        std::string(kDriverColumns) + "WHERE name_key = ?1 AND environment_key = ?2 ORDER BY version DESC LIMIT 1";
    return ReadDriverWhere(sql.c_str(), [&](db::Statement& s) {
        s.Bind(1, db::FoldKey(name)).Bind(2, db::FoldKey(environment));
    });
}

}  // namespace palvex::spool

namespace palvex {

void AddDriver(const DriverDesc& driver) {
    if (driver.name.empty() || driver.environment.empty())
        throw MachineError(ERROR_INVALID_PARAMETER, "a driver needs a name and an environment");
    db::Transaction([&] {
        db::Statement upsert(R"sql(
            INSERT INTO spool_drivers (name, name_key, environment, environment_key, version, driver_path, data_file,
                                       config_file, help_file, monitor_name, default_datatype)
            VALUES (?1, ?2, ?3, ?4, 3, ?5, ?6, ?7, ?8, ?9, ?10)
            ON CONFLICT (name_key, environment_key, version) DO UPDATE SET
                name = excluded.name, driver_path = excluded.driver_path, data_file = excluded.data_file,
                config_file = excluded.config_file, help_file = excluded.help_file,
                monitor_name = excluded.monitor_name, default_datatype = excluded.default_datatype
            RETURNING id)sql");
        upsert.BindName(1, driver.name).BindName(3, driver.environment);
        upsert.Bind(5, driver.driverPath).Bind(6, driver.dataFile).Bind(7, driver.configFile).Bind(8, driver.helpFile);
        upsert.Bind(9, driver.monitorName).Bind(10, driver.defaultDataType);
        if (!upsert.Step()) throw MachineError(ERROR_INVALID_PARAMETER, "driver not stored");
        const int64_t id = upsert.Int(0);
        upsert.Run();

        db::Statement clear("DELETE FROM spool_driver_files WHERE driver_id = ?1");
        clear.Bind(1, id).Run();
        int64_t position = 0;
        for (const auto& file : driver.dependentFiles) {
            db::Statement add("INSERT INTO spool_driver_files (driver_id, position, file_name) VALUES (?1, ?2, ?3)");
            add.Bind(1, id).Bind(2, position++).Bind(3, file).Run();
        }
    });
}

void AddPrinter(const std::u16string& printerName, const std::u16string& driverName, const std::u16string& portName,
                const std::u16string& printProcessor) {
    if (printerName.empty() || printerName.find_first_of(u"\\,") != std::u16string::npos)
        throw MachineError(ERROR_INVALID_PRINTER_NAME, "invalid printer name '" + spool::Narrow(printerName) + "'");
    db::Transaction([&] {
        const auto driverId = spool::FindNativeDriver(driverName);
        if (!driverId)
            throw MachineError(ERROR_UNKNOWN_PRINTER_DRIVER, "unknown printer driver '" + spool::Narrow(driverName) + "'");
        if (spool::FindPrinter(printerName))
            throw MachineError(ERROR_PRINTER_ALREADY_EXISTS, "printer '" + spool::Narrow(printerName) + "' already exists");
        db::Statement add(R"sql(
            INSERT INTO spool_printers (name, name_key, driver_id, port_name, print_processor)
            VALUES (?1, ?2, ?3, ?4, ?5))sql");
        add.BindName(1, printerName).Bind(3, *driverId).Bind(4, portName).Bind(5, printProcessor).Run();
    });
    registry::NotifyChanged(HKEY_LOCAL_MACHINE, kPrintersKey + printerName);
}

void SetPrinterDeniedAccess(const std::u16string& printerName, DWORD mask) {
    db::Statement update("UPDATE spool_printers SET denied_access = ?1 WHERE name_key = ?2");
    update.Bind(1, static_cast<int64_t>(mask)).Bind(2, db::FoldKey(printerName)).Run();
    if (db::ChangedRows() == 0)
        throw MachineError(ERROR_INVALID_PRINTER_NAME, "unknown printer '" + spool::Narrow(printerName) + "'");
}

std::vector<DriverDesc> ListDrivers() {
    std::vector<DriverDesc> drivers;
    const std::string sql = std::string(spool::kDriverColumns) + "ORDER BY name_key, environment_key, version";
    db::Statement list(sql.c_str());
    while (list.Step()) {
        DriverDesc driver;
        spool::ReadDriverColumns(list, &driver);
        drivers.push_back(std::move(driver));
    }
    return drivers;
}

std::vector<PrinterDesc> ListPrinters() {
    std::vector<PrinterDesc> printers;
    db::Statement list(R"sql(
        SELECT p.name, d.name, p.port_name, p.print_processor, p.denied_access
        FROM spool_printers p JOIN spool_drivers d ON d.id = p.driver_id ORDER BY p.name_key)sql");
    while (list.Step())
        printers.push_back(PrinterDesc{list.Text16(0), list.Text16(1), list.Text16(2), list.Text16(3),
                                       static_cast<DWORD>(list.Int(4))});
    return printers;
}

std::vector<PrinterDataDesc> ListPrinterData(const std::u16string& printerName) {
    const auto printer = spool::FindPrinter(printerName);
    if (!printer) throw MachineError(ERROR_INVALID_PRINTER_NAME, "unknown printer '" + spool::Narrow(printerName) + "'");
    std::vector<PrinterDataDesc> values;
    db::Statement list(R"sql(
        SELECT key_name, value_name, type, length(data) FROM spool_printer_data
        WHERE printer_id = ?1 ORDER BY key_key, value_key)sql");
    list.Bind(1, printer->id);
    while (list.Step())
        values.push_back(PrinterDataDesc{list.Text16(0), list.Text16(1), static_cast<DWORD>(list.Int(2)),
                                         static_cast<size_t>(list.Int(3))});
    return values;
}

}  // namespace palvex
