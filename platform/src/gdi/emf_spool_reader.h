// The strict reader of EMF spool files (internal to the platform library).
//
// A spool file is read as it grows: each Refresh takes the bytes added since the last one and
// reads every record that is whole. While the file is still being spooled a record cut short is
// simply not there yet; once the spooler has finished it, bytes that do not make a whole record
// are an error. Every length is checked against the bytes held before it is used, and the first
// fault stops the reader with a text that says where and what.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The reader is exported for the platform's own tests of it.
#define PALVEX_SPOOL_READER_API __attribute__((visibility("default")))

namespace palvex::emf {

// A page of the file. Its metafile (checked) is the first emfSize bytes of its record's data.
struct SpoolPage {
    uint64_t offset = 0;      // of the page's record in the file
    uint32_t recordType = 0;  // EMRI_METAFILE_DATA, EMRI_BW_METAFILE, ...
    uint32_t emfSize = 0;
    int devMode = -1;         // index of the DEVMODE in effect, -1 before the first EMRI_DEVMODE
};

// Parses the bytes of a spool file fed to it in order.
class PALVEX_SPOOL_READER_API SpoolParser {
public:
    // keepPages: keep each page's metafile (pageData); otherwise a page is only located, and its
    // bytes are dropped once read, so that a long file holds nothing per page.
    explicit SpoolParser(bool keepPages = true) : m_keepPages(keepPages) {}

    // Adds the next bytes of the file and reads every whole record. complete: no more bytes will
    // come. Returns false (and error() says why) on the first fault; it stays failed.
    bool Feed(std::span<const uint8_t> bytes, bool complete);

    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    bool headerRead() const { return m_headerRead; }
    // True once complete bytes were all read without fault.
    bool finished() const { return m_finished; }
    const std::u16string& documentName() const { return m_documentName; }
    const std::u16string& outputName() const { return m_outputName; }
    const std::vector<SpoolPage>& pages() const { return m_pages; }
    // The metafile of page index (from 0) when the parser keeps pages, else null.
    std::shared_ptr<const std::vector<uint8_t>> pageData(size_t index) const {
        return index < m_pageData.size() ? m_pageData[index] : nullptr;
    }
    // Each EMRI_DEVMODE record's DEVMODE (dmSize + dmDriverExtra bytes), in file order.
    const std::vector<std::shared_ptr<const std::vector<uint8_t>>>& devModes() const { return m_devModes; }

private:
    bool Fail(uint64_t offset, const std::string& what);
    // Reads the header from the buffer; false when it is not whole yet or failed.
    bool ReadHeader(bool complete);
    // Reads one record at the buffer's start; false when it is not whole yet or failed.
    bool ReadRecord(bool complete);
    bool ReadString(std::span<const uint8_t> header, uint32_t offset, const char* what, std::u16string* text);

    std::vector<uint8_t> m_buffer;  // bytes fed and not dropped yet
    size_t m_position = 0;          // the first byte of m_buffer not read yet
    uint64_t m_bufferOffset = 0;    // the file offset of m_buffer[m_position]
    bool m_headerRead = false;
    bool m_finished = false;
    std::string m_error;
    std::u16string m_documentName;
    std::u16string m_outputName;
    bool m_keepPages;
    std::vector<SpoolPage> m_pages;
    std::vector<std::shared_ptr<const std::vector<uint8_t>>> m_pageData;  // with m_keepPages
    std::vector<bool> m_pageHasOffsetRecord;
    std::vector<std::shared_ptr<const std::vector<uint8_t>>> m_devModes;
};

// A spool file on disk read through a SpoolParser that keeps no page's bytes: a page's metafile is
// read from the file when it is asked for.
class PALVEX_SPOOL_READER_API SpoolFileReader {
public:
    explicit SpoolFileReader(std::filesystem::path file) : m_file(std::move(file)), m_parser(false) {}

    // Reads what was added to the file since the last call. complete: the spooler has finished
    // the file (until then a missing file is one not made yet). False when the file cannot be
    // read (error() says why) or the parser failed.
    bool Refresh(bool complete);

    const std::filesystem::path& file() const { return m_file; }
    const SpoolParser& parser() const { return m_parser; }
    // The metafile of a page read so far (index from 0), read from the file and checked again;
    // null when it cannot be read or is no longer what was read before (error() says why).
    std::shared_ptr<const std::vector<uint8_t>> ReadPage(size_t index);
    const std::string& error() const { return m_error.empty() ? m_parser.error() : m_error; }
    bool missing() const { return m_missing; }

private:
    std::filesystem::path m_file;
    uint64_t m_read = 0;
    SpoolParser m_parser;
    std::string m_error;
    bool m_missing = false;
};

// A whole spool file read at once, or an error text.
struct SpoolContents {
    std::string error;
    SpoolParser parser;
};
PALVEX_SPOOL_READER_API SpoolContents ParseSpoolBytes(std::span<const uint8_t> bytes);

}  // namespace palvex::emf
