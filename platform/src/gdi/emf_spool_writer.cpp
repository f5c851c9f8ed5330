// Spool files of numbered pages (palvex/spool_writer.h).
#include <palvex/spool_writer.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include <win/wingdi.h>

#include "gdi/devmode_bytes.h"
#include "gdi/emf_format.h"
#include "spooler/paper_forms.h"
#include "spooler/spool_progress.h"

namespace palvex {
namespace {

using namespace emf;

constexpr LONG kPageDpi = 600;

void PutU32(std::vector<BYTE>& bytes, uint32_t value) {
    const auto* at = reinterpret_cast<const BYTE*>(&value);
    bytes.insert(bytes.end(), at, at + 4);
}

void PutU64(std::vector<BYTE>& bytes, uint64_t value) {
    const auto* at = reinterpret_cast<const BYTE*>(&value);
    bytes.insert(bytes.end(), at, at + 8);
}

void PutBytes(std::vector<BYTE>& bytes, const void* data, size_t size) {
    const auto* at = static_cast<const BYTE*>(data);
    bytes.insert(bytes.end(), at, at + size);
}

void PadTo4(std::vector<BYTE>& bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

// Builds one EMF metafile record by record; the header's byte and record counts are filled in
// at the end.
class EmfBuilder {
public:
    void Record(uint32_t type, std::initializer_list<uint32_t> fields) {
        PutU32(m_bytes, type);
        PutU32(m_bytes, static_cast<uint32_t>(8 + 4 * fields.size()));
        for (uint32_t field : fields) PutU32(m_bytes, field);
        ++m_records;
    }
    void Raw(const std::vector<BYTE>& record) {
        m_bytes.insert(m_bytes.end(), record.begin(), record.end());
        ++m_records;
    }
    std::vector<BYTE> Finish() {
        const auto size = static_cast<uint32_t>(m_bytes.size());
        std::memcpy(m_bytes.data() + header::kBytes, &size, 4);
        std::memcpy(m_bytes.data() + header::kRecords, &m_records, 4);
        return std::move(m_bytes);
    }

private:
    std::vector<BYTE> m_bytes;
    uint32_t m_records = 0;
};

uint32_t U(LONG value) {
    return static_cast<uint32_t>(value);
}

// The page size in micrometres of the DEVMODE's paper (A4 when it names none this platform knows).
SIZE PaperMicrometres(const std::vector<BYTE>& devMode) {
    short paper = DMPAPER_A4;
    if (devMode.size() >= offsetof(DEVMODEW, dmPaperSize) + 2) std::memcpy(&paper, devMode.data() + offsetof(DEVMODEW, dmPaperSize), 2);
    const paper::StandardForm* form = paper::FindStandardForm(paper);
    if (!form) form = paper::FindStandardForm(DMPAPER_A4);
    return SIZE{form->width, form->height};
}

std::vector<BYTE> PageMetafile(DWORD number, const std::vector<BYTE>& devMode, bool landscape) {
    SIZE micrometres = PaperMicrometres(devMode);
    if (landscape != (micrometres.cx > micrometres.cy)) std::swap(micrometres.cx, micrometres.cy);
    const LONG width = static_cast<LONG>((int64_t{micrometres.cx} * kPageDpi + 12700) / 25400);
    const LONG height = static_cast<LONG>((int64_t{micrometres.cy} * kPageDpi + 12700) / 25400);
    const LONG margin = kPageDpi / 2;
    const LONG digits = std::min(width, height) / 3;

    EmfBuilder emf;
    emf.Record(EMR_HEADER, {0, 0, U(width - 1), U(height - 1),                                       // bounds
                            0, 0, U(micrometres.cx / 10 - 1), U(micrometres.cy / 10 - 1),            // frame
                            kEmfSignature, kEmfVersion, 0, 0,                                          // bytes, records
                            3,                                                                         // handles, reserved
                            0, 0, 0,                                                                   // description, palette
                            U(width), U(height), U(micrometres.cx / 1000), U(micrometres.cy / 1000),  // device, mm
                            0, 0, 0,                                                                   // pixel format, OpenGL
                            U(micrometres.cx), U(micrometres.cy)});
    emf.Record(EMR_CREATEPEN, {1, 0 /* PS_SOLID */, 12, 0, 0x000000});
    emf.Record(EMR_SELECTOBJECT, {1});
    emf.Record(EMR_SELECTOBJECT, {kStockObject | kNullBrush});
    emf.Record(EMR_RECTANGLE, {U(margin), U(margin), U(width - margin), U(height - margin)});
    emf.Record(EMR_MOVETOEX, {U(margin), U(2 * margin)});
    emf.Record(EMR_LINETO, {U(width - margin), U(2 * margin)});

    std::vector<BYTE> font;
    PutU32(font, EMR_EXTCREATEFONTINDIRECTW);
    PutU32(font, static_cast<uint32_t>(kCreateFontFixedSize + kLogFontExDvSize));
    PutU32(font, 2);
    LOGFONTW logFont{};
    logFont.lfHeight = -digits;
    logFont.lfWeight = FW_BOLD;
    logFont.lfPitchAndFamily = 2;  // VARIABLE_PITCH
    std::memcpy(logFont.lfFaceName, u"Arial", sizeof(u"Arial"));
    PutBytes(font, &logFont, sizeof logFont);
    font.resize(font.size() + kLogFontExDvSize - kLogFontSize - 8, 0);  // full name, style, script
    PutU32(font, kDesignVectorSignature);
    PutU32(font, 0);  // no design axes
    emf.Raw(font);
    emf.Record(EMR_SELECTOBJECT, {2});
    emf.Record(EMR_SETTEXTALIGN, {TA_CENTER | TA_BASELINE});
    emf.Record(EMR_SETBKMODE, {TRANSPARENT});
    emf.Record(EMR_SETTEXTCOLOR, {0x000000});

    const std::u16string text = [&] {
        std::u16string digitsText;
        for (char c : std::to_string(number)) digitsText += static_cast<char16_t>(c);
        return digitsText;
    }();
    std::vector<BYTE> record;
    PutU32(record, EMR_EXTTEXTOUTW);
    PutU32(record, 0);  // size, below
    for (uint32_t field : {0u, 0u, 0xFFFFFFFFu, 0xFFFFFFFFu}) PutU32(record, field);  // bounds not computed
    PutU32(record, GM_COMPATIBLE);
    PutU32(record, 0);  // exScale
    PutU32(record, 0);  // eyScale
    PutU32(record, U(width / 2));
    PutU32(record, U(height / 2 + digits / 3));
    PutU32(record, static_cast<uint32_t>(text.size()));
    PutU32(record, static_cast<uint32_t>(text::kFixedSize));
    PutU32(record, 0);  // options
    for (uint32_t field : {0u, 0u, 0xFFFFFFFFu, 0xFFFFFFFFu}) PutU32(record, field);  // no rectangle
    PutU32(record, 0);  // no spacing array
    PutBytes(record, text.data(), text.size() * 2);
    PadTo4(record);
    const auto recordSize = static_cast<uint32_t>(record.size());
    std::memcpy(record.data() + 4, &recordSize, 4);
    emf.Raw(record);

    emf.Record(EMR_SELECTOBJECT, {kStockObject | kBlackPen});
    emf.Record(EMR_DELETEOBJECT, {1});
    emf.Record(EMR_SELECTOBJECT, {kStockObject | 13 /* SYSTEM_FONT */});
    emf.Record(EMR_DELETEOBJECT, {2});
    emf.Record(EMR_EOF, {0, 16, static_cast<uint32_t>(kEofSize)});
    return emf.Finish();
}

void AppendRecord(std::vector<BYTE>& file, uint32_t type, const std::vector<BYTE>& data) {
    PutU32(file, type);
    PutU32(file, static_cast<uint32_t>((data.size() + 3) / 4 * 4));
    file.insert(file.end(), data.begin(), data.end());
    PadTo4(file);
}

void CheckDevMode(const std::vector<BYTE>& devMode) {
    if (!devMode.empty() && !IsWholeDevMode(devMode))
        throw std::invalid_argument("a DEVMODE whose dmSize + dmDriverExtra is not its length");
}

std::vector<BYTE> HeaderBytes(const SpoolDocumentDesc& document) {
    std::vector<BYTE> header;
    PutU32(header, kSpoolVersion);
    PutU32(header, 0);  // size, below
    PutU32(header, 0);
    PutU32(header, 0);
    if (!document.documentName.empty()) {
        const auto offset = static_cast<uint32_t>(header.size());
        std::memcpy(header.data() + 8, &offset, 4);
        PutBytes(header, document.documentName.c_str(), (document.documentName.size() + 1) * 2);
    }
    if (!document.outputName.empty()) {
        const auto offset = static_cast<uint32_t>(header.size());
        std::memcpy(header.data() + 12, &offset, 4);
        PutBytes(header, document.outputName.c_str(), (document.outputName.size() + 1) * 2);
    }
    PadTo4(header);
    const auto size = static_cast<uint32_t>(header.size());
    std::memcpy(header.data() + 4, &size, 4);
    return header;
}

// The records of one page: its DEVMODE when it changed, its metafile and the offset record.
std::vector<BYTE> PageBytes(const SpoolDocumentDesc& document, const SpoolPageDesc& page, DWORD position,
                            std::vector<BYTE>& previousDevMode) {
    CheckDevMode(page.devMode);
    std::vector<BYTE> devMode = page.devMode;
    if (devMode.empty()) {
        devMode = document.devMode.empty() ? MakeDevMode() : document.devMode;
        const short orientation = page.landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        std::memcpy(devMode.data() + offsetof(DEVMODEW, dmOrientation), &orientation, 2);
        DWORD fields = 0;
        std::memcpy(&fields, devMode.data() + offsetof(DEVMODEW, dmFields), 4);
        fields |= DM_ORIENTATION;
        std::memcpy(devMode.data() + offsetof(DEVMODEW, dmFields), &fields, 4);
    }
    std::vector<BYTE> bytes;
    if (devMode != previousDevMode) {
        AppendRecord(bytes, EMRI_DEVMODE, devMode);
        previousDevMode = devMode;
    }
    const size_t pageStart = bytes.size();
    AppendRecord(bytes, EMRI_METAFILE_DATA, PageMetafile(page.number ? page.number : position, devMode, page.landscape));
    const uint64_t back = bytes.size() - pageStart;
    PutU32(bytes, EMRI_METAFILE_EXT);
    PutU32(bytes, 8);
    PutU64(bytes, back);
    return bytes;
}

void AppendToFile(const std::filesystem::path& file, const std::vector<BYTE>& bytes, bool truncate) {
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | (truncate ? std::ios::trunc : std::ios::app));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw std::runtime_error("cannot write the spool file " + file.string());
}

}  // namespace

std::vector<BYTE> MakeDevMode(short paperSize, bool landscape) {
    DEVMODEW devMode{};
    std::memcpy(devMode.dmDeviceName, u"Palvex", sizeof(u"Palvex"));
    devMode.dmSpecVersion = DM_SPECVERSION;
    devMode.dmSize = sizeof(DEVMODEW);
    devMode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_PRINTQUALITY | DM_YRESOLUTION | DM_DUPLEX |
                       DM_COLLATE;
    devMode.dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    devMode.dmPaperSize = paperSize;
    devMode.dmCopies = 1;
    devMode.dmPrintQuality = kPageDpi;
    devMode.dmYResolution = kPageDpi;
    devMode.dmDuplex = DMDUP_SIMPLEX;
    devMode.dmCollate = DMCOLLATE_FALSE;
    std::vector<BYTE> bytes(sizeof devMode);
    std::memcpy(bytes.data(), &devMode, sizeof devMode);
    return bytes;
}

SpoolDocumentDesc NumberedPages(DWORD count, const std::vector<DWORD>& landscapePages) {
    SpoolDocumentDesc document;
    for (DWORD number = 1; number <= count; ++number) {
        SpoolPageDesc page;
        page.number = number;
        page.landscape = std::find(landscapePages.begin(), landscapePages.end(), number) != landscapePages.end();
        document.pages.push_back(page);
    }
    return document;
}

std::vector<BYTE> SpoolFileBytes(const SpoolDocumentDesc& document) {
    CheckDevMode(document.devMode);
    std::vector<BYTE> bytes = HeaderBytes(document);
    std::vector<BYTE> previousDevMode;
    DWORD position = 0;
    for (const auto& page : document.pages) {
        const auto pageBytes = PageBytes(document, page, ++position, previousDevMode);
        bytes.insert(bytes.end(), pageBytes.begin(), pageBytes.end());
    }
    return bytes;
}

void WriteSpoolFile(const std::filesystem::path& file, const SpoolDocumentDesc& document) {
    AppendToFile(file, SpoolFileBytes(document), true);
}

SpoolFileWriter::SpoolFileWriter(std::filesystem::path file, const SpoolDocumentDesc& document)
    : m_file(std::move(file)), m_document(document) {
    CheckDevMode(m_document.devMode);
    m_document.pages.clear();
    spool::MarkSpooling(m_file);
    AppendToFile(m_file, HeaderBytes(m_document), true);
    spool::NotifySpoolChanged();
}

SpoolFileWriter::~SpoolFileWriter() {
    try {
        Finish();
    } catch (...) {
        // The machine may be gone already; nothing waits on it then.
    }
}

void SpoolFileWriter::AddPage(const SpoolPageDesc& page) {
    if (m_finished) throw std::logic_error("the spool file is finished");
    AppendToFile(m_file, PageBytes(m_document, page, ++m_pages, m_previousDevMode), false);
    spool::NotifySpoolChanged();
}

void SpoolFileWriter::Finish() {
    if (m_finished) return;
    m_finished = true;
    spool::MarkSpooled(m_file);
}

}  // namespace palvex
