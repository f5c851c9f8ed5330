// The PCL XL TrueType soft font: the font header with its GT segment, and Class 1 characters.
#include <algorithm>
#include <array>

#include "font_download_internal.h"
#include "oem_pdev.h"
#include "pclxl_writer.h"

namespace {

constexpr DWORD kMaxBlock = 0xFFFF;

// The tables of the GT segment, in the order their data goes.
constexpr std::array<DWORD, 5> kGTDataOrder = {FontTag("cvt "), FontTag("fpgm"), FontTag("head"), FontTag("maxp"),
                                               FontTag("prep")};

constexpr BYTE kGalleySegment[] = {0x47, 0x43, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0xFF, 0xFF,
                                   0x00, 0x03, 0x00, 0x20, 0x00, 0x7D, 0xFF, 0x65, 0x20, 0x3E,
                                   0x20, 0x3E, 0xFF, 0x65, 0xFF, 0x61, 0xFF, 0x9F, 0xFF, 0x65};
constexpr BYTE kNullSegment[] = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};

// FontName: the entry's name as a ubyte array.
HRESULT WriteFontName(OemPdev* pdev, const FontCacheEntry& entry) {
    HRESULT result = WriteXLUByteArray(pdev, reinterpret_cast<const BYTE*>(entry.m_fontName.data()), entry.m_fontName.size());
    return SUCCEEDED(result) ? WriteXLAttr(pdev, xl::kFontName) : result;
}

// One ReadFontHeader block: its length, the operator, the data length and the data.
HRESULT WriteHeaderBlock(OemPdev* pdev, const BYTE* data, DWORD size, DWORD zeros) {
    const DWORD length = size + zeros;
    HRESULT result = WriteXLUInt16(pdev, static_cast<WORD>(length));
    if (SUCCEEDED(result)) result = WriteXLAttr(pdev, xl::kFontHeaderLength);
    if (SUCCEEDED(result)) result = WriteXLByte(pdev, xl::kReadFontHeader);
    if (SUCCEEDED(result))
        result = length < 256 ? WriteXLBytes(pdev, {xl::kDataLengthByte, static_cast<BYTE>(length)})
                              : (SUCCEEDED(WriteXLByte(pdev, xl::kDataLength)) ? WriteXLValue32(pdev, length) : E_FAIL);
    std::vector<BYTE> bytes(data, data + size);
    bytes.resize(length, 0);
    if (SUCCEEDED(result) && length) result = WriteSpool(pdev, bytes.data(), length);
    return result;
}

// A piece of header data in blocks of at most 65535 bytes; the zero padding goes with the last
// block, or alone when it would not fit there.
HRESULT WriteHeaderData(OemPdev* pdev, const BYTE* data, DWORD size, DWORD zeros = 0) {
    HRESULT result = S_OK;
    while (size > kMaxBlock && SUCCEEDED(result)) {
        result = WriteHeaderBlock(pdev, data, kMaxBlock, 0);
        data += kMaxBlock;
        size -= kMaxBlock;
    }
    if (FAILED(result)) return result;
    if (size + zeros <= kMaxBlock) return size + zeros ? WriteHeaderBlock(pdev, data, size, zeros) : S_OK;
    result = WriteHeaderBlock(pdev, data, size, 0);
    return SUCCEEDED(result) ? WriteHeaderBlock(pdev, nullptr, 0, zeros) : result;
}

HRESULT WriteHeaderData(OemPdev* pdev, const std::vector<BYTE>& data) {
    return WriteHeaderData(pdev, data.data(), static_cast<DWORD>(data.size()));
}

HRESULT XLHeader(OemPdev* pdev, FontCacheEntry& entry, FontSource& source, const FontFacts& facts) {
    // Every table is read before anything is announced, so the directory and the segment size
    // describe exactly the bytes that follow.
    DWORD size = 0;
    for (DWORD tag : {FontTag("head"), FontTag("hhea"), FontTag("hmtx"), FontTag("maxp")})
        if (!source.Size(tag, &size) || size == 0) return E_FAIL;
    for (DWORD tag : {FontTag("vmtx"), FontTag("vhea")})
        if (TableListed(entry, tag) && !source.Size(tag, &size)) return E_FAIL;
    std::array<std::vector<BYTE>, kGTDataOrder.size()> data;
    std::array<bool, kGTDataOrder.size()> present{};
    for (size_t i = 0; i < kGTDataOrder.size(); ++i) {
        const DWORD tag = kGTDataOrder[i];
        const bool required = tag == FontTag("head") || tag == FontTag("maxp");
        present[i] = required || TableListed(entry, tag);
        if (present[i] && !ReadFontTable(source, tag, &data[i])) return E_FAIL;
    }
    const WORD tables = static_cast<WORD>(1 + std::count(present.begin(), present.end(), true));

    DWORD segmentSize = 12 + 16 * DWORD{tables};
    for (size_t i = 0; i < data.size(); ++i)
        if (present[i]) segmentSize += PaddedTableSize(static_cast<DWORD>(data[i].size()));

    std::vector<BYTE> fontHeader = {0x00, 0x00};  // format, orientation
    PutU16(fontHeader, static_cast<WORD>(entry.m_symbolSet));
    fontHeader.push_back(0x01);  // TrueType
    fontHeader.push_back(0x00);  // variety
    const int chars = facts.lastChar >= facts.firstChar ? facts.lastChar - facts.firstChar + 1 : 0;
    PutU16(fontHeader, static_cast<WORD>(std::min(chars, 1024)));

    std::vector<BYTE> segmentHead = {'G', 'T'};
    PutU32(segmentHead, segmentSize);

    const std::vector<BYTE> offsetTable = SfntOffsetTable(tables);

    std::vector<BYTE> directory;
    DWORD offset = 12 + 16 * DWORD{tables};
    auto record = [&](DWORD tag, DWORD at, DWORD length) {
        for (int shift = 0; shift < 32; shift += 8) directory.push_back(static_cast<BYTE>(tag >> shift));
        PutU32(directory, 0);
        PutU32(directory, at);
        PutU32(directory, length);
    };
    for (size_t i = 0; i < data.size(); ++i) {
        if (kGTDataOrder[i] == FontTag("head")) record(FontTag("gdir"), 0, 0);
        if (!present[i]) continue;
        const DWORD padded = PaddedTableSize(static_cast<DWORD>(data[i].size()));
        record(kGTDataOrder[i], offset, padded);
        offset += padded;
    }

    HRESULT result = WriteFontName(pdev, entry);
    if (SUCCEEDED(result)) result = WriteXLBytes(pdev, {xl::kUByte, 0x00});
    if (SUCCEEDED(result)) result = WriteXLAttr(pdev, xl::kFontFormat);
    if (SUCCEEDED(result)) result = WriteXLByte(pdev, xl::kBeginFontHeader);
    if (SUCCEEDED(result)) result = WriteHeaderData(pdev, fontHeader);
    if (SUCCEEDED(result)) result = WriteHeaderData(pdev, segmentHead);
    if (SUCCEEDED(result)) result = WriteHeaderData(pdev, offsetTable);
    if (SUCCEEDED(result)) result = WriteHeaderData(pdev, directory);
    for (size_t i = 0; i < data.size() && SUCCEEDED(result); ++i) {
        if (!present[i]) continue;
        const DWORD length = static_cast<DWORD>(data[i].size());
        result = WriteHeaderData(pdev, data[i].data(), length, PaddedTableSize(length) - length);
    }
    if (SUCCEEDED(result)) result = WriteHeaderData(pdev, kGalleySegment, sizeof kGalleySegment);
    if (SUCCEEDED(result)) result = WriteHeaderData(pdev, kNullSegment, sizeof kNullSegment);
    if (SUCCEEDED(result)) result = WriteXLByte(pdev, xl::kEndFontHeader);
    return result;
}

HRESULT XLBeginChars(OemPdev* pdev, const FontCacheEntry& entry) {
    const HRESULT result = WriteFontName(pdev, entry);
    return SUCCEEDED(result) ? WriteXLByte(pdev, xl::kBeginChar) : result;
}

HRESULT DownloadXLGlyph(OemPdev* pdev, const FontCacheEntry&, WORD code, WORD glyph, const GlyphMetrics& metrics,
                const std::vector<BYTE>& data) {
    const DWORD size = static_cast<DWORD>(data.size()) + 10;
    HRESULT result = WriteXLUInt16(pdev, code);
    if (SUCCEEDED(result)) result = WriteXLAttr(pdev, xl::kCharCode);
    if (SUCCEEDED(result)) result = WriteXLByte(pdev, xl::kUInt32);
    if (SUCCEEDED(result)) result = WriteXLValue32(pdev, size);
    if (SUCCEEDED(result)) result = WriteXLAttr(pdev, xl::kCharDataSize);
    if (SUCCEEDED(result)) result = WriteXLByte(pdev, xl::kReadChar);
    if (SUCCEEDED(result))
        result = size < 256 ? WriteXLBytes(pdev, {xl::kDataLengthByte, static_cast<BYTE>(size)})
                            : (SUCCEEDED(WriteXLByte(pdev, xl::kDataLength)) ? WriteXLValue32(pdev, size) : E_FAIL);
    std::vector<BYTE> character = {0x01, 0x01};  // format 1, class 1
    PutU16(character, static_cast<WORD>(data.size() + 8));
    PutU16(character, static_cast<WORD>(metrics.leftSideBearing));
    PutU16(character, metrics.advance);
    PutU16(character, glyph);
    character.insert(character.end(), data.begin(), data.end());
    if (SUCCEEDED(result)) result = WriteSpool(pdev, character.data(), static_cast<DWORD>(character.size()));
    return result;
}

HRESULT XLEndChars(OemPdev* pdev) {
    return WriteXLByte(pdev, xl::kEndChar);
}

}  // namespace

const DownloadFormat kXLFormat = {&XLHeader, &XLBeginChars, &DownloadXLGlyph, &XLEndChars};
