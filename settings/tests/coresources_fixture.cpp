#include "coresources_fixture.h"

#include <fstream>

#include <palvex/paths.h>
#include <palvex/utf8.h>
#include <win/windows.h>

namespace coresources_test {

namespace fs = std::filesystem;

fs::path TestLibrary() {
    return fs::path(CORESOURCES_TEST_DATA) / "TESTRES.DLL";
}

fs::path OwnModule() {
    return fs::path(CORESOURCES_TEST_DATA) / "own_module.dll";
}

fs::path ModelLibrary() {
    return PALVEX_MODEL_RESOURCE_DLL;
}

fs::path VersionStandIn(const std::string& module) {
    return fs::path(PALVEX_MODEL_RESOURCE_DLL).parent_path() / "versions" / (module + ".dll");
}

std::vector<std::u16string> StandardFiles() {
    return {u"TESTRES.DLL", u"TOVQEB.INI", u"TOVQEBUI.DLL"};
}

void ResourcesFixture::SetUp() {
    m_machine = std::make_unique<palvex::TestMachine>();
    m_ownModule = LoadLibraryExW(palvex::FromUtf8(OwnModule().string()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(m_ownModule, nullptr);
    SetResourcesOwnModule(m_ownModule);
}

void ResourcesFixture::TearDown() {
    for (IDrvResources* resources : m_made) resources->Release();
    if (m_printer) ClosePrinter(m_printer);
    SetResourcesOwnModule(nullptr);
    if (m_ownModule) FreeLibrary(m_ownModule);
    m_machine.reset();
}

std::u16string ResourcesFixture::DriverFolder() const {
    WCHAR folder[MAX_PATH] = {};
    DWORD needed = 0;
    EXPECT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder), &needed));
    return std::u16string(folder) + u"\\3";
}

void ResourcesFixture::PutDriverFile(const fs::path& source, const std::u16string& name) {
    const fs::path target = palvex::HostPath(DriverFolder() + u"\\" + name);
    fs::create_directories(target.parent_path());
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
}

void ResourcesFixture::PutIni(const std::u16string& name, const std::string& text) {
    const fs::path target = palvex::HostPath(DriverFolder() + u"\\" + name);
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << text;
}

void ResourcesFixture::SetLanguages(LANGID user, LANGID system, DWORD majorVersion) {
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.userUILanguage = user;
    profile.systemUILanguage = system;
    profile.majorVersion = majorVersion;
    profile.minorVersion = majorVersion == 5 ? 1 : 0;
    palvex::SetOsProfile(profile);
}

void ResourcesFixture::Install(const std::vector<std::u16string>& dependentFiles, const std::u16string& printProcessor,
                               const std::u16string& helpFile) {
    palvex::DriverDesc driver;
    driver.name = u"Palvex Test";
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = u"TOVQEB.GPD";
    driver.configFile = u"UNIDRVUI.DLL";
    driver.helpFile = helpFile;
    driver.dependentFiles = dependentFiles;
    palvex::AddDriver(driver);
    palvex::AddPrinter(u"Palvex Test", u"Palvex Test", u"FILE:", printProcessor);
    std::u16string name = u"Palvex Test";
    ASSERT_TRUE(OpenPrinterW(name.data(), &m_printer, nullptr));
}

HRESULT ResourcesFixture::TryMake(IDrvResources** resources) {
    const HRESULT result = CreateResources(resources, m_printer, nullptr);
    if (SUCCEEDED(result)) m_made.push_back(*resources);
    return result;
}

CoResources* ResourcesFixture::Make() {
    IDrvResources* resources = nullptr;
    const HRESULT result = TryMake(&resources);
    EXPECT_EQ(result, S_OK);
    return static_cast<CoResources*>(resources);
}

}  // namespace coresources_test
