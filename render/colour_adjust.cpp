#include "colour_adjust.h"

#include <win/winprofile.h>
#include <win/winspool.h>

namespace {

constexpr char16_t kSection[] = u"ColorAdjust";

WORD ReadWord(const std::u16string& file, LPCWSTR key, WORD fallback) {
    return static_cast<WORD>(GetPrivateProfileIntW(kSection, key, fallback, file.c_str()));
}

SHORT ReadShort(const std::u16string& file, LPCWSTR key, SHORT fallback) {
    return static_cast<SHORT>(GetPrivateProfileIntW(kSection, key, fallback, file.c_str()));
}

}  // namespace

COLORADJUSTMENT StartingColourAdjustment() {
    COLORADJUSTMENT adjustment{};
    adjustment.caSize = sizeof(COLORADJUSTMENT);
    adjustment.caFlags = 0;
    adjustment.caIlluminantIndex = 1;
    adjustment.caRedGamma = 10000;
    adjustment.caGreenGamma = 10000;
    adjustment.caBlueGamma = 10000;
    adjustment.caReferenceBlack = 0;
    adjustment.caReferenceWhite = 10000;
    return adjustment;
}

std::u16string ColourAdjustFilePath() {
    // 520 bytes: MAX_PATH wide characters and a little more, as the spooler sizes its folders.
    WCHAR folder[260] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed))
        return {};
    folder[259] = u'\0';
    return std::u16string(folder) + u"\\3\\" + u"tovqebxl.clr";
}

DWORD ReadColorAdjust(COLORADJUSTMENT* adjustment) {
    *adjustment = StartingColourAdjustment();
    const std::u16string file = ColourAdjustFilePath();
    if (file.empty() || GetPrivateProfileIntW(kSection, u"ColorAdjust", 10000, file.c_str()) != 1) return 0;
    // The values are taken as they stand: the engine checks its own ranges.
    adjustment->caRedGamma = ReadWord(file, u"RedGamma", 10000);
    adjustment->caGreenGamma = ReadWord(file, u"GreenGamma", 10000);
    adjustment->caBlueGamma = ReadWord(file, u"BlueGamma", 10000);
    adjustment->caReferenceBlack = ReadWord(file, u"ReferenceBlack", 0);
    adjustment->caReferenceWhite = ReadWord(file, u"ReferenceWhite", 10000);
    adjustment->caContrast = ReadShort(file, u"Contrast", 0);
    adjustment->caBrightness = ReadShort(file, u"Brightness", 0);
    // The file's own spelling of the key.
    adjustment->caColorfulness = ReadShort(file, u"Colorfullness", 0);
    adjustment->caRedGreenTint = ReadShort(file, u"RedGreenTint", 0);
    return 1;
}

const ProcessColourAdjustment& ColourAdjustmentOfProcess() {
    // Read once; two threads that blit first at the same moment wait for the one read.
    static const ProcessColourAdjustment state = [] {
        ProcessColourAdjustment read;
        read.m_on = ReadColorAdjust(&read.m_adjustment);
        return read;
    }();
    return state;
}
