// The spooled-EMF playback functions over the jobs of the machine: pages, page DEVMODEs, jobs
// still spooling and jobs the spooler deletes.
#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>

#include <palvex/debugout.h>
#include <palvex/recording_dc.h>
#include <palvex/utf8.h>
#include <win/winspool_levels.h>

#include "spool_job_fixture.h"

namespace spooltest {
namespace {

using GdiSpoolTest = SpoolJobTest;

TEST_F(GdiSpoolTest, OpensTheJobsSpoolFileAndHandsOutItsPages) {
    const DWORD job = AddJobWithFile(palvex::NumberedPages(3));
    HANDLE spool = Open(job);
    ASSERT_NE(spool, nullptr) << GetLastError();
    EXPECT_NE(GdiGetDC(spool), nullptr);
    EXPECT_EQ(GdiGetPageCount(spool), 3u);
    DWORD type = 0;
    HANDLE first = GdiGetPageHandle(spool, 1, &type);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(EMF_PP_NORMAL));
    EXPECT_EQ(GdiGetPageHandle(spool, 1, nullptr), first);  // one handle per page
    EXPECT_NE(GdiGetPageHandle(spool, 3, nullptr), nullptr);
    EXPECT_EQ(GdiGetPageHandle(spool, 4, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(GdiGetPageHandle(spool, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(GdiDeleteSpoolFileHandle(spool));
    EXPECT_FALSE(GdiDeleteSpoolFileHandle(spool));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GdiGetPageCount(spool), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(GdiSpoolTest, RefusesWhatIsNotAJobOfThePrinterOrNotASpoolFile) {
    m_machine.AddPrinterWithDriver(u"Other Printer");
    const DWORD good = AddJobWithFile(palvex::NumberedPages(1));
    const DWORD missing = AddJob();
    const DWORD bad = AddJob();
    auto bytes = palvex::SpoolFileBytes(palvex::NumberedPages(2));
    bytes.resize(bytes.size() - 5);  // the last offset record cut short
    {
        std::ofstream out(SpoolPath(bad), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    struct Case {
        std::u16string printer;
        std::u16string document;
        DWORD error;
    };
    const Case cases[] = {
        {u"", DocumentName(good), ERROR_INVALID_PARAMETER},
        {kPrinter, u"", ERROR_INVALID_PARAMETER},
        {kPrinter, u"Report", ERROR_INVALID_PARAMETER},
        {kPrinter, std::u16string(kPrinter) + u", Job x", ERROR_INVALID_PARAMETER},
        {kPrinter, std::u16string(kPrinter) + u", Job 99", ERROR_INVALID_PARAMETER},
        {u"Other Printer", DocumentName(good), ERROR_INVALID_PARAMETER},
        {u"Other Printer", u"Other Printer, Job " + Decimal(good), ERROR_INVALID_PARAMETER},
        {kPrinter, DocumentName(missing), ERROR_FILE_NOT_FOUND},
        {kPrinter, DocumentName(bad), ERROR_INVALID_DATA},
    };
    palvex::DebugOutputCapture debug;
    for (const auto& c : cases) {
        std::u16string printer = c.printer;
        std::u16string document = c.document;
        SetLastError(0);
        EXPECT_EQ(GdiGetSpoolFileHandle(printer.data(), nullptr, document.data()), nullptr) << palvex::ToUtf8(c.document);
        EXPECT_EQ(GetLastError(), c.error) << palvex::ToUtf8(c.document);
    }
    // The fault of the bad file is told with where it is.
    bool told = false;
    for (const auto& line : debug.lines())
        told = told || (line.find(u"FP3.SPL") != std::u16string::npos && line.find(u"EMRI_METAFILE_EXT") != std::u16string::npos);
    EXPECT_TRUE(told);
    // Names of printers ignore case.
    std::u16string printer = u"PALVEX spool";
    std::u16string document = DocumentName(good);
    HANDLE spool = GdiGetSpoolFileHandle(printer.data(), nullptr, document.data());
    EXPECT_NE(spool, nullptr);
    GdiDeleteSpoolFileHandle(spool);
}

TEST_F(GdiSpoolTest, PagesThatShareADevmodeRecordGetTheSamePointer) {
    // Pages 1 and 2 portrait, 3 landscape, 4 portrait again (a record of its own).
    const DWORD job = AddJobWithFile(palvex::NumberedPages(4, {3}));
    HANDLE spool = Open(job);
    ASSERT_NE(spool, nullptr);
    DEVMODEW* current[5] = {};
    DEVMODEW* previous[5] = {};
    for (DWORD page = 1; page <= 4; ++page)
        ASSERT_TRUE(GdiGetDevmodeForPage(spool, page, &current[page], &previous[page])) << page;
    EXPECT_EQ(previous[1], nullptr);
    EXPECT_EQ(current[2], current[1]);
    EXPECT_EQ(previous[2], current[1]);
    EXPECT_NE(current[3], current[2]);
    EXPECT_EQ(previous[3], current[2]);
    EXPECT_EQ(current[3]->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_NE(current[4], current[3]);
    EXPECT_EQ(current[4]->dmOrientation, DMORIENT_PORTRAIT);
    // The DEVMODEs belong to the handle and stay where they are; the caller may change them.
    current[1]->dmDefaultSource = DMBIN_MANUAL;
    DEVMODEW* again = nullptr;
    ASSERT_TRUE(GdiGetDevmodeForPage(spool, 2, &again, nullptr));
    EXPECT_EQ(again, current[1]);
    EXPECT_EQ(again->dmDefaultSource, DMBIN_MANUAL);
    EXPECT_FALSE(GdiGetDevmodeForPage(spool, 5, &again, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_FALSE(GdiGetDevmodeForPage(spool, 0, &again, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    GdiDeleteSpoolFileHandle(spool);
}

TEST_F(GdiSpoolTest, PagesBeforeAnyDevmodeRecordHaveTheHandlesDevmode) {
    auto bytes = palvex::SpoolFileBytes(palvex::NumberedPages(2));
    // Without the first EMRI_DEVMODE record (8 + 220 bytes after the header) the offset records
    // still count back from themselves.
    uint32_t header = 0;
    std::memcpy(&header, bytes.data() + 4, 4);
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(header), bytes.begin() + static_cast<std::ptrdiff_t>(header + 228));
    const DWORD job = AddJob(palvex::MakeDevMode(DMPAPER_LETTER));
    {
        std::filesystem::create_directories(SpoolPath(job).parent_path());
        std::ofstream out(SpoolPath(job), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    auto given = palvex::MakeDevMode(DMPAPER_A3);
    HANDLE spool = Open(job, reinterpret_cast<DEVMODEW*>(given.data()));
    ASSERT_NE(spool, nullptr) << GetLastError();
    DEVMODEW* first = nullptr;
    DEVMODEW* second = nullptr;
    ASSERT_TRUE(GdiGetDevmodeForPage(spool, 1, &first, nullptr));
    ASSERT_TRUE(GdiGetDevmodeForPage(spool, 2, &second, nullptr));
    EXPECT_EQ(first, second);
    EXPECT_NE(static_cast<void*>(first), static_cast<void*>(given.data()));  // a copy
    EXPECT_EQ(first->dmPaperSize, DMPAPER_A3);
    GdiDeleteSpoolFileHandle(spool);
    // Without a DEVMODE of its own the handle takes the job's.
    spool = Open(job);
    ASSERT_TRUE(GdiGetDevmodeForPage(spool, 1, &first, nullptr));
    EXPECT_EQ(first->dmPaperSize, DMPAPER_LETTER);
    GdiDeleteSpoolFileHandle(spool);
}

TEST_F(GdiSpoolTest, ThePageCountWaitsUntilTheJobHasFinishedSpooling) {
    const DWORD job = AddJob();
    palvex::SpoolFileWriter writer(SpoolPath(job), palvex::SpoolDocumentDesc{});
    writer.AddPage(palvex::SpoolPageDesc{});
    HANDLE spool = Open(job);
    ASSERT_NE(spool, nullptr);
    // Page 2 is not there yet: its handle comes when the page does.
    std::atomic<HANDLE> second{nullptr};
    std::atomic<DWORD> count{0};
    std::thread reader([&] {
        second = GdiGetPageHandle(spool, 2, nullptr);
        count = GdiGetPageCount(spool);
    });
    writer.AddPage(palvex::SpoolPageDesc{});
    writer.AddPage(palvex::SpoolPageDesc{2, true, {}});
    writer.AddPage(palvex::SpoolPageDesc{});
    writer.Finish();
    reader.join();
    EXPECT_NE(second.load(), nullptr);
    // Had the count not waited for the end, it would have been below 4.
    EXPECT_EQ(count.load(), 4u);
    EXPECT_EQ(GdiGetPageHandle(spool, 5, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    DEVMODEW* third = nullptr;
    ASSERT_TRUE(GdiGetDevmodeForPage(spool, 3, &third, nullptr));
    EXPECT_EQ(third->dmOrientation, DMORIENT_LANDSCAPE);
    GdiDeleteSpoolFileHandle(spool);
}

TEST_F(GdiSpoolTest, AJobTheSpoolerDeletesEndsTheWaitAndThePages) {
    const DWORD job = AddJob();
    palvex::SpoolFileWriter writer(SpoolPath(job), palvex::SpoolDocumentDesc{});
    writer.AddPage(palvex::SpoolPageDesc{});
    HANDLE spool = Open(job);
    ASSERT_NE(spool, nullptr);
    HANDLE first = GdiGetPageHandle(spool, 1, nullptr);
    ASSERT_NE(first, nullptr);
    std::atomic<DWORD> count{99};
    std::atomic<DWORD> error{0};
    std::thread reader([&] {
        count = GdiGetPageCount(spool);
        error = GetLastError();
    });
    palvex::SetJobStatus(job, JOB_STATUS_DELETING);
    reader.join();
    EXPECT_EQ(count.load(), 0u);
    EXPECT_EQ(error.load(), static_cast<DWORD>(ERROR_PRINT_CANCELLED));
    EXPECT_EQ(GdiGetPageHandle(spool, 1, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRINT_CANCELLED));
    ASSERT_TRUE(GdiStartDocEMF(spool, nullptr) == FALSE);  // no DOCINFOW
    DOCINFOW info{sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    ASSERT_TRUE(GdiStartDocEMF(spool, &info));
    ASSERT_TRUE(GdiStartPageEMF(spool));
    RECT all{0, 0, 100, 100};
    EXPECT_FALSE(GdiPlayPageEMF(spool, first, &all, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRINT_CANCELLED));
    GdiDeleteSpoolFileHandle(spool);
}

TEST_F(GdiSpoolTest, PlayingNeedsAnOpenSideAPageOfTheHandleAndARectangle) {
    const DWORD job = AddJobWithFile(palvex::NumberedPages(2));
    HANDLE spool = Open(job);
    HANDLE other = Open(job);
    ASSERT_NE(spool, nullptr);
    ASSERT_NE(other, nullptr);
    HANDLE page = GdiGetPageHandle(spool, 1, nullptr);
    HANDLE foreign = GdiGetPageHandle(other, 1, nullptr);
    RECT all{0, 0, 100, 100};
    DOCINFOW info{sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    ASSERT_TRUE(GdiStartDocEMF(spool, &info));
    EXPECT_FALSE(GdiPlayPageEMF(spool, page, &all, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(GdiStartPageEMF(spool));
    EXPECT_FALSE(GdiStartPageEMF(spool));
    EXPECT_FALSE(GdiPlayPageEMF(spool, foreign, &all, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(GdiPlayPageEMF(spool, page, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(GdiPlayPageEMF(spool, page, &all, nullptr, nullptr));
    EXPECT_TRUE(GdiEndPageEMF(spool, 0));
    EXPECT_FALSE(GdiEndPageEMF(spool, 0));
    EXPECT_TRUE(GdiEndDocEMF(spool));
    EXPECT_FALSE(GdiEndDocEMF(spool));
    GdiDeleteSpoolFileHandle(other);
    // A page handle of a closed spool-file handle is no page any more.
    EXPECT_TRUE(GdiStartDocEMF(spool, &info));
    EXPECT_TRUE(GdiStartPageEMF(spool));
    EXPECT_FALSE(GdiPlayPageEMF(spool, foreign, &all, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    GdiDeleteSpoolFileHandle(spool);
}

}  // namespace
}  // namespace spooltest
