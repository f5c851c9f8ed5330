// Jobs of RAW and TEXT data on a fresh machine, printed through the library by the spooler's job
// runner, and what reached the printer's port.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include <palvex/jobs.h>
#include <palvex/paths.h>
#include <palvex/port_output.h>

#include "library_fixture.h"

namespace pptest {

inline constexpr char16_t kSpoolPrinter[] = u"Palvex Spool Printer";

inline std::vector<BYTE> ReadHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SpoolJobTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        m_machine.AddPrinterWithDriver(kSpoolPrinter);
    }
    void TearDown() override {
        palvex::SetPrinterOutputObserver({});
        palvex::FailPrinterWrites(kSpoolPrinter, 0, 0);
    }

    // A job of the printer whose spool file holds data.
    DWORD AddJob(const std::u16string& datatype, const std::vector<BYTE>& data, std::vector<BYTE> devMode = {},
                 const std::u16string& outputFile = {}) {
        const std::u16string spoolFile =
            u"C:\\Windows\\System32\\spool\\PRINTERS\\" + std::u16string(1, u'A' + static_cast<char16_t>(m_jobs++)) + u".SPL";
        const std::filesystem::path host = palvex::HostPath(spoolFile);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                    static_cast<std::streamsize>(data.size()));
        palvex::JobDesc job;
        job.printerName = kSpoolPrinter;
        job.documentName = u"Spooled document";
        job.datatype = datatype;
        job.devMode = std::move(devMode);
        job.spoolFile = spoolFile;
        job.outputFile = outputFile;
        return palvex::AddJob(job);
    }

    // What the printer's port ("FILE:") received.
    std::vector<BYTE> PortBytes() const { return ReadHostFile(palvex::PortOutputPath(u"FILE:")); }

    int m_jobs = 0;
};

// The printer's documents as the spooler saw them: each event, in order.
class OutputLog {
public:
    // events of other printers are left out. onEvent runs on the writing thread after the event is
    // logged, with the number of writes so far.
    explicit OutputLog(std::function<void(const palvex::PrinterOutputEvent&, int writes)> onEvent = {})
        : m_onEvent(std::move(onEvent)) {
        palvex::SetPrinterOutputObserver([this](const palvex::PrinterOutputEvent& event) {
            if (event.printerName != kSpoolPrinter) return;
            int writes = 0;
            {
                std::lock_guard lock(m_mutex);
                m_events.push_back(event);
                for (const auto& logged : m_events) writes += logged.kind == palvex::PrinterOutputEvent::Write;
            }
            if (m_onEvent) m_onEvent(event, writes);
        });
    }
    ~OutputLog() { palvex::SetPrinterOutputObserver({}); }
    OutputLog(const OutputLog&) = delete;
    OutputLog& operator=(const OutputLog&) = delete;

    // "S" for a document start, the size of each write, "E" for a document end, space-separated.
    std::string Summary() const {
        std::lock_guard lock(m_mutex);
        std::string summary;
        for (const auto& event : m_events) {
            if (!summary.empty()) summary += ' ';
            switch (event.kind) {
            case palvex::PrinterOutputEvent::StartDoc: summary += 'S'; break;
            case palvex::PrinterOutputEvent::Write: summary += std::to_string(event.bytes); break;
            case palvex::PrinterOutputEvent::EndDoc: summary += 'E'; break;
            }
        }
        return summary;
    }

private:
    std::function<void(const palvex::PrinterOutputEvent&, int)> m_onEvent;
    mutable std::mutex m_mutex;
    std::vector<palvex::PrinterOutputEvent> m_events;
};

}  // namespace pptest
