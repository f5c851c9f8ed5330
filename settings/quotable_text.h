// Outside texts (names, settings texts, document and user names) that go between the double quotes
// of a line the printer or the universal driver parses: the GPD and PPD data files and PJL.
#pragma once

#include <string>
#include <string_view>

// The text made fit to stand inside a quoted string on one line: a double quote becomes an
// apostrophe and every control character (NUL to 0x1F, CR, LF and tab among them, and DEL) a
// space, so the text can neither end its string early nor start a line of its own. Every other
// byte stays as it is, and so does the length: UTF-8 and the lead and trail bytes of the ANSI code
// pages are never below 0x40 nor DEL, so no character is cut.
inline std::string QuotableText(std::string_view text) {
    std::string safe(text);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"') c = '\'';
        else if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    return safe;
}
