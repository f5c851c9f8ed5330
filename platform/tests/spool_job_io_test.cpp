// Job data and printer documents: ReadPrinter on a job's handle, StartDocPrinterW, WritePrinter
// and EndDocPrinter into the port's file or an output file, and the port file names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/port_output.h>
#include <win/windows.h>
#include <win/winspool_io.h>

namespace {

constexpr char16_t kPrinter[] = u"Palvex Port Printer";
constexpr char16_t kSpoolFile[] = u"C:\\Windows\\System32\\spool\\PRINTERS\\00007.SPL";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::u16string JobName(const std::u16string& printer, DWORD job) {
    std::u16string name = printer + u", Job ";
    for (char c : std::to_string(job)) name += static_cast<char16_t>(c);
    return name;
}

class SpoolIoTest : public ::testing::Test {
protected:
    void SetUp() override { m_machine.AddPrinterWithDriver(kPrinter); }
    void TearDown() override {
        for (HANDLE handle : m_handles) ClosePrinter(handle);
        palvex::FailPrinterWrites(kPrinter, 0, 0);
    }

    DWORD AddJob(const std::u16string& spoolFile, const std::u16string& printer = kPrinter) {
        palvex::JobDesc job;
        job.printerName = printer;
        job.datatype = u"RAW";
        job.spoolFile = spoolFile;
        return palvex::AddJob(job);
    }
    // Opens a printer or job; null when the name does not open (the last error says why).
    HANDLE Open(const std::u16string& name) {
        std::u16string copy = name;
        HANDLE handle = nullptr;
        if (!OpenPrinterW(copy.data(), &handle, nullptr)) return nullptr;
        m_handles.push_back(handle);
        return handle;
    }
    DWORD StartDoc(HANDLE printer, LPCWSTR output = nullptr) {
        DOC_INFO_1W info{const_cast<LPWSTR>(u"Doc"), const_cast<LPWSTR>(output), const_cast<LPWSTR>(u"RAW")};
        return StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&info));
    }
    BOOL Write(HANDLE printer, std::string bytes, DWORD* written = nullptr) {
        DWORD count = 0;
        const BOOL result = WritePrinter(printer, bytes.data(), static_cast<DWORD>(bytes.size()), &count);
        if (written) *written = count;
        return result;
    }
    std::string Port() const { return ReadFile(palvex::PortOutputPath(u"FILE:")); }

    palvex::TestMachine m_machine;
    std::vector<HANDLE> m_handles;
};

TEST_F(SpoolIoTest, AJobsHandleReadsItsDataToTheEnd) {
    WriteFile(palvex::HostPath(kSpoolFile), "0123456789");
    HANDLE job = Open(JobName(kPrinter, AddJob(kSpoolFile)));
    ASSERT_NE(job, nullptr);
    char buffer[16] = {};
    DWORD read = 99;
    ASSERT_TRUE(ReadPrinter(job, buffer, 4, &read));
    EXPECT_EQ(std::string(buffer, read), "0123");
    ASSERT_TRUE(ReadPrinter(job, buffer, sizeof buffer, &read));
    EXPECT_EQ(std::string(buffer, read), "456789");
    ASSERT_TRUE(ReadPrinter(job, buffer, sizeof buffer, &read));
    EXPECT_EQ(read, 0u);  // the end of the data
    // The job's handle is a handle of its printer: its printer data is there.
    DWORD value = 5, type = 0, needed = 0;
    HANDLE admin = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    std::u16string name = kPrinter;
    ASSERT_TRUE(OpenPrinterW(name.data(), &admin, &defaults));
    m_handles.push_back(admin);
    ASSERT_EQ(SetPrinterDataW(admin, const_cast<LPWSTR>(u"Transparency"), 4, reinterpret_cast<LPBYTE>(&value), 4), 0u);
    value = 0;
    EXPECT_EQ(GetPrinterDataW(job, const_cast<LPWSTR>(u"Transparency"), &type, reinterpret_cast<LPBYTE>(&value), 4,
                              &needed), 0u);
    EXPECT_EQ(value, 5u);
}

TEST_F(SpoolIoTest, OnlyAJobOfThePrinterOpensByItsName) {
    m_machine.AddPrinterWithDriver(u"Other");
    const DWORD job = AddJob(kSpoolFile);
    const DWORD otherJob = AddJob(kSpoolFile, u"Other");
    const std::u16string printer = kPrinter;
    const std::u16string refused[] = {
        JobName(printer, otherJob), JobName(printer, 999), printer + u", Job 0", printer + u", Job ",
        printer + u", Job 1x", printer + u",Job 1", printer + u", job 1", JobName(u"Nobody", job),
        JobName(printer, job) + u" ", u", Job 1",
    };
    for (const auto& name : refused) {
        SetLastError(0);
        EXPECT_EQ(Open(name), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    }
    EXPECT_NE(Open(JobName(u"PALVEX PORT PRINTER", job)), nullptr);  // printer names ignore case
}

TEST_F(SpoolIoTest, ReadingRefusesWhatIsNoJobData) {
    HANDLE printer = Open(kPrinter);
    char buffer[4];
    DWORD read = 7;
    EXPECT_FALSE(ReadPrinter(printer, buffer, sizeof buffer, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(read, 0u);
    HANDLE job = Open(JobName(kPrinter, AddJob(kSpoolFile)));  // a spool file that is not there
    EXPECT_FALSE(ReadPrinter(job, buffer, sizeof buffer, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(ReadPrinter(job, buffer, sizeof buffer, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_X_NULL_REF_POINTER));
    EXPECT_FALSE(ReadPrinter(job, nullptr, 4, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    EXPECT_FALSE(ReadPrinter(reinterpret_cast<HANDLE>(0x1234), buffer, sizeof buffer, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    HANDLE empty = Open(JobName(kPrinter, AddJob(u"")));  // a job without data
    EXPECT_TRUE(ReadPrinter(empty, buffer, sizeof buffer, &read));
    EXPECT_EQ(read, 0u);
}

TEST_F(SpoolIoTest, DocumentsAppendToThePortFile) {
    HANDLE printer = Open(kPrinter);
    EXPECT_FALSE(Write(printer, "early"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SPL_NO_STARTDOC));
    EXPECT_FALSE(EndDocPrinter(printer));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SPL_NO_STARTDOC));

    const DWORD first = StartDoc(printer);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(StartDoc(printer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_STATE));
    DWORD written = 0;
    EXPECT_TRUE(Write(printer, "one,", &written));
    EXPECT_EQ(written, 4u);
    EXPECT_TRUE(EndDocPrinter(printer));
    const DWORD second = StartDoc(printer);
    EXPECT_NE(second, first);
    EXPECT_TRUE(Write(printer, std::string("two\0", 4)));
    EXPECT_TRUE(EndDocPrinter(printer));
    EXPECT_EQ(Port(), std::string("one,two\0", 8));

    // A job's handle starts a document of that job.
    const DWORD job = AddJob(kSpoolFile);
    EXPECT_EQ(StartDoc(Open(JobName(kPrinter, job))), job);

    DOC_INFO_1W info{};
    EXPECT_EQ(StartDocPrinterW(printer, 2, reinterpret_cast<LPBYTE>(&info)), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    EXPECT_EQ(StartDocPrinterW(printer, 1, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_X_NULL_REF_POINTER));
}

TEST_F(SpoolIoTest, ADocumentWithAnOutputFileMakesItAnew) {
    const std::filesystem::path file = palvex::HostPath(u"C:\\Users\\User\\out.prn");
    WriteFile(file, "old contents");
    HANDLE printer = Open(kPrinter);
    ASSERT_NE(StartDoc(printer, u"c:\\users\\USER\\OUT.PRN"), 0u);  // found without regard to case
    EXPECT_TRUE(Write(printer, "new"));
    EXPECT_TRUE(EndDocPrinter(printer));
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_FALSE(std::filesystem::exists(palvex::PortOutputPath(u"FILE:")));
    EXPECT_EQ(StartDoc(printer, u"C:\\No\\Such\\Folder\\out.prn"), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(SpoolIoTest, APrinterMadeToRefuseWritesTakesWhatItAcceptsThenFails) {
    constexpr DWORD kNotReady = 21;
    HANDLE printer = Open(kPrinter);
    ASSERT_NE(StartDoc(printer), 0u);
    palvex::FailPrinterWrites(u"palvex port printer", 5, kNotReady);
    DWORD written = 0;
    EXPECT_TRUE(Write(printer, "abc", &written));
    EXPECT_FALSE(Write(printer, "defg", &written));
    EXPECT_EQ(GetLastError(), kNotReady);
    EXPECT_EQ(written, 2u);
    EXPECT_FALSE(Write(printer, "h", &written));
    EXPECT_EQ(written, 0u);
    palvex::FailPrinterWrites(kPrinter, 0, 0);
    EXPECT_TRUE(Write(printer, "i"));
    EXPECT_TRUE(EndDocPrinter(printer));
    EXPECT_EQ(Port(), "abcdei");
}

TEST_F(SpoolIoTest, PortFilesAreNamedAfterThePort) {
    const std::filesystem::path ports = m_machine.root() / "ports";
    const struct {
        std::u16string port;
        std::filesystem::path file;
    } cases[] = {
        {u"FILE:", ports / "FILE.prn"},
        {u"usb001", ports / "USB001.prn"},
        {u"IP_10.0.0.5", ports / "IP_10.0.0.5.prn"},
        {u"My Port:", ports / "MY_PORT.prn"},
        {u"LPT1:x:", ports / "LPT1_X.prn"},
        {u"\u30DD\u30FC\u30C8", ports / "___.prn"},
        {u"C:\\Output\\job.prn", palvex::HostPath(u"C:\\Output\\job.prn")},
        {u"", {}},
        {u":", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(palvex::PortOutputPath(c.port), c.file) << c.file;
}

}  // namespace
