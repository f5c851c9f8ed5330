// Hook 6: the device capabilities the model answers itself. The paper bins follow the trays the
// device items stored in "PrinterInputTrayInfos": the form source, one bin per installed tray and
// the manual feed.
#include <cstring>

#include "coresources.h"
#include "model_hooks.h"

namespace {

constexpr DWORD kTrayRecords = 4;
constexpr DWORD kTrayRecordBytes = 20;  // five 32-bit values, the input type first
constexpr DWORD kBinsWithoutTrayData = 3;

constexpr WORD kTrayBins[] = {15 /* DMBIN_FORMSOURCE */, DMBIN_UPPER, DMBIN_MIDDLE, DMBIN_LOWER};
constexpr DWORD kTrayNameIds[] = {3368, 3369, 3370};
constexpr DWORD kAutoNameId = 3365;
constexpr DWORD kFormSourceNameId = 3366;
constexpr DWORD kManualNameId = 3367;

constexpr DWORD kMinExtent = 0x03D4037A;  // 890 x 980 tenths of a millimetre
constexpr DWORD kMaxExtent = 0x10E00B9A;  // 2970 x 4320
constexpr LONG kResolution = 600;

// The bins: 1 plus the installed trays of the stored table; 3 when it cannot be read whole.
DWORD BinCount(HANDLE printer) {
    BYTE trays[kTrayRecords * kTrayRecordBytes] = {};
    DWORD type = 0;
    DWORD needed = 0;
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(u"PrinterInputTrayInfos"), &type, trays, sizeof trays, &needed) !=
            ERROR_SUCCESS ||
        needed != sizeof trays)
        return kBinsWithoutTrayData;
    DWORD count = 1;
    for (DWORD i = 0; i < kTrayRecords; ++i) {
        DWORD inputType = 0;
        std::memcpy(&inputType, trays + i * kTrayRecordBytes, sizeof inputType);
        if (inputType != 0) ++count;
    }
    return count;
}

// The bin of slot i of n: the manual feed last, the form source and the trays before it.
WORD BinAt(DWORD i, DWORD n) {
    return i + 1 == n ? static_cast<WORD>(DMBIN_MANUAL) : kTrayBins[i];
}

DWORD BinNameIdAt(DWORD i, DWORD n, DWORD driverAnswer) {
    if (i + 1 == n) return kManualNameId;
    if (i == 0) return driverAnswer <= 1 ? kFormSourceNameId : kAutoNameId;
    return kTrayNameIds[i - 1];
}

HRESULT WriteBinNames(HANDLE printer, WCHAR* names, DWORD count, DWORD driverAnswer) {
    if (printer == INVALID_HANDLE_VALUE) return E_NOTIMPL;
    IDrvResources* resources = nullptr;
    if (FAILED(CreateResources(&resources, printer, nullptr)) || !resources) return E_NOTIMPL;
    for (DWORD i = 0; i < count; ++i) {
        WCHAR* slot = names + i * CCHBINNAME;
        std::memset(slot, 0, CCHBINNAME * sizeof(WCHAR));
        resources->LoadString(BinNameIdAt(i, count, driverAnswer), slot, CCHBINNAME);
    }
    resources->Release();
    return kCapabilityCounted;
}

}  // namespace

HRESULT hrOEMDeviceCapabilities(POEMUIOBJ, HANDLE printer, PWSTR, WORD capability, PVOID output, PDEVMODEW, PVOID,
                                DWORD driverAnswer, DWORD* result, IDrvSettings*) {
    if (!result) return E_NOTIMPL;
    switch (capability) {
    case DC_BINS: {
        const DWORD count = BinCount(printer);
        *result = count;
        if (auto* bins = static_cast<WORD*>(output))
            for (DWORD i = 0; i < count; ++i) bins[i] = BinAt(i, count);
        return kCapabilityCounted;
    }
    case DC_BINNAMES: {
        const DWORD count = BinCount(printer);
        const HRESULT answer =
            output ? WriteBinNames(printer, static_cast<WCHAR*>(output), count, driverAnswer) : kCapabilityCounted;
        if (answer == kCapabilityCounted) *result = count;
        return answer;
    }
    case DC_MINEXTENT:
        *result = kMinExtent;
        return S_OK;
    case DC_MAXEXTENT:
        *result = kMaxExtent;
        return S_OK;
    case DC_ENUMRESOLUTIONS:
        *result = 1;
        if (auto* pair = static_cast<LONG*>(output)) {
            pair[0] = kResolution;
            pair[1] = kResolution;
        }
        return S_OK;
    default:
        return E_NOTIMPL;
    }
}
