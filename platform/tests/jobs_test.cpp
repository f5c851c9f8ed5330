// The machine's job table.
#include <gtest/gtest.h>

#include <cstring>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <win/windows.h>

namespace {

constexpr char16_t kPrinter[] = u"Palvex Jobs";

std::vector<BYTE> DevModeBytes(WORD size, WORD extra) {
    std::vector<BYTE> bytes(static_cast<size_t>(size) + extra, 0x11);
    std::memcpy(bytes.data() + offsetof(DEVMODEW, dmSize), &size, 2);
    std::memcpy(bytes.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, 2);
    return bytes;
}

class JobsTest : public ::testing::Test {
protected:
    void SetUp() override { m_machine.AddPrinterWithDriver(kPrinter); }
    palvex::TestMachine m_machine;
};

TEST_F(JobsTest, KeepsWhatTheApplicationSpooled) {
    palvex::JobDesc job;
    job.printerName = u"palvex JOBS";  // names ignore case
    job.documentName = u"報告書.docx";
    job.datatype = u"RAW";
    job.parameters = u"copies=2";
    job.devMode = DevModeBytes(220, 40);
    job.spoolFile = u"C:\\Windows\\System32\\spool\\PRINTERS\\00001.SPL";
    job.outputFile = u"C:\\out.prn";
    job.status = 0x8;
    const DWORD first = palvex::AddJob(job);
    EXPECT_EQ(first, 1u);
    const auto found = palvex::FindJob(first);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, first);
    EXPECT_EQ(found->printerName, kPrinter);
    EXPECT_EQ(found->documentName, job.documentName);
    EXPECT_EQ(found->datatype, u"RAW");
    EXPECT_EQ(found->parameters, job.parameters);
    EXPECT_EQ(found->devMode, job.devMode);
    EXPECT_EQ(found->spoolFile, job.spoolFile);
    EXPECT_EQ(found->outputFile, job.outputFile);
    EXPECT_EQ(found->status, 0x8u);

    job.devMode.clear();
    const DWORD second = palvex::AddJob(job);
    EXPECT_EQ(second, 2u);
    EXPECT_TRUE(palvex::FindJob(second)->devMode.empty());
    palvex::SetJobStatus(second, 0x10);
    const auto jobs = palvex::ListJobs(kPrinter);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].id, first);
    EXPECT_EQ(jobs[1].status, 0x10u);
    EXPECT_FALSE(palvex::FindJob(3));
}

TEST_F(JobsTest, StatusUpdatesChangeOnlyTheirBits) {
    palvex::JobDesc job;
    job.printerName = kPrinter;
    const DWORD id = palvex::AddJob(job);
    palvex::SetJobStatus(id, JOB_STATUS_PAUSED | JOB_STATUS_PRINTING);
    // The job's thread marks it printed while another clears its pause: neither change is lost.
    palvex::UpdateJobStatus(id, JOB_STATUS_PRINTED, JOB_STATUS_PRINTING);
    palvex::UpdateJobStatus(id, 0, JOB_STATUS_PAUSED);
    EXPECT_EQ(palvex::FindJob(id)->status, static_cast<DWORD>(JOB_STATUS_PRINTED));
    palvex::UpdateJobStatus(id, JOB_STATUS_ERROR | JOB_STATUS_PRINTED, 0);
    EXPECT_EQ(palvex::FindJob(id)->status, static_cast<DWORD>(JOB_STATUS_ERROR | JOB_STATUS_PRINTED));
    EXPECT_THROW(palvex::UpdateJobStatus(id + 1, 1, 0), palvex::MachineError);
}

TEST_F(JobsTest, RefusesUnknownPrintersAndDevmodesOfAnotherLength) {
    palvex::JobDesc job;
    job.printerName = u"No Such Printer";
    EXPECT_THROW(palvex::AddJob(job), palvex::MachineError);
    job.printerName = kPrinter;
    for (auto devMode : {DevModeBytes(220, 40), DevModeBytes(60, 12), std::vector<BYTE>(71, 0)}) {
        if (devMode.size() > 200) devMode.pop_back();  // one byte short of what it says
        try {
            job.devMode = devMode;
            palvex::AddJob(job);
            ADD_FAILURE() << "accepted " << devMode.size() << " bytes";
        } catch (const palvex::MachineError& e) {
            EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        }
    }
    EXPECT_THROW(palvex::SetJobStatus(77, 1), palvex::MachineError);
    EXPECT_TRUE(palvex::ListJobs(kPrinter).empty());
}

}  // namespace
