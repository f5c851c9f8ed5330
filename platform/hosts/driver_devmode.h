// The universal driver's DEVMODE around a plug-in's private part, shared by the render and UI
// hosts: the public part, the driver's own part (16 bytes, which keeps its size as a 16-bit value
// at its byte 8) and the plug-in's private part (OEMDM_SIZE bytes), and the plug-in's DevMode calls
// that make the default and merge an application's DEVMODE into it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <win/prcomoem.h>
#include <win/windows.h>

namespace palvex::hosts {

// Bytes of the driver's own part of its DEVMODE.
inline constexpr WORD kUnidrvPartSize = 16;

inline DEVMODEW* AsDevMode(std::vector<BYTE>& bytes) {
    return reinterpret_cast<DEVMODEW*>(bytes.data());
}

// The driver's own part: a mark, then its size as a 16-bit value at byte 8.
void WriteUnidrvPart(BYTE* part);
// The DEVMODE's driver part and plug-in part when it carries this driver's layout, else null.
const BYTE* DriverParts(const DEVMODEW* devmode, DWORD oemSize);

// The public part of a new DEVMODE: the printer's own default DEVMODE when it has one, else the
// driver's defaults (Letter for US English users, A4 for everyone else).
std::vector<BYTE> DefaultPublicPart(HANDLE printer, const std::u16string& printerName);

// Told each DevMode call's answer.
using DevModeRecorder = std::function<void(HRESULT)>;

// DevMode OEMDM_SIZE, then OEMDM_DEFAULT into the driver's DEVMODE around publicPart. The private
// part's size (0 when the plug-in keeps none: SIZE or DEFAULT failed).
DWORD MakeDefaultDevMode(IPrintOemCommon* plugin, HANDLE printer, const std::vector<BYTE>& publicPart,
                         std::vector<BYTE>* devmode, const DevModeRecorder& record);

// An application's DEVMODE (null: the default) merged into the default as the driver merges it:
// the public fields are the input's, and so is the driver's own part when the input carries this
// driver's layout; the plug-in merges its own part (DevMode OEMDM_MERGE) when it has one. *result
// is the merge's answer (S_OK without a private part).
std::vector<BYTE> MergeDevModeInto(IPrintOemCommon* plugin, HANDLE printer, const std::vector<BYTE>& defaults,
                                   DWORD oemSize, const DEVMODEW* devmode, const DevModeRecorder& record,
                                   HRESULT* result);

}  // namespace palvex::hosts
