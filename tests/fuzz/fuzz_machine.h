// A simulated machine of its own for a harness whose reader asks the machine (languages, files).
// It is made once and its folder removed at exit without going through the machine's own
// teardown, which the exit's thread-local cleanup has already run by then.
#pragma once

#include <cstdlib>
#include <filesystem>

#include <palvex/machine.h>

namespace fuzz {

inline void UseOwnMachine() {
    // The folder's name outlives every destructor that runs at exit, the removal's own included.
    static char folder[] = "/dev/shm/palvex-fuzz-XXXXXX";
    static char onDisk[] = "/tmp/palvex-fuzz-XXXXXX";
    static const char* const root = [] {
        // In memory where the system has a memory file system: a harness writes and reads the
        // machine's files and database on every input, and a disk would make it crawl.
        const char* made = mkdtemp(folder);
        if (!made) made = mkdtemp(onDisk);
        if (!made) std::abort();
        palvex::InitMachine(made);
        palvex::SetMachineRoot(made);
        std::atexit([] { std::error_code ignored; std::filesystem::remove_all(root, ignored); });
        return made;
    }();
}

}  // namespace fuzz
