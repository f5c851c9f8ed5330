// Record layouts of the EMF spool format and of the EMF records the platform writes and draws
// (internal to the platform library). All values are little-endian; the readers take each field
// with LoadLe at an offset they have checked against the bytes they hold.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

static_assert(std::endian::native == std::endian::little, "the spool and EMF readers assume a little-endian host");

namespace palvex::emf {

template <class T>
T LoadLe(std::span<const uint8_t> bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// --- The spool file ------------------------------------------------------------------------------

constexpr uint32_t kSpoolVersion = 0x00010000;
// dwVersion, cjSize, dpszDocName, dpszOutput; cjSize counts the whole header with its strings.
constexpr size_t kSpoolHeaderFixedSize = 16;
// ulID and cjSize; cjSize counts only the data after them.
constexpr size_t kSpoolRecordHeaderSize = 8;

enum SpoolRecordType : uint32_t {
    EMRI_METAFILE = 0x01,
    EMRI_ENGINE_FONT = 0x02,
    EMRI_DEVMODE = 0x03,
    EMRI_TYPE1_FONT = 0x04,
    EMRI_PRESTARTPAGE = 0x05,
    EMRI_DESIGNVECTOR = 0x06,
    EMRI_SUBSET_FONT = 0x07,
    EMRI_DELTA_FONT = 0x08,
    EMRI_FORM_METAFILE = 0x09,
    EMRI_BW_METAFILE = 0x0A,
    EMRI_BW_FORM_METAFILE = 0x0B,
    EMRI_METAFILE_DATA = 0x0C,
    EMRI_METAFILE_EXT = 0x0D,
    EMRI_BW_METAFILE_EXT = 0x0E,
    EMRI_ENGINE_FONT_EXT = 0x0F,
    EMRI_TYPE1_FONT_EXT = 0x10,
    EMRI_DESIGNVECTOR_EXT = 0x11,
    EMRI_SUBSET_FONT_EXT = 0x12,
    EMRI_DELTA_FONT_EXT = 0x13,
    EMRI_PS_JOB_DATA = 0x14,
    EMRI_EMBED_FONT_EXT = 0x15,
};

// --- EMF records ---------------------------------------------------------------------------------

enum RecordType : uint32_t {
    EMR_HEADER = 1,
    EMR_EOF = 14,
    EMR_SETBKMODE = 18,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_MOVETOEX = 27,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_RECTANGLE = 43,
    EMR_LINETO = 54,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kEmfVersion = 0x00010000;
constexpr size_t kEmfRecordHeaderSize = 8;       // Type, Size (Size counts the whole record)

// EMR_HEADER: the base header, its first extension (pixel format, OpenGL) and its second
// (the reference device's size in micrometres).
constexpr size_t kEmfHeaderBaseSize = 88;
constexpr size_t kEmfHeaderExtension2Size = 108;
namespace header {
constexpr size_t kBounds = 8;         // RECTL, device units
constexpr size_t kFrame = 24;         // RECTL, hundredths of a millimetre
constexpr size_t kSignature = 40;
constexpr size_t kVersion = 44;
constexpr size_t kBytes = 48;
constexpr size_t kRecords = 52;
constexpr size_t kHandles = 56;       // WORD
constexpr size_t kReserved = 58;      // WORD
constexpr size_t kDescriptionChars = 60;
constexpr size_t kDescriptionOffset = 64;
constexpr size_t kPaletteEntries = 68;
constexpr size_t kDevice = 72;        // SIZEL, pixels of the reference device
constexpr size_t kMillimeters = 80;   // SIZEL
constexpr size_t kPixelFormatSize = 88;
constexpr size_t kPixelFormatOffset = 92;
constexpr size_t kOpenGL = 96;
constexpr size_t kMicrometers = 100;  // SIZEL
}  // namespace header

constexpr size_t kEofSize = 20;  // Type, Size, nPalEntries, offPalEntries, SizeLast

// Stock objects in EMR_SELECTOBJECT carry this bit with the stock object's number.
constexpr uint32_t kStockObject = 0x80000000;
constexpr uint32_t kWhiteBrush = 0;
constexpr uint32_t kNullBrush = 5;
constexpr uint32_t kBlackPen = 7;
constexpr uint32_t kNullPen = 8;

// EMR_CREATEPEN: ihPen, LogPen (style, width POINTL, colour).
constexpr size_t kCreatePenSize = 28;
// EMR_CREATEBRUSHINDIRECT: ihBrush, LogBrush (style, colour, hatch).
constexpr size_t kCreateBrushSize = 24;
// EMR_EXTCREATEFONTINDIRECTW: ihFonts, then a LOGFONTW (92 bytes) that may be followed by the
// rest of a LogFontExDv (full name, style, script, design vector).
constexpr size_t kCreateFontFixedSize = 12;
constexpr size_t kLogFontSize = 92;
constexpr size_t kLogFontExDvSize = 356;  // LogFontEx (348) and an empty design vector
constexpr uint32_t kDesignVectorSignature = 0x08007664;
// EMR_EXTTEXTOUTW: Bounds, iGraphicsMode, exScale, eyScale, then EmrText: Reference, Chars,
// offString, Options, Rectangle, offDx.
namespace text {
constexpr size_t kBounds = 8;
constexpr size_t kGraphicsMode = 24;
constexpr size_t kReference = 36;
constexpr size_t kChars = 44;
constexpr size_t kStringOffset = 48;
constexpr size_t kOptions = 52;
constexpr size_t kRectangle = 56;
constexpr size_t kDxOffset = 72;
constexpr size_t kFixedSize = 76;
}  // namespace text

}  // namespace palvex::emf
