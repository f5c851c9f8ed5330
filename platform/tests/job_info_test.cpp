// GetJobW: a job's record as the spooler tells it, packed into the caller's buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/spool_writer.h>
#include <win/windows.h>

namespace {

constexpr char16_t kPrinter[] = u"Palvex Jobs";  // driver "Palvex Test", print processor "winprint"
constexpr char16_t kOtherPrinter[] = u"Palvex Other";

// MakeDevMode's public part with 16 bytes of the driver's own behind it.
std::vector<BYTE> DevModeWithDriverPart() {
    std::vector<BYTE> bytes = palvex::MakeDevMode();
    const WORD extra = 16;
    std::memcpy(bytes.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, sizeof extra);
    for (BYTE i = 0; i < extra; ++i) bytes.push_back(static_cast<BYTE>(0xA0 + i));
    return bytes;
}

class JobInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        m_machine.AddPrinterWithDriver(kOtherPrinter);
        std::u16string name = kPrinter;
        ASSERT_TRUE(OpenPrinterW(name.data(), &m_printer, nullptr));
    }
    void TearDown() override { ClosePrinter(m_printer); }

    // A job of the printer; its spool file is written only when pages are given.
    DWORD AddJob(std::vector<BYTE> devMode, DWORD pages, const std::u16string& datatype = u"NT EMF 1.008") {
        palvex::JobDesc job;
        job.printerName = kPrinter;
        job.documentName = u"Report";
        job.datatype = datatype;
        job.parameters = u"N=1";
        job.devMode = std::move(devMode);
        job.spoolFile = u"C:\\Windows\\System32\\spool\\PRINTERS\\FP" + std::u16string(1, u'0' + ++m_files) + u".SPL";
        if (pages) palvex::WriteSpoolFile(palvex::HostPath(job.spoolFile), palvex::NumberedPages(pages));
        return palvex::AddJob(job);
    }
    // The record of a job through the usual size probe, or an empty buffer (and the error).
    std::vector<uint64_t> Record(DWORD jobId, DWORD level, DWORD* needed) {
        *needed = 0;
        EXPECT_FALSE(GetJobW(m_printer, jobId, level, nullptr, 0, needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<uint64_t> buffer((*needed + 7) / 8);
        DWORD again = 0;
        EXPECT_TRUE(GetJobW(m_printer, jobId, level, reinterpret_cast<LPBYTE>(buffer.data()), *needed, &again));
        EXPECT_EQ(again, *needed);
        return buffer;
    }

    palvex::TestMachine m_machine;
    HANDLE m_printer = nullptr;
    int m_files = 0;
};

TEST_F(JobInfoTest, LevelTwoPacksTheStringsAndTheDevmodeBehindTheRecord) {
    const std::vector<BYTE> devMode = DevModeWithDriverPart();
    const DWORD jobId = AddJob(devMode, 5);
    DWORD needed = 0;
    std::vector<uint64_t> buffer = Record(jobId, 2, &needed);
    const auto* base = reinterpret_cast<const BYTE*>(buffer.data());
    const auto* info = reinterpret_cast<const JOB_INFO_2W*>(base);
    // 160 fixed bytes; then "Palvex Jobs" 24, "User" 10, "Report" 14, "User" 10, "NT EMF 1.008" 26,
    // "winprint" 18, "N=1" 8, "Palvex Test" 24 (ending at 294); the DEVMODE at 296 (8-byte
    // aligned), 220 + 16 bytes.
    EXPECT_EQ(needed, 296u + 236u);
    auto offset = [&](const void* link) { return static_cast<size_t>(static_cast<const BYTE*>(link) - base); };
    const struct {
        const char16_t* link;
        size_t at;
        const char16_t* text;
    } texts[] = {
        {info->pPrinterName, 160, u"Palvex Jobs"}, {info->pUserName, 184, u"User"},
        {info->pDocument, 194, u"Report"},         {info->pNotifyName, 208, u"User"},
        {info->pDatatype, 218, u"NT EMF 1.008"},   {info->pPrintProcessor, 244, u"winprint"},
        {info->pParameters, 262, u"N=1"},          {info->pDriverName, 270, u"Palvex Test"},
    };
    for (const auto& t : texts) {
        ASSERT_NE(t.link, nullptr) << static_cast<int>(t.at);
        EXPECT_EQ(offset(t.link), t.at);
        EXPECT_EQ(std::u16string(t.link), t.text);
    }
    EXPECT_EQ(info->pMachineName, nullptr);
    EXPECT_EQ(info->pStatus, nullptr);
    EXPECT_EQ(info->pSecurityDescriptor, nullptr);
    ASSERT_NE(info->pDevMode, nullptr);
    EXPECT_EQ(offset(info->pDevMode), 296u);
    EXPECT_EQ(std::memcmp(info->pDevMode, devMode.data(), devMode.size()), 0);
    EXPECT_EQ(info->JobId, jobId);
    EXPECT_EQ(info->TotalPages, 5u);
    EXPECT_EQ(info->Size, std::filesystem::file_size(palvex::HostPath(palvex::FindJob(jobId)->spoolFile)));
    EXPECT_EQ(info->Position, 1u);
    EXPECT_EQ(info->Priority, 1u);
    EXPECT_EQ(info->Status, 0u);
    EXPECT_EQ(info->PagesPrinted, 0u);
}

TEST_F(JobInfoTest, LevelOneAndTheCountsOfOtherJobs) {
    const DWORD first = AddJob({}, 0);
    const DWORD raw = AddJob({}, 3, u"RAW");
    const DWORD emf = AddJob({}, 2);
    DWORD needed = 0;
    std::vector<uint64_t> buffer = Record(emf, 1, &needed);
    const auto* info = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
    // 96 fixed bytes, "Palvex Jobs" 24, "User" 10, "Report" 14, "NT EMF 1.008" 26.
    EXPECT_EQ(needed, 96u + 24u + 10u + 14u + 26u);
    EXPECT_EQ(std::u16string(info->pDatatype), u"NT EMF 1.008");
    EXPECT_EQ(info->TotalPages, 2u);
    EXPECT_EQ(info->Position, 3u);

    // Pages of data that is not EMF, or of a job without data, cannot be counted; a deleted job
    // leaves the queue and moves the others up.
    palvex::SetJobStatus(first, JOB_STATUS_DELETED);
    buffer = Record(raw, 2, &needed);
    EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->TotalPages, 0u);
    EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->Position, 1u);
    EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->pDevMode, nullptr);
    const DWORD unwritten = AddJob({}, 0);
    buffer = Record(unwritten, 2, &needed);
    EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->TotalPages, 0u);
    EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->Size, 0u);
}

TEST_F(JobInfoTest, CountsThePagesSpooledSoFar) {
    const DWORD jobId = AddJob({}, 0);
    palvex::SpoolFileWriter writer(palvex::HostPath(palvex::FindJob(jobId)->spoolFile), palvex::NumberedPages(4));
    writer.AddPage({});
    writer.AddPage({});
    DWORD needed = 0;
    std::vector<uint64_t> buffer = Record(jobId, 2, &needed);
    EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->TotalPages, 2u);
    writer.AddPage({});
    writer.Finish();
    buffer = Record(jobId, 2, &needed);
    EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->TotalPages, 3u);
}

TEST_F(JobInfoTest, RefusesWhatItCannotAnswer) {
    const DWORD jobId = AddJob(DevModeWithDriverPart(), 1);
    palvex::JobDesc other;
    other.printerName = kOtherPrinter;
    const DWORD otherJob = palvex::AddJob(other);
    const DWORD deleted = AddJob({}, 0);
    palvex::SetJobStatus(deleted, JOB_STATUS_DELETED);
    DWORD needed = 0;
    ASSERT_FALSE(GetJobW(m_printer, jobId, 2, nullptr, 0, &needed));
    const DWORD size = needed;
    std::vector<BYTE> buffer(size, 0xCD);
    HANDLE closed = nullptr;
    std::u16string name = kPrinter;
    ASSERT_TRUE(OpenPrinterW(name.data(), &closed, nullptr));
    ClosePrinter(closed);

    const struct {
        const char* what;
        HANDLE printer;
        DWORD job;
        DWORD level;
        DWORD size;
        bool withNeeded;
        DWORD error;
    } cases[] = {
        {"one byte short", m_printer, jobId, 2, size - 1, true, ERROR_INSUFFICIENT_BUFFER},
        {"unknown job", m_printer, 999, 2, size, true, ERROR_INVALID_PARAMETER},
        {"another printer's job", m_printer, otherJob, 2, size, true, ERROR_INVALID_PARAMETER},
        {"deleted job", m_printer, deleted, 2, size, true, ERROR_INVALID_PARAMETER},
        {"level 3", m_printer, jobId, 3, size, true, ERROR_INVALID_LEVEL},
        {"level 0", m_printer, jobId, 0, size, true, ERROR_INVALID_LEVEL},
        {"no needed", m_printer, jobId, 2, size, false, RPC_X_NULL_REF_POINTER},
        {"closed handle", closed, jobId, 2, size, true, ERROR_INVALID_HANDLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        needed = 0;
        SetLastError(0);
        EXPECT_FALSE(GetJobW(c.printer, c.job, c.level, buffer.data(), c.size, c.withNeeded ? &needed : nullptr));
        EXPECT_EQ(GetLastError(), c.error);
        if (c.error == ERROR_INSUFFICIENT_BUFFER) {
            EXPECT_EQ(needed, size);
        }
        EXPECT_EQ(buffer, std::vector<BYTE>(size, 0xCD));  // untouched
    }
}

}  // namespace
