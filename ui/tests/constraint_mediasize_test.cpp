// The document size the page rules never leave empty: the output size while scale-to-output is on,
// else the market's paper; whichever rule hears of a change first fills it.
#include "constraint_sheet.h"
#include "items/optitem_handler.h"
#include "options/factory_tables.h"

namespace uitest {
namespace {

class MediaSizeTest : public ConstraintSheetTest {};

TEST_F(MediaSizeTest, AnEmptyDocumentSizeGetsAPaper) {
    struct Case {
        DWORD market;  // 0: none
        LONG_PTR documentSize;
        LONG scaleToOutput;
        LONG_PTR expectedSize, expectedScaleToOutput, expectedScale;
    };
    const Case cases[] = {
        {0, 0, 0, 9, 0, 150},     {1041, 0, 0, 9, 0, 150}, {1033, 0, 0, 1, 0, 150}, {1040, 0, 0, 1, 0, 150},
        {1033, 0, 1, 11, 0, 100},  // the output size, whatever the market
        {1033, 8, 0, 8, 0, 150},   // a size is kept
    };
    // Each page rule fills it when it is told first: main (binding direction), layout (borders),
    // advanced (toner save).
    for (const DWORD trigger : {2601u, 2300u, kEcoModeKey}) {
        for (const Case& c : cases) {
            SetMarket(c.market);
            OpenSheet();
            Preset(1203, c.documentSize);
            Preset(3101, c.scaleToOutput);
            Preset(3102, 11);
            Preset(3203, 150);
            Handler(trigger)->SetCurSel(1, nullptr);
            EXPECT_EQ(Value(1203), c.expectedSize) << trigger << " " << c.market;
            EXPECT_EQ(Value(3101), c.expectedScaleToOutput) << trigger << " " << c.market;
            EXPECT_EQ(Value(3203), c.expectedScale) << trigger << " " << c.market;
            CloseSheet();
        }
    }
}

}  // namespace
}  // namespace uitest
