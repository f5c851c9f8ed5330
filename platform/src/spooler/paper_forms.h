// The standard paper forms and the papers of the printer models (internal to the platform library).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <palvex/printer_papers.h>
#include <win/wintypes.h>

namespace palvex::paper {

// A standard form: name and size in micrometres (portrait as the paper is named).
struct StandardForm {
    const char16_t* name;
    LONG width;
    LONG height;
};

// The standard forms in the order of their DMPAPER numbers: element i is paper i + 1.
std::span<const StandardForm> StandardForms();
// The standard form of a paper number, or null.
const StandardForm* FindStandardForm(long paper);

// A paper the printer model takes: its DMPAPER number, name and size in tenths of a millimetre
// (the same record a printer's own paper list holds).
using ModelPaper = PrinterPaperDesc;
// Characters of a paper name without its NUL (DC_PAPERNAMES gives 64-unit fields).
inline constexpr size_t kPaperNameChars = 63;
// The papers of every printer of the package's model family, in the order the driver lists them.
const std::vector<ModelPaper>& ModelPapers();
// The papers a printer offers: its own list (palvex/printer_papers.h) when it was given one, else
// ModelPapers(). Defined in printer_papers.cpp.
std::vector<ModelPaper> PrinterPapers(int64_t printerId);

// Characters of a bin name without its NUL (DC_BINNAMES gives 24-unit fields).
inline constexpr size_t kBinNameChars = 23;
// The bins or media types a printer was given (capability DC_BINS or DC_MEDIATYPES), in order.
std::vector<PrinterChoiceDesc> PrinterChoices(int64_t printerId, int capability);

}  // namespace palvex::paper
