#include "driver_devmode.h"

#include <algorithm>
#include <cstring>

#include <win/winspool_levels.h>

namespace palvex::hosts {

void WriteUnidrvPart(BYTE* part) {
    std::memset(part, 0, kUnidrvPartSize);
    std::memcpy(part, "PALVEXUD", 8);
    const WORD size = kUnidrvPartSize;
    std::memcpy(part + 8, &size, sizeof size);
}

const BYTE* DriverParts(const DEVMODEW* devmode, DWORD oemSize) {
    if (devmode->dmDriverExtra < kUnidrvPartSize + oemSize) return nullptr;
    const BYTE* part = reinterpret_cast<const BYTE*>(devmode) + devmode->dmSize;
    WORD size = 0;
    std::memcpy(&size, part + 8, sizeof size);
    return size == kUnidrvPartSize ? part : nullptr;
}

std::vector<BYTE> DefaultPublicPart(HANDLE printer, const std::u16string& printerName) {
    std::vector<BYTE> bytes(sizeof(DEVMODEW), 0);
    DEVMODEW* devmode = reinterpret_cast<DEVMODEW*>(bytes.data());

    // The printer's own default DEVMODE, when it has one, gives the public fields.
    DWORD needed = 0;
    GetPrinterW(printer, 8, nullptr, 0, &needed);
    if (needed >= sizeof(PRINTER_INFO_8W)) {
        std::vector<BYTE> info(needed);
        if (GetPrinterW(printer, 8, info.data(), needed, &needed)) {
            const DEVMODEW* stored = reinterpret_cast<PRINTER_INFO_8W*>(info.data())->pDevMode;
            if (stored && stored->dmSize >= offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) {
                std::memcpy(bytes.data(), stored, std::min<size_t>(stored->dmSize, sizeof(DEVMODEW)));
                devmode->dmSize = sizeof(DEVMODEW);
                devmode->dmDriverExtra = 0;
                return bytes;
            }
        }
    }

    // Else the driver's defaults: Letter for US English users, A4 for everyone else.
    const bool letter = GetUserDefaultLangID() == 1033;
    std::u16string name = printerName.substr(0, CCHDEVICENAME - 1);
    std::copy(name.begin(), name.end(), devmode->dmDeviceName);
    devmode->dmSpecVersion = DM_SPECVERSION;
    devmode->dmDriverVersion = 0x0600;
    devmode->dmSize = sizeof(DEVMODEW);
    devmode->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR |
                        DM_DUPLEX | DM_YRESOLUTION | DM_COLLATE | DM_FORMNAME;
    devmode->dmOrientation = DMORIENT_PORTRAIT;
    devmode->dmPaperSize = letter ? DMPAPER_LETTER : DMPAPER_A4;
    devmode->dmScale = 100;
    devmode->dmCopies = 1;
    devmode->dmDefaultSource = DMBIN_AUTO;
    devmode->dmPrintQuality = 600;
    devmode->dmColor = DMCOLOR_MONOCHROME;
    devmode->dmDuplex = DMDUP_SIMPLEX;
    devmode->dmYResolution = 600;
    devmode->dmCollate = DMCOLLATE_TRUE;
    const std::u16string form = letter ? u"Letter" : u"A4";
    std::copy(form.begin(), form.end(), devmode->dmFormName);
    return bytes;
}

DWORD MakeDefaultDevMode(IPrintOemCommon* plugin, HANDLE printer, const std::vector<BYTE>& publicPart,
                         std::vector<BYTE>* devmode, const DevModeRecorder& record) {
    std::vector<BYTE> sizing = publicPart;
    OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = printer;
    param.pPublicDMIn = AsDevMode(sizing);
    param.pPublicDMOut = AsDevMode(sizing);
    const HRESULT sized = plugin->DevMode(OEMDM_SIZE, &param);
    record(sized);
    DWORD oemSize = SUCCEEDED(sized) ? param.cbBufSize : 0;
    *devmode = publicPart;
    devmode->resize(publicPart.size() + kUnidrvPartSize + oemSize, 0);
    WriteUnidrvPart(devmode->data() + publicPart.size());
    AsDevMode(*devmode)->dmDriverExtra = static_cast<WORD>(kUnidrvPartSize + oemSize);
    if (oemSize) {
        param.pPublicDMIn = AsDevMode(*devmode);
        param.pPublicDMOut = AsDevMode(*devmode);
        param.pOEMDMIn = nullptr;
        param.pOEMDMOut = devmode->data() + publicPart.size() + kUnidrvPartSize;
        param.cbBufSize = oemSize;
        const HRESULT made = plugin->DevMode(OEMDM_DEFAULT, &param);
        record(made);
        if (FAILED(made)) {
            // Without a default private part the plug-in keeps none.
            oemSize = 0;
            devmode->resize(publicPart.size() + kUnidrvPartSize);
            AsDevMode(*devmode)->dmDriverExtra = kUnidrvPartSize;
        }
    }
    return oemSize;
}

std::vector<BYTE> MergeDevModeInto(IPrintOemCommon* plugin, HANDLE printer, const std::vector<BYTE>& defaults,
                                   DWORD oemSize, const DEVMODEW* devmode, const DevModeRecorder& record,
                                   HRESULT* result) {
    *result = S_OK;
    if (!devmode) return defaults;
    const size_t publicSize = sizeof(DEVMODEW);
    std::vector<BYTE> merged = defaults;

    // The input in the driver's layout: its public fields, then its own driver and plug-in parts
    // when it carries this driver's, else the defaults.
    std::vector<BYTE> input = defaults;
    const size_t fieldsAt = offsetof(DEVMODEW, dmFields);
    if (devmode->dmSize > fieldsAt)
        std::memcpy(input.data() + fieldsAt, reinterpret_cast<const BYTE*>(devmode) + fieldsAt,
                    std::min<size_t>(devmode->dmSize, publicSize) - fieldsAt);
    if (const BYTE* parts = DriverParts(devmode, oemSize))
        std::memcpy(input.data() + publicSize, parts, kUnidrvPartSize + oemSize);

    // The public fields and the driver's own part are the input's; the plug-in merges its own part.
    std::memcpy(merged.data() + fieldsAt, input.data() + fieldsAt, publicSize - fieldsAt);
    std::memcpy(merged.data() + publicSize, input.data() + publicSize, kUnidrvPartSize);
    if (oemSize) {
        OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.hPrinter = printer;
        param.pPublicDMIn = AsDevMode(input);
        param.pPublicDMOut = AsDevMode(merged);
        param.pOEMDMIn = input.data() + publicSize + kUnidrvPartSize;
        param.pOEMDMOut = merged.data() + publicSize + kUnidrvPartSize;
        param.cbBufSize = oemSize;
        *result = plugin->DevMode(OEMDM_MERGE, &param);
        record(*result);
    }
    return merged;
}

}  // namespace palvex::hosts
