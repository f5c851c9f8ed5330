// A simulated machine of its own for a harness whose reader asks the machine (languages, files).
// It is made once and its folder removed at exit without going through the machine's own
// teardown, which the exit's thread-local cleanup has already run by then.
#pragma once

#include <cstdlib>
#include <filesystem>

#include <palvex/machine.h>

namespace fuzz {

inline void UseOwnMachine() {
    static const std::filesystem::path root = [] {
        // In memory where the system has a memory file system: a harness writes and reads the
        // machine's files and database on every input, and a disk would make it crawl.
        char inMemory[] = "/dev/shm/palvex-fuzz-XXXXXX";
        char onDisk[] = "/tmp/palvex-fuzz-XXXXXX";
        const char* folder = mkdtemp(inMemory);
        if (!folder) folder = mkdtemp(onDisk);
        if (!folder) std::abort();
        palvex::InitMachine(folder);
        palvex::SetMachineRoot(folder);
        std::atexit([] { std::error_code ignored; std::filesystem::remove_all(root, ignored); });
        return std::filesystem::path(folder);
    }();
}

}  // namespace fuzz
