#include "render_host_frame.h"

#include <string_view>

namespace palvex::hosts {
namespace {

constexpr BYTE kUbyte = 0xC0;
constexpr BYTE kUint16Xy = 0xD1;
constexpr BYTE kAttribute = 0xF8;

void Append(std::vector<BYTE>& bytes, std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

void UbyteAttribute(std::vector<BYTE>& bytes, BYTE value, BYTE attribute) {
    bytes.insert(bytes.end(), {kUbyte, value, kAttribute, attribute});
}

BYTE MediaSize(short paperSize) {
    switch (paperSize) {
    case DMPAPER_LETTER: return 0;
    case DMPAPER_LEGAL: return 1;
    case DMPAPER_EXECUTIVE: return 3;
    case DMPAPER_11X17: return 4;
    case DMPAPER_A3: return 5;
    default: return 2;  // A4
    }
}

}  // namespace

std::vector<BYTE> JobStartFrame(WORD resolution) {
    std::vector<BYTE> bytes;
    Append(bytes, "@PJL ENTER LANGUAGE=PCLXL\n");
    Append(bytes, ") HP-PCL XL;2;0;Palvex render host\n");
    const BYTE low = static_cast<BYTE>(resolution & 0xFF);
    const BYTE high = static_cast<BYTE>(resolution >> 8);
    bytes.insert(bytes.end(), {kUint16Xy, low, high, low, high, kAttribute, 0x89});  // UnitsPerMeasure
    UbyteAttribute(bytes, 0x00, 0x86);                                               // Measure eInch
    UbyteAttribute(bytes, 0x00, 0x8F);                                               // ErrorReport
    bytes.push_back(0x41);                                                           // BeginSession
    UbyteAttribute(bytes, 0x00, 0x88);                                               // SourceType
    UbyteAttribute(bytes, 0x01, 0x82);                                               // DataOrg
    bytes.push_back(0x48);                                                           // OpenDataSource
    return bytes;
}

std::vector<BYTE> PageStartFrame(short paperSize) {
    std::vector<BYTE> bytes;
    UbyteAttribute(bytes, MediaSize(paperSize), 0x25);  // MediaSize
    bytes.push_back(0x43);                              // BeginPage
    return bytes;
}

}  // namespace palvex::hosts
