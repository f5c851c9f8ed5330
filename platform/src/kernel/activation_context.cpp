// Activation contexts: made from a module's manifest resource, kept as a counted record.
#include <win/winbase_actctx.h>
#include <win/windows.h>

#include <mutex>
#include <set>

namespace {

struct ActivationContext {
    LONG references = 1;
};

std::mutex& ContextsLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::set<ActivationContext*>& Contexts() {
    static auto* contexts = new std::set<ActivationContext*>;
    return *contexts;
}

}  // namespace

HANDLE CreateActCtxW(PCACTCTXW pActCtx) {
    if (!pActCtx || pActCtx->cbSize < sizeof(ACTCTXW) || !pActCtx->lpSource || !*pActCtx->lpSource) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    LPCWSTR name = (pActCtx->dwFlags & ACTCTX_FLAG_RESOURCE_NAME_VALID) ? pActCtx->lpResourceName : MAKEINTRESOURCEW(1);
    HMODULE module = LoadLibraryExW(pActCtx->lpSource, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return INVALID_HANDLE_VALUE;  // the loader's error stands
    const bool found = FindResourceW(module, name, RT_MANIFEST) != nullptr;
    const DWORD error = GetLastError();
    FreeLibrary(module);
    if (!found) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    auto* context = new ActivationContext;
    std::lock_guard lock(ContextsLock());
    Contexts().insert(context);
    return context;
}

void ReleaseActCtx(HANDLE hActCtx) {
    auto* context = static_cast<ActivationContext*>(hActCtx);
    std::lock_guard lock(ContextsLock());
    if (!Contexts().count(context)) return;
    if (--context->references == 0) {
        Contexts().erase(context);
        delete context;
    }
}
