// Print processors registered with the spooler: AddPrintProcessorW, DeletePrintProcessorW and the
// lookup of a processor's file that the job runner makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/windows.h>

namespace {

constexpr char16_t kX64Folder[] = u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\";

void PutFile(const std::u16string& machinePath) {
    const std::filesystem::path host = palvex::HostPath(machinePath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << "MZ";
}

DWORD Add(const char16_t* environment, const char16_t* file, const char16_t* name, const char16_t* server = nullptr) {
    std::u16string e = environment ? environment : u"", f = file ? file : u"", n = name ? name : u"";
    std::u16string s = server ? server : u"";
    SetLastError(ERROR_SUCCESS);
    const BOOL added = AddPrintProcessorW(server ? s.data() : nullptr, environment ? e.data() : nullptr,
                                          file ? f.data() : nullptr, name ? n.data() : nullptr);
    return added ? ERROR_SUCCESS : GetLastError();
}

DWORD Delete(const char16_t* environment, const char16_t* name) {
    std::u16string e = environment ? environment : u"", n = name;
    SetLastError(ERROR_SUCCESS);
    return DeletePrintProcessorW(nullptr, environment ? e.data() : nullptr, n.data()) ? ERROR_SUCCESS : GetLastError();
}

TEST(PrintProcessors, AreRegisteredWithTheirFileInTheProcessorsFolder) {
    palvex::TestMachine machine;
    PutFile(kX64Folder + std::u16string(u"tovqebpp.dll"));
    PutFile(u"C:\\Windows\\System32\\spool\\prtprocs\\W32X86\\tovqebpp.dll");

    EXPECT_EQ(palvex::PrintProcessorFile(u"tovqebpp"), std::nullopt);
    EXPECT_EQ(Add(nullptr, u"TOVQEBPP.DLL", u"tovqebpp"), static_cast<DWORD>(ERROR_SUCCESS));  // found in any case
    EXPECT_EQ(palvex::PrintProcessorFile(u"TOVQEBPP"),
              std::optional<std::u16string>(kX64Folder + std::u16string(u"TOVQEBPP.DLL")));
    EXPECT_EQ(Add(u"windows x64", u"tovqebpp.dll", u"TovqebPP"),
              static_cast<DWORD>(ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED));
    // Each environment has processors of its own; only the native one's are looked up.
    EXPECT_EQ(Add(u"Windows NT x86", u"tovqebpp.dll", u"x86 only"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(palvex::PrintProcessorFile(u"x86 only"), std::nullopt);

    struct Refused {
        const char* name;
        const char16_t* environment;
        const char16_t* file;
        const char16_t* processor;
        const char16_t* server;
        DWORD error;
    };
    const Refused refused[] = {
        {"file not in the folder", nullptr, u"missing.dll", u"missing", nullptr, ERROR_FILE_NOT_FOUND},
        {"a path, not a file name", nullptr, u"C:\\tovqebpp.dll", u"path", nullptr, ERROR_INVALID_PARAMETER},
        {"no file name", nullptr, nullptr, u"nofile", nullptr, ERROR_INVALID_PARAMETER},
        {"no processor name", nullptr, u"tovqebpp.dll", nullptr, nullptr, ERROR_INVALID_PARAMETER},
        {"a name with a backslash", nullptr, u"tovqebpp.dll", u"a\\b", nullptr, ERROR_INVALID_PARAMETER},
        {"unknown environment", u"Windows IA64", u"tovqebpp.dll", u"ia64", nullptr, ERROR_INVALID_ENVIRONMENT},
        {"another machine", nullptr, u"tovqebpp.dll", u"remote", u"\\\\server", ERROR_INVALID_PARAMETER},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Add(r.environment, r.file, r.processor, r.server), r.error);
    }
    EXPECT_EQ(palvex::PrintProcessorFile(u"missing"), std::nullopt);

    // Deleting forgets the processor and keeps its file.
    EXPECT_EQ(Delete(u"Windows x64", u"TOVQEBPP"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(palvex::PrintProcessorFile(u"tovqebpp"), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(palvex::HostPath(kX64Folder + std::u16string(u"tovqebpp.dll"))));
    EXPECT_EQ(Delete(nullptr, u"tovqebpp"), static_cast<DWORD>(ERROR_UNKNOWN_PRINTPROCESSOR));
    EXPECT_EQ(Delete(nullptr, u"x86 only"), static_cast<DWORD>(ERROR_UNKNOWN_PRINTPROCESSOR));
    EXPECT_EQ(Delete(u"Windows NT x86", u"x86 only"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Delete(u"Windows IA64", u"x86 only"), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
}

}  // namespace
