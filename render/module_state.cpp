#include "module_state.h"

namespace render {
namespace {

HMODULE g_module = nullptr;
LONG volatile g_liveObjects = 0;
LONG volatile g_serverLocks = 0;

}  // namespace

void SetModuleHandle(HMODULE module) {
    g_module = module;
}

HMODULE ModuleHandle() {
    return g_module;
}

void ObjectCreated() {
    InterlockedIncrement(&g_liveObjects);
}

void ObjectDestroyed() {
    InterlockedDecrement(&g_liveObjects);
}

LONG LiveObjects() {
    return __atomic_load_n(&g_liveObjects, __ATOMIC_SEQ_CST);
}

void LockServer(BOOL lock) {
    if (lock)
        InterlockedIncrement(&g_serverLocks);
    else
        InterlockedDecrement(&g_serverLocks);
}

LONG ServerLocks() {
    return __atomic_load_n(&g_serverLocks, __ATOMIC_SEQ_CST);
}

}  // namespace render
