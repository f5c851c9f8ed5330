// Checks of a DEVMODE kept as bytes in the machine (a printer's default, a job's).
#pragma once

#include <cstring>
#include <vector>

#include <win/wingdi_devmode.h>

namespace palvex {

// True when bytes are one whole DEVMODEW: its size fields are there and dmSize + dmDriverExtra is
// exactly their length, so a reader that trusts those fields stays inside the bytes.
inline bool IsWholeDevMode(const std::vector<BYTE>& bytes) {
    constexpr size_t kSizeFieldsEnd = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);
    if (bytes.size() < kSizeFieldsEnd) return false;
    WORD size = 0;
    WORD extra = 0;
    std::memcpy(&size, bytes.data() + offsetof(DEVMODEW, dmSize), sizeof size);
    std::memcpy(&extra, bytes.data() + offsetof(DEVMODEW, dmDriverExtra), sizeof extra);
    return size >= kSizeFieldsEnd && static_cast<size_t>(size) + extra == bytes.size();
}

}  // namespace palvex
