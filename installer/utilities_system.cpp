// Program location, file versions, addresses, the Windows version and the driver-use test.
#include <win/psapi.h>
#include <win/securitybaseapi.h>
#include <win/securitybaseapi_access.h>
#include <win/sysinfoapi_product.h>
#include <win/winsock2.h>

#include "install_log.h"
#include "utilities.h"

namespace {

// The program's path split at its last folder separator.
size_t LastSeparator(const std::u16string& path) { return path.find_last_of(u"\\/"); }

std::u16string ProgramPath() {
    WCHAR path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::u16string() : std::u16string(path, length);
}

BOOL ReadVersionString(const std::u16string& file, const char16_t* name, std::u16string& value) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) return FALSE;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), handle, size, block.data())) return FALSE;
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation), &length) ||
        length < 4)
        return FALSE;
    WCHAR query[128];
    _snwprintf(query, 128, u"\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
    LPVOID text = nullptr;
    if (!VerQueryValueW(block.data(), query, &text, &length) || !text) return FALSE;
    value = static_cast<const WCHAR*>(text);
    return TRUE;
}

}  // namespace

std::u16string GetModulePath() {
    const std::u16string path = ProgramPath();
    const size_t separator = LastSeparator(path);
    return separator == std::u16string::npos ? std::u16string() : path.substr(0, separator + 1);
}

std::u16string GetModuleName() {
    const std::u16string path = ProgramPath();
    const size_t separator = LastSeparator(path);
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

BOOL GetFileVersion(const std::u16string& file, std::u16string& version) {
    return ReadVersionString(file, u"FileVersion", version);
}

BOOL GetProductVersion(const std::u16string& file, std::u16string& version) {
    return ReadVersionString(file, u"ProductVersion", version);
}

BOOL CheckIPAddr(const std::u16string& address) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return FALSE;
    SOCKADDR_IN parsed{};
    INT length = sizeof parsed;
    std::u16string text = address;
    BOOL valid = FALSE;
    if (WSAStringToAddressW(text.data(), AF_INET, nullptr, reinterpret_cast<LPSOCKADDR>(&parsed), &length) == 0) {
        const BYTE first = parsed.sin_addr[0];
        valid = first >= 1 && first <= 223 && first != 127;
    }
    WSACleanup();
    return valid;
}

WORD GetNativeArchitecture() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

BOOL IsWindowsVersionOrLater(DWORD major, DWORD minor) {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version))) return FALSE;
    return version.dwMajorVersion > major || (version.dwMajorVersion == major && version.dwMinorVersion >= minor);
}

BOOL CheckDriverActive(const std::u16string& marketName) {
    WCHAR name[300];
    _snwprintf(name, 300, u"VORTAN_%s_DRIVERUSE_MUTEX", marketName.c_str());
    // A null DACL: every process, whoever runs it, may open the mutex.
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE))
        return FALSE;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, FALSE, name);
    if (!mutex) return FALSE;
    const DWORD error = GetLastError();
    CloseHandle(mutex);
    return error == ERROR_ALREADY_EXISTS;
}

void RestartWindows() {
    // The machine's processes all hold the shutdown privilege, so there is none to enable first.
    if (!ExitWindowsEx(EWX_REBOOT, 0)) OutputDebugStringW(u"ExitWindowsEx Failed.");
}

BOOL IsAdminUser() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators)) {
        WriteGlobalLog(0, u"AllocateAndInitializeSid Failed (WinError %x)\r\n", GetLastError());
        return FALSE;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) {
        WriteGlobalLog(0, u"CheckTokenMembership Failed (WinError %x)\r\n", GetLastError());
        member = FALSE;
    }
    FreeSid(administrators);
    return member;
}
