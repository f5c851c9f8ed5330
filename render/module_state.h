// The module's process-wide state: its own handle, and the counts DllCanUnloadNow tests (live
// factories and plug-in objects, and server locks), both interlocked.
#pragma once

#include <win/windows.h>

namespace render {

void SetModuleHandle(HMODULE module);
// The module's handle as DllMain was given it (its own string resources are read through it).
HMODULE ModuleHandle();

void ObjectCreated();
void ObjectDestroyed();
LONG LiveObjects();

void LockServer(BOOL lock);
LONG ServerLocks();

}  // namespace render
