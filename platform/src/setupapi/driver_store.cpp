// The driver store (win/setupapi.h): packages published by the printer-installation commands as
// oemN.inf in C:\Windows\INF, with their place in the store kept as machine state.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/paths.h>
#include <palvex/printer_setup.h>
#include <win/setupapi.h>
#include <win/windows.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "crt/utf16.h"
#include "setupapi/driver_store.h"

#ifndef ERROR_NOT_FOUND
#define ERROR_NOT_FOUND 1168L
#endif

namespace palvex {
namespace {

const db::SchemaPart kStoreSchema(R"sql(
CREATE TABLE IF NOT EXISTS driver_store (
    published_key TEXT PRIMARY KEY,   -- FoldKey of oemN.inf
    location TEXT NOT NULL);
)sql");

constexpr char16_t kInfFolder[] = u"C:\\Windows\\INF";

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::u16string Lower(std::u16string text) {
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

}  // namespace

std::u16string PublishPackage(const std::u16string& infPath) {
    const std::filesystem::path source = HostPath(infPath);
    const std::string content = ReadAll(source);
    std::filesystem::create_directories(HostPath(kInfFolder));
    // The same package published before keeps its name.
    int free = 0;
    for (int n = 0; n < 10000 && !free; ++n) {
        const std::u16string name = u"oem" + std::u16string(text::FromUtf8(std::to_string(n))) + u".inf";
        const std::filesystem::path published = HostPath(std::u16string(kInfFolder) + u"\\" + name);
        std::error_code error;
        if (!std::filesystem::exists(published, error)) {
            free = n + 1;
            break;
        }
        if (ReadAll(published) == content) return name;
    }
    const std::u16string name = u"oem" + text::FromUtf8(std::to_string(free - 1)) + u".inf";
    std::filesystem::copy_file(source, HostPath(std::u16string(kInfFolder) + u"\\" + name),
                               std::filesystem::copy_options::overwrite_existing);
    const std::u16string original = Lower(text::FromUtf8(source.filename().string()));
    const std::u16string folder = u"C:\\Windows\\System32\\DriverStore\\FileRepository\\" + original + u"_amd64_" +
                                  text::FromUtf8(std::to_string(free - 1));
    std::filesystem::create_directories(HostPath(folder));
    std::filesystem::copy_file(source, HostPath(folder + u"\\" + original),
                               std::filesystem::copy_options::overwrite_existing);
    db::Statement add("INSERT OR REPLACE INTO driver_store (published_key, location) VALUES (?1, ?2)");
    add.Bind(1, db::FoldKey(name)).Bind(2, folder + u"\\" + original).Run();
    return name;
}

DWORD DeletePublishedPackage(const std::u16string& publishedName) {
    return GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        // The entry is read and dropped in one write transaction: a read still open when the
        // delete began would have to turn into a write, which fails at once when another process
        // wrote to the machine meanwhile (and the package would stay listed without its files).
        std::u16string location;
        bool found = false;
        db::Transaction([&] {
            {
                db::Statement read("SELECT location FROM driver_store WHERE published_key = ?1");
                read.Bind(1, db::FoldKey(publishedName));
                if (!read.Step()) return;
                location = read.Text16(0);
                found = true;
            }
            db::Statement remove("DELETE FROM driver_store WHERE published_key = ?1");
            remove.Bind(1, db::FoldKey(publishedName)).Run();
        });
        if (!found) return ERROR_NOT_FOUND;
        std::error_code error;
        std::filesystem::remove_all(HostPath(location).parent_path(), error);
        std::filesystem::remove(HostPath(std::u16string(kInfFolder) + u"\\" + publishedName), error);
        return ERROR_SUCCESS;
    });
}

}  // namespace palvex

namespace {

BOOL CopyOut(const std::u16string& text, LPWSTR buffer, DWORD size, LPDWORD required) {
    if (required) *required = static_cast<DWORD>(text.size());
    if (!buffer) return TRUE;
    if (size < text.size()) return palvex::Finish(ERROR_INSUFFICIENT_BUFFER);
    std::copy(text.begin(), text.end(), buffer);
    return TRUE;
}

}  // namespace

BOOL SetupGetInfFileListW(LPCWSTR DirectoryPath, DWORD, LPWSTR ReturnBuffer, DWORD ReturnBufferSize,
                          LPDWORD RequiredSize) {
    std::u16string list;
    const DWORD error = palvex::GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        const std::u16string folder = DirectoryPath && *DirectoryPath ? DirectoryPath : palvex::kInfFolder;
        std::error_code failed;
        const auto host = palvex::HostPath(folder);
        if (!std::filesystem::is_directory(host, failed)) return ERROR_PATH_NOT_FOUND;
        std::vector<std::u16string> names;
        for (const auto& entry : std::filesystem::directory_iterator(host, failed)) {
            const std::u16string name = palvex::text::FromUtf8(entry.path().filename().string());
            if (entry.is_regular_file() && palvex::Lower(entry.path().extension().u16string()) == u".inf")
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        for (const auto& name : names) list += name + u'\0';
        list += u'\0';
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) return palvex::Finish(error);
    return CopyOut(list, ReturnBuffer, ReturnBufferSize, RequiredSize);
}

BOOL SetupGetInfDriverStoreLocationW(LPCWSTR FileName, const void*, LPCWSTR, LPWSTR ReturnBuffer,
                                     DWORD ReturnBufferSize, LPDWORD RequiredSize) {
    std::u16string location;
    const DWORD error = palvex::GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        if (!FileName || !*FileName) return ERROR_INVALID_PARAMETER;
        std::u16string name = FileName;
        name = name.substr(name.find_last_of(u"\\/") == std::u16string::npos ? 0 : name.find_last_of(u"\\/") + 1);
        palvex::db::Statement read("SELECT location FROM driver_store WHERE published_key = ?1");
        read.Bind(1, palvex::db::FoldKey(name));
        if (!read.Step()) return ERROR_NOT_FOUND;
        location = read.Text16(0) + u'\0';
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) return palvex::Finish(error);
    return CopyOut(location, ReturnBuffer, ReturnBufferSize, RequiredSize);
}
