// palvex-spool: writes an EMF spool file of numbered pages (palvex/spool_writer.h).
//
//   palvex-spool FILE [--pages N] [--landscape LIST] [--paper N] [--devmode BYTES]
//                     [--page-devmode LIST=BYTES]... [--document NAME] [--output NAME]
//
// LIST is page numbers and ranges, such as 2,4-6. BYTES is a file holding one DEVMODE (its
// dmSize + dmDriverExtra bytes): --devmode gives the document's DEVMODE (default: the public part
// only, of --paper, A4 unless told), --page-devmode gives the listed pages their own.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <palvex/spool_writer.h>
#include <palvex/utf8.h>

namespace {

constexpr char kUsage[] =
    "usage: palvex-spool FILE [--pages N] [--landscape LIST] [--paper N] [--devmode BYTES]\n"
    "                         [--page-devmode LIST=BYTES]... [--document NAME] [--output NAME]\n"
    "  LIST: page numbers and ranges, such as 2,4-6; BYTES: a file holding one DEVMODE\n";

unsigned long Number(const std::string& text, const char* what) {
    size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size()) throw std::invalid_argument(std::string("not a number for ") + what + ": " + text);
    return value;
}

std::vector<DWORD> PageList(const std::string& text) {
    std::vector<DWORD> pages;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const size_t dash = item.find('-');
        const DWORD first = static_cast<DWORD>(Number(item.substr(0, dash), "a page"));
        const DWORD last = dash == std::string::npos ? first : static_cast<DWORD>(Number(item.substr(dash + 1), "a page"));
        if (first == 0 || last < first) throw std::invalid_argument("not a page range: " + item);
        for (DWORD page = first; page <= last; ++page) pages.push_back(page);
        start = end + 1;
    }
    return pages;
}

std::vector<BYTE> ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Run(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string file = argv[1];
    DWORD count = 1;
    std::vector<DWORD> landscape;
    short paper = 9;
    palvex::SpoolDocumentDesc header;
    std::vector<std::pair<std::vector<DWORD>, std::vector<BYTE>>> pageDevModes;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "palvex-spool: %s needs a value\n%s", option.c_str(), kUsage);
            return 2;
        }
        const std::string value = argv[++i];
        if (option == "--pages") {
            count = static_cast<DWORD>(Number(value, "--pages"));
        } else if (option == "--landscape") {
            landscape = PageList(value);
        } else if (option == "--paper") {
            paper = static_cast<short>(Number(value, "--paper"));
        } else if (option == "--devmode") {
            header.devMode = ReadBytes(value);
        } else if (option == "--page-devmode") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos) throw std::invalid_argument("--page-devmode needs LIST=BYTES");
            pageDevModes.emplace_back(PageList(value.substr(0, equals)), ReadBytes(value.substr(equals + 1)));
        } else if (option == "--document") {
            header.documentName = palvex::FromUtf8(value);
        } else if (option == "--output") {
            header.outputName = palvex::FromUtf8(value);
        } else {
            std::fprintf(stderr, "palvex-spool: unknown option %s\n%s", option.c_str(), kUsage);
            return 2;
        }
    }
    palvex::SpoolDocumentDesc document = palvex::NumberedPages(count, landscape);
    document.documentName = header.documentName;
    document.outputName = header.outputName;
    document.devMode = header.devMode.empty() ? palvex::MakeDevMode(paper) : header.devMode;
    for (const auto& [pages, devMode] : pageDevModes)
        for (DWORD page : pages)
            if (page <= document.pages.size()) document.pages[page - 1].devMode = devMode;
    palvex::WriteSpoolFile(file, document);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "palvex-spool: %s\n", e.what());
        return 1;
    }
}
