// The model's hooks, which CoUIPlugin's constructor puts into its hook table, and the small system
// services beside them.
//   hook 0   default paper of a new devmode by the printer's market (Letter for 1033, else A4)
//   hook 4   at printer initialisation on Windows 5.1 and 5.2, the model's print processor
//   hook 6   device capabilities: bins and bin names from the stored tray table, extents, resolution
//   hook 17  after a duplex merge, the manual-duplex helper program started and told of the caller
#pragma once

#include <win/prcomoem_ui.h>
#include <win/windows.h>

#include "ui_hooks.h"

// The print processor the initialise hook sets (writable static storage: the spooler gets a
// pointer to it).
extern WCHAR g_modelPrintProcessor[];

HRESULT hrOEMDevMode(DWORD mode, POEMDMPARAM param);
HRESULT hrOEMPrinterEvent(PWSTR printerName, INT event, DWORD flags, LPARAM lParam);
HRESULT hrOEMDeviceCapabilities(POEMUIOBJ uiObject, HANDLE printer, PWSTR deviceName, WORD capability, PVOID output,
                                PDEVMODEW publicDevmode, PVOID oemDevmode, DWORD driverAnswer, DWORD* result,
                                IDrvSettings* settings);
void hrOEMStartDuplexHelper(HANDLE printer, PDEVMODEW mergedDevmode);

// DeviceCapabilities' answer for the counted capabilities (DC_BINS, DC_BINNAMES).
inline constexpr HRESULT kCapabilityCounted = 0x0004DC01;

// Fills the model's entries of the hook tables.
void FillModelHooks(CoUIPluginHooks* hooks);
void FillModelTicketHooks(CoUIPluginTicketHooks* hooks);

// Version tests of the running system (equality of the fields named).
BOOL IsWindows50();
BOOL IsWindows51();
BOOL IsWindows52Workstation();
BOOL IsWindows52Server();

// The low 16 bits of the printer's "Market" value; 1041 when it cannot be read.
LANGID GetMarketLangID(HANDLE printer);

// TRUE when a running process's main module has this base name (compared without regard to case).
BOOL IsProcessRunning(LPCWSTR baseName);
