// A machine with one printer and jobs whose spool files the tests write.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/spool_writer.h>
#include <win/windows.h>

namespace spooltest {

inline constexpr char16_t kPrinter[] = u"Palvex Spool";

inline std::u16string Decimal(DWORD value) {
    std::u16string text;
    for (char digit : std::to_string(value)) text += static_cast<char16_t>(digit);
    return text;
}

class SpoolJobTest : public ::testing::Test {
protected:
    void SetUp() override { m_machine.AddPrinterWithDriver(kPrinter); }

    // A job of the printer whose spool file is not written yet.
    DWORD AddJob(std::vector<BYTE> devMode = {}) {
        palvex::JobDesc job;
        job.printerName = kPrinter;
        job.documentName = u"Report";
        job.devMode = std::move(devMode);
        job.spoolFile = u"C:\\Windows\\System32\\spool\\PRINTERS\\FP" + Decimal(++m_files) + u".SPL";
        return palvex::AddJob(job);
    }
    DWORD AddJobWithFile(const palvex::SpoolDocumentDesc& document) {
        const DWORD job = AddJob();
        palvex::WriteSpoolFile(SpoolPath(job), document);
        return job;
    }
    std::filesystem::path SpoolPath(DWORD job) { return palvex::HostPath(palvex::FindJob(job)->spoolFile); }
    static std::u16string DocumentName(DWORD job) { return std::u16string(kPrinter) + u", Job " + Decimal(job); }
    // GdiGetSpoolFileHandle for the job, as the print processor asks for it.
    static HANDLE Open(DWORD job, DEVMODEW* devMode = nullptr) {
        std::u16string printer = kPrinter;
        std::u16string document = DocumentName(job);
        return GdiGetSpoolFileHandle(printer.data(), devMode, document.data());
    }

    palvex::TestMachine m_machine;
    DWORD m_files = 0;
};

}  // namespace spooltest
