// The spooler's job runner: prints a job of the machine through a print-processor library the
// way the spooler's job thread does. It loads the library, opens the processor for the job with
// its PRINTPROCESSOROPENDATA, prints the document, and closes the processor; meanwhile another
// thread may pause, resume or cancel the job as the spooler's control calls do. The job's status
// in the machine follows what happens.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <palvex/jobs.h>
#include <win/windows.h>
#include <win/winsplp.h>

namespace palvex::hosts {

// A print-processor library loaded with its six exports. The library's load and unload stand for
// process attach and detach.
class PrintProcessorLibrary {
public:
    explicit PrintProcessorLibrary(const std::filesystem::path& file);
    ~PrintProcessorLibrary();
    PrintProcessorLibrary(const PrintProcessorLibrary&) = delete;
    PrintProcessorLibrary& operator=(const PrintProcessorLibrary&) = delete;

    // True when the library loaded and has all six exports; otherwise error() says why.
    bool loaded() const { return m_handle != nullptr; }
    const std::string& error() const { return m_error; }
    // A symbol of the library (such as its ordinal table), or null.
    void* Symbol(const char* name) const;

    PFN_OpenPrintProcessor OpenPrintProcessor = nullptr;
    PFN_PrintDocumentOnPrintProcessor PrintDocumentOnPrintProcessor = nullptr;
    PFN_ClosePrintProcessor ClosePrintProcessor = nullptr;
    PFN_ControlPrintProcessor ControlPrintProcessor = nullptr;
    PFN_EnumPrintProcessorDatatypesW EnumPrintProcessorDatatypesW = nullptr;
    PFN_GetPrintProcessorCapabilities GetPrintProcessorCapabilities = nullptr;

private:
    void* m_handle = nullptr;
    std::string m_error;
};

// One job on its way through a print processor. Open, Print and Close run on the job's thread;
// Control may come from any other thread at any time.
class JobRunner {
public:
    // What each step answered: its BOOL (or whether a handle came back) and the last error then.
    struct Step {
        bool done = false;
        BOOL result = FALSE;
        DWORD lastError = 0;
    };
    struct Outcome {
        Step open;
        Step print;
        Step close;
    };

    // The job must be in the machine (FindJob); an unknown job throws MachineError.
    JobRunner(PrintProcessorLibrary& library, DWORD jobId);
    ~JobRunner();  // closes a processor still open
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // OpenPrintProcessor with the job's open data: its DEVMODE (null when it has none), datatype,
    // parameters, document name, id, output file (null when empty) and printer name.
    Step Open();
    // PrintDocumentOnPrintProcessor with the spooler's name of the job, "<printer>, Job <id>".
    // The job's status is printing meanwhile; afterwards printed, or error when the print failed.
    Step Print();
    // ClosePrintProcessor; the handle is gone afterwards even when the close fails, as the
    // spooler forgets it.
    Step Close();
    // Open, Print (when the open succeeded) and Close (when it opened).
    Outcome Run();

    // ControlPrintProcessor on the open processor: JOB_CONTROL_PAUSE, _RESUME or _CANCEL (or any
    // other command, passed on as it is). The job's status gets or loses paused, or gets deleting.
    // Without an open processor: FALSE and ERROR_INVALID_HANDLE, and nothing is called.
    BOOL Control(DWORD command);

    // The spooler's document name of the job.
    const std::u16string& spoolDocumentName() const { return m_spoolDocumentName; }
    HANDLE handle() const;

private:
    void UpdateStatus(DWORD set, DWORD clear);

    PrintProcessorLibrary& m_library;
    JobDesc m_job;
    std::u16string m_spoolDocumentName;
    std::vector<BYTE> m_devMode;  // the job's DEVMODE, alive while the processor is open
    PRINTPROCESSOROPENDATA m_openData{};
    mutable std::mutex m_mutex;   // between Control and Open or Close
    HANDLE m_handle = nullptr;
};

}  // namespace palvex::hosts
