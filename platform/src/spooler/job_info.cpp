// GetJobW (win/winspool.h): what the spooler tells of one job of a printer, from the machine's job
// table, the printer's settings and the job's spool data.
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <palvex/jobs.h>
#include <palvex/os_profile.h>
#include <palvex/paths.h>
#include <palvex/printer_settings.h>
#include <win/winspool_levels.h>

#include "machine/api_guard.h"
#include "gdi/emf_spool_reader.h"
#include "spooler/info_packer.h"
#include "spooler/jobs_store.h"
#include "machine/machine_db.h"
#include "spooler/printer_handles.h"
#include "spooler/spool_progress.h"
#include "spooler/spooler_store.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

// The priority a job gets when its printer names none (the lowest).
constexpr DWORD kDefaultJobPriority = 1;
constexpr DWORD kMaxJobPriority = 99;

// "NT EMF " and its version, in any case.
bool IsEmfDatatype(const std::u16string& datatype) {
    static constexpr std::u16string_view kEmf = u"NT EMF ";
    return datatype.size() >= kEmf.size() && text::Upcase(std::u16string_view(datatype).substr(0, kEmf.size())) == kEmf;
}

// The pages of an EMF job's data spooled so far (whole page records only; a fault in the file
// ends the count at the pages before it). 0 for data of another kind or a job without data.
DWORD SpooledPages(const JobDesc& job) {
    if (!IsEmfDatatype(job.datatype) || job.spoolFile.empty()) return 0;
    const std::filesystem::path file = HostPath(job.spoolFile);
    emf::SpoolFileReader reader(file);
    reader.Refresh(!spool::IsSpooling(file));
    return static_cast<DWORD>(reader.parser().pages().size());
}

DWORD SpoolFileSize(const JobDesc& job) {
    if (job.spoolFile.empty()) return 0;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(HostPath(job.spoolFile), error);
    if (error) return 0;
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size);
}

DWORD GetJobInfo(const PrinterHandle& handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
    if (level != 1 && level != 2) return ERROR_INVALID_LEVEL;
    if (!needed) return RPC_X_NULL_REF_POINTER;
    if (!buffer && size != 0) return ERROR_INVALID_USER_BUFFER;
    auto found = FindJob(jobId);
    // A deleted job is gone from the queue, as if it had never been there.
    if (!found || (found->status & JOB_STATUS_DELETED) ||
        db::FoldKey(found->printerName) != db::FoldKey(handle.printerName))
        return ERROR_INVALID_PARAMETER;
    const auto printer = spool::ReadPrinterDetails(handle.printerId);
    if (!printer) return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
    const PrinterSettingsDesc settings = GetPrinterSettings(printer->name);

    const JobDesc job = std::move(*found);
    const std::u16string userName = GetOsProfile().userName;  // the machine's only user owns every job
    const DWORD position = spool::QueuePosition(handle.printerId, jobId);
    const DWORD priority =
        settings.defaultPriority >= kDefaultJobPriority && settings.defaultPriority <= kMaxJobPriority
            ? settings.defaultPriority
            : kDefaultJobPriority;
    const DWORD totalPages = SpooledPages(job);

    if (level == 1) {
        JOB_INFO_1W info{};
        InfoPacker packer(sizeof info);
        packer.AddString(printer->name, &info.pPrinterName);
        packer.AddString(userName, &info.pUserName);
        packer.AddString(job.documentName, &info.pDocument);
        packer.AddString(job.datatype, &info.pDatatype);
        info.JobId = job.id;
        info.Status = job.status;
        info.Priority = priority;
        info.Position = position;
        info.TotalPages = totalPages;
        return Deliver(packer, info, buffer, size, needed);
    }

    JOB_INFO_2W info{};
    InfoPacker packer(sizeof info);
    packer.AddString(printer->name, &info.pPrinterName);
    packer.AddString(userName, &info.pUserName);
    packer.AddString(job.documentName, &info.pDocument);
    packer.AddString(userName, &info.pNotifyName);
    packer.AddString(job.datatype, &info.pDatatype);
    packer.AddString(printer->printProcessor, &info.pPrintProcessor);
    packer.AddString(job.parameters, &info.pParameters);
    packer.AddString(printer->driverName, &info.pDriverName);
    packer.AddBytes(job.devMode, &info.pDevMode);  // null when the job has none
    info.JobId = job.id;
    info.Status = job.status;
    info.Priority = priority;
    info.Position = position;
    info.StartTime = settings.startTime;
    info.UntilTime = settings.untilTime;
    info.TotalPages = totalPages;
    info.Size = SpoolFileSize(job);
    return Deliver(packer, info, buffer, size, needed);
}

}  // namespace
}  // namespace palvex

BOOL GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = palvex::PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        return palvex::GetJobInfo(*handle, JobId, Level, pJob, cbBuf, pcbNeeded);
    }));
}
