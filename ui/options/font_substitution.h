// The printer's TrueType font substitution table and the handler that keeps it.
//
// Printer data of the printer:
//   "TTFontSubTable"      REG_MULTI_SZ  pairs of NUL-terminated UTF-16 strings (a TrueType face,
//                                       then the device font that replaces it), then one more NUL
//   "TTFontSubTableSize"  REG_DWORD     the table's size in bytes, final NUL included
// At most 512 pairs; faces compare exactly (case included) and occur once; new pairs go to the
// end and a removal keeps the others' order; an empty table is stored by deleting both values.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <win/windows.h>

#include "items/optitem_handler.h"

inline constexpr char16_t kFontSubstTableValue[] = u"TTFontSubTable";
inline constexpr char16_t kFontSubstSizeValue[] = u"TTFontSubTableSize";

class FontSubstitutionTable {
public:
    static constexpr size_t kMaxPairs = 512;
    using Pair = std::pair<std::u16string, std::u16string>;

    enum class ReadResult {
        Empty,       // nothing stored
        Loaded,      // the stored pairs are in the table
        Unreadable,  // something is stored but could not be read: it must not be overwritten
    };

    // Reads the printer's table. The table value is read at its own stored length, so a size value
    // that is missing or wrong costs no stored pair. error receives the failing call's code.
    ReadResult Read(HANDLE printer, DWORD* error = nullptr);
    // Takes the pairs of a stored value of size bytes, never reading past them: a value without its
    // final NUL, or with an unterminated last string, gives the complete pairs before it.
    void Parse(const BYTE* bytes, size_t size);

    // One face's choice: a substitute (null for none) adds the pair, or changes the listed face's
    // device font; none removes the listed face. A full table takes no new face.
    void Apply(std::u16string_view face, LPCWSTR substitute);

    // The stored form of the table; empty when it holds no pair.
    std::vector<BYTE> Serialize() const;
    // Stores the table (or deletes both values when it is empty). Failures are not reported: the
    // sheet goes on as the stored state allows.
    void Write(HANDLE printer) const;

    const std::vector<Pair>& Pairs() const { return m_pairs; }

private:
    std::vector<Pair> m_pairs;
};

// A TrueType face's item on the printer sheet's kit pages (help index 1026): selection 0 keeps
// the face, selection k its substitution by option k's device font. The handler's choice is
// written to the printer's table when the sheet opens with a substitution chosen, and on Apply
// when the item changed.
class QORVAOptItemHandlerFONTSUBST : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerFONTSUBST(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    void SaveSettings(HWND window) override;

private:
    // Reads the table, applies the item's choice and writes the table back; a table that cannot be
    // read is left as stored.
    void UpdateTable();
};
