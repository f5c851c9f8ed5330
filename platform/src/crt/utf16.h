// UTF-16 text helpers shared inside the platform library: conversion to and from UTF-8 and the
// simple upper-case mapping the platform uses wherever Windows compares names without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <win/wintypes.h>

namespace palvex::text {

// Lossless both ways: an unpaired surrogate travels as its own three-byte sequence (as WTF-8 does),
// so any UTF-16 name read back from the database is the name that was stored.
std::string ToUtf8(std::u16string_view text);
// Appends one code point (up to U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);
std::u16string FromUtf8(std::string_view text);

// Simple (one code unit to one code unit) upper-case mapping of the Basic Multilingual Plane.
// Characters outside ASCII never map into ASCII, so ASCII names compare the same in every locale.
WCHAR Upcase(WCHAR c);
std::u16string Upcase(std::u16string_view text);

// Length of a NUL-terminated UTF-16 string (0 for null).
size_t Length(const WCHAR* text);

}  // namespace palvex::text
