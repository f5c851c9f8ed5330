// Field values: the text of a row's field entry converted into its cell, one converter per kind.
#include <cstring>
#include <string>
#include <vector>

#include "xpcimpl.h"

namespace xpc {
namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// Sign and magnitude of a decimal text; the magnitude saturates above limit.
struct Decimal {
    bool m_negative = false;
    uint64_t m_magnitude = 0;
    bool m_overflow = false;
};

Decimal ReadDecimal(std::u16string_view text, uint64_t limit) {
    Decimal decimal;
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) decimal.m_negative = text[i++] == u'-';
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        decimal.m_magnitude = decimal.m_magnitude * 10 + static_cast<uint64_t>(text[i] - u'0');
        if (decimal.m_magnitude > limit) {
            decimal.m_overflow = true;
            decimal.m_magnitude = limit + 1;
        }
    }
    return decimal;
}

std::vector<std::u16string_view> Split(std::u16string_view text, std::u16string_view separator) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        if (at == std::u16string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

template <class T>
void Put(BYTE* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

// "RGB(r,g,b)": r after "RGB(", g after the first ',', b after the last ','; each cut to 8 bits.
// A text without "RGB(" stores 0 and counts as a warning (without a report).
DWORD ConvertColour(std::u16string_view text, BYTE* cell) {
    const size_t start = text.find(u"RGB(");
    if (start == std::u16string_view::npos) {
        Put<DWORD>(cell, 0);
        return KIT_SEVERITY_WARNING;
    }
    const size_t first = text.find(u',');
    const size_t last = text.rfind(u',');
    const auto component = [&](size_t comma) -> DWORD {
        if (comma == std::u16string_view::npos) return 0;
        return static_cast<BYTE>(ParseSigned(text.substr(comma + 1)));
    };
    const DWORD red = static_cast<BYTE>(ParseSigned(text.substr(start + 4)));
    Put<DWORD>(cell, red | component(first) << 8 | component(last) << 16);
    return 0;
}

// One element of a numeric, colour or string field.
DWORD ConvertElement(const ColumnDef& column, std::u16string_view text, BYTE* cell, std::optional<std::u16string>* string) {
    switch (column.m_kind) {
    case XprColumnKind::BYTE:
        *cell = static_cast<BYTE>(ParseSigned(text));
        return 0;
    case XprColumnKind::WORD:
    case XprColumnKind::SHORT:
        Put<WORD>(cell, static_cast<WORD>(ParseSigned(text)));
        return 0;
    case XprColumnKind::DWORD:
    case XprColumnKind::LONG:
        Put<DWORD>(cell, ParseUnsigned(text));
        return 0;
    case XprColumnKind::DWORD64:
    case XprColumnKind::LONG64:
        Put<uint64_t>(cell, ParseUnsigned(text));
        return 0;
    case XprColumnKind::COLORREF:
        return ConvertColour(text, cell);
    case XprColumnKind::STRING:
        if (string) *string = std::u16string(text);
        return 0;
    default:
        return Report(XPC_INVALID_PARAMETER, KIT_HERE);
    }
}

}  // namespace

LONG ParseSigned(std::u16string_view text) {
    const Decimal decimal = ReadDecimal(text, 0x80000000ull);
    if (decimal.m_negative) {
        if (decimal.m_magnitude >= 0x80000000ull) return INT32_MIN;
        return -static_cast<LONG>(decimal.m_magnitude);
    }
    if (decimal.m_magnitude > 0x7FFFFFFFull) return INT32_MAX;
    return static_cast<LONG>(decimal.m_magnitude);
}

DWORD ParseUnsigned(std::u16string_view text) {
    const Decimal decimal = ReadDecimal(text, 0xFFFFFFFFull);
    if (decimal.m_overflow) return 0xFFFFFFFFu;
    const auto magnitude = static_cast<DWORD>(decimal.m_magnitude);
    return decimal.m_negative ? 0u - magnitude : magnitude;
}

DWORD ConvertValue(Context& context, const ColumnDef& column, const Entry& entry, BYTE* cell,
                   std::optional<std::u16string>* strings) {
    const std::u16string field = column.m_name;
    DWORD worst = 0;
    std::u16string text;

    if (column.m_kind == XprColumnKind::CHAR) {
        // Inline text, not split: cut to the field, terminated when shorter.
        worst = TranslateValue(context, entry.m_keyword, entry.m_value, &text);
        std::memset(cell, 0, static_cast<size_t>(column.m_count) * sizeof(WCHAR));
        if (text.size() > column.m_count) {
            worst = Worst(worst, Report(XPC_VALUES_DO_NOT_FIT, text.c_str(), TypeWord(column.m_kind), field.c_str(),
                                        int{column.m_count}));
            text.resize(column.m_count);
        }
        std::memcpy(cell, text.data(), text.size() * sizeof(WCHAR));
        return worst;
    }

    if (column.m_count > 1) {
        // A list: each element is expanded by itself; colours are separated by "),".
        const auto elements = Split(entry.m_value, column.m_kind == XprColumnKind::COLORREF ? u")," : u",");
        size_t used = elements.size();
        if (used > column.m_count) {
            worst = Report(XPC_VALUES_DO_NOT_FIT, entry.m_value.c_str(), TypeWord(column.m_kind), field.c_str(),
                           int{column.m_count});
            used = column.m_count;
        }
        for (size_t i = 0; i < used; ++i) {
            worst = Worst(worst, TranslateValue(context, entry.m_keyword, elements[i], &text));
            const DWORD result = ConvertElement(column, text, cell + i * column.m_elementSize, strings ? &strings[i] : nullptr);
            if (result >= KIT_SEVERITY_ERROR) return result;
            worst = Worst(worst, result);
        }
        return worst;
    }

    worst = TranslateValue(context, entry.m_keyword, entry.m_value, &text);
    const bool numeric = column.m_kind != XprColumnKind::STRING && column.m_kind != XprColumnKind::COLORREF;
    const bool tooMany = numeric ? text.find(u',') != std::u16string::npos
                                 : column.m_kind == XprColumnKind::COLORREF && text.find(u"),") != std::u16string::npos;
    if (tooMany)
        worst = Worst(worst, Report(XPC_VALUES_DO_NOT_FIT, text.c_str(), TypeWord(column.m_kind), field.c_str(), 1));
    const DWORD result = ConvertElement(column, text, cell, strings);
    if (result >= KIT_SEVERITY_ERROR) return result;
    return Worst(worst, result);
}

}  // namespace xpc
