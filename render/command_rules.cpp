// Orientation and binding by the layout.
#include "command_rules.h"

namespace {

constexpr DWORD kPortrait = 226, kLandscape = 227, kReversePortrait = 222, kReverseLandscape = 223;

enum class Table { T1, T2, G };

DWORD Pick(bool condition, DWORD yes, DWORD no) {
    return condition ? yes : no;
}

DWORD BackSide(const LayoutTerms& t, Table table) {
    const bool H = t.m_horizontal, F = t.m_firstLandscape;
    const bool P = t.m_twoOrSix, B = t.m_booklet;
    const int row = (t.m_landscape ? 6 : 0) + (t.m_landscape ? (t.m_rotated ? 3 : 0) : (t.m_rotated ? 0 : 3)) +
                    (!P ? 0 : (B ? 1 : 2));
    const DWORD p = kPortrait, rp = kReversePortrait, l = kLandscape, rl = kReverseLandscape;
    switch (row) {
    case 0:  // portrait, rotated, one or four
        return table == Table::T1 ? Pick(H, rp, p) : Pick(H, p, rp);
    case 1:  // portrait, rotated, booklet
        return table == Table::T2 ? p : rp;
    case 2:
        return table == Table::T1 ? Pick(H, p, rp) : Pick(H, rp, p);
    case 3:  // portrait, not rotated
        return table == Table::T2 ? Pick(H, rp, p) : Pick(H, p, rp);
    case 4:
        return table == Table::T1 ? p : rp;
    case 5:
        return table == Table::T2 ? Pick(H, p, rp) : Pick(H, rp, p);
    case 6:  // landscape, not rotated
        if (table == Table::T2) return Pick(H, l, rl);
        if (table == Table::T1) return H ? Pick(F, rl, l) : Pick(F, l, rl);
        return Pick(H, rl, l);
    case 7:
        return table == Table::T2 ? rl : l;
    case 8:
        return table == Table::T2 ? Pick(H, rl, l) : Pick(H, l, rl);
    case 9:  // landscape, rotated
        return table == Table::T2 ? Pick(H, rl, l) : Pick(H, l, rl);
    case 10:
        if (table == Table::T2) return l;
        if (table == Table::T1) return rl;
        return Pick(H, rl, l);
    default:  // 11
        return table == Table::T2 ? Pick(H, l, rl) : Pick(H, rl, l);
    }
}

}  // namespace

DWORD OrientationCommand(const LayoutTerms& t) {
    if (!t.m_backSide) {
        if (t.m_landscape) return t.m_rotated ? kReverseLandscape : kLandscape;
        return t.m_rotated ? kReversePortrait : kPortrait;
    }
    if (t.m_textAsGraphics) return BackSide(t, Table::G);
    if (t.m_longPaper) {
        if (t.m_deviceType == 1) return BackSide(t, Table::T1);
        if (t.m_deviceType == 3) return BackSide(t, Table::T2);
        return 0;
    }
    return BackSide(t, t.m_deviceType == 1 ? Table::T1 : Table::T2);
}

DWORD BindingCommand(const LayoutTerms& t, bool ruleB) {
    constexpr DWORD kLong = 215, kShort = 216;
    const bool P = t.m_twoOrSix, B = t.m_booklet;
    if (!t.m_landscape) {
        if (B) return kLong;
        if (!ruleB) return P ? kShort : kLong;
        return P ? kLong : kShort;
    }
    if (t.m_deviceType != 1) {
        if (!ruleB) return P ? kLong : kShort;
        if (t.m_pagesPerSheet == 6) return kShort;
        if (t.m_pagesPerSheet == 2 && !B) return kShort;
        return kLong;
    }
    if (!ruleB) return (!P && !B) ? kShort : kLong;
    return (P || B) ? kShort : kLong;
}
