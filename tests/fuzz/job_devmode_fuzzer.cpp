// Job DEVMODEs as applications hand them to the print processor: any bytes, as long as the
// DEVMODE claims (dmSize + dmDriverExtra) as the job store and the spool reader guarantee, read
// through every getter and setter of the print processor's settings over the model's own blocks.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include <sanitizer/asan_interface.h>
#include <win/windows.h>

#include "cosettings.h"
#include "fuzz_printer.h"
#include "private_devmode.h"

namespace {

constexpr char16_t kPrinter[] = u"Palvex Fuzz Printer";

CoSettings* MakeSettings() {
    fuzz::InstallPrinter(kPrinter, u"PALVEXF.GPD", {u"OEMDEVMODE", u"PRINTERSETTINGS"});
    auto* settings = new CoSettings;
    settings->AddRef();
    if (FAILED(settings->Init(kPrinter))) std::abort();
    return settings;
}

// Reads every getter; an invalid DEVMODE must fail every one of them alike.
void ReadAll(ISettings* settings, const DEVMODEW* devmode, bool valid) {
    BYTE a = 0, b = 0, c = 0, d = 0;
    WORD w = 0, x = 0;
    DWORD n = 0;
    WatermarkSettings watermark{};
    WCHAR text[40], font[8];
    const HRESULT results[] = {
        settings->GetPageOrder(devmode, &a),
        settings->GetBooklet(devmode, &a, &b),
        settings->GetNup(devmode, &a, &b, &c, &d),
        settings->GetScaling(devmode, &a, &w, &b, &x),
        settings->GetWatermark(devmode, &watermark, text, sizeof text, font, sizeof font),
        settings->GetPDLType(devmode, &n),
        settings->GetDeviceType(devmode, &n),
        settings->GetPaperCollatedCopies(devmode, &n),
        settings->GetGraphicsMode(devmode, &a),
        settings->GetRotated(devmode, &a),
        settings->GetDuplexType(devmode, &n),
        settings->GetGrayscale(devmode, &a),
        settings->GetPoster(devmode, &a, &b),
        settings->GetBinding(devmode, &a, &b, &c, &n),
        settings->GetDateTime(devmode, &a, &b, text, sizeof text, &c),
    };
    for (HRESULT result : results)
        if (SUCCEEDED(result) != valid) std::abort();
    // The cut texts end inside their buffers.
    if (valid && (!std::char_traits<char16_t>::find(font, std::size(font), 0) ||
                  !std::char_traits<char16_t>::find(text, std::size(text), 0)))
        std::abort();
    BYTE value[256];
    for (LPCWSTR key : {u"_SIZE", u"_WMK_TEXT", u"_BINDING_ADJUSTRECT", u"_OEM_RESERVE", u"_NO_SUCH_KEY", u"_PDLTYPE"}) {
        settings->GetValue(devmode, key, value, sizeof value, 0);
        settings->GetValue(devmode, key, value, 2, 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CoSettings* const settings = MakeSettings();
    if (size < kSmallestDevmodeSize) return 0;
    DEVMODEW head{};
    std::memcpy(&head, data, std::min(size, sizeof head));
    // The DEVMODE is exactly as long as it claims: the input is cut or padded with zeros to it.
    const size_t extent = static_cast<size_t>(head.dmSize) + head.dmDriverExtra;
    if (extent < kSmallestDevmodeSize) return 0;
    // One buffer for every input, as long as the longest DEVMODE a header can claim: a fresh
    // allocation of up to 128 KB an input would cost more than the reads under test. The bytes past
    // the DEVMODE are poisoned, so a read beyond its claim is still caught.
    static std::vector<BYTE> buffer(size_t{0xFFFF} * 2);
    static size_t dirty = 0;  // bytes from the buffer's start that some input may have changed
    ASAN_UNPOISON_MEMORY_REGION(buffer.data(), buffer.size());
    const size_t copied = std::min(size, extent);
    std::memcpy(buffer.data(), data, copied);
    if (dirty > copied) std::memset(buffer.data() + copied, 0, std::min(dirty, extent) - copied);
    dirty = std::max(dirty, extent);
    ASAN_POISON_MEMORY_REGION(buffer.data() + extent, buffer.size() - extent);
    auto* devmode = reinterpret_cast<DEVMODEW*>(buffer.data());

    const bool valid = SUCCEEDED(settings->Validate(devmode));
    ReadAll(settings, devmode, valid);
    const RECT rect{1, 2, 3, 4};
    const HRESULT written[] = {
        settings->SetDocPageCount(devmode, 7),
        settings->SetNupPageOrient(devmode, 0x5),
        settings->SetFirstPageSize(devmode, DMPAPER_A4),
        settings->SetBindingAdjustRect(devmode, &rect),
    };
    for (HRESULT result : written)
        if (FAILED(result) && valid) std::abort();
    // The setters write inside the private block only: the DEVMODE stays as valid as it was.
    if (SUCCEEDED(settings->Validate(devmode)) != valid) std::abort();
    if (valid) ReadAll(settings, devmode, true);
    // With no DEVMODE the defaults of either block are read.
    BYTE value[64];
    settings->GetValue(nullptr, u"_SIZE", value, sizeof value, 0);
    settings->GetValue(nullptr, u"_PDLTYPE", value, sizeof value, 1);
    return 0;
}
