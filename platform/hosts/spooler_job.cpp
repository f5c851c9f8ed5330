#include "spooler_job.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/utf8.h>
#include <win/windows.h>

namespace palvex::hosts {
namespace {

std::u16string Upper(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}

std::u16string FileName(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// The datatypes the processor lists, asked as the spooler asks: the size first, then the names.
bool ListedDatatypes(PrintProcessorLibrary& library, const std::u16string& processor,
                     std::vector<std::u16string>* names, DWORD* error) {
    std::u16string name = processor;
    DWORD needed = 0, returned = 0;
    SetLastError(ERROR_SUCCESS);
    if (!library.EnumPrintProcessorDatatypesW(nullptr, name.data(), 1, nullptr, 0, &needed, &returned) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        *error = GetLastError();
        return false;
    }
    // Whole records, so that the names' pointers are aligned.
    std::vector<DATATYPES_INFO_1W> buffer(needed / sizeof(DATATYPES_INFO_1W) + 1);
    const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(DATATYPES_INFO_1W));
    SetLastError(ERROR_SUCCESS);
    if (!library.EnumPrintProcessorDatatypesW(nullptr, name.data(), 1, reinterpret_cast<LPBYTE>(buffer.data()), size,
                                              &needed, &returned)) {
        *error = GetLastError();
        return false;
    }
    // The processor's own answer is outside bytes: its count must fit the buffer it filled, and
    // each name lie inside it.
    const auto* begin = reinterpret_cast<const char16_t*>(buffer.data());
    const auto* end = reinterpret_cast<const char16_t*>(reinterpret_cast<const BYTE*>(buffer.data()) + size);
    if (returned > size / sizeof(DATATYPES_INFO_1W)) {
        *error = ERROR_INVALID_DATA;
        return false;
    }
    for (DWORD i = 0; i < returned; ++i) {
        const char16_t* text = buffer[i].pName;
        if (!text || text < begin || text >= end) {
            *error = ERROR_INVALID_DATA;
            return false;
        }
        const char16_t* stop = std::find(text, end, u'\0');
        if (stop == end) {
            *error = ERROR_INVALID_DATA;
            return false;
        }
        names->emplace_back(text, stop);
    }
    return true;
}

void MarkError(DWORD jobId) {
    try {
        UpdateJobStatus(jobId, JOB_STATUS_ERROR, 0);
    } catch (const MachineError&) {
        // the job was deleted from the queue meanwhile: nothing left to mark
    }
}

SpoolerJobResult Refuse(DWORD jobId, SpoolerJobResult result, DWORD error, const std::string& message) {
    result.error = error;
    result.message = message + " (error " + std::to_string(error) + ")";
    MarkError(jobId);
    return result;
}

}  // namespace

SpoolerJobResult PrintJob(DWORD jobId, const ModuleCode& code) {
    SpoolerJobResult result;
    const std::optional<JobDesc> job = FindJob(jobId);
    if (!job) {
        result.error = ERROR_INVALID_PARAMETER;
        result.message = "no job " + std::to_string(jobId) + " (error 87)";
        return result;
    }
    const std::string printerText = "printer \"" + ToUtf8(job->printerName) + "\"";
    std::optional<PrinterDesc> printer;
    for (auto& p : ListPrinters())
        if (lstrcmpiW(p.name.c_str(), job->printerName.c_str()) == 0) printer = std::move(p);
    if (!printer) return Refuse(jobId, result, ERROR_INVALID_PRINTER_NAME, "the job's " + printerText + " is gone");
    result.processor = printer->printProcessor;
    const std::string processorText =
        "the print processor \"" + ToUtf8(printer->printProcessor) + "\" of " + printerText;

    const std::optional<std::u16string> file = PrintProcessorFile(printer->printProcessor);
    if (!file) return Refuse(jobId, result, ERROR_UNKNOWN_PRINTPROCESSOR, processorText + " is not installed");
    if (file->empty() || !std::filesystem::is_regular_file(HostPath(*file)))
        return Refuse(jobId, result, ERROR_MOD_NOT_FOUND,
                      processorText + " has no file " + ToUtf8(*file) + " in the print-processor folder");
    const auto built = code.find(Upper(FileName(*file)));
    if (built == code.end())
        return Refuse(jobId, result, ERROR_MOD_NOT_FOUND,
                      processorText + ": this build has no code for " + ToUtf8(FileName(*file)));
    PrintProcessorLibrary library(built->second);
    if (!library.loaded())
        return Refuse(jobId, result, ERROR_BAD_EXE_FORMAT, processorText + " does not load: " + library.error());

    std::vector<std::u16string> datatypes;
    DWORD error = ERROR_SUCCESS;
    if (!ListedDatatypes(library, printer->printProcessor, &datatypes, &error))
        return Refuse(jobId, result, error, processorText + " did not list its datatypes");
    if (std::find(datatypes.begin(), datatypes.end(), job->datatype) == datatypes.end()) {
        std::string listed;
        for (const auto& d : datatypes) listed += (listed.empty() ? "\"" : ", \"") + ToUtf8(d) + "\"";
        return Refuse(jobId, result, ERROR_INVALID_DATATYPE,
                      processorText + " does not print the job's datatype \"" + ToUtf8(job->datatype) +
                          "\" (it prints " + (listed.empty() ? "none" : listed) + ")");
    }

    JobRunner runner(library, jobId);
    result.outcome = runner.Run();
    // A processor that refused to open leaves the job as unprinted as one that failed to print.
    if (!result.outcome.open.result) MarkError(jobId);
    return result;
}

}  // namespace palvex::hosts
