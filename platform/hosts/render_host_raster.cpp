#include "render_host_raster.h"

#include <algorithm>

namespace palvex::hosts {
namespace {

constexpr BYTE kUbyte = 0xC0, kUint16 = 0xC1, kSint16Xy = 0xD3, kUint16Xy = 0xD1, kAttribute = 0xF8,
               kDataLength = 0xFA;
constexpr BYTE kColorSpace = 0x03, kRop3 = 0x2C, kPoint = 0x4C, kColorDepth = 0x62, kBlockHeight = 0x63,
               kColorMapping = 0x64, kCompressMode = 0x65, kDestinationSize = 0x67, kSourceHeight = 0x6B,
               kSourceWidth = 0x6C, kStartLine = 0x6D;
constexpr BYTE kPopGs = 0x60, kPushGs = 0x61, kSetColorSpace = 0x6A, kSetCursor = 0x6B, kSetRop = 0x7B,
               kBeginImage = 0xB0, kReadImage = 0xB1, kEndImage = 0xB2;
constexpr BYTE kRleCompression = 1;

void Word(std::vector<BYTE>& bytes, LONG value) {
    bytes.push_back(static_cast<BYTE>(value & 0xFF));
    bytes.push_back(static_cast<BYTE>((value >> 8) & 0xFF));
}

void Uint16Attribute(std::vector<BYTE>& bytes, LONG value, BYTE attribute) {
    bytes.push_back(kUint16);
    Word(bytes, value);
    bytes.insert(bytes.end(), {kAttribute, attribute});
}

void UbyteAttribute(std::vector<BYTE>& bytes, BYTE value, BYTE attribute) {
    bytes.insert(bytes.end(), {kUbyte, value, kAttribute, attribute});
}

}  // namespace

void PackBits(const BYTE* row, size_t size, std::vector<BYTE>* out) {
    size_t i = 0;
    while (i < size) {
        size_t run = 1;
        while (i + run < size && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 2) {
            out->push_back(static_cast<BYTE>(257 - run));  // 1 - run as a signed byte
            out->push_back(row[i]);
            i += run;
            continue;
        }
        // Literal bytes up to the next run of two or more.
        size_t literal = 1;
        while (i + literal < size && literal < 128 &&
               !(i + literal + 1 < size && row[i + literal] == row[i + literal + 1]))
            ++literal;
        out->push_back(static_cast<BYTE>(literal - 1));
        out->insert(out->end(), row + i, row + i + literal);
        i += literal;
    }
}

size_t ImageRowBytes(LONG width, bool colour) {
    const size_t bytes = static_cast<size_t>(width) * (colour ? 3 : 1);
    return (bytes + 3) / 4 * 4;
}

std::vector<BYTE> ImageStart(LONG width, LONG height, POINTL corner, bool colour) {
    std::vector<BYTE> bytes{kPushGs};
    UbyteAttribute(bytes, colour ? 2 : 1, kColorSpace);
    bytes.push_back(kSetColorSpace);
    UbyteAttribute(bytes, 0xCC, kRop3);
    bytes.push_back(kSetRop);
    bytes.push_back(kSint16Xy);
    Word(bytes, corner.x);
    Word(bytes, corner.y);
    bytes.insert(bytes.end(), {kAttribute, kPoint, kSetCursor});
    UbyteAttribute(bytes, 0, kColorMapping);  // eDirectPixel
    UbyteAttribute(bytes, 2, kColorDepth);    // e8Bit
    Uint16Attribute(bytes, width, kSourceWidth);
    Uint16Attribute(bytes, height, kSourceHeight);
    bytes.push_back(kUint16Xy);
    Word(bytes, width);
    Word(bytes, height);
    bytes.insert(bytes.end(), {kAttribute, kDestinationSize, kBeginImage});
    return bytes;
}

std::vector<BYTE> ImageBlock(LONG width, LONG startLine, LONG rows, const std::vector<BYTE>& rgb, bool colour) {
    const size_t rowBytes = ImageRowBytes(width, colour);
    std::vector<BYTE> row(rowBytes, 0);
    std::vector<BYTE> data;
    for (LONG y = 0; y < rows; ++y) {
        const BYTE* pixel = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        if (colour) {
            std::copy(pixel, pixel + static_cast<size_t>(width) * 3, row.begin());
        } else {
            for (LONG x = 0; x < width; ++x, pixel += 3)
                row[static_cast<size_t>(x)] = static_cast<BYTE>((299 * pixel[0] + 587 * pixel[1] + 114 * pixel[2] + 500) / 1000);
        }
        PackBits(row.data(), row.size(), &data);
    }
    std::vector<BYTE> bytes;
    Uint16Attribute(bytes, startLine, kStartLine);
    Uint16Attribute(bytes, rows, kBlockHeight);
    UbyteAttribute(bytes, kRleCompression, kCompressMode);
    bytes.push_back(kReadImage);
    bytes.push_back(kDataLength);
    const auto size = static_cast<DWORD>(data.size());
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(size >> shift));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::vector<BYTE> ImageEnd() {
    return {kEndImage, kPopGs};
}

}  // namespace palvex::hosts
