// Wide printf with the rules of the Windows C runtime's wide functions:
// - %s and %c take wide arguments (%S and %C narrow ones); h forces narrow, l and w force wide;
// - l is 32 bits (LONG), ll and I64 are 64, I32 is 32, I, z, j and t are pointer-sized;
// - %p prints the pointer as 16 upper-case hexadecimal digits;
// - a null string prints as "(null)"; the 0 flag pads strings and characters with zeros too;
// - %n and unknown conversions are bad formats.
// Narrow text is taken byte by byte (the C locale's mapping).
#include "crt/wide_format.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

namespace palvex::text {
namespace {

enum class Size { None, Char, Short, Long, LongLong, Int32, Int64, PointerSized, LongDouble, Wide };

struct Directive {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    size_t width = 0;
    std::optional<size_t> precision;
    Size size = Size::None;
};

class Output {
public:
    Output(WCHAR* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}
    void Put(WCHAR c) {
        if (m_length < m_capacity) m_buffer[m_length] = c;
        ++m_length;
    }
    void Repeat(WCHAR c, size_t count) {
        // Only what fits is written; the rest is merely counted, so a huge width costs nothing.
        const size_t room = m_length < m_capacity ? m_capacity - m_length : 0;
        const size_t written = count < room ? count : room;
        for (size_t i = 0; i < written; ++i) m_buffer[m_length + i] = c;
        m_length += count;
    }
    size_t length() const { return m_length; }

private:
    WCHAR* m_buffer;
    size_t m_capacity;
    size_t m_length = 0;
};

class Formatter {
public:
    Formatter(Output& out, va_list args) : m_out(out) { va_copy(m_args, args); }
    ~Formatter() { va_end(m_args); }
    Formatter(const Formatter&) = delete;
    Formatter& operator=(const Formatter&) = delete;

    bool Run(const WCHAR* format);

private:
    bool ParseNumber(const WCHAR*& p, size_t& value);
    bool Convert(WCHAR conversion, Directive& directive);
    void PutPadded(const Directive& directive, const WCHAR* prefix, size_t prefixLength, size_t zeros,
                   const WCHAR* body, size_t bodyLength);
    template <class Char>
    void PutText(const Directive& directive, const Char* text, size_t length);
    bool PutInteger(Directive& directive, WCHAR conversion);
    bool PutFloat(const Directive& directive, WCHAR conversion);

    Output& m_out;
    va_list m_args;
};

bool Formatter::ParseNumber(const WCHAR*& p, size_t& value) {
    value = 0;
    while (*p >= u'0' && *p <= u'9') {
        value = value * 10 + static_cast<size_t>(*p - u'0');
        if (value > INT_MAX) return false;
        ++p;
    }
    return true;
}

bool Formatter::Run(const WCHAR* format) {
    if (!format) return false;
    for (const WCHAR* p = format; *p; ++p) {
        if (*p != u'%') {
            m_out.Put(*p);
            continue;
        }
        ++p;
        Directive directive;
        for (;; ++p) {
            if (*p == u'-') directive.left = true;
            else if (*p == u'+') directive.plus = true;
            else if (*p == u' ') directive.space = true;
            else if (*p == u'#') directive.alternate = true;
            else if (*p == u'0') directive.zero = true;
            else break;
        }
        if (*p == u'*') {
            const int width = va_arg(m_args, int);
            if (width < 0) {
                directive.left = true;
                directive.width = width == INT_MIN ? static_cast<size_t>(INT_MAX) + 1 : static_cast<size_t>(-width);
            } else {
                directive.width = static_cast<size_t>(width);
            }
            ++p;
        } else if (!ParseNumber(p, directive.width)) {
            return false;
        }
        if (*p == u'.') {
            ++p;
            if (*p == u'*') {
                const int precision = va_arg(m_args, int);
                if (precision >= 0) directive.precision = static_cast<size_t>(precision);
                ++p;
            } else {
                size_t precision = 0;
                if (!ParseNumber(p, precision)) return false;
                directive.precision = precision;
            }
        }
        switch (*p) {
        case u'h':
            directive.size = (p[1] == u'h') ? (++p, Size::Char) : Size::Short;
            ++p;
            break;
        case u'l':
            directive.size = (p[1] == u'l') ? (++p, Size::LongLong) : Size::Long;
            ++p;
            break;
        case u'L': directive.size = Size::LongDouble; ++p; break;
        case u'w': directive.size = Size::Wide; ++p; break;
        case u'z':
        case u'j':
        case u't': directive.size = Size::PointerSized; ++p; break;
        case u'I':
            if (p[1] == u'3' && p[2] == u'2') {
                directive.size = Size::Int32;
                p += 3;
            } else if (p[1] == u'6' && p[2] == u'4') {
                directive.size = Size::Int64;
                p += 3;
            } else {
                directive.size = Size::PointerSized;
                ++p;
            }
            break;
        default: break;
        }
        if (!*p || !Convert(*p, directive)) return false;
    }
    return true;
}

void Formatter::PutPadded(const Directive& directive, const WCHAR* prefix, size_t prefixLength, size_t zeros,
                          const WCHAR* body, size_t bodyLength) {
    const size_t length = prefixLength + zeros + bodyLength;
    const size_t pad = directive.width > length ? directive.width - length : 0;
    if (!directive.left && !directive.zero) m_out.Repeat(u' ', pad);
    for (size_t i = 0; i < prefixLength; ++i) m_out.Put(prefix[i]);
    if (!directive.left && directive.zero) m_out.Repeat(u'0', pad);
    m_out.Repeat(u'0', zeros);
    for (size_t i = 0; i < bodyLength; ++i) m_out.Put(body[i]);
    if (directive.left) m_out.Repeat(u' ', pad);
}

template <class Char>
void Formatter::PutText(const Directive& directive, const Char* text, size_t length) {
    const size_t pad = directive.width > length ? directive.width - length : 0;
    if (!directive.left) m_out.Repeat(directive.zero ? u'0' : u' ', pad);
    for (size_t i = 0; i < length; ++i)
        m_out.Put(static_cast<WCHAR>(static_cast<std::make_unsigned_t<Char>>(text[i])));
    if (directive.left) m_out.Repeat(u' ', pad);
}

bool Formatter::PutInteger(Directive& directive, WCHAR conversion) {
    const bool isSigned = conversion == u'd' || conversion == u'i';
    uint64_t magnitude = 0;
    bool negative = false;
    auto take = [&](auto value) {
        if constexpr (std::is_signed_v<decltype(value)>) {
            negative = value < 0;
            magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        } else {
            magnitude = value;
        }
    };
    switch (directive.size) {
    case Size::None:
    case Size::Long:
    case Size::Int32:
        if (isSigned) take(static_cast<int32_t>(va_arg(m_args, int)));
        else take(static_cast<uint32_t>(va_arg(m_args, unsigned)));
        break;
    case Size::Char:
        if (isSigned) take(static_cast<signed char>(va_arg(m_args, int)));
        else take(static_cast<unsigned char>(va_arg(m_args, unsigned)));
        break;
    case Size::Short:
        if (isSigned) take(static_cast<int16_t>(va_arg(m_args, int)));
        else take(static_cast<uint16_t>(va_arg(m_args, unsigned)));
        break;
    case Size::LongLong:
    case Size::Int64:
    case Size::PointerSized:
    case Size::LongDouble:
        if (isSigned) take(static_cast<int64_t>(va_arg(m_args, long long)));
        else take(static_cast<uint64_t>(va_arg(m_args, unsigned long long)));
        break;
    case Size::Wide: return false;
    }

    const unsigned base = (conversion == u'o') ? 8 : (conversion == u'x' || conversion == u'X') ? 16 : 10;
    const char16_t* digitSet = (conversion == u'X') ? u"0123456789ABCDEF" : u"0123456789abcdef";
    WCHAR digits[24];
    size_t count = 0;
    for (uint64_t v = magnitude; v != 0; v /= base) digits[sizeof(digits) / sizeof(WCHAR) - 1 - count++] = digitSet[v % base];
    const WCHAR* body = digits + sizeof(digits) / sizeof(WCHAR) - count;

    size_t zeros = 0;
    if (directive.precision) {
        directive.zero = false;
        if (*directive.precision > count) zeros = *directive.precision - count;
    } else if (magnitude == 0) {
        zeros = 1;  // "0"
    }
    if (directive.alternate && base == 8 && zeros == 0) zeros = 1;  // the leading 0 of the octal form

    WCHAR prefix[2];
    size_t prefixLength = 0;
    if (isSigned) {
        if (negative) prefix[prefixLength++] = u'-';
        else if (directive.plus) prefix[prefixLength++] = u'+';
        else if (directive.space) prefix[prefixLength++] = u' ';
    } else if (directive.alternate && base == 16 && magnitude != 0) {
        prefix[prefixLength++] = u'0';
        prefix[prefixLength++] = conversion;
    }
    PutPadded(directive, prefix, prefixLength, zeros, body, count);
    return true;
}

bool Formatter::PutFloat(const Directive& directive, WCHAR conversion) {
    if (directive.size != Size::None && directive.size != Size::Long && directive.size != Size::LongDouble) return false;
    const double value = va_arg(m_args, double);  // long double is double on this platform
    // The C library writes the number; width and zero padding are applied here, so a huge width
    // costs nothing but the padding itself.
    std::string format = "%";
    if (directive.plus) format += '+';
    if (directive.space) format += ' ';
    if (directive.alternate) format += '#';
    format += ".*";
    format += static_cast<char>(conversion);
    const int precision = directive.precision ? static_cast<int>(*directive.precision) : -1;
    const int length = std::snprintf(nullptr, 0, format.c_str(), precision, value);
    if (length < 0) return false;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), precision, value);
    text.resize(static_cast<size_t>(length));

    std::u16string wide(text.begin(), text.end());
    size_t prefixLength = 0;  // sign, then the 0x of the hexadecimal form: zeros go after them
    if (!wide.empty() && (wide[0] == u'-' || wide[0] == u'+' || wide[0] == u' ')) prefixLength = 1;
    if ((conversion == u'a' || conversion == u'A') && wide.size() >= prefixLength + 2) prefixLength += 2;
    Directive padding = directive;
    if (!std::isfinite(value)) padding.zero = false;
    PutPadded(padding, wide.data(), prefixLength, 0, wide.data() + prefixLength, wide.size() - prefixLength);
    return true;
}

bool Formatter::Convert(WCHAR conversion, Directive& directive) {
    switch (conversion) {
    case u'%':
        m_out.Put(u'%');
        return true;
    case u'c':
    case u'C': {
        bool narrow = conversion == u'C';
        if (directive.size == Size::Short) narrow = true;
        else if (directive.size == Size::Long || directive.size == Size::Wide) narrow = false;
        else if (directive.size != Size::None) return false;
        const int value = va_arg(m_args, int);
        const WCHAR c = narrow ? static_cast<WCHAR>(static_cast<unsigned char>(value)) : static_cast<WCHAR>(value);
        Directive text = directive;
        text.precision.reset();
        PutText(text, &c, 1);
        return true;
    }
    case u's':
    case u'S': {
        bool narrow = conversion == u'S';
        if (directive.size == Size::Short) narrow = true;
        else if (directive.size == Size::Long || directive.size == Size::Wide) narrow = false;
        else if (directive.size != Size::None) return false;
        const size_t limit = directive.precision.value_or(SIZE_MAX);
        if (narrow) {
            const char* s = va_arg(m_args, const char*);
            if (!s) s = "(null)";
            size_t n = 0;
            while (n < limit && s[n]) ++n;
            PutText(directive, s, n);
        } else {
            const WCHAR* s = va_arg(m_args, const WCHAR*);
            if (!s) s = u"(null)";
            size_t n = 0;
            while (n < limit && s[n]) ++n;
            PutText(directive, s, n);
        }
        return true;
    }
    case u'd':
    case u'i':
    case u'u':
    case u'o':
    case u'x':
    case u'X':
        return PutInteger(directive, conversion);
    case u'p': {
        const auto value = reinterpret_cast<uintptr_t>(va_arg(m_args, void*));
        WCHAR digits[16];
        for (int i = 15; i >= 0; --i) digits[15 - i] = u"0123456789ABCDEF"[(value >> (i * 4)) & 0xF];
        Directive text = directive;
        text.zero = false;
        PutPadded(text, nullptr, 0, 0, digits, 16);
        return true;
    }
    case u'e':
    case u'E':
    case u'f':
    case u'F':
    case u'g':
    case u'G':
    case u'a':
    case u'A':
        return PutFloat(directive, conversion);
    default:
        return false;  // %n included: writing through an argument is refused
    }
}

}  // namespace

std::optional<size_t> FormatWide(WCHAR* buffer, size_t capacity, const WCHAR* format, va_list args) {
    Output out(buffer, buffer ? capacity : 0);
    Formatter formatter(out, args);
    if (!formatter.Run(format)) return std::nullopt;
    return out.length();
}

}  // namespace palvex::text
