// Which machine folder this process uses.
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>

#include <palvex/machine.h>

#include "machine/machine_db.h"

#ifndef PALVEX_DEFAULT_MACHINE
#error "PALVEX_DEFAULT_MACHINE must name the build's default machine folder"
#endif

namespace palvex {
namespace {

std::mutex g_rootMutex;
std::optional<std::filesystem::path> g_root;  // resolved on first use
std::atomic<uint64_t> g_rootGeneration{1};

std::filesystem::path Absolute(const std::filesystem::path& root) {
    return std::filesystem::absolute(root.empty() ? std::filesystem::path(PALVEX_DEFAULT_MACHINE) : root).lexically_normal();
}

}  // namespace

std::filesystem::path MachineRoot() {
    std::lock_guard lock(g_rootMutex);
    if (!g_root) {
        const char* fromEnvironment = std::getenv("PALVEX_MACHINE");
        g_root = Absolute(fromEnvironment && *fromEnvironment ? fromEnvironment : PALVEX_DEFAULT_MACHINE);
    }
    return *g_root;
}

void SetMachineRoot(const std::filesystem::path& root) {
    {
        std::lock_guard lock(g_rootMutex);
        g_root = Absolute(root);
        ++g_rootGeneration;
    }
    db::CloseThreadConnection();
}

void InitMachine(const std::filesystem::path& root) {
    db::CreateDatabase(Absolute(root));
}

namespace db {

std::filesystem::path CurrentRoot() {
    return MachineRoot();
}

uint64_t RootGeneration() {
    return g_rootGeneration.load(std::memory_order_acquire);
}

}  // namespace db
}  // namespace palvex
