// The machine's print jobs: the spooler's queue, shared by every process on the machine. A job
// belongs to a printer and holds what the application spooled: the document's name, the datatype
// of its data, its DEVMODE and the spool file. The job runner (platform/hosts) prints jobs through
// a print processor and keeps their status.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct JobDesc {
    DWORD id = 0;                  // given by AddJob
    std::u16string printerName;
    std::u16string documentName;
    std::u16string datatype = u"NT EMF 1.008";
    std::u16string parameters;
    std::vector<BYTE> devMode;     // one DEVMODEW (dmSize + dmDriverExtra bytes), or none
    std::u16string spoolFile;      // the job's data, a path as LoadLibraryExW takes paths
    std::u16string outputFile;     // the file the application prints to, or empty
    DWORD status = 0;              // JOB_STATUS_*
};

// Adds a job to the printer's queue and returns its id (ids start at 1 and are never reused on a
// machine). The id in job is ignored. An unknown printer throws MachineError
// (ERROR_INVALID_PRINTER_NAME); a DEVMODE whose dmSize + dmDriverExtra is not its length throws
// MachineError (ERROR_INVALID_PARAMETER).
PALVEX_API DWORD AddJob(const JobDesc& job);
// The job of that id, or nothing.
PALVEX_API std::optional<JobDesc> FindJob(DWORD id);
// Sets a job's status; an unknown job throws MachineError (ERROR_INVALID_PARAMETER).
PALVEX_API void SetJobStatus(DWORD id, DWORD status);
// Sets the bits of set and clears those of clear in a job's status in one step, so two threads
// (the job's own and one pausing or cancelling it) never overwrite each other's change. An unknown
// job throws MachineError (ERROR_INVALID_PARAMETER).
PALVEX_API void UpdateJobStatus(DWORD id, DWORD set, DWORD clear);
// The printer's jobs in the order they were added.
PALVEX_API std::vector<JobDesc> ListJobs(const std::u16string& printerName);

}  // namespace palvex
