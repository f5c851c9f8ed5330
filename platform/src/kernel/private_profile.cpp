// Reading initialization (.ini) files. Each call reads the file afresh, so a file another process
// has just written is seen at once.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include <palvex/paths.h>
#include <win/stringapiset.h>
#include <win/winprofile.h>

#include "machine/api_guard.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

struct IniEntry {
    std::u16string key;
    std::u16string value;
    bool hasValue = false;  // a line without '=' names a key but gives it no value
};

struct IniSection {
    std::u16string name;
    std::u16string folded;
    std::vector<IniEntry> entries;
};

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::u16string DecodeUtf16(const std::vector<uint8_t>& bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const uint8_t first = bytes[i];
        const uint8_t second = bytes[i + 1];
        text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

// Text in a code page (the machine's ANSI code page, or UTF-8), converted as MultiByteToWideChar
// converts it; a code page it does not know is read as Latin-1.
std::u16string DecodeMultiByte(const uint8_t* bytes, size_t size, UINT codePage) {
    std::u16string text;
    if (size == 0) return text;
    const auto* chars = reinterpret_cast<LPCSTR>(bytes);
    const int count = size > static_cast<size_t>(INT_MAX) ? 0 : static_cast<int>(size);
    // No byte of these code pages gives more than one UTF-16 unit, so one pass into a buffer of
    // one unit a byte converts it all (the file is read on every call).
    text.resize(static_cast<size_t>(count));
    const int length = count > 0 ? MultiByteToWideChar(codePage, 0, chars, count, text.data(), count) : 0;
    if (length <= 0) {
        text.assign(bytes, bytes + size);
        return text;
    }
    text.resize(static_cast<size_t>(length));
    return text;
}

std::u16string Decode(const std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return DecodeUtf16(bytes, false);
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return DecodeUtf16(bytes, true);
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return DecodeMultiByte(bytes.data() + 3, bytes.size() - 3, CP_UTF8);
    return DecodeMultiByte(bytes.data(), bytes.size(), CP_ACP);
}

std::vector<IniSection> Parse(std::u16string_view text) {
    std::vector<IniSection> sections;
    IniSection* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) end = text.size();
        const std::u16string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == u';') continue;
        if (line.front() == u'[') {
            const size_t close = line.find(u']');
            const std::u16string_view name = Trim(line.substr(1, close == std::u16string_view::npos ? close : close - 1));
            std::u16string folded = text::Upcase(name);
            auto it = std::find_if(sections.begin(), sections.end(), [&](const IniSection& s) { return s.folded == folded; });
            if (it == sections.end()) {
                sections.push_back({std::u16string(name), std::move(folded), {}});
                it = sections.end() - 1;
            }
            current = &*it;
            continue;
        }
        if (!current) continue;  // lines before the first section belong to none
        IniEntry entry;
        const size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos) {
            entry.key = line;
        } else {
            entry.key = Trim(line.substr(0, equals));
            std::u16string_view value = Trim(line.substr(equals + 1));
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            entry.value = value;
            entry.hasValue = true;
        }
        current->entries.push_back(std::move(entry));
    }
    return sections;
}

// A file descriptor closed when it leaves scope.
class OpenFile {
public:
    explicit OpenFile(const std::filesystem::path& path) : m_fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~OpenFile() {
        if (m_fd >= 0) close(m_fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The bytes of a regular file, read in one go (the callers read the file on every call), or
// nothing when it is not one or cannot be read whole.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
    const OpenFile file(path);
    struct stat status {};
    if (file.fd() < 0 || fstat(file.fd(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    // The size is a hint: the file may grow or shrink while it is read.
    std::vector<uint8_t> bytes(static_cast<size_t>(status.st_size) + 1);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t got = read(file.fd(), bytes.data() + filled, bytes.size() - filled);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

// The sections of the file a thread read last, with the bytes and ANSI code page they were
// decoded from. A caller often asks for many keys of one file in a row (the installer's strings):
// the file is still read on every call, so that a change is seen at once, but bytes equal to the
// last ones are not decoded and parsed again.
struct ParsedIniFile {
    std::vector<uint8_t> bytes;
    UINT codePage = 0;
    std::vector<IniSection> sections;
};

// The file's sections (valid until the thread's next read), or null when it cannot be read.
const std::vector<IniSection>* ReadIniFile(LPCWSTR fileName) {
    thread_local std::optional<ParsedIniFile> last;
    std::u16string name = fileName ? std::u16string(fileName) : std::u16string(u"win.ini");
    if (name.find_first_of(u"\\/:") == std::u16string::npos) name = std::u16string(kWindowsDirectory) + u"\\" + name;
    const std::filesystem::path host = HostPath(name);
    if (host.empty()) return nullptr;
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(host);
    if (!bytes) return nullptr;
    const UINT codePage = GetACP();
    if (last && last->codePage == codePage && last->bytes == *bytes) return &last->sections;
    last.reset();  // a parse that throws leaves nothing half made behind
    std::vector<IniSection> sections = Parse(Decode(*bytes));
    last = ParsedIniFile{std::move(*bytes), codePage, std::move(sections)};
    return &last->sections;
}

const IniSection* FindSection(const std::vector<IniSection>& sections, LPCWSTR name) {
    const std::u16string folded = text::Upcase(std::u16string_view(name));
    for (const IniSection& section : sections)
        if (section.folded == folded) return &section;
    return nullptr;
}

const std::u16string* FindValue(const std::vector<IniSection>& sections, LPCWSTR section, LPCWSTR key) {
    const IniSection* found = FindSection(sections, section);
    if (!found) return nullptr;
    const std::u16string folded = text::Upcase(std::u16string_view(key));
    for (const IniEntry& entry : found->entries)
        if (entry.hasValue && text::Upcase(entry.key) == folded) return &entry.value;
    return nullptr;
}

// The value of a digit in base 10 or 16, or -1.
int DigitValue(char16_t c, UINT base) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (base == 16 && c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (base == 16 && c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

DWORD CopyValue(std::u16string_view value, LPWSTR out, DWORD size) {
    const DWORD copied = static_cast<DWORD>(std::min<size_t>(value.size(), size - 1));
    std::copy_n(value.begin(), copied, out);
    out[copied] = u'\0';
    return copied;
}

// Names each followed by a NUL, and one more NUL; a list that does not fit is cut and ends in two NULs.
DWORD CopyList(const std::vector<std::u16string_view>& names, LPWSTR out, DWORD size) {
    std::u16string joined;
    for (std::u16string_view name : names) {
        joined += name;
        joined += u'\0';
    }
    if (size < 2) {
        out[0] = u'\0';
        return 0;
    }
    if (joined.size() + 1 <= size) {
        std::copy(joined.begin(), joined.end(), out);
        out[joined.size()] = u'\0';
        if (joined.empty()) out[1] = u'\0';
        return static_cast<DWORD>(joined.size());
    }
    const DWORD copied = size - 2;
    std::copy_n(joined.begin(), copied, out);
    out[copied] = u'\0';
    out[copied + 1] = u'\0';
    return copied;
}

}  // namespace
}  // namespace palvex

using namespace palvex;

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName) {
    if (!lpReturnedString || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpReturnedString[0] = u'\0';  // what a failure leaves
    DWORD copied = 0;
    const DWORD error = GuardedCall(ERROR_FILE_NOT_FOUND, [&]() -> DWORD {
        const std::vector<IniSection>* sections = ReadIniFile(lpFileName);
        if (!lpAppName || !lpKeyName) {
            std::vector<std::u16string_view> names;
            const IniSection* section = sections && lpAppName ? FindSection(*sections, lpAppName) : nullptr;
            if (sections && !lpAppName) {
                for (const IniSection& s : *sections) names.push_back(s.name);
            } else if (section) {
                for (const IniEntry& entry : section->entries) names.push_back(entry.key);
            }
            copied = CopyList(names, lpReturnedString, nSize);
            return sections && (!lpAppName || section) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        }
        if (const std::u16string* value = sections ? FindValue(*sections, lpAppName, lpKeyName) : nullptr) {
            copied = CopyValue(*value, lpReturnedString, nSize);
            return ERROR_SUCCESS;
        }
        std::u16string_view fallback = lpDefault ? std::u16string_view(lpDefault) : std::u16string_view();
        while (!fallback.empty() && fallback.back() == u' ') fallback.remove_suffix(1);
        copied = CopyValue(fallback, lpReturnedString, nSize);
        return ERROR_FILE_NOT_FOUND;
    });
    SetLastError(error);
    return copied;
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
    UINT result = static_cast<UINT>(nDefault);
    const DWORD error = GuardedCall(ERROR_FILE_NOT_FOUND, [&]() -> DWORD {
        if (!lpAppName || !lpKeyName) return ERROR_INVALID_PARAMETER;
        const std::vector<IniSection>* sections = ReadIniFile(lpFileName);
        const std::u16string* value = sections ? FindValue(*sections, lpAppName, lpKeyName) : nullptr;
        if (!value) return ERROR_FILE_NOT_FOUND;
        if (value->empty()) return ERROR_SUCCESS;
        std::u16string_view digits(*value);
        const bool negative = digits.front() == u'-';
        if (negative || digits.front() == u'+') digits.remove_prefix(1);
        UINT base = 10;
        if (digits.size() > 2 && digits[0] == u'0' && (digits[1] == u'x' || digits[1] == u'X') && DigitValue(digits[2], 16) >= 0) {
            base = 16;
            digits.remove_prefix(2);
        }
        UINT number = 0;  // wraps as a 32-bit number would
        for (char16_t c : digits) {
            const int digit = DigitValue(c, base);
            if (digit < 0) break;
            number = number * base + static_cast<UINT>(digit);
        }
        result = negative ? 0u - number : number;
        return ERROR_SUCCESS;
    });
    SetLastError(error);
    return result;
}
