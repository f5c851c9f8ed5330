#include "device_info_query.h"

#include <dlfcn.h>

#include <string>

#include <palvex/ordinals.h>
#include <win/winosinfo.h>

namespace {

constexpr WORD kGetTraysInfoOrdinal = 2;
constexpr char kLibraryName[] = "libtovqebco.so";

// The folder of the module that holds an address, with its trailing slash; empty when unknown.
std::string FolderOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The driver libraries live together: beside this module, beside the platform's library (this
// module linked into a program), or where the loader looks for libraries.
void* LoadCommonLibrary() {
    const void* here = reinterpret_cast<const void*>(&ImportGetTraysInfo);
    const void* platform = reinterpret_cast<const void*>(&GetVersionExW);
    for (const void* address : {here, platform}) {
        const std::string folder = FolderOf(address);
        if (folder.empty()) continue;
        if (void* library = dlopen((folder + kLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL)) return library;
    }
    return dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
}

GetTraysInfoFunction Resolve() {
    void* library = LoadCommonLibrary();
    if (!library) return nullptr;
    const auto* table = static_cast<const PalvexOrdinalEntry*>(dlsym(library, PALVEX_ORDINAL_TABLE_SYMBOL));
    for (const PalvexOrdinalEntry* entry = table; entry && entry->ordinal; ++entry)
        if (entry->ordinal == kGetTraysInfoOrdinal)
            return reinterpret_cast<GetTraysInfoFunction>(const_cast<void*>(entry->function));
    return nullptr;
}

}  // namespace

GetTraysInfoFunction ImportGetTraysInfo() {
    static const GetTraysInfoFunction function = Resolve();
    return function;
}
