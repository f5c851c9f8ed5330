// A machine with the printer "Palvex Test" whose driver lists chosen dependent files, and a
// resource provider made for it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/os_profile.h>

#include "coresources.h"
#include "coresources_impl.h"

namespace coresources_test {

// The test libraries built from tests/data/resources, the model's library and its version stand-ins.
std::filesystem::path TestLibrary();    // TESTRES.DLL: Japanese, English, some German
std::filesystem::path OwnModule();      // the plug-in's own resources
std::filesystem::path ModelLibrary();   // the package's TOVQEBRES.DLL
std::filesystem::path VersionStandIn(const std::string& module);  // e.g. "tovqebui"

class ResourcesFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The driver folder of the machine, "C:\Windows\System32\spool\drivers\x64\3".
    std::u16string DriverFolder() const;
    // Copies a host file into the driver folder under name.
    void PutDriverFile(const std::filesystem::path& source, const std::u16string& name);
    // Writes the driver ini (UTF-8) into the driver folder.
    void PutIni(const std::u16string& name, const std::string& text);
    void SetLanguages(LANGID user, LANGID system, DWORD majorVersion = 10);
    // Installs the driver with these dependent files (names in the driver folder) and the printer.
    void Install(const std::vector<std::u16string>& dependentFiles, const std::u16string& printProcessor = u"winprint",
                 const std::u16string& helpFile = u"TOVQEB.HLP");
    // A provider for the printer; fails the test when it cannot be made.
    CoResources* Make();
    HRESULT TryMake(IDrvResources** resources);

    std::unique_ptr<palvex::TestMachine> m_machine;
    HANDLE m_printer = nullptr;
    HMODULE m_ownModule = nullptr;
    std::vector<IDrvResources*> m_made;
};

// The standard install: the test library as TESTRES.DLL, an ini, a UI module stand-in.
std::vector<std::u16string> StandardFiles();

}  // namespace coresources_test
