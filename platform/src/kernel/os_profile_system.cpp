// The system functions that report the profile's edition, R2 flag and processor.
#include <thread>

#include <palvex/os_profile.h>
#include <win/sysinfoapi_product.h>
#include <win/winbase.h>
#include <win/winerror.h>

namespace {

// These functions cannot report a failure of the machine database: the defaults stand in.
palvex::OsProfile ProfileOrDefaults() {
    try {
        return palvex::GetOsProfile();
    } catch (...) {
        return palvex::OsProfile{};
    }
}

}  // namespace

BOOL GetProductInfo(DWORD, DWORD, DWORD, DWORD, PDWORD pdwReturnedProductType) {
    if (!pdwReturnedProductType) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pdwReturnedProductType = ProfileOrDefaults().productInfoType;
    return TRUE;
}

int GetSystemMetrics(int nIndex) {
    if (nIndex == SM_SERVERR2) return ProfileOrDefaults().serverR2 ? 1 : 0;
    if (nIndex == 11 || nIndex == 12) return 32;  // SM_CXICON, SM_CYICON: the screen's icon size
    return 0;
}

void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
    if (!lpSystemInfo) return;
    const WORD architecture = ProfileOrDefaults().processorArchitecture;
    const bool x64 = architecture == PROCESSOR_ARCHITECTURE_AMD64;
    const unsigned hardware = std::thread::hardware_concurrency();
    const DWORD processors = hardware == 0 ? 1 : (hardware > 64 ? 64 : hardware);
    SYSTEM_INFO& info = *lpSystemInfo;
    info = SYSTEM_INFO{};
    info.wProcessorArchitecture = architecture;
    info.dwPageSize = 4096;
    info.lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(uintptr_t{0x10000});
    info.lpMaximumApplicationAddress =
        reinterpret_cast<LPVOID>(x64 ? uintptr_t{0x7FFFFFFEFFFF} : uintptr_t{0x7FFEFFFF});
    info.dwActiveProcessorMask = processors == 64 ? ~DWORD_PTR{0} : (DWORD_PTR{1} << processors) - 1;
    info.dwNumberOfProcessors = processors;
    info.dwProcessorType = x64 ? 8664 : 586;  // PROCESSOR_AMD_X8664, PROCESSOR_INTEL_PENTIUM
    info.dwAllocationGranularity = 65536;
    info.wProcessorLevel = 6;
}

void GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
    GetSystemInfo(lpSystemInfo);
}
