// Jobs of the machine printed through the library by the spooler's job runner.
#include <thread>

#include <palvex/jobs.h>
#include <win/winspool_levels.h>

#include "library_fixture.h"
#include "settings_fixture.h"

namespace pptest {
namespace {

using palvex::hosts::JobRunner;

class RunnerTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        m_machine.AddPrinterWithDriver(kPrinter);
    }
    DWORD AddJob(const std::u16string& datatype, std::vector<BYTE> devMode = {}) {
        palvex::JobDesc job;
        job.printerName = kPrinter;
        job.documentName = u"Quarterly report";
        job.datatype = datatype;
        job.devMode = std::move(devMode);
        return palvex::AddJob(job);
    }
    DWORD Status(DWORD job) { return palvex::FindJob(job)->status; }
};

TEST_F(RunnerTest, RunsAJobThroughOpenPrintAndClose) {
    Devmode devmode;
    const DWORD job = AddJob(u"NT EMF 1.008", std::vector<BYTE>(devmode.bytes().begin(),
                                                                devmode.bytes().begin() + 220 + 16 + kRecordSize));
    JobRunner runner(m_library, job);
    EXPECT_EQ(runner.spoolDocumentName(), std::u16string(kPrinter) + u", Job " + static_cast<char16_t>(u'0' + job));
    const JobRunner::Outcome outcome = runner.Run();
    // The printer has no settings blocks: the EMF processor cannot read the job's layout and the
    // job does not open (EMF jobs that print are in emf_job_test.cpp).
    EXPECT_FALSE(outcome.open.result);
    EXPECT_FALSE(outcome.print.done);
    EXPECT_FALSE(outcome.close.done);
    EXPECT_EQ(runner.handle(), nullptr);
}

TEST_F(RunnerTest, AJobOfAnUnknownDatatypeDoesNotOpen) {
    const DWORD job = AddJob(u"XPS_PASS");
    JobRunner runner(m_library, job);
    const JobRunner::Outcome outcome = runner.Run();
    EXPECT_FALSE(outcome.open.result);
    EXPECT_EQ(outcome.open.lastError, static_cast<DWORD>(ERROR_INVALID_DATATYPE));
    EXPECT_FALSE(outcome.print.done);
    EXPECT_FALSE(outcome.close.done);
    EXPECT_EQ(Status(job), 0u);
}

TEST_F(RunnerTest, ControlsTheOpenJobFromAnotherThread) {
    const DWORD job = AddJob(u"RAW");
    JobRunner runner(m_library, job);
    SetLastError(0);
    EXPECT_FALSE(runner.Control(JOB_CONTROL_PAUSE));  // nothing open yet
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(runner.Open().result);
    const auto control = [&](DWORD command) {
        BOOL result = FALSE;
        DWORD error = 0;
        std::thread spooler([&] {
            result = runner.Control(command);
            error = GetLastError();
        });
        spooler.join();
        return std::make_pair(result, error);
    };
    EXPECT_TRUE(control(JOB_CONTROL_PAUSE).first);
    EXPECT_EQ(Status(job), static_cast<DWORD>(JOB_STATUS_PAUSED));
    EXPECT_TRUE(control(JOB_CONTROL_RESUME).first);
    EXPECT_EQ(Status(job), 0u);
    EXPECT_EQ(control(4).second, static_cast<DWORD>(ERROR_BAD_COMMAND));
    EXPECT_TRUE(control(JOB_CONTROL_PAUSE).first);
    EXPECT_TRUE(control(JOB_CONTROL_CANCEL).first);
    EXPECT_EQ(Status(job), static_cast<DWORD>(JOB_STATUS_DELETING));
    EXPECT_TRUE(runner.Close().result);
    EXPECT_FALSE(runner.Control(JOB_CONTROL_RESUME));
}

TEST_F(RunnerTest, TheJobMustBeInTheMachine) {
    EXPECT_THROW(JobRunner(m_library, 999), palvex::MachineError);
}

}  // namespace
}  // namespace pptest
