// What the universal printer driver shares with its plug-ins: the PDEV object a plug-in is called
// with, the devmode-call parameters, the header of a plug-in's private devmode and the codes of the
// plug-ins' information and devmode calls.
#pragma once

#include "wingdi.h"
#include "wingdi_devmode.h"
#include "winuser.h"

typedef PVOID PDEVOEM;    // a plug-in's own per-device state
typedef PVOID PDRVPROCS;  // the driver's helper functions of older plug-ins

// The universal driver's PDEV as a plug-in sees it. pdevOEM is what the plug-in's EnablePDEV made;
// pPublicDM is the device's DEVMODE and pOEMDM the plug-in's private part of it.
struct DEVOBJ {
    DWORD dwSize;
    PDEVOEM pdevOEM;
    HANDLE hEngine;
    HANDLE hPrinter;
    HANDLE hOEM;
    PDEVMODEW pPublicDM;
    PVOID pOEMDM;
    PDRVPROCS pDrvProcs;
};
typedef DEVOBJ* PDEVOBJ;
static_assert(sizeof(DEVOBJ) == 64 && offsetof(DEVOBJ, pdevOEM) == 8 && offsetof(DEVOBJ, hPrinter) == 24 &&
              offsetof(DEVOBJ, pPublicDM) == 40 && offsetof(DEVOBJ, pOEMDM) == 48);

// The parameters of a plug-in's DevMode call. cbBufSize is the size of the plug-in's private part
// (the call answers it for OEMDM_SIZE).
struct OEMDMPARAM {
    DWORD cbSize;
    PVOID pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    PDEVMODEW pPublicDMIn;
    PDEVMODEW pPublicDMOut;
    PVOID pOEMDMIn;
    PVOID pOEMDMOut;
    DWORD cbBufSize;
};
typedef OEMDMPARAM* POEMDMPARAM;
static_assert(sizeof(OEMDMPARAM) == 72 && offsetof(OEMDMPARAM, pPublicDMIn) == 32 &&
              offsetof(OEMDMPARAM, pOEMDMOut) == 56 && offsetof(OEMDMPARAM, cbBufSize) == 64);

// The start of every plug-in's private devmode part.
struct OEM_DMEXTRAHEADER {
    DWORD dwSize;
    DWORD dwSignature;
    DWORD dwVersion;
};
static_assert(sizeof(OEM_DMEXTRAHEADER) == 12);

// DevMode modes.
#define OEMDM_SIZE 1
#define OEMDM_DEFAULT 2
#define OEMDM_CONVERT 3
#define OEMDM_MERGE 4

// GetInfo modes.
#define OEMGI_GETSIGNATURE 1
#define OEMGI_GETINTERFACEVERSION 2
#define OEMGI_GETVERSION 3
#define OEMGI_GETPUBLISHERINFO 4

// Image processing of a band.
struct IPPARAMS {
    DWORD dwSize;
    POINT ptOffset;
    LPSTR pHalftoneOption;
    BOOL bBanding;
    BOOL bBlankBand;
};
typedef IPPARAMS* PIPPARAMS;

struct OEMMEMORYUSAGE {
    DWORD dwFixedMemoryUsage;
    DWORD dwPercentMemoryUsage;
    DWORD dwMaxBandSize;
};
typedef OEMMEMORYUSAGE* POEMMEMORYUSAGE;

// A device font the driver asks a plug-in to download or select.
struct UNIFONTOBJ {
    ULONG ulFontID;
    DWORD dwFlags;
    PVOID pIFIMetrics;
    PVOID pfnGetInfo;
};
typedef UNIFONTOBJ* PUNIFONTOBJ;

// A font command of the driver's description.
struct FINVOCATION {
    DWORD dwCount;
    PBYTE pubCommand;
};
typedef FINVOCATION* PFINVOCATION;
