// Code-page conversions: UTF-8 written here, the ANSI code pages through the C library's iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <palvex/os_profile.h>
#include <win/stringapiset.h>
#include <win/winbase.h>

#include "crt/utf16.h"

namespace {

enum class Encoding { Utf8, Cp932, Cp1252, Unsupported };

UINT MachineAnsiCodePage() {
    try {
        return palvex::GetAnsiCodePage();
    } catch (...) {
        return palvex::OsProfile{}.ansiCodePage;
    }
}

Encoding EncodingOf(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP) codePage = MachineAnsiCodePage();
    switch (codePage) {
    case CP_UTF8:
        return Encoding::Utf8;
    case 932:
        return Encoding::Cp932;
    case 1252:
        return Encoding::Cp1252;
    default:
        return Encoding::Unsupported;
    }
}

const char* IconvName(Encoding encoding) { return encoding == Encoding::Cp932 ? "CP932" : "CP1252"; }

// This thread's conversion descriptors, opened on first use and kept: opening one loads and sets
// up the conversion tables, which costs far more than a short conversion.
class Descriptors {
public:
    Descriptors() = default;
    Descriptors(const Descriptors&) = delete;
    Descriptors& operator=(const Descriptors&) = delete;
    ~Descriptors() {
        for (iconv_t& cd : m_open) {
            if (cd != kNone) iconv_close(cd);
            cd = kNone;  // a conversion in a later exit handler opens its own again
        }
    }

    // The descriptor from one ANSI code page to UTF-16LE or back, in its initial state; (iconv_t)-1
    // when the C library cannot convert it.
    iconv_t Get(Encoding encoding, bool toAnsi) {
        iconv_t& cd = m_open[(encoding == Encoding::Cp932 ? 2 : 0) + (toAnsi ? 1 : 0)];
        if (cd == kNone) cd = toAnsi ? iconv_open(IconvName(encoding), "UTF-16LE") : iconv_open("UTF-16LE", IconvName(encoding));
        if (cd != kNone) iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return cd;
    }

private:
    static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
    iconv_t m_open[4] = {kNone, kNone, kNone, kNone};
};

thread_local Descriptors t_descriptors;

// A conversion descriptor of this thread for one conversion.
class Converter {
public:
    Converter(Encoding encoding, bool toAnsi) : m_cd(t_descriptors.Get(encoding, toAnsi)) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can: the result stops at the first input that cannot be converted
    // (left at in) or at the end.
    void Run(const char*& in, size_t& inLeft, std::string& out) {
        char buffer[256];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof(buffer);
            size_t result = iconv(m_cd, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (result != static_cast<size_t>(-1) || errno != E2BIG) return;
        }
    }

private:
    iconv_t m_cd;
};

bool IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-16 to UTF-8; false at an unpaired surrogate when strict.
bool EncodeUtf8(const WCHAR* text, size_t length, bool strict, std::string& out) {
    for (size_t i = 0; i < length; ++i) {
        uint32_t cp = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            if (strict) return false;
            cp = 0xFFFD;
        }
        palvex::text::AppendUtf8(out, cp);
    }
    return true;
}

// UTF-8 to UTF-16. Each ill-formed part (a stray byte, a cut sequence, an overlong form, a
// surrogate, a value above U+10FFFF) becomes one U+FFFD; false at the first one when strict.
bool DecodeUtf8(const unsigned char* text, size_t length, bool strict, std::u16string& out) {
    size_t i = 0;
    while (i < length) {
        unsigned char lead = text[i];
        if (lead < 0x80) {
            out += static_cast<WCHAR>(lead);
            ++i;
            continue;
        }
        size_t need;
        uint32_t cp;
        unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            cp = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            if (strict) return false;
            out += u'\uFFFD';
            ++i;
            continue;
        }
        size_t used = 1;
        bool whole = true;
        for (size_t k = 0; k < need; ++k) {
            if (i + used >= length) {
                whole = false;
                break;
            }
            unsigned char next = text[i + used];
            unsigned char min = k == 0 ? low : 0x80, max = k == 0 ? high : 0xBF;
            if (next < min || next > max) {
                whole = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
            ++used;
        }
        i += used;
        if (!whole) {
            if (strict) return false;
            out += u'\uFFFD';
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<WCHAR>(0xD800 + (cp >> 10));
            out += static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<WCHAR>(cp);
        }
    }
    return true;
}

// UTF-16 to an ANSI code page; a character it lacks becomes the default byte.
bool EncodeAnsi(Encoding encoding, const WCHAR* text, size_t length, char defaultChar, bool& usedDefault, std::string& out) {
    Converter converter(encoding, true);
    if (!converter.ok()) return false;
    const char* in = reinterpret_cast<const char*>(text);
    size_t inLeft = length * sizeof(WCHAR);
    for (;;) {
        converter.Run(in, inLeft, out);
        if (inLeft == 0) return true;
        // The character at `in` has no byte form here (or is a broken surrogate): skip it whole.
        const auto* at = reinterpret_cast<const WCHAR*>(in);
        size_t units = (inLeft >= 4 && IsHighSurrogate(at[0]) && IsLowSurrogate(at[1])) ? 2 : 1;
        out += defaultChar;
        usedDefault = true;
        in += units * sizeof(WCHAR);
        inLeft -= units * sizeof(WCHAR);
    }
}

// An ANSI code page to UTF-16; false at the first undefined byte when strict.
bool DecodeAnsi(Encoding encoding, const char* text, size_t length, bool strict, bool& ok, std::u16string& out) {
    Converter converter(encoding, false);
    if (!converter.ok()) return false;
    const char* in = text;
    size_t inLeft = length;
    std::string bytes;
    for (;;) {
        converter.Run(in, inLeft, bytes);
        if (inLeft == 0) break;
        if (strict) {
            ok = false;
            return true;
        }
        auto undefined = static_cast<unsigned char>(*in);
        // 1252 leaves five bytes undefined and passes them through as the same code points;
        // 932 gives its default character for a byte or a pair it does not define.
        WCHAR substitute = encoding == Encoding::Cp1252 ? static_cast<WCHAR>(undefined) : u'\u30FB';
        bytes.append(reinterpret_cast<const char*>(&substitute), sizeof(WCHAR));
        ++in;
        --inLeft;
    }
    out.append(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / sizeof(WCHAR));
    ok = true;
    return true;
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// Hands the converted units to the caller under the size rules of both functions.
template <class Unit>
int Deliver(const Unit* converted, size_t count, Unit* destination, int capacity) {
    if (count > 0x7FFFFFFF) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (capacity == 0) return static_cast<int>(count);
    if (count > static_cast<size_t>(capacity)) {
        std::memcpy(destination, converted, static_cast<size_t>(capacity) * sizeof(Unit));
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(destination, converted, count * sizeof(Unit));
    return static_cast<int>(count);
}

}  // namespace

WINBASEAPI UINT GetACP(void) { return MachineAnsiCodePage(); }

WINBASEAPI int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                   LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                   LPBOOL lpUsedDefaultChar) {
    if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr) ||
        (cbMultiByte > 0 && static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr)))
        return Fail(ERROR_INVALID_PARAMETER);
    Encoding encoding = EncodingOf(CodePage);
    if (encoding == Encoding::Unsupported) return Fail(ERROR_INVALID_PARAMETER);
    size_t length = cchWideChar == -1 ? std::char_traits<WCHAR>::length(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);

    std::string converted;
    try {
        if (encoding == Encoding::Utf8) {
            if (dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
            if (lpDefaultChar || lpUsedDefaultChar) return Fail(ERROR_INVALID_PARAMETER);
            if (!EncodeUtf8(lpWideCharStr, length, (dwFlags & WC_ERR_INVALID_CHARS) != 0, converted))
                return Fail(ERROR_NO_UNICODE_TRANSLATION);
        } else {
            if (dwFlags & ~static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) return Fail(ERROR_INVALID_FLAGS);
            bool usedDefault = false;
            char defaultChar = (lpDefaultChar && *lpDefaultChar) ? *lpDefaultChar : '?';
            if (!EncodeAnsi(encoding, lpWideCharStr, length, defaultChar, usedDefault, converted))
                return Fail(ERROR_INVALID_PARAMETER);
            if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
        }
    } catch (...) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return Deliver(converted.data(), converted.size(), lpMultiByteStr, cbMultiByte);
}

WINBASEAPI int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                   LPWSTR lpWideCharStr, int cchWideChar) {
    if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr) ||
        (cchWideChar > 0 && static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr)))
        return Fail(ERROR_INVALID_PARAMETER);
    Encoding encoding = EncodingOf(CodePage);
    if (encoding == Encoding::Unsupported) return Fail(ERROR_INVALID_PARAMETER);
    size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;

    std::u16string converted;
    try {
        if (encoding == Encoding::Utf8) {
            if (dwFlags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
            if (!DecodeUtf8(reinterpret_cast<const unsigned char*>(lpMultiByteStr), length, strict, converted))
                return Fail(ERROR_NO_UNICODE_TRANSLATION);
        } else {
            if (dwFlags & ~static_cast<DWORD>(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
            bool ok = false;
            const auto* bytes = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
            if (std::all_of(bytes, bytes + length, [](unsigned char byte) { return byte < 0x80; })) {
                // Both ANSI code pages give ASCII bytes their own code points: no converter needed.
                converted.assign(bytes, bytes + length);
                ok = true;
            } else if (!DecodeAnsi(encoding, lpMultiByteStr, length, strict, ok, converted)) {
                return Fail(ERROR_INVALID_PARAMETER);
            }
            if (!ok) return Fail(ERROR_NO_UNICODE_TRANSLATION);
        }
    } catch (...) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return Deliver(converted.data(), converted.size(), lpWideCharStr, cchWideChar);
}
