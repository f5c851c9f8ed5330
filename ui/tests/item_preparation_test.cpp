// The items adapted to the printer before the stored settings are read (PrepareItems) and the
// selections corrected afterwards (ApplyDefaults), on the UI test printer.
#include <cstring>
#include <set>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <palvex/printer_papers.h>
#include <palvex/printer_settings.h>
#include <win/winspool_forms.h>
#include <win/winspool_levels.h>

#include "couiplugin.h"
#include "driver_sheet.h"
#include "tovqebco.h"

namespace uitest {
namespace {

constexpr DWORD kPortHint = 0x80018020;    // caption 32769, message 32800
constexpr DWORD kRightsHint = 0x80008021;  // caption 32768, message 32801

// The hint of the reason bit 0x8000.
DWORD HintOf(QORVAOptItemHandler* handler) {
    return handler->Hint(8);
}

class ItemPreparationTest : public DriverSheetTest {
protected:
    void AddUserForm(const std::u16string& name, LONG width, LONG height) {
        PrinterHandle printer;
        std::u16string formName = name;
        FORM_INFO_1W form{FORM_USER, formName.data(), {width, height}, {0, 0, width, height}};
        ASSERT_TRUE(AddFormW(printer.get(), 1, reinterpret_cast<LPBYTE>(&form)));
    }
    void StoreTrays(const std::vector<LONG>& inputTypes) {
        std::vector<BYTE> bytes(80, 0);
        for (size_t i = 0; i < inputTypes.size(); ++i) {
            const TRAYINFO tray{inputTypes[i], 3, 297000, 210000, 0};
            std::memcpy(bytes.data() + i * sizeof tray, &tray, sizeof tray);
        }
        SetPrinterValue(u"PrinterInputTrayInfos", REG_BINARY, bytes);
    }
    std::set<LONG> HiddenOptions(DWORD key) {
        std::set<LONG> hidden;
        for (LONG i = 0; i < Handler(key)->GetOptionCount(); ++i)
            if (Hidden(key, i)) hidden.insert(i);
        return hidden;
    }
};

TEST_F(ItemPreparationTest, PaperSourceTakesTheDevicesBinsAndNamesTheTrays) {
    // The device names its automatic bin as the sheet does after the first option is named.
    palvex::SetPrinterBins(kPrinter, {{7, u"自動"}, {1, u"Upper"}, {2, u"Lower"}, {3, u"Middle"}, {4, u"Manual"}});
    POPTITEM source = AddItem(4, TVOT_LISTBOX, {u"Auto", u"Upper", u"Lower", u"Middle", u"Manual"});
    source->HelpIndex = 100;
    MakeFactory();
    m_factory->PrepareItems();
    const std::u16string names[] = {u"自動", u"トレイ 1", u"トレイ 3", u"トレイ 2", u"手差し"};
    const LONG bins[] = {7, 1, 2, 3, 4};
    for (LONG i = 0; i < 5; ++i) {
        EXPECT_EQ(Text(4, i), names[i]) << i;
        EXPECT_EQ(Handler(4)->GetOptionValue(i, nullptr), bins[i]) << i;
        // The sheet's own list keeps its positions.
        EXPECT_EQ(source->pOptType->pOptParam[i].lParam, i) << i;
    }
    EXPECT_EQ(source->HelpIndex, 0xFFFF);
}

TEST_F(ItemPreparationTest, ASourceListWithOneChoiceOffersTheFormSource) {
    POPTITEM source = AddItem(4, TVOT_LISTBOX, {u"Auto", u"Upper", u"Lower"});
    source->pOptType->pOptParam[0].Flags = OPTPF_HIDE;
    source->pOptType->pOptParam[2].Flags = OPTPF_HIDE;
    MakeFactory();
    m_factory->PrepareItems();
    EXPECT_FALSE(Hidden(4, 0));
    // Without bins of the device the options count from 0.
    EXPECT_EQ(Text(4, 0), u"フォーム選択");
    EXPECT_EQ(Text(4, 1), u"トレイ 1");
    EXPECT_EQ(Text(4, 2), u"トレイ 3");
}

TEST_F(ItemPreparationTest, TrayOneAndTheAutomaticSelectionTakePlainPaperOnly) {
    palvex::SetPrinterBins(kPrinter, {{7, u"自動"}, {1, u"Upper"}, {15, u"Form"}});
    palvex::SetPrinterMediaTypes(kPrinter,
                                 {{513, u"Plain"}, {517, u"Film"}, {518, u"Heavy1"}, {519, u"Heavy2"}, {600, u"Glossy"}});
    struct Case {
        LONG sourceSel;
        bool plainOnly;
    };
    for (const Case c : {Case{0, false}, {1, true}, {2, true}}) {
        CloseSheet();
        m_items.clear();
        POPTITEM source = AddItem(4, TVOT_LISTBOX, {u"Auto", u"Upper", u"Form"});
        source->Sel = c.sourceSel;
        POPTITEM media = AddItem(12, TVOT_LISTBOX, {u"Plain", u"Film", u"Heavy1", u"Heavy2", u"Glossy"});
        media->Sel = 1;
        MakeFactory();
        m_factory->PrepareItems();
        const std::u16string names[] = {u"普通紙", u"OHP", u"厚紙1", u"厚紙2", u"Glossy"};
        for (LONG i = 0; i < 5; ++i) EXPECT_EQ(Text(12, i), names[i]) << i;
        EXPECT_EQ(HiddenOptions(12), c.plainOnly ? (std::set<LONG>{1, 2, 3, 4}) : std::set<LONG>{}) << c.sourceSel;
        EXPECT_EQ(media->Sel, c.plainOnly ? 0 : 1) << c.sourceSel;
    }
}

TEST_F(ItemPreparationTest, AHiddenMediaSelectionMovesToAnOptionThatStaysShown) {
    palvex::SetPrinterBins(kPrinter, {{7, u"自動"}, {1, u"Upper"}});
    palvex::SetPrinterMediaTypes(kPrinter, {{517, u"Film"}, {513, u"Plain"}});
    AddItem(4, TVOT_LISTBOX, {u"Auto", u"Upper"})->Sel = 1;
    // The film is the first shown option: the selection must not stay on it once it is hidden.
    POPTITEM media = AddItem(12, TVOT_LISTBOX, {u"Film", u"Plain"});
    MakeFactory();
    m_factory->PrepareItems();
    EXPECT_EQ(HiddenOptions(12), std::set<LONG>{0});
    EXPECT_EQ(media->Sel, 1);
}

TEST_F(ItemPreparationTest, CopiesRunFromOneTo999) {
    AddItem(3, TVOT_UDARROW, 2);
    MakeFactory();
    m_factory->PrepareItems();
    EXPECT_EQ(Handler(3)->Minimum(), 1);
    EXPECT_EQ(Handler(3)->Maximum(), 999);
}

TEST_F(ItemPreparationTest, ScaleToPaperHidesFormsBeyondTheCustomSizeLimits) {
    AddUserForm(u"Edge", 296999, 100000);
    AddUserForm(u"Wide", 297050, 100000);
    AddUserForm(u"Tall", 100000, 432050);
    AddUserForm(u"Small", 100000, 100000);
    const std::vector<std::u16string> papers = {u"Edge", u"Wide", u"Tall", u"Small", u"Unknown"};
    AddItem(3102, TVOT_COMBOBOX, papers);
    AddItem(17152, TVOT_UDARROW, 2, {0, 2970});
    AddItem(17202, TVOT_UDARROW, 2, {0, 4320});
    MakeFactory();
    m_factory->PrepareItems();
    EXPECT_EQ(HiddenOptions(3102), (std::set<LONG>{1, 2}));

    // A description without the width item limits the height only.
    CloseSheet();
    m_items.clear();
    AddItem(3102, TVOT_COMBOBOX, papers);
    AddItem(17202, TVOT_UDARROW, 2, {0, 4320});
    MakeFactory();
    m_factory->PrepareItems();
    EXPECT_EQ(HiddenOptions(3102), (std::set<LONG>{2}));
}

TEST_F(ItemPreparationTest, TheWatermarkFontListHoldsTheInstalledFaces) {
    AddItem(19302, TVOT_COMBOBOX, {u"placeholder"});
    MakeFactory();
    m_factory->PrepareItems();
    ASSERT_GT(Handler(19302)->GetOptionCount(), 0);
    EXPECT_NE(Text(19302, 0), u"placeholder");
}

TEST_F(ItemPreparationTest, ThePrinterSheetNamesTrayPapersAndDeviceOptions) {
    const std::vector<LPARAM> values = {1, 1, 5, 6, 8, 9, 11, 12, 13, 17, 256, 99};
    AddItem(25203, TVOT_COMBOBOX, std::vector<std::u16string>(values.size(), u"x"), values);
    AddItem(25103, TVOT_COMBOBOX, {u"a", u"b", u"c", u"d"});
    MakeFactory(kUiTypeSheets, OEMCUIP_PRNPROP);
    m_factory->PrepareItems();
    const std::u16string papers[] = {u"x",  u"Letter", u"Legal14\"", u"5.5 x 8.5\"", u"A3", u"A4",
                                     u"A5", u"B4",     u"B5",        u"11 x 17\"",   u"不定形サイズ", u"x"};
    for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) EXPECT_EQ(Text(25203, i), papers[i]) << i;
    const std::u16string options[] = {u"トレイ1", u"トレイ1＋トレイ2", u"トレイ1＋トレイ2＋トレイ3", u"あり"};
    for (LONG i = 0; i < 4; ++i) EXPECT_EQ(Text(25103, i), options[i]) << i;
}

TEST_F(ItemPreparationTest, APrinterWithoutDuplexShowsNoDuplexControls) {
    for (const DWORD duplexType : {1u, 0u}) {
        CloseSheet();
        m_items.clear();
        SetPrinterSetting(u"_DUPLEXTYPE", duplexType);
        AddItem(2050, TVOT_LISTBOX, 2);
        AddItem(7, TVOT_LISTBOX, 3);
        MakeFactory();
        m_factory->PrepareItems();
        EXPECT_EQ(Handler(2050)->GetExtState(), duplexType ? 1u : 0u);
        EXPECT_EQ(Handler(7)->GetExtState(), duplexType ? 1u : 0u);
    }
}

TEST_F(ItemPreparationTest, TheFilePortAndDirectPrintersDisableTheLayoutFeatures) {
    struct Case {
        std::u16string printer;
        std::u16string port;
        DWORD attributes;
        bool limited;
    };
    const Case cases[] = {
        {kPrinter, u"FILE:", 0x40, true},
        {u"Lower Case Port", u"file:", 0x40, false},
        {u"Local Port", u"LPT1:", 0x40, false},
        {u"Direct", u"LPT1:", 0x40 | PRINTER_ATTRIBUTE_DIRECT, true},
        {u"Raw Only", u"LPT1:", 0x40 | PRINTER_ATTRIBUTE_RAW_ONLY, true},
        {u"Fax", u"LPT1:", 0x40 | PRINTER_ATTRIBUTE_FAX, true},
    };
    const DWORD hinted[] = {7, 16, 3101, 3203, 2450, 2602, 2622};
    const DWORD disabled[] = {2402, 2601, 2603, 2621};
    for (const Case& c : cases) {
        CloseSheet();
        m_items.clear();
        if (c.printer != kPrinter) palvex::AddPrinter(c.printer, kDriver, c.port);
        palvex::PrinterSettingsDesc settings = palvex::GetPrinterSettings(c.printer);
        settings.attributes = c.attributes;
        palvex::SetPrinterSettings(c.printer, settings);
        for (const DWORD key : hinted) AddItem(key, TVOT_LISTBOX, 2);
        for (const DWORD key : disabled) AddItem(key, TVOT_LISTBOX, 2);
        AddItem(1250, TVOT_PUSHBUTTON, 1);
        MakeFactory(kUiTypeSheets, OEMCUIP_DOCPROP, c.printer);
        m_factory->SetSheetAccess(kAccessFull, 0);
        m_factory->PrepareItems();
        const std::string name(c.printer.begin(), c.printer.end());
        for (const DWORD key : hinted) {
            EXPECT_EQ(Handler(key)->StateBits(), c.limited ? 0x8000u : 0u) << name << " " << key;
            EXPECT_EQ(HintOf(Handler(key)), c.limited ? kPortHint : 0u) << name << " " << key;
        }
        for (const DWORD key : disabled) {
            EXPECT_EQ(Handler(key)->StateBits(), c.limited ? 0x1u : 0u) << name << " " << key;
            EXPECT_EQ(HintOf(Handler(key)), 0u) << name << " " << key;
        }
        EXPECT_EQ(Handler(1250)->StateBits(), 0u) << name;
    }
}

TEST_F(ItemPreparationTest, UsersWithoutFullRightsCannotStoreSettings) {
    palvex::AddPrinter(u"Local Port", kDriver, u"LPT1:");
    struct Case {
        DWORD access;
        std::set<DWORD> limited;
    };
    const Case cases[] = {{kAccessDenied, {150, 1250, 2450}}, {kAccessIniLocked, {1250}}, {kAccessFull, {}}};
    for (const Case& c : cases) {
        CloseSheet();
        m_items.clear();
        for (const DWORD key : {150u, 1250u, 2450u, 19101u}) AddItem(key, TVOT_PUSHBUTTON, 1);
        MakeFactory(kUiTypeSheets, OEMCUIP_DOCPROP, u"Local Port");
        m_factory->SetSheetAccess(c.access, 0);
        m_factory->PrepareItems();
        for (const DWORD key : {150u, 1250u, 2450u, 19101u}) {
            const bool limited = c.limited.count(key) != 0;
            EXPECT_EQ(Handler(key)->StateBits(), limited ? 0x8000u : 0u) << c.access << " " << key;
            EXPECT_EQ(HintOf(Handler(key)), limited ? kRightsHint : 0u) << c.access << " " << key;
        }
    }
}

TEST_F(ItemPreparationTest, TheElevationButtonShowsWhereElevationCanHelp) {
    struct Case {
        DWORD major, minor;
        BYTE productType;
        DWORD access;
        bool described;
        bool shown;
    };
    const Case cases[] = {
        {10, 0, 1, kAccessDenied, true, true},  {10, 0, 1, kAccessIniLocked, true, true},
        {10, 0, 1, kAccessFull, true, false},    {10, 0, 1, kAccessDenied, false, false},
        {5, 0, 1, kAccessDenied, true, false},  {5, 2, 3, kAccessDenied, true, false},
        {5, 2, 1, kAccessDenied, true, true},   {6, 0, 3, kAccessDenied, true, true},
    };
    for (const Case& c : cases) {
        CloseSheet();
        m_items.clear();
        palvex::OsProfile profile;
        profile.majorVersion = c.major;
        profile.minorVersion = c.minor;
        profile.productType = c.productType;
        palvex::SetOsProfile(profile);
        if (c.described) AddItem(9353, TVOT_PUSHBUTTON, 1);
        MakeFactory(kUiTypeSheets, OEMCUIP_PRNPROP);
        m_factory->SetSheetAccess(c.access, 0);
        m_factory->PrepareItems();
        ASSERT_NE(Handler(9353), nullptr);
        EXPECT_EQ(Handler(9353)->GetExtState(), c.shown ? 1u : 0u)
            << c.major << "." << c.minor << " type " << int{c.productType} << " access " << c.access;
    }
}

TEST_F(ItemPreparationTest, ThePrinterSheetIsLockedForUsersWithoutFullAccess) {
    struct Case {
        DWORD access;
        DWORD readOnly;
        std::set<DWORD> locked;
    };
    const Case cases[] = {
        {kAccessDenied, 0, {25103, 1145, 25301}},
        {kAccessIniLocked, 0, {25103, 1145, 25301}},
        {kAccessFull, 0, {}},
        {kAccessFull, 1, {1143, 1144, 25501, 25509, 25103, 1145, 25301}},
    };
    const DWORD keys[] = {531, 1143, 1144, 25501, 25509, 25103, 1145, 25301};
    for (const Case& c : cases) {
        CloseSheet();
        m_items.clear();
        for (const DWORD key : keys) AddItem(key, TVOT_LISTBOX, 2);
        MakeFactory(kUiTypeSheets, OEMCUIP_PRNPROP);
        m_factory->SetSheetAccess(c.access, c.readOnly);
        m_factory->ApplyDefaults();
        for (const DWORD key : keys)
            EXPECT_EQ(Handler(key)->StateBits(), c.locked.count(key) ? 0xFFu : 0u)
                << c.access << "/" << c.readOnly << " " << key;
    }
}

TEST_F(ItemPreparationTest, ThePaperSizeFollowsTheFormAndTheMarket) {
    struct Case {
        LONG formSel, paperSel, quickSel;
        DWORD market;  // 0: no value
        bool oneForm;
        LONG paperAfter, quickAfter;  // quickAfter -1: the list's last (working) entry
    };
    const Case cases[] = {
        {2, 0, 1, 0, false, 2, -1},    // the form's choice wins and the quick setting shows its last entry
        {2, 2, 0, 1033, false, 0, 0},  // the first quick setting: Letter in the US market
        {2, 2, 0, 1041, false, 1, 0},  // and A4 elsewhere
        {2, 2, 0, 0, false, 1, 0},
        {2, 2, 1, 1033, false, 2, 1},
        {0, 0, 1, 0, true, 0, 1},
    };
    for (const Case& c : cases) {
        CloseSheet();
        m_items.clear();
        PrinterHandle printer;
        if (c.market) SetPrinterNumber(u"Market", c.market);
        else DeletePrinterDataExW(printer.get(), u"PrinterDriverData", u"Market");
        POPTITEM form = c.oneForm ? AddItem(9, TVOT_LISTBOX, {u"A4"}, {9})
                                  : AddItem(9, TVOT_LISTBOX, {u"Letter", u"A4", u"A3"}, {1, 9, 8});
        form->Sel = c.formSel;
        POPTITEM paper = AddItem(1203, TVOT_COMBOBOX, {u"Letter", u"A4", u"A3"}, {1, 9, 8});
        paper->Sel = c.paperSel;
        POPTITEM quick = AddItem(101, TVOT_COMBOBOX, {u"Standard", u"Draft", u"User"});
        quick->Sel = c.quickSel;
        MakeFactory();
        m_factory->ApplyDefaults();
        EXPECT_EQ(paper->Sel, c.paperAfter) << c.formSel << c.paperSel << c.quickSel << " " << c.market;
        EXPECT_EQ(quick->Sel, c.quickAfter >= 0 ? c.quickAfter : quick->pOptType->Count - 1) << c.formSel << c.paperSel << c.quickSel << " " << c.market;
    }
}

TEST_F(ItemPreparationTest, TheStoredScaleToPaperSizeIsSelectedAndTheCustomMediaListShowsItsNewEntry) {
    for (const WORD stored : {WORD{8}, WORD{0}}) {
        CloseSheet();
        m_items.clear();
        POPTITEM scale = AddItem(3102, TVOT_COMBOBOX, {u"Letter", u"A4", u"A3"}, {1, 9, 8});
        POPTITEM media = AddItem(17052, TVOT_LISTBOX, 4);
        MakeFactory();
        ASSERT_FALSE(m_privateDevmode.empty());
        ASSERT_EQ(m_settings->SetFieldValue(m_privateDevmode.data(), u"_SCALEDOCON_SIZE", &stored, sizeof stored,
                                            SETTINGS_SELECT_DEVMODE),
                  S_OK);
        m_factory->ApplyDefaults();
        EXPECT_EQ(scale->Sel, stored ? 2 : 0) << stored;
        EXPECT_EQ(media->Sel, media->pOptType->Count - 1);  // the new-size entry
    }
}

TEST_F(ItemPreparationTest, AReadOnlyDocumentSheetDisablesEveryItem) {
    AddItem(3102, TVOT_COMBOBOX, 2);
    AddItem(16, TVOT_LISTBOX, 4);
    MakeFactory();
    m_factory->SetSheetAccess(kAccessFull, 1);
    m_factory->ApplyDefaults();
    for (auto& [key, handler] : m_factory->Handlers()) EXPECT_EQ(handler->StateBits() & 0xFFu, 0xFFu) << key;
}

TEST_F(ItemPreparationTest, ThePaperSourceOffersTheInstalledTraysOnly) {
    struct Case {
        std::vector<LONG> inputTypes;  // empty: no stored table (tray 1 and the manual feed)
        LONG selection;
        LONG hiddenBefore;  // -1: none
        LONG selectionAfter;
        std::set<LONG> hidden;
    };
    const Case cases[] = {
        {{}, 4, -1, 4, {2, 3}},             // the manual feed is there: its selection stays
        {{}, 2, -1, 0, {2, 3}},
        {{4, 3, 0, 5}, 4, -1, 4, {3}},      // three trays with the manual feed among them
        {{4, 3, 0, 5}, 3, -1, 0, {3}},
        {{4, 3, 3, 0}, 4, -1, 0, {4}},
        {{4, 3, 3, 0}, 3, -1, 3, {4}},
        {{4, 3, 3, 5}, 3, 2, 3, {}},        // an installed tray's option comes back
        {{4, 0, 0, 0}, 1, -1, 1, {2, 3, 4}},
    };
    for (const Case& c : cases) {
        CloseSheet();
        m_items.clear();
        PrinterHandle printer;
        if (c.inputTypes.empty()) DeletePrinterDataExW(printer.get(), u"PrinterDriverData", u"PrinterInputTrayInfos");
        else StoreTrays(c.inputTypes);
        POPTITEM source = AddItem(4, TVOT_LISTBOX, {u"Auto", u"Upper", u"Lower", u"Middle", u"Manual"});
        source->Sel = c.selection;
        if (c.hiddenBefore >= 0) source->pOptType->pOptParam[c.hiddenBefore].Flags = OPTPF_HIDE;
        MakeFactory();
        m_factory->PrepareItems();
        m_factory->ApplyDefaults();
        EXPECT_EQ(source->Sel, c.selectionAfter) << c.inputTypes.size() << " sel " << c.selection;
        EXPECT_EQ(HiddenOptions(4), c.hidden) << c.inputTypes.size() << " sel " << c.selection;
    }
}

// The model's own items, as the universal driver's document sheet gets them.
TEST_F(UiTest, TheModelsDocumentSheetOnTheFilePortLimitsItsLayoutFeatures) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    CoUIPluginExt* state = static_cast<CoUIPlugin*>(host->Plugin())->SheetState();
    ASSERT_NE(state, nullptr);
    auto* factory = dynamic_cast<QORVAOptItemHandlerFactoryDrv*>(state->Factory());
    ASSERT_NE(factory, nullptr);
    factory->SetSheetAccess(kAccessFull, 0);
    factory->PrepareItems();
    for (const DWORD key : {3101u, 3203u, 2450u, 2602u}) {
        QORVAOptItemHandler* handler = factory->FindHandler(key);
        ASSERT_NE(handler, nullptr) << key;
        EXPECT_EQ(handler->StateBits(), 0x8000u) << key;
        EXPECT_EQ(handler->Hint(8), kPortHint) << key;
    }
    for (const DWORD key : {2402u, 2601u, 2621u}) {
        QORVAOptItemHandler* handler = factory->FindHandler(key);
        ASSERT_NE(handler, nullptr) << key;
        EXPECT_EQ(handler->StateBits(), 0x1u) << key;
    }
}

}  // namespace
}  // namespace uitest
