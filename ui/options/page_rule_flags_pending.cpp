// Stand-ins until the favourites and watermark list handlers exist: no flag is ever set.
#include "options/page_rule_flags.h"

void SetFavouriteDeletion(QORVAOptItemHandler*, DWORD) {}

bool WatermarkTextMismatch(QORVAOptItemHandler*) {
    return false;
}
