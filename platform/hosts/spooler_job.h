// The spooler's side of a job before a print processor sees it: the processor that the job's
// printer names is found among the machine's installed print processors, loaded from its file in
// the print-processor folder and asked which datatypes it prints; then the job runs through it.
// A job that cannot start stays in the queue, marked in error, as the spooler leaves it.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "job_runner.h"

namespace palvex::hosts {

// Where the code of a module lies in this build. The machine holds each module's file as a
// package installs it (a PE file with its version resource); the code that runs is the build's
// shared object of that module. Keyed by the file's name in upper case, such as u"TOVQEBPP.DLL".
using ModuleCode = std::map<std::u16string, std::filesystem::path>;

struct SpoolerJobResult {
    DWORD error = ERROR_SUCCESS;  // the spooler's error when the job did not reach the processor
    std::string message;          // what went wrong, for a person; empty when the processor ran
    std::u16string processor;     // the print processor the printer names
    JobRunner::Outcome outcome;   // the processor's steps, when it was loaded
};

// Prints a job of the machine through the print processor its printer names. Before the
// processor is opened the job can fail with:
// - ERROR_INVALID_PARAMETER: no such job (nothing is marked);
// - ERROR_INVALID_PRINTER_NAME: its printer is gone;
// - ERROR_UNKNOWN_PRINTPROCESSOR: the printer's processor is not installed;
// - ERROR_MOD_NOT_FOUND: the processor's file is not in the print-processor folder, or this build
//   has no code for it;
// - ERROR_BAD_EXE_FORMAT: its code does not load as a print processor;
// - ERROR_INVALID_DATATYPE: the processor does not list the job's datatype.
// Such a job is marked JOB_STATUS_ERROR and stays in the queue, as is one the processor does not
// open; one it fails to print the runner marks.
SpoolerJobResult PrintJob(DWORD jobId, const ModuleCode& code);

}  // namespace palvex::hosts
