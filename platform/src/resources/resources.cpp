// Libraries loaded as data files and the resources in them.
//
// A data-file module is the whole file in memory, checked once when it is loaded. Its handle is a
// number from the platform's handle counter with the low bit set (bit 1 instead for
// LOAD_LIBRARY_AS_IMAGE_RESOURCE), as Windows marks data-file handles; a resource handle (HRSRC)
// is the address of the resource's data entry in that memory and is checked against the module's
// index before it is used. A driver library's own resources (linked into the shared object) are
// held the same way under the library's module handle, from its load to its unload.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <mutex>
#include <unordered_map>
#include <utility>

#include <palvex/library_entry.h>
#include <palvex/paths.h>
#include <win/libloaderapi.h>
#include <win/winresource.h>
#include <win/winosinfo.h>

#include "machine/api_guard.h"
#include "kernel/handle_table.h"
#include "kernel/system_modules.h"
#include "resources/resources.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

struct DataModule {
    std::unique_ptr<pe::PeImage> image;
    bool library = false;  // a loaded library's own resources, not a data file: FreeLibrary keeps them
};

std::mutex g_modulesMutex;
std::unordered_map<uintptr_t, std::shared_ptr<DataModule>>& Modules() {
    static auto* modules = new std::unordered_map<uintptr_t, std::shared_ptr<DataModule>>;
    return *modules;
}

std::shared_ptr<DataModule> FindModule(HMODULE module) {
    std::lock_guard lock(g_modulesMutex);
    auto it = Modules().find(reinterpret_cast<uintptr_t>(module));
    return it == Modules().end() ? nullptr : it->second;
}

// The entry an HRSRC of this module points at, or null.
const pe::ResourceEntry* EntryOf(const DataModule& module, HRSRC resource) {
    const uintptr_t base = reinterpret_cast<uintptr_t>(module.image->Bytes());
    const uintptr_t at = reinterpret_cast<uintptr_t>(resource);
    if (at < base || at - base >= module.image->Size()) return nullptr;
    return module.image->EntryAt(at - base);
}

// The languages FindResourceExW tries for the neutral language, before the resource's first one.
std::vector<WORD> NeutralFallback() {
    const LANGID user = GetUserDefaultUILanguage();
    const LANGID system = GetSystemDefaultUILanguage();
    return {MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
            user,
            MAKELANGID(PRIMARYLANGID(user), SUBLANG_NEUTRAL),
            system,
            MAKELANGID(PRIMARYLANGID(system), SUBLANG_NEUTRAL),
            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
}

// The string of a string-table block: 16 strings, each a WORD length and that many characters.
bool StringInBlock(const uint8_t* block, DWORD size, UINT index, const WCHAR** text, WORD* length) {
    size_t offset = 0;
    for (UINT i = 0;; ++i) {
        WORD count = 0;
        if (size - offset < 2) return false;
        std::memcpy(&count, block + offset, 2);
        if ((size - offset - 2) / 2 < count) return false;
        if (i == index) {
            *text = reinterpret_cast<const WCHAR*>(block + offset + 2);
            *length = count;
            return true;
        }
        offset += 2 + size_t{count} * 2;
    }
}

}  // namespace

namespace res {

DWORD LoadImageFile(LPCWSTR path, std::unique_ptr<pe::PeImage>* image) {
    const fs::path host = HostPath(std::u16string_view(path));
    if (host.empty()) return ERROR_PATH_NOT_FOUND;
    std::error_code error;
    const fs::file_status status = fs::status(host, error);
    if (!fs::exists(status)) {
        return fs::is_directory(host.parent_path(), error) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (!fs::is_regular_file(status)) return ERROR_ACCESS_DENIED;
    std::ifstream file(host, std::ios::binary);
    if (!file) return ERROR_ACCESS_DENIED;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0) return ERROR_ACCESS_DENIED;
    file.seekg(0, std::ios::beg);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0 && !file.read(reinterpret_cast<char*>(bytes.data()), size)) return ERROR_ACCESS_DENIED;
    return pe::PeImage::Parse(std::move(bytes), image);
}

pe::ResourceKey KeyFromArgument(LPCWSTR argument) {
    if (IS_INTRESOURCE(argument)) return pe::ResourceKey::Id(LOWORD(argument));
    std::u16string_view text(argument);
    if (text.size() >= 2 && text.size() <= 6 && text[0] == u'#' &&
        std::all_of(text.begin() + 1, text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
        uint32_t id = 0;
        for (char16_t c : text.substr(1)) id = id * 10 + (c - u'0');
        if (id <= 0xFFFF) return pe::ResourceKey::Id(id);
    }
    return pe::ResourceKey::Name(text);
}

DWORD FindEntry(const pe::PeImage& image, const pe::ResourceKey& type, const pe::ResourceKey& name, WORD language,
                const pe::ResourceEntry** entry) {
    const std::vector<pe::ResourceEntry>* languages = nullptr;
    if (DWORD error = image.FindLanguages(type, name, &languages)) return error;
    auto find = [&](WORD wanted) {
        return std::find_if(languages->begin(), languages->end(),
                            [&](const pe::ResourceEntry& e) { return e.language == pe::ResourceKey::Id(wanted); });
    };
    if (language != MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) {
        auto it = find(language);
        if (it == languages->end()) return ERROR_RESOURCE_LANG_NOT_FOUND;
        *entry = &*it;
        return ERROR_SUCCESS;
    }
    for (WORD candidate : NeutralFallback()) {
        auto it = find(candidate);
        if (it != languages->end()) {
            *entry = &*it;
            return ERROR_SUCCESS;
        }
    }
    if (languages->empty()) return ERROR_RESOURCE_LANG_NOT_FOUND;
    *entry = &languages->front();
    return ERROR_SUCCESS;
}

}  // namespace res

HMODULE AttachLibrary(const void* address, const unsigned char* image, size_t size) {
    Dl_info info{};
    if (!address || !dladdr(address, &info) || !info.dli_fbase) return nullptr;
    const auto handle = reinterpret_cast<uintptr_t>(info.dli_fbase);
    auto module = std::make_shared<DataModule>();
    module->library = true;
    if (image && size > 0) {
        if (pe::PeImage::Parse(std::vector<uint8_t>(image, image + size), &module->image) != ERROR_SUCCESS) {
            OutputDebugStringW(u"palvex: the resources linked into a library are not a sound PE image\n");
            module->image.reset();
        }
    }
    std::shared_ptr<DataModule> replaced;  // freed outside the lock
    std::lock_guard lock(g_modulesMutex);
    if (module->image) {
        auto [it, added] = Modules().try_emplace(handle, module);
        if (!added) replaced = std::exchange(it->second, std::move(module));
    } else if (auto it = Modules().find(handle); it != Modules().end()) {
        replaced = std::move(it->second);
        Modules().erase(it);
    }
    return reinterpret_cast<HMODULE>(handle);
}

void DetachLibrary(HMODULE module) {
    std::shared_ptr<DataModule> released;  // freed outside the lock
    std::lock_guard lock(g_modulesMutex);
    auto it = Modules().find(reinterpret_cast<uintptr_t>(module));
    if (it == Modules().end() || !it->second->library) return;
    released = std::move(it->second);
    Modules().erase(it);
}

}  // namespace palvex

using namespace palvex;

HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
    HMODULE result = nullptr;
    const DWORD error = GuardedCall(ERROR_MOD_NOT_FOUND, [&]() -> DWORD {
        if (!lpLibFileName || !*lpLibFileName || hFile) return ERROR_INVALID_PARAMETER;
        const DWORD dataFlags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;
        if ((dwFlags & dataFlags) == 0) return ERROR_NOT_SUPPORTED;
        auto module = std::make_shared<DataModule>();
        DWORD loaded = res::LoadImageFile(lpLibFileName, &module->image);
        if (loaded == ERROR_FILE_NOT_FOUND || loaded == ERROR_PATH_NOT_FOUND) return ERROR_MOD_NOT_FOUND;
        if (loaded != ERROR_SUCCESS) return loaded;
        const uintptr_t handle = NextHandleValue() | ((dwFlags & LOAD_LIBRARY_AS_IMAGE_RESOURCE) ? 2 : 1);
        {
            std::lock_guard lock(g_modulesMutex);
            Modules().emplace(handle, std::move(module));
        }
        result = reinterpret_cast<HMODULE>(handle);
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) SetLastError(error);
    return result;
}

BOOL FreeLibrary(HMODULE hLibModule) {
    if (palvex::win::IsSystemModule(hLibModule)) return TRUE;  // the system's libraries stay loaded
    std::shared_ptr<DataModule> released;  // freed outside the lock
    {
        std::lock_guard lock(g_modulesMutex);
        auto it = Modules().find(reinterpret_cast<uintptr_t>(hLibModule));
        if (it == Modules().end()) {
            if (palvex::FreeBuiltinLibrary(hLibModule)) return TRUE;  // a built-in module's load
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (it->second->library) return TRUE;  // its loader unloads it
        released = std::move(it->second);
        Modules().erase(it);
    }
    return TRUE;
}

HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
    HRSRC result = nullptr;
    const DWORD error = GuardedCall(ERROR_RESOURCE_DATA_NOT_FOUND, [&]() -> DWORD {
        std::shared_ptr<DataModule> module = FindModule(hModule);
        if (!module) return ERROR_RESOURCE_DATA_NOT_FOUND;  // no resource image behind this handle
        const pe::ResourceEntry* entry = nullptr;
        if (DWORD found = res::FindEntry(*module->image, res::KeyFromArgument(lpType), res::KeyFromArgument(lpName), wLanguage, &entry))
            return found;
        result = reinterpret_cast<HRSRC>(const_cast<uint8_t*>(module->image->Bytes() + entry->entryOffset));
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) SetLastError(error);
    return result;
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    return FindResourceExW(hModule, lpType, lpName, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
    std::shared_ptr<DataModule> module = FindModule(hModule);
    const pe::ResourceEntry* entry = module ? EntryOf(*module, hResInfo) : nullptr;
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<uint8_t*>(module->image->Bytes() + entry->dataOffset);
}

LPVOID LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    std::shared_ptr<DataModule> module = FindModule(hModule);
    const pe::ResourceEntry* entry = module ? EntryOf(*module, hResInfo) : nullptr;
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return entry->size;
}

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cchBufferMax > 0) lpBuffer[0] = u'\0';
    if (uID > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    HRSRC block = FindResourceW(hInstance, MAKEINTRESOURCEW(uID / 16 + 1), RT_STRING);
    if (!block) return 0;
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(hInstance, block)));
    const DWORD size = SizeofResource(hInstance, block);
    const WCHAR* text = nullptr;
    WORD length = 0;
    if (!bytes || !StringInBlock(bytes, size, uID % 16, &text, &length) || length == 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    if (cchBufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(lpBuffer) = text;
        return length;
    }
    const int copied = std::min<int>(length, cchBufferMax - 1);
    std::memcpy(lpBuffer, text, size_t(copied) * sizeof(WCHAR));
    lpBuffer[copied] = u'\0';
    return copied;
}
