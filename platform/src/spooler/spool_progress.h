// Spool files still being written (internal to the platform library).
//
// While an application (or a test) spools a job, its spool file is marked as spooling in the
// machine, so that every process of the machine knows that more pages will come. Readers that
// need pages not written yet wait: a change made in this process wakes them at once, a change
// made by another process is seen within a few milliseconds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace palvex::spool {

// The key under which a spool file is marked: its absolute, normalised host path.
std::string SpoolFileKey(const std::filesystem::path& file);

void MarkSpooling(const std::filesystem::path& file);
void MarkSpooled(const std::filesystem::path& file);
bool IsSpooling(const std::filesystem::path& file);

// A number that changes whenever this process adds to or finishes a spool file.
uint64_t SpoolChangeCount();
// Tells this process's waiters that a spool file changed.
void NotifySpoolChanged();
// Returns when SpoolChangeCount() differs from seen, or after a short while (the time another
// process's change takes to be noticed).
void WaitForSpoolChange(uint64_t seen);

}  // namespace palvex::spool
