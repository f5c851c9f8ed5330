// Unicode to KS X 1001 (the double-byte codes of code page 949), for fonts whose character map is
// in that code. The table is made at build time from the C library's EUC-KR converter.
#include <algorithm>

#include "font_download.h"

namespace {

struct WansungPair {
    WORD unicode;
    WORD code;
};

#include "font_download_wansung_table.inc"

// Whether any character of the block (the character's high byte) has a code.
bool BlockCovered(WCHAR character) {
    const WORD block = character >> 8;
    const auto at = std::lower_bound(std::begin(kWansungPairs), std::end(kWansungPairs), WORD(block << 8),
                                     [](const WansungPair& pair, WORD value) { return pair.unicode < value; });
    return at != std::end(kWansungPairs) && (at->unicode >> 8) == block;
}

}  // namespace

WORD UnicodeToWansung(WCHAR character) {
    if (character < 0x81) return character;
    const auto at = std::lower_bound(std::begin(kWansungPairs), std::end(kWansungPairs), WORD(character),
                                     [](const WansungPair& pair, WORD value) { return pair.unicode < value; });
    if (at != std::end(kWansungPairs) && at->unicode == character) return at->code;
    return BlockCovered(character) ? 0xFFFF : 0;
}
