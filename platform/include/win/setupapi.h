// The driver store of the Setup API: the published INF files of C:\Windows\INF (oemN.inf) and
// where the store keeps each package.
#pragma once

#include "wintypes.h"

#define INF_STYLE_OLDNT 0x00000001
#define INF_STYLE_WIN4 0x00000002

// The names of the INF files in the folder (null: C:\Windows\INF), each null-terminated, the list
// ended by an empty one. Sizes in characters; a buffer too small: ERROR_INSUFFICIENT_BUFFER with
// *RequiredSize set (a null buffer only asks for the size and succeeds).
WINBASEAPI BOOL SetupGetInfFileListW(LPCWSTR DirectoryPath, DWORD InfStyle, LPWSTR ReturnBuffer, DWORD ReturnBufferSize,
                                     LPDWORD RequiredSize);
// The driver-store path of a published INF ("oemN.inf"): the INF inside its package's folder of
// C:\Windows\System32\DriverStore\FileRepository. An INF the store does not hold:
// ERROR_NOT_FOUND.
WINBASEAPI BOOL SetupGetInfDriverStoreLocationW(LPCWSTR FileName, const void* AlternatePlatformInfo, LPCWSTR LocaleName,
                                                LPWSTR ReturnBuffer, DWORD ReturnBufferSize, LPDWORD RequiredSize);
