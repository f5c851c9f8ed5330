// A printer whose settings blocks describe a private block laid out by hand, and DEVMODEs that
// carry such a block.
//
// OEMDEVMODE record (424 bytes; a field's place in a DEVMODE's block = its offset below):
//   0 _SIZE D            16 _PAGEORDER B      27 _WMK_ENABLED B      297 _WMK_TEXT_IDX W
//   4 _SIGNATURE D       17 _BOOKLET B        28 _WMK_1STPAGEONLY B  299 _POSTER B
//   8 _VERSION D         18 _NUP_PAGES B      29 _WMK_TEXT CH[64]    300 _POSTER_CROP B
//  12 _PDLTYPE D         19 _NUP_BORDER B    157 _WMK_ANGLE B        301 _ACC_DOCPAGECOUNT D
//                        20 _NUP_ORDER B     158 _WMK_DEGREE W       305 _ACC_NUPPAGEORIENT D
//                        21 _SCALEDOCON_ENABLED B  160 _WMK_FONT CH[64]  309 _FIRSTPAGESIZE D
//                        22 _SCALEDOCON_SIZE W     288 _WMK_COLOR R      313 _XPD_RESERVE B[16]
//                        24 _SCALEDOCON_TOFIT B    292 _WMK_SHADE W      329 _OEM_RESERVE B[64]
//                        25 _SCALE_FACTOR W        294 _WMK_SIZE W
//                                                  296 _WMK_STYLE B
//  the driver's own: 393 _GRXMODE B, 394 _ROTATED B, 395 _GRAYSCALE B, 396 _BINDING_ENABLED B,
//  397 _BINDING_DIRECT_DUMMY B, 398 _BINDING_SHIFT B, 399 _BINDING_MARGIN D,
//  403 _BINDING_ADJUSTRECT D[4], 419 _DATETIME_ENABLED B, 420 _DATETIME_1STPAGEONLY B,
//  421 _DATETIME_DATEFMT B, 422 _DATETIME_TIMEFMT B, 423 _DATETIME_POS B.
// PRINTERSETTINGS record (120 bytes): 0 _SIZE, 4 _SIGNATURE, 8 _VERSION, 12 _PDLTYPE, 16 _DRVTYPE,
//   20 _DEVICETYPE, 24 _DUPLEXTYPE, 28 _WMKMODE, 32 _PPRCOLLATEDCOPIES (D each),
//   36 _XPD_RESERVE B[20], 56 _OEM_RESERVE B[64].
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <win/windows.h>

#include "block_builder.h"
#include "printer_data.h"

namespace pptest {

inline constexpr char16_t kPrinter[] = u"Palvex Processor Printer";
inline constexpr DWORD kRecordSize = 424;
inline constexpr DWORD kPrinterRecordSize = 120;

// Record offsets of the fields the tests write directly.
namespace at {
inline constexpr DWORD kSize = 0, kSignature = 4, kPdlType = 12, kPageOrder = 16, kBooklet = 17, kNupPages = 18,
                       kNupBorder = 19, kNupOrder = 20, kScaleEnabled = 21, kScaleSize = 22, kScaleToFit = 24,
                       kScaleFactor = 25, kWmkEnabled = 27, kWmkFirstPage = 28, kWmkText = 29, kWmkAngle = 157,
                       kWmkDegree = 158, kWmkFont = 160, kWmkColor = 288, kWmkShade = 292, kWmkSize = 294,
                       kWmkStyle = 296, kPoster = 299, kPosterCrop = 300, kDocPageCount = 301, kNupPageOrient = 305,
                       kFirstPageSize = 309, kXpdReserve = 313, kGrxMode = 393, kRotated = 394, kGrayscale = 395,
                       kBindingEnabled = 396, kBindingDirect = 397, kBindingShift = 398, kBindingMargin = 399,
                       kBindingAdjustRect = 403, kDateEnabled = 419, kDateFirstPage = 420, kDateFormat = 421,
                       kTimeFormat = 422, kDatePosition = 423;
}  // namespace at

// Printer-wide values of the PRINTERSETTINGS default record.
struct PrinterValues {
    DWORD pdlType = 50;
    DWORD deviceType = 1;
    DWORD duplexType = 0;
    DWORD wmkMode = 0;
    DWORD collatedCopies = 0;
};

// The two blocks in stored form. The OEMDEVMODE default record holds defaultRecord (without
// size and signature, which the reader sets).
std::vector<BYTE> OemDevmodeBlock(const std::vector<BYTE>& defaultRecord = {});
std::vector<BYTE> PrinterSettingsBlock(const PrinterValues& values);

// Writes a REG_BINARY printer-data value.
using xprtest::WritePrinterValue;

// A machine with the printer and both blocks.
void InstallSettingsPrinter(palvex::TestMachine& machine, const PrinterValues& values = {});

// A DEVMODE: dmSize public bytes, then dmDriverExtra bytes of which the first universalPart
// belong to the universal driver (its size stored at byte 8, or 114 for PostScript), followed by
// a private block of kRecordSize bytes with its size and signature when extra leaves room.
class Devmode {
public:
    Devmode(WORD dmSize, WORD universalPart, bool postScript, WORD driverExtra);
    // The usual one: 220 public bytes, a 16-byte (non-PostScript) universal part and the block.
    Devmode() : Devmode(220, 16, false, 16 + kRecordSize) {}

    DEVMODEW* get() { return reinterpret_cast<DEVMODEW*>(m_bytes.data()); }
    std::vector<BYTE>& bytes() { return m_bytes; }
    // The private block's offset from the DEVMODE's start.
    DWORD blockAt() const { return m_blockAt; }

    // Bytes of the private block at a record offset (may reach past the DEVMODE's claimed size
    // while inside the allocation, which is always large enough for a whole block).
    void Set(DWORD offset, const std::vector<BYTE>& bytes);
    void SetByte(DWORD offset, BYTE value) { Set(offset, {value}); }
    void SetWord(DWORD offset, WORD value);
    void SetDword(DWORD offset, DWORD value);
    void SetText(DWORD offset, const std::u16string& text);
    std::vector<BYTE> Get(DWORD offset, DWORD size) const;

private:
    std::vector<BYTE> m_bytes;
    DWORD m_blockAt;
};

// A job DEVMODE as an application hands it over: the machine's default public part for the paper
// with the system's n-up, and the usual private block of a PCL XL job in graphics mode, pages 1-up
// in order with borders at 100 %; change sets more fields before the DEVMODE is cut to its size.
std::vector<BYTE> JobDevmode(const std::function<void(Devmode&)>& change = {}, short paper = DMPAPER_A4);

// A spool file of the machine's spool folder holding bytes; answers its machine path.
std::u16string WriteSpoolFile(const std::u16string& name, const std::vector<BYTE>& bytes);

}  // namespace pptest
