// Spool files for tests and tools: EMF spool files of numbered pages, written whole or page by
// page while a job prints.
//
// Each page is one EMF metafile drawn at 600 dots per inch on its paper: a frame half an inch
// inside the edges, a rule under the top of the frame and the page's number in large bold
// digits in the middle. The file is: the header (document and output names), then for each page
// an EMRI_DEVMODE record when the page's DEVMODE differs from the page before it (always before
// the first page), the page's EMRI_METAFILE_DATA record and its EMRI_METAFILE_EXT record.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// A DEVMODEW of the public fields only (220 bytes): paper, orientation, 600 dots per inch, one
// copy, simplex, no collation, with those fields' DM_ bits set.
PALVEX_API std::vector<BYTE> MakeDevMode(short paperSize = 9 /* A4 */, bool landscape = false);

struct SpoolPageDesc {
    DWORD number = 0;           // the number drawn on the page; 0: its position in the document
    bool landscape = false;     // the page is wider than high; its DEVMODE says DMORIENT_LANDSCAPE
    std::vector<BYTE> devMode;  // the page's own DEVMODE (used as it is); empty: the document's,
                                // with the page's orientation
};

struct SpoolDocumentDesc {
    std::u16string documentName = u"Palvex test document";
    std::u16string outputName;  // the output device named in the header; empty: none
    std::vector<BYTE> devMode;  // the document's DEVMODE (with its driver part); empty: MakeDevMode()
    std::vector<SpoolPageDesc> pages;
};

// A document of count pages numbered 1 to count; the pages listed in landscapePages are landscape.
PALVEX_API SpoolDocumentDesc NumberedPages(DWORD count, const std::vector<DWORD>& landscapePages = {});

// The bytes of a whole spool file, and the same written to a file (its folder is made when it is
// missing). A DEVMODE whose dmSize + dmDriverExtra is not its length throws std::invalid_argument.
PALVEX_API std::vector<BYTE> SpoolFileBytes(const SpoolDocumentDesc& document);
PALVEX_API void WriteSpoolFile(const std::filesystem::path& file, const SpoolDocumentDesc& document);

// Spools a document page by page. The file is marked as spooling in the machine from the
// constructor until Finish (or the destructor): print processors reading it wait for the pages
// still to come.
class PALVEX_API SpoolFileWriter {
public:
    // Writes the header of document (its pages are not written).
    SpoolFileWriter(std::filesystem::path file, const SpoolDocumentDesc& document);
    ~SpoolFileWriter();
    SpoolFileWriter(const SpoolFileWriter&) = delete;
    SpoolFileWriter& operator=(const SpoolFileWriter&) = delete;

    // Appends one page (whole records only, so a reader never sees half a page).
    void AddPage(const SpoolPageDesc& page);
    // The file is complete.
    void Finish();

private:
    std::filesystem::path m_file;
    SpoolDocumentDesc m_document;
    std::vector<BYTE> m_previousDevMode;
    DWORD m_pages = 0;
    bool m_finished = false;
};

}  // namespace palvex
