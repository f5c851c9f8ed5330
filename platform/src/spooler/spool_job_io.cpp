// The spooler's document and job-data functions (win/winspool_io.h) and the port files they write
// (palvex/port_output.h).
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/port_output.h>
#include <win/winspool_io.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "spooler/printer_handles.h"
#include "spooler/spooler_store.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

// A file closed when it leaves scope.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The Win32 error for the errno of a failed open.
DWORD OpenError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_WRITE_FAULT;
    }
}

// Opens a file for the mode ("wb", "ab", "rb"); *error gets the Win32 error when it cannot.
File OpenFile(const fs::path& path, const char* mode, DWORD* error) {
    if (path.empty()) {
        *error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    File file(std::fopen(path.c_str(), mode));
    if (!file) *error = OpenError(errno);
    return file;
}

bool IsPortNameCharacter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'_';
}

// The test hook of FailPrinterWrites, by the printer's folded name.
struct WriteFault {
    uint64_t acceptBytes = 0;
    DWORD error = 0;
};
std::mutex& WriteFaultsMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::map<std::string, WriteFault>& WriteFaults() {
    static auto* faults = new std::map<std::string, WriteFault>;
    return *faults;
}

// How many of size bytes the printer accepts now, and the error for the rest.
uint64_t AcceptedBytes(const std::u16string& printerName, uint64_t size, DWORD* error) {
    std::lock_guard lock(WriteFaultsMutex());
    auto it = WriteFaults().find(db::FoldKey(printerName));
    if (it == WriteFaults().end()) return size;
    const uint64_t accepted = std::min(size, it->second.acceptBytes);
    it->second.acceptBytes -= accepted;
    *error = it->second.error;
    return accepted;
}

std::atomic<DWORD> g_nextDocumentId{1};

std::mutex& ObserverMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::function<void(const PrinterOutputEvent&)>& Observer() {
    static auto* observer = new std::function<void(const PrinterOutputEvent&)>;
    return *observer;
}

// Tells the observer, outside every lock of the handle (it may call the spooler itself).
void Tell(PrinterOutputEvent::Kind kind, const std::u16string& printerName, DWORD bytes = 0) {
    std::function<void(const PrinterOutputEvent&)> observer;
    {
        std::lock_guard lock(ObserverMutex());
        observer = Observer();
    }
    if (!observer) return;
    PrinterOutputEvent event;
    event.kind = kind;
    event.printerName = printerName;
    event.bytes = bytes;
    observer(event);
}

}  // namespace

fs::path PortOutputPath(const std::u16string& portName) {
    if (portName.find_first_of(u"\\/") != std::u16string::npos) return HostPath(portName);
    std::u16string name = portName;
    if (!name.empty() && name.back() == u':') name.pop_back();
    if (name.empty()) return {};
    std::string file;
    for (char16_t c : name) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        file += IsPortNameCharacter(c) ? static_cast<char>(c) : '_';
    }
    return MachineRoot() / "ports" / (file + ".prn");
}

void FailPrinterWrites(const std::u16string& printerName, uint64_t acceptBytes, DWORD error) {
    std::lock_guard lock(WriteFaultsMutex());
    if (error == ERROR_SUCCESS)
        WriteFaults().erase(db::FoldKey(printerName));
    else
        WriteFaults()[db::FoldKey(printerName)] = WriteFault{acceptBytes, error};
}

void SetPrinterOutputObserver(std::function<void(const PrinterOutputEvent&)> observer) {
    std::lock_guard lock(ObserverMutex());
    Observer() = std::move(observer);
}

namespace spool {

bool ParseJobName(const std::u16string& name, std::u16string* printerName, DWORD* jobId) {
    static constexpr std::u16string_view kJob = u", Job ";
    // The last one: a printer's own name may hold ", Job " too.
    const size_t at = name.rfind(kJob);
    if (at == std::u16string::npos || at == 0) return false;
    const std::u16string_view digits = std::u16string_view(name).substr(at + kJob.size());
    if (digits.empty() || digits.size() > 10) return false;
    uint64_t id = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return false;
        id = id * 10 + static_cast<uint64_t>(c - u'0');
    }
    if (id == 0 || id > 0xFFFFFFFFu) return false;
    *printerName = name.substr(0, at);
    *jobId = static_cast<DWORD>(id);
    return true;
}

DWORD AttachJob(PrinterHandle& handle, DWORD jobId) {
    const auto job = FindJob(jobId);
    if (!job || db::FoldKey(job->printerName) != db::FoldKey(handle.printerName)) return ERROR_INVALID_PRINTER_NAME;
    handle.io.jobId = jobId;
    handle.io.spoolFile = job->spoolFile;
    return ERROR_SUCCESS;
}

}  // namespace spool
}  // namespace palvex

using palvex::GuardedCall;
using palvex::PrinterHandles;

DWORD StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
    DWORD documentId = 0;
    std::u16string printerName;
    const DWORD result = GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (Level != 1) return ERROR_INVALID_LEVEL;
        if (!pDocInfo) return RPC_X_NULL_REF_POINTER;
        const auto* info = reinterpret_cast<const DOC_INFO_1W*>(pDocInfo);
        std::lock_guard lock(handle->io.mutex);
        if (handle->io.documentStarted) return ERROR_INVALID_PRINTER_STATE;
        std::filesystem::path output;
        DWORD error = ERROR_SUCCESS;
        if (info->pOutputFile && *info->pOutputFile) {
            // Printing to a file makes the file anew.
            output = palvex::HostPath(info->pOutputFile);
            if (!palvex::OpenFile(output, "wb", &error)) return error;
        } else {
            const auto printer = palvex::spool::ReadPrinterDetails(handle->printerId);
            if (!printer) return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
            output = palvex::PortOutputPath(printer->portName);
            if (output.parent_path() == palvex::MachineRoot() / "ports") {
                std::error_code ignored;
                std::filesystem::create_directories(output.parent_path(), ignored);
            }
            if (!palvex::OpenFile(output, "ab", &error)) return error;
        }
        handle->io.documentStarted = true;
        handle->io.output = std::move(output);
        handle->io.documentId = handle->io.jobId != 0 ? handle->io.jobId : palvex::g_nextDocumentId++;
        documentId = handle->io.documentId;
        printerName = handle->printerName;
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS) {
        SetLastError(result);
        return 0;
    }
    palvex::Tell(palvex::PrinterOutputEvent::StartDoc, printerName);
    return documentId;
}

BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
    std::u16string printerName;
    const DWORD result = GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (!pcWritten) return RPC_X_NULL_REF_POINTER;
        *pcWritten = 0;
        if (!pBuf && cbBuf != 0) return ERROR_INVALID_USER_BUFFER;
        std::lock_guard lock(handle->io.mutex);
        if (!handle->io.documentStarted) return ERROR_SPL_NO_STARTDOC;
        DWORD refused = ERROR_SUCCESS;
        const auto accepted = static_cast<size_t>(palvex::AcceptedBytes(handle->printerName, cbBuf, &refused));
        DWORD error = ERROR_SUCCESS;
        palvex::File file = palvex::OpenFile(handle->io.output, "ab", &error);
        if (!file) return error;
        const size_t written = accepted ? std::fwrite(pBuf, 1, accepted, file.get()) : 0;
        const bool flushed = std::fflush(file.get()) == 0;
        *pcWritten = static_cast<DWORD>(written);
        if (written != accepted || !flushed) return ERROR_WRITE_FAULT;
        printerName = handle->printerName;
        return accepted == cbBuf ? ERROR_SUCCESS : refused;
    });
    if (result != ERROR_SUCCESS) return palvex::Finish(result);
    palvex::Tell(palvex::PrinterOutputEvent::Write, printerName, cbBuf);
    return TRUE;
}

BOOL EndDocPrinter(HANDLE hPrinter) {
    std::u16string printerName;
    const DWORD result = GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        std::lock_guard lock(handle->io.mutex);
        if (!handle->io.documentStarted) return ERROR_SPL_NO_STARTDOC;
        handle->io.documentStarted = false;
        handle->io.output.clear();
        handle->io.documentId = 0;
        printerName = handle->printerName;
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS) return palvex::Finish(result);
    palvex::Tell(palvex::PrinterOutputEvent::EndDoc, printerName);
    return TRUE;
}

BOOL ReadPrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pNoBytesRead) {
    return palvex::Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (!pNoBytesRead) return RPC_X_NULL_REF_POINTER;
        *pNoBytesRead = 0;
        if (!pBuf && cbBuf != 0) return ERROR_INVALID_USER_BUFFER;
        std::lock_guard lock(handle->io.mutex);
        if (handle->io.jobId == 0) return ERROR_NOT_SUPPORTED;
        if (handle->io.spoolFile.empty() || cbBuf == 0) return ERROR_SUCCESS;
        DWORD error = ERROR_SUCCESS;
        palvex::File file = palvex::OpenFile(palvex::HostPath(handle->io.spoolFile), "rb", &error);
        if (!file) return ERROR_FILE_NOT_FOUND;
        if (fseeko(file.get(), static_cast<off_t>(handle->io.readOffset), SEEK_SET) != 0) return ERROR_READ_FAULT;
        const size_t read = std::fread(pBuf, 1, cbBuf, file.get());
        if (read < cbBuf && std::ferror(file.get())) return ERROR_READ_FAULT;
        handle->io.readOffset += read;
        *pNoBytesRead = static_cast<DWORD>(read);
        return ERROR_SUCCESS;
    }));
}
