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
#include <utility>
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

constexpr char kHelp[] =
    "palvex-spool writes an EMF spool file, as an application's print job leaves it with the spooler:\n"
    "numbered pages, each of them an EMF page, with the document's DEVMODE and any page's own.\n"
    "\n"
    "  FILE                     the spool file to write\n"
    "  --pages N                the number of pages, 1 to 9999 (default 1)\n"
    "  --landscape LIST         the pages drawn in landscape, such as 2,4-6\n"
    "  --paper N                the paper of the default DEVMODE: a standard paper number, 1 to 118\n"
    "                           (9 is A4, the default; 1 is Letter, 8 is A3)\n"
    "  --devmode BYTES          the document's DEVMODE from a file (palvex-machine devmode writes the\n"
    "                           driver's); without it, the public part only\n"
    "  --page-devmode LIST=BYTES  the listed pages get the DEVMODE of that file\n"
    "  --document NAME          the document's name in the spool file's header\n"
    "  --output NAME            the output device in the header (default none)\n"
    "\n"
    "example:\n"
    "  palvex-spool report.spl --pages 4 --landscape 2 --devmode job.devmode --document \"Quarterly report\"\n";

constexpr unsigned long kMaxPages = 9999;
constexpr unsigned long kStandardPapers = 118;  // DMPAPER numbers 1 to 118

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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            std::fputs("\n", stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
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
    std::vector<std::pair<std::string, std::vector<DWORD>>> listed;  // each option's page list
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "palvex-spool: %s needs a value\n%s", option.c_str(), kUsage);
            return 2;
        }
        const std::string value = argv[++i];
        if (option == "--pages") {
            const unsigned long pages = Number(value, "--pages");
            if (pages < 1 || pages > kMaxPages)
                throw std::invalid_argument("--pages " + value + ": a document has 1 to " + std::to_string(kMaxPages) +
                                            " pages");
            count = static_cast<DWORD>(pages);
        } else if (option == "--landscape") {
            landscape = PageList(value);
            listed.emplace_back("--landscape", landscape);
        } else if (option == "--paper") {
            const unsigned long number = Number(value, "--paper");
            if (number < 1 || number > kStandardPapers)
                throw std::invalid_argument("--paper " + value + ": a standard paper number is 1 to " +
                                            std::to_string(kStandardPapers) + " (9 is A4)");
            paper = static_cast<short>(number);
        } else if (option == "--devmode") {
            header.devMode = ReadBytes(value);
        } else if (option == "--page-devmode") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos) throw std::invalid_argument("--page-devmode needs LIST=BYTES");
            pageDevModes.emplace_back(PageList(value.substr(0, equals)), ReadBytes(value.substr(equals + 1)));
            listed.emplace_back("--page-devmode", pageDevModes.back().first);
        } else if (option == "--document") {
            header.documentName = palvex::FromUtf8(value);
        } else if (option == "--output") {
            header.outputName = palvex::FromUtf8(value);
        } else {
            std::fprintf(stderr, "palvex-spool: unknown option %s\n%s", option.c_str(), kUsage);
            return 2;
        }
    }
    // A page list names pages of the document; the options may come in any order.
    for (const auto& [option, pages] : listed)
        for (DWORD page : pages)
            if (page > count)
                throw std::invalid_argument(option + ": the document has no page " + std::to_string(page) +
                                            " (its pages are 1 to " + std::to_string(count) + ")");
    palvex::SpoolDocumentDesc document = palvex::NumberedPages(count, landscape);
    document.documentName = header.documentName;
    document.outputName = header.outputName;
    document.devMode = header.devMode.empty() ? palvex::MakeDevMode(paper) : header.devMode;
    for (const auto& [pages, devMode] : pageDevModes)
        for (DWORD page : pages)
            document.pages[page - 1].devMode = devMode;
    palvex::WriteSpoolFile(file, document);
    std::printf("spool file written: %s (%u page%s, document \"%s\")\n", file.c_str(), static_cast<unsigned>(count),
                count == 1 ? "" : "s", palvex::ToUtf8(document.documentName).c_str());
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
