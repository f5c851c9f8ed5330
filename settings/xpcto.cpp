// The description's entries: the entry list, its lookups, and the tokeniser that turns source
// text into entries (normalisation, then one entry per line).
#include <string>
#include <vector>

#include "xpcimpl.h"

namespace xpc {

// --- Entry list ---------------------------------------------------------------------------------

EntryList::~EntryList() {
    for (Entry* entry = m_head; entry;) {
        Entry* next = entry->m_next;
        delete entry;
        entry = next;
    }
}

void EntryList::RemoveAfter(Entry* last) {
    Entry* entry = last ? last->m_next : m_head;
    while (entry) {
        Entry* next = entry->m_next;
        delete entry;
        --m_count;
        entry = next;
    }
    if (last) {
        last->m_next = nullptr;
    } else {
        m_head = nullptr;
    }
    m_tail = last;
}

Entry* EntryList::Append(std::u16string keyword, std::u16string value, BYTE depth) {
    return InsertAfter(m_tail, std::move(keyword), std::move(value), depth);
}

Entry* EntryList::InsertAfter(Entry* at, std::u16string keyword, std::u16string value, BYTE depth) {
    auto* entry = new Entry;
    entry->m_keyword = std::move(keyword);
    entry->m_value = std::move(value);
    entry->m_depth = depth;
    if (at) {
        entry->m_next = at->m_next;
        at->m_next = entry;
    } else {
        entry->m_next = m_head;
        m_head = entry;
    }
    if (at == m_tail) m_tail = entry;
    ++m_count;
    return entry;
}

Entry* FindIn(const EntryList& list, const Entry* owner, std::u16string_view keyword, int depth,
              const std::u16string* value, const Entry* after) {
    const Entry* entry = after ? after->m_next : owner ? owner->m_next : list.head();
    for (; entry; entry = entry->m_next) {
        if (owner && entry->m_depth <= owner->m_depth) break;
        if (depth >= 0 && entry->m_depth < depth) break;
        if (depth >= 0 && entry->m_depth != depth) continue;
        if (!keyword.empty() && entry->m_keyword != keyword) continue;
        if (value && entry->m_value != *value) continue;
        return const_cast<Entry*>(entry);
    }
    return nullptr;
}

Entry* FindEntry(Context& context, std::u16string_view keyword, int depth, const std::u16string* value, int mode) {
    auto& searches = context.m_searches;
    if (mode == 0) {
        const Entry* after = !searches.empty() && depth >= 0 ? searches.back().m_current : nullptr;
        return FindIn(context.m_entries, nullptr, keyword, depth, value, after);
    }

    // The search this call continues, if any.
    SearchState* state = nullptr;
    if (mode == 1) {
        if (!searches.empty() && searches.back().m_mode == 1 && searches.back().m_keyword == keyword)
            state = &searches.back();
    } else {
        for (auto it = searches.rbegin(); it != searches.rend(); ++it)
            if (it->m_mode == 2 && it->m_keyword == keyword) {
                state = &*it;
                break;
            }
    }
    const Entry* after = nullptr;
    if (state) {
        after = state->m_current;
    } else {
        if (searches.size() >= kMaxSearches) {
            Report(XPC_NO_SEARCH_SLOTS, KIT_HERE);
            return nullptr;
        }
        const Entry* start = !searches.empty() ? searches.back().m_current : nullptr;
        if (start && depth >= 0 && depth >= start->m_depth) after = start;
        SearchState fresh;
        fresh.m_keyword = std::u16string(keyword);
        fresh.m_depth = depth;
        if (value) fresh.m_value = *value;
        fresh.m_mode = static_cast<BYTE>(mode);
        searches.push_back(std::move(fresh));
        state = &searches.back();
        state->m_current = after;
    }

    Entry* found = FindIn(context.m_entries, nullptr, keyword, depth, value, after);
    while (found && mode == 2 && found->m_visited) found = FindIn(context.m_entries, nullptr, keyword, depth, value, found);
    if (!found) {
        for (auto it = searches.begin(); it != searches.end(); ++it)
            if (&*it == state) {
                searches.erase(it);
                break;
            }
        return nullptr;
    }
    if (mode == 2) found->m_visited = true;
    state->m_current = found;
    ++state->m_visits;
    return found;
}

// --- Case mappings --------------------------------------------------------------------------------

std::u16string Upper(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return result;
}

std::u16string Lower(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return result;
}

// --- Tokeniser ------------------------------------------------------------------------------------

namespace {

// Shift-JIS lead bytes: the byte after one belongs to the same character, whatever it looks like
// (its trail byte may be '\', '{' or '}').
bool IsLeadByte(UINT codePage, unsigned char byte) {
    return codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

// Normalised text: one line per entry ("keyword:value"), lines ended by CR, and the braces
// between them; blanks outside quotes, comments and empty lines removed.
class Normaliser {
public:
    Normaliser(std::string_view text, bool lenient, LPCWSTR fileName, DWORD firstLine, UINT codePage)
        : m_text(text), m_lenient(lenient), m_fileName(fileName), m_line(firstLine), m_codePage(codePage) {}

    // The normalised text and the positions of its braces (a brace elsewhere is text).
    DWORD Run(std::string* out, std::vector<size_t>* braces);

private:
    bool LineEmpty() const { return m_out.size() == m_lineStart; }
    DWORD Fail(DWORD code) { return Report(code, m_fileName, static_cast<int>(m_line), u":"); }
    void EndLine() {
        m_previousLineStart = m_lineStart;
        m_previousHasColon = m_hasColon;
        m_out += '\r';
        m_lineStart = m_out.size();
        m_hasColon = false;
    }
    DWORD LineBreak();
    DWORD Brace(char brace);

    std::string_view m_text;
    bool m_lenient;
    LPCWSTR m_fileName;
    DWORD m_line;
    UINT m_codePage;
    std::string m_out;
    std::vector<size_t> m_braces;        // positions of the structural braces in m_out
    size_t m_trailEnd = std::string::npos;  // m_out's size after the last double-byte character
    size_t m_lineStart = 0;
    bool m_hasColon = false;
    size_t m_previousLineStart = 0;
    bool m_previousHasColon = false;
    int m_depth = 0;
};

DWORD Normaliser::LineBreak() {
    if (LineEmpty()) return 0;  // blank line, or the line end after a brace
    // The second byte of a double-byte character is text, whatever it looks like.
    const char last = m_out.size() == m_trailEnd ? 'A' : m_out.back();
    switch (last) {
    case '*':
    case '+':
    case '-':
    case '/':
        return Fail(XPC_SYNTAX_NO_VALUE);
    case ':':
        if (!m_lenient) return Fail(XPC_SYNTAX_NO_TOKEN_VALUE);
        m_out += "\"\"";
        break;
    case '\\':
        m_out.pop_back();  // the next line continues this one
        return 0;
    default:
        if (!m_hasColon) {
            if (!m_lenient) return Fail(XPC_SYNTAX_MISSING_COLON);
            m_out += ":\"\"";
        }
    }
    EndLine();
    return 0;
}

DWORD Normaliser::Brace(char brace) {
    if (!LineEmpty()) {
        if (m_out.back() == ':') return Fail(XPC_SYNTAX_NO_VALUE_BRACE);
        if (!m_hasColon) {
            if (!m_lenient) return Fail(XPC_SYNTAX_MISSING_COLON);
            m_out += ":\"\"";
        }
    } else if (!m_out.empty() && m_out.back() == '\r') {
        m_out.pop_back();  // the line break before a brace goes
    }
    if (brace == '{') {
        ++m_depth;
    } else if (--m_depth < 0) {
        return Fail(XPC_SYNTAX_BAD_END);
    }
    m_braces.push_back(m_out.size());
    m_out += brace;
    m_lineStart = m_out.size();
    m_hasColon = false;
    return 0;
}

DWORD Normaliser::Run(std::string* out, std::vector<size_t>* braces) {
    m_out.reserve(m_text.size());
    const size_t size = m_text.size();
    size_t i = 0;
    while (i < size) {
        const char c = m_text[i];
        if (IsLeadByte(m_codePage, static_cast<unsigned char>(c)) && i + 1 < size) {
            m_out.append(m_text.substr(i, 2));
            m_trailEnd = m_out.size();
            i += 2;
            continue;
        }
        switch (c) {
        case ' ':
        case '\t':
        case '\n':
            ++i;
            break;
        case '\r':
            if (const DWORD result = LineBreak(); result >= KIT_SEVERITY_ERROR) return result;
            ++m_line;
            ++i;
            break;
        case '"':
            if (m_lenient) {
                // GPD syntax: the rest of the line is taken as it stands.
                while (i < size && m_text[i] != '\r') {
                    if (IsLeadByte(m_codePage, static_cast<unsigned char>(m_text[i])) && i + 1 < size) {
                        m_out.append(m_text.substr(i, 2));
                        m_trailEnd = m_out.size();
                        i += 2;
                    } else {
                        m_out += m_text[i++];
                    }
                }
                break;
            }
            m_out += '"';
            for (++i;; ++i) {
                if (i >= size) return Fail(XPC_SYNTAX_END_OF_FILE);
                const char q = m_text[i];
                if (IsLeadByte(m_codePage, static_cast<unsigned char>(q)) && i + 1 < size) {
                    m_out.append(m_text.substr(i++, 2));
                    m_trailEnd = m_out.size();
                    continue;
                }
                if (q == '\r' || q == '{' || q == '}') return Fail(XPC_SYNTAX_MISSING_COLON);
                m_out += q;
                if (q == '"') break;
            }
            ++i;
            break;
        case '*':
            if (i + 1 < size && m_text[i + 1] == '%') {
                // A comment runs to the line end; its line break is still one.
                const size_t end = m_text.find('\r', i);
                if (end == std::string_view::npos) return Fail(XPC_SYNTAX_END_OF_FILE);
                i = end;
                break;
            }
            m_out += c;
            ++i;
            break;
        case '+':
            if (LineEmpty() && !m_out.empty() && m_out.back() == '\r') {
                // Joins this line to the previous one.
                m_out.pop_back();
                m_lineStart = m_previousLineStart;
                m_hasColon = m_previousHasColon;
            } else {
                m_out += c;
            }
            ++i;
            break;
        case '{':
        case '}':
            if (const DWORD result = Brace(c); result >= KIT_SEVERITY_ERROR) return result;
            ++i;
            break;
        case ':':
            m_hasColon = true;
            m_out += c;
            ++i;
            break;
        default:
            m_out += c;
            ++i;
        }
    }
    if (const DWORD result = LineBreak(); result >= KIT_SEVERITY_ERROR) return result;
    if (m_depth != 0) return Fail(XPC_SYNTAX_NO_END);
    *out = std::move(m_out);
    *braces = std::move(m_braces);
    return 0;
}

// Text in the system's ANSI code page (looked up once per text, not per entry).
std::u16string Widen(UINT codePage, std::string_view bytes) {
    std::u16string text;
    if (bytes.empty()) return text;
    const int count = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), count, nullptr, 0);
    if (length <= 0) {
        text.assign(bytes.begin(), bytes.end());  // not expected: every byte sequence converts
        return text;
    }
    text.resize(static_cast<size_t>(length));
    MultiByteToWideChar(codePage, 0, bytes.data(), count, text.data(), length);
    return text;
}

// Keywords starting with '*' and values that are not quoted (or macro references) are upper
// case; a quoted value loses its double quotes.
void ApplyCaseRules(std::u16string& keyword, std::u16string& value) {
    if (!keyword.empty() && keyword[0] == u'*') keyword = Upper(keyword);
    if (!value.empty() && (value[0] == u'=' || value[0] == u'"' || value[0] == u'\'')) {
        std::u16string unquoted;
        unquoted.reserve(value.size());
        for (char16_t c : value)
            if (c != u'"') unquoted += c;
        value = std::move(unquoted);
    } else {
        value = Upper(value);
    }
}

}  // namespace

DWORD ParseText(Context& context, std::string_view text, bool lenient, LPCWSTR fileName, DWORD firstLine) {
    std::string normal;
    std::vector<size_t> braces;
    const UINT codePage = GetACP();
    Normaliser normaliser(text, lenient, fileName, firstLine, codePage);
    if (const DWORD result = normaliser.Run(&normal, &braces); result >= KIT_SEVERITY_ERROR) return result;

    int depth = 0;
    bool afterClose = false;
    size_t nextBrace = 0;  // index into braces
    size_t i = 0;
    while (i < normal.size()) {
        const bool structural = nextBrace < braces.size() && braces[nextBrace] == i;
        const char c = normal[i];
        if (structural) {
            ++nextBrace;
            ++i;
            if (c == '}') {
                --depth;
                afterClose = true;
                continue;
            }
            if (afterClose) context.m_entries.Append(u"EXTRA", u"TOKEN", static_cast<BYTE>(depth));
            if (++depth > 255) return Report(XPC_INVALID_PARAMETER, KIT_HERE);
            afterClose = false;
            continue;
        }
        if (c == '\r') {
            ++i;
            afterClose = false;
            continue;
        }
        afterClose = false;
        // A line runs to its line end or the next brace.
        size_t end = i;
        while (end < normal.size() && normal[end] != '\r' &&
               !(nextBrace < braces.size() && braces[nextBrace] == end))
            ++end;
        const std::string_view line(normal.data() + i, end - i);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 || colon + 1 == line.size())
            return Report(XPC_INVALID_PARAMETER, KIT_HERE);
        std::u16string keyword = Widen(codePage, line.substr(0, colon));
        std::u16string value = Widen(codePage, line.substr(colon + 1));
        ApplyCaseRules(keyword, value);
        context.m_entries.Append(std::move(keyword), std::move(value), static_cast<BYTE>(depth));
        i = end;
    }
    return 0;
}

}  // namespace xpc
