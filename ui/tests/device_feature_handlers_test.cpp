// The handlers that fit the universal driver's duplex, print quality, colour, TrueType and
// pages-per-sheet items to the kit's pages, and the hidden items they keep in step.
#include "drv_handler_sheet.h"
#include "items/optitem_dlglink.h"
#include "options/device_feature_handlers.h"

namespace uitest {
namespace {

class DeviceFeatureHandlersTest : public DrvSheetTest {
protected:
    QORVAOptItemDlgLink* LinkOn(QORVAOptItemHandler* handler, int controlId) {
        return MakeOnHeap<QORVAOptItemDlgLink>(m_heap, m_heap, handler, Control(controlId), controlId, 0);
    }
    std::u16string Text(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(u"(null)"); }
};

TEST_F(DeviceFeatureHandlersTest, DuplexOnTakesTheBindingEdgeOption) {
    POPTITEM duplex = AddItem(7, TVOT_LISTBOX, 3);
    AddItem(kBindingEdgeItem, TVOT_COMBOBOX, 2);
    MakeSheet();
    auto* handler = Make<QORVAOptItemHandlerDUPLEXDlg>(duplex);
    QORVAOptItemHandler* edge = Make<QORVAOptItemHandler>(&m_items[1]);
    EXPECT_EQ(handler->GetOptionCount(), 2);
    struct Case {
        LONG edge;
        LONG_PTR asked;
        LONG_PTR selected;
    } cases[] = {
        {0, 1, 1}, {0, 2, 1}, {1, 1, 2}, {1, 2, 2}, {0, 0, 0}, {1, 0, 0},
    };
    LONG_PTR previous = 0;
    for (const Case& c : cases) {
        edge->SetValue(c.edge, nullptr);
        EXPECT_EQ(handler->SetCurSel(c.asked, nullptr), previous) << c.edge << " " << c.asked;
        EXPECT_EQ(duplex->Sel, c.selected) << c.edge << " " << c.asked;
        previous = c.selected;
    }
}

TEST_F(DeviceFeatureHandlersTest, TheDuplexCheckBoxSeesEitherBindingAsOn) {
    POPTITEM duplex = AddItem(7, TVOT_LISTBOX, 3);
    MakeSheet();
    auto* handler = Make<QORVAOptItemHandlerDUPLEXDlg>(duplex);
    QORVAOptItemDlgLink* check = LinkOn(handler, kDuplexCheckControl);
    QORVAOptItemDlgLink* other = LinkOn(handler, 2050);
    for (LONG selection : {0, 1, 2}) {
        duplex->Sel = selection;
        EXPECT_EQ(handler->GetSel(check), selection != 0 ? 1 : 0) << selection;
        EXPECT_EQ(handler->GetSel(other), selection);
        EXPECT_EQ(handler->GetSel(nullptr), selection);
        EXPECT_EQ(handler->GetSel(), selection);
    }
    // Checking the box with no binding edge item on the sheet: long edge.
    handler->SetCurSel(1, check);
    EXPECT_EQ(duplex->Sel, 1);
    handler->SetCurSel(0, check);
    EXPECT_EQ(duplex->Sel, 0);
}

TEST_F(DeviceFeatureHandlersTest, PrintQualityAndTrueTypeItemsTakeTheModelsTexts) {
    POPTITEM quality = AddItem(5, TVOT_LISTBOX, 2);
    POPTITEM trueType = AddItem(8, TVOT_LISTBOX, 2);
    POPTITEM color = AddItem(6, TVOT_LISTBOX, 2, {}, {u"Monochrome", u"Color"});
    MakeSheet();
    Make<QORVAOptItemHandlerPRINTQUALITY>(quality);
    Make<QORVAOptItemHandlerTRUETYPEFONT>(trueType);
    Make<QORVAOptItemHandlerCOLORDlg>(color);
    EXPECT_EQ(Text(quality->pName), u"解像度");
    EXPECT_EQ(Text(quality->pOptType->pOptParam[0].pData), u"300 dpi");
    EXPECT_EQ(Text(quality->pOptType->pOptParam[1].pData), u"600 dpi");
    EXPECT_EQ(Text(trueType->pName), u"TrueType フォント　オプション");
    EXPECT_EQ(Text(trueType->pOptType->pOptParam[0].pData), u"デバイスフォント代用");
    EXPECT_EQ(Text(trueType->pOptType->pOptParam[1].pData), u"ソフトフォントとしてダウンロード");
    EXPECT_EQ(Text(color->pName), u"カラー");
    EXPECT_EQ(Text(color->pOptType->pOptParam[0].pData), u"モノクロ");
    EXPECT_EQ(Text(color->pOptType->pOptParam[1].pData), u"Color");  // only option 0 is renamed
}

TEST_F(DeviceFeatureHandlersTest, WithoutTheModelsStringsItemsKeepTheirOwnTexts) {
    POPTITEM quality = AddItem(5, TVOT_LISTBOX, 2, {}, {u"Draft", u"Fine"});
    quality->pName = HeapText(u"Print Quality");
    MakeSheet();
    // A sheet whose resources are missing: no factory to reach them through.
    auto* handler = MakeOnHeap<QORVAOptItemHandlerPRINTQUALITY>(m_heap, m_heap, nullptr, quality);
    ASSERT_TRUE(handler);
    EXPECT_EQ(Text(quality->pName), u"Print Quality");
    EXPECT_EQ(Text(quality->pOptType->pOptParam[0].pData), u"Draft");
    handler->Destroy();
}

TEST_F(DeviceFeatureHandlersTest, ColourAndItsHiddenItemHoldComplementaryValues) {
    POPTITEM color = AddItem(6, TVOT_LISTBOX, 2);
    AddItem(kColorMirrorItem, TVOT_COMBOBOX, 2);
    MakeSheet();
    auto* handler = Make<QORVAOptItemHandlerCOLORDlg>(color);
    Make<QORVAOptItemHandler>(&m_items[1]);
    QORVAOptItemDlgLink* control = LinkOn(handler, 1150);

    // Without a link the selection is the item's own.
    EXPECT_EQ(handler->SetCurSel(1, nullptr), 0);
    EXPECT_EQ(color->Sel, 1);
    EXPECT_EQ(Value(kColorMirrorItem), 0);
    EXPECT_EQ(handler->GetSel(nullptr), 1);
    EXPECT_EQ(handler->GetSel(control), 0);

    // A control lists the options the other way round: its row 1 is the item's option 0.
    EXPECT_EQ(handler->SetCurSel(1, control), 0);
    EXPECT_EQ(color->Sel, 0);
    EXPECT_EQ(Value(kColorMirrorItem), 1);
    EXPECT_EQ(handler->GetSel(control), 1);
    EXPECT_EQ(handler->SetCurSel(0, control), 1);
    EXPECT_EQ(color->Sel, 1);
    EXPECT_EQ(Value(kColorMirrorItem), 0);
}

class PagesPerSheetTest : public DeviceFeatureHandlersTest {
protected:
    // Options 1, 2, 4, 6, 9, 16 as the description names them by string id.
    POPTITEM AddPagesPerSheet() {
        POPTITEM item = AddItem(16, TVOT_LISTBOX, 6);
        const DWORD ids[] = {64865, 64866, 64867, 64868, 64869, 64870};
        for (WORD i = 0; i < 6; ++i)
            item->pOptType->pOptParam[i].pData = reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(ids[i]));
        AddItem(kPagesPerSheetMirrorItem, TVOT_COMBOBOX, 6);
        return item;
    }
};

TEST_F(PagesPerSheetTest, OptionTextsAreFixedNumbers) {
    POPTITEM item = AddPagesPerSheet();
    MakeSheet();
    auto* handler = Make<QORVAOptItemHandlerNUP>(item);
    const char16_t* expected[] = {u"1", u"2", u"4", u"6", u"9", u"16"};
    for (LONG i = 0; i < 6; ++i) EXPECT_EQ(Text(handler->GetOptionText(i, nullptr, nullptr)), expected[i]) << i;
    EXPECT_EQ(Text(handler->LoadResString(1)), u"1");
    EXPECT_EQ(Text(handler->LoadResString(64871)), u"1");
}

TEST_F(PagesPerSheetTest, TheLastOptionIsReachedByStepsOnlyWhereTheDriverSaysSo) {
    struct Case {
        DWORD uiType;
        DWORD driverFlag;
        LONG maximum;
    } cases[] = {{kUiTypeSheets, 0, 4}, {kUiTypeSheets, 1, 4}, {kUiTypeSheets, 2, 5}, {kUiTypePages, 0, 5}};
    POPTITEM item = AddPagesPerSheet();
    MakeSheet();
    for (const Case& c : cases) {
        m_extension->m_sheetWords[0] = c.uiType;
        m_extension->m_driverFlag = c.driverFlag;
        auto* handler = MakeOnHeap<QORVAOptItemHandlerNUP>(m_heap, m_heap, m_factory, item);
        EXPECT_EQ(handler->Minimum(), 0);
        EXPECT_EQ(handler->Maximum(), c.maximum) << c.uiType << " " << c.driverFlag;
        handler->Destroy();
    }
}

TEST_F(PagesPerSheetTest, StepsWrapAndTheHiddenItemFollows) {
    POPTITEM item = AddPagesPerSheet();
    MakeSheet();
    auto* handler = Make<QORVAOptItemHandlerNUP>(item);
    Make<QORVAOptItemHandler>(&m_items[1]);
    handler->SetCurSel(3, nullptr);
    EXPECT_EQ(item->Sel, 3);
    EXPECT_EQ(Value(kPagesPerSheetMirrorItem), 3);
    EXPECT_EQ(handler->StepSel(1, nullptr), 3);
    EXPECT_EQ(item->Sel, 4);
    // Up from the last reachable option ("9") to the first; down from the first to "9".
    EXPECT_EQ(handler->StepSel(1, nullptr), 4);
    EXPECT_EQ(item->Sel, 0);
    EXPECT_EQ(Value(kPagesPerSheetMirrorItem), 0);
    EXPECT_EQ(handler->StepSel(-1, nullptr), 0);
    EXPECT_EQ(item->Sel, 4);
    EXPECT_EQ(Value(kPagesPerSheetMirrorItem), 4);
    // Without wrapping the step stops at the ends.
    handler->SetWrap(0);
    handler->StepSel(1, nullptr);
    EXPECT_EQ(item->Sel, 4);
    handler->SetCurSel(0, nullptr);
    handler->StepSel(-1, nullptr);
    EXPECT_EQ(item->Sel, 0);
    // A stored quick setting moves the hidden item too.
    DWORD ok = 1;
    handler->QLoad(u"2", &ok);
    EXPECT_EQ(item->Sel, 2);
    EXPECT_EQ(Value(kPagesPerSheetMirrorItem), 2);
}

}  // namespace
}  // namespace uitest
