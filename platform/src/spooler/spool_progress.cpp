// The machine's list of spool files still being written.
#include "spooler/spool_progress.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "machine/machine_db.h"

namespace palvex::spool {
namespace {

const db::SchemaPart kSpoolingSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_files_spooling (
    path TEXT PRIMARY KEY);
)sql");

// How often a waiter looks at the machine for changes made by other processes.
constexpr auto kPollInterval = std::chrono::milliseconds(5);

struct ChangeSignal {
    std::mutex mutex;
    std::condition_variable changed;
    uint64_t count = 0;
};

ChangeSignal& Signal() {
    static auto* signal = new ChangeSignal;  // outlives every static destructor
    return *signal;
}

}  // namespace

std::string SpoolFileKey(const std::filesystem::path& file) {
    return std::filesystem::absolute(file).lexically_normal().string();
}

void MarkSpooling(const std::filesystem::path& file) {
    db::Statement("INSERT OR IGNORE INTO spool_files_spooling (path) VALUES (?1)").Bind(1, SpoolFileKey(file)).Run();
    NotifySpoolChanged();
}

void MarkSpooled(const std::filesystem::path& file) {
    db::Statement("DELETE FROM spool_files_spooling WHERE path = ?1").Bind(1, SpoolFileKey(file)).Run();
    NotifySpoolChanged();
}

bool IsSpooling(const std::filesystem::path& file) {
    db::Statement find("SELECT 1 FROM spool_files_spooling WHERE path = ?1");
    find.Bind(1, SpoolFileKey(file));
    return find.Step();
}

uint64_t SpoolChangeCount() {
    std::lock_guard lock(Signal().mutex);
    return Signal().count;
}

void NotifySpoolChanged() {
    {
        std::lock_guard lock(Signal().mutex);
        ++Signal().count;
    }
    Signal().changed.notify_all();
}

void WaitForSpoolChange(uint64_t seen) {
    std::unique_lock lock(Signal().mutex);
    Signal().changed.wait_for(lock, kPollInterval, [&] { return Signal().count != seen; });
}

}  // namespace palvex::spool
