// The resource libraries a description takes strings from: their registry, their language order
// and the string lookup by alias and id.
//
// The language order here is the compiler's own (the library's ini UIPLANG, the user's and the
// system's UI languages, the library's version translations, neutral); the resource provider of
// the plug-ins has a different one.
#include <cstring>
#include <string>

#include "xpcimpl.h"

namespace xpc {
namespace {

constexpr WORD kStringsPerBlock = 16;

// The language list of a library, in the order lookups try them.
bool BuildLanguages(ResourceDll& dll) {
    dll.m_languages.clear();
    // A library named ...URS.DLL takes UIPLANG from the ini file of the same name without "URS".
    std::u16string upper = Upper(dll.m_path);
    if (const size_t at = upper.find(u"URS.DLL"); at != std::u16string::npos) {
        upper.replace(at, 7, u".INI");
        const UINT language = GetPrivateProfileIntW(u"UIPSETTINGS", u"UIPLANG", 0, upper.c_str());
        if (language != 0) dll.m_languages.emplace_back(static_cast<WORD>(language), 0);
    }
    dll.m_languages.emplace_back(GetUserDefaultUILanguage(), 0);
    dll.m_languages.emplace_back(GetSystemDefaultUILanguage(), 0);

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(dll.m_path.c_str(), &handle);
    if (size != 0) {
        std::vector<BYTE> block(size);
        void* translations = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoW(dll.m_path.c_str(), handle, size, block.data()) &&
            VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &translations, &length) && translations) {
            const auto* pairs = static_cast<const BYTE*>(translations);
            for (UINT i = 0; i + 4 <= length; i += 4) {
                WORD language = 0, codePage = 0;
                std::memcpy(&language, pairs + i, 2);
                std::memcpy(&codePage, pairs + i + 2, 2);
                dll.m_languages.emplace_back(language, codePage);
            }
        }
    }
    dll.m_languages.emplace_back(0, 0);
    return true;
}

DWORD OpenLibrary(Context& context, const std::u16string& path, const std::u16string& alias) {
    if (path.empty() || alias.empty()) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    ResourceDll dll;
    dll.m_path = path;
    dll.m_alias = alias;
    dll.m_module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!dll.m_module) return Report(XPC_BAD_RESOURCE_FILE, path.c_str());
    try {
        if (!BuildLanguages(dll)) {
            FreeLibrary(dll.m_module);
            return Report(XPC_BAD_RESOURCE_FILE, path.c_str());
        }
        context.m_resources.m_dlls.push_back(dll);
    } catch (...) {
        FreeLibrary(dll.m_module);
        throw;
    }
    return 0;
}

// The (id mod 16)-th string of a string-table block, checked against the block's size.
bool StringInBlock(const BYTE* block, DWORD size, UINT index, std::u16string* text) {
    DWORD at = 0;
    for (UINT i = 0;; ++i) {
        if (at + 2 > size) return false;
        WORD length = 0;
        std::memcpy(&length, block + at, 2);
        at += 2;
        if (static_cast<uint64_t>(at) + length * 2ull > size) return false;
        if (i == index) {
            text->resize(length);
            if (length) std::memcpy(text->data(), block + at, length * 2ull);
            return length != 0;
        }
        at += length * 2u;
    }
}

bool FindString(const ResourceDll& dll, UINT id, std::u16string* text) {
    const LPCWSTR block = MAKEINTRESOURCEW(id / kStringsPerBlock + 1);
    for (const auto& [language, codePage] : dll.m_languages) {
        (void)codePage;
        HRSRC found = FindResourceExW(dll.m_module, RT_STRING, block, language);
        if (!found) continue;
        HGLOBAL loaded = LoadResource(dll.m_module, found);
        if (!loaded) continue;
        const auto* bytes = static_cast<const BYTE*>(LockResource(loaded));
        const DWORD size = SizeofResource(dll.m_module, found);
        // The first language that loads is the one used, found or not.
        return bytes && StringInBlock(bytes, size, id % kStringsPerBlock, text);
    }
    return false;
}

}  // namespace

ResourceDllList::~ResourceDllList() {
    Clear();
}

void ResourceDllList::Clear() {
    for (const ResourceDll& dll : m_dlls)
        if (dll.m_module) FreeLibrary(dll.m_module);
    m_dlls.clear();
}

DWORD LoadResourceDlls(Context& context) {
    const EntryList& list = context.m_entries;
    for (const Entry* entry = FindIn(list, nullptr, u"*RESOURCEDLL", 0); entry;
         entry = FindIn(list, nullptr, u"*RESOURCEDLL", 0, nullptr, entry)) {
        std::u16string alias;
        if (const Entry* named = FindIn(list, entry, u"*ALIAS", -1)) {
            alias = named->m_value.substr(0, kMaxAlias);
            if (alias.find(u'.') == std::u16string::npos) alias += u'.';
        } else {
            alias = u"RES" + DecimalText(context.m_resources.m_dlls.size() + 1) + u".";
        }
        if (const DWORD result = OpenLibrary(context, IncludePath(entry->m_value), alias); result >= KIT_SEVERITY_ERROR)
            return result;
    }
    const std::u16string resdll = u"RESDLL";
    for (const Entry* feature = FindIn(list, nullptr, u"*FEATURE", 0, &resdll); feature;
         feature = FindIn(list, nullptr, u"*FEATURE", 0, &resdll, feature)) {
        for (const Entry* option = FindIn(list, feature, u"*OPTION", 1); option;
             option = FindIn(list, feature, u"*OPTION", 1, nullptr, option)) {
            const Entry* name = FindIn(list, option, u"*NAME", 2);
            if (!name) continue;
            const std::u16string alias = (u"RESDLL." + option->m_value + u".").substr(0, kMaxAlias);
            if (const DWORD result = OpenLibrary(context, IncludePath(name->m_value), alias); result >= KIT_SEVERITY_ERROR)
                return result;
        }
    }
    return 0;
}

DWORD LoadResourceString(ResourceDllList& list, const std::u16string* alias, UINT id) {
    if (id == 0 || id > 65535) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    std::u16string text;
    for (const ResourceDll& dll : list.m_dlls) {
        if (alias && dll.m_alias != *alias) continue;
        if (FindString(dll, id, &text)) {
            list.m_buffer = std::move(text);
            return 0;
        }
        if (alias) break;
    }
    if (alias) return Report(XPC_NO_STRING, static_cast<int>(id), alias->c_str());
    return Report(XPC_NO_STRING_ANYWHERE, static_cast<int>(id));
}

}  // namespace xpc
