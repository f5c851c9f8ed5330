// The custom-media writers over the driver's data file: any file content, as a GPD or a PPD (by the
// input's first byte), with a small fixed list of media. A writer leaves the file untouched,
// rewrites it (keeping every byte before its first section) or fails with the file as it was.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <palvex/clock.h>
#include <palvex/paths.h>
#include <win/windows.h>

#include "cmswriter.h"
#include "datafiletags.h"
#include "fuzz_input.h"
#include "fuzz_printer.h"
#include "media_list.h"

namespace {

constexpr char16_t kPrinter[] = u"Palvex Fuzz Printer";

// The list: a plain medium, a hidden one, one whose name needs quoting and escaping, a Japanese
// one and one without a name.
MediaList TheMedia() {
    MediaList media;
    media.Add(u"A4 Custom", 210000, 297000)
        .Add(u"Hidden", 100000, 100000, OPTPF_HIDE)
        .Add(u"Say \"Hi\" <%>\r\n*Option", 1, 2147483647)
        .Add(u"\u30CF\u30AC\u30AD", 100000, 148000)
        .Add(u"", 150000, 150000);
    return media;
}

// The printer, and the writers' state as the custom-media name handler keeps it for its life: read
// once (the printer's PRNINFO does not change), while each writer reads the data file afresh.
struct Setup {
    HANDLE printer = nullptr;
    std::filesystem::path dataFile;
    CmsFileWriter writer;
};

void WriteFile(const std::filesystem::path& path, std::string_view content) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    for (size_t done = 0; done < content.size();) {
        const ssize_t wrote = write(fd, content.data() + done, content.size() - done);
        if (wrote <= 0) std::abort();
        done += static_cast<size_t>(wrote);
    }
    close(fd);
}

void ReadFile(const std::filesystem::path& path, std::string* content) {
    content->clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0) std::abort();
        if (got == 0) break;
        content->append(chunk, static_cast<size_t>(got));
    }
    close(fd);
}

Setup* MakeSetup() {
    fuzz::InstallPrinter(kPrinter, u"PALVEXF.GPD", {u"PRINTERSETTINGS", u"PRNINFO"});
    // A retry sleeps on the machine's clock: a virtual one lets it pass at once.
    palvex::SetVirtualClock(SYSTEMTIME{2024, 5, 0, 17, 9, 30, 0, 0});
    auto* setup = new Setup;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(const_cast<LPWSTR>(kPrinter), &setup->printer, &defaults)) std::abort();
    DWORD needed = 0;
    GetPrinterDriverW(setup->printer, nullptr, 3, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    if (needed < sizeof(DRIVER_INFO_3W) || !GetPrinterDriverW(setup->printer, nullptr, 3, info.data(), needed, &needed))
        std::abort();
    setup->dataFile = palvex::HostPath(reinterpret_cast<const DRIVER_INFO_3W*>(info.data())->pDataFile);
    if (setup->dataFile.empty()) std::abort();
    std::filesystem::create_directories(setup->dataFile.parent_path());
    // The state is loaded from a data file that can be read.
    WriteFile(setup->dataFile, "*GPDFileVersion: \"1.0\"\r\n");
    setup->writer.m_printer = setup->printer;
    if (!LoadCmsContext(&setup->writer)) std::abort();
    return setup;
}

HRESULT Write(Setup& setup, bool ppd, const CustomMediaList* list, std::string* written) {
    CmsFileWriter& writer = setup.writer;
    const HRESULT result = ppd ? WritePpdCustomMedia(&writer, list) : WriteGpdCustomMedia(&writer, list);
    ReadFile(setup.dataFile, written);
    // What the writer holds is what the file holds.
    if (result == S_OK && writer.m_image.m_content != *written) std::abort();
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup& setup = *MakeSetup();
    static MediaList media = TheMedia();
    static std::string written, again;
    fuzz::Input input(data, size);
    const bool ppd = input.Byte() & 1;
    const auto bytes = input.Rest();
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    WriteFile(setup.dataFile, content);

    const HRESULT result = Write(setup, ppd, media.list(), &written);
    if (result != S_OK) {
        // Nothing to rewrite, or a failure (an empty file cannot be read): the file is as it was.
        if (result != S_FALSE && result != E_FAIL) std::abort();
        if (written != content) std::abort();
        return 0;
    }
    // Every byte before the first section stays.
    const size_t first = content.find(ppd ? TAG_PPD_CMS_BEGIN : TAG_CMS_BEGIN);
    if (first == std::string_view::npos || written.compare(0, first, content.substr(0, first)) != 0) std::abort();
    if (!ppd) {
        // The section written is found again in its place: a second write gives the same file.
        if (Write(setup, ppd, media.list(), &again) != S_OK || again != written) std::abort();
    }
    return 0;
}
