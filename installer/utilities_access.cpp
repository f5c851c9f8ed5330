// Whether the current user may write into a folder.
#include <win/psapi.h>
#include <win/securitybaseapi_access.h>

#include "utilities.h"

int CheckFolderAccess(const std::u16string& argument) {
    std::u16string folder = argument;
    if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PSID owner = nullptr, group = nullptr;
    PACL dacl = nullptr;
    for (;;) {
        const DWORD error = GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT,
                                                  OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                                  &owner, &group, &dacl, nullptr, &descriptor);
        if (error == ERROR_SUCCESS) break;
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return 3;
        // A folder still to be made: whoever may write into its nearest existing parent may make it.
        const size_t slash = folder.rfind(u'\\');
        if (slash == std::u16string::npos) return 2;
        folder.resize(slash);
    }
    int result = 3;
    HANDLE process = nullptr, impersonation = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process) &&
        DuplicateToken(process, SecurityImpersonation, &impersonation)) {
        GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
        ACCESS_MASK desired = FILE_GENERIC_WRITE;
        MapGenericMask(&desired, &mapping);
        PRIVILEGE_SET privileges{};
        DWORD privilegesLength = sizeof privileges;
        ACCESS_MASK granted = 0;
        BOOL status = FALSE;
        if (AccessCheck(descriptor, impersonation, desired, &mapping, &privileges, &privilegesLength, &granted, &status))
            result = status ? 0 : 1;
    }
    if (impersonation) CloseHandle(impersonation);
    if (process) CloseHandle(process);
    LocalFree(descriptor);
    return result;
}
