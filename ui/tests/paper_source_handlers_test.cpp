// The document sheet's paper lists (their stored quick settings and the paper ids they store on
// Apply), the paper source's stored values and the watermark angle that follows paper and
// orientation; and the device page's option choice box.
#include <palvex/printer_papers.h>
#include <win/winspool_forms.h>

#include "drv_handler_sheet.h"
#include "items/system_func.h"
#include "options/device_option_handler.h"
#include "options/paper_source_handlers.h"

namespace uitest {
namespace {

class PaperSourceHandlersTest : public DrvSheetTest {
protected:
    // A printer form named like one of the printer's papers: the sheet gives its option the
    // paper id of its size (Legal, 5) and keeps the pair 258 -> 5.
    void RemapLegal() {
        palvex::SetPrinterPapers(kPrinter, {{9, u"A4", 2100, 2970}, {258, u"Printer Legal", 2159, 3556}});
        PrinterHandle admin;
        std::u16string name = u"Printer Legal";
        FORM_INFO_1W form{FORM_PRINTER, name.data(), SIZEL{215900, 355600}, RECTL{0, 0, 215900, 355600}};
        ASSERT_TRUE(AddFormW(admin.get(), 1, reinterpret_cast<LPBYTE>(&form))) << GetLastError();
    }
    // The printer's paper list as the sheet copies it for an item: values A4 9, Printer Legal 5.
    POPTITEM ClonePapers(POPTITEM destination) {
        POPTITEM source = AddItem(0, TVOT_COMBOBOX, 2, {}, {u"A4", u"Printer Legal"});
        EXPECT_TRUE(m_factory->SystemFunc()->CloneOptParam(destination, source, DC_PAPERS, DC_PAPERNAMES, 64, 0));
        EXPECT_EQ(m_factory->SystemFunc()->GetRemapCount(), 1u);
        return destination;
    }
    LONG_PTR SelValue(QORVAOptItemHandler* handler) {
        DWORD isText = 1;
        const LONG_PTR value = handler->GetSelValue(nullptr, &isText);
        EXPECT_EQ(isText, 0u);
        return value;
    }
};

TEST_F(PaperSourceHandlersTest, APaperSizeTheListLacksReadsAsNoneUntilSetAgain) {
    POPTITEM paper = AddItem(kPaperSizeItem, TVOT_COMBOBOX, 2, {9, 1}, {u"A4", u"Letter"});
    MakeSheet();
    auto* handler = Make<QORVAOptItemHandlerPAPERSIZE>(paper);
    struct Step {
        const char16_t* loaded;  // null: SetValue(1)
        LONG selection;
        DWORD mismatch;
        LONG_PTR selValue;
    } steps[] = {
        {u"1", 1, 0, 1},
        {u"5", 1, 1, 0},       // no such paper: the selection stays, the value reads 0
        {u"zz", 1, 1, 0},      // not a number: nothing changes
        {u"\xFFFC" u"A4", 1, 1, 0},
        {nullptr, 1, 0, 1},    // a value set clears the mismatch
        {u" 0x9", 0, 0, 9},
    };
    DWORD ok = 1;
    for (const Step& step : steps) {
        if (step.loaded) handler->QLoad(step.loaded, &ok);
        else handler->SetValue(1, nullptr);
        EXPECT_EQ(paper->Sel, step.selection);
        EXPECT_EQ(handler->LoadMismatch(), step.mismatch);
        EXPECT_EQ(SelValue(handler), step.selValue);
    }
    EXPECT_EQ(ok, 1u);  // the loader learns of a paper that did not take by its value
}

TEST_F(PaperSourceHandlersTest, ApplyStoresThePrintersOwnPaperId) {
    RemapLegal();
    POPTITEM paper = AddItem(kPaperSizeItem, TVOT_COMBOBOX, 4, {}, {u"A4", u"", u"", u"Printer Legal"});
    OPTTYPE compactType{};
    OPTITEM compact{};
    compact.cbSize = sizeof compact;
    compact.pOptType = &compactType;
    MakeSheet();
    ClonePapers(&compact);
    auto* handler = Make<QORVAOptItemHandlerPAPERSIZE>(paper);
    // The universal driver's list has no unnamed entries: the values come from its compact copy.
    handler->SetAlternateItem(&compact);

    handler->SetCurSel(3, nullptr);
    m_publicDevmode.dmPaperSize = 0;
    handler->SaveSettings(Control(1));  // a popup's OK stores nothing
    EXPECT_EQ(paper->Sel, 3);
    EXPECT_EQ(m_publicDevmode.dmPaperSize, 0);
    handler->SaveSettings(nullptr);
    EXPECT_EQ(paper->Sel, 1);  // moved down past the two unnamed entries
    EXPECT_EQ(m_publicDevmode.dmPaperSize, 258);

    handler->SetCurSel(0, nullptr);
    handler->SaveSettings(nullptr);
    EXPECT_EQ(paper->Sel, 0);
    EXPECT_EQ(m_publicDevmode.dmPaperSize, 9);  // an id without a pair is stored as it is
}

TEST_F(PaperSourceHandlersTest, ApplyStoresTheScaleToPaperSizeAsThePrintersId) {
    RemapLegal();
    POPTITEM scale = AddItem(kScaleToPaperSizeItem, TVOT_COMBOBOX, 0);
    MakeSheet();
    ClonePapers(scale);
    auto* handler = Make<QORVAOptItemHandlerSCALEDOCONSIZE>(scale);
    const auto stored = [&] {
        WORD size = 0;
        EXPECT_EQ(m_settings->GetFieldValue(m_privateDevmode.data(), u"_SCALEDOCON_SIZE", &size, sizeof size,
                                            SETTINGS_SELECT_DEVMODE),
                  S_OK);
        return size;
    };
    EXPECT_EQ(stored(), DMPAPER_A4);  // the description's default
    handler->SetCurSel(1, nullptr);
    handler->SaveSettings(Control(1));
    EXPECT_EQ(stored(), DMPAPER_A4);
    handler->SaveSettings(nullptr);
    EXPECT_EQ(stored(), 258);
}

TEST_F(PaperSourceHandlersTest, AStoredSourceTheListCannotHoldIsNotSet) {
    POPTITEM source = AddItem(kPaperSourceItem, TVOT_COMBOBOX, 3);
    MakeSheet();
    auto* handler = Make<QORVAOptItemHandlerSource>(source);
    struct Step {
        const char16_t* loaded;
        LONG selection;
        DWORD mismatch;
        DWORD ok;
    } steps[] = {
        {u"2", 2, 0, 1},
        {u"3", 2, 1, 0},   // beyond the list: refused
        {u"zz", 2, 1, 1},  // not a number: nothing happens
        {u"0", 0, 0, 1},
    };
    for (const Step& step : steps) {
        DWORD ok = 1;
        handler->QLoad(step.loaded, &ok);
        EXPECT_EQ(source->Sel, step.selection) << step.selection;
        EXPECT_EQ(handler->LoadMismatch(), step.mismatch) << step.selection;
        EXPECT_EQ(ok, step.ok) << step.selection;
    }
}

class WatermarkAngleTest : public PaperSourceHandlersTest {
protected:
    void SetUp() override {
        PaperSourceHandlersTest::SetUp();
        POPTITEM orientation = AddItem(kOrientationItem, TVOT_LISTBOX, 2);
        POPTITEM paper = AddItem(kPaperSizeItem, TVOT_COMBOBOX, 3, {9, 1, 500}, {u"A4", u"Letter", u"Nowhere"});
        POPTITEM degree = AddItem(kWatermarkDegreeItem, TVOT_UDARROW, 2, {0, 359});
        m_angleItem = AddItem(kWatermarkAngleItem, TVOT_3STATES, 3, {1, 2, 3});
        MakeSheet();
        m_orientation = Make<QORVAOptItemHandler>(orientation);
        m_paper = Make<QORVAOptItemHandlerPAPERSIZE>(paper);
        Make<QORVAOptItemHandlerUDArrow>(degree);
        m_angle = Make<QORVAOptItemHandlerWMANGLE>(m_angleItem);
    }
    LONG_PTR Degrees() { return Value(kWatermarkDegreeItem); }

    POPTITEM m_angleItem = nullptr;
    QORVAOptItemHandler* m_orientation = nullptr;
    QORVAOptItemHandler* m_paper = nullptr;
    QORVAOptItemHandlerWMANGLE* m_angle = nullptr;
};

TEST_F(WatermarkAngleTest, TheDiagonalFollowsPaperAndOrientation) {
    m_angle->SetCurSel(0, nullptr);
    EXPECT_EQ(Degrees(), 54);  // A4 portrait
    struct Step {
        DWORD key;
        LONG selection;
        LONG_PTR degrees;
    } steps[] = {
        {kOrientationItem, 1, 35},  // A4 landscape
        {kPaperSizeItem, 1, 37},    // Letter landscape
        {kOrientationItem, 0, 52},  // Letter portrait
        {kPaperSizeItem, 2, 0},     // a paper without a form
        {kPaperSizeItem, 0, 54},
    };
    for (const Step& step : steps) {
        Handler(step.key)->SetCurSel(step.selection, nullptr);
        EXPECT_EQ(Degrees(), step.degrees) << step.key << " " << step.selection;
    }
}

TEST_F(WatermarkAngleTest, StoredValuesChooseTheOption) {
    // Stored 1 diagonal, 2 horizontal, 3 own angle; anything else is the diagonal.
    const std::pair<LONG_PTR, LONG> choices[] = {{2, 1}, {3, 2}, {1, 0}, {3, 2}, {7, 0}, {3, 2}, {0, 0}, {-1, 0}};
    for (auto [stored, selection] : choices) {
        m_angle->SetValue(stored, nullptr);
        EXPECT_EQ(m_angleItem->Sel, selection) << stored;
    }
    m_angle->SetValue(2, nullptr);
    EXPECT_EQ(Degrees(), 0);
    Handler(kWatermarkDegreeItem)->SetValue(17, nullptr);
    m_angle->SetValue(3, nullptr);
    EXPECT_EQ(Degrees(), 17);  // the own angle keeps the degrees
    m_orientation->SetCurSel(1, nullptr);
    EXPECT_EQ(Degrees(), 17);  // and does not follow the orientation
    m_angle->SetValue(1, nullptr);
    EXPECT_EQ(Degrees(), 35);  // the diagonal of A4 landscape
    m_angle->SetValue(2, nullptr);
    m_orientation->SetCurSel(0, nullptr);
    EXPECT_EQ(Degrees(), 0);
}

TEST_F(PaperSourceHandlersTest, TheOptionChoiceRecordsEveryRequest) {
    POPTITEM choice = AddItem(kDeviceOptionChoiceItem, TVOT_COMBOBOX, 3);
    MakeSheet(OEMCUIP_PRNPROP);
    auto* handler = Make<QORVAOptItemHandlerDEVOPTCOMBOBOX>(choice);
    EXPECT_EQ(handler->RequestedIndex(), 0u);
    EXPECT_EQ(handler->Row(), 0u);
    EXPECT_EQ(handler->NoticePending(), 1u);
    EXPECT_EQ(handler->SetCurSel(2, nullptr), 0);
    EXPECT_EQ(choice->Sel, 2);
    EXPECT_EQ(handler->RequestedIndex(), 2u);
    // The option already selected is still recorded as the request.
    handler->SetCurSel(1, nullptr);
    EXPECT_EQ(handler->SetCurSel(1, nullptr), 1);
    EXPECT_EQ(handler->RequestedIndex(), 1u);
    handler->SetRow(4);
    handler->ClearNotice();
    EXPECT_EQ(handler->Row(), 4u);
    EXPECT_EQ(handler->NoticePending(), 0u);
}

}  // namespace
}  // namespace uitest
