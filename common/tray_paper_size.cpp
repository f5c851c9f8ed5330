#include "tray_paper_size.h"

#include <iterator>

namespace {

struct PaperSize {
    LONG feed;
    LONG crossFeed;
    WORD flags;  // which languages allow the size where; see LanguageBits
};

constexpr PaperSize kPaperSizes[] = {
    {210000, 148500, 0x1313}, {215900, 139700, 0x1131}, {257000, 182000, 0x1333},
    {297000, 210000, 0x3333}, {279400, 215900, 0x3333}, {355600, 215900, 0x0033},
    {364000, 257000, 0x0033}, {420000, 297000, 0x0033}, {431800, 279400, 0x0033},
};

// The flag bits of one language: a size as listed or turned, in the manual feed or a tray.
struct LanguageBits {
    WORD manual;
    WORD tray;
    WORD turnedManual;
    WORD turnedTray;
};

LanguageBits BitsFor(WORD languageId) {
    switch (languageId) {
    case 1033:
        return {0x10, 0x20, 0x1000, 0x2000};
    case 1041:
        return {0x1, 0x2, 0x100, 0x200};
    default:
        return {0, 0, 0, 0};
    }
}

constexpr LONG kManualFeed = 5;
constexpr LONG kRemovableTray = 3;
constexpr LONG kFixedTray = 4;
constexpr LONG kCustomSizeIndex = 9;
constexpr LONG kUnknownSizeIndex = 3;
constexpr LONG kNoMatch = -1;

// The first row of that size decides for its orientation: allowed there, or no row at all.
LONG MatchOrientation(LONG feed, LONG crossFeed, LONG inputType, WORD manualBit, WORD trayBit, bool turned) {
    for (LONG index = 0; index < static_cast<LONG>(std::size(kPaperSizes)); ++index) {
        const PaperSize& row = kPaperSizes[index];
        LONG rowFeed = turned ? row.crossFeed : row.feed;
        LONG rowCross = turned ? row.feed : row.crossFeed;
        if (rowFeed != feed || rowCross != crossFeed) continue;
        if (inputType == kManualFeed && (row.flags & manualBit)) return index;
        if ((inputType == kRemovableTray || inputType == kFixedTray) && (row.flags & trayBit)) return index;
        return kNoMatch;
    }
    return kNoMatch;
}

}  // namespace

LONG MatchTrayPaperSize(LONG feed, LONG crossFeed, WORD languageId, LONG inputType) {
    const LanguageBits bits = BitsFor(languageId);
    LONG index = MatchOrientation(feed, crossFeed, inputType, bits.manual, bits.tray, false);
    if (index != kNoMatch) return index;
    index = MatchOrientation(feed, crossFeed, inputType, bits.turnedManual, bits.turnedTray, true);
    if (index != kNoMatch) return index;
    bool unknown = feed == kUnknownSize || crossFeed == kUnknownSize;
    if (inputType == kManualFeed &&
        ((feed >= 89000 && feed <= 297000 && crossFeed >= 98000 && crossFeed <= 432000) || unknown))
        return kCustomSizeIndex;
    return unknown ? kUnknownSizeIndex : kNoMatch;
}
