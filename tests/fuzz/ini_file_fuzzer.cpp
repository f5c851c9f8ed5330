// Ini files as the installer and the drivers read them (the driver ini, the colour-adjustment
// file): any bytes, in any of the encodings the reader accepts, give sections, keys and values.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <palvex/paths.h>
#include <win/windows.h>

#include "fuzz_machine.h"

namespace {

const char16_t* kFile = u"C:\\Windows\\fuzz.ini";

// The file's host path, its folder made once.
const std::filesystem::path& HostFile() {
    static const std::filesystem::path path = [] {
        fuzz::UseOwnMachine();
        auto made = palvex::HostPath(std::u16string_view(kFile));
        std::filesystem::create_directories(made.parent_path());
        return made;
    }();
    return path;
}

void WriteInput(const uint8_t* data, size_t size) {
    const int fd = open(HostFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t wrote = write(fd, data + done, size - done);
        if (wrote <= 0) std::abort();
        done += static_cast<size_t>(wrote);
    }
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInput(data, size);
    WCHAR sections[512];
    GetPrivateProfileStringW(nullptr, nullptr, u"", sections, 512, kFile);
    // The first listed sections (a list of NUL-ended names), their first keys and their values,
    // and one value of each section as a number: each call reads the file afresh, so a few of each
    // keep the harness fast.
    int sectionsRead = 0;
    for (const WCHAR* section = sections; *section && section < sections + 512 && sectionsRead++ < 2;
         section += std::char_traits<char16_t>::length(section) + 1) {
        WCHAR keys[512];
        GetPrivateProfileStringW(section, nullptr, u"", keys, 512, kFile);
        int keysRead = 0;
        for (const WCHAR* key = keys; *key && key < keys + 512 && keysRead++ < 3;
             key += std::char_traits<char16_t>::length(key) + 1) {
            WCHAR value[64];
            GetPrivateProfileStringW(section, key, u"none", value, 64, kFile);
            if (keysRead == 1) GetPrivateProfileIntW(section, key, -1, kFile);
        }
    }
    WCHAR small[2];
    GetPrivateProfileStringW(u"ColorAdjust", u"ColorAdjust", u"", small, 2, kFile);
    return 0;
}
