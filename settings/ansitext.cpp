#include "ansitext.h"

namespace {

// One character (a UTF-16 unit or a surrogate pair) in the ANSI code page.
std::string CharacterToAnsi(std::u16string_view character) {
    char bytes[8] = {};
    const int length = WideCharToMultiByte(CP_ACP, 0, character.data(), static_cast<int>(character.size()), bytes,
                                           sizeof bytes, nullptr, nullptr);
    return length > 0 ? std::string(bytes, static_cast<size_t>(length)) : std::string("?");
}

bool IsHighSurrogate(WCHAR unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(WCHAR unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u16string_view FieldText(const WCHAR* text, size_t maxUnits) {
    if (!text) return {};
    size_t length = 0;
    while (length < maxUnits && text[length]) ++length;
    return std::u16string_view(text, length);
}

std::string ToAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return ToAnsiLimited(text.data(), text.size(), static_cast<size_t>(-1));
    std::string bytes(static_cast<size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), size, bytes.data(), needed, nullptr, nullptr);
    bytes.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return bytes;
}

std::string ToAnsiLimited(const WCHAR* text, size_t maxUnits, size_t maxBytes) {
    const std::u16string_view source = FieldText(text, maxUnits);
    std::string bytes;
    for (size_t at = 0; at < source.size();) {
        const size_t units =
            IsHighSurrogate(source[at]) && at + 1 < source.size() && IsLowSurrogate(source[at + 1]) ? 2 : 1;
        const std::string character = CharacterToAnsi(source.substr(at, units));
        if (bytes.size() + character.size() > maxBytes) break;
        bytes += character;
        at += units;
    }
    return bytes;
}
