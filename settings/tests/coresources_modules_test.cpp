// The driver's files found by their role among dependent-file lists, including names that a
// search over the whole list, or one that ignores the universal driver's library, gets wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drvmodules.h"

namespace {

// A NUL-separated list ended by a second NUL, as the driver record holds it.
std::u16string MultiString(const std::vector<std::u16string>& entries) {
    std::u16string list;
    for (const auto& entry : entries) list += entry + u'\0';
    return list + u'\0';
}

std::u16string Found(LPWSTR entry) {
    return entry ? std::u16string(entry) : u"<none>";
}

struct RoleCase {
    const char* name;
    std::vector<std::u16string> files;
    std::u16string resource, ini, mdn, ui;
};

class DriverModuleRoles : public ::testing::TestWithParam<RoleCase> {};

TEST_P(DriverModuleRoles, FirstMatchingEntryInListOrder) {
    const RoleCase& c = GetParam();
    std::u16string list = MultiString(c.files);
    UpperCaseDependentFiles(list.data());
    EXPECT_EQ(Found(FindResourceLibraryFile(list.data())), c.resource);
    EXPECT_EQ(Found(FindIniFile(list.data())), c.ini);
    EXPECT_EQ(Found(FindMdnFile(list.data())), c.mdn);
    EXPECT_EQ(Found(FindUIFile(list.data())), c.ui);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, DriverModuleRoles,
    ::testing::Values(
        RoleCase{"UniversalLibraryBeforeModels",
                 {u"C:\\D\\UNIRES.DLL", u"C:\\D\\TOVQEBRES.DLL", u"C:\\D\\TOVQEB.INI", u"C:\\D\\TOVQEBUI.DLL"},
                 u"C:\\D\\TOVQEBRES.DLL", u"C:\\D\\TOVQEB.INI", u"<none>", u"C:\\D\\TOVQEBUI.DLL"},
        // Lower-case names match once upper-cased; entries after the first are searched too.
        RoleCase{"LowerCaseAndLaterEntries",
                 {u"c:\\d\\stdnames.gpd", u"c:\\d\\tovqebmdn.exe", u"c:\\d\\tovqeb.ini", u"c:\\d\\tovqebres.dll"},
                 u"C:\\D\\TOVQEBRES.DLL", u"C:\\D\\TOVQEB.INI", u"C:\\D\\TOVQEBMDN.EXE", u"<none>"},
        // Without any "RES.DLL" the first "UI.DLL" carries the resources.
        RoleCase{"NoResourceLibraryTakesUIModule",
                 {u"TOVQEB.XPD", u"TOVQEBUI.DLL", u"OTHERUI.DLL"},
                 u"TOVQEBUI.DLL", u"<none>", u"<none>", u"TOVQEBUI.DLL"},
        // The universal library is never the model's, even when it is the only "RES.DLL"; a
        // "UIP.DLL" module does not stand in for the library, but is the UI module.
        RoleCase{"OnlyUniversalLibrary",
                 {u"UNIRES.DLL", u"TOVQEBUIP.DLL"},
                 u"<none>", u"<none>", u"<none>", u"TOVQEBUIP.DLL"},
        // A helper with a dotted suffix is found as well.
        RoleCase{"DottedHelper",
                 {u"TOVQEB.MDN.EXE", u"TOVQEBRES.DLL"},
                 u"TOVQEBRES.DLL", u"<none>", u"TOVQEB.MDN.EXE", u"<none>"},
        RoleCase{"EmptyList", {}, u"<none>", u"<none>", u"<none>", u"<none>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DriverModuleNames, ExcludedPatternSkipsAnEntryButNotLaterOnes) {
    std::u16string list = MultiString({u"UNIRES.DLL", u"XUNIRES.DLL", u"TOVQEBRES.DLL"});
    EXPECT_EQ(Found(FindDependentFile(list.data(), DRVMOD_RESOURCE, DRVMOD_UNIVERSAL_RESOURCE)), u"TOVQEBRES.DLL");
    EXPECT_EQ(Found(FindDependentFile(list.data(), DRVMOD_RESOURCE)), u"UNIRES.DLL");
    EXPECT_EQ(FindDependentFile(nullptr, DRVMOD_RESOURCE), nullptr);
}

TEST(DriverModuleNames, UpperCasingTouchesEveryEntryAndKeepsTheList) {
    std::u16string list = MultiString({u"a.dll", u"b\\c.ini"});
    UpperCaseDependentFiles(list.data());
    EXPECT_EQ(list, MultiString({u"A.DLL", u"B\\C.INI"}));
}

}  // namespace
