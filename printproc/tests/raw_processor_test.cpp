// RAW jobs: the job's bytes reach the printer unchanged in chunks of 16,384 bytes; failures are
// reported; pause and cancel act between chunks.
#include <future>
#include <thread>

#include <win/winspool_io.h>
#include <win/winspool_levels.h>

#include "spool_job_fixture.h"

namespace pptest {
namespace {

using palvex::hosts::JobRunner;

constexpr DWORD kChunk = 16384;

// Bytes that differ from one chunk to the next and take every value.
std::vector<BYTE> JobData(size_t size) {
    std::vector<BYTE> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<BYTE>(i * 131 + i / 251);
    return data;
}

class RawJob : public SpoolJobTest {
protected:
    DWORD Status(DWORD job) { return palvex::FindJob(job)->status; }
};

TEST_F(RawJob, ReachesThePrinterUnchangedInChunks) {
    struct Case {
        size_t size;
        const char* writes;  // the document as the printer saw it
    };
    const Case cases[] = {
        {0, "S E"},
        {1, "S 1 E"},
        {kChunk - 1, "S 16383 E"},
        {kChunk, "S 16384 E"},
        {kChunk + 1, "S 16384 1 E"},
        {3 * kChunk + 7, "S 16384 16384 16384 7 E"},
    };
    std::vector<BYTE> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        OutputLog log;
        const std::vector<BYTE> data = JobData(c.size);
        const DWORD job = AddJob(u"RAW", data);
        JobRunner runner(m_library, job);
        const JobRunner::Outcome outcome = runner.Run();
        ASSERT_TRUE(outcome.open.result);
        EXPECT_TRUE(outcome.print.result);
        EXPECT_TRUE(outcome.close.result);
        EXPECT_EQ(log.Summary(), c.writes);
        EXPECT_EQ(Status(job), static_cast<DWORD>(JOB_STATUS_PRINTED));
        // Each job appends to the port, as a printer receives one job after the other.
        expected.insert(expected.end(), data.begin(), data.end());
        EXPECT_TRUE(PortBytes() == expected);
    }
}

TEST_F(RawJob, GoesToTheFileTheApplicationPrintedTo) {
    const std::vector<BYTE> data = JobData(kChunk + 9);
    const DWORD job = AddJob(u"RAW", data, {}, u"C:\\Users\\User\\report.prn");
    std::filesystem::create_directories(palvex::HostPath(u"C:\\Users\\User"));
    EXPECT_TRUE(JobRunner(m_library, job).Run().print.result);
    EXPECT_TRUE(ReadHostFile(palvex::HostPath(u"C:\\Users\\User\\report.prn")) == data);
    EXPECT_FALSE(std::filesystem::exists(palvex::PortOutputPath(u"FILE:")));
}

TEST_F(RawJob, AWriteThePrinterRefusesStopsTheJobAndFailsIt) {
    constexpr DWORD kNotReady = 21;  // ERROR_NOT_READY
    palvex::FailPrinterWrites(kSpoolPrinter, kChunk + 100, kNotReady);
    OutputLog log;
    const std::vector<BYTE> data = JobData(3 * kChunk);
    const DWORD job = AddJob(u"RAW", data);
    const JobRunner::Outcome outcome = JobRunner(m_library, job).Run();
    EXPECT_FALSE(outcome.print.result);
    EXPECT_EQ(outcome.print.lastError, kNotReady);
    EXPECT_TRUE(outcome.close.result);
    // The second chunk got in part and the third was never sent; the document still ended.
    EXPECT_EQ(log.Summary(), "S 16384 E");
    EXPECT_TRUE(PortBytes() == std::vector<BYTE>(data.begin(), data.begin() + kChunk + 100));
    EXPECT_EQ(Status(job), static_cast<DWORD>(JOB_STATUS_ERROR));
}

TEST_F(RawJob, AJobWhoseDataIsGoneFails) {
    OutputLog log;
    const DWORD job = AddJob(u"RAW", JobData(10));
    std::filesystem::remove(palvex::HostPath(palvex::FindJob(job)->spoolFile));
    const JobRunner::Outcome outcome = JobRunner(m_library, job).Run();
    EXPECT_FALSE(outcome.print.result);
    EXPECT_EQ(outcome.print.lastError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(log.Summary(), "S E");
}

TEST_F(RawJob, ADocumentNameThatIsNoJobOfThePrinterFails) {
    const DWORD job = AddJob(u"RAW", JobData(10));
    m_machine.AddPrinterWithDriver(u"Other Printer");
    palvex::JobDesc other;
    other.printerName = u"Other Printer";
    const DWORD otherJob = palvex::AddJob(other);
    JobRunner runner(m_library, job);
    ASSERT_TRUE(runner.Open().result);
    const std::u16string names[] = {
        std::u16string(kSpoolPrinter) + u", Job " + static_cast<char16_t>(u'0' + otherJob),  // another printer's job
        std::u16string(kSpoolPrinter) + u", Job 99",                                       // no such job
        std::u16string(kSpoolPrinter) + u", Job",
        u"",
    };
    for (const auto& name : names) {
        SCOPED_TRACE(Narrow(name));
        std::u16string copy = name;
        SetLastError(0);
        EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(runner.handle(), copy.data()));
        if (!name.empty()) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
        }
    }
    EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(runner.handle(), nullptr));
    EXPECT_TRUE(PortBytes().empty());
}

TEST_F(RawJob, APrinterThatCannotBeOpenedOrStartedFails) {
    // No printer of that name: the processor does not open.
    palvex::JobDesc job;
    job.printerName = kSpoolPrinter;
    job.datatype = u"RAW";
    std::u16string unknown = u"No Such Printer";
    PRINTPROCESSOROPENDATA data{};
    data.pDatatype = job.datatype.data();
    data.pPrinterName = unknown.data();
    EXPECT_EQ(m_library.OpenPrintProcessor(unknown.data(), &data), nullptr);

    // A port in a folder that does not exist: the printer document cannot start.
    palvex::AddPrinter(u"Folder Port Printer", u"Palvex Test", u"C:\\Missing\\out.prn");
    job.printerName = u"Folder Port Printer";
    const JobRunner::Outcome outcome = JobRunner(m_library, palvex::AddJob(job)).Run();
    ASSERT_TRUE(outcome.open.result);
    EXPECT_FALSE(outcome.print.result);
    EXPECT_EQ(outcome.print.lastError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// --- Pause and cancel from the spooler's control thread -----------------------------------------

// Runs the job on its own thread. After the chosen write the printer output waits until the
// control thread has paused or cancelled the job, so the processor meets the control at its next
// chunk: no timing decides the outcome.
class ControlledRawJob : public RawJob {
protected:
    void Start(size_t size, int afterWrites, DWORD command) {
        m_data = JobData(size);
        m_jobId = AddJob(u"RAW", m_data);
        m_runner = std::make_unique<JobRunner>(m_library, m_jobId);
        ASSERT_TRUE(m_runner->Open().result);
        m_log = std::make_unique<OutputLog>([this, afterWrites, command](const palvex::PrinterOutputEvent& event,
                                                                         int writes) {
            if (event.kind != palvex::PrinterOutputEvent::Write || writes != afterWrites) return;
            std::thread control([&] { m_controlled = m_runner->Control(command); });
            control.join();
            m_reached.set_value();
        });
        m_job = std::thread([this] { m_printed = m_runner->Print().result; });
        m_reached.get_future().wait();
    }
    void Finish() {
        m_job.join();
        EXPECT_TRUE(m_runner->Close().result);
    }
    std::vector<BYTE> FirstBytes(size_t count) const { return {m_data.begin(), m_data.begin() + count}; }

    std::vector<BYTE> m_data;
    DWORD m_jobId = 0;
    std::unique_ptr<JobRunner> m_runner;
    std::unique_ptr<OutputLog> m_log;
    std::promise<void> m_reached;
    std::thread m_job;
    BOOL m_controlled = FALSE;
    BOOL m_printed = FALSE;
};

TEST_F(ControlledRawJob, PauseHoldsTheNextChunkUntilResume) {
    Start(3 * kChunk + 7, 1, JOB_CONTROL_PAUSE);
    EXPECT_TRUE(m_controlled);
    // Paused after the first chunk: nothing more reaches the printer until the job resumes.
    EXPECT_EQ(m_log->Summary(), "S 16384");
    EXPECT_TRUE(PortBytes() == FirstBytes(kChunk));
    EXPECT_EQ(Status(m_jobId), static_cast<DWORD>(JOB_STATUS_PRINTING | JOB_STATUS_PAUSED));
    EXPECT_TRUE(m_runner->Control(JOB_CONTROL_RESUME));
    Finish();
    EXPECT_TRUE(m_printed);
    EXPECT_EQ(Status(m_jobId), static_cast<DWORD>(JOB_STATUS_PRINTED));
    EXPECT_EQ(m_log->Summary(), "S 16384 16384 16384 7 E");
    EXPECT_TRUE(PortBytes() == m_data);
}

TEST_F(ControlledRawJob, CancelOfAPausedJobWakesItAndEndsTheDocument) {
    Start(3 * kChunk, 1, JOB_CONTROL_PAUSE);
    EXPECT_TRUE(m_runner->Control(JOB_CONTROL_CANCEL));
    Finish();
    // A cancelled job is no failure: the spooler asked for it.
    EXPECT_TRUE(m_printed);
    EXPECT_EQ(m_log->Summary(), "S 16384 E");
    EXPECT_TRUE(PortBytes() == FirstBytes(kChunk));
}

TEST_F(ControlledRawJob, CancelStopsTheJobAtTheNextChunk) {
    Start(4 * kChunk, 2, JOB_CONTROL_CANCEL);
    EXPECT_TRUE(m_controlled);
    Finish();
    EXPECT_TRUE(m_printed);
    EXPECT_EQ(m_log->Summary(), "S 16384 16384 E");
    EXPECT_TRUE(PortBytes() == FirstBytes(2 * kChunk));
}

}  // namespace
}  // namespace pptest
