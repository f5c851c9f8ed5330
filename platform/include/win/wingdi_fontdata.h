// Memory device contexts, mapping modes and the font-file functions: what a caller reads of the
// TrueType font selected into a context (its tables, its glyph indices).
#pragma once

#include "wingdi.h"

// Mapping modes: MM_TEXT is one logical unit per device pixel; MM_TWIPS is 1/1440 inch.
#define MM_TEXT 1
#define MM_TWIPS 6

#define GGI_MARK_NONEXISTING_GLYPHS 0x0001

// A memory device context like the screen's (96 pixels per inch, MM_TEXT, the system font
// selected); hdc must be null or a device context (else null, ERROR_INVALID_HANDLE). DeleteDC ends it.
WINBASEAPI HDC CreateCompatibleDC(HDC hdc);
// Sets the mapping mode (MM_TEXT or MM_TWIPS) and returns the previous one; 0 on failure. A font's
// height and the metrics GetTextMetricsW answers are in the context's logical units.
WINBASEAPI int SetMapMode(HDC hdc, int iMode);
WINBASEAPI int GetMapMode(HDC hdc);

// Bytes of the selected font's file: dwTable 0 reads from the start of the file, otherwise from the
// start of the table with that tag (its four bytes as a little-endian number, so 'head' is
// 0x64616568). With pvBuffer null the size from dwOffset to the end is answered; otherwise up to
// cjBuffer bytes are copied and their count answered. GDI_ERROR when the context has no font, the
// font is not a TrueType file, the table is not in it, or dwOffset lies beyond its end.
WINBASEAPI DWORD GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, PVOID pvBuffer, DWORD cjBuffer);
// The glyph index of each of c UTF-16 units from the font's Unicode character map; with
// GGI_MARK_NONEXISTING_GLYPHS a character the font lacks gets 0xFFFF, else 0. Answers c, or
// GDI_ERROR for a context without a font or missing arguments.
WINBASEAPI DWORD GetGlyphIndicesW(HDC hdc, LPCWSTR lpstr, int c, LPWORD pgi, DWORD fl);
