// Activation contexts: a module's manifest resource (RT_MANIFEST) taken as the context its pages
// and windows are made in. Here the context only stands for the manifest it was made from.
#pragma once

#include "winbase.h"

#define ACTCTX_FLAG_RESOURCE_NAME_VALID 0x00000008

struct ACTCTXW {
    ULONG cbSize;
    DWORD dwFlags;
    LPCWSTR lpSource;
    USHORT wProcessorArchitecture;
    LANGID wLangId;
    LPCWSTR lpAssemblyDirectory;
    LPCWSTR lpResourceName;
    LPCWSTR lpApplicationName;
    HMODULE hModule;
};
typedef const ACTCTXW* PCACTCTXW;
static_assert(sizeof(ACTCTXW) == 56, "ACTCTXW has the Windows x64 layout");

// The context of lpSource's manifest lpResourceName (with ACTCTX_FLAG_RESOURCE_NAME_VALID; else
// manifest 1). INVALID_HANDLE_VALUE when the file or its manifest is missing (the last error says
// which). Each context holds one reference; ReleaseActCtx drops it.
WINBASEAPI HANDLE CreateActCtxW(PCACTCTXW pActCtx);
WINBASEAPI void ReleaseActCtx(HANDLE hActCtx);
