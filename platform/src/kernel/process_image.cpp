// The program this process stands for, and the process functions that report it.
#include <cstdlib>
#include <algorithm>
#include <climits>
#include <mutex>
#include <optional>
#include <string>

#include <palvex/process_image.h>
#include <unistd.h>
#include <win/psapi.h>

#include "kernel/processes.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

// The program's module handle: a fixed value, as the program's image base is on Windows. It never
// comes out of the platform's handle counter.
const HMODULE kProgramModule = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x140000000ull));
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

std::mutex g_mutex;
std::u16string g_imagePath;

std::u16string ExecutablePath() {
    char path[PATH_MAX + 1] = {};
    const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
    if (length <= 0) return u"program";
    return text::FromUtf8(std::string_view(path, static_cast<size_t>(length)));
}

bool IsProgram(HMODULE module) {
    return module == nullptr || module == kProgramModule;
}

// Copies text into a caller's buffer of size characters (at least 1): at most size - 1 characters
// and a terminator. Returns the characters copied.
DWORD CopyCut(const std::u16string& text, LPWSTR buffer, DWORD size) {
    const DWORD copied = static_cast<DWORD>(std::min<size_t>(text.size(), size - 1));
    text.copy(buffer, copied);
    buffer[copied] = u'\0';
    return copied;
}

}  // namespace

void SetProcessImagePath(const std::u16string& path) {
    std::lock_guard lock(g_mutex);
    g_imagePath = path;
}

std::u16string ProcessImagePath() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_imagePath.empty()) return g_imagePath;
    }
    // A program started on the machine as a Windows program (the installer from its folder).
    if (const char* path = std::getenv("PALVEX_PROCESS_IMAGE"); path && *path) return text::FromUtf8(path);
    return ExecutablePath();
}

}  // namespace palvex

HANDLE GetCurrentProcess(void) {
    return palvex::kCurrentProcess;
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    if (!palvex::IsProgram(hModule)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::u16string path = palvex::ProcessImagePath();
    const DWORD copied = palvex::CopyCut(path, lpFilename, nSize);
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    SetLastError(ERROR_SUCCESS);
    return copied;
}

BOOL EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded) {
    if (hProcess != palvex::kCurrentProcess && !palvex::OpenedProcessImage(hProcess)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpcbNeeded || (cb > 0 && (!lphModule || cb < sizeof(HMODULE)))) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *lpcbNeeded = sizeof(HMODULE);
    if (cb >= sizeof(HMODULE)) lphModule[0] = palvex::kProgramModule;
    return TRUE;
}

DWORD GetModuleBaseNameW(HANDLE hProcess, HMODULE hModule, LPWSTR lpBaseName, DWORD nSize) {
    std::optional<std::u16string> opened;
    if (hProcess != palvex::kCurrentProcess && !(opened = palvex::OpenedProcessImage(hProcess))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!palvex::IsProgram(hModule)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!lpBaseName || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string path = opened ? *opened : palvex::ProcessImagePath();
    const size_t slash = path.find_last_of(u"\\/");
    return palvex::CopyCut(slash == std::u16string::npos ? path : path.substr(slash + 1), lpBaseName, nSize);
}
