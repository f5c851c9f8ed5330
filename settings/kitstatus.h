// Kit status codes: every settings-runtime, description-reader and compiler operation reports one
// through ReportStatus and returns the severity it gives.
//
// Severity follows from the code's range alone (three families of 1,200 codes: 61400-62599 the
// description reader and compiler, 62600-63799 the settings runtime, 63800-64999 a family with
// severities and no messages; in each the first 400 are warnings, the next 400 errors, the last
// 400 fatal). Every other code is success or information.
#pragma once

#include <win/wintypes.h>

#define KIT_SEVERITY_SUCCESS 0u
#define KIT_SEVERITY_WARNING 1u
#define KIT_SEVERITY_ERROR 2u
#define KIT_SEVERITY_FATAL 3u

// Settings runtime codes.
#define XPR_STRUCTURE_TOO_LARGE 62601u  // warning: structure size exceeds 64768 bytes
#define XPR_NO_FURTHER_ROW 62701u       // warning: keyless NextRow past the last row (no message)
#define XPR_NOT_DYNAMIC 62702u          // warning: GetIndirectValue on a column that is not DYNAMIC
#define XPR_NO_REFERENCE 62703u         // warning: GetIndirectValue without record or text
#define XPR_OPEN_FAILED 63001u          // OpenPrinterW failed
#define XPR_WRITE_FAILED 63002u         // SetPrinterDataW failed
#define XPR_READ_FAILED 63003u          // GetPrinterDataW failed, or the block is malformed
#define XPR_BAD_SIGNATURE 63004u        // signature is not "QKD3"
#define XPR_BAD_VERSION 63005u          // version below 592
#define XPR_NO_TABLE 63101u             // no table of that name in the block
#define XPR_NO_COLUMN 63102u            // no column of that name
#define XPR_NO_ROW 63201u               // no row with that key
#define XPR_BUFFER_TOO_SMALL 63301u     // destination buffer smaller than the field
#define XPR_SOURCE_TOO_LARGE 63302u     // source larger than the field
#define XPR_INVALID_PARAMETER 63401u    // bad argument or content
#define XPR_OUT_OF_MEMORY 63402u        // out of memory
#define XPR_NO_SLOTS 63403u             // out of memory, no structure slots available

// The severity (KIT_SEVERITY_*) of code. The arguments of the code's message follow the code in
// the order of its placeholders (for the "%s(%d)" internal errors: KIT_HERE); they are neither
// formatted nor shown. No side effects.
extern "C" DWORD ReportStatus(DWORD code, ...);

// Source-file name (without directory) and line, the arguments of the internal-error messages.
#define KIT_HERE (u"" __FILE_NAME__), __LINE__
