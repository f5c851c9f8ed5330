// The logs of printer device contexts (palvex/recording_dc.h).
#include <atomic>
#include <deque>
#include <map>

#include "gdi/gdi_printer_dc.h"

namespace palvex {
namespace {

// The logs of the most recent jobs stay readable by job id after their contexts are gone; older
// ones are let go, so that a process printing job after job does not keep every page it printed.
constexpr size_t kJobLogsKept = 16;

struct LogRegistry {
    std::mutex mutex;
    std::map<DWORD, std::shared_ptr<gdi::DcLogHolder>> byJob;
    std::deque<std::pair<DWORD, std::shared_ptr<gdi::DcLogHolder>>> order;  // registrations, oldest first
    std::shared_ptr<gdi::DcLogHolder> last;
};

LogRegistry& Registry() {
    static auto* registry = new LogRegistry;  // outlives every static destructor
    return *registry;
}

std::optional<DcLog> Copy(const std::shared_ptr<gdi::DcLogHolder>& holder) {
    if (!holder) return std::nullopt;
    std::lock_guard lock(holder->mutex);
    return holder->log;
}

std::atomic<bool> g_keepSides{false};

}  // namespace

void KeepPrintedSides(bool keep) {
    g_keepSides = keep;
}

namespace gdi {

bool KeepingPrintedSides() {
    return g_keepSides;
}

void RegisterLog(const std::shared_ptr<DcLogHolder>& log, DWORD jobId) {
    LogRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    if (jobId) {
        registry.byJob[jobId] = log;
        registry.order.emplace_back(jobId, log);
        while (registry.order.size() > kJobLogsKept) {
            const auto& [oldJob, oldLog] = registry.order.front();
            const auto it = registry.byJob.find(oldJob);
            if (it != registry.byJob.end() && it->second == oldLog) registry.byJob.erase(it);
            registry.order.pop_front();
        }
    }
    registry.last = log;
}

}  // namespace gdi

std::vector<DWORD> PrintedSide::pageNumbers() const {
    std::vector<DWORD> numbers;
    for (const auto& page : pages) numbers.push_back(page.page);
    return numbers;
}

std::vector<const PrintedSide*> DcLog::sides() const {
    std::vector<const PrintedSide*> all;
    for (const auto& document : documents)
        for (const auto& side : document.sides) all.push_back(&side);
    return all;
}

size_t DcLog::sideCount() const {
    size_t count = 0;
    for (const auto& document : documents) count += document.sideCount;
    return count;
}

std::vector<std::vector<BYTE>> DcLog::resets() const {
    // Equal DEVMODEs are kept once: each reset names its own.
    std::vector<std::vector<BYTE>> given;
    for (const DcEvent& event : events)
        if (event.call == DcCall::ResetDC && event.devMode < devModes.size()) given.push_back(devModes[event.devMode]);
    return given;
}

std::optional<DcLog> ReadDcLog(HDC dc) {
    const auto context = gdi::FindPrinterContext(dc);
    if (!context) return std::nullopt;
    return Copy(context->printer->log);
}

std::optional<DcLog> ReadJobDcLog(DWORD jobId) {
    std::shared_ptr<gdi::DcLogHolder> holder;
    {
        std::lock_guard lock(Registry().mutex);
        const auto it = Registry().byJob.find(jobId);
        if (it != Registry().byJob.end()) holder = it->second;
    }
    return Copy(holder);
}

std::optional<DcLog> ReadLastPrinterDcLog() {
    std::shared_ptr<gdi::DcLogHolder> holder;
    {
        std::lock_guard lock(Registry().mutex);
        holder = Registry().last;
    }
    return Copy(holder);
}

}  // namespace palvex
