// Windows paths of the machine mapped to host paths: every part found without regard to case.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <palvex/machine.h>
#include <palvex/paths.h>

namespace {

namespace fs = std::filesystem;

TEST(HostPathTest, PartsAreFoundWithoutRegardToCase) {
    const fs::path root = palvex::MachineRoot();
    fs::create_directories(root / "C" / "Data" / "Sub");
    for (const char* file : {"Data/Note.txt", "Data/sub.TXT", "Data/SUB.txt", "Data/Sub/Deep.ini"})
        std::ofstream(root / "C" / file) << "x";
    struct Case {
        const char16_t* path;
        const char* host;  // under the root
    };
    const Case cases[] = {
        {u"C:\\Data\\Note.txt", "C/Data/Note.txt"},          // as spelled
        {u"c:/data/NOTE.TXT", "C/Data/Note.txt"},            // every part in another case
        {u"C:\\Data\\Sub.txt", "C/Data/SUB.txt"},            // two spellings: the first in sorted order
        {u"C:\\Data\\sub.TXT", "C/Data/sub.TXT"},            // one spelled exactly wins
        {u"C:\\Data\\New.txt", "C/Data/New.txt"},            // not there: spelled as given
        {u"C:\\DATA\\new.txt", "C/Data/new.txt"},            // not there, in a folder spelled otherwise
        {u"C:\\Data\\NOTE.TXT\\", "C/Data/Note.txt"},        // a final separator
        {u"C:\\Data\\.\\Sub\\..\\Note.txt", "C/Data/Note.txt"},
        {u"C:\\data\\sub\\deep.INI", "C/Data/Sub/Deep.ini"},
        {u"C:\\Data\\\\Sub\\Deep.ini", "C/Data/Sub/Deep.ini"},  // an empty part
        {u"C:\\Missing\\Note.txt", "C/Missing/Note.txt"},    // a folder that is not there
        {u"C:", "C"},
    };
    for (const Case& c : cases) {
        std::string spelled;
        for (const char16_t* at = c.path; *at; ++at) spelled += static_cast<char>(*at);
        EXPECT_EQ(palvex::HostPath(c.path), root / c.host) << spelled;
    }
}

}  // namespace
