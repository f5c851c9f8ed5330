// The strict check of an EMF page and the decoding of the records the platform draws.
#include "gdi/emf_page.h"

#include "gdi/emf_format.h"

#include <cstdlib>

namespace palvex::emf {
namespace {

std::string At(size_t offset, const std::string& what) {
    return "record at byte " + std::to_string(offset) + " of the page: " + what;
}

// The least size of the records whose fields the platform reads.
size_t MinimumSize(uint32_t type) {
    switch (type) {
    case EMR_EOF: return kEofSize;
    case EMR_SETBKMODE:
    case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR:
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT: return 12;
    case EMR_MOVETOEX:
    case EMR_LINETO: return 16;
    case EMR_RECTANGLE: return 24;
    case EMR_CREATEPEN: return kCreatePenSize;
    case EMR_CREATEBRUSHINDIRECT: return kCreateBrushSize;
    case EMR_EXTCREATEFONTINDIRECTW: return kCreateFontFixedSize + kLogFontSize;
    case EMR_EXTTEXTOUTW: return text::kRectangle + 4;  // with ETO_NO_RECT offDx follows Options
    default: return kEmfRecordHeaderSize;
    }
}

// The fields of a text record lie inside it: the string after the fixed part, the spacing array
// (when there is one) after that.
std::string CheckText(std::span<const uint8_t> record) {
    const uint32_t options = LoadLe<uint32_t>(record, text::kOptions);
    const size_t fixed = (options & ETO_NO_RECT) ? text::kRectangle + 4 : text::kFixedSize;
    if (record.size() < fixed) return "a text record shorter than its fields";
    const uint64_t chars = LoadLe<uint32_t>(record, text::kChars);
    const uint64_t stringOffset = LoadLe<uint32_t>(record, text::kStringOffset);
    const uint64_t dxOffset = LoadLe<uint32_t>(record, fixed - 4);
    if (chars > 0 && (stringOffset < fixed || stringOffset % 2 != 0 || stringOffset + 2 * chars > record.size()))
        return "a text whose characters lie outside its record";
    if (dxOffset != 0 && (dxOffset < fixed || dxOffset % 4 != 0 || dxOffset + 4 * chars > record.size()))
        return "a text whose spacing array lies outside its record";
    return {};
}

}  // namespace

std::optional<uint32_t> EmfByteCount(std::span<const uint8_t> emf) {
    if (emf.size() < kEmfHeaderBaseSize || LoadLe<uint32_t>(emf, 0) != EMR_HEADER) return std::nullopt;
    return LoadLe<uint32_t>(emf, header::kBytes);
}

// A page is drawn by scaling its frame onto the printer's page through the reference device: a
// frame turned inside out or wider than any paper, or a reference device of no size, cannot be a
// page, and its numbers would overflow whoever scales them.
std::string CheckFrame(std::span<const uint8_t> emf) {
    constexpr int64_t kLargestPage = 1'000'000;  // hundredths of a millimetre: ten metres
    const RECTL frame = DecodeRect(emf, header::kFrame);
    const int64_t width = int64_t{frame.right} - frame.left + 1;
    const int64_t height = int64_t{frame.bottom} - frame.top + 1;
    if (width < 1 || height < 1 || width > kLargestPage || height > kLargestPage ||
        std::abs(int64_t{frame.left}) > kLargestPage || std::abs(int64_t{frame.top}) > kLargestPage)
        return "an EMF frame that cannot be a page";
    for (size_t field : {header::kDevice, header::kDevice + 4, header::kMillimeters, header::kMillimeters + 4})
        if (LoadLe<LONG>(emf, field) <= 0) return "an EMF reference device without a size";
    return {};
}

std::string CheckEmf(std::span<const uint8_t> emf) {
    if (emf.size() < kEmfHeaderBaseSize) return "a page shorter than an EMF header";
    if (LoadLe<uint32_t>(emf, 0) != EMR_HEADER) return "a page that does not start with EMR_HEADER";
    const uint32_t headerSize = LoadLe<uint32_t>(emf, 4);
    if (headerSize < kEmfHeaderBaseSize || headerSize % 4 != 0 || headerSize > emf.size())
        return "an EMF header of " + std::to_string(headerSize) + " bytes";
    if (LoadLe<uint32_t>(emf, header::kSignature) != kEmfSignature) return "an EMF header without the \" EMF\" signature";
    if (LoadLe<uint32_t>(emf, header::kVersion) != kEmfVersion) return "an EMF header of an unknown version";
    if (LoadLe<uint32_t>(emf, header::kBytes) != emf.size())
        return "an EMF header whose byte count is not the page's size";
    const uint64_t descriptionChars = LoadLe<uint32_t>(emf, header::kDescriptionChars);
    const uint64_t descriptionOffset = LoadLe<uint32_t>(emf, header::kDescriptionOffset);
    if (descriptionChars > 0 &&
        (descriptionOffset < kEmfHeaderBaseSize || descriptionOffset + 2 * descriptionChars > headerSize))
        return "an EMF description outside the header";
    if (std::string why = CheckFrame(emf); !why.empty()) return why;
    const uint32_t records = LoadLe<uint32_t>(emf, header::kRecords);

    uint32_t count = 1;
    size_t offset = headerSize;
    bool ended = false;
    while (offset < emf.size()) {
        if (ended) return At(offset, "a record after EMR_EOF");
        if (emf.size() - offset < kEmfRecordHeaderSize) return At(offset, "a record cut short");
        const uint32_t type = LoadLe<uint32_t>(emf, offset);
        const uint32_t size = LoadLe<uint32_t>(emf, offset + 4);
        if (size < kEmfRecordHeaderSize || size % 4 != 0) return At(offset, "a record size of " + std::to_string(size));
        if (size > emf.size() - offset) return At(offset, "a record that runs past the end of the page");
        if (type == EMR_HEADER) return At(offset, "a second EMR_HEADER");
        if (size < MinimumSize(type)) return At(offset, "a record of type " + std::to_string(type) + " shorter than its fields");
        const auto record = emf.subspan(offset, size);
        if (type == EMR_EXTTEXTOUTW) {
            if (std::string why = CheckText(record); !why.empty()) return At(offset, why);
        } else if (type == EMR_EOF) {
            const uint64_t entries = LoadLe<uint32_t>(record, 8);
            const uint64_t entriesOffset = LoadLe<uint32_t>(record, 12);
            if (entries > 0 && (entriesOffset < 16 || entriesOffset + 4 * entries > size - 4))
                return At(offset, "palette entries outside EMR_EOF");
            ended = true;
        }
        ++count;
        offset += size;
    }
    if (!ended) return "a page without EMR_EOF";
    if (count != records)
        return "a page of " + std::to_string(count) + " records whose header counts " + std::to_string(records);
    return {};
}

EmfHeader ReadEmfHeader(std::span<const uint8_t> emf) {
    EmfHeader result;
    result.bounds = DecodeRect(emf, header::kBounds);
    result.frame = DecodeRect(emf, header::kFrame);
    result.device = {LoadLe<LONG>(emf, header::kDevice), LoadLe<LONG>(emf, header::kDevice + 4)};
    result.millimeters = {LoadLe<LONG>(emf, header::kMillimeters), LoadLe<LONG>(emf, header::kMillimeters + 4)};
    if (LoadLe<uint32_t>(emf, 4) >= kEmfHeaderExtension2Size)
        result.micrometers = {LoadLe<LONG>(emf, header::kMicrometers), LoadLe<LONG>(emf, header::kMicrometers + 4)};
    result.bytes = LoadLe<uint32_t>(emf, header::kBytes);
    result.records = LoadLe<uint32_t>(emf, header::kRecords);
    return result;
}

void ForEachRecord(std::span<const uint8_t> emf, const std::function<void(uint32_t, std::span<const uint8_t>)>& visit) {
    size_t offset = LoadLe<uint32_t>(emf, 4);
    while (offset + kEmfRecordHeaderSize <= emf.size()) {
        const uint32_t type = LoadLe<uint32_t>(emf, offset);
        const uint32_t size = LoadLe<uint32_t>(emf, offset + 4);
        if (size < kEmfRecordHeaderSize || size > emf.size() - offset) return;
        visit(type, emf.subspan(offset, size));
        offset += size;
    }
}

uint32_t RecordValue(std::span<const uint8_t> record, size_t offset) {
    return offset + 4 <= record.size() ? LoadLe<uint32_t>(record, offset) : 0;
}

RECTL DecodeRect(std::span<const uint8_t> record, size_t offset) {
    return RECTL{LoadLe<LONG>(record, offset), LoadLe<LONG>(record, offset + 4), LoadLe<LONG>(record, offset + 8),
                 LoadLe<LONG>(record, offset + 12)};
}

LogPen DecodePen(std::span<const uint8_t> record) {
    return LogPen{LoadLe<uint32_t>(record, 12), LoadLe<LONG>(record, 16), LoadLe<COLORREF>(record, 24)};
}

LOGFONTW DecodeFont(std::span<const uint8_t> record) {
    LOGFONTW font{};
    std::memcpy(&font, record.data() + kCreateFontFixedSize, sizeof font);
    font.lfFaceName[LF_FACESIZE - 1] = u'\0';
    return font;
}

ExtTextOut DecodeText(std::span<const uint8_t> record) {
    ExtTextOut result;
    result.reference = {LoadLe<LONG>(record, text::kReference), LoadLe<LONG>(record, text::kReference + 4)};
    result.options = LoadLe<uint32_t>(record, text::kOptions);
    if (!(result.options & ETO_NO_RECT)) result.rectangle = DecodeRect(record, text::kRectangle);
    const uint32_t chars = LoadLe<uint32_t>(record, text::kChars);
    const uint32_t stringOffset = LoadLe<uint32_t>(record, text::kStringOffset);
    result.text.resize(chars);
    if (chars > 0) std::memcpy(result.text.data(), record.data() + stringOffset, size_t{chars} * 2);
    return result;
}

}  // namespace palvex::emf
