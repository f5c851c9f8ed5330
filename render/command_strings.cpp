// The command-string table of the plug-in's module.
#include "command_strings.h"

#include <iterator>
#include <string_view>

namespace {

using namespace std::string_view_literals;

struct CommandString {
    DWORD m_id;
    std::string_view m_bytes;
};

constexpr CommandString kCommands[] = {
    {100, "PCL"sv},
    {101, "\x1b&l0S"sv},
    {102, "\x1b&l1S"sv},
    {103, "\x1b&l2S"sv},
    {104, "\x1b&l7H"sv},
    {105, "\x1b&l7H"sv},
    {106, "\x1b&l1H"sv},
    {107, "\x1b&l5H"sv},
    {108, "\x1b&l2H"sv},
    {109, "\x1b&l3H"sv},
    {110, "\xc0\x01\xf8\x26"sv},
    {111, "\xc0\x04\xf8\x26"sv},
    {112, "\xc0\x05\xf8\x26"sv},
    {113, "\xc0\x07\xf8\x26"sv},
    {114, "\xc0\x02\xf8\x26"sv},
    {200, "\x1b%-12345X@PJL JOB\n"sv},
    {201, "\x1b" "E\x1b%-12345X"sv},
    {212, "@PJL SET DUPLEX=OFF\n"sv},
    {213, "@PJL SET DUPLEX=ON\n@PJL SET BINDING=LONGEDGE\n"sv},
    {214, "@PJL SET DUPLEX=ON\n@PJL SET BINDING=SHORTEDGE\n"sv},
    {215, "@PJL SET BINDING=LONGEDGE\n"sv},
    {216, "@PJL SET BINDING=SHORTEDGE\n"sv},
    {217, "@PJL SET DUPLEX=ON\n"sv},
    {218, "@PJL SET QTY=%d\n"sv},
    {219, "@PJL SET COPIES=%d\n"sv},
    {220, "\x1b&l2O"sv},
    {221, "\x1b&l3O"sv},
    {222, "\xc0\x02\xf8\x28"sv},
    {223, "\xc0\x03\xf8\x28"sv},
    {224, "\x1b&l0O"sv},
    {225, "\x1b&l1O"sv},
    {226, "\xc0\x00\xf8\x28"sv},
    {227, "\xc0\x01\xf8\x28"sv},
    {311, "\x1b&l%dX"sv},
    {312, "\xc1\x01\x00\xf8\x31\x44"sv},
    {313, "\xc1\x01\x00\xf8\x31\x44"sv},
    {440, "@PJL EOJ\n"sv},
    {451, "\x1b%-12345X"sv},
    {452, "\x49\x42"sv},
};

}  // namespace

bool LoadCommandString(DWORD id, std::string* bytes) {
    for (const CommandString& command : kCommands) {
        if (command.m_id != id) continue;
        bytes->assign(command.m_bytes.substr(0, kCommandStringUnits));
        return true;
    }
    return false;
}
