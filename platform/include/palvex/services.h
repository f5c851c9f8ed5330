// The machine's services, as tests and the machine's tool set them up. Every machine has the
// print spooler "spooler", running. A service has a state, the services it depends on, and how
// long a stop and a start take on the machine clock (0: at once; kNever: it never gets there).
#pragma once

#include <string>
#include <vector>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

inline constexpr DWORD kNever = 0xFFFFFFFF;

struct ServiceDesc {
    std::u16string name;
    std::vector<std::u16string> dependsOn;  // services that must run for this one
    bool running = true;
    DWORD stopMs = 0;   // how long it stays STOP_PENDING
    DWORD startMs = 0;  // how long it stays START_PENDING
    DWORD waitHint = 1000;
};

// Adds a service, or replaces the one of that name (its dependents stay).
PALVEX_API void AddService(const ServiceDesc& service);
// The service's state now (SERVICE_STOPPED, ..._PENDING, SERVICE_RUNNING), 0 for an unknown name.
PALVEX_API DWORD ServiceState(const std::u16string& name);
// How long the next stops and starts of a known service take.
PALVEX_API void SetServiceTiming(const std::u16string& name, DWORD stopMs, DWORD startMs);
// Whether the print spooler runs; while it does not, the spooler's calls fail with
// RPC_S_SERVER_UNAVAILABLE.
PALVEX_API bool SpoolerRuns();

}  // namespace palvex
