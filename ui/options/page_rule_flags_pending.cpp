// Stand-in until the watermark list handler exists: no flag is ever set.
#include "options/page_rule_flags.h"

bool WatermarkTextMismatch(QORVAOptItemHandler*) {
    return false;
}
