// ISettings: the driver's private settings of a job, read from (and a few values written into)
// the private block of a DEVMODE, with the printer's settings blocks as the block's layout and
// defaults.
//
// Every getter and setter first checks the DEVMODE (Validate): an invalid DEVMODE gives E_FAIL
// and leaves every output as it was. A setting the printer's description does not have reads as
// 0. Out-of-range stored values are folded to the defaults named below, never reported. Output
// pointers may be null for outputs the caller does not want. Text buffers are sized in bytes; a
// text is cut to its buffer and always NUL-terminated.
#pragma once

#include <win/unknwn.h>
#include <win/windows.h>
#include <win/winuser.h>

// The watermark values GetWatermark gives besides its two texts.
struct WatermarkSettings {
    BYTE enabled;        // 1 on, 0 off
    BYTE firstPageOnly;  // 0 or 1
    BYTE angle;
    WORD degree;
    COLORREF color;
    WORD shade;
    WORD size;
    BYTE style;
    BYTE mode;           // the printer's watermark mode
};

struct ISettings : IUnknown {
    // 0 front to back, 1 back to front (anything else 0).
    virtual HRESULT STDMETHODCALLTYPE GetPageOrder(const DEVMODEW* devmode, BYTE* order) = 0;
    // kind 1 or 2 when on; off with kind 0.
    virtual HRESULT STDMETHODCALLTYPE GetBooklet(const DEVMODEW* devmode, BYTE* on, BYTE* kind) = 0;
    // pages 1, 2, 4, 6, 9 or 16; off unless pages, border (0 or 1) and order (1 to 4) are valid.
    virtual HRESULT STDMETHODCALLTYPE GetNup(const DEVMODEW* devmode, BYTE* on, BYTE* pages, BYTE* border,
                                             BYTE* order) = 0;
    // factor 25 to 400 (else 100 and off).
    virtual HRESULT STDMETHODCALLTYPE GetScaling(const DEVMODEW* devmode, BYTE* on, WORD* size, BYTE* toFit,
                                                 WORD* factor) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWatermark(const DEVMODEW* devmode, WatermarkSettings* values, LPWSTR text,
                                                   DWORD textBytes, LPWSTR font, DWORD fontBytes) = 0;
    // One of 0, 10-12, 19-23, 29, 30, 40-42, 49, 50-52, 59 (anything else 0).
    virtual HRESULT STDMETHODCALLTYPE GetPDLType(const DEVMODEW* devmode, DWORD* pdlType) = 0;
    // The printer's device type, 0 to 4.
    virtual HRESULT STDMETHODCALLTYPE GetDeviceType(const DEVMODEW* devmode, DWORD* deviceType) = 0;
    // Whether the printer collates copies itself, 0 or 1.
    virtual HRESULT STDMETHODCALLTYPE GetPaperCollatedCopies(const DEVMODEW* devmode, DWORD* collated) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGraphicsMode(const DEVMODEW* devmode, BYTE* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRotated(const DEVMODEW* devmode, BYTE* rotated) = 0;
    // The printer's duplex type, 0 to 3 (2 and 3 the two manual-duplex kinds).
    virtual HRESULT STDMETHODCALLTYPE GetDuplexType(const DEVMODEW* devmode, DWORD* duplexType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGrayscale(const DEVMODEW* devmode, BYTE* grayscale) = 0;
    // tiles per side 0 (off) or 2 to 9; crop 0 or 1.
    virtual HRESULT STDMETHODCALLTYPE GetPoster(const DEVMODEW* devmode, BYTE* tiles, BYTE* crop) = 0;
    // Job-accounting values written into the DEVMODE's block for the render plug-in.
    virtual HRESULT STDMETHODCALLTYPE SetDocPageCount(DEVMODEW* devmode, DWORD pageCount) = 0;
    // Bit i set when logical page i of the sheet (from 0) is landscape.
    virtual HRESULT STDMETHODCALLTYPE SetNupPageOrient(DEVMODEW* devmode, DWORD orientationMask) = 0;
    // dmPaperSize of the document's first page.
    virtual HRESULT STDMETHODCALLTYPE SetFirstPageSize(DEVMODEW* devmode, DWORD paperSize) = 0;
    // The area left after the binding margin (left, top, right, bottom).
    virtual HRESULT STDMETHODCALLTYPE SetBindingAdjustRect(DEVMODEW* devmode, const RECT* rect) = 0;
    // direct as stored (255 automatic), margin as stored.
    virtual HRESULT STDMETHODCALLTYPE GetBinding(const DEVMODEW* devmode, BYTE* enabled, BYTE* direct, BYTE* shift,
                                                 DWORD* margin) = 0;
    // enabled 0, 1 (date) or 2 (date and time); the stamp text in the machine's local time.
    virtual HRESULT STDMETHODCALLTYPE GetDateTime(const DEVMODEW* devmode, BYTE* enabled, BYTE* firstPageOnly,
                                                  LPWSTR text, DWORD textBytes, BYTE* position) = 0;
    // A setting by key: from the DEVMODE's block (index 0), or with a null DEVMODE from the
    // default record of OEMDEVMODE (index 0) or PRINTERSETTINGS (index 1). The whole setting is
    // copied; a buffer smaller than the setting gives E_FAIL.
    virtual HRESULT STDMETHODCALLTYPE GetValue(const DEVMODEW* devmode, LPCWSTR key, void* buffer, DWORD bufferSize,
                                               DWORD index) = 0;
    // S_OK when the DEVMODE holds a whole private block of this printer's layout with its size
    // and signature; E_POINTER for null, else E_FAIL.
    virtual HRESULT STDMETHODCALLTYPE Validate(const DEVMODEW* devmode) = 0;

protected:
    virtual ~ISettings() = default;
};

// Makes the settings reader of a printer: loads its OEMDEVMODE and PRINTERSETTINGS blocks.
// *settings gets one reference. E_OUTOFMEMORY, or E_FAIL when the blocks cannot be loaded.
HRESULT CreateSettings(ISettings** settings, LPCWSTR printerName);
