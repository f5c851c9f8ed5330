// Version resources of files: the VS_VERSIONINFO block of a PE file and queries into it.
#pragma once

#include "winbase.h"

#define VS_FFI_SIGNATURE 0xFEEF04BDL
#define VS_FFI_STRUCVERSION 0x00010000L
#define VS_FF_DEBUG 0x00000001L
#define VS_FF_PRERELEASE 0x00000002L
#define VOS_NT_WINDOWS32 0x00040004L
#define VFT_APP 0x00000001L
#define VFT_DLL 0x00000002L

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);
static_assert(offsetof(VS_FIXEDFILEINFO, dwProductVersionMS) == 16 && offsetof(VS_FIXEDFILEINFO, dwFileDateLS) == 48);

// Size of the buffer GetFileVersionInfoW needs for the file's version block (*lpdwHandle := 0).
// 0 when the file is missing (ERROR_FILE_NOT_FOUND), not a PE file (ERROR_BAD_EXE_FORMAT) or has no
// version resource (ERROR_RESOURCE_TYPE_NOT_FOUND). Paths as for LoadLibraryExW.
WINBASEAPI DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle);
// Copies the version block into lpData. A smaller buffer gets the block cut to dwLen bytes, and the
// cut block's own length says so, so later queries stay inside the buffer.
WINBASEAPI BOOL GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// Looks a value up in a block from GetFileVersionInfoW: "\\" gives the VS_FIXEDFILEINFO (size in
// bytes), "\\VarFileInfo\\Translation" the array of {language, code page} word pairs (size in bytes),
// "\\StringFileInfo\\<language><code page>\\<name>" a text (size in characters, terminator included).
// Names compare without regard to case. A missing value: FALSE, ERROR_RESOURCE_TYPE_NOT_FOUND.
WINBASEAPI BOOL VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);
