// Text in the machine's ANSI code page, the encoding of the driver's data files.
#pragma once

#include <string>
#include <string_view>

#include <win/windows.h>

// The text converted to the ANSI code page; characters the code page lacks become '?'.
std::string ToAnsi(std::u16string_view text);

// The text up to its NUL or its first maxUnits characters, converted to the ANSI code page and
// cut after at most maxBytes bytes, never inside a character.
std::string ToAnsiLimited(const WCHAR* text, size_t maxUnits, size_t maxBytes);

// The text of a wide field of maxUnits characters: up to its NUL or its end.
std::u16string_view FieldText(const WCHAR* text, size_t maxUnits);
