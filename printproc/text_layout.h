// The layout of plain text on pages of fixed-pitch cells: lines cut by SplitLine, tabs every 8
// columns, carriage return, line feed and form feed, long lines wrapped, double-byte characters of
// the code page kept whole, and pages of a fixed number of lines.
#pragma once

#include <functional>
#include <memory>

#include <win/windows.h>

// SplitLine's state word. The translation bits are set by the caller and kept; the state bits
// (kAfterCR, kPendingTab) carry from one piece to the next; the end bits tell why a piece ended.
namespace textflags {
inline constexpr DWORD kAfterCR = 0x1;         // the last byte was a translated carriage return
inline constexpr DWORD kPendingTab = 0x2;      // blanks of a tab cut by the line's end are still owed
inline constexpr DWORD kLeadByteLeft = 0x8;    // the input ended on the lead byte of a character
inline constexpr DWORD kFormFeed = 0x10;       // new page
inline constexpr DWORD kLineFeed = 0x20;       // next line
inline constexpr DWORD kCarriageReturn = 0x40; // column 0
inline constexpr DWORD kTranslateLF = 0x80;    // a line feed also returns to column 0
inline constexpr DWORD kTranslateCR = 0x100;   // a carriage return also goes to the next line
inline constexpr DWORD kEndBits = kLeadByteLeft | kFormFeed | kLineFeed | kCarriageReturn;
}  // namespace textflags

struct SplitState {
    DWORD flags = textflags::kTranslateLF | textflags::kTranslateCR;
    DWORD pendingBlanks = 0;  // blanks of a cut tab, written before what follows on the next line
    DWORD tabBase = 0;        // columns of the text line before this output line, modulo 8
};

// Cuts the next piece of an output line from input into line. room is the free columns of the
// output line (line has room for at least room + 2 bytes) and column the column where the piece
// starts. *count gets the piece's length in bytes (one column each); the result is the input
// bytes used. A piece ends at the end of the input, at a line end, at a form feed, when the output
// line is full and something more is to be printed (a wrap: kCarriageReturn | kLineFeed), or
// before a lead byte that is the input's last byte (kLeadByteLeft). A line end that directly
// follows a full line ends that line without an empty line after it.
size_t SplitLine(const BYTE* input, size_t size, char* line, DWORD room, DWORD column, UINT codePage, DWORD* count,
                 SplitState* state);

// What the text is laid on: pages, and text in a cell given by column and line.
class TextDevice {
public:
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual bool Text(DWORD column, DWORD line, const char* text, DWORD length) = 0;

protected:
    ~TextDevice() = default;
};

class TextLayout {
public:
    // Reads the next bytes of the text into buffer; false on failure, *read 0 at the end.
    using Reader = std::function<bool(BYTE* buffer, DWORD size, DWORD* read)>;

    // columns and linesPerPage are at least 1; translation holds kTranslateLF and kTranslateCR as
    // wanted.
    TextLayout(TextDevice& device, DWORD columns, DWORD linesPerPage, UINT codePage, DWORD translation);

    // Lays out the whole text from its first page to its last, reading it in pieces of buffer
    // (bufferSize at least 2) and keeping a character's lead byte for the next read. A page break
    // that nothing follows makes no empty page. False as soon as reading or the device fails.
    bool LayText(const Reader& read, BYTE* buffer, DWORD bufferSize);

private:
    // Lays out the bytes; *used gets how many (all but a lead byte left at the end).
    bool Lay(const BYTE* data, size_t size, size_t* used);
    // Ends the pages that are full before anything more is drawn.
    bool BreakFullPages();

    TextDevice& m_device;
    DWORD m_columns;
    DWORD m_linesPerPage;
    UINT m_codePage;
    SplitState m_state;
    DWORD m_column = 0;
    DWORD m_line = 0;
    std::unique_ptr<char[]> m_lineBuffer;
};
