// GetUserNameW over the OS profile's user name.
#include <cstring>

#include <palvex/os_profile.h>
#include <win/winusername.h>

#include "machine/api_guard.h"

BOOL GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer) {
    const DWORD error = palvex::GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        if (!pcbBuffer) return ERROR_INVALID_PARAMETER;
        const std::u16string name = palvex::GetOsProfile().userName;
        const DWORD needed = static_cast<DWORD>(name.size() + 1);
        if (!lpBuffer || *pcbBuffer < needed) {
            *pcbBuffer = needed;
            return ERROR_INSUFFICIENT_BUFFER;
        }
        std::memcpy(lpBuffer, name.c_str(), needed * sizeof(WCHAR));
        *pcbBuffer = needed;
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
