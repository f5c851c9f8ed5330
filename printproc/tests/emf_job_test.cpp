// EMF jobs printed through the library by the spooler's job runner onto the recording printer DC:
// the sides played, the DEVMODEs given to the DC, control from another thread and bad spool files.
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include <palvex/jobs.h>
#include <palvex/paths.h>
#include <palvex/printer_settings.h>
#include <palvex/recording_dc.h>
#include <palvex/spool_writer.h>
#include <win/winspool_levels.h>

#include "library_fixture.h"
#include "private_devmode.h"
#include "settings_fixture.h"

namespace pptest {
namespace {

using palvex::hosts::JobRunner;

struct JobSetup {
    DWORD pages = 1;
    std::vector<DWORD> landscape{};
    BYTE pageOrder = 0;
    short duplex = 1;
    short copies = 1;
    short collate = 0;
    BYTE booklet = 0;  // stored value: 2 is kind 1
    BYTE nup = 0;      // stored index: 0 1-up, 2 4-up
    BYTE poster = 0;
    DWORD bindingMargin = 0;  // on the left edge when not 0
    DWORD pdl = 50;
};

class EmfJobTest : public LibraryTest {
protected:
    void Install(const PrinterValues& values = {}) { InstallSettingsPrinter(m_machine, values); }

    std::vector<BYTE> JobDevmode(const JobSetup& setup) {
        return pptest::JobDevmode([&](Devmode& devmode) {
            DEVMODEW* dm = devmode.get();
            dm->dmFields |= DM_COPIES | DM_DUPLEX | DM_COLLATE;
            dm->dmCopies = setup.copies;
            dm->dmDuplex = setup.duplex;
            dm->dmCollate = setup.collate;
            devmode.SetDword(at::kPdlType, setup.pdl);
            devmode.SetByte(at::kPageOrder, setup.pageOrder);
            devmode.SetByte(at::kBooklet, setup.booklet);
            devmode.SetByte(at::kNupPages, setup.nup);
            devmode.SetByte(at::kPoster, setup.poster);
            if (setup.bindingMargin) {
                devmode.SetByte(at::kBindingEnabled, 1);
                devmode.SetByte(at::kBindingDirect, 0);
                devmode.SetDword(at::kBindingMargin, setup.bindingMargin);
            }
        });
    }

    DWORD AddJob(const std::vector<BYTE>& spoolBytes, const std::vector<BYTE>& devMode) {
        const std::u16string spoolFile =
            WriteSpoolFile(u"E" + std::u16string(1, static_cast<char16_t>(u'A' + m_jobs++)) + u".SPL", spoolBytes);
        palvex::JobDesc job;
        job.printerName = kPrinter;
        job.documentName = u"Spooled EMF";
        job.devMode = devMode;
        job.spoolFile = spoolFile;
        m_spoolFile = palvex::HostPath(spoolFile);
        return palvex::AddJob(job);
    }

    // A job whose spool file is written while it prints: the file starts without pages, and
    // writer (made here) adds them.
    DWORD AddJobBeingSpooled(std::optional<palvex::SpoolFileWriter>& writer) {
        const std::vector<BYTE> devMode = JobDevmode(JobSetup{});
        palvex::SpoolDocumentDesc document = palvex::NumberedPages(0);
        document.devMode = devMode;
        const DWORD job = AddJob({}, devMode);
        writer.emplace(m_spoolFile, document);
        return job;
    }

    DWORD AddJob(const JobSetup& setup) {
        const std::vector<BYTE> devMode = JobDevmode(setup);
        palvex::SpoolDocumentDesc document = palvex::NumberedPages(setup.pages, setup.landscape);
        document.devMode = devMode;
        return AddJob(palvex::SpoolFileBytes(document), devMode);
    }

    // Runs one job of a table on the printer with these values (installed by the first case, its
    // settings rewritten by the others) and gives what the DC printed.
    std::optional<palvex::DcLog> PrintCase(const PrinterValues& printer, const JobSetup& setup) {
        if (!m_installed) Install(printer);
        else WritePrinterValue(kPrinter, u"PRINTERSETTINGS", PrinterSettingsBlock(printer));
        m_installed = true;
        const DWORD job = AddJob(setup);
        JobRunner runner(m_library, job);
        const JobRunner::Outcome outcome = runner.Run();
        EXPECT_TRUE(outcome.print.result) << outcome.print.lastError;
        return palvex::ReadJobDcLog(job);
    }

    // Sides as "1,2|3|-": the pages of each side, "-" for a blank side.
    static std::string Sides(const palvex::DcLog& log) {
        std::string text;
        for (const palvex::PrintedSide* side : log.sides()) {
            if (!text.empty()) text += '|';
            const std::vector<DWORD> pages = side->pageNumbers();
            if (pages.empty()) text += '-';
            for (size_t i = 0; i < pages.size(); ++i) text += (i ? "," : "") + std::to_string(pages[i]);
        }
        return text;
    }

    static DWORD BlockDword(const std::vector<BYTE>& devMode, DWORD recordOffset) {
        const DEVMODEW* dm = reinterpret_cast<const DEVMODEW*>(devMode.data());
        const DWORD at = PrivateBlockOffset(dm, 50) + recordOffset;
        DWORD value = 0;
        if (at + 4 <= devMode.size()) std::memcpy(&value, devMode.data() + at, 4);
        return value;
    }

    int m_jobs = 0;
    bool m_installed = false;
    std::filesystem::path m_spoolFile;
};

struct SidesCase {
    const char* name;
    PrinterValues printer;
    JobSetup job;
    const char* sides;
};

TEST_F(EmfJobTest, PlaysTheSidesOfEachPageOrder) {
    PrinterValues collating;
    collating.collatedCopies = 1;
    PrinterValues manual;
    manual.duplexType = 2;
    const SidesCase cases[] = {
        {"forward simplex", {}, {.pages = 3}, "1|2|3"},
        {"reverse simplex", {}, {.pages = 5, .pageOrder = 1}, "5|4|3|2|1"},
        {"forward duplex", {}, {.pages = 3, .duplex = 2}, "1|2|3"},
        {"reverse duplex even", {}, {.pages = 6, .pageOrder = 1, .duplex = 2}, "5|6|3|4|1|2"},
        {"reverse duplex odd", {}, {.pages = 5, .pageOrder = 1, .duplex = 2}, "5|3|4|1|2"},
        {"collated copies", collating, {.pages = 2, .copies = 2, .collate = 1}, "1|2|1|2"},
        {"uncollated copies", {}, {.pages = 2, .copies = 2, .collate = 0}, "1|2"},
        {"manual duplex odd", manual, {.pages = 5, .duplex = 2}, "2|4|-|1|3|5"},
        {"manual duplex even", manual, {.pages = 4, .duplex = 2}, "2|4|1|3"},
        {"manual duplex one page", manual, {.pages = 1, .duplex = 2}, "1"},
        {"booklet of 8", {}, {.pages = 8, .booklet = 2}, "8,1|7,2|6,3|5,4"},
        {"booklet of 5", {}, {.pages = 5, .booklet = 2}, "1|2|3|5,4"},
        {"manual duplex booklet of 8", manual, {.pages = 8, .duplex = 2, .booklet = 2}, "2,7|4,5|8,1|6,3"},
        {"forward 4-up", {}, {.pages = 6, .nup = 2}, "1,2,3,4|5,6"},
        {"reverse 4-up", {}, {.pages = 6, .pageOrder = 1, .nup = 2}, "5,6|1,2,3,4"},
        {"poster 2", {}, {.pages = 2, .poster = 2}, "1|1|1|1|2|2|2|2"},
    };
    for (const SidesCase& test : cases) {
        SCOPED_TRACE(test.name);
        const std::optional<palvex::DcLog> log = PrintCase(test.printer, test.job);
        ASSERT_TRUE(log.has_value());
        EXPECT_EQ(Sides(*log), test.sides);
    }
}

struct DcCase {
    const char* name;
    PrinterValues printer;
    JobSetup job;
    const char* sides;
    short copies;  // dmCopies and dmDuplex of the DEVMODE every side prints with
    short duplex;
};

// What the DC prints each side with: a copy pass leaves one copy to the printer; a manual-duplex
// job plays its copies itself, so the printer makes one; a job of one side prints simplex; a
// booklet prints duplex even from a simplex job. The document starts with the copies its sides
// print with, as the driver sends the job's copy count with the document's start.
TEST_F(EmfJobTest, SidesPrintWithTheJobsCopiesAndDuplex) {
    PrinterValues collating;
    collating.collatedCopies = 1;
    PrinterValues manual;
    manual.duplexType = 2;
    PrinterValues manualCollating = manual;
    manualCollating.collatedCopies = 1;
    const DcCase cases[] = {
        {"copy passes", collating, {.pages = 2, .copies = 3, .collate = 1, .pdl = 40}, "1|2|1|2|1|2", 1, 1},
        {"copies left to the printer", {}, {.pages = 2, .copies = 3, .collate = 1, .pdl = 40}, "1|2", 3, 1},
        {"manual duplex collated", manualCollating, {.pages = 3, .duplex = 2, .copies = 2, .collate = 1},
         "2|-|2|-|1|3|1|3", 1, 2},
        {"manual duplex uncollated", manual, {.pages = 3, .duplex = 2, .copies = 2}, "2|2|-|-|1|1|3|3", 1, 2},
        {"manual duplex of one page", manual, {.pages = 1, .duplex = 2}, "1", 1, 1},
        {"reverse duplex of one page", {}, {.pages = 1, .pageOrder = 1, .duplex = 2}, "1", 1, 1},
        {"booklet of a simplex job", {}, {.pages = 4, .booklet = 2}, "4,1|3,2", 1, 2},
    };
    for (const DcCase& test : cases) {
        SCOPED_TRACE(test.name);
        const std::optional<palvex::DcLog> log = PrintCase(test.printer, test.job);
        ASSERT_TRUE(log.has_value());
        EXPECT_EQ(Sides(*log), test.sides);
        for (const palvex::DcEvent& event : log->events) {
            if (event.call != palvex::DcCall::StartDoc) continue;
            EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(log->devModes.at(event.devMode).data())->dmCopies, test.copies);
        }
        for (const palvex::PrintedSide* side : log->sides()) {
            const auto* devmode = reinterpret_cast<const DEVMODEW*>(log->devModes.at(side->devMode).data());
            EXPECT_EQ(devmode->dmCopies, test.copies);
            EXPECT_EQ(devmode->dmDuplex, test.duplex);
        }
    }
}

// A job DEVMODE of a paper the printer does not list gives way to the printer's own DEVMODE: its
// settings lay the job out (1-up here, where the job asked for 4-up), and it goes to the DC first,
// carrying the first page's paper size.
TEST_F(EmfJobTest, AnUnlistedPaperPrintsWithThePrintersDevmode) {
    Install();
    palvex::SetPrinterDevMode(kPrinter, JobDevmode(JobSetup{}));
    constexpr short kUnlisted = 70;  // A6
    std::vector<BYTE> devMode = JobDevmode(JobSetup{.nup = 2});
    reinterpret_cast<DEVMODEW*>(devMode.data())->dmPaperSize = kUnlisted;
    palvex::SpoolDocumentDesc document = palvex::NumberedPages(2);
    document.devMode = devMode;
    const DWORD job = AddJob(palvex::SpoolFileBytes(document), devMode);
    JobRunner runner(m_library, job);
    const JobRunner::Outcome outcome = runner.Run();
    EXPECT_TRUE(outcome.print.result) << outcome.print.lastError;
    const std::optional<palvex::DcLog> log = palvex::ReadJobDcLog(job);
    ASSERT_TRUE(log.has_value());
    EXPECT_EQ(Sides(*log), "1|2");
    const std::vector<std::vector<BYTE>> resets = log->resets();
    ASSERT_FALSE(resets.empty());
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(resets[0].data())->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(BlockDword(resets[0], at::kFirstPageSize), static_cast<DWORD>(kUnlisted));
}

// Each copy pass starts a new sheet: a pass of three duplex sides ends on a front, so the next
// pass starts on a front again. The front binds the margin on the other edge (moved left), the
// back on the left edge (moved right).
TEST_F(EmfJobTest, EachCopyPassStartsOnTheFront) {
    PrinterValues collating;
    collating.collatedCopies = 1;
    Install(collating);
    const DWORD job = AddJob(JobSetup{.pages = 3, .duplex = 2, .copies = 2, .collate = 1, .bindingMargin = 1000});
    JobRunner runner(m_library, job);
    const JobRunner::Outcome outcome = runner.Run();
    EXPECT_TRUE(outcome.print.result) << outcome.print.lastError;
    const std::optional<palvex::DcLog> log = palvex::ReadJobDcLog(job);
    ASSERT_TRUE(log.has_value());
    ASSERT_EQ(Sides(*log), "1|2|3|1|2|3");
    const bool back[] = {false, true, false, false, true, false};
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE("side " + std::to_string(i + 1));
        const LONG left = log->sides()[i]->pages.at(0).document.left;
        if (back[i]) EXPECT_GT(left, 0);
        else EXPECT_LT(left, 0);
    }
}

TEST_F(EmfJobTest, WritesPageCountAndOrientationMaskIntoTheDevmodes) {
    Install();
    const DWORD job = AddJob(JobSetup{.pages = 4, .landscape = {2, 4}, .pageOrder = 1, .nup = 2});
    JobRunner runner(m_library, job);
    ASSERT_TRUE(runner.Run().print.result);
    const palvex::DcLog log = *palvex::ReadJobDcLog(job);
    bool pageCount = false, mask = false;
    for (const std::vector<BYTE>& reset : log.resets()) {
        pageCount |= BlockDword(reset, at::kDocPageCount) == 4;
        mask |= BlockDword(reset, at::kNupPageOrient) == 0xA;
    }
    EXPECT_TRUE(pageCount);
    EXPECT_TRUE(mask);
    EXPECT_EQ(Sides(log), "1,2,3,4");
    // The side printed with the mask of its pages.
    ASSERT_EQ(log.sides().size(), 1u);
    EXPECT_EQ(BlockDword(log.devModes[log.sides()[0]->devMode], at::kNupPageOrient), 0xAu);
}

TEST_F(EmfJobTest, BadSpoolFilesFailTheJobCleanly) {
    Install();
    const JobSetup setup{.pages = 3};
    const std::vector<BYTE> devMode = JobDevmode(setup);
    palvex::SpoolDocumentDesc document = palvex::NumberedPages(3);
    document.devMode = devMode;
    const std::vector<BYTE> whole = palvex::SpoolFileBytes(document);
    std::vector<BYTE> garbled = whole;
    for (size_t i = whole.size() / 2; i < whole.size() / 2 + 16; ++i) garbled[i] = 0xEE;
    const std::vector<std::vector<BYTE>> files = {
        std::vector<BYTE>(whole.begin(), whole.begin() + static_cast<long>(whole.size() - 7)),
        std::vector<BYTE>(whole.begin(), whole.begin() + 5),
        garbled,
    };
    for (const auto& file : files) {
        const DWORD job = AddJob(file, devMode);
        JobRunner runner(m_library, job);
        const JobRunner::Outcome outcome = runner.Run();
        EXPECT_FALSE(outcome.print.result);
        EXPECT_NE(outcome.print.lastError, 0u);
        EXPECT_TRUE(outcome.close.result);
        EXPECT_EQ(palvex::FindJob(job)->status & JOB_STATUS_ERROR, static_cast<DWORD>(JOB_STATUS_ERROR));
    }
}

TEST_F(EmfJobTest, PausedJobPrintsWhenResumed) {
    Install();
    std::optional<palvex::SpoolFileWriter> writer;
    const DWORD job = AddJobBeingSpooled(writer);
    JobRunner runner(m_library, job);
    ASSERT_TRUE(runner.Open().result);
    ASSERT_TRUE(runner.Control(JOB_CONTROL_PAUSE));
    JobRunner::Step printed;
    std::thread printing([&] { printed = runner.Print(); });
    // The job waits for its pages and for the resume, in whatever order they come.
    for (DWORD page = 1; page <= 3; ++page) writer->AddPage({page, false, {}});
    writer->Finish();
    ASSERT_TRUE(runner.Control(JOB_CONTROL_RESUME));
    printing.join();
    EXPECT_TRUE(printed.result);
    EXPECT_TRUE(runner.Close().result);
    EXPECT_EQ(Sides(*palvex::ReadJobDcLog(job)), "1|2|3");
}

TEST_F(EmfJobTest, CancelEndsAJobWaitingForPages) {
    Install();
    std::optional<palvex::SpoolFileWriter> writer;
    const DWORD job = AddJobBeingSpooled(writer);
    writer->AddPage({1, false, {}});
    JobRunner runner(m_library, job);
    ASSERT_TRUE(runner.Open().result);
    JobRunner::Step printed;
    std::thread printing([&] { printed = runner.Print(); });
    // The file never completes: only the cancel can end the job.
    ASSERT_TRUE(runner.Control(JOB_CONTROL_CANCEL));
    printing.join();
    EXPECT_TRUE(printed.done);
    EXPECT_TRUE(runner.Close().result);
}

}  // namespace
}  // namespace pptest
