// The machine's print jobs (palvex/jobs.h) in the machine database.
#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <win/winerror.h>
#include <win/winspool_levels.h>

#include "gdi/devmode_bytes.h"
#include "spooler/jobs_store.h"
#include "machine/machine_db.h"
#include "spooler/spooler_store.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

const db::SchemaPart kJobsSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_jobs (
    id INTEGER PRIMARY KEY AUTOINCREMENT,  -- never reused
    printer_id INTEGER NOT NULL REFERENCES spool_printers(id) ON DELETE CASCADE,
    document_name TEXT NOT NULL,
    datatype TEXT NOT NULL,
    parameters TEXT NOT NULL,
    devmode BLOB,
    spool_file TEXT NOT NULL,
    output_file TEXT NOT NULL,
    status INTEGER NOT NULL DEFAULT 0);
)sql");

constexpr char kJobColumns[] =
    "SELECT j.id, p.name, j.document_name, j.datatype, j.parameters, j.devmode, j.spool_file, j.output_file, "
    "j.status FROM spool_jobs j JOIN spool_printers p ON p.id = j.printer_id ";

JobDesc ReadJob(const db::Statement& row) {
    JobDesc job;
    job.id = static_cast<DWORD>(row.Int(0));
    job.printerName = row.Text16(1);
    job.documentName = row.Text16(2);
    job.datatype = row.Text16(3);
    job.parameters = row.Text16(4);
    if (!row.IsNull(5)) job.devMode = row.Blob(5);
    job.spoolFile = row.Text16(6);
    job.outputFile = row.Text16(7);
    job.status = static_cast<DWORD>(row.Int(8));
    return job;
}

}  // namespace

DWORD AddJob(const JobDesc& job) {
    if (!job.devMode.empty() && !IsWholeDevMode(job.devMode))
        throw MachineError(ERROR_INVALID_PARAMETER, "the job's DEVMODE is not dmSize + dmDriverExtra bytes long");
    DWORD id = 0;
    db::Transaction([&] {
        const auto printer = spool::FindPrinter(job.printerName);
        if (!printer)
            throw MachineError(ERROR_INVALID_PRINTER_NAME, "unknown printer '" + text::ToUtf8(job.printerName) + "'");
        db::Statement add(R"sql(
            INSERT INTO spool_jobs (printer_id, document_name, datatype, parameters, devmode, spool_file, output_file,
                                    status)
            VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8))sql");
        add.Bind(1, printer->id).Bind(2, job.documentName).Bind(3, job.datatype).Bind(4, job.parameters);
        if (job.devMode.empty())
            add.BindNull(5);
        else
            add.BindBlob(5, job.devMode.data(), job.devMode.size());
        add.Bind(6, job.spoolFile).Bind(7, job.outputFile).Bind(8, static_cast<int64_t>(job.status)).Run();
        id = static_cast<DWORD>(db::LastInsertId());
    });
    return id;
}

std::optional<JobDesc> FindJob(DWORD id) {
    db::Statement find((std::string(kJobColumns) + "WHERE j.id = ?1").c_str());
    find.Bind(1, static_cast<int64_t>(id));
    if (!find.Step()) return std::nullopt;
    return ReadJob(find);
}

void SetJobStatus(DWORD id, DWORD status) {
    db::Statement update("UPDATE spool_jobs SET status = ?1 WHERE id = ?2");
    update.Bind(1, static_cast<int64_t>(status)).Bind(2, static_cast<int64_t>(id)).Run();
    if (db::ChangedRows() == 0) throw MachineError(ERROR_INVALID_PARAMETER, "unknown job " + std::to_string(id));
}

void UpdateJobStatus(DWORD id, DWORD set, DWORD clear) {
    db::Statement update("UPDATE spool_jobs SET status = (status & ~?1) | ?2 WHERE id = ?3");
    update.Bind(1, static_cast<int64_t>(clear)).Bind(2, static_cast<int64_t>(set)).Bind(3, static_cast<int64_t>(id)).Run();
    if (db::ChangedRows() == 0) throw MachineError(ERROR_INVALID_PARAMETER, "unknown job " + std::to_string(id));
}

std::vector<JobDesc> ListJobs(const std::u16string& printerName) {
    std::vector<JobDesc> jobs;
    db::Statement list((std::string(kJobColumns) + "WHERE p.name_key = ?1 ORDER BY j.id").c_str());
    list.Bind(1, db::FoldKey(printerName));
    while (list.Step()) jobs.push_back(ReadJob(list));
    return jobs;
}

namespace spool {

std::optional<DWORD> JobStatus(DWORD id) {
    db::Statement find("SELECT status FROM spool_jobs WHERE id = ?1");
    find.Bind(1, static_cast<int64_t>(id));
    if (!find.Step()) return std::nullopt;
    return static_cast<DWORD>(find.Int(0));
}

DWORD CountQueuedJobs(int64_t printerId) {
    db::Statement count("SELECT count(*) FROM spool_jobs WHERE printer_id = ?1 AND (status & ?2) = 0");
    count.Bind(1, printerId).Bind(2, static_cast<int64_t>(JOB_STATUS_DELETED));
    return count.Step() ? static_cast<DWORD>(count.Int(0)) : 0;
}

DWORD QueuePosition(int64_t printerId, DWORD jobId) {
    db::Statement position(R"sql(
        SELECT count(*) FROM spool_jobs
        WHERE printer_id = ?1 AND id <= ?2 AND (status & ?3) = 0
          AND EXISTS (SELECT 1 FROM spool_jobs WHERE id = ?2 AND (status & ?3) = 0))sql");
    position.Bind(1, printerId).Bind(2, static_cast<int64_t>(jobId)).Bind(3, static_cast<int64_t>(JOB_STATUS_DELETED));
    return position.Step() ? static_cast<DWORD>(position.Int(0)) : 0;
}

}  // namespace spool
}  // namespace palvex
