// The watermark's TrueType font on the printer. The font of the cache's current entry is read from
// the system with GetFontData and sent once per entry: for the PCL XL types (50-59) as a soft font
// with a GT segment and Class 1 characters, for the PCL 5 types (40-49) as a format 16 soft font
// with format 15 characters. Only the characters of the watermark text go, each once per entry, and
// the text is rewritten into the one-byte codes they got (the code-mapped text).
//
// Every call answers S_OK or E_FAIL (E_INVALIDARG for identifier 0 where noted). A header is marked
// as sent only when every byte of it reached the driver, and nothing is announced (directory, sizes)
// that is not sent.
#pragma once

#include <string>

#include <win/windows.h>

#include "font_cache.h"

// S_OK when the current entry carries the identifier; E_INVALIDARG for 0; E_FAIL otherwise.
HRESULT SelectFontEntry(FontCache* cache, DWORD fontId);

// The font header of the current entry, once.
HRESULT DownloadXLFontHeader(FontCache* cache, DWORD fontId);
HRESULT DownloadPCLFontHeader(FontCache* cache, DWORD fontId);
// The characters of the text not yet sent (with the header first when it is not there), then the
// code-mapped text: each position whose character is on the printer gets its code. The code-mapped
// text is made a copy of the text first when its length differs.
HRESULT DownloadXLChars(FontCache* cache, DWORD fontId, const std::u16string& text, std::u16string* mappedText);
HRESULT DownloadPCLChars(FontCache* cache, DWORD fontId, const std::u16string& text, std::u16string* mappedText);

// Restores the memory device context of a download and frees it with the font made for it.
void ReleaseFontDC(FontCache* cache);

// The KS X 1001 code (code page 949) of a character: characters below 0x81 are themselves, one of
// a covered block without a code gives 0xFFFF, one outside the covered blocks 0.
WORD UnicodeToWansung(WCHAR character);
