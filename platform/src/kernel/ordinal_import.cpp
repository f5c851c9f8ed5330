// Resolving a driver library's function by ordinal, as an import table does.
#include <dlfcn.h>

#include <string>

#include <palvex/ordinals.h>

namespace {

// The folder of the module that holds an address, with its trailing slash; empty when unknown.
std::string FolderOf(const void* address) {
    Dl_info info{};
    if (!address || !dladdr(address, &info) || !info.dli_fname) return {};
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void* LoadBeside(const char* library, const void* importer) {
    const void* platform = reinterpret_cast<const void*>(&palvex::ImportByOrdinal);
    for (const void* address : {importer, platform}) {
        const std::string folder = FolderOf(address);
        if (folder.empty()) continue;
        if (void* loaded = dlopen((folder + library).c_str(), RTLD_NOW | RTLD_LOCAL)) return loaded;
    }
    return dlopen(library, RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

const void* palvex::ImportByOrdinal(const char* library, WORD ordinal, const void* importer) {
    if (!library || ordinal == 0) return nullptr;
    void* loaded = LoadBeside(library, importer);
    if (!loaded) return nullptr;
    const auto* table = static_cast<const PalvexOrdinalEntry*>(dlsym(loaded, PALVEX_ORDINAL_TABLE_SYMBOL));
    for (const PalvexOrdinalEntry* entry = table; entry && entry->ordinal; ++entry)
        if (entry->ordinal == ordinal) return entry->function;
    return nullptr;
}
