// The settings store runtime: relocatable settings blocks and the store that owns one of them.
//
// A settings block is one contiguous byte range holding a root table (at offset 0), nested
// tables, column descriptors, rows, value records and a pool of wide strings. In memory every
// link inside it is a pointer; in its stored form (a REG_BINARY printer-data value named after
// the root table) every link is the byte offset of its target from the block's start. A link of
// 0 stays 0 in both forms, except the links of XPDSTRUCT values, which are always relocated.
//
// Every operation returns the severity that ReportStatus gives for the code it reports:
// 0 success, 1 warning (a soft end such as "no further row"), 2 error, 3 fatal. Callers treat
// 2 or more as failure.
//
// The runtime is built in three variants selected by one compile definition:
//   XPR_VARIANT_UI        the whole runtime (UI plug-in and the description compiler);
//   XPR_VARIANT_RENDER    keyless FetchRow, four-byte SetValue, SaveByHandle without the
//                         keep-packed flag; no by-name load, save or compaction, no
//                         GetValueCount, GetIndirectValue or FreeBlock;
//   XPR_VARIANT_PRINTPROC keyless FetchRow, four-byte SetValue; stores are created by printer
//                         name and live in memory only (nothing is ever saved).
//
// What a loaded block must satisfy (checked before it is unpacked, refused with 63003
// otherwise): every table header, column array, row array, value record, record text, record
// data and string lies inside the block and none of them overlaps another; every string and
// text ends with a NUL inside the block; table and column names end with a NUL inside their 48
// characters; a column's value lies inside the row stride; STRING and DYNAMIC elements are 8
// bytes and XPDSTRUCT elements 12, DYNAMIC and XPDSTRUCT columns hold one element; every row of
// an XPDSTRUCT column links to the same nested table, whose slices lie within its rows; the
// tables form a tree at most XPR_MAX_DEPTH deep.
//
// Stores and blocks come from the process heap. The caller owns a store: it frees the block
// (FreeBlock, or HeapFree of m_block where the variant has no FreeBlock) and then the store
// itself with HeapFree(GetProcessHeap(), 0, store).
#pragma once

#include <cstddef>

#include <win/windows.h>

#if (defined(XPR_VARIANT_UI) + defined(XPR_VARIANT_RENDER) + defined(XPR_VARIANT_PRINTPROC)) != 1
#error "define exactly one of XPR_VARIANT_UI, XPR_VARIANT_RENDER, XPR_VARIANT_PRINTPROC"
#endif

// The four ASCII bytes "QKD3" read as one little-endian u32.
#define XPR_SIGNATURE 0x33444B51u
#define XPR_VERSION 592u
// Characters of a table or column name, the terminating NUL included.
#define XPR_NAME_CHARS 48
// Cursor value meaning "no current row" or "no current column".
#define XPR_NONE 0xFFFFu
// Deepest nesting of tables a block may have (the root is depth 1).
#define XPR_MAX_DEPTH 64

enum class XprColumnKind : DWORD {
    BYTE = 1,        // unsigned 8-bit
    CHAR = 2,        // UTF-16 code unit; arrays of it hold inline NUL-terminated text
    WORD = 3,        // unsigned 16-bit
    SHORT = 4,       // signed 16-bit
    DWORD = 5,       // unsigned 32-bit
    DWORD64 = 6,     // unsigned 64-bit
    LONG = 7,        // signed 32-bit
    LONG64 = 8,      // signed 64-bit
    COLORREF = 9,    // 0x00BBGGRR
    STRING = 100,    // link to a NUL-terminated UTF-16 string in the pool, or 0
    XPDSTRUCT = 200, // nested-table value (XprStructValue)
    DYNAMIC = 201,   // link to an XprValueRecord, or 0
};

struct XprStore;
struct XprColumn;

// The structures below are byte layouts that may stand at any offset of a block, so they are
// packed: their fields are read and written without any alignment assumption.

// Table header; the root table stands at offset 0, nested tables elsewhere in the block.
// A table's cursor is its header: first, end and current row, and current column.
struct __attribute__((packed)) XprTable {
    DWORD m_signature;        // XPR_SIGNATURE
    DWORD m_version;          // XPR_VERSION when written; loads refuse anything lower
    XprStore* m_owner;        // run time only: the store that bound this table (FetchRow)
    XprTable* m_parent;       // run time only: the table whose XPDSTRUCT column leads here
    WCHAR m_name[XPR_NAME_CHARS];
    BYTE* m_rows;             // first row
    DWORD m_stride;           // bytes per row
    WORD m_rowCount;
    WORD m_reserved1;
    XprColumn* m_columns;     // first column descriptor
    WORD m_columnCount;
    WORD m_firstRow;          // cursor: first row of the current slice
    WORD m_endRow;            // cursor: one past the last row of the slice
    WORD m_currentRow;        // cursor: XPR_NONE before the first row of a root table
    WORD m_currentColumn;     // cursor: XPR_NONE when no column is selected
    BYTE m_reserved2[6];
};

// Column descriptor; a table's descriptors follow one another in declaration order. Column 0 is
// the implicit key column "TAG" (STRING, one element).
struct __attribute__((packed)) XprColumn {
    WCHAR m_name[XPR_NAME_CHARS];
    DWORD m_offset;           // byte offset of the value inside a row
    XprColumnKind m_kind;
    WORD m_elementSize;       // bytes per element
    WORD m_count;             // elements (1 for a scalar)
};

// The value of a DYNAMIC field. Either link may be 0.
struct __attribute__((packed)) XprValueRecord {
    WCHAR* m_text;            // NUL-terminated UTF-16
    BYTE* m_data;
    XprColumnKind m_kind;     // kind of the data
    WORD m_elementSize;
    WORD m_count;
};

// The value of an XPDSTRUCT field: every row of the column links to the same nested table, which
// holds the rows of all parent rows one after another; this row's rows are [first, end).
struct __attribute__((packed)) XprStructValue {
    XprTable* m_table;
    WORD m_firstRow;
    WORD m_endRow;
};

// The run-time owner of one block (never stored).
struct XprStore {
    BYTE* m_block;
    DWORD m_blockSize;
    XprTable* m_root;         // = m_block
    DWORD m_dirty;            // a STRING value was written: rebuild the pool before saving
    DWORD m_poolSize;         // bytes of the string pool at the block's tail
    DWORD m_fixedSize;        // m_blockSize - m_poolSize
    void* m_columnIndex;      // the block's columns by name, or null (then looked up one by one)
    DWORD m_indexRoom;        // the block's allocation has room for that index after its bytes
};

static_assert(sizeof(XprTable) == 160);
static_assert(offsetof(XprTable, m_signature) == 0 && offsetof(XprTable, m_version) == 4);
static_assert(offsetof(XprTable, m_owner) == 8 && offsetof(XprTable, m_parent) == 16);
static_assert(offsetof(XprTable, m_name) == 24 && offsetof(XprTable, m_rows) == 120);
static_assert(offsetof(XprTable, m_stride) == 128 && offsetof(XprTable, m_rowCount) == 132);
static_assert(offsetof(XprTable, m_columns) == 136 && offsetof(XprTable, m_columnCount) == 144);
static_assert(offsetof(XprTable, m_firstRow) == 146 && offsetof(XprTable, m_endRow) == 148);
static_assert(offsetof(XprTable, m_currentRow) == 150 && offsetof(XprTable, m_currentColumn) == 152);
static_assert(sizeof(XprColumn) == 108);
static_assert(offsetof(XprColumn, m_offset) == 96 && offsetof(XprColumn, m_kind) == 100);
static_assert(offsetof(XprColumn, m_elementSize) == 104 && offsetof(XprColumn, m_count) == 106);
static_assert(sizeof(XprValueRecord) == 24);
static_assert(offsetof(XprValueRecord, m_data) == 8 && offsetof(XprValueRecord, m_kind) == 16);
static_assert(offsetof(XprValueRecord, m_elementSize) == 20 && offsetof(XprValueRecord, m_count) == 22);
static_assert(sizeof(XprStructValue) == 12 && offsetof(XprStructValue, m_firstRow) == 8);

// --- Store: create, load, save, compact --------------------------------------------------------

#if defined(XPR_VARIANT_PRINTPROC)
// Allocates a zeroed store and loads the block named name of the printer printerName into it.
// On failure *store is null and nothing is left allocated.
DWORD CreateByName(XprStore** store, LPCWSTR printerName, LPCWSTR name);
#else
// Allocates a zeroed store and loads the block named name through printer. On failure *store is
// null and nothing is left allocated.
DWORD CreateByHandle(XprStore** store, HANDLE printer, LPCWSTR name);
#endif

// Reads the printer-data value name into a new block, checks it, turns it into run-time form and
// measures it (UpdateSizes). A refused block is freed again: the store then holds no block.
DWORD LoadByHandle(XprStore* store, HANDLE printer, LPCWSTR name);
#if !defined(XPR_VARIANT_RENDER)
DWORD LoadByName(XprStore* store, LPCWSTR printerName, LPCWSTR name);
#endif

#if defined(XPR_VARIANT_UI)
// Packs the block and writes it as the value named after the root table. With keepPacked the
// block stays in stored form afterwards (only to be freed); otherwise, and whenever the write
// fails, it is back in run-time form with every value as it was.
DWORD SaveByHandle(XprStore* store, HANDLE printer, BOOL keepPacked);
DWORD SaveByName(XprStore* store, LPCWSTR printerName, BOOL keepPacked);
#elif defined(XPR_VARIANT_RENDER)
DWORD SaveByHandle(XprStore* store, HANDLE printer);
#endif

#if !defined(XPR_VARIANT_PRINTPROC)
// Rebuilds the string pool (taking in strings written by SetValue) and saves.
DWORD CompactByHandle(XprStore* store, HANDLE printer);
#endif
#if defined(XPR_VARIANT_UI)
DWORD CompactByName(XprStore* store, LPCWSTR printerName);
#endif

// m_poolSize = MeasureStrings of the root, m_fixedSize = m_blockSize - m_poolSize.
DWORD UpdateSizes(XprStore* store);
// Adds (length + 1) * 2 for every non-zero STRING element of table and its nested tables.
DWORD MeasureStrings(XprStore* store, XprTable* table, DWORD* total);
#if !defined(XPR_VARIANT_PRINTPROC)
// Copies every string of table and its nested tables to pool + *offset in walk order and sets
// each element to its place in the rebuilt block (m_fixedSize + offset).
DWORD CopyStrings(XprStore* store, XprTable* table, BYTE* pool, DWORD* offset);
#endif

// Frees the old block and allocates a zeroed one of size bytes (root = block).
DWORD AllocBlock(XprStore* store, DWORD size);
#if !defined(XPR_VARIANT_RENDER)
DWORD FreeBlock(XprStore* store);
#endif

// Links to offsets from the store's block (PackTable) and back (UnpackTable), table and its
// nested tables. leaveStrings keeps STRING elements as they are.
DWORD PackTable(XprStore* store, XprTable* table, BOOL leaveStrings);
DWORD UnpackTable(XprStore* store, XprTable* table);

// --- Cursors and values -----------------------------------------------------------------------

// Depth-first search of table's tree for a table named name (ignoring case).
DWORD FindTable(XprStore* store, XprTable* table, XprTable** found, LPCWSTR name);
// Binds the cursor to the whole table (root) or to the slice of the parent's current row.
DWORD ResetRows(XprTable* table);
// Next row, or with a key the next row whose "TAG" equals it exactly.
DWORD NextRow(XprTable* table, LPCWSTR key);
// Finds and resets the table on the first call (null *cursor), then moves to the next row; at
// the end, or when a key is not found, *cursor is set null again.
#if defined(XPR_VARIANT_UI)
DWORD FetchRow(XprStore* store, LPCWSTR name, XprTable** cursor, LPCWSTR key);
#else
DWORD FetchRow(XprStore* store, LPCWSTR name, XprTable** cursor);
#endif
// Selects the named column (exact case), or with no name the next one.
DWORD SelectColumn(XprTable* table, LPCWSTR column);

// Value operations act on the current row and the named (or else current) column.
DWORD GetValue(XprTable* table, void* buffer, DWORD bufferSize, LPCWSTR column);
// UI: copies sourceSize bytes (at most the field's size) and zero-fills the rest of the field.
// Render and print processor: the field must be at least 4 bytes; stores the first four bytes of
// the source (fewer when sourceSize is smaller) and zero-fills the rest of the field.
DWORD SetValue(XprTable* table, const void* source, DWORD sourceSize, LPCWSTR column);
DWORD GetValuePtr(XprTable* table, LPCWSTR column, void** value);

XprColumn* GetColumnDesc(XprTable* table);
XprColumnKind GetValueKind(XprTable* table, LPCWSTR column);
WORD GetValueSize(XprTable* table, LPCWSTR column);
#if !defined(XPR_VARIANT_RENDER)
WORD GetValueCount(XprTable* table, LPCWSTR column);
#endif
// Row stride less the key column "TAG" (selected as a side effect).
DWORD GetRecordSize(XprTable* table);
#if !defined(XPR_VARIANT_RENDER)
// The text of the current row's value record in column "VALUE" (selected as a side effect).
LPCWSTR GetIndirectValue(XprTable* table);
#endif
