// The universal printer driver's renderer with a rendering plug-in: the host loads the plug-in
// library, makes its object through DllGetClassObject asking for IPrintOemUni3, publishes the
// driver's helper (IPrintOemDriverUni), and drives the plug-in in the driver's order:
//
//   load       PublishDriverInterface, GetInfo (signature, version), DevMode OEMDM_SIZE and
//              OEMDM_DEFAULT, EnableDriver
//   document   DevMode OEMDM_MERGE of the document's DEVMODE, EnablePDEV, DrvStartDoc
//   page       DrvStartPage, the drawing calls, DrvSendPage (or DrvStartBanding and DrvNextBand
//              over the page's bands, the drawing calls replayed in each band)
//   new DEVMODE DevMode OEMDM_MERGE, EnablePDEV of the new PDEV, ResetPDEV (old, new),
//              DisablePDEV (old), DrvStartDoc on the new surface
//   document end DrvEndDoc
//   unload     DisablePDEV, DisableDriver, Release
//
// The DDI calls go to the plug-in's functions where its DRVFN table lists them, otherwise to the
// driver's own, which the host records. The driver's own functions issue the command callbacks
// where the universal driver sends its printer commands:
//   DrvStartDoc (once per job)  200 job start, then 304 / 305 / 306 by dmDuplex (simplex, long
//                               edge, short edge) and 208 copies
//   DrvStartPage                300 orientation, then the paper source by dmDefaultSource:
//                               DMBIN_UPPER 111, DMBIN_LOWER 112, DMBIN_MIDDLE 113,
//                               DMBIN_MANUAL 114, any other 110
//   DrvSendPage / last band     the page's content as an image (when it has one), then the page
//                               end (312 or 313 as the options say)
//   DrvEndDoc                   201 job end
// and write a plain PCL XL frame of the driver's own around the plug-in's bytes (render_host_frame.h):
// after the job-start commands the language switch, stream header, BeginSession and
// OpenDataSource; after the page-start commands MediaSize and BeginPage; before the page end the
// page's content as the driver prints it in raster mode: drawn into pixels at the job's resolution
// over the printable area and sent as one PCL XL image, grey or (dmColor colour) RGB, its rows
// run-length compressed (render_host_raster.h). Everything written goes
// through the spooler to the printer's port (or the options' output file): the helper's
// DrvWriteSpoolBuf appends to the document the host started with StartDocPrinterW.
//
// The driver's DEVMODE is the public part, the driver's own part (16 bytes, which keeps its size as
// a 16-bit value at its byte 8) and the plug-in's private part (OEMDM_SIZE bytes).
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <palvex/eng_calls.h>
#include <driver_devmode.h>
#include <plugin_library.h>
#include <win/prcomoem.h>
#include <win/windows.h>

namespace palvex {
struct DcLog;  // palvex/recording_dc.h
}

namespace palvex::hosts {

// A rendering plug-in library loaded with its two COM exports.
using RenderPluginLibrary = PluginLibrary;

struct RenderHostOptions {
    std::u16string printerName;
    std::u16string outputFile;       // empty: the printer's port
    DWORD endPageCallback = 313;     // the page-end command: 312 or 313
    LONG bandHeight = 0;             // device units per band; 0 renders each page whole
    // The driver's settings by feature keyword (the selected option's keyword), as
    // DrvGetDriverSetting answers them.
    std::map<std::string, std::string> driverSettings;
};

// One thing the driver did, in order.
struct RenderEvent {
    enum class Kind {
        Plugin,    // a method of the plug-in object: name, result
        Callback,  // a command callback: callbackId, result
        Unidrv,    // one of the driver's own DDI functions was reached: name and what it was given
    };
    Kind kind = Kind::Plugin;
    std::string name;
    DWORD callbackId = 0;
    HRESULT result = S_OK;
    // Unidrv: the call's target surface, its target rectangle, brush origin (or band origin),
    // brush colours, ROP, line ends and text, as far as the call has them.
    SURFOBJ* surface = nullptr;
    std::optional<RECTL> rect;
    std::optional<POINTL> point;
    ULONG foreColor = kNoBrush;
    ULONG opaqueColor = kNoBrush;
    ROP4 rop = 0;
    LONG x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::u16string text;
};

// The DDI functions as GDI calls them: the plug-in's where it hooked the call, else the driver's.
struct DdiFunctions {
    PFN_DrvAlphaBlend alphaBlend = nullptr;
    PFN_DrvBitBlt bitBlt = nullptr;
    PFN_DrvCopyBits copyBits = nullptr;
    PFN_DrvEndDoc endDoc = nullptr;
    PFN_DrvFillPath fillPath = nullptr;
    PFN_DrvGradientFill gradientFill = nullptr;
    PFN_DrvGetGlyphMode getGlyphMode = nullptr;
    PFN_DrvLineTo lineTo = nullptr;
    PFN_DrvNextBand nextBand = nullptr;
    PFN_DrvPaint paint = nullptr;
    PFN_DrvPlgBlt plgBlt = nullptr;
    PFN_DrvRealizeBrush realizeBrush = nullptr;
    PFN_DrvSendPage sendPage = nullptr;
    PFN_DrvStartBanding startBanding = nullptr;
    PFN_DrvStartDoc startDoc = nullptr;
    PFN_DrvStartPage startPage = nullptr;
    PFN_DrvStretchBlt stretchBlt = nullptr;
    PFN_DrvStretchBltROP stretchBltROP = nullptr;
    PFN_DrvStrokeAndFillPath strokeAndFillPath = nullptr;
    PFN_DrvStrokePath strokePath = nullptr;
    PFN_DrvTextOut textOut = nullptr;
    PFN_DrvTransparentBlt transparentBlt = nullptr;
    PFN_DrvEscape escape = nullptr;
    PFN_DrvDrawEscape drawEscape = nullptr;
};

struct HostPdev;
class DriverHelper;

class RenderHost {
public:
    // The plug-in's class factory comes from the library's DllGetClassObject, or is given (a
    // factory linked into the caller).
    RenderHost(RenderPluginLibrary& library, RenderHostOptions options);
    RenderHost(IClassFactory* factory, RenderHostOptions options);
    ~RenderHost();  // ends an open document, then unloads the plug-in
    RenderHost(const RenderHost&) = delete;
    RenderHost& operator=(const RenderHost&) = delete;

    // Opens the printer and loads the plug-in. False (error() says why) when the printer cannot be
    // opened or the plug-in object cannot be made; a plug-in without a private devmode (DevMode
    // fails) still loads.
    bool Load();
    const std::string& error() const { return m_error; }

    // The document: its DEVMODE (null: the default the plug-in made at load) is merged as the
    // universal driver merges a document's DEVMODE. False when a step the driver needs fails.
    bool StartDocument(const std::u16string& name, DWORD jobId, const DEVMODEW* devmode = nullptr);
    // A new DEVMODE (ResetDC) between pages.
    bool ChangeDevMode(const DEVMODEW* devmode);
    bool StartPage();
    // Ends the page: SendPage, or the bands with the page's drawing replayed in each.
    bool EndPage();
    bool EndDocument();

    // Drawing on the current page: the function makes its DDI calls on the surface given. With
    // banding the drawing is kept (TRUE) and made in each band.
    BOOL Draw(std::function<BOOL(RenderHost&, SURFOBJ*)> drawing);
    // Text in one solid colour at a point (the glyph boxes are 10 device units a character wide);
    // opaqueColor kNoBrush draws no box behind it.
    BOOL TextOut(const std::u16string& text, POINTL origin, ULONG foreColor, ULONG opaqueColor = kNoBrush);
    // A rectangle filled with a solid brush through DrvBitBlt (no source).
    BOOL FillRect(RECTL rect, ULONG color, ROP4 rop4 = 0xF0F0);
    BOOL LineTo(LONG x1, LONG y1, LONG x2, LONG y2, ULONG color);
    // A picture (a source surface of pictureSize without bits, standing for an image such as a
    // played page) stretched into the target rectangle through DrvStretchBlt.
    BOOL StretchPicture(RECTL target, SIZEL pictureSize);

    // The current page's content for the page end: called with the printable area's size in
    // device units and the sink its bands of pixels go to (palvex::RasterizeSide draws a recorded
    // side so). A page without content sends no image.
    using PageContent = std::function<bool(LONG width, LONG height, const std::function<bool(LONG, LONG, const std::vector<BYTE>&)>& band)>;
    void SetPageContent(PageContent content);

    // The DDI functions GDI calls, and the objects they are called with.
    const DdiFunctions& Ddi() const { return m_ddi; }
    SURFOBJ* Surface();
    PDEVOBJ Pdevobj();
    // The current DEVMODE (public part, the driver's part, the plug-in's part).
    const std::vector<BYTE>& DevMode() const;
    IPrintOemUni3* Plugin() const { return m_plugin; }

    // What happened, and the bytes written in this host's documents.
    const std::vector<RenderEvent>& events() const { return m_events; }
    const std::vector<BYTE>& output() const { return m_output; }
    // The callback ids issued, in order.
    std::vector<DWORD> callbacks() const;

    // Used by the driver's own functions and its helper.
    void Record(RenderEvent event);
    HRESULT Write(const void* bytes, DWORD size, DWORD* written);
    const RenderHostOptions& options() const { return m_options; }
    void IssueCallback(HostPdev& pdev, DWORD id);
    void OnDriverStartDoc(HostPdev& pdev);
    void OnDriverStartPage(HostPdev& pdev);
    void OnDriverEndPage(HostPdev& pdev);
    void OnDriverEndDoc(HostPdev& pdev);
    BOOL OnDriverStartBanding(HostPdev& pdev, POINTL* origin);
    BOOL OnDriverNextBand(HostPdev& pdev, POINTL* origin);

private:
    void RecordPlugin(const char* name, HRESULT result);
    // The merged DEVMODE for a document's DEVMODE (null: the default).
    std::vector<BYTE> MergeDevMode(const DEVMODEW* devmode);
    std::unique_ptr<HostPdev> EnablePdev(std::vector<BYTE> devmode);
    void DisablePdev(std::unique_ptr<HostPdev>& pdev);
    void BuildDdi();
    void RunDrawings(SURFOBJ* surface);
    void WritePageImage(HostPdev& pdev);

    RenderHostOptions m_options;
    RenderPluginLibrary* m_library = nullptr;
    IClassFactory* m_factory = nullptr;
    IPrintOemUni3* m_plugin = nullptr;
    DriverHelper* m_helper = nullptr;
    HANDLE m_printer = nullptr;
    std::string m_error;
    DWORD m_oemSize = 0;
    std::vector<BYTE> m_defaultDevMode;
    DRVENABLEDATA m_pluginFunctions{};
    DdiFunctions m_ddi;
    std::unique_ptr<HostPdev> m_pdev;
    std::u16string m_documentName;
    DWORD m_jobId = 0;
    bool m_documentOpen = false;
    bool m_jobStarted = false;
    bool m_pageOpen = false;
    std::vector<std::function<BOOL(RenderHost&, SURFOBJ*)>> m_pageDrawings;
    PageContent m_pageContent;
    std::vector<RenderEvent> m_events;
    std::vector<BYTE> m_output;
};

// Renders what a printer device context recorded (palvex/recording_dc.h) through a loaded host, in
// the order it was recorded: each document with the DEVMODE current at its start, the DEVMODE
// changes, and each side with its text (TextOut in the text's colour at its position) and its
// played pages (StretchPicture into the page's rectangle), and the side as the page's content.
// False when a step fails.
bool RenderDcLog(RenderHost& host, const DcLog& log);

}  // namespace palvex::hosts
