// Helpers of the description compiler's tests: a machine with a printer and its driver folder,
// description texts written as files of the machine, and the entries and blocks a compile makes.
#pragma once

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <palvex/machine.h>

#include "xpcimpl.h"
#include "le_fields.h"
#include "store_fixture.h"

namespace xpctest {

inline constexpr char16_t kPrinter[] = u"Palvex XPD Test";
inline constexpr char16_t kDriver[] = u"Palvex QX500";
// The driver directory's version folder, where bare include names are found.
inline constexpr char16_t kDriverFolder[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3";

// Description text with CR LF line ends: each '\n' of a test's text becomes "\r\n".
std::string Crlf(std::string_view text);

// Writes bytes as a file of the machine (folders are made as needed).
void WriteMachineFile(std::u16string_view path, std::string_view bytes);
// The path of a file in the driver directory's version folder.
std::u16string DriverFile(std::u16string_view name);

using EntryTuple = std::tuple<std::u16string, std::u16string, int>;
// Every entry of the list from the first one after skip entries.
std::vector<EntryTuple> Entries(const xpc::Context& context, size_t skip = 0);

// A context holding the entries of text (no prelude), and the result of reading it.
struct Parsed {
    std::unique_ptr<xpc::Context> m_context = std::make_unique<xpc::Context>();
    DWORD m_result = 0;
};
Parsed Parse(std::string_view text, bool lenient = false);

// Defines and fills one structure of a context the way a compile does (driver kDriver).
struct Filled {
    xpc::StructDef m_def;
    DWORD m_defined = 0;
    DWORD m_filled = 0;
    bool m_missingLevel = false;
};
std::unique_ptr<Filled> Fill(xpc::Context& context, const std::u16string& name, const std::u16string& model = kDriver);
// The stored bytes of the block of a filled structure.
std::vector<BYTE> Assemble(const xpc::StructDef& def);

// Installs kDriver with the given data file and dependent files and adds kPrinter.
void InstallPrinter(const std::u16string& dataFile, const std::vector<std::u16string>& dependentFiles = {});

using xprtest::Peek;
std::u16string PeekText(const std::vector<BYTE>& bytes, size_t at);
// A text inside a block, which may stand at any address (blocks have no alignment).
std::u16string UnalignedText(const void* text);

}  // namespace xpctest
