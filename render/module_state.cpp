#include "module_state.h"

#include "com_server.h"

namespace render {
namespace {

HMODULE g_module = nullptr;

}  // namespace

ComServerCounts& ServerCounts() {
    static ComServerCounts counts;
    return counts;
}

void SetModuleHandle(HMODULE module) {
    g_module = module;
}

HMODULE ModuleHandle() {
    return g_module;
}

void ObjectCreated() {
    ServerCounts().ObjectCreated();
}

void ObjectDestroyed() {
    ServerCounts().ObjectDestroyed();
}

}  // namespace render
