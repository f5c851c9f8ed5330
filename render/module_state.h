// The module's process-wide state: its own handle, and the counts DllCanUnloadNow tests (live
// factories and plug-in objects, and server locks), both interlocked.
#pragma once

#include <win/windows.h>

class ComServerCounts;  // com_server.h

namespace render {

// The server's counts of live factories and plug-in objects and of server locks.
ComServerCounts& ServerCounts();

void SetModuleHandle(HMODULE module);
// The module's handle as DllMain was given it (its own string resources are read through it).
HMODULE ModuleHandle();

// A plug-in object is made or gone (counted in ServerCounts()).
void ObjectCreated();
void ObjectDestroyed();

}  // namespace render
