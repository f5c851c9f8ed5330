// The printer commands the plug-in sends, one command per string id. Each UTF-16 unit of a string
// carries one byte, so binary PCL XL fragments with zero bytes are stored as they are.
#pragma once

#include <string>

#include <win/windows.h>

// Most units a command string is read with (a 256-unit buffer with its NUL).
inline constexpr size_t kCommandStringUnits = 255;

// The bytes of the command with this id; false when there is none.
bool LoadCommandString(DWORD id, std::string* bytes);
