#include "render_fixture.h"

#include <filesystem>
#include <stdexcept>

#include <palvex/paths.h>

#include "block_builder.h"
#include "driver_columns.h"
#include "printer_data.h"
#include "tovqebxl.h"
#include "xpr.h"

namespace rendertest {
namespace {

using xprtest::BlockBuilder;
using K = XprColumnKind;

std::vector<BYTE> OemDevmodeBlock() {
    BlockBuilder builder;
    const auto columns = xprtest::Columns(xprtest::DevmodeLeadColumns(), {
        {u"_MEDIASIZE_WIDTH", K::WORD},
        {u"_MEDIASIZE_HEIGHT", K::WORD},
        {u"_WMK_ENABLED", K::BYTE},
        {u"_WMK_1STPAGEONLY", K::BYTE},
        {u"_WMK_TEXT", K::CHAR, 64},
        {u"_WMK_FONT", K::CHAR, 64},
        {u"_WMK_ANGLE", K::BYTE},
        {u"_WMK_DEGREE", K::WORD},
        {u"_WMK_COLOR", K::COLORREF},
        {u"_WMK_SHADE", K::WORD},
        {u"_WMK_SIZE", K::WORD},
        {u"_WMK_STYLE", K::BYTE},
        {u"_POSTER", K::BYTE},
        {u"_POSTER_CROP", K::BYTE},
        {u"_ACC_DOCPAGECOUNT", K::DWORD},
        {u"_ACC_NUPPAGEORIENT", K::DWORD},
        {u"_FIRSTPAGESIZE", K::DWORD},
        {u"_GRXMODE", K::BYTE},
        {u"_ROTATED", K::BYTE},
        {u"_PRNTXTBLACK", K::BYTE},
        {u"_BINDING_ENABLED", K::BYTE},
        {u"_BINDING_ADJUSTRECT", K::DWORD, 4},
        {u"_PRINT_TYPE", K::BYTE},
    });
    const int table = builder.AddTable(u"OEMDEVMODE", columns);
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetDword(table, row, u"_VERSION", 1);
    builder.SetDword(table, row, u"_PDLTYPE", 50);
    builder.SetBytes(table, row, u"_NUP_ORDER", {1});
    builder.SetBytes(table, row, u"_SCALE_FACTOR", {100, 0});
    builder.SetDword(table, row, u"_FIRSTPAGESIZE", 0x10000);
    builder.SetBytes(table, row, u"_GRXMODE", {1});
    return builder.Build();
}

std::vector<BYTE> PrinterSettingsBlock(const PrinterValues& values) {
    BlockBuilder builder;
    const auto columns = xprtest::Columns(xprtest::PrinterSettingsLeadColumns(), {
        {u"_DEVICETYPE", K::DWORD},
        {u"_DUPLEXTYPE", K::DWORD},
        {u"_WMKMODE", K::DWORD},
        {u"_USRACTPRN_ENABLED", K::BYTE},
        {u"_FORMASSIGN", K::BYTE},
        {u"_FORMSIZE", K::DWORD},
        {u"_FORMSIZE_LIST", K::DWORD, 7},
    });
    const int table = builder.AddTable(u"PRINTERSETTINGS", columns);
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetBytes(table, row, u"_USRACTPRN_ENABLED", {values.userTracking});
    builder.SetBytes(table, row, u"_FORMASSIGN", {values.formAssign});
    builder.SetDword(table, row, u"_FORMSIZE", values.formSize);
    std::vector<BYTE> list;
    for (DWORD entry : values.formSizeList)
        for (int shift = 0; shift < 32; shift += 8) list.push_back(static_cast<BYTE>(entry >> shift));
    builder.SetBytes(table, row, u"_FORMSIZE_LIST", list);
    builder.SetDword(table, row, u"_PDLTYPE", values.pdlType);
    builder.SetDword(table, row, u"_DEVICETYPE", values.deviceType);
    builder.SetDword(table, row, u"_DUPLEXTYPE", values.duplexType);
    builder.SetDword(table, row, u"_WMKMODE", values.wmkMode);
    return builder.Build();
}

std::u16string DriverFolder() {
    WCHAR folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed))
        throw std::runtime_error("GetPrinterDriverDirectoryW failed");
    return std::u16string(folder) + u"\\3";
}

}  // namespace

void InstallRenderPrinter(const InstallOptions& options) {
    palvex::DriverDesc driver;
    driver.name = kDriver;
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = u"TOVQEB.GPD";
    driver.configFile = u"UNIDRVUI.DLL";
    driver.dependentFiles = {u"TOVQEBXL.DLL"};
    if (options.resourceLibrary) {
        driver.dependentFiles.push_back(u"TOVQEBRES.DLL");
        const std::filesystem::path target = palvex::HostPath(DriverFolder() + u"\\TOVQEBRES.DLL");
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(PALVEX_MODEL_RESOURCE_DLL, target, std::filesystem::copy_options::overwrite_existing);
    }
    palvex::AddDriver(driver);
    palvex::AddPrinter(kPrinter, kDriver, u"FILE:");
    if (options.settingsBlocks) {
        xprtest::WritePrinterValue(kPrinter, u"OEMDEVMODE", OemDevmodeBlock());
        xprtest::WritePrinterValue(kPrinter, u"PRINTERSETTINGS", PrinterSettingsBlock(options.printer));
    }
}

std::vector<palvex::hosts::RenderEvent> UnidrvEvents(const palvex::hosts::RenderHost& host, const std::string& name) {
    std::vector<palvex::hosts::RenderEvent> found;
    for (const auto& event : host.events())
        if (event.kind == palvex::hosts::RenderEvent::Kind::Unidrv && event.name == name) found.push_back(event);
    return found;
}

std::vector<std::string> PluginCalls(const palvex::hosts::RenderHost& host) {
    std::vector<std::string> names;
    for (const auto& event : host.events())
        if (event.kind == palvex::hosts::RenderEvent::Kind::Plugin) names.push_back(event.name);
    return names;
}

std::unique_ptr<palvex::hosts::RenderHost> RenderTest::MakeHost(palvex::hosts::RenderHostOptions options) {
    if (options.printerName.empty()) options.printerName = kPrinter;
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_OEMRENDER, IID_IClassFactory, &factory), S_OK);
    auto host = std::make_unique<palvex::hosts::RenderHost>(static_cast<IClassFactory*>(factory), std::move(options));
    static_cast<IClassFactory*>(factory)->Release();
    EXPECT_TRUE(host->Load()) << host->error();
    return host;
}

}  // namespace rendertest
