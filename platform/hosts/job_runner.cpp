#include "job_runner.h"

#include <dlfcn.h>

#include <palvex/machine.h>

namespace palvex::hosts {
namespace {

std::u16string Decimal(DWORD value) {
    std::u16string text;
    for (char digit : std::to_string(value)) text += static_cast<char16_t>(digit);
    return text;
}

// The text's characters for an LPWSTR field, or null for an empty text.
LPWSTR TextOrNull(std::u16string& text) {
    return text.empty() ? nullptr : text.data();
}

}  // namespace

PrintProcessorLibrary::PrintProcessorLibrary(const std::filesystem::path& file) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        m_error = why ? why : "cannot load " + file.string();
        return;
    }
    const auto find = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
        if (!function && m_error.empty()) m_error = std::string("the library has no export ") + name;
    };
    find(OpenPrintProcessor, "OpenPrintProcessor");
    find(PrintDocumentOnPrintProcessor, "PrintDocumentOnPrintProcessor");
    find(ClosePrintProcessor, "ClosePrintProcessor");
    find(ControlPrintProcessor, "ControlPrintProcessor");
    find(EnumPrintProcessorDatatypesW, "EnumPrintProcessorDatatypesW");
    find(GetPrintProcessorCapabilities, "GetPrintProcessorCapabilities");
    if (!m_error.empty()) {
        dlclose(handle);
        return;
    }
    m_handle = handle;
}

PrintProcessorLibrary::~PrintProcessorLibrary() {
    if (m_handle) dlclose(m_handle);
}

void* PrintProcessorLibrary::Symbol(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

JobRunner::JobRunner(PrintProcessorLibrary& library, DWORD jobId) : m_library(library) {
    auto job = FindJob(jobId);
    if (!job) throw MachineError(ERROR_INVALID_PARAMETER, "unknown job " + std::to_string(jobId));
    m_job = std::move(*job);
    m_spoolDocumentName = m_job.printerName + u", Job " + Decimal(m_job.id);
}

JobRunner::~JobRunner() {
    if (handle()) Close();
}

HANDLE JobRunner::handle() const {
    std::lock_guard lock(m_mutex);
    return m_handle;
}

JobRunner::Step JobRunner::Open() {
    Step step;
    if (!m_library.loaded() || handle()) {
        step.lastError = ERROR_INVALID_FUNCTION;
        return step;
    }
    m_devMode = m_job.devMode;
    m_openData = PRINTPROCESSOROPENDATA{};
    m_openData.pDevMode = m_devMode.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(m_devMode.data());
    m_openData.pDatatype = TextOrNull(m_job.datatype);
    m_openData.pParameters = TextOrNull(m_job.parameters);
    m_openData.pDocumentName = TextOrNull(m_job.documentName);
    m_openData.JobId = m_job.id;
    m_openData.pOutputFile = TextOrNull(m_job.outputFile);
    m_openData.pPrinterName = m_job.printerName.data();
    SetLastError(ERROR_SUCCESS);
    HANDLE opened = m_library.OpenPrintProcessor(m_job.printerName.data(), &m_openData);
    step.done = true;
    step.result = opened != nullptr;
    step.lastError = GetLastError();
    std::lock_guard lock(m_mutex);
    m_handle = opened;
    return step;
}

JobRunner::Step JobRunner::Print() {
    Step step;
    HANDLE opened = handle();
    if (!opened) {
        step.lastError = ERROR_INVALID_HANDLE;
        return step;
    }
    UpdateStatus(JOB_STATUS_PRINTING, JOB_STATUS_ERROR);
    SetLastError(ERROR_SUCCESS);
    step.result = m_library.PrintDocumentOnPrintProcessor(opened, m_spoolDocumentName.data());
    step.lastError = GetLastError();
    step.done = true;
    UpdateStatus(step.result ? JOB_STATUS_PRINTED : JOB_STATUS_ERROR, JOB_STATUS_PRINTING);
    return step;
}

JobRunner::Step JobRunner::Close() {
    Step step;
    std::lock_guard lock(m_mutex);
    if (!m_handle) {
        step.lastError = ERROR_INVALID_HANDLE;
        return step;
    }
    SetLastError(ERROR_SUCCESS);
    step.result = m_library.ClosePrintProcessor(m_handle);
    step.lastError = GetLastError();
    step.done = true;
    m_handle = nullptr;
    return step;
}

JobRunner::Outcome JobRunner::Run() {
    Outcome outcome;
    outcome.open = Open();
    if (outcome.open.result) {
        outcome.print = Print();
        outcome.close = Close();
    }
    return outcome;
}

BOOL JobRunner::Control(DWORD command) {
    std::lock_guard lock(m_mutex);
    if (!m_handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const BOOL result = m_library.ControlPrintProcessor(m_handle, command);
    const DWORD error = GetLastError();
    if (result) {
        switch (command) {
        case JOB_CONTROL_PAUSE: UpdateStatus(JOB_STATUS_PAUSED, 0); break;
        case JOB_CONTROL_RESUME: UpdateStatus(0, JOB_STATUS_PAUSED); break;
        case JOB_CONTROL_CANCEL: UpdateStatus(JOB_STATUS_DELETING, JOB_STATUS_PAUSED); break;
        default: break;
        }
    }
    SetLastError(error);
    return result;
}

void JobRunner::UpdateStatus(DWORD set, DWORD clear) {
    try {
        UpdateJobStatus(m_job.id, set, clear);
    } catch (const MachineError&) {
        // the job was deleted from the queue meanwhile: nothing left to mark
    }
}

}  // namespace palvex::hosts
