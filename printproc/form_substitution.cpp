#include "form_substitution.h"

#include <cstdlib>

namespace {

struct PaperRange {
    LONG widthLow, widthHigh, heightLow, heightHigh;
    short paper;
};

// Ranges in micrometres; the nominal sizes are in tenths of a millimetre, each ±100 micrometres.
constexpr PaperRange Nominal(LONG width, LONG height, short paper) {
    return PaperRange{width * 100 - 100, width * 100 + 100, height * 100 - 100, height * 100 + 100, paper};
}

constexpr PaperRange kPapers[] = {
    {147900, 148100, 209900, 210100, 11}, {139600, 139800, 215800, 216000, 6},
    {181900, 182100, 256900, 257100, 13}, {209900, 210100, 296900, 297100, 9},
    Nominal(2159, 2794, 1),  Nominal(2159, 3302, 260), Nominal(2159, 3556, 5), Nominal(2570, 3640, 12),
    Nominal(2970, 4200, 8),  Nominal(2794, 4318, 17),  Nominal(1842, 2667, 7), Nominal(1200, 2350, 73),
};

bool TrayPaper(short paper) {
    switch (paper) {
    case 1: case 5: case 8: case 9: case 11: case 12: case 13: case 17: return true;
    default: return false;
    }
}

}  // namespace

short PaperOfFormSize(LONG width, LONG height) {
    for (const PaperRange& range : kPapers)
        if (width >= range.widthLow && width <= range.widthHigh && height >= range.heightLow &&
            height <= range.heightHigh)
            return range.paper;
    return 256;
}

FormSubstitution DecideFormSubstitution(const std::vector<FormSize>& forms, short paperSize) {
    FormSubstitution result;
    // The paper number indexes the form list: anything outside it has no form to look at.
    if (paperSize < 1 || static_cast<size_t>(paperSize) > forms.size()) return result;
    const FormSize& form = forms[static_cast<size_t>(paperSize) - 1];
    const short paper = PaperOfFormSize(form.width, form.height);
    const bool userForm = form.flags == 0;
    if (!TrayPaper(paper) || userForm) result.useDefaultSource = true;
    if (!userForm || paper == 256) return result;
    for (size_t i = 0; i < forms.size(); ++i) {
        if (i == static_cast<size_t>(paperSize) - 1) continue;
        const FormSize& other = forms[i];
        // Compared in 64 bits: sizes read from the form list may lie anywhere in the 32-bit range.
        if (std::llabs(static_cast<long long>(other.width) - form.width) > 100 ||
            std::llabs(static_cast<long long>(other.height) - form.height) > 100)
            continue;
        if (PaperOfFormSize(other.width, other.height) == 256) continue;
        result.substitutePaper = static_cast<short>(i + 1);
        break;
    }
    return result;
}
