// Jobs started as the spooler starts them: through the print processor that the job's printer
// names, installed on the machine, and only for a datatype the processor lists.
#include <palvex/utf8.h>
#include <spooler_job.h>
#include <win/winspool_levels.h>

#include "spool_job_fixture.h"

namespace pptest {
namespace {

using palvex::hosts::ModuleCode;
using palvex::hosts::PrintJob;

constexpr char16_t kProcessorsFolder[] = u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\";

// The processor's file in the print-processor folder, as a package leaves the module there (its
// bytes are not run: the build's library of that name is), registered under the name.
void InstallProcessor(const std::u16string& name, const std::u16string& file) {
    const std::filesystem::path host = palvex::HostPath(kProcessorsFolder + file);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << "MZ";
    std::u16string processor = name, path = file;
    ASSERT_TRUE(AddPrintProcessorW(nullptr, nullptr, path.data(), processor.data())) << GetLastError();
}

// A job of the spool printer, which names the processor.
DWORD AddJob(const std::u16string& processor, const std::u16string& datatype) {
    palvex::DriverDesc driver;
    driver.name = u"Palvex Test";
    palvex::AddDriver(driver);
    palvex::AddPrinter(kSpoolPrinter, driver.name, u"FILE:", processor);
    const std::u16string spoolFile = u"C:\\Windows\\System32\\spool\\PRINTERS\\00001.SPL";
    const std::filesystem::path host = palvex::HostPath(spoolFile);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << "data";
    palvex::JobDesc job;
    job.printerName = kSpoolPrinter;
    job.documentName = u"Spooled document";
    job.datatype = datatype;
    job.spoolFile = spoolFile;
    return palvex::AddJob(job);
}

const ModuleCode kCode{{u"TOVQEBPP.DLL", TOVQEBPP_LIBRARY}};

TEST(SpoolerJob, PrintsThroughTheProcessorThePrinterNames) {
    palvex::TestMachine machine;
    InstallProcessor(u"tovqebpp", u"tovqebpp.dll");
    const DWORD job = AddJob(u"TOVQEBPP", u"RAW");  // names compare without regard to case
    const palvex::hosts::SpoolerJobResult result = PrintJob(job, kCode);
    EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_SUCCESS)) << result.message;
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(result.processor, u"TOVQEBPP");
    EXPECT_TRUE(result.outcome.open.result);
    EXPECT_TRUE(result.outcome.print.result);
    EXPECT_TRUE(result.outcome.close.result);
    EXPECT_EQ(palvex::FindJob(job)->status, static_cast<DWORD>(JOB_STATUS_PRINTED));
    EXPECT_EQ(ReadHostFile(palvex::PortOutputPath(u"FILE:")), (std::vector<BYTE>{'d', 'a', 't', 'a'}));
}

// A job that cannot start is refused before a processor opens it, with the spooler's error and a
// message that says why, and it stays in the queue marked in error.
TEST(SpoolerJob, RefusesAJobItCannotStartAndKeepsIt) {
    struct Case {
        const char* name;
        const char16_t* processor;  // the printer's
        const char16_t* datatype;
        DWORD error;
        const char* message;
    };
    const std::string of = "the print processor \"%\" of printer \"Palvex Spool Printer\"";
    const Case cases[] = {
        {"not installed", u"winprint", u"RAW", ERROR_UNKNOWN_PRINTPROCESSOR, " is not installed (error 1798)"},
        {"no code for it in this build", u"other", u"RAW", ERROR_MOD_NOT_FOUND,
         ": this build has no code for other.dll (error 126)"},
        {"its file gone", u"gone", u"RAW", ERROR_MOD_NOT_FOUND,
         " has no file C:\\Windows\\System32\\spool\\prtprocs\\x64\\gone.dll in the print-processor folder (error 126)"},
        {"a datatype it does not list", u"tovqebpp", u"NT EMF 1.003", ERROR_INVALID_DATATYPE,
         " does not print the job's datatype \"NT EMF 1.003\" (it prints \"NT EMF 1.008\", \"NT EMF 1.007\", "
         "\"NT EMF 1.006\", \"RAW\", \"TEXT\") (error 1804)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        palvex::TestMachine machine;
        InstallProcessor(u"tovqebpp", u"TOVQEBPP.DLL");
        InstallProcessor(u"other", u"other.dll");
        InstallProcessor(u"gone", u"gone.dll");
        std::filesystem::remove(palvex::HostPath(std::u16string(kProcessorsFolder) + u"gone.dll"));
        const DWORD job = AddJob(c.processor, c.datatype);

        const palvex::hosts::SpoolerJobResult result = PrintJob(job, kCode);
        EXPECT_EQ(result.error, c.error);
        std::string expected = of;
        expected.replace(expected.find('%'), 1, palvex::ToUtf8(c.processor));
        EXPECT_EQ(result.message, expected + c.message);
        EXPECT_FALSE(result.outcome.open.done);
        const std::optional<palvex::JobDesc> kept = palvex::FindJob(job);
        ASSERT_TRUE(kept.has_value());
        EXPECT_EQ(kept->status, static_cast<DWORD>(JOB_STATUS_ERROR));
        EXPECT_TRUE(std::filesystem::exists(palvex::HostPath(kept->spoolFile)));
    }
}

}  // namespace
}  // namespace pptest
