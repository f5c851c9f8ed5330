// The papers each printer's driver offers (palvex/printer_papers.h), kept in the machine database.
#include <palvex/printer_papers.h>

#include <palvex/machine.h>
#include <win/winerror.h>

#include "machine/machine_db.h"
#include "spooler/paper_forms.h"
#include "spooler/spooler_store.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

const db::SchemaPart kPrinterPapersSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_printer_papers (
    printer_id INTEGER NOT NULL REFERENCES spool_printers(id) ON DELETE CASCADE,
    position INTEGER NOT NULL,  -- the order the driver lists its papers in
    paper INTEGER NOT NULL,
    name TEXT NOT NULL,
    width INTEGER NOT NULL,     -- tenths of a millimetre
    height INTEGER NOT NULL,
    PRIMARY KEY (printer_id, position));
)sql");

using paper::kPaperNameChars;

}  // namespace

void SetPrinterPapers(const std::u16string& printerName, const std::vector<PrinterPaperDesc>& papers) {
    for (const PrinterPaperDesc& paper : papers) {
        if (paper.id == 0 || paper.name.empty() || paper.name.size() > kPaperNameChars ||
            paper.name.find(u'\0') != std::u16string::npos || paper.width <= 0 || paper.height <= 0)
            throw MachineError(ERROR_INVALID_PARAMETER, "paper '" + text::ToUtf8(paper.name) + "' (" +
                                                            std::to_string(paper.id) + ") is not a paper a driver lists");
    }
    db::Transaction([&] {
        const auto printer = spool::FindPrinter(printerName);
        if (!printer)
            throw MachineError(ERROR_INVALID_PRINTER_NAME, "unknown printer '" + text::ToUtf8(printerName) + "'");
        db::Statement("DELETE FROM spool_printer_papers WHERE printer_id = ?1").Bind(1, printer->id).Run();
        int64_t position = 0;
        for (const PrinterPaperDesc& paper : papers) {
            db::Statement add(R"sql(
                INSERT INTO spool_printer_papers (printer_id, position, paper, name, width, height)
                VALUES (?1, ?2, ?3, ?4, ?5, ?6))sql");
            add.Bind(1, printer->id).Bind(2, position++).Bind(3, int64_t{paper.id}).Bind(4, paper.name);
            add.Bind(5, int64_t{paper.width}).Bind(6, int64_t{paper.height}).Run();
        }
    });
}

namespace paper {

std::vector<ModelPaper> PrinterPapers(int64_t printerId) {
    std::vector<ModelPaper> papers;
    db::Statement list(
        "SELECT paper, name, width, height FROM spool_printer_papers WHERE printer_id = ?1 ORDER BY position");
    list.Bind(1, printerId);
    while (list.Step())
        papers.push_back(ModelPaper{static_cast<WORD>(list.Int(0)), list.Text16(1), static_cast<LONG>(list.Int(2)),
                                    static_cast<LONG>(list.Int(3))});
    if (papers.empty()) return ModelPapers();
    return papers;
}

}  // namespace paper
}  // namespace palvex

// Bins and media types, one table for both, told apart by the capability that lists their numbers.
namespace palvex {
namespace {

constexpr int kBinsCapability = 6;         // DC_BINS
constexpr int kMediaTypesCapability = 35;  // DC_MEDIATYPES

const db::SchemaPart kPrinterChoicesSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_printer_choices (
    printer_id INTEGER NOT NULL REFERENCES spool_printers(id) ON DELETE CASCADE,
    capability INTEGER NOT NULL,  -- DC_BINS or DC_MEDIATYPES
    position INTEGER NOT NULL,    -- the order the driver lists them in
    number INTEGER NOT NULL,
    name TEXT NOT NULL,
    PRIMARY KEY (printer_id, capability, position));
)sql");

void SetChoices(const std::u16string& printerName, int capability, const std::vector<PrinterChoiceDesc>& choices,
                size_t nameChars, DWORD highest) {
    for (const PrinterChoiceDesc& choice : choices) {
        if (choice.name.empty() || choice.name.size() > nameChars || choice.name.find(u'\0') != std::u16string::npos ||
            choice.id > highest)
            throw MachineError(ERROR_INVALID_PARAMETER, "'" + text::ToUtf8(choice.name) + "' (" +
                                                            std::to_string(choice.id) + ") is not a choice a driver lists");
    }
    db::Transaction([&] {
        const auto printer = spool::FindPrinter(printerName);
        if (!printer)
            throw MachineError(ERROR_INVALID_PRINTER_NAME, "unknown printer '" + text::ToUtf8(printerName) + "'");
        db::Statement("DELETE FROM spool_printer_choices WHERE printer_id = ?1 AND capability = ?2")
            .Bind(1, printer->id)
            .Bind(2, int64_t{capability})
            .Run();
        int64_t position = 0;
        for (const PrinterChoiceDesc& choice : choices) {
            db::Statement add(R"sql(
                INSERT INTO spool_printer_choices (printer_id, capability, position, number, name)
                VALUES (?1, ?2, ?3, ?4, ?5))sql");
            add.Bind(1, printer->id).Bind(2, int64_t{capability}).Bind(3, position++).Bind(4, int64_t{choice.id});
            add.Bind(5, choice.name).Run();
        }
    });
}

}  // namespace

void SetPrinterBins(const std::u16string& printerName, const std::vector<PrinterChoiceDesc>& bins) {
    SetChoices(printerName, kBinsCapability, bins, paper::kBinNameChars, 0xFFFF);
}

void SetPrinterMediaTypes(const std::u16string& printerName, const std::vector<PrinterChoiceDesc>& types) {
    SetChoices(printerName, kMediaTypesCapability, types, paper::kPaperNameChars, 0xFFFFFFFF);
}

namespace paper {

std::vector<PrinterChoiceDesc> PrinterChoices(int64_t printerId, int capability) {
    std::vector<PrinterChoiceDesc> choices;
    db::Statement list(
        "SELECT number, name FROM spool_printer_choices WHERE printer_id = ?1 AND capability = ?2 ORDER BY position");
    list.Bind(1, printerId).Bind(2, int64_t{capability});
    while (list.Step()) choices.push_back(PrinterChoiceDesc{static_cast<DWORD>(list.Int(0)), list.Text16(1)});
    return choices;
}

}  // namespace paper
}  // namespace palvex
