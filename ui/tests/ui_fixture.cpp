#include "ui_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <palvex/paths.h>

#include "drvstore.h"
#include "tovqebui.h"
#include "xpc.h"
#include "xpr.h"

namespace uitest {
namespace {

std::u16string DriverFolder() {
    WCHAR folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed))
        throw std::runtime_error("GetPrinterDriverDirectoryW failed");
    return std::u16string(folder) + u"\\3";
}

void CopyIntoDriverFolder(const std::filesystem::path& source, const std::u16string& name) {
    const std::filesystem::path target = palvex::HostPath(DriverFolder() + u"\\" + name);
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

std::u16string DriverFileName(const std::u16string& name) { return DriverFolder() + u"\\" + name; }

std::filesystem::path DriverFile(const std::u16string& name) { return palvex::HostPath(DriverFileName(name)); }

void DropDescriptionMediaTypes() {
    const std::filesystem::path gpd = DriverFile(u"TOVQEB.GPD");
    std::string text;
    {
        std::ifstream in(gpd, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string feature = "*Feature: MediaType";
    const size_t at = text.find(feature);
    if (at == std::string::npos) throw std::runtime_error("the description has no media-type feature");
    text.replace(at, feature.size(), "*Feature: NoMediaType");
    std::ofstream(gpd, std::ios::binary | std::ios::trunc) << text;
}

void InstallUiPrinter(const InstallOptions& options) {
    palvex::DriverDesc driver;
    driver.name = kDriver;
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = u"TOVQEB.GPD";
    driver.configFile = u"UNIDRVUI.DLL";
    driver.dependentFiles = {u"TOVQEBUI.DLL", u"TOVQEBRES.DLL", kHelperFile};
    const std::filesystem::path package = PALVEX_PACKAGE_FOLDER;
    if (options.description && !options.extraDescription.empty()) {
        std::ifstream in(package / "TOVQEB.GPD", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string endTag = "*% XPD END - DO NOT REMOVE THIS TAG";
        std::string extra;
        for (char c : options.extraDescription) {
            if (c == '\n') extra += '\r';
            extra += c;
        }
        // Inside the description's outermost section, which the line before the end tag closes.
        const size_t end = text.find(endTag);
        text.insert(text.rfind('}', end), extra);
        const std::filesystem::path target = palvex::HostPath(DriverFolder() + u"\\TOVQEB.GPD");
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << text;
    } else if (options.description) {
        CopyIntoDriverFolder(package / "TOVQEB.GPD", u"TOVQEB.GPD");
    } else {
        std::ofstream(palvex::HostPath(DriverFolder() + u"\\TOVQEB.GPD"));
    }
    CopyIntoDriverFolder(PALVEX_MODEL_RESOURCE_DLL, u"TOVQEBRES.DLL");
    CopyIntoDriverFolder(PALVEX_DUPLEX_HELPER, kHelperFile);
    palvex::AddDriver(driver);
    palvex::AddPrinter(kPrinter, kDriver, u"FILE:");
}

void SetPrinterValue(const std::u16string& name, DWORD type, const std::vector<BYTE>& bytes) {
    PrinterHandle printer;
    if (SetPrinterDataW(printer.get(), const_cast<LPWSTR>(name.c_str()), type, const_cast<BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
        throw std::runtime_error("SetPrinterDataW failed");
}

void SetPrinterNumber(const std::u16string& name, DWORD value) {
    std::vector<BYTE> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    SetPrinterValue(name, REG_DWORD, bytes);
}

std::vector<BYTE> PrinterValue(const std::u16string& name, DWORD* type) {
    PrinterHandle printer;
    DWORD needed = 0;
    DWORD kind = 0;
    GetPrinterDataW(printer.get(), const_cast<LPWSTR>(name.c_str()), &kind, nullptr, 0, &needed);
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataW(printer.get(), const_cast<LPWSTR>(name.c_str()), &kind, bytes.data(), needed, &needed) !=
        ERROR_SUCCESS)
        return {};
    if (type) *type = kind;
    return bytes;
}

bool HasPrinterValue(const std::u16string& name) {
    PrinterHandle printer;
    DWORD needed = 0;
    DWORD kind = 0;
    const DWORD error = GetPrinterDataW(printer.get(), const_cast<LPWSTR>(name.c_str()), &kind, nullptr, 0, &needed);
    return error == ERROR_SUCCESS || error == ERROR_MORE_DATA;
}

std::u16string PrintProcessorOf(const std::u16string& printer) {
    for (const auto& listed : palvex::ListPrinters())
        if (listed.name == printer) return listed.printProcessor;
    return {};
}

void RegisterPrintProcessor(const std::u16string& name) {
    const std::u16string path =
        u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\" + name;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("RegCreateKeyExW failed");
    const std::u16string file = u"tovqebpp.dll";
    RegSetValueExW(key, u"Driver", 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                   static_cast<DWORD>((file.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
}

void SetPrinterSetting(const std::u16string& field, DWORD value) {
    PrinterHandle printer;
    ASSERT_LT(CompileByHandle(printer.get()), 2u);
    XprStore* loaded = nullptr;
    ASSERT_LT(CreateByHandle(&loaded, printer.get(), u"PRINTERSETTINGS"), 2u);
    const OwnedStore store(loaded);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchFirstRow(store.get(), u"PRINTERSETTINGS", &cursor), 0u);
    ASSERT_EQ(SetValue(cursor, &value, sizeof value, field.c_str()), 0u);
    ASSERT_LT(SaveByHandle(store.get(), printer.get(), FALSE), 2u);
}

CoUIPlugin* MakePlugin() {
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, &factory), S_OK);
    void* object = nullptr;
    EXPECT_EQ(static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, IID_IPrintOemUI2, &object), S_OK);
    static_cast<IClassFactory*>(factory)->Release();
    return static_cast<CoUIPlugin*>(static_cast<IPrintOemUI2*>(object));
}

std::unique_ptr<palvex::hosts::UiHost> UiTest::MakeHost() {
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, &factory), S_OK);
    auto host = std::make_unique<palvex::hosts::UiHost>(static_cast<IClassFactory*>(factory),
                                                        palvex::hosts::UiHostOptions{kPrinter});
    static_cast<IClassFactory*>(factory)->Release();
    EXPECT_TRUE(host->Load()) << host->error();
    return host;
}

}  // namespace uitest
