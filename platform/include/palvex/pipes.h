// Named pipes of the machine: "\\.\pipe\NAME" is the local socket <root>/pipes/<name> (the name
// lower-cased, so that names match without regard to case). Server programs of the machine listen
// there; clients reach them with CreateFileW (win/namedpipeapi.h).
#pragma once

#include <filesystem>
#include <string>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// The socket of a pipe name ("\\.\pipe\NAME", any case); empty when the text is not a pipe's name
// or the socket's path would be too long for a local socket.
PALVEX_API std::filesystem::path PipeSocketPath(std::u16string_view pipeName);

// The file in which the machine's manual-duplex helper program (palvex-duplex-helper) records
// every whole message it reads from its pipe NAME, one after another: <root>/pipes/<name>.messages.
PALVEX_API std::filesystem::path PipeRecordPath(std::u16string_view pipeName);

}  // namespace palvex
