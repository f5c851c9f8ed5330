// What a printer device context recorded (win/wingdi.h, win/gdi_spool.h), for tests to assert on,
// and pictures of the sheet sides it printed.
//
// A log belongs to one printer device context and outlives it: the log of a spool file's device
// context stays readable by the job's id after the print processor has closed everything.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <win/wingdi.h>
#include <win/winuser.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

inline constexpr XFORM kIdentityTransform{1, 0, 0, 1, 0, 0};

// A spooled page played onto a side (GdiPlayPageEMF).
struct PlayedPage {
    DWORD page = 0;  // its number in the spool file
    RECT document{};
    std::optional<RECT> border;
    std::optional<RECT> clip;
    XFORM transform = kIdentityTransform;  // the world transform it was played under
    std::shared_ptr<const std::vector<BYTE>> metafile;  // the page's EMF
};

// Text drawn on a side (ExtTextOutW).
struct DrawnText {
    std::u16string text;
    POINT position{};
    UINT options = 0;
    std::optional<RECT> rectangle;  // with ETO_CLIPPED or ETO_OPAQUE
    LOGFONTW font{};
    COLORREF colour = 0;
    int backgroundMode = OPAQUE;
    UINT alignment = 0;
    XFORM transform = kIdentityTransform;
};

// One sheet side: what was played and drawn on it, in the order it happened.
struct PALVEX_API PrintedSide {
    size_t devMode = 0;  // index in DcLog::devModes of the DEVMODE the side printed with
    std::vector<PlayedPage> pages;
    std::vector<DrawnText> texts;
    struct Drawing {
        bool isText = false;
        size_t index = 0;  // in pages or texts
    };
    std::vector<Drawing> order;

    // The numbers of the pages played, in order (a blank side has none).
    std::vector<DWORD> pageNumbers() const;
};

struct PrintedDocument {
    std::u16string name;
    std::u16string output;
    int jobId = 0;  // what StartDocW answered
    std::vector<PrintedSide> sides;  // every side when the log keeps them (KeepPrintedSides)
    size_t sideCount = 0;            // the sides ended, kept or not
    bool ended = false;
    bool aborted = false;
};

enum class DcCall { Create, ResetDC, StartDoc, StartPage, EndPage, EndDoc, AbortDoc };
struct DcEvent {
    DcCall call;
    size_t devMode;  // index in DcLog::devModes of the DEVMODE current after the call
};

struct PALVEX_API DcLog {
    std::u16string printerName;
    DWORD jobId = 0;  // the spooler's job of a spool file's device context, else 0
    // The DEVMODE the context was made with, then a copy of each one ResetDCW (or GdiResetDCEMF)
    // gave it, in order; a DEVMODE equal to one kept before is not kept again (the events and
    // sides name the copy they had).
    std::vector<std::vector<BYTE>> devModes;
    std::vector<DcEvent> events;
    std::vector<PrintedDocument> documents;

    // Every side of every document, in order.
    std::vector<const PrintedSide*> sides() const;
    // The sides ended in every document, also those the log did not keep.
    size_t sideCount() const;
    // The DEVMODEs given by ResetDCW, in order (one for each ResetDC event).
    std::vector<std::vector<BYTE>> resets() const;
};

// What the logs of the printer device contexts made from now on in this process keep. With keep
// (what tests, pictures and the render host's replay need) a log keeps every side with what was
// played and drawn on it, and every call. Without it (the default, as a printer keeps nothing of a
// page it has printed) a log keeps the documents, the DEVMODEs and the count of sides: a side's
// pages and texts go when it ends, and the calls of its sides are not listed, so that a long job
// holds nothing per page.
PALVEX_API void KeepPrintedSides(bool keep);

// A copy of the log of a live printer device context; nothing for any other handle.
PALVEX_API std::optional<DcLog> ReadDcLog(HDC dc);
// The log of the last device context made for the job's spool file (GdiGetSpoolFileHandle); the
// logs of the 16 jobs printed last are kept.
PALVEX_API std::optional<DcLog> ReadJobDcLog(DWORD jobId);
// The log of the printer device context made last in this process.
PALVEX_API std::optional<DcLog> ReadLastPrinterDcLog();

// The device a DEVMODE makes of a printer, in device units (what GetDeviceCaps answers).
struct PrinterGeometry {
    int dpiX = 600;
    int dpiY = 600;
    LONG physicalWidth = 0;
    LONG physicalHeight = 0;
    LONG offsetX = 0;
    LONG offsetY = 0;
    LONG printableWidth = 0;   // HORZRES
    LONG printableHeight = 0;  // VERTRES
};
// devMode: one DEVMODEW (dmSize + dmDriverExtra bytes, or at least its public part).
PALVEX_API PrinterGeometry GeometryOfDevMode(const std::vector<BYTE>& devMode);

// Draws a side into a PNG picture of the physical sheet at pixelsPerInch: white paper, the played
// pages' metafiles (frames, lines and text) in their rectangles under their world transforms and
// clips, their borders, and the text drawn on the side. Throws std::runtime_error when the file
// cannot be written.
PALVEX_API void WriteSidePicture(const DcLog& log, const PrintedSide& side, const std::filesystem::path& png,
                                 double pixelsPerInch = 100);
// A side as a raster printer prints it: the printable area of width x height device units drawn at
// the device's own resolution, white where nothing is drawn, handed on band by band. band gets the
// band's first row, its row count and its pixels, rows top first, three bytes (red, green, blue) a
// pixel; it answers false to stop. False when the size is empty or a band was refused.
using RasterBandSink = std::function<bool(LONG top, LONG rows, const std::vector<BYTE>& rgb)>;
PALVEX_API bool RasterizeSide(const PrintedSide& side, LONG width, LONG height, LONG bandRows,
                              const RasterBandSink& band);
// One picture per side of every document, named <stem>-<n>.png (n from 1) in folder (made when
// missing); returns their paths in order.
PALVEX_API std::vector<std::filesystem::path> WriteSidePictures(const DcLog& log, const std::filesystem::path& folder,
                                                                const std::string& stem, double pixelsPerInch = 100);

}  // namespace palvex
