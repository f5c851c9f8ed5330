#include "text_layout.h"

#include <cstring>
#include <new>

#include <win/winnls.h>

using namespace textflags;

namespace {

constexpr DWORD kTabWidth = 8;

bool IsLineEnd(BYTE byte) {
    return byte == '\r' || byte == '\n' || byte == '\f';
}

// Bytes that may follow a lead byte in a double-byte character; below that the lead byte stands
// alone, so that a broken character does not swallow a line end or a tab.
bool IsTrailByte(BYTE byte) {
    return byte >= 0x40;
}

}  // namespace

size_t SplitLine(const BYTE* input, size_t size, char* line, DWORD room, DWORD column, UINT codePage, DWORD* count,
                 SplitState* state) {
    DWORD& flags = state->flags;
    flags &= ~kEndBits;
    DWORD length = 0;
    size_t at = 0;
    const auto endLine = [&](DWORD why) {
        flags |= why;
        flags &= ~kPendingTab;
        state->pendingBlanks = 0;
        state->tabBase = 0;
    };
    const auto wrap = [&] {
        flags |= kCarriageReturn | kLineFeed;
        state->tabBase = (state->tabBase + column + length) % kTabWidth;
    };
    const auto blanks = [&](DWORD wanted) {
        const DWORD free = length < room ? room - length : 0;
        const DWORD fit = wanted < free ? wanted : free;
        std::memset(line + length, ' ', fit);
        length += fit;
        return wanted - fit;
    };
    while (at < size) {
        const BYTE byte = input[at];
        if (IsLineEnd(byte)) {
            ++at;
            if (byte == '\n' && (flags & kAfterCR)) {
                flags &= ~kAfterCR;  // the line feed of a CR LF already translated
                continue;
            }
            flags &= ~kAfterCR;
            if (byte == '\f') {
                endLine(kFormFeed);
            } else if (byte == '\n') {
                endLine((flags & kTranslateLF) ? (kCarriageReturn | kLineFeed) : kLineFeed);
            } else if (flags & kTranslateCR) {
                endLine(kCarriageReturn | kLineFeed);
                flags |= kAfterCR;
            } else {
                endLine(kCarriageReturn);
            }
            break;
        }
        // Something is to be printed: first the blanks a tab still owes, then the byte.
        if (state->pendingBlanks > 0) {
            state->pendingBlanks = blanks(state->pendingBlanks);
            if (state->pendingBlanks > 0) {
                wrap();
                break;
            }
            flags &= ~kPendingTab;
        }
        if (length >= room) {
            wrap();
            break;
        }
        flags &= ~kAfterCR;
        if (byte == '\t') {
            ++at;
            const DWORD stop = kTabWidth - (state->tabBase + column + length) % kTabWidth;
            state->pendingBlanks = blanks(stop);
            if (state->pendingBlanks > 0) flags |= kPendingTab;
            continue;
        }
        if (IsDBCSLeadByteEx(codePage, byte)) {
            if (at + 1 == size) {
                flags |= kLeadByteLeft;
                break;
            }
            if (IsTrailByte(input[at + 1])) {
                // Whole or not at all; only a line too narrow for any such character takes it over-wide.
                if (length + 2 > room && (column != 0 || length != 0)) {
                    wrap();
                    break;
                }
                line[length++] = static_cast<char>(byte);
                line[length++] = static_cast<char>(input[at + 1]);
                at += 2;
                continue;
            }
        }
        line[length++] = static_cast<char>(byte);
        ++at;
    }
    *count = length;
    return at;
}

TextLayout::TextLayout(TextDevice& device, DWORD columns, DWORD linesPerPage, UINT codePage, DWORD translation)
    : m_device(device), m_columns(columns), m_linesPerPage(linesPerPage), m_codePage(codePage) {
    m_state.flags = translation & (kTranslateLF | kTranslateCR);
}

bool TextLayout::BreakFullPages() {
    while (m_line >= m_linesPerPage) {
        if (!m_device.EndPage() || !m_device.StartPage()) return false;
        m_line -= m_linesPerPage;
    }
    return true;
}

bool TextLayout::Lay(const BYTE* data, size_t size, size_t* used) {
    size_t at = 0;
    while (at < size) {
        const DWORD room = m_column < m_columns ? m_columns - m_column : 0;
        DWORD length = 0;
        at += SplitLine(data + at, size - at, m_lineBuffer.get(), room, m_column, m_codePage, &length, &m_state);
        if (length > 0) {
            if (!BreakFullPages() || !m_device.Text(m_column, m_line, m_lineBuffer.get(), length)) return false;
            m_column += length;
        }
        const DWORD flags = m_state.flags;
        if (flags & kLeadByteLeft) break;
        if (flags & kCarriageReturn) m_column = 0;
        if (flags & kLineFeed) ++m_line;
        if (flags & kFormFeed) {
            if (!BreakFullPages()) return false;
            m_line = m_linesPerPage;
            m_column = 0;
        }
    }
    *used = at;
    return true;
}

bool TextLayout::LayText(const Reader& read, BYTE* buffer, DWORD bufferSize) {
    if (bufferSize < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    m_lineBuffer.reset(new (std::nothrow) char[static_cast<size_t>(m_columns) + 5]);
    if (!m_lineBuffer) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    m_state.flags &= kTranslateLF | kTranslateCR;
    m_state.pendingBlanks = 0;
    m_state.tabBase = 0;
    m_column = 0;
    m_line = 0;
    if (!m_device.StartPage()) return false;
    DWORD carried = 0;
    for (;;) {
        DWORD got = 0;
        if (!read(buffer + carried, bufferSize - carried, &got)) return false;
        if (got == 0) break;
        const size_t size = carried + got;
        size_t used = 0;
        if (!Lay(buffer, size, &used)) return false;
        carried = static_cast<DWORD>(size - used);
        std::memmove(buffer, buffer + used, carried);
    }
    // A lead byte at the very end of the text has no character to finish: it is printed as it is.
    if (carried > 0) {
        if (m_column >= m_columns) {
            m_column = 0;
            ++m_line;
        }
        m_lineBuffer[0] = static_cast<char>(buffer[0]);
        if (!BreakFullPages() || !m_device.Text(m_column, m_line, m_lineBuffer.get(), 1)) return false;
    }
    return m_device.EndPage();
}
