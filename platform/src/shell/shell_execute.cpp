// ShellExecuteExW: every call recorded; the shell's "open" of a program starts it as a child
// process of the machine, an agreed "runas" starts nothing (win/shellapi.h).
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

}  // namespace

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
