// ShellExecuteExW and ShellExecuteW: every call recorded; the shell's "open" of a program starts it
// as a child process of the machine, an agreed "runas" starts nothing, a URL goes to the browser
// (win/shellapi.h).
#include <filesystem>
#include <string>

#include <palvex/paths.h>
#include <win/processthreadsapi.h>
#include <win/shellapi.h>
#include <win/windows.h>

#include "user/ui_records.h"

namespace {

bool HasFolder(const std::u16string& file) { return file.find_first_of(u"\\/:") != std::u16string::npos; }

bool IsFile(const std::u16string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(palvex::HostPath(path), error);
}

// The program's Windows path, or empty when it is not found where the shell looks.
std::u16string FindProgram(std::u16string file) {
    const size_t slash = file.find_last_of(u"\\/");
    const size_t dot = file.find_last_of(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) file += u".exe";
    if (HasFolder(file)) return IsFile(file) ? file : std::u16string{};
    for (const char16_t* folder : {u"C:\\Windows\\System32\\", u"C:\\Windows\\"})
        if (IsFile(folder + file)) return folder + file;
    return {};
}

bool IsUrl(const std::u16string& file) {
    const size_t scheme = file.find(u"://");
    if (scheme == std::u16string::npos || scheme == 0) return false;
    for (size_t i = 0; i < scheme; ++i) {
        const char16_t c = file[i];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'))))
            return false;
    }
    return true;
}

HINSTANCE Answer(INT_PTR value) { return reinterpret_cast<HINSTANCE>(value); }

}  // namespace

HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                        INT nShowCmd) {
    const bool open = !lpOperation || !*lpOperation || lstrcmpiW(lpOperation, u"open") == 0;
    if (lpFile && open && IsUrl(lpFile)) {
        palvex::ShellStart start;
        start.window = hwnd;
        start.verb = lpOperation ? lpOperation : u"";
        start.file = lpFile;
        start.parameters = lpParameters ? lpParameters : u"";
        start.directory = lpDirectory ? lpDirectory : u"";
        start.show = nShowCmd;
        if (!palvex::win::RecordShellStart(start)) {
            SetLastError(ERROR_CANCELLED);
            return Answer(5);  // SE_ERR_ACCESSDENIED
        }
        return Answer(42);
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = hwnd;
    info.lpVerb = lpOperation;
    info.lpFile = lpFile;
    info.lpParameters = lpParameters;
    info.lpDirectory = lpDirectory;
    info.nShow = nShowCmd;
    if (ShellExecuteExW(&info)) return info.hInstApp;
    switch (GetLastError()) {
    case ERROR_CANCELLED: return Answer(5);
    case ERROR_NO_ASSOCIATION: return Answer(31);
    case ERROR_FILE_NOT_FOUND: return Answer(2);
    default: return Answer(0);
    }
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo) {
    if (!pExecInfo || pExecInfo->cbSize != sizeof(SHELLEXECUTEINFOW) || !pExecInfo->lpFile || !*pExecInfo->lpFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pExecInfo->hProcess = nullptr;
    palvex::ShellStart start;
    start.window = pExecInfo->hwnd;
    start.verb = pExecInfo->lpVerb ? pExecInfo->lpVerb : u"";
    start.file = pExecInfo->lpFile;
    start.parameters = pExecInfo->lpParameters ? pExecInfo->lpParameters : u"";
    start.directory = pExecInfo->lpDirectory ? pExecInfo->lpDirectory : u"";
    start.show = pExecInfo->nShow;
    if (!palvex::win::RecordShellStart(start)) {
        pExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(5));  // SE_ERR_ACCESSDENIED
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    if (pExecInfo->lpVerb && lstrcmpiW(pExecInfo->lpVerb, u"runas") == 0) {
        pExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
        return TRUE;
    }
    if (pExecInfo->lpVerb && *pExecInfo->lpVerb && lstrcmpiW(pExecInfo->lpVerb, u"open") != 0) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return FALSE;
    }
    std::u16string program;
    try {
        program = FindProgram(pExecInfo->lpFile);
    } catch (...) {
    }
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::u16string line = u"\"" + program + u"\"";
    if (pExecInfo->lpParameters && *pExecInfo->lpParameters) line += std::u16string(u" ") + pExecInfo->lpParameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.wShowWindow = static_cast<WORD>(pExecInfo->nShow);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return FALSE;
    CloseHandle(process.hThread);
    if (pExecInfo->fMask & SEE_MASK_NOCLOSEPROCESS) pExecInfo->hProcess = process.hProcess;
    else CloseHandle(process.hProcess);
    pExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(33));  // above 32: success
    return TRUE;
}
