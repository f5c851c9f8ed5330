// Internals of the XPD description compiler shared by its files (and its tests). Not part of the
// compiler's surface (xpc.h).
//
// The reader turns description text into one list of entries (keyword, value, brace depth) in
// reading order: the built-in prelude, the main source, then each included file. Macros, resource
// libraries and the edits for the running Windows version work on that list; the structure
// compiler then defines each declared structure from it, fills its rows and assembles its block.
//
// Memory: the compiler's own data lives in standard containers. An allocation failure throws
// std::bad_alloc, which the compile entry (CompileIfChanged) reports as 62202.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kitstatus.h"
#include "xpc.h"
#include "xpr.h"

namespace xpc {

// Longest path, name or alias the compiler keeps (characters, without the terminator).
inline constexpr size_t kMaxPath = MAX_PATH - 1;
inline constexpr size_t kMaxAlias = 63;
inline constexpr size_t kMaxKeyword = 63;
inline constexpr size_t kMaxSearches = 32;
inline constexpr size_t kMaxReferenceParts = 32;

// The severity of a code, reported with its message arguments.
template <class... Args>
DWORD Report(DWORD code, Args... args) {
    return ReportStatus(code, args...);
}
inline DWORD Worst(DWORD a, DWORD b) {
    return a > b ? a : b;
}

// --- Entries ------------------------------------------------------------------------------------

struct Entry {
    Entry* m_next = nullptr;
    std::u16string m_keyword;
    std::u16string m_value;
    BYTE m_depth = 0;
    bool m_visited = false;  // already returned by a shared scan (FindEntry mode 2)
};

// The entries of one compile in reading order. Entries never move: links to them stay valid
// while entries are appended or inserted.
class EntryList {
public:
    EntryList() = default;
    ~EntryList();
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;

    Entry* Append(std::u16string keyword, std::u16string value, BYTE depth);
    // Inserts directly after at (at the head when at is null).
    Entry* InsertAfter(Entry* at, std::u16string keyword, std::u16string value, BYTE depth);

    // Removes every entry after last (every entry when last is null).
    void RemoveAfter(Entry* last);

    Entry* head() const { return m_head; }
    Entry* tail() const { return m_tail; }
    size_t size() const { return m_count; }

private:
    Entry* m_head = nullptr;
    Entry* m_tail = nullptr;
    size_t m_count = 0;
};

// Stateless lookups. An entry matches when its keyword equals keyword (empty: any), its value
// equals *value (null: any) and its depth equals depth (-1: any); all exact. The walk starts after
// `after` (null: at the first entry of the scope), stays inside owner's block (the entries behind
// it that are deeper; null: the whole list) and stops at the first entry shallower than depth.
Entry* FindIn(const EntryList& list, const Entry* owner, std::u16string_view keyword, int depth,
              const std::u16string* value = nullptr, const Entry* after = nullptr);

// --- Compile context --------------------------------------------------------------------------------

// One nested search of FindEntry.
struct SearchState {
    std::u16string m_keyword;
    int m_depth = -1;
    std::optional<std::u16string> m_value;
    BYTE m_mode = 1;
    const Entry* m_owner = nullptr;    // the entry whose block is searched (null: the whole list)
    const Entry* m_current = nullptr;  // last entry returned
    DWORD m_visits = 0;
};

// A library whose string resources values may name (by alias and id).
struct ResourceDll {
    HMODULE m_module = nullptr;
    std::u16string m_path;
    std::u16string m_alias;
    std::vector<std::pair<WORD, WORD>> m_languages;  // language and code page; lookups use the language
};

class ResourceDllList {
public:
    ResourceDllList() = default;
    ~ResourceDllList();
    ResourceDllList(const ResourceDllList&) = delete;
    ResourceDllList& operator=(const ResourceDllList&) = delete;
    void Clear();  // frees every library

    std::vector<ResourceDll> m_dlls;
    std::u16string m_buffer;  // the last string found
};

struct Context {
    EntryList m_entries;
    std::vector<SearchState> m_searches;
    std::vector<std::pair<std::u16string, std::u16string>> m_macros;
    std::unordered_map<std::u16string, size_t> m_macroIndex;  // first macro of each name
    std::vector<std::u16string> m_files;                      // every source read (lower-cased paths)
    ResourceDllList m_resources;
};

// --- Reader (xpcto, xpcin) ------------------------------------------------------------------------

// The entry lookup with a search stack; every walk stops at the first entry shallower than depth.
// mode 0: one lookup, after the innermost search's current entry when a depth is given, else from
// the head; the stack stays as it is. mode 1: iteration; a call continues the innermost search
// when it has the same keyword and mode, else starts a new one (after the innermost search's
// current entry when depth is not shallower than that entry, else from the head); at the end the
// search is removed and null returned. mode 2: shared scan; continues any search of the same
// keyword and mode, so nested callers share one scan, and returns each entry only once per
// compile. More than 32 nested searches: 62203 and null.
Entry* FindEntry(Context& context, std::u16string_view keyword, int depth, const std::u16string* value, int mode);

// Normalises ANSI description text and appends its entries to the list. lenient selects GPD
// syntax. fileName and firstLine serve the messages. Returns the severity.
DWORD ParseText(Context& context, std::string_view text, bool lenient, LPCWSTR fileName, DWORD firstLine);

// The part of a GPD data file's text between its XPD tag lines, or the whole text.
std::string_view EmbeddedSection(std::string_view text, DWORD* firstLine);

// The path an include name stands for: quotes removed, a bare name in the driver directory's
// "\3\" folder, the [SYSDIR], [WINDIR] and [PRINTPROCDIR] prefixes replaced, ".XPD" added to a
// name without '.', lower-cased. Empty when the name is empty.
std::u16string IncludePath(std::u16string_view name);
DWORD ResolveInclude(std::vector<std::u16string>& files, std::u16string_view name, bool skipDuplicateTest);
// Reads one source and then every include not yet read. Without a file list the context's list
// is started afresh (the main source).
DWORD ReadXpdFile(Context& context, std::u16string_view path, bool embedded, std::vector<std::u16string>* files);
// Prelude, source and includes, macros and resource libraries, then the edits for the system.
DWORD ReadSource(Context& context, std::u16string_view path, bool embedded);

// ASCII case mappings (keywords, unquoted values, paths).
std::u16string Upper(std::u16string_view text);
std::u16string Lower(std::u16string_view text);

// --- Prelude (xpcrt) ------------------------------------------------------------------------------

struct PreludeRecord {
    std::u16string m_keyword;
    std::u16string m_value;
    BYTE m_depth;
};
const std::vector<PreludeRecord>& Prelude();
inline constexpr size_t kPreludeRecords = 510;
inline constexpr size_t kPreludeConstants = 223;
void AppendPrelude(EntryList& list);

// Decimal conversions as the C library's wcstol and wcstoul make them with 32-bit longs: leading
// white space, an optional sign, the digits up to the first other character; 0 without digits;
// values out of range saturate ("-1" is 4294967295 unsigned).
LONG ParseSigned(std::u16string_view text);
DWORD ParseUnsigned(std::u16string_view text);

// --- Macros and resource strings (xpcma, xpcrc) ------------------------------------------------------

DWORD CollectMacros(Context& context);
// The same for the *MACROS blocks after `after` only (null: all), for a context whose earlier
// entries' macros are already collected.
DWORD CollectMacrosAfter(Context& context, const Entry* after);
// The text a value stands for: macros ("=NAME"), "alias.id" resource strings, and for "*RC..."
// keywords bare resource ids. *text receives the expansion (the value itself when nothing applies).
DWORD TranslateValue(Context& context, std::u16string_view keyword, std::u16string_view value, std::u16string* text);
void SetEntryValue(Entry& entry, std::u16string_view value);

DWORD LoadResourceDlls(Context& context);
// 0 with the string in m_buffer; else 61501 (alias given) or 61502 (none given).
DWORD LoadResourceString(ResourceDllList& list, const std::u16string* alias, UINT id);

// --- Edits by Windows version (xpcrx) -------------------------------------------------------------

// "WIN2K", "WINXP", "WIN2003", "WINVISTA", "WIN7", or empty for any other system.
std::u16string SystemSelector();
DWORD ApplyExclusions(Context& context);
DWORD ApplyInjections(Context& context);

// --- Structures (xpcst) ---------------------------------------------------------------------------

struct StructDef;
struct XpdReference;
using ReferenceList = std::shared_ptr<std::vector<XpdReference>>;

struct ColumnDef {
    std::u16string m_name;
    XprColumnKind m_kind = XprColumnKind::BYTE;
    WORD m_elementSize = 1;
    WORD m_count = 1;
    bool m_warnWhenEmpty = true;
    DWORD m_offset = 0;                  // in the row
    size_t m_slot = 0;                   // STRING: first string slot; DYNAMIC: value slot
    std::unique_ptr<StructDef> m_nested;  // XPDSTRUCT: the nested structure
};

// The value of one DYNAMIC cell, typed by the reference that applies.
struct PendingValue {
    std::u16string m_text;  // the reference's source path
    std::vector<BYTE> m_data;
    XprColumnKind m_kind = XprColumnKind::BYTE;
    WORD m_elementSize = 0;
    WORD m_count = 0;
    bool m_sharedText = false;  // an earlier row of the column has the same text, stored once
};

// What a row owns beside its bytes: its strings (one slot per STRING element, "TAG" first) and
// its DYNAMIC values (one slot per DYNAMIC column).
struct RowCells {
    std::vector<std::optional<std::u16string>> m_strings;
    std::vector<std::unique_ptr<PendingValue>> m_values;
};

struct StructDef {
    std::u16string m_name;
    bool m_forceWrite = false;
    std::vector<ColumnDef> m_columns;  // "TAG" first
    DWORD m_stride = 0;
    size_t m_stringSlots = 0;
    size_t m_valueSlots = 0;
    std::vector<BYTE> m_rows;  // m_rowCount * m_stride bytes
    std::vector<RowCells> m_cells;
    WORD m_rowCount = 0;
    WORD m_nextRow = 0;
    ReferenceList m_references;

    const ColumnDef* FindColumn(std::u16string_view name) const;
};

struct XpdReference {
    std::u16string m_source;  // path as written, parts joined by '.'
    std::u16string m_target;
    std::vector<std::u16string> m_sourceParts;
    std::vector<std::u16string> m_targetParts;
    XprColumnKind m_kind = XprColumnKind::BYTE;
    WORD m_elementSize = 0;
    WORD m_count = 0;
};

// The type word of a column kind ("BYTE", "DWORD", ...), as the descriptions write it.
const char16_t* TypeWord(XprColumnKind kind);

// Defines the structure name at depth from every "*XPDSTRUCT" of that name (inside owner's block
// for a nested structure).
DWORD DefineStruct(Context& context, StructDef& def, std::u16string_view name, int depth, const Entry* owner = nullptr);
// Allocates and fills the rows from the sections of keyword section. *missingLevel is set when a
// level had no rows (and no force-write): the structure is not to be saved.
DWORD FillRows(Context& context, StructDef& def, std::u16string_view section, int depth, const std::u16string* model,
               const ReferenceList& inherited, bool forceWrite, const Entry* owner, bool* missingLevel);
DWORD AddReference(Context& context, ReferenceList& list, std::u16string_view value);
// Converts the entry's value into a cell of the column (bytes at cell, strings into strings).
DWORD ConvertValue(Context& context, const ColumnDef& column, const Entry& entry, BYTE* cell,
                   std::optional<std::u16string>* strings);
// The block of a filled structure, exactly as it is stored (links as offsets).
DWORD AssembleBlock(const StructDef& def, XprStore* store);
DWORD SaveStruct(const StructDef& def, LPCWSTR printerName);
void FreeStructDef(StructDef& def);

// Compiles and saves every depth-0 structure. mode 1 saves all, mode 2 keeps OEMDEVMODE and the
// *SETTINGS* structures' stored blocks (and saves those the printer holds none of).
DWORD EmitStructs(Context& context, std::u16string_view driverName, const XpcCompileRequest& request, int mode);

// The decimal digits of a number ("0" for 0), as the description's texts write numbers.
inline std::u16string DecimalText(unsigned long long value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value);
    return digits;
}

}  // namespace xpc
