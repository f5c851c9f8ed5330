// The edition, the R2 flag and the processor of the running system, as the machine's OS profile
// describes them.
#pragma once

#include <cstddef>

#include "wintypes.h"

#define SM_SERVERR2 89
#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PRODUCT_ULTIMATE 0x00000001
#define PRODUCT_PROFESSIONAL 0x00000030
#define PRODUCT_UNLICENSED 0xABCDABCD

// The 64-bit layout; the processor architecture shares its first DWORD with the obsolete OEM id.
struct SYSTEM_INFO {
    WORD wProcessorArchitecture;
    WORD wReserved;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};
typedef SYSTEM_INFO* LPSYSTEM_INFO;
static_assert(sizeof(SYSTEM_INFO) == 48);
static_assert(offsetof(SYSTEM_INFO, dwPageSize) == 4 && offsetof(SYSTEM_INFO, dwActiveProcessorMask) == 24 &&
              offsetof(SYSTEM_INFO, dwNumberOfProcessors) == 32 && offsetof(SYSTEM_INFO, wProcessorLevel) == 44);

// The product type of the installed edition (PRODUCT_*), whatever version the caller names; FALSE
// and ERROR_INVALID_PARAMETER without somewhere to put it.
WINBASEAPI BOOL GetProductInfo(DWORD dwOSMajorVersion, DWORD dwOSMinorVersion, DWORD dwSpMajorVersion,
                               DWORD dwSpMinorVersion, PDWORD pdwReturnedProductType);
// SM_SERVERR2: non-zero on the R2 release of the 5.2 server. Every other index answers 0.
WINBASEAPI int GetSystemMetrics(int nIndex);
// The processor architecture of the profile and the memory figures of that architecture.
WINBASEAPI void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);
// The machine's own processor: the same as GetSystemInfo, since a process here runs natively.
WINBASEAPI void GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo);
