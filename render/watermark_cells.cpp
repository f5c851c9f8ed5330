// The N-up cell tables of the watermark pass: one per pages-per-sheet count, _NUP_ORDER and sheet
// orientation, each row a cell's edges and centre as fractions of the page, in cell order.
#include <array>
#include <vector>

#include "watermark_placement.h"

namespace {

// Cell c, r of a grid of the given edges and centres.
CellFractions Cell(const double* edgesX, const double* centresX, int c, const double* edgesY, const double* centresY,
                   int r) {
    return CellFractions{edgesX[c], edgesY[r], edgesX[c + 1], edgesY[r + 1], centresX[c], centresY[r]};
}

// A grid of columns x rows in the order of _NUP_ORDER: 2 columns top to bottom from the left,
// 3 rows right to left from the top, 4 columns top to bottom from the right, others rows left to
// right from the top.
std::vector<CellFractions> Grid(int columns, int rows, const double* edgesX, const double* centresX,
                                const double* edgesY, const double* centresY, BYTE order) {
    std::vector<CellFractions> cells;
    switch (order) {
    case 2:
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < rows; ++r) cells.push_back(Cell(edgesX, centresX, c, edgesY, centresY, r));
        break;
    case 3:
        for (int r = 0; r < rows; ++r)
            for (int c = columns - 1; c >= 0; --c) cells.push_back(Cell(edgesX, centresX, c, edgesY, centresY, r));
        break;
    case 4:
        for (int c = columns - 1; c >= 0; --c)
            for (int r = 0; r < rows; ++r) cells.push_back(Cell(edgesX, centresX, c, edgesY, centresY, r));
        break;
    default:
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) cells.push_back(Cell(edgesX, centresX, c, edgesY, centresY, r));
        break;
    }
    return cells;
}

constexpr double kHalves[] = {0, 0.5, 1};
constexpr double kQuarterCentres[] = {0.25, 0.75};
constexpr double kThirds6[] = {0, 0.33, 0.67, 1};
constexpr double kThirds9[] = {0, 0.33, 0.66, 1};
constexpr double kSixths[] = {0.16, 0.5, 0.83};
constexpr double kQuarters[] = {0, 0.25, 0.5, 0.75, 1};
constexpr double kEighths[] = {0.125, 0.375, 0.625, 0.875};

constexpr CellFractions Mid(double left, double top, double right, double bottom) {
    return CellFractions{left, top, right, bottom, (left + right) / 2, (top + bottom) / 2};
}

// Six pages, layout flag 1, by sheet and _NUP_ORDER 2, 3, 4 and the others.
constexpr CellFractions kSixPortrait[4][6] = {
    {Mid(0, 0.67, 0.5, 1), Mid(0.5, 0.67, 1, 1), Mid(0, 0.33, 0.5, 0.67), Mid(0.5, 0.33, 1, 0.67), Mid(0, 0, 0.5, 0.33),
     Mid(0.5, 0, 1, 0.33)},
    {Mid(0, 0, 0.5, 0.33), Mid(0, 0.33, 0.5, 0.67), Mid(0, 0.67, 0.5, 1), Mid(0.5, 0, 1, 0.33), Mid(0.5, 0.33, 1, 0.67),
     Mid(0.5, 0.67, 1, 1)},
    {Mid(0, 0, 0.5, 0.33), Mid(0.5, 0, 1, 0.33), Mid(0, 0.33, 0.5, 0.67), Mid(0.5, 0.33, 1, 0.67), Mid(0, 0.67, 0.5, 1),
     Mid(0.5, 0.67, 1, 1)},
    {Mid(0, 0.67, 0.5, 1), Mid(0, 0.33, 0.5, 0.67), Mid(0, 0, 0.5, 0.33), Mid(0.5, 0.67, 1, 1), Mid(0.5, 0.33, 1, 0.67),
     Mid(0.5, 0, 1, 0.33)},
};
constexpr CellFractions kSixLandscape[4][6] = {
    {Mid(0, 1, 0.33, 0.5), Mid(0.33, 1, 0.67, 0.5), Mid(0.67, 1, 1, 0.5), Mid(0, 0.5, 0.33, 0), Mid(0.33, 0.5, 0.67, 0),
     Mid(0.67, 0.5, 1, 0)},
    {Mid(0, 0.5, 0.33, 0), Mid(0, 1, 0.33, 0.5), Mid(0.33, 0.5, 0.67, 0), Mid(0.33, 1, 0.67, 0.5), Mid(0.67, 0.5, 1, 0),
     Mid(0.67, 1, 1, 0.5)},
    {Mid(0, 0.5, 0.33, 0), Mid(0.33, 0.5, 0.67, 0), Mid(0.67, 0.5, 1, 0), Mid(0, 1, 0.33, 0.5), Mid(0.33, 1, 0.67, 0.5),
     Mid(0.67, 1, 1, 0.5)},
    {Mid(0, 1, 0.33, 0.5), Mid(0, 0.5, 0.33, 0), Mid(0.33, 1, 0.67, 0.5), Mid(0.33, 0.5, 0.67, 0), Mid(0.67, 1, 1, 0.5),
     Mid(0.67, 0.5, 1, 0)},
};

int OrderRow(BYTE order) {
    return order == 2 ? 0 : order == 3 ? 1 : order == 4 ? 2 : 3;
}

// Every table, made once.
struct Tables {
    std::vector<CellFractions> twoLandscape, twoTopFirst, twoBottomFirst;
    std::array<std::vector<CellFractions>, 4> four, nine, sixteen, sixPortrait, sixLandscape;
    Tables() {
        twoLandscape = {Mid(0, 0, 0.5, 1), Mid(0.5, 0, 1, 1)};
        twoTopFirst = {Mid(0, 0, 1, 0.5), Mid(0, 0.5, 1, 1)};
        twoBottomFirst = {Mid(0, 0.5, 1, 1), Mid(0, 0, 1, 0.5)};
        const BYTE orders[4] = {2, 3, 4, 1};
        for (int i = 0; i < 4; ++i) {
            four[i] = Grid(2, 2, kHalves, kQuarterCentres, kHalves, kQuarterCentres, orders[i]);
            nine[i] = Grid(3, 3, kThirds9, kSixths, kThirds9, kSixths, orders[i]);
            sixteen[i] = Grid(4, 4, kQuarters, kEighths, kQuarters, kEighths, orders[i]);
            sixPortrait[i] = Grid(2, 3, kHalves, kQuarterCentres, kThirds6, kSixths, orders[i]);
            sixLandscape[i] = Grid(3, 2, kThirds6, kSixths, kHalves, kQuarterCentres, orders[i]);
        }
    }
};

CellTable Of(const std::vector<CellFractions>& cells) {
    return CellTable{cells.data(), static_cast<DWORD>(cells.size())};
}

}  // namespace

CellTable WatermarkCellTable(DWORD pagesPerSheet, BYTE nupOrder, bool landscape, DWORD layoutFlag) {
    static const Tables tables;
    const int row = OrderRow(nupOrder);
    switch (pagesPerSheet) {
    case 2:
        if (landscape) return Of(tables.twoLandscape);
        return Of(nupOrder == 3 || nupOrder == 4 ? tables.twoTopFirst : tables.twoBottomFirst);
    case 4: return Of(tables.four[row]);
    case 6:
        if (layoutFlag == 1) return CellTable{landscape ? kSixLandscape[row] : kSixPortrait[row], 6};
        return Of(landscape ? tables.sixLandscape[row] : tables.sixPortrait[row]);
    case 9: return Of(tables.nine[row]);
    case 16: return Of(tables.sixteen[row]);
    default: return CellTable{};
    }
}
