// The XPD description compiler: turns the driver's XPD description (an .XPD file among the
// driver's dependent files, or the section embedded in its GPD data file) into settings blocks,
// one REG_BINARY printer-data value per declared structure, and keeps "Timestamp" (the source's
// creation and last-write times) so that it compiles only when the source changed.
//
// A recompile (the source is newer than "Timestamp") leaves the stored OEMDEVMODE block and every
// block whose name contains "SETTINGS" as they were, so users' settings survive it; such a
// structure that the printer holds no block of yet (one a newer description brings) is saved.
// A compile in which any structure failed writes no "Timestamp", so the next trigger compiles
// again.
//
// Every operation reports its outcome through ReportStatus and returns the severity it gives
// (0 success, 1 warning, 2 error, 3 fatal).
#pragma once

#include <win/windows.h>

// Description reader and compiler status codes.
#define XPC_PROCESSING 61301u            // information: a compile starts
#define XPC_READING 61302u               // information: a source file is read
#define XPC_COMPILING 61303u             // information: the structures are compiled
#define XPC_STRUCTURE 61304u             // information: one structure is compiled
#define XPC_DUMP_TOKEN 61311u
#define XPC_EMPTY_FILE 61401u            // warning: a source file without content
#define XPC_INCLUDED_TWICE 61402u        // warning: an include already read is skipped
#define XPC_NO_STRING 61501u             // warning: the aliased resource library lacks a string
#define XPC_NO_STRING_ANYWHERE 61502u    // warning: no resource library has a string
#define XPC_NO_MACRO 61503u              // warning: a macro reference names no macro
#define XPC_NO_ROWS 61601u               // warning: a structure (level) without rows is not saved
#define XPC_ARRAYSIZE_IGNORED 61602u     // warning: "*ARRAYSIZE" on a nested-structure or DYNAMIC field
#define XPC_NO_VALUE 61603u              // warning: a field that must be given is missing in a row
#define XPC_VALUES_DO_NOT_FIT 61604u     // warning: more values than the field holds; text cut
#define XPC_NO_REFERENCE 61605u          // warning: a DYNAMIC field without an applicable reference
#define XPC_EMPTY_VALUE 61606u           // warning: a field that must be given has an empty value
#define XPC_REFERENCE_TWICE 61607u       // warning: a second reference to the same target is skipped
#define XPC_UNKNOWN_OS_EXCLUDE 61608u    // warning: the Windows version has no exclusions
#define XPC_UNKNOWN_OS_INJECT 61609u     // warning: the Windows version has no injections
#define XPC_FILE_MISSING 61801u          // a source file does not exist
#define XPC_CANNOT_OPEN 61802u           // a source file cannot be opened
#define XPC_NO_SOURCE 61803u             // nothing to read at all
#define XPC_CANNOT_READ 61804u           // a source file cannot be read
#define XPC_BAD_RESOURCE_FILE 61805u     // a resource library cannot be opened
#define XPC_STOPPED 61806u               // stop due to a previous error
#define XPC_SYNTAX_MISSING_COLON 61901u  // a line without ':' (or a quote broken by a line end)
#define XPC_SYNTAX_END_OF_FILE 61902u    // the text ends inside a quote or a comment
#define XPC_SYNTAX_NO_VALUE 61903u       // a line ends in '*', '+', '-' or '/'
#define XPC_SYNTAX_NO_TOKEN_VALUE 61904u // a line ends right after ':'
#define XPC_SYNTAX_BAD_END 61905u        // a '}' without its '{'
#define XPC_SYNTAX_NO_VALUE_BRACE 61906u // a brace right after ':'
#define XPC_SYNTAX_NO_END 61907u         // the text ends inside a block
#define XPC_NOTHING_TO_COMPILE 62001u    // no structure declared
#define XPC_STRUCT_NAME_TOO_LONG 62002u
#define XPC_FIELD_NAME_TOO_LONG 62003u
#define XPC_NO_FIELD_TYPE 62004u
#define XPC_BAD_ARRAYSIZE 62005u
#define XPC_BAD_FIELD_TYPE 62006u
#define XPC_FIELD_NOT_MADE 62007u
#define XPC_NO_DEFINITION 62008u
#define XPC_BAD_REFERENCE 62101u         // 62101 to 62112: reference descriptors
#define XPC_REFERENCE_TOO_DEEP 62102u
#define XPC_REFERENCE_NO_FIELD 62103u
#define XPC_REFERENCE_NO_STRUCT 62104u
#define XPC_REFERENCE_ENDS_AT_STRUCT 62105u
#define XPC_REFERENCE_FIELD_IN_PATH 62106u
#define XPC_REFERENCE_UNKNOWN_FIELD 62107u
#define XPC_REFERENCE_UNKNOWN_STRUCT 62108u
#define XPC_REFERENCE_NOT_DYNAMIC 62109u
#define XPC_REFERENCE_FROM_STRING 62110u
#define XPC_REFERENCE_FROM_DYNAMIC 62111u
#define XPC_REFERENCE_SAME_STRUCT 62112u
#define XPC_INVALID_PARAMETER 62201u     // fatal: bad argument or content
#define XPC_OUT_OF_MEMORY 62202u         // fatal
#define XPC_NO_SEARCH_SLOTS 62203u       // fatal: more than 32 nested searches

// What CompileIfChanged compiles: the printer, its driver and the source.
struct XpcCompileRequest {
    WCHAR m_printerName[MAX_PATH];
    WCHAR m_driverName[MAX_PATH];
    WCHAR m_sourcePath[MAX_PATH];
    BOOL m_embedded;  // the source is the GPD data file with the description between its tag lines
};

// Finds the printer's description (the first dependent file of its driver whose name holds
// ".XPD", else the driver's data file) and runs CompileIfChanged on it. Whether anything changed
// is read through the handle given, of any access: a description that has not changed answers 0
// without the printer being opened for writing.
DWORD CompileByHandle(HANDLE printer);

// Compiles the description when the printer's "Timestamp" is missing (everything is saved) or
// older than the source (OEMDEVMODE and the *SETTINGS* blocks are kept), then writes "Timestamp".
// A source that cannot be opened is not compiled (0). The printer must allow writing its data.
DWORD CompileIfChanged(const XpcCompileRequest* request);
