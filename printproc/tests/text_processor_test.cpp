// TEXT jobs printed through the library onto the printer's recording device context: the font,
// where the text lands, pages, copies, the printer data that changes line ends, and failures.
#include <cstddef>
#include <cstring>

#include <palvex/recording_dc.h>
#include <palvex/spool_writer.h>
#include <win/wingdi_charset.h>
#include <win/wingdi_text.h>
#include <win/winspool_levels.h>

#include "spool_job_fixture.h"

namespace pptest {
namespace {

using palvex::hosts::JobRunner;

// Every side of every document, in order.
std::vector<const palvex::PrintedSide*> AllSides(const palvex::DcLog& log) {
    std::vector<const palvex::PrintedSide*> sides;
    for (const auto& document : log.documents)
        for (const auto& side : document.sides) sides.push_back(&side);
    return sides;
}

std::vector<BYTE> Bytes(const std::string& text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

// A piece of text as the device context recorded it, in character cells.
struct Cell {
    std::u16string text;
    LONG column;
    LONG line;
    bool operator==(const Cell&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Cell& cell) {
    return out << "(" << cell.column << "," << cell.line << ")\"" << Narrow(cell.text) << "\"";
}

class TextJob : public SpoolJobTest {
protected:
    void SetUp() override {
        SpoolJobTest::SetUp();
        // The cell of the device's fixed-pitch font of the machine's code page (932), measured on
        // a device context of the printer with the job's DEVMODE.
        HDC dc = CreateDCW(nullptr, kSpoolPrinter, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        LOGFONTW font{};
        font.lfCharSet = SHIFTJIS_CHARSET;
        font.lfWeight = FW_NORMAL;
        font.lfPitchAndFamily = FIXED_PITCH;
        HFONT handle = CreateFontIndirectW(&font);
        HGDIOBJ previous = SelectObject(dc, handle);
        TEXTMETRICW metrics{};
        ASSERT_TRUE(GetTextMetricsW(dc, &metrics));
        m_width = metrics.tmAveCharWidth;
        m_height = metrics.tmHeight + metrics.tmExternalLeading;
        m_columns = GetDeviceCaps(dc, DESKTOPHORZRES) / m_width;
        m_lines = GetDeviceCaps(dc, DESKTOPVERTRES) / m_height;
        SelectObject(dc, previous);
        DeleteObject(handle);
        DeleteDC(dc);
        ASSERT_GT(m_columns, 10);
        ASSERT_GT(m_lines, 3);
    }

    void SetPrinterData(LPCWSTR name, DWORD value) {
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
        std::u16string printerName = kSpoolPrinter;
        ASSERT_TRUE(OpenPrinterW(printerName.data(), &printer, &defaults));
        EXPECT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(name), 4 /* REG_DWORD */,
                                  reinterpret_cast<LPBYTE>(&value), sizeof value), 0u);
        ClosePrinter(printer);
    }

    // Prints a TEXT job and gives the device context's log.
    palvex::DcLog Print(const std::string& text, std::vector<BYTE> devMode = palvex::MakeDevMode()) {
        m_jobId = AddJob(u"TEXT", Bytes(text), std::move(devMode));
        m_outcome = JobRunner(m_library, m_jobId).Run();
        EXPECT_TRUE(m_outcome.open.result);
        auto log = palvex::ReadLastPrinterDcLog();
        EXPECT_TRUE(log);
        return log ? *log : palvex::DcLog{};
    }

    // The text of each side in cells.
    std::vector<std::vector<Cell>> CellsOf(const palvex::DcLog& log) const {
        std::vector<std::vector<Cell>> sides;
        for (const palvex::PrintedSide* side : AllSides(log)) {
            sides.emplace_back();
            for (const palvex::DrawnText& text : side->texts) {
                EXPECT_EQ(text.position.x % m_width, 0);
                EXPECT_EQ(text.position.y % m_height, 0);
                sides.back().push_back(Cell{text.text, text.position.x / m_width, text.position.y / m_height});
            }
        }
        return sides;
    }

    LONG m_width = 0, m_height = 0;
    int m_columns = 0, m_lines = 0;
    DWORD m_jobId = 0;
    JobRunner::Outcome m_outcome;
};

using Pages = std::vector<std::vector<Cell>>;

TEST_F(TextJob, PrintsInTheFixedPitchFontOfTheCodePage) {
    const palvex::DcLog log = Print("a\tb\r\ncd\r\n");
    EXPECT_TRUE(m_outcome.print.result);
    ASSERT_EQ(log.documents.size(), 1u);
    const palvex::PrintedDocument& document = log.documents[0];
    EXPECT_EQ(document.name, std::u16string(kSpoolPrinter) + u", Job " + static_cast<char16_t>(u'0' + m_jobId));
    EXPECT_TRUE(document.ended);
    EXPECT_FALSE(document.aborted);
    EXPECT_EQ(CellsOf(log), (Pages{{{u"a       b", 0, 0}, {u"cd", 0, 1}}}));
    const LOGFONTW& font = document.sides[0].texts[0].font;
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfPitchAndFamily, FIXED_PITCH);
    EXPECT_EQ(font.lfHeight, 0);
    EXPECT_EQ(document.sides[0].texts[0].backgroundMode, OPAQUE);
}

TEST_F(TextJob, PrinterDataChangesTheLineEnds) {
    struct Case {
        const char* what;
        DWORD noTranslation, noCRTranslation, transparency;
        const char* text;
        Pages sides;
        int backgroundMode;
    };
    const Case cases[] = {
        {"a lone CR goes to the next line", 0, 0, 1, "ab\rcd", {{{u"ab", 0, 0}, {u"cd", 0, 1}}}, OPAQUE},
        {"without CR translation it stays on the line", 0, 1, 0, "ab\rcd", {{{u"ab", 0, 0}, {u"cd", 0, 0}}}, OPAQUE},
        {"and prints transparent when asked", 0, 1, 1, "ab\rcd", {{{u"ab", 0, 0}, {u"cd", 0, 0}}}, TRANSPARENT},
        {"without translation LF keeps the column", 1, 0, 1, "ab\ncd", {{{u"ab", 0, 0}, {u"cd", 2, 1}}}, OPAQUE},
        {"the CR setting asks for transparency also without translation", 1, 1, 1, "ab\ncd",
         {{{u"ab", 0, 0}, {u"cd", 2, 1}}}, TRANSPARENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetPrinterData(u"Winprint_TextNoTranslation", c.noTranslation);
        SetPrinterData(u"Winprint_TextNoCRTranslation", c.noCRTranslation);
        SetPrinterData(u"Transparency", c.transparency);
        const palvex::DcLog log = Print(c.text);
        EXPECT_TRUE(m_outcome.print.result);
        EXPECT_EQ(CellsOf(log), c.sides);
        ASSERT_FALSE(AllSides(log).empty());
        EXPECT_EQ(AllSides(log)[0]->texts.back().backgroundMode, c.backgroundMode);
    }
}

TEST_F(TextJob, LaysOutPagesAndWrapsLongLines) {
    // A form feed starts a new page; one at the end makes no empty page.
    EXPECT_EQ(CellsOf(Print("ab\fcd\f")), (Pages{{{u"ab", 0, 0}}, {{u"cd", 0, 0}}}));
    // A line longer than the page is wide goes on on the next line.
    const std::string line(static_cast<size_t>(m_columns) + 3, 'x');
    EXPECT_EQ(CellsOf(Print(line)),
              (Pages{{{std::u16string(static_cast<size_t>(m_columns), u'x'), 0, 0}, {u"xxx", 0, 1}}}));
    // Lines per page.
    std::string lines;
    for (int i = 0; i <= m_lines; ++i) lines += "L\r\n";
    const Pages sides = CellsOf(Print(lines));
    ASSERT_EQ(sides.size(), 2u);
    EXPECT_EQ(sides[0].size(), static_cast<size_t>(m_lines));
    EXPECT_EQ(sides[0].back(), (Cell{u"L", 0, m_lines - 1}));
    EXPECT_EQ(sides[1], (std::vector<Cell>{{u"L", 0, 0}}));
}

TEST_F(TextJob, ADoubleByteCharacterStaysWholeAcrossReadsAndLines) {
    // The character U+3042 is 0x82 0xA0 in code page 932; its lead byte ends the first read.
    std::string text;
    while (text.size() < 65536 - 10) text += "abcdefgh\r\n";
    text.resize(65535, 'y');
    text += "\x82\xa0z";
    const Pages sides = CellsOf(Print(text));
    ASSERT_FALSE(sides.empty());
    const Cell& last = sides.back().back();
    EXPECT_EQ(last.text, u"\u3042z");
    EXPECT_EQ(last.column, 65535 - static_cast<LONG>(text.rfind('\n')) - 1);
    // At a line's end it moves to the next line whole.
    const std::string line = std::string(static_cast<size_t>(m_columns) - 1, 'x') + "\x82\xa0";
    EXPECT_EQ(CellsOf(Print(line)),
              (Pages{{{std::u16string(static_cast<size_t>(m_columns) - 1, u'x'), 0, 0}, {u"\u3042", 0, 1}}}));
}

TEST_F(TextJob, PrintsEachCopyOfTheDevmode) {
    std::vector<BYTE> devMode = palvex::MakeDevMode();
    reinterpret_cast<DEVMODEW*>(devMode.data())->dmCopies = 2;
    const palvex::DcLog copies = Print("ab", devMode);
    EXPECT_EQ(CellsOf(copies), (Pages{{{u"ab", 0, 0}}, {{u"ab", 0, 0}}}));
    // The processor made both copies: the printer is asked for one of each page, not two more.
    for (const std::vector<BYTE>& dcMode : copies.devModes)
        EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(dcMode.data())->dmCopies, 1);
    // No DEVMODE in the job: one copy, on the printer's own.
    EXPECT_EQ(CellsOf(Print("ab", {})), (Pages{{{u"ab", 0, 0}}}));
    EXPECT_TRUE(m_outcome.print.result);
    // A DEVMODE whose public part ends before dmCopies (dmSize 72, dmCopies at 86): the 2 at
    // dmCopies' place is a byte of the driver's part, not a copy count, so one copy.
    std::vector<BYTE> shortMode = devMode;
    const WORD size = 72, extra = static_cast<WORD>(devMode.size() - size);
    std::memcpy(shortMode.data() + offsetof(DEVMODEW, dmSize), &size, sizeof size);
    std::memcpy(shortMode.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, sizeof extra);
    EXPECT_EQ(CellsOf(Print("ab", shortMode)), (Pages{{{u"ab", 0, 0}}}));
    EXPECT_TRUE(m_outcome.print.result);
}

TEST_F(TextJob, FailuresAbortTheDocumentAndFailThePrint) {
    // The job's data is gone: the read fails.
    const DWORD job = AddJob(u"TEXT", Bytes("text"), palvex::MakeDevMode());
    std::filesystem::remove(palvex::HostPath(palvex::FindJob(job)->spoolFile));
    m_outcome = JobRunner(m_library, job).Run();
    EXPECT_FALSE(m_outcome.print.result);
    EXPECT_EQ(m_outcome.print.lastError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    auto log = palvex::ReadLastPrinterDcLog();
    ASSERT_TRUE(log);
    ASSERT_EQ(log->documents.size(), 1u);
    EXPECT_TRUE(log->documents[0].aborted);
    EXPECT_EQ(palvex::FindJob(job)->status, static_cast<DWORD>(JOB_STATUS_ERROR));

    // A document name that is no job of the printer.
    JobRunner runner(m_library, AddJob(u"TEXT", Bytes("text"), palvex::MakeDevMode()));
    ASSERT_TRUE(runner.Open().result);
    std::u16string other = std::u16string(kSpoolPrinter) + u", Job 99";
    EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(runner.handle(), other.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    EXPECT_TRUE(palvex::ReadLastPrinterDcLog()->documents.back().aborted);
    std::u16string empty;
    EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(runner.handle(), empty.data()));
}

TEST_F(TextJob, APrinterWithoutADeviceContextFailsThePrintWithoutACrash) {
    std::u16string datatype = u"TEXT", printer = u"No Such Printer", name = u"No Such Printer, Job 1";
    PRINTPROCESSOROPENDATA data{};
    data.pDatatype = datatype.data();
    data.pPrinterName = printer.data();
    HANDLE handle = m_library.OpenPrintProcessor(printer.data(), &data);  // no DEVMODE either
    ASSERT_NE(handle, nullptr);
    SetLastError(0);
    EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(handle, name.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    EXPECT_TRUE(m_library.ClosePrintProcessor(handle));
}

TEST_F(TextJob, ACancelledJobEndsItsDocumentWithoutPages) {
    JobRunner runner(m_library, AddJob(u"TEXT", Bytes("ab"), palvex::MakeDevMode()));
    ASSERT_TRUE(runner.Open().result);
    ASSERT_TRUE(runner.Control(JOB_CONTROL_PAUSE));
    ASSERT_TRUE(runner.Control(JOB_CONTROL_CANCEL));
    EXPECT_TRUE(runner.Print().result);
    EXPECT_TRUE(runner.Close().result);
    const auto log = palvex::ReadLastPrinterDcLog();
    ASSERT_TRUE(log);
    ASSERT_EQ(log->documents.size(), 1u);
    EXPECT_TRUE(log->documents[0].ended);
    EXPECT_TRUE(log->documents[0].sides.empty());
}

}  // namespace
}  // namespace pptest
