// The PCL XL that the plug-in adds to the universal driver's page description (the watermark and
// its downloaded font) leaves through these primitives. Each writes one PCL XL data type, attribute
// tag or raw value in the protocol's binary little-endian encoding through the universal driver's
// DrvWriteSpoolBuf; operators, enumeration values and single tags go out with WriteXLByte(s).
//
// Every write answers the driver's result: a failed or short DrvWriteSpoolBuf is a failure, so a
// caller never marks as sent what the printer did not get. A primitive sends its bytes in one call,
// so a failure leaves no half value behind it.
#pragma once

#include <cstddef>
#include <initializer_list>

#include <win/windows.h>

struct OemPdev;

// The PCL XL codes the plug-in writes, by their names in the protocol.
namespace xl {
// Data types.
inline constexpr BYTE kUByte = 0xC0, kUInt16 = 0xC1, kUInt32 = 0xC2, kSInt16 = 0xC3, kReal32 = 0xC5,
                      kUByteArray = 0xC8, kSInt16Array = 0xCB, kUInt16XY = 0xD1, kSInt16XY = 0xD3,
                      kReal32XY = 0xD5, kSInt16Box = 0xE3, kAttrUByte = 0xF8, kDataLength = 0xFA,
                      kDataLengthByte = 0xFB;
// Operators.
inline constexpr BYTE kEndPage = 0x44, kCloseDataSource = 0x49, kEndSession = 0x42, kBeginFontHeader = 0x4F,
                      kReadFontHeader = 0x50, kEndFontHeader = 0x51, kBeginChar = 0x52, kReadChar = 0x53,
                      kEndChar = 0x54, kPopGS = 0x60, kPushGS = 0x61, kSetBrushSource = 0x63, kSetCharAngle = 0x64,
                      kSetCharScale = 0x65, kSetCharShear = 0x66, kSetClipRectangle = 0x68, kSetColorSpace = 0x6A,
                      kSetCursor = 0x6B, kSetFont = 0x6F, kSetPageDefaultCTM = 0x74, kSetPaintTxMode = 0x78,
                      kSetROP = 0x7B, kSetSourceTxMode = 0x7C, kSetCharBoldValue = 0x7D, kText = 0xA8,
                      kBeginRastPattern = 0xB3, kReadRastPattern = 0xB4, kEndRastPattern = 0xB5;
// Attribute identifiers.
inline constexpr WORD kPaletteDepth = 0x02, kColorSpace = 0x03, kPaletteData = 0x06, kPatternSelectID = 0x08,
                      kMediaSource = 0x26, kOrientation = 0x28, kROP3 = 0x2C, kTxMode = 0x2D, kPageCopies = 0x31,
                      kBoundingBox = 0x42, kPoint = 0x4C, kClipRegion = 0x53, kColorDepth = 0x62,
                      kBlockHeight = 0x63, kColorMapping = 0x64, kCompressMode = 0x65, kDestinationSize = 0x67,
                      kPatternPersistence = 0x68, kPatternDefineID = 0x69, kSourceHeight = 0x6B,
                      kSourceWidth = 0x6C, kStartLine = 0x6D, kCharAngle = 0xA1, kCharCode = 0xA2,
                      kCharDataSize = 0xA3, kCharScale = 0xA4, kCharShear = 0xA5, kCharSize = 0xA6,
                      kFontHeaderLength = 0xA7, kFontName = 0xA8, kFontFormat = 0xA9, kSymbolSet = 0xAA,
                      kTextData = 0xAB, kXSpacingData = 0xAF, kYSpacingData = 0xB0, kCharBoldValue = 0xB1;
}  // namespace xl

// Whether an attribute identifier is one the protocol defines (the only ones WriteXLAttr sends).
bool IsDefinedXLAttr(WORD id);

// Single bytes: operators, enumeration values, tags.
HRESULT WriteXLByte(OemPdev* pdev, BYTE value);
HRESULT WriteXLBytes(OemPdev* pdev, std::initializer_list<BYTE> values);
// F8 and the identifier; S_OK with nothing written for an undefined identifier.
HRESULT WriteXLAttr(OemPdev* pdev, WORD id);
// C8 C1 count16 then the bytes. A count above 0xFFFF, or bytes missing for a count, write nothing
// and answer E_INVALIDARG (the 16-bit count could not say how many bytes follow).
HRESULT WriteXLUByteArray(OemPdev* pdev, const BYTE* bytes, size_t count);
// C1 and the value.
HRESULT WriteXLUInt16(OemPdev* pdev, WORD value);
// The value's four bytes, no tag (callers put C2 or FA before it).
HRESULT WriteXLValue32(OemPdev* pdev, DWORD value);
// The single-precision value's four bytes, no tag (callers put C5 or D5 before it).
HRESULT WriteXLReal32(OemPdev* pdev, float value);
// E3 left top right bottom.
HRESULT WriteXLSInt16Box(OemPdev* pdev, SHORT left, SHORT top, SHORT right, SHORT bottom);
// D3 x y.
HRESULT WriteXLSInt16XY(OemPdev* pdev, SHORT x, SHORT y);
// D1 x y.
HRESULT WriteXLUInt16XY(OemPdev* pdev, WORD x, WORD y);
// CB C1 count16 then each value; counts and missing values as WriteXLUByteArray.
HRESULT WriteXLSInt16Array(OemPdev* pdev, const SHORT* values, size_t count);
// A whole buffer in one call: E_FAIL for a missing buffer, S_OK without writing for size 0, else
// the driver's result.
HRESULT WriteSpool(OemPdev* pdev, const void* buffer, DWORD size);
