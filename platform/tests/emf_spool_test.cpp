// EMF spool files: the bytes the writer makes, checked field by field against the format, the
// reader's view of them, and malformed or cut files refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <palvex/spool_writer.h>
#include <win/windows.h>

#include "../src/gdi/emf_spool_reader.h"

namespace {

uint32_t U32(const std::vector<BYTE>& bytes, size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

int32_t I32(const std::vector<BYTE>& bytes, size_t offset) {
    return static_cast<int32_t>(U32(bytes, offset));
}

uint64_t U64(const std::vector<BYTE>& bytes, size_t offset) {
    uint64_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 8);
    return value;
}

void Put32(std::vector<BYTE>& bytes, size_t offset, uint32_t value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}

std::vector<BYTE> Utf16Bytes(const std::u16string& text) {
    std::vector<BYTE> bytes((text.size() + 1) * 2, 0);
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    return bytes;
}

palvex::SpoolDocumentDesc Document(DWORD pages, const std::vector<DWORD>& landscape = {}) {
    auto document = palvex::NumberedPages(pages, landscape);
    document.documentName = u"Doc";
    document.outputName = u"LPT1:";
    return document;
}

// The layout of a file of Document(): the header is 16 bytes, "Doc" and its end 8, "LPT1:" and
// its end 12, so 36 bytes. The first page's DEVMODE record (8 + 220) follows, then the page's
// EMRI_METAFILE_DATA at 264. A page's metafile is 780 bytes in 18 records: header 108, pen 28,
// two selections 24, rectangle 24, move and line 32, font 368, selection, alignment, background
// and colour 48, the text of one digit 76 + 2 rounded to 80, two selections and two deletions 48,
// EMR_EOF 20. Its offset record follows at 264 + 8 + 780 = 1052.
constexpr size_t kHeaderSize = 36;
constexpr size_t kFirstPage = kHeaderSize + 8 + 220;
constexpr uint32_t kPageBytes = 780;
constexpr size_t kFirstOffsetRecord = kFirstPage + 8 + kPageBytes;
constexpr size_t kSecondPage = kFirstOffsetRecord + 16;

TEST(EmfSpoolFileTest, TheHeaderHoldsTheNamesAtTheirOffsets) {
    const auto bytes = palvex::SpoolFileBytes(Document(0));
    ASSERT_EQ(bytes.size(), kHeaderSize);
    EXPECT_EQ(U32(bytes, 0), 0x00010000u);
    EXPECT_EQ(U32(bytes, 4), 36u);
    EXPECT_EQ(U32(bytes, 8), 16u);
    EXPECT_EQ(U32(bytes, 12), 24u);
    EXPECT_EQ(std::vector<BYTE>(bytes.begin() + 16, bytes.begin() + 24), Utf16Bytes(u"Doc"));
    EXPECT_EQ(std::vector<BYTE>(bytes.begin() + 24, bytes.end()), Utf16Bytes(u"LPT1:"));

    // "Docs" and its end are 10 bytes: the header is padded to 28, and without an output name
    // its offset is 0.
    palvex::SpoolDocumentDesc odd;
    odd.documentName = u"Docs";
    const auto padded = palvex::SpoolFileBytes(odd);
    ASSERT_EQ(padded.size(), 28u);
    EXPECT_EQ(U32(padded, 4), 28u);
    EXPECT_EQ(U32(padded, 8), 16u);
    EXPECT_EQ(U32(padded, 12), 0u);
    EXPECT_EQ(padded[26], 0);
    EXPECT_EQ(padded[27], 0);
}

TEST(EmfSpoolFileTest, APageIsItsDevmodeItsMetafileAndTheOffsetBackToIt) {
    const auto bytes = palvex::SpoolFileBytes(Document(1));
    ASSERT_EQ(bytes.size(), kFirstOffsetRecord + 16);
    // EMRI_DEVMODE: the 220 bytes of the public DEVMODE, A4 portrait at 600 dots per inch.
    EXPECT_EQ(U32(bytes, kHeaderSize), 3u);
    EXPECT_EQ(U32(bytes, kHeaderSize + 4), 220u);
    DEVMODEW devMode;
    std::memcpy(&devMode, bytes.data() + kHeaderSize + 8, sizeof devMode);
    EXPECT_EQ(devMode.dmSize, 220);
    EXPECT_EQ(devMode.dmDriverExtra, 0);
    EXPECT_EQ(devMode.dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(devMode.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(devMode.dmPrintQuality, 600);
    EXPECT_TRUE(devMode.dmFields & DM_ORIENTATION);
    // EMRI_METAFILE_DATA and the metafile's header.
    EXPECT_EQ(U32(bytes, kFirstPage), 0x0Cu);
    EXPECT_EQ(U32(bytes, kFirstPage + 4), kPageBytes);
    const size_t emf = kFirstPage + 8;
    EXPECT_EQ(U32(bytes, emf), 1u);     // EMR_HEADER
    EXPECT_EQ(U32(bytes, emf + 4), 108u);
    // Bounds: the A4 sheet at 600 dots per inch, 2100 x 2970 tenths of a millimetre, is
    // 4961 x 7016 pixels (rounded); the frame is in hundredths of a millimetre. Both inclusive.
    EXPECT_EQ(I32(bytes, emf + 8), 0);
    EXPECT_EQ(I32(bytes, emf + 16), 4960);
    EXPECT_EQ(I32(bytes, emf + 20), 7015);
    EXPECT_EQ(I32(bytes, emf + 32), 20999);
    EXPECT_EQ(I32(bytes, emf + 36), 29699);
    EXPECT_EQ(U32(bytes, emf + 40), 0x464D4520u);  // " EMF"
    EXPECT_EQ(U32(bytes, emf + 44), 0x00010000u);
    EXPECT_EQ(U32(bytes, emf + 48), kPageBytes);
    EXPECT_EQ(U32(bytes, emf + 52), 18u);
    EXPECT_EQ(U32(bytes, emf + 56), 3u);            // pen and font, and the reserved slot 0
    EXPECT_EQ(I32(bytes, emf + 72), 4961);          // device
    EXPECT_EQ(I32(bytes, emf + 76), 7016);
    EXPECT_EQ(I32(bytes, emf + 80), 210);           // millimetres
    EXPECT_EQ(I32(bytes, emf + 84), 297);
    EXPECT_EQ(I32(bytes, emf + 100), 210000);       // micrometres
    EXPECT_EQ(I32(bytes, emf + 104), 297000);
    // The frame: EMR_RECTANGLE half an inch (300 pixels) inside the sheet, after the pen (28) and
    // two selections (24).
    const size_t rectangle = emf + 108 + 28 + 24;
    EXPECT_EQ(U32(bytes, rectangle), 43u);
    EXPECT_EQ(U32(bytes, rectangle + 4), 24u);
    EXPECT_EQ(I32(bytes, rectangle + 8), 300);
    EXPECT_EQ(I32(bytes, rectangle + 20), 7016 - 300);
    // The font is a third of the sheet's width high (1653 pixels), bold.
    const size_t font = rectangle + 24 + 32;
    EXPECT_EQ(U32(bytes, font), 82u);
    EXPECT_EQ(U32(bytes, font + 4), 368u);
    EXPECT_EQ(U32(bytes, font + 8), 2u);
    EXPECT_EQ(I32(bytes, font + 12), -1653);
    EXPECT_EQ(I32(bytes, font + 12 + 16), 700);
    EXPECT_EQ(U32(bytes, font + 12 + 356 - 8), 0x08007664u);  // the design vector's signature
    // The number, centred on its baseline at (4961 / 2, 7016 / 2 + 1653 / 3).
    const size_t text = font + 368 + 48;
    EXPECT_EQ(U32(bytes, text), 84u);
    EXPECT_EQ(U32(bytes, text + 4), 80u);
    EXPECT_EQ(I32(bytes, text + 36), 2480);
    EXPECT_EQ(I32(bytes, text + 40), 4059);
    EXPECT_EQ(U32(bytes, text + 44), 1u);   // one character
    EXPECT_EQ(U32(bytes, text + 48), 76u);  // right after the fixed part
    EXPECT_EQ(bytes[text + 76], '1');
    EXPECT_EQ(bytes[text + 77], 0);
    // EMR_EOF ends the metafile: no palette, its offset 16 and the record's size again.
    const size_t eof = emf + kPageBytes - 20;
    EXPECT_EQ(U32(bytes, eof), 14u);
    EXPECT_EQ(U32(bytes, eof + 4), 20u);
    EXPECT_EQ(U32(bytes, eof + 8), 0u);
    EXPECT_EQ(U32(bytes, eof + 12), 16u);
    EXPECT_EQ(U32(bytes, eof + 16), 20u);
    // EMRI_METAFILE_EXT counts back to the start of the page's record.
    EXPECT_EQ(U32(bytes, kFirstOffsetRecord), 0x0Du);
    EXPECT_EQ(U32(bytes, kFirstOffsetRecord + 4), 8u);
    EXPECT_EQ(U64(bytes, kFirstOffsetRecord + 8), kFirstOffsetRecord - kFirstPage);
}

TEST(EmfSpoolFileTest, ADevmodeRecordComesOnlyWhenThePageDevmodeChanges) {
    // Pages 1 and 2 portrait, 3 landscape, 4 portrait again.
    const auto bytes = palvex::SpoolFileBytes(Document(4, {3}));
    // Page 2 follows page 1's offset record directly.
    EXPECT_EQ(U32(bytes, kSecondPage), 0x0Cu);
    const size_t third = kSecondPage + 8 + kPageBytes + 16;
    EXPECT_EQ(U32(bytes, third), 3u);
    DEVMODEW landscape;
    std::memcpy(&landscape, bytes.data() + third + 8, sizeof landscape);
    EXPECT_EQ(landscape.dmOrientation, DMORIENT_LANDSCAPE);
    // The landscape page is 7016 x 4961 pixels.
    const size_t emf = third + 8 + 220 + 8;
    EXPECT_EQ(U32(bytes, emf - 8), 0x0Cu);
    EXPECT_EQ(I32(bytes, emf + 72), 7016);
    EXPECT_EQ(I32(bytes, emf + 76), 4961);
    EXPECT_EQ(I32(bytes, emf + 32), 29699);

    const auto contents = palvex::emf::ParseSpoolBytes(bytes);
    ASSERT_EQ(contents.error, "");
    const auto& pages = contents.parser.pages();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(contents.parser.devModes().size(), 3u);
    EXPECT_EQ(pages[0].devMode, 0);
    EXPECT_EQ(pages[1].devMode, 0);
    EXPECT_EQ(pages[2].devMode, 1);
    EXPECT_EQ(pages[3].devMode, 2);
    EXPECT_EQ(pages[1].offset, kSecondPage);
    EXPECT_EQ(pages[0].emfSize, kPageBytes);
    EXPECT_EQ(contents.parser.pageData(0)->size(), kPageBytes);
    EXPECT_EQ(contents.parser.documentName(), u"Doc");
    EXPECT_EQ(contents.parser.outputName(), u"LPT1:");
    EXPECT_TRUE(contents.parser.finished());
}

TEST(EmfSpoolFileTest, AFileReaderReadsAPageWhenAskedAndNoticesAChangedOne) {
    const auto bytes = palvex::SpoolFileBytes(Document(2));
    const auto file = std::filesystem::temp_directory_path() /
                      ("palvex-spool-" + std::to_string(::getpid()) + ".spl");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    palvex::emf::SpoolFileReader reader(file);
    ASSERT_TRUE(reader.Refresh(true));
    ASSERT_EQ(reader.parser().pages().size(), 2u);
    EXPECT_EQ(reader.parser().pageData(0), nullptr);  // nothing of a page is kept
    const auto second = reader.ReadPage(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(*second, std::vector<BYTE>(bytes.begin() + kSecondPage + 8, bytes.begin() + kSecondPage + 8 + kPageBytes));
    EXPECT_EQ(reader.ReadPage(2), nullptr);  // no such page
    // The metafile's header record type overwritten: the page no longer reads back.
    std::vector<BYTE> changed = bytes;
    Put32(changed, kSecondPage + 8, 0x99);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(changed.data()),
                                                static_cast<std::streamsize>(changed.size()));
    EXPECT_EQ(reader.ReadPage(1), nullptr);
    EXPECT_NE(reader.error().find("page 2"), std::string::npos) << reader.error();
    std::filesystem::remove(file);
}

TEST(EmfSpoolFileTest, PagesKeepTheirOwnDevmodeAndNumber) {
    auto document = Document(2);
    std::vector<BYTE> own = palvex::MakeDevMode(DMPAPER_LETTER);
    own.resize(own.size() + 12, 0x5A);  // a driver part
    const WORD extra = 12;
    std::memcpy(own.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, 2);
    document.pages[1].devMode = own;
    document.pages[1].number = 42;
    const auto contents = palvex::emf::ParseSpoolBytes(palvex::SpoolFileBytes(document));
    ASSERT_EQ(contents.error, "");
    ASSERT_EQ(contents.parser.devModes().size(), 2u);
    EXPECT_EQ(*contents.parser.devModes()[1], own);
    // Letter at 600 dots per inch is 5100 x 6600 pixels.
    const auto& emf = *contents.parser.pageData(1);
    EXPECT_EQ(I32(emf, 72), 5100);
    EXPECT_EQ(I32(emf, 76), 6600);
    const size_t text = 108 + 28 + 24 + 24 + 32 + 368 + 48;
    EXPECT_EQ(U32(emf, text + 44), 2u);
    EXPECT_EQ(emf[text + 76], '4');
    EXPECT_EQ(emf[text + 78], '2');

    document.devMode = std::vector<BYTE>(100, 0);  // says dmSize 0
    EXPECT_THROW(palvex::SpoolFileBytes(document), std::invalid_argument);
}

struct Mutation {
    const char* name;
    std::function<void(std::vector<BYTE>&)> change;
    const char* error;  // a part of the reader's error text
};

TEST(EmfSpoolFileTest, MalformedFilesAreRefusedWithWhereAndWhy) {
    const size_t emf = kFirstPage + 8;
    const size_t text = emf + 108 + 28 + 24 + 24 + 32 + 368 + 48;
    const Mutation mutations[] = {
        {"another version", [](auto& b) { Put32(b, 0, 0x00020000); }, "byte 0: not an EMF spool file"},
        {"a header too short", [](auto& b) { Put32(b, 4, 12); }, "spool header size of 12"},
        {"a header beyond the file", [](auto& b) { Put32(b, 4, 1 << 20); }, "cut short"},
        {"a name outside the header", [](auto& b) { Put32(b, 8, 40); }, "document name lies outside"},
        {"a name without its end", [](auto& b) { Put32(b, 12, 34); b[34] = 'x'; }, "output name has no end"},
        {"an unknown record", [](auto& b) { Put32(b, kHeaderSize, 0x16); }, "byte 36: a record of unknown type 22"},
        {"a size not a multiple of 4", [](auto& b) { Put32(b, kHeaderSize + 4, 222); }, "not a multiple of 4"},
        {"a record beyond the file", [](auto& b) { Put32(b, kFirstPage + 4, 1 << 20); }, "byte 264: EMRI_METAFILE_DATA needs"},
        {"a devmode larger than its record", [](auto& b) { b[kHeaderSize + 8 + 68] = 0xF0; }, "holds a DEVMODE"},
        {"a page shorter than its metafile",
         [](auto& b) { Put32(b, kFirstPage + 8 + 48, kPageBytes + 4); }, "does not hold one EMF metafile"},
        {"a metafile without its signature", [=](auto& b) { b[emf + 40] = 'X'; }, "signature"},
        {"a metafile of another version", [=](auto& b) { Put32(b, emf + 44, 2); }, "unknown version"},
        {"a metafile counting more records", [=](auto& b) { Put32(b, emf + 52, 19); }, "whose header counts 19"},
        {"a frame turned inside out", [=](auto& b) { Put32(b, emf + 32, 0xFFFFFF00); }, "frame that cannot be a page"},
        {"a frame from the coordinates' far end", [=](auto& b) { Put32(b, emf + 24, 0x80000000); }, "frame that cannot be a page"},
        {"a frame wider than any paper", [=](auto& b) { Put32(b, emf + 32, 1000000); }, "frame that cannot be a page"},
        {"a reference device without width", [=](auto& b) { Put32(b, emf + 72, 0); }, "reference device without a size"},
        {"a reference device of negative height", [=](auto& b) { Put32(b, emf + 84, 0xFFFFFFFF); }, "reference device without a size"},
        {"a record of size 0", [=](auto& b) { Put32(b, emf + 108 + 4, 0); }, "record size of 0"},
        {"a record past the page", [=](auto& b) { Put32(b, emf + 108 + 4, 4000); }, "runs past the end of the page"},
        {"a second header", [=](auto& b) { Put32(b, emf + 108, 1); }, "a second EMR_HEADER"},
        {"a pen record too short", [=](auto& b) { Put32(b, emf + 108 + 28, 38); }, "type 38 shorter than its fields"},
        {"no EMR_EOF", [=](auto& b) { Put32(b, emf + kPageBytes - 20, 70); }, "without EMR_EOF"},
        {"text beyond its record", [=](auto& b) { Put32(b, text + 44, 3); }, "characters lie outside"},
        {"a spacing array beyond its record", [=](auto& b) { Put32(b, text + 72, 80); }, "spacing array lies outside"},
        {"an offset record pointing elsewhere", [](auto& b) { Put32(b, kFirstOffsetRecord + 8, 12); }, "does not point back at a page"},
        {"an offset record pointing before the file",
         [](auto& b) { Put32(b, kFirstOffsetRecord + 12, 1); }, "does not point back at a page"},
        {"two offset records for a page",
         [](auto& b) { Put32(b, kSecondPage + 8 + kPageBytes + 8, static_cast<uint32_t>(kSecondPage + 8 + kPageBytes - kFirstPage)); },
         "already has one"},
        {"an offset record of another size", [](auto& b) { Put32(b, kFirstOffsetRecord + 4, 4); }, "EMRI_METAFILE_EXT of 4 bytes"},
    };
    const auto good = palvex::SpoolFileBytes(Document(2));
    ASSERT_EQ(palvex::emf::ParseSpoolBytes(good).error, "");
    for (const auto& mutation : mutations) {
        auto bytes = good;
        mutation.change(bytes);
        const auto contents = palvex::emf::ParseSpoolBytes(bytes);
        EXPECT_NE(contents.error.find(mutation.error), std::string::npos)
            << mutation.name << ": " << (contents.error.empty() ? "accepted" : contents.error);
    }
}

TEST(EmfSpoolFileTest, EveryCutOfAFinishedFileIsRefusedButWaitsWhileSpooling) {
    // The format has no end record: a file cut between pages is a shorter file of whole pages
    // (the header alone, with the first DEVMODE, after page 1, with page 2's DEVMODE). Every
    // other cut is refused once the file is finished.
    const auto bytes = palvex::SpoolFileBytes(Document(2, {2}));
    const std::map<size_t, size_t> betweenPages = {{kHeaderSize, 0}, {kFirstPage, 0}, {kSecondPage, 1}, {kSecondPage + 228, 1}};
    for (size_t length = 0; length < bytes.size(); ++length) {
        const std::span<const uint8_t> cut(bytes.data(), length);
        const auto contents = palvex::emf::ParseSpoolBytes(cut);
        const auto between = betweenPages.find(length);
        if (between != betweenPages.end()) {
            EXPECT_EQ(contents.error, "") << length;
            EXPECT_EQ(contents.parser.pages().size(), between->second) << length;
        } else {
            EXPECT_FALSE(contents.error.empty()) << "a file cut at " << length << " was accepted";
        }
        // Fed in two parts while the file is still growing, the same bytes are no error.
        palvex::emf::SpoolParser growing;
        EXPECT_TRUE(growing.Feed(cut.first(length / 2), false));
        EXPECT_TRUE(growing.Feed(cut.subspan(length / 2), false)) << length << ": " << growing.error();
        EXPECT_FALSE(growing.finished());
        EXPECT_LE(growing.pages().size(), 2u);
    }
    palvex::emf::SpoolParser whole;
    EXPECT_TRUE(whole.Feed(bytes, false));
    EXPECT_EQ(whole.pages().size(), 2u);
    EXPECT_TRUE(whole.Feed({}, true));
    EXPECT_TRUE(whole.finished());
}

}  // namespace
