// Source files: include names and paths, reading a source (an .XPD file, or the section of a GPD
// data file between its XPD tag lines) and the includes it names.
#include <string>

#include "xpcimpl.h"

namespace xpc {
namespace {

constexpr std::string_view kBeginTag = "*% XPD BEGIN - DO NOT REMOVE THIS TAG";
constexpr std::string_view kEndTag = "*% XPD END - DO NOT REMOVE THIS TAG";

std::u16string DriverFolder() {
    DWORD needed = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, nullptr, 0, &needed);
    if (needed < sizeof(WCHAR)) return {};
    std::u16string folder(needed / sizeof(WCHAR), u'\0');
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(folder.data()), needed, &needed))
        return {};
    folder.resize(std::char_traits<char16_t>::length(folder.c_str()));
    return folder;
}

std::u16string SystemFolder(bool windows) {
    WCHAR buffer[MAX_PATH] = {};
    const UINT length = windows ? GetWindowsDirectoryW(buffer, MAX_PATH) : GetSystemDirectoryW(buffer, MAX_PATH);
    return length < MAX_PATH ? std::u16string(buffer, length) : std::u16string();
}

std::u16string PrintProcessorFolder() {
    WCHAR buffer[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), sizeof buffer, &needed))
        return {};
    return buffer;
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && Upper(text.substr(0, prefix.size())) == prefix;
}

std::u16string_view FileNameOf(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

bool HasExtension(std::u16string_view path, std::u16string_view extension) {
    const std::u16string_view name = FileNameOf(path);
    return name.size() >= extension.size() && Upper(name.substr(name.size() - extension.size())) == Upper(extension);
}

bool FileExists(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads a whole file into text. 0, or the code of the failure (61802, 61804), or 1 for an empty
// file.
DWORD ReadWholeFile(const std::u16string& path, std::string* text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return XPC_CANNOT_OPEN;
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    DWORD result = 0;
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || size > 0x7FFFFFFF) {
        result = XPC_CANNOT_READ;
    } else if (size == 0) {
        result = 1;
    } else {
        text->resize(size);
        DWORD done = 0;
        if (!ReadFile(file, text->data(), size, &done, nullptr) || done != size) result = XPC_CANNOT_READ;
    }
    CloseHandle(file);
    return result;
}

}  // namespace

std::u16string IncludePath(std::u16string_view name) {
    if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"') name = name.substr(1, name.size() - 2);
    if (name.empty()) return {};
    std::u16string path;
    if (name.find(u'\\') == std::u16string_view::npos) {
        path = DriverFolder() + u"\\3\\" + std::u16string(name);
    } else if (StartsWithIgnoringCase(name, u"[SYSDIR]")) {
        path = SystemFolder(false) + std::u16string(name.substr(8));
    } else if (StartsWithIgnoringCase(name, u"[WINDIR]")) {
        path = SystemFolder(true) + std::u16string(name.substr(8));
    } else if (StartsWithIgnoringCase(name, u"[PRINTPROCDIR]")) {
        path = PrintProcessorFolder() + std::u16string(name.substr(14));
    } else {
        path = std::u16string(name);
    }
    if (FileNameOf(path).find(u'.') == std::u16string_view::npos) path += u".XPD";
    return Lower(path);
}

DWORD ResolveInclude(std::vector<std::u16string>& files, std::u16string_view name, bool skipDuplicateTest) {
    const std::u16string path = IncludePath(name);
    if (path.empty() || path.size() > kMaxPath) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    if (!skipDuplicateTest)
        for (const auto& file : files)
            if (file == path) return Report(XPC_INCLUDED_TWICE, path.c_str());
    if (!FileExists(path)) {
        if (HasExtension(path, u".XPD")) return KIT_SEVERITY_WARNING;  // an optional include
        return Report(XPC_FILE_MISSING, path.c_str());
    }
    files.push_back(path);
    return 0;
}

std::string_view EmbeddedSection(std::string_view text, DWORD* firstLine) {
    *firstLine = 1;
    const size_t begin = text.find(kBeginTag);
    if (begin == std::string_view::npos) return text;
    const size_t ignore = text.find("*IgnoreBlock", begin + kBeginTag.size());
    if (ignore == std::string_view::npos) return text;
    const size_t brace = text.find('{', ignore);
    if (brace == std::string_view::npos) return text;
    const size_t lineEnd = text.find("\r\n", brace);
    if (lineEnd == std::string_view::npos) return text;
    const size_t start = lineEnd + 2;
    const size_t end = text.find(kEndTag, start);
    if (end == std::string_view::npos) return text;
    const size_t close = text.rfind('}', end);
    if (close == std::string_view::npos || close < start) return text;
    for (size_t i = 0; i < start; ++i)
        if (text[i] == '\r') ++*firstLine;
    return text.substr(start, close - start);
}

DWORD ReadXpdFile(Context& context, std::u16string_view path, bool embedded, std::vector<std::u16string>* files) {
    if (!files) {
        context.m_files.clear();
        files = &context.m_files;
    }
    if (const DWORD result = ResolveInclude(*files, path, false); result != 0) return result;
    const std::u16string file = files->back();
    const bool lenient = HasExtension(file, u".gpd") && !embedded;
    Report(XPC_READING, file.c_str());

    std::string text;
    const DWORD read = ReadWholeFile(file, &text);
    if (read == 1) {
        if (context.m_entries.size() == 0) return Report(XPC_NO_SOURCE);
        return Report(XPC_EMPTY_FILE, file.c_str());
    }
    if (read != 0) return Report(read, file.c_str());

    DWORD firstLine = 1;
    std::string_view part = text;
    if (embedded) part = EmbeddedSection(text, &firstLine);
    const std::u16string name(FileNameOf(file));
    DWORD worst = ParseText(context, part, lenient, name.c_str(), firstLine);
    if (worst >= KIT_SEVERITY_ERROR) return worst;

    // Each include of the growing list is read once, in list order, whichever file named it.
    while (Entry* include = FindEntry(context, u"*INCLUDE", -1, nullptr, 2)) {
        const DWORD result = ReadXpdFile(context, include->m_value, false, files);
        if (result >= KIT_SEVERITY_ERROR) return result;
        worst = Worst(worst, result);
    }
    return worst;
}

}  // namespace xpc
