// The resource provider's life, the driver's files and the language order.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <new>

#include "coresources_impl.h"
#include "drvmodules.h"
#include "kittrace.h"

namespace {

HMODULE g_ownModule = nullptr;

constexpr WCHAR kPrintProcessorsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\";
constexpr DWORD kPrintProcessorDriverChars = 64;

// A spooler record read whole into heap memory (size query, then read): S_OK, E_FAIL or
// E_OUTOFMEMORY.
template <class Read>
HRESULT ReadRecord(HANDLE heap, Read&& read, BYTE** record) {
    DWORD needed = 0;
    read(nullptr, 0, &needed);
    if (needed == 0) return E_FAIL;
    BYTE* buffer = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, needed));
    if (!buffer) return E_OUTOFMEMORY;
    if (!read(buffer, needed, &needed)) {
        HeapFree(heap, 0, buffer);
        return E_FAIL;
    }
    *record = buffer;
    return S_OK;
}

}  // namespace

void SetResourcesOwnModule(HMODULE module) {
    g_ownModule = module;
}

HMODULE ResourcesOwnModule() {
    return g_ownModule;
}

HRESULT CreateResources(IDrvResources** resources, HANDLE printer, HANDLE heap) {
    if (!resources) return E_INVALIDARG;
    *resources = nullptr;
    if (!printer || printer == INVALID_HANDLE_VALUE) return E_INVALIDARG;
    CoResources* object = new (std::nothrow) CoResources;
    if (!object) return E_OUTOFMEMORY;
    const HRESULT result = object->Init(printer, heap);
    if (FAILED(result)) {
        DebugTrace(1, u"%s: Init err=[0x%08X]\n", u"CoResources::CreateResources", static_cast<DWORD>(result));
        object->Release();
        return E_FAIL;
    }
    *resources = object;
    return S_OK;
}

CoResources::CoResources() = default;

CoResources::~CoResources() {
    for (IconCacheEntry& entry : m_icons) DestroyIcon(entry.m_icon);
    if (m_resourceLibrary) FreeLibrary(m_resourceLibrary);
    if (m_heap) {
        for (TemplateCacheEntry& entry : m_templates) HeapFree(m_heap, 0, entry.m_template);
        if (m_versions) HeapFree(m_heap, 0, m_versions);
        if (m_driverInfo) HeapFree(m_heap, 0, m_driverInfo);
        if (m_printerInfo) HeapFree(m_heap, 0, m_printerInfo);
        if (m_ownsHeap) HeapDestroy(m_heap);
    }
    if (m_dialogFont) DeleteObject(m_dialogFont);
}

STDMETHODIMP CoResources::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CoResources::AddRef() {
    return ++m_refCount;
}

STDMETHODIMP_(ULONG) CoResources::Release() {
    const ULONG count = --m_refCount;
    if (count == 0) delete this;
    return count;
}

HRESULT CoResources::Init(HANDLE printer, HANDLE heap) {
    if (!printer || printer == INVALID_HANDLE_VALUE) return E_INVALIDARG;
    if (heap) {
        m_heap = heap;
    } else {
        m_heap = HeapCreate(0, CORESOURCES_HEAP_INITIAL, 0);
        if (!m_heap) return E_OUTOFMEMORY;
        m_ownsHeap = TRUE;
    }

    BYTE* record = nullptr;
    HRESULT result = ReadRecord(
        m_heap, [&](BYTE* buffer, DWORD size, DWORD* needed) { return GetPrinterDriverW(printer, nullptr, 3, buffer, size, needed); },
        &record);
    if (FAILED(result)) {
        DebugTrace(1, u"%s: GetPrinterDriver err=[%d]\n", u"CoResources::Init", GetLastError());
        return result;
    }
    m_driverInfo = reinterpret_cast<DRIVER_INFO_3W*>(record);
    m_driverName = m_driverInfo->pName;
    m_helpFile = m_driverInfo->pHelpFile;

    LPWSTR files = m_driverInfo->pDependentFiles;
    UpperCaseDependentFiles(files);
    m_resourceFile = FindResourceLibraryFile(files);
    m_iniFile = FindIniFile(files);
    m_mdnFile = FindMdnFile(files);
    m_uiFile = FindUIFile(files);

    result = ReadRecord(
        m_heap, [&](BYTE* buffer, DWORD size, DWORD* needed) { return GetPrinterW(printer, 2, buffer, size, needed); }, &record);
    if (FAILED(result)) {
        DebugTrace(1, u"%s: GetPrinter err=[%d]\n", u"CoResources::Init", GetLastError());
        return result;
    }
    m_printerInfo = reinterpret_cast<PRINTER_INFO_2W*>(record);
    ReadPrintProcessorPath();

    if (FAILED(LoadLanguages(m_resourceFile)) || FAILED(LoadModuleVersions())) return E_FAIL;

    m_resourceLibrary = LoadLibraryExW(m_resourceFile, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m_resourceLibrary) {
        DebugTrace(1, u"%s: LoadLibraryEx err=[%d]\n", u"CoResources::Init", GetLastError());
        return E_FAIL;
    }
    return S_OK;
}

// The print processor's file when the printer uses another one than the standard processor; empty
// when its key or value is missing.
void CoResources::ReadPrintProcessorPath() {
    m_printProcessorPath[0] = u'\0';
    LPCWSTR processor = m_printerInfo->pPrintProcessor;
    if (!processor || !*processor || lstrcmpiW(processor, u"WINPRINT") == 0) return;
    WCHAR keyName[MAX_PATH * 2];
    if (FAILED(StringCchPrintfW(keyName, std::size(keyName), u"%s%s", kPrintProcessorsKey, processor))) return;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    WCHAR driver[kPrintProcessorDriverChars + 1] = {};
    DWORD type = 0;
    DWORD bytes = kPrintProcessorDriverChars * sizeof(WCHAR);
    const LSTATUS read = RegQueryValueExW(key, u"Driver", nullptr, &type, reinterpret_cast<BYTE*>(driver), &bytes);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ || driver[0] == u'\0') return;
    WCHAR folder[MAX_PATH + 1] = {};
    DWORD needed = 0;
    if (!GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder), &needed)) return;
    if (FAILED(StringCchPrintfW(m_printProcessorPath, std::size(m_printProcessorPath), u"%s\\%s", folder, driver))) {
        m_printProcessorPath[0] = u'\0';
        return;
    }
    CharUpperBuffW(m_printProcessorPath, lstrlenW(m_printProcessorPath));
}

HRESULT CoResources::LoadLanguages(LPCWSTR resourceLibrary) {
    if (!resourceLibrary || !*resourceLibrary) return E_INVALIDARG;
    try {
        std::vector<Language> languages;
        const UINT uipLang = m_iniFile ? GetPrivateProfileIntW(u"UIPSETTINGS", u"UIPLANG", 0, m_iniFile) : 0;
        if (uipLang != 0) languages.push_back({static_cast<WORD>(uipLang), 0});
        languages.push_back({GetUserDefaultUILanguage(), 0});
        languages.push_back({GetSystemDefaultUILanguage(), 0});
        languages.push_back({MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 0});

        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(resourceLibrary, &handle);
        if (size > 0) {
            std::vector<BYTE> block(size);
            void* translations = nullptr;
            UINT bytes = 0;
            if (GetFileVersionInfoW(resourceLibrary, 0, size, block.data()) &&
                VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &translations, &bytes)) {
                const auto* pairs = static_cast<const WORD*>(translations);
                for (UINT i = 0; i + 1 < bytes / sizeof(WORD); i += 2) languages.push_back({pairs[i], pairs[i + 1]});
            }
        }
        languages.push_back({0, 0});
        m_languages = std::move(languages);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRSRC CoResources::FindInLanguages(LPCWSTR type, LPCWSTR name, HMODULE* module, WORD* language) const {
    for (const Language& entry : m_languages) {
        for (HMODULE candidate : {m_resourceLibrary, g_ownModule}) {
            if (!candidate) continue;
            if (HRSRC found = FindResourceExW(candidate, type, name, entry.m_language)) {
                *module = candidate;
                if (language) *language = entry.m_language;
                return found;
            }
        }
    }
    return nullptr;
}

HRESULT CoResources::LoadModuleVersions() {
    m_versions = static_cast<ModuleVersionTable*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(ModuleVersionTable)));
    if (!m_versions) return E_OUTOFMEMORY;
    for (ModuleVersionEntry& entry : m_versions->m_entries) {
        entry.m_fileName = nullptr;
        lstrcpynW(entry.m_fileVersion, MODULE_VERSION_DEFAULT, MODULE_VERSION_CHARS);
    }
    // Each entry tries its patterns in turn until one names a dependent file.
    auto find = [&](DWORD entry, std::initializer_list<LPCWSTR> patterns, LPCWSTR excluded = nullptr) {
        for (LPCWSTR pattern : patterns)
            if (FindModuleVersion(m_versions, entry, pattern, excluded) != E_FAIL) return;
    };
    LPWSTR files = m_driverInfo->pDependentFiles;
    find(0, {DRVMOD_DOT_MDN, DRVMOD_MDN});
    if (!FindDependentFile(files, DRVMOD_DOT_MDN)) find(1, {DRVMOD_MDN_DLL});
    if (m_printProcessorPath[0]) FindModuleVersion(m_versions, 2, m_printProcessorPath, nullptr);
    find(3, {DRVMOD_PCL, DRVMOD_RPC});
    find(4, {DRVMOD_PS, DRVMOD_RPS});
    find(5, {DRVMOD_IMAGE, DRVMOD_JBIG, DRVMOD_RRP});
    find(6, {DRVMOD_RRS});
    find(7, {DRVMOD_UI, DRVMOD_UIP});
    find(8, {DRVMOD_RESOURCE}, DRVMOD_UNIVERSAL_RESOURCE);
    return S_OK;
}

HRESULT CoResources::FindModuleVersion(ModuleVersionTable* table, DWORD entry, LPCWSTR pattern, LPCWSTR excluded) {
    if (!pattern || !*pattern || entry >= MODULE_VERSION_ENTRIES) return E_INVALIDARG;
    LPCWSTR path = pattern;
    if (std::u16string_view(pattern).find(u'\\') == std::u16string_view::npos) {
        path = FindDependentFile(m_driverInfo->pDependentFiles, pattern, excluded);
        if (!path) return E_FAIL;
    }
    ModuleVersionEntry& row = table->m_entries[entry];
    row.m_fileName = path;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size > 0) {
        try {
            std::vector<BYTE> block(size);
            if (GetFileVersionInfoW(path, 0, size, block.data())) {
                void* value = nullptr;
                UINT length = 0;
                if (table->m_productVersion[0] == 0 && VerQueryValueW(block.data(), u"\\", &value, &length) &&
                    length >= sizeof(VS_FIXEDFILEINFO)) {
                    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
                    table->m_productVersion[0] = HIWORD(fixed->dwProductVersionMS);
                    table->m_productVersion[1] = LOWORD(fixed->dwProductVersionMS);
                    table->m_productVersion[2] = HIWORD(fixed->dwProductVersionLS);
                    table->m_productVersion[3] = LOWORD(fixed->dwProductVersionLS);
                }
                if (VerQueryValueW(block.data(), u"\\StringFileInfo\\000004b0\\FileVersion", &value, &length) && length > 0) {
                    // The text may lack its terminator in a malformed block; never read past its length.
                    const UINT chars = std::min<UINT>(length, MODULE_VERSION_CHARS);
                    lstrcpynW(row.m_fileVersion, static_cast<LPCWSTR>(value), static_cast<int>(chars));
                    const size_t slash = std::u16string_view(path).rfind(u'\\');
                    if (slash != std::u16string_view::npos) row.m_fileName = path + slash + 1;
                }
            }
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

STDMETHODIMP_(HMODULE) CoResources::GetResourceModule() {
    return m_resourceLibrary;
}

STDMETHODIMP_(HMODULE) CoResources::GetResourceModule() const {
    return m_resourceLibrary;
}

STDMETHODIMP_(LPCWSTR) CoResources::GetDriverName() {
    return m_driverName;
}

STDMETHODIMP_(LPCWSTR) CoResources::GetResourceFileName() {
    return m_resourceFile;
}

STDMETHODIMP_(LPCWSTR) CoResources::GetIniFileName() {
    return m_iniFile;
}

STDMETHODIMP_(LPCWSTR) CoResources::GetMdnFileName() {
    return m_mdnFile;
}

STDMETHODIMP_(LPCWSTR) CoResources::GetUIFileName() {
    return m_uiFile;
}

STDMETHODIMP_(LPCWSTR) CoResources::GetPrintProcessorFileName() {
    return m_printProcessorPath[0] ? m_printProcessorPath : nullptr;
}

STDMETHODIMP_(const ModuleVersionTable*) CoResources::GetModuleVersions() {
    return m_versions;
}

STDMETHODIMP_(const DRIVER_INFO_3W*) CoResources::GetDriverInfo() {
    return m_driverInfo;
}
