// The spooled-EMF playback functions (win/gdi_spool.h) over the EMF spool reader, the machine's
// jobs and a recording printer device context.
#include <win/gdi_spool.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <mutex>

#include <palvex/jobs.h>
#include <palvex/paths.h>
#include <win/winspool_levels.h>
#include <win/winuser.h>

#include "machine/api_guard.h"
#include "gdi/emf_spool_reader.h"
#include "gdi/gdi_printer_dc.h"
#include "kernel/handle_table.h"
#include "spooler/jobs_store.h"
#include "machine/machine_db.h"
#include "spooler/printer_handles.h"
#include "spooler/spool_progress.h"
#include "spooler/spooler_store.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

struct SpoolHandle {
    std::mutex mutex;
    DWORD jobId = 0;
    std::filesystem::path file;
    explicit SpoolHandle(std::filesystem::path path) : file(path), reader(std::move(path)) {}
    emf::SpoolFileReader reader;
    bool spooled = false;    // the spooler has finished the file and all of it is read
    bool reported = false;   // the fault of the file went to the debugger output
    std::vector<BYTE> ownDevMode;                             // given to GdiGetSpoolFileHandle
    std::vector<std::unique_ptr<std::vector<BYTE>>> devModes;  // the file's, writable for the caller
    std::vector<HANDLE> pageHandles;                          // made on first use
    HDC dc = nullptr;
};

struct PageHandle {
    std::weak_ptr<SpoolHandle> spool;
    size_t index = 0;
};

HandleTable<SpoolHandle>& SpoolHandles() {
    static auto* table = new HandleTable<SpoolHandle>;  // outlives every static destructor
    return *table;
}

HandleTable<PageHandle>& PageHandles() {
    static auto* table = new HandleTable<PageHandle>;
    return *table;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

std::shared_ptr<SpoolHandle> FindSpool(HANDLE handle) {
    auto spool = SpoolHandles().Find(handle);
    if (!spool) SetLastError(ERROR_INVALID_HANDLE);
    return spool;
}

// The job id of the spooler's document name "<printer>, Job <id>", or 0.
DWORD JobIdOfDocumentName(const std::u16string& name, std::u16string* printer) {
    DWORD jobId = 0;
    return spool::ParseJobName(name, printer, &jobId) ? jobId : 0;
}

bool JobCancelled(DWORD jobId) {
    const auto status = spool::JobStatus(jobId);
    return !status || (*status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) != 0;
}

// Reads what the spool file gained since the last look (call with the handle locked).
DWORD Update(SpoolHandle& spool) {
    if (spool.spooled) return ERROR_SUCCESS;
    const bool finished = !spool::IsSpooling(spool.file);  // before reading, so no page is missed
    if (!spool.reader.Refresh(finished)) {
        if (!spool.reported) {
            spool.reported = true;
            const std::string line = "EMF spool file " + spool.file.string() + ": " + spool.reader.error() + "\n";
            OutputDebugStringW(text::FromUtf8(line).c_str());
        }
        return spool.reader.missing() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_DATA;
    }
    const auto& found = spool.reader.parser().devModes();
    for (size_t i = spool.devModes.size(); i < found.size(); ++i)
        spool.devModes.push_back(std::make_unique<std::vector<BYTE>>(*found[i]));
    spool.spooled = finished;
    return ERROR_SUCCESS;
}

// Reads the spool file until ready() holds or the file is finished, waiting for the spooler
// meanwhile (call with the handle locked; the lock is let go while waiting).
template <class Ready>
DWORD WaitUntil(std::unique_lock<std::mutex>& lock, SpoolHandle& spool, Ready&& ready) {
    for (;;) {
        const uint64_t seen = spool::SpoolChangeCount();
        if (const DWORD error = Update(spool)) return error;
        if (ready() || spool.spooled) return ERROR_SUCCESS;
        if (JobCancelled(spool.jobId)) return ERROR_PRINT_CANCELLED;
        lock.unlock();
        spool::WaitForSpoolChange(seen);
        lock.lock();
    }
}

DWORD GuardedSpoolCall(const std::function<DWORD()>& body) {
    return GuardedCall(RPC_S_SERVER_UNAVAILABLE, body);
}

}  // namespace
}  // namespace palvex

using palvex::PageHandle;
using palvex::SpoolHandle;

HANDLE GdiGetSpoolFileHandle(LPWSTR pwszPrinterName, LPDEVMODEW pDevmode, LPWSTR pwszDocName) {
    HANDLE result = nullptr;
    const DWORD error = palvex::GuardedSpoolCall([&]() -> DWORD {
        if (!pwszPrinterName || !*pwszPrinterName || !pwszDocName || !*pwszDocName) return ERROR_INVALID_PARAMETER;
        std::u16string namedPrinter;
        const DWORD jobId = palvex::JobIdOfDocumentName(pwszDocName, &namedPrinter);
        const auto job = jobId ? palvex::FindJob(jobId) : std::nullopt;
        const auto printer = palvex::spool::FindPrinter(pwszPrinterName);
        if (!job || !printer || palvex::db::FoldKey(job->printerName) != palvex::db::FoldKey(printer->name) ||
            palvex::db::FoldKey(namedPrinter) != palvex::db::FoldKey(printer->name))
            return ERROR_INVALID_PARAMETER;
        const std::filesystem::path file = palvex::HostPath(job->spoolFile);
        if (file.empty()) return ERROR_FILE_NOT_FOUND;

        auto spool = std::make_shared<SpoolHandle>(file);
        spool->jobId = jobId;
        spool->ownDevMode = pDevmode ? palvex::gdi::CopyDevMode(pDevmode) : job->devMode;
        if (pDevmode && spool->ownDevMode.empty()) return ERROR_INVALID_PARAMETER;
        {
            std::unique_lock lock(spool->mutex);
            if (const DWORD error = palvex::WaitUntil(lock, *spool, [&] { return spool->reader.parser().headerRead(); }))
                return error;
        }
        spool->dc = palvex::gdi::CreatePrinterDc(printer->name, spool->ownDevMode, jobId);
        result = palvex::SpoolHandles().Insert(std::move(spool));
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) SetLastError(error);
    return result;
}

BOOL GdiDeleteSpoolFileHandle(HANDLE SpoolFileHandle) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    palvex::SpoolHandles().Remove(SpoolFileHandle);
    std::lock_guard lock(spool->mutex);
    for (HANDLE page : spool->pageHandles)
        if (page) palvex::PageHandles().Remove(page);
    if (spool->dc) DeleteDC(spool->dc);
    return TRUE;
}

HDC GdiGetDC(HANDLE SpoolFileHandle) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    return spool ? spool->dc : nullptr;
}

DWORD GdiGetPageCount(HANDLE SpoolFileHandle) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return 0;
    DWORD count = 0;
    const DWORD error = palvex::GuardedSpoolCall([&]() -> DWORD {
        std::unique_lock lock(spool->mutex);
        if (const DWORD error = palvex::WaitUntil(lock, *spool, [] { return false; })) return error;
        count = static_cast<DWORD>(spool->reader.parser().pages().size());
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return 0;
    }
    return count;
}

HANDLE GdiGetPageHandle(HANDLE SpoolFileHandle, DWORD Page, LPDWORD pdwPageType) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return nullptr;
    HANDLE page = nullptr;
    const DWORD error = palvex::GuardedSpoolCall([&]() -> DWORD {
        if (Page == 0) return ERROR_INVALID_PARAMETER;
        if (palvex::JobCancelled(spool->jobId)) return ERROR_PRINT_CANCELLED;
        std::unique_lock lock(spool->mutex);
        const auto& pages = spool->reader.parser().pages();
        if (const DWORD error = palvex::WaitUntil(lock, *spool, [&] { return pages.size() >= Page; })) return error;
        if (pages.size() < Page) return ERROR_NO_MORE_ITEMS;
        if (spool->pageHandles.size() < pages.size()) spool->pageHandles.resize(pages.size(), nullptr);
        HANDLE& handle = spool->pageHandles[Page - 1];
        if (!handle) handle = palvex::PageHandles().Insert(std::make_shared<PageHandle>(PageHandle{spool, Page - 1}));
        page = handle;
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    if (pdwPageType) *pdwPageType = EMF_PP_NORMAL;
    return page;
}

BOOL GdiGetDevmodeForPage(HANDLE SpoolFileHandle, DWORD dwPageNumber, PDEVMODEW* pCurrDM, PDEVMODEW* pLastDM) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    const DWORD error = palvex::GuardedSpoolCall([&]() -> DWORD {
        if (dwPageNumber == 0 || !pCurrDM) return ERROR_INVALID_PARAMETER;
        std::unique_lock lock(spool->mutex);
        const auto& pages = spool->reader.parser().pages();
        if (const DWORD error = palvex::WaitUntil(lock, *spool, [&] { return pages.size() >= dwPageNumber; })) return error;
        if (pages.size() < dwPageNumber) return ERROR_NO_MORE_ITEMS;
        const auto devModeOf = [&](size_t index) {
            const int devMode = pages[index].devMode;
            std::vector<BYTE>& bytes = devMode < 0 ? spool->ownDevMode : *spool->devModes[static_cast<size_t>(devMode)];
            return bytes.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(bytes.data());
        };
        *pCurrDM = devModeOf(dwPageNumber - 1);
        if (pLastDM) *pLastDM = dwPageNumber > 1 ? devModeOf(dwPageNumber - 2) : nullptr;
        return *pCurrDM ? ERROR_SUCCESS : ERROR_INVALID_DATA;
    });
    return error == ERROR_SUCCESS ? TRUE : palvex::Fail(error);
}

BOOL GdiStartDocEMF(HANDLE SpoolFileHandle, DOCINFOW* pDocInfo) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    return StartDocW(spool->dc, pDocInfo) > 0;
}

BOOL GdiStartPageEMF(HANDLE SpoolFileHandle) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    return StartPage(spool->dc) > 0;
}

BOOL GdiEndPageEMF(HANDLE SpoolFileHandle, DWORD) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    return EndPage(spool->dc) > 0;
}

BOOL GdiEndDocEMF(HANDLE SpoolFileHandle) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    return EndDoc(spool->dc) > 0;
}

BOOL GdiResetDCEMF(HANDLE SpoolFileHandle, PDEVMODEW pCurrDM) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    return ResetDCW(spool->dc, pCurrDM) != nullptr;
}

BOOL GdiPlayPageEMF(HANDLE SpoolFileHandle, HANDLE hemf, RECT* prectDocument, RECT* prectBorder, RECT* prectClip) {
    auto spool = palvex::FindSpool(SpoolFileHandle);
    if (!spool) return FALSE;
    const auto page = palvex::PageHandles().Find(hemf);
    if (!page || page->spool.lock() != spool) return palvex::Fail(ERROR_INVALID_HANDLE);
    if (!prectDocument) return palvex::Fail(ERROR_INVALID_PARAMETER);
    const DWORD error = palvex::GuardedSpoolCall([&]() -> DWORD {
        if (palvex::JobCancelled(spool->jobId)) return ERROR_PRINT_CANCELLED;
        const auto context = palvex::gdi::FindPrinterContext(spool->dc);
        if (!context) return ERROR_INVALID_HANDLE;
        palvex::PlayedPage played;
        played.page = static_cast<DWORD>(page->index + 1);
        played.document = *prectDocument;
        if (prectBorder) played.border = *prectBorder;
        if (prectClip) played.clip = *prectClip;
        {
            std::lock_guard lock(spool->mutex);
            played.metafile = spool->reader.ReadPage(page->index);
        }
        if (!played.metafile) return ERROR_INVALID_DATA;
        return palvex::gdi::RecordPlayedPage(context, std::move(played)) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    });
    return error == ERROR_SUCCESS ? TRUE : palvex::Fail(error);
}
