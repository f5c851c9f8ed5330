// The driver's data file (its GPD or PPD) as the settings writers read and rewrite it: the whole
// file as bytes in the ANSI code page, CR LF line ends, tagged sections rewritten in place and
// every byte outside them kept.
//
// Opening the file for reading is tried up to DATAFILE_ATTEMPTS times with DATAFILE_RETRY_MS
// sleeps between the attempts (another process may be writing it). A rewrite goes to a temporary
// file in the data file's folder, which then takes the data file's place in one step, tried the
// same number of times: a reader never sees a half-written file, and a failed rewrite leaves the
// data file as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <win/windows.h>

#define DATAFILE_ATTEMPTS 10
#define DATAFILE_RETRY_MS 250

struct DataFileImage {
    std::u16string m_path;  // the pDataFile of the printer's driver
    std::string m_content;  // the file's bytes; std::string keeps a 0 byte after them
};

// Reads the file at image->m_path into image->m_content. E_FAIL when there is no path, the file
// cannot be opened within the attempts, cannot be read whole or is empty (the content is then
// emptied); E_OUTOFMEMORY.
HRESULT ReadDataFile(DataFileImage* image);

// The data file's kind: the text after the last '.' of its path, upper-cased ASCII ("GPD",
// "PPD"); empty when the path has no '.'.
std::u16string DataFileExtension(const std::u16string& path);

// Replaces the file at path with content (see above). S_OK, or E_FAIL with the file untouched.
HRESULT ReplaceDataFile(const std::u16string& path, std::string_view content);

// What a writer makes of the file's current content.
struct DataFileRewrite {
    bool m_write = false;  // write m_text as the new file
    HRESULT m_result = S_OK;  // the writer's result when the write succeeds
    std::string m_text;
};

// Reads the file afresh, lets build make the new text from it, and replaces the file when build
// asks for it. Returns E_FAIL when there is no path, the file cannot be read or the replacement
// fails; E_OUTOFMEMORY when memory runs out; otherwise build's result. After a replacement the
// image holds what was written.
HRESULT RewriteDataFile(DataFileImage* image,
                        const std::function<void(std::string_view content, DataFileRewrite* rewrite)>& build);

// --- Tags and lines -------------------------------------------------------------------------------

// The first occurrence of tag at or after from, or npos.
size_t FindTag(std::string_view content, std::string_view tag, size_t from = 0);

// The start of the line after the one that holds position at: past the first line end (CR LF, a
// lone CR or a lone LF) at or after at, or the content's end when none follows.
size_t NextLineStart(std::string_view content, size_t at);

// True when text begins with prefix.
inline bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
