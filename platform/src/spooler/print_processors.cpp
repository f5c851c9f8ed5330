// The spooler's print processors: AddPrintProcessorW and DeletePrintProcessorW, and the lookup the
// job runner makes. A print processor is registered as the spooler keeps it, one key per
// processor under its environment in the machine's registry with the processor's file name as its
// "Driver" value; the file itself lies in the environment's print-processor folder.
#include <filesystem>
#include <string>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/windows.h>

#include "machine/api_guard.h"
#include "spooler/spooler_store.h"

namespace palvex {
namespace {

constexpr char16_t kEnvironmentsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\";

// The environment's name as the spooler spells it, or empty for one the machine does not know.
std::u16string EnvironmentName(LPCWSTR environment) {
    if (!environment || !*environment) return spool::kNativeEnvironment;
    for (const char16_t* known : {u"Windows x64", u"Windows NT x86"})
        if (lstrcmpiW(environment, known) == 0) return known;
    return {};
}

std::u16string ProcessorKey(const std::u16string& environment, const std::u16string& processor) {
    return kEnvironmentsKey + environment + u"\\Print Processors\\" + processor;
}

// A processor name is one key name: not empty, no backslash.
bool ValidName(LPCWSTR name) {
    return name && *name && std::u16string_view(name).find(u'\\') == std::u16string_view::npos;
}

// The "Driver" value of a registered processor; false when it is not registered.
bool ReadProcessorFile(const std::u16string& environment, const std::u16string& processor, std::u16string* file) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProcessorKey(environment, processor).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    WCHAR value[MAX_PATH + 1] = {};
    DWORD type = 0;
    DWORD bytes = MAX_PATH * sizeof(WCHAR);
    const LSTATUS read = RegQueryValueExW(key, u"Driver", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ) {
        file->clear();
        return true;  // registered, but its file is not named
    }
    *file = value;
    return true;
}

}  // namespace

std::optional<std::u16string> PrintProcessorFile(const std::u16string& processorName) {
    if (!ValidName(processorName.c_str())) return std::nullopt;
    std::u16string file;
    if (!ReadProcessorFile(spool::kNativeEnvironment, processorName, &file)) return std::nullopt;
    if (file.empty() || file.find_first_of(u"\\/:") != std::u16string::npos) return std::u16string();
    return spool::SpoolFolder(nullptr, u"prtprocs") + u"\\" + file;
}

}  // namespace palvex

using palvex::Finish;
using palvex::GuardedCall;

BOOL AddPrintProcessorW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pPathName, LPWSTR pPrintProcessorName) {
    return Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (pName && *pName) return ERROR_INVALID_PARAMETER;  // only the local machine
        const std::u16string environment = palvex::EnvironmentName(pEnvironment);
        if (environment.empty()) return ERROR_INVALID_ENVIRONMENT;
        if (!palvex::ValidName(pPrintProcessorName) || !pPathName || !*pPathName) return ERROR_INVALID_PARAMETER;
        // A file name, not a path: the file lies in the processors' folder.
        const std::u16string file = pPathName;
        if (file.find_first_of(u"\\/:") != std::u16string::npos) return ERROR_INVALID_PARAMETER;
        const std::u16string folder = palvex::spool::SpoolFolder(environment.c_str(), u"prtprocs");
        if (!std::filesystem::is_regular_file(palvex::HostPath(folder + u"\\" + file))) return ERROR_FILE_NOT_FOUND;
        std::u16string existing;
        if (palvex::ReadProcessorFile(environment, pPrintProcessorName, &existing))
            return ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED;
        HKEY key = nullptr;
        const std::u16string keyName = palvex::ProcessorKey(environment, pPrintProcessorName);
        LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                         &key, nullptr);
        if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
        status = RegSetValueExW(key, u"Driver", 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                                static_cast<DWORD>((file.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);
        return static_cast<DWORD>(status);
    }));
}

BOOL DeletePrintProcessorW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pPrintProcessorName) {
    return Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (pName && *pName) return ERROR_INVALID_PARAMETER;
        const std::u16string environment = palvex::EnvironmentName(pEnvironment);
        if (environment.empty()) return ERROR_INVALID_ENVIRONMENT;
        if (!palvex::ValidName(pPrintProcessorName)) return ERROR_INVALID_PARAMETER;
        std::u16string file;
        if (!palvex::ReadProcessorFile(environment, pPrintProcessorName, &file)) return ERROR_UNKNOWN_PRINTPROCESSOR;
        return static_cast<DWORD>(
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, palvex::ProcessorKey(environment, pPrintProcessorName).c_str()));
    }));
}
