// One EMF metafile (a page of a spool file): the strict check of its records and the decoding of
// the records the platform draws (internal to the platform library).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <win/wingdi.h>

namespace palvex::emf {

// What the header says of the picture.
struct EmfHeader {
    RECTL bounds{};       // device units of the reference device, inclusive
    RECTL frame{};        // hundredths of a millimetre, inclusive
    SIZEL device{};       // the reference device in pixels
    SIZEL millimeters{};  // and in millimetres
    SIZEL micrometers{};  // and in micrometres (0 when the header is the base one)
    uint32_t bytes = 0;
    uint32_t records = 0;
};

// Checks a metafile whose header's byte count is the size of emf (the spool record may hold up to
// three bytes of padding after it; the caller cuts those off): the header, then records of a
// size that is a multiple of 4 and lies inside the metafile, the records this platform draws at
// least as long as their fields, exactly the header's record count, and EMR_EOF as the last
// record, ending the metafile. Returns an empty text when the metafile is sound, else what is wrong.
std::string CheckEmf(std::span<const uint8_t> emf);

// The header of a metafile that CheckEmf accepted.
EmfHeader ReadEmfHeader(std::span<const uint8_t> emf);

// The byte count of a metafile as its header gives it, or nothing when there is no header.
std::optional<uint32_t> EmfByteCount(std::span<const uint8_t> emf);

// Each record after the header of a metafile that CheckEmf accepted: its type and all its bytes.
void ForEachRecord(std::span<const uint8_t> emf, const std::function<void(uint32_t type, std::span<const uint8_t>)>& visit);

// Decoded drawing records (from records CheckEmf accepted).
struct LogPen {
    uint32_t style = 0;
    LONG width = 0;
    COLORREF colour = 0;
};
struct ExtTextOut {
    POINTL reference{};
    uint32_t options = 0;
    std::optional<RECTL> rectangle;
    std::u16string text;
};
uint32_t RecordValue(std::span<const uint8_t> record, size_t offset);
LogPen DecodePen(std::span<const uint8_t> record);
LOGFONTW DecodeFont(std::span<const uint8_t> record);
ExtTextOut DecodeText(std::span<const uint8_t> record);
RECTL DecodeRect(std::span<const uint8_t> record, size_t offset);

}  // namespace palvex::emf
