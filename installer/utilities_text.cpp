// Versions and text helpers.
#include <cwchar>

#include "utilities.h"

namespace {

// The numbers of the four fields of a dotted version; missing fields count as 0.
void VersionFields(const std::u16string& version, int fields[4]) {
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        fields[i] = 0;
        if (start > version.size()) continue;
        const size_t dot = version.find(u'.', start);
        const std::u16string piece = version.substr(start, dot == std::u16string::npos ? std::u16string::npos : dot - start);
        // _wtoi: optional blanks and sign, then digits.
        size_t at = 0;
        while (at < piece.size() && (piece[at] == u' ' || piece[at] == u'\t')) ++at;
        bool negative = false;
        if (at < piece.size() && (piece[at] == u'-' || piece[at] == u'+')) negative = piece[at++] == u'-';
        long long value = 0;
        while (at < piece.size() && piece[at] >= u'0' && piece[at] <= u'9' && value < 1000000000LL)
            value = value * 10 + (piece[at++] - u'0');
        fields[i] = static_cast<int>(negative ? -value : value);
        start = dot == std::u16string::npos ? version.size() + 1 : dot + 1;
    }
}

}  // namespace

std::u16string UpperCase(std::u16string text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::u16string UpperCase(const WCHAR* text) { return UpperCase(std::u16string(text ? text : u"")); }

std::u16string NormalizeVersion(const std::u16string& version) {
    int fields[4];
    VersionFields(version, fields);
    std::u16string normalized;
    for (int field : fields) {
        WCHAR piece[16];
        _snwprintf(piece, 16, u"%04d", field);
        normalized += piece;
    }
    return normalized;
}

int CompareVersion(const std::u16string& first, const std::u16string& second) {
    // The fields are compared as numbers: comparing their "%04d" texts would put 10000 before 9999.
    int a[4], b[4];
    VersionFields(first, a);
    VersionFields(second, b);
    for (int i = 0; i < 4; ++i)
        if (a[i] != b[i]) return b[i] > a[i] ? 1 : -1;
    return 0;
}

std::u16string EscapeQuotes(const std::u16string& text) {
    std::u16string escaped;
    for (char16_t c : text) {
        if (c == u'"') escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

std::u16string MakeFileNameSafe(const std::u16string& text) {
    std::u16string safe = text;
    for (auto& c : safe)
        if (std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) c = u'_';
    return safe;
}

std::u16string MakeUniqueName(const std::u16string& base, const std::vector<std::u16string>& used) {
    auto taken = [&](const std::u16string& name) {
        for (const auto& other : used)
            if (UpperCase(other) == UpperCase(name)) return true;
        return false;
    };
    if (!taken(base)) return base;
    for (int i = 1; i <= 999; ++i) {
        WCHAR name[600];
        _snwprintf(name, 600, u"%s%d", base.c_str(), i);
        if (!taken(name)) return name;
    }
    return base;
}

BOOL MakeNetworkPrinterName(const std::u16string& printerName, std::u16string& displayName) {
    if (printerName.find(u'\\') == std::u16string::npos) return FALSE;
    size_t start = printerName.find_first_not_of(u'\\');
    std::u16string result;
    const size_t split = start == std::u16string::npos ? std::u16string::npos : printerName.find(u'\\', start);
    if (split == std::u16string::npos) {
        result = printerName;
    } else {
        const std::u16string server = printerName.substr(start, split - start);
        const std::u16string printer = printerName.substr(split + 1);
        WCHAR name[1200];
        _snwprintf(name, 1200, IsWindowsVersionOrLater(6, 1) ? u"%s (%s 上)" : u"%s - %s", printer.c_str(),
                   server.c_str());
        result = name;
    }
    std::erase(result, u'\\');
    displayName = result;
    return TRUE;
}

BOOL IsIppPort(const std::u16string& portName) {
    const bool scheme = portName.find(u"http://") != std::u16string::npos || portName.find(u"https://") != std::u16string::npos;
    const size_t ipp = portName.find(u"/ipp");
    return scheme && ipp != std::u16string::npos && ipp > 0;
}

std::u16string FormatTextV(size_t limit, const char16_t* format, va_list arguments, bool* whole) {
    std::vector<WCHAR> buffer(limit + 1, u'\0');
    const int length = _vsnwprintf(buffer.data(), limit, format, arguments);
    buffer[limit] = u'\0';
    if (whole) *whole = length >= 0;
    return length < 0 ? std::u16string(buffer.data()) : std::u16string(buffer.data(), static_cast<size_t>(length));
}

std::u16string FormatText(size_t limit, const char16_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::u16string text = FormatTextV(limit, format, arguments);
    va_end(arguments);
    return text;
}
