// A printer for the render plug-in's tests: a driver with the model's resource library, and
// settings blocks laid out by hand in its printer data. Hosts drive a plug-in object made by the
// linked class factory, so tests reach its hook table and OEM PDEV.
//
// The test private devmode (OEMDEVMODE record, 335 bytes; offsets below):
//   0 _SIZE D              21 _SCALEDOCON_ENABLED B   161 _WMK_FONT CH[64]   303 _ACC_DOCPAGECOUNT D
//   4 _SIGNATURE D         22 _SCALEDOCON_SIZE W      289 _WMK_ANGLE B       307 _ACC_NUPPAGEORIENT D
//   8 _VERSION D           24 _SCALEDOCON_TOFIT B     290 _WMK_DEGREE W      311 _FIRSTPAGESIZE D
//  12 _PDLTYPE D           25 _SCALE_FACTOR W         292 _WMK_COLOR R       315 _GRXMODE B
//  16 _PAGEORDER B         27 _MEDIASIZE_WIDTH W      296 _WMK_SHADE W       316 _ROTATED B
//  17 _BOOKLET B           29 _MEDIASIZE_HEIGHT W     298 _WMK_SIZE W        317 _PRNTXTBLACK B
//  18 _NUP_PAGES B         31 _WMK_ENABLED B          300 _WMK_STYLE B       318 _BINDING_ENABLED B
//  19 _NUP_BORDER B        32 _WMK_1STPAGEONLY B      301 _POSTER B          319 _BINDING_ADJUSTRECT D[4]
//  20 _NUP_ORDER B         33 _WMK_TEXT CH[64]        302 _POSTER_CROP B       335 _PRINT_TYPE B
// Default record: _VERSION 1, _PDLTYPE 50, _NUP_ORDER 1, _SCALE_FACTOR 100, _FIRSTPAGESIZE
// 0x10000, _GRXMODE 1 (text as text); everything else 0.
// The printer settings (PRINTERSETTINGS record, 62 bytes): 0 _SIZE, 4 _SIGNATURE, 8 _VERSION,
// 12 _PDLTYPE, 16 _DEVICETYPE, 20 _DUPLEXTYPE, 24 _WMKMODE (D each), 28 _USRACTPRN_ENABLED B,
// 29 _FORMASSIGN B, 30 _FORMSIZE D, 34 _FORMSIZE_LIST D[7].
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/process_image.h>
#include <render_host.h>
#include <win/windows.h>

#include "coplugin.h"
#include "le_fields.h"
#include "oem_pdev.h"

namespace rendertest {

inline constexpr char16_t kPrinter[] = u"Palvex Render Printer";
inline constexpr char16_t kDriver[] = u"Palvex Render Driver";
inline constexpr DWORD kRecordSize = 336;
inline constexpr DWORD kPrinterRecordSize = 62;

namespace at {
inline constexpr DWORD kSize = 0, kSignature = 4, kPdlType = 12, kPageOrder = 16, kBooklet = 17, kNupPages = 18,
                       kNupBorder = 19, kNupOrder = 20, kScaleEnabled = 21, kScaleSize = 22, kScaleToFit = 24,
                       kScaleFactor = 25, kMediaWidth = 27, kMediaHeight = 29, kWmkEnabled = 31, kWmkFirstPage = 32,
                       kWmkText = 33, kWmkFont = 161, kDocPageCount = 303, kNupPageOrient = 307, kFirstPageSize = 311,
                       kGrxMode = 315, kRotated = 316, kPrintTextBlack = 317, kBindingEnabled = 318,
                       kBindingAdjustRect = 319, kPrintType = 335;
}  // namespace at

struct PrinterValues {
    DWORD pdlType = 50;
    DWORD deviceType = 1;
    DWORD duplexType = 1;  // a duplex unit (0 would make every merge simplex)
    DWORD wmkMode = 0;
    BYTE userTracking = 0;
    BYTE formAssign = 0;
    DWORD formSize = 9;
    DWORD formSizeList[7] = {9, 9, 9, 9, 9, 9, 9};
};

// What the test printer's driver has.
struct InstallOptions {
    bool resourceLibrary = true;  // TOVQEBRES.DLL among its files (the resources object needs it)
    bool settingsBlocks = true;   // OEMDEVMODE and PRINTERSETTINGS in its printer data
    PrinterValues printer;
};
void InstallRenderPrinter(const InstallOptions& options = {});

using xprtest::Peek;
using xprtest::Poke;

// Where the private part starts in the host's DEVMODEs.
inline constexpr size_t kPrivateAt = sizeof(DEVMODEW) + palvex::hosts::kUnidrvPartSize;

// A job DEVMODE in the host's layout whose fields tests set.
class JobDevMode {
public:
    explicit JobDevMode(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}
    DEVMODEW* get() { return reinterpret_cast<DEVMODEW*>(m_bytes.data()); }
    DEVMODEW* operator->() { return get(); }
    template <class T>
    JobDevMode& Set(DWORD recordOffset, T value) {
        Poke(m_bytes, kPrivateAt + recordOffset, value);
        return *this;
    }
    JobDevMode& SetByte(DWORD recordOffset, BYTE value) { return Set(recordOffset, value); }

private:
    std::vector<BYTE> m_bytes;
};

// The plug-in object a host made with the linked factory.
inline CoPlugin* PluginOf(const palvex::hosts::RenderHost& host) {
    return static_cast<CoPlugin*>(host.Plugin());
}
inline OemPdev* PdevOf(palvex::hosts::RenderHost& host) {
    return OemPdevOf(host.Pdevobj());
}

// EnablePDEV's arguments outside a host: the test printer opened for use (closed with the
// object), a DEVMODE of no more than its size, the DEVOBJ over both, and empty GDIINFO, DEVINFO
// and driver functions; oem is where the OEM PDEV goes.
struct EnableArguments {
    EnableArguments() {
        EXPECT_TRUE(OpenPrinterW(printer.data(), &handle, nullptr));
        devmode.dmSize = sizeof devmode;
        devobj.hPrinter = handle;
        devobj.pPublicDM = &devmode;
    }
    ~EnableArguments() {
        if (handle) ClosePrinter(handle);
    }
    EnableArguments(const EnableArguments&) = delete;
    EnableArguments& operator=(const EnableArguments&) = delete;

    std::u16string printer = kPrinter;
    HANDLE handle = nullptr;
    DEVMODEW devmode{};
    DEVOBJ devobj{};
    GDIINFO gdi{};
    DEVINFO devInfo{};
    DRVENABLEDATA data{};
    PDEVOEM oem = nullptr;
};

// The Unidrv events of a host with this name.
std::vector<palvex::hosts::RenderEvent> UnidrvEvents(const palvex::hosts::RenderHost& host, const std::string& name);
// The names of the plug-in methods the host called, in order.
std::vector<std::string> PluginCalls(const palvex::hosts::RenderHost& host);

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { InstallRenderPrinter(); }

    // A loaded host around a plug-in object of the linked factory.
    std::unique_ptr<palvex::hosts::RenderHost> MakeHost(palvex::hosts::RenderHostOptions options = {});
    // The default DEVMODE of a loaded host, to set fields in.
    static JobDevMode DefaultJob(const palvex::hosts::RenderHost& host) { return JobDevMode(host.DevMode()); }

    palvex::TestMachine m_machine;
};

}  // namespace rendertest
