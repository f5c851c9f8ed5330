// The EMF spool file reader.
#include "gdi/emf_spool_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <win/wingdi_devmode.h>

#include "gdi/emf_format.h"
#include "gdi/emf_page.h"

namespace palvex::emf {
namespace {

const char* RecordName(uint32_t type) {
    switch (type) {
    case EMRI_METAFILE: return "EMRI_METAFILE";
    case EMRI_ENGINE_FONT: return "EMRI_ENGINE_FONT";
    case EMRI_DEVMODE: return "EMRI_DEVMODE";
    case EMRI_TYPE1_FONT: return "EMRI_TYPE1_FONT";
    case EMRI_PRESTARTPAGE: return "EMRI_PRESTARTPAGE";
    case EMRI_DESIGNVECTOR: return "EMRI_DESIGNVECTOR";
    case EMRI_SUBSET_FONT: return "EMRI_SUBSET_FONT";
    case EMRI_DELTA_FONT: return "EMRI_DELTA_FONT";
    case EMRI_FORM_METAFILE: return "EMRI_FORM_METAFILE";
    case EMRI_BW_METAFILE: return "EMRI_BW_METAFILE";
    case EMRI_BW_FORM_METAFILE: return "EMRI_BW_FORM_METAFILE";
    case EMRI_METAFILE_DATA: return "EMRI_METAFILE_DATA";
    case EMRI_METAFILE_EXT: return "EMRI_METAFILE_EXT";
    case EMRI_BW_METAFILE_EXT: return "EMRI_BW_METAFILE_EXT";
    case EMRI_ENGINE_FONT_EXT: return "EMRI_ENGINE_FONT_EXT";
    case EMRI_TYPE1_FONT_EXT: return "EMRI_TYPE1_FONT_EXT";
    case EMRI_DESIGNVECTOR_EXT: return "EMRI_DESIGNVECTOR_EXT";
    case EMRI_SUBSET_FONT_EXT: return "EMRI_SUBSET_FONT_EXT";
    case EMRI_DELTA_FONT_EXT: return "EMRI_DELTA_FONT_EXT";
    case EMRI_PS_JOB_DATA: return "EMRI_PS_JOB_DATA";
    case EMRI_EMBED_FONT_EXT: return "EMRI_EMBED_FONT_EXT";
    default: return nullptr;
    }
}

bool IsPageRecord(uint32_t type) {
    return type == EMRI_METAFILE || type == EMRI_FORM_METAFILE || type == EMRI_BW_METAFILE ||
           type == EMRI_BW_FORM_METAFILE || type == EMRI_METAFILE_DATA;
}

bool IsFontOffsetRecord(uint32_t type) {
    return (type >= EMRI_ENGINE_FONT_EXT && type <= EMRI_DELTA_FONT_EXT) || type == EMRI_EMBED_FONT_EXT;
}

}  // namespace

bool SpoolParser::Fail(uint64_t offset, const std::string& what) {
    m_error = "byte " + std::to_string(offset) + ": " + what;
    m_buffer.clear();
    m_position = 0;
    return false;
}

bool SpoolParser::Feed(std::span<const uint8_t> bytes, bool complete) {
    if (failed()) return false;
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    if (m_headerRead || ReadHeader(complete)) {
        while (m_position < m_buffer.size() && ReadRecord(complete)) {
        }
    }
    if (failed()) return false;
    // Drop what was read, keeping the start of a record not yet whole.
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_position));
    m_position = 0;
    if (complete && m_headerRead && m_buffer.empty()) {
        // Each page of the current kinds is followed by its offset record; a file that ends
        // without one was cut after the page.
        for (size_t i = 0; i < m_pages.size(); ++i)
            if (!m_pageHasOffsetRecord[i] &&
                (m_pages[i].recordType == EMRI_METAFILE_DATA || m_pages[i].recordType == EMRI_BW_METAFILE))
                return Fail(m_pages[i].offset, "page " + std::to_string(i + 1) + " has no offset record after it");
        m_finished = true;
    }
    return true;
}

bool SpoolParser::ReadString(std::span<const uint8_t> header, uint32_t offset, const char* what, std::u16string* text) {
    if (offset == 0) return true;
    if (offset < kSpoolHeaderFixedSize || offset % 2 != 0 || offset >= header.size())
        return Fail(0, std::string("the header's ") + what + " lies outside the header");
    text->clear();
    for (size_t at = offset; at + 2 <= header.size(); at += 2) {
        const char16_t unit = LoadLe<char16_t>(header, at);
        if (unit == 0) return true;
        text->push_back(unit);
    }
    return Fail(0, std::string("the header's ") + what + " has no end inside the header");
}

bool SpoolParser::ReadHeader(bool complete) {
    const auto bytes = std::span<const uint8_t>(m_buffer).subspan(m_position);
    if (bytes.size() < kSpoolHeaderFixedSize) {
        if (complete) return Fail(0, "the file is shorter than the spool header (" + std::to_string(bytes.size()) + " bytes)");
        return false;
    }
    if (LoadLe<uint32_t>(bytes, 0) != kSpoolVersion) return Fail(0, "not an EMF spool file (unknown version)");
    const uint32_t size = LoadLe<uint32_t>(bytes, 4);
    if (size < kSpoolHeaderFixedSize || size % 4 != 0) return Fail(0, "a spool header size of " + std::to_string(size));
    if (size > bytes.size()) {
        if (complete) return Fail(0, "the spool header of " + std::to_string(size) + " bytes is cut short");
        return false;
    }
    const auto header = bytes.first(size);
    if (!ReadString(header, LoadLe<uint32_t>(header, 8), "document name", &m_documentName)) return false;
    if (!ReadString(header, LoadLe<uint32_t>(header, 12), "output name", &m_outputName)) return false;
    m_position += size;
    m_bufferOffset = size;
    m_headerRead = true;
    return true;
}

bool SpoolParser::ReadRecord(bool complete) {
    const auto bytes = std::span<const uint8_t>(m_buffer).subspan(m_position);
    const uint64_t offset = m_bufferOffset;
    if (bytes.size() < kSpoolRecordHeaderSize) {
        if (complete) return Fail(offset, "a record header cut short");
        return false;
    }
    const uint32_t type = LoadLe<uint32_t>(bytes, 0);
    const uint32_t size = LoadLe<uint32_t>(bytes, 4);
    const char* name = RecordName(type);
    if (!name) return Fail(offset, "a record of unknown type " + std::to_string(type));
    if (size % 4 != 0) return Fail(offset, std::string(name) + " of " + std::to_string(size) + " bytes, not a multiple of 4");
    if (size > bytes.size() - kSpoolRecordHeaderSize) {
        if (complete)
            return Fail(offset, std::string(name) + " needs " + std::to_string(size) + " bytes, the file has " +
                                    std::to_string(bytes.size() - kSpoolRecordHeaderSize) + " left");
        return false;
    }
    const auto data = bytes.subspan(kSpoolRecordHeaderSize, size);

    if (IsPageRecord(type)) {
        const auto count = EmfByteCount(data);
        if (!count || *count > data.size() || data.size() - *count >= 4)
            return Fail(offset, std::string(name) + " does not hold one EMF metafile");
        const auto emf = data.first(*count);
        if (std::string why = CheckEmf(emf); !why.empty())
            return Fail(offset, "page " + std::to_string(m_pages.size() + 1) + ": " + why);
        SpoolPage page;
        page.offset = offset;
        page.recordType = type;
        page.emfSize = static_cast<uint32_t>(emf.size());
        page.devMode = static_cast<int>(m_devModes.size()) - 1;
        if (m_keepPages) m_pageData.push_back(std::make_shared<const std::vector<uint8_t>>(emf.begin(), emf.end()));
        m_pages.push_back(page);
        m_pageHasOffsetRecord.push_back(false);
    } else if (type == EMRI_DEVMODE) {
        constexpr size_t kSizeFieldsEnd = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);
        if (data.size() < kSizeFieldsEnd) return Fail(offset, "EMRI_DEVMODE shorter than a DEVMODE's size fields");
        const size_t dmSize = LoadLe<WORD>(data, offsetof(DEVMODEW, dmSize));
        const size_t dmExtra = LoadLe<WORD>(data, offsetof(DEVMODEW, dmDriverExtra));
        if (dmSize < kSizeFieldsEnd || dmSize + dmExtra > data.size() || data.size() - (dmSize + dmExtra) >= 4)
            return Fail(offset, "EMRI_DEVMODE of " + std::to_string(data.size()) + " bytes holds a DEVMODE of " +
                                    std::to_string(dmSize) + " + " + std::to_string(dmExtra) + " bytes");
        m_devModes.push_back(std::make_shared<const std::vector<uint8_t>>(data.begin(), data.begin() + dmSize + dmExtra));
    } else if (type == EMRI_METAFILE_EXT || type == EMRI_BW_METAFILE_EXT) {
        if (size != 8) return Fail(offset, std::string(name) + " of " + std::to_string(size) + " bytes");
        const uint64_t back = LoadLe<uint64_t>(data, 0);
        const uint64_t target = back <= offset ? offset - back : UINT64_MAX;
        const auto it = std::lower_bound(m_pages.begin(), m_pages.end(), target,
                                         [](const SpoolPage& page, uint64_t at) { return page.offset < at; });
        if (back == 0 || it == m_pages.end() || it->offset != target)
            return Fail(offset, std::string(name) + " does not point back at a page");
        const size_t index = static_cast<size_t>(it - m_pages.begin());
        if (m_pageHasOffsetRecord[index]) return Fail(offset, std::string(name) + " points at a page that already has one");
        m_pageHasOffsetRecord[index] = true;
    } else if (IsFontOffsetRecord(type)) {
        if (size != 8) return Fail(offset, std::string(name) + " of " + std::to_string(size) + " bytes");
        const uint64_t back = LoadLe<uint64_t>(data, 0);
        if (back == 0 || back > offset) return Fail(offset, std::string(name) + " points outside the file");
    } else if (type == EMRI_PRESTARTPAGE) {
        if (size != 8) return Fail(offset, std::string(name) + " of " + std::to_string(size) + " bytes");
    }
    // Font definitions and PostScript job data are not used here; their length was checked.

    const size_t whole = kSpoolRecordHeaderSize + size;
    m_position += whole;
    m_bufferOffset += whole;
    return true;
}

bool SpoolFileReader::Refresh(bool complete) {
    if (!m_error.empty() || m_parser.failed()) return false;
    const int fd = ::open(m_file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_missing = errno == ENOENT || errno == ENOTDIR;
        if (m_missing && !complete) return true;  // the spooler has not made it yet
        m_error = "cannot open " + m_file.string() + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> chunk(64 * 1024);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::pread(fd, chunk.data(), chunk.size(), static_cast<off_t>(m_read));
        if (got < 0) {
            if (errno == EINTR) continue;
            m_error = "cannot read " + m_file.string() + ": " + std::strerror(errno);
            ok = false;
            break;
        }
        if (got == 0) break;
        m_read += static_cast<uint64_t>(got);
        if (!m_parser.Feed(std::span<const uint8_t>(chunk.data(), static_cast<size_t>(got)), false)) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    if (ok && complete) ok = m_parser.Feed({}, true);
    return ok;
}

std::shared_ptr<const std::vector<uint8_t>> SpoolFileReader::ReadPage(size_t index) {
    const auto& pages = m_parser.pages();
    if (index >= pages.size()) return nullptr;
    const SpoolPage& page = pages[index];
    const int fd = ::open(m_file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_error = "cannot open " + m_file.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    auto bytes = std::make_shared<std::vector<uint8_t>>(page.emfSize);
    size_t filled = 0;
    while (filled < bytes->size()) {
        const ssize_t got = ::pread(fd, bytes->data() + filled, bytes->size() - filled,
                                    static_cast<off_t>(page.offset + kSpoolRecordHeaderSize + filled));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    // The file was read whole before: a page that no longer reads back as a metafile was changed
    // under the reader.
    if (filled != bytes->size() || !CheckEmf(*bytes).empty()) {
        m_error = "page " + std::to_string(index + 1) + " of " + m_file.string() + " changed after it was read";
        return nullptr;
    }
    return bytes;
}

SpoolContents ParseSpoolBytes(std::span<const uint8_t> bytes) {
    SpoolContents contents;
    contents.parser.Feed(bytes, true);
    contents.error = contents.parser.error();
    return contents;
}

}  // namespace palvex::emf
