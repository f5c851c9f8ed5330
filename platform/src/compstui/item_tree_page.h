// The pages of a COMPROPSHEETUI (internal to the platform library): the item tree page, which
// lists the visible items with their values, and the caller's own dialog pages. Both tell the
// caller's item callback what happens: CPSUICB_REASON_SETACTIVE and KILLACTIVE as the page is
// shown and left, CPSUICB_REASON_APPLYNOW when the sheet applies.
#pragma once

#include <memory>
#include <vector>

#include <win/compstui.h>

namespace palvex::compstui {

struct ItemSheet {
    COMPROPSHEETUI record{};
    bool ignoreApply = false;
    std::vector<std::vector<uint8_t>> templates;  // the item tree pages' own templates
    std::vector<std::u16string> titles;
};

// The pages of the record: one item tree page when it has no dialog pages (or a standard one).
std::vector<HPROPSHEETPAGE> MakeItemPages(const std::shared_ptr<ItemSheet>& sheet);
// Tells the callback CPSUICB_REASON_APPLYNOW; false when it refused (CPSUICB_ACTION_NO_APPLY_EXIT).
bool ApplyItems(ItemSheet& sheet, HWND page);

}  // namespace palvex::compstui
