// Writing initialization (.ini) files: the file is read whole, the line of the key or the lines
// of the section are changed, and the whole text is written back in the file's encoding.
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/paths.h>
#include <win/stringapiset.h>
#include <win/winprofile.h>

#include "crt/utf16.h"
#include "machine/api_guard.h"

namespace {

bool Blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Trimmed(const std::u16string& text) {
    size_t first = 0, last = text.size();
    while (first < last && Blank(text[first])) ++first;
    while (last > first && Blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::u16string Folded(const std::u16string& text) { return palvex::text::Upcase(std::u16string_view(text)); }

// The section a line opens ("[name]"), or false.
bool SectionName(const std::u16string& line, std::u16string* name) {
    const std::u16string text = Trimmed(line);
    if (text.size() < 2 || text.front() != u'[') return false;
    const size_t close = text.find(u']');
    if (close == std::u16string::npos) return false;
    *name = Trimmed(text.substr(1, close - 1));
    return true;
}

// The key a line sets ("key=value"), or false for comments and other lines.
bool KeyName(const std::u16string& line, std::u16string* key) {
    const std::u16string text = Trimmed(line);
    if (text.empty() || text[0] == u';') return false;
    const size_t equals = text.find(u'=');
    *key = Trimmed(equals == std::u16string::npos ? text : text.substr(0, equals));
    return true;
}

std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

DWORD Write(const std::u16string& section, const char16_t* key, const char16_t* value, const std::u16string& file) {
    const std::filesystem::path host = palvex::HostPath(file);
    if (host.empty()) return ERROR_PATH_NOT_FOUND;
    std::vector<uint8_t> bytes;
    bool exists = false;
    {
        std::ifstream in(host, std::ios::binary);
        if (in) {
            exists = true;
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
    }
    struct stat info {};
    if (exists && stat(host.c_str(), &info) == 0 && !(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) return ERROR_ACCESS_DENIED;
    const bool wide = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    std::u16string text;
    if (wide) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    } else if (!bytes.empty()) {
        const int length = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<int>(bytes.size()),
                                               nullptr, 0);
        text.resize(static_cast<size_t>(length > 0 ? length : 0));
        if (length > 0)
            MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<int>(bytes.size()), text.data(),
                                length);
    }
    std::vector<std::u16string> lines = Lines(text);
    const std::u16string wanted = Folded(section);
    const std::u16string wantedKey = key ? Folded(key) : std::u16string();
    // The lines of the section: [begin, end), the header at begin - 1.
    size_t begin = 0, end = 0;
    bool haveSection = false;
    for (size_t i = 0; i < lines.size() && !haveSection; ++i) {
        std::u16string name;
        if (!SectionName(lines[i], &name) || Folded(name) != wanted) continue;
        haveSection = true;
        begin = i + 1;
        end = begin;
        while (end < lines.size() && !SectionName(lines[end], &name)) ++end;
    }
    if (!key) {
        if (haveSection) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(begin - 1), lines.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (!haveSection) {
        if (!value) return ERROR_SUCCESS;
        lines.push_back(u"[" + section + u"]");
        lines.push_back(std::u16string(key) + u"=" + value);
    } else {
        size_t at = end;
        for (size_t i = begin; i < end; ++i) {
            std::u16string name;
            if (KeyName(lines[i], &name) && Folded(name) == wantedKey) {
                at = i;
                break;
            }
        }
        if (at < end) {
            if (value) lines[at] = std::u16string(key) + u"=" + value;
            else lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (value) {
            // After the section's last non-empty line.
            size_t insert = end;
            while (insert > begin && Trimmed(lines[insert - 1]).empty()) --insert;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), std::u16string(key) + u"=" + value);
        }
    }
    std::u16string out;
    for (const std::u16string& line : lines) out += line + u"\r\n";
    std::vector<uint8_t> written;
    if (wide) {
        written = {0xFF, 0xFE};
        for (char16_t c : out) {
            written.push_back(static_cast<uint8_t>(c & 0xFF));
            written.push_back(static_cast<uint8_t>(c >> 8));
        }
    } else if (!out.empty()) {
        const int length = WideCharToMultiByte(CP_ACP, 0, out.c_str(), static_cast<int>(out.size()), nullptr, 0, nullptr, nullptr);
        written.resize(static_cast<size_t>(length > 0 ? length : 0));
        if (length > 0)
            WideCharToMultiByte(CP_ACP, 0, out.c_str(), static_cast<int>(out.size()), reinterpret_cast<LPSTR>(written.data()),
                                length, nullptr, nullptr);
    }
    std::error_code error;
    std::filesystem::create_directories(host.parent_path(), error);
    std::ofstream file_out(host, std::ios::binary | std::ios::trunc);
    if (!file_out) return ERROR_ACCESS_DENIED;
    file_out.write(reinterpret_cast<const char*>(written.data()), static_cast<std::streamsize>(written.size()));
    return file_out ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

}  // namespace

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName) {
    if (!lpAppName || !*lpAppName || !lpFileName || !*lpFileName) return palvex::Finish(ERROR_INVALID_PARAMETER);
    std::u16string name = lpFileName;
    if (name.find_first_of(u"\\/:") == std::u16string::npos) name = std::u16string(palvex::kWindowsDirectory) + u"\\" + name;
    return palvex::Finish(palvex::GuardedCall(ERROR_ACCESS_DENIED, [&]() -> DWORD {
        return Write(lpAppName, lpKeyName, lpString, name);
    }));
}
