// The driver's factory: which handler class each key gets in each UI type, the names of items
// keyed by their name, the link rows of the controls, the address edit of the get-configuration
// popup, the drawing session's configuration and the sheets' constraints.
#include <algorithm>
#include <cstring>
#include <set>

#include <palvex/screen.h>
#include <win/commctrl.h>

#include "driver_sheet.h"
#include "options/factory_tables.h"

namespace uitest {
namespace {

using enum DrvHandlerClass;

TEST(DriverHandlerTable, EachKeyGetsItsClassInItsUiType) {
    struct Case {
        DWORD key;
        WORD helpIndex;
        DrvHandlerClass kitPages;  // UI type 2
        DrvHandlerClass tree;      // UI type 1
    };
    const Case cases[] = {
        {4, 0, Source, Source},
        {5, 0, PRINTQUALITY, None},
        {6, 0, COLORDlg, None},
        {7, 0, DUPLEXDlg, None},
        {8, 0, TRUETYPEFONT, None},
        {9, 0, None, None},
        {16, 0, NUP, NUP},
        {101, 0, QSCOMBOBOX, QSCOMBOBOX},
        {1203, 0, PAPERSIZE, PAPERSIZE},
        {2402, 0, WMCOMBOBOX, WMCOMBOBOX},
        {3102, 0, SCALEDOCONSIZE, SCALEDOCONSIZE},
        {16100, 0, QSEDITBOX, QSEDITBOX},
        {17052, 0, CMCOMBOBOX, CMCOMBOBOX},
        {18100, 0, CMEDITBOX, CMEDITBOX},
        {19202, 0, WMANGLE, WMANGLE},
        {25103, 0, DEVOPTCOMBOBOX, DEVOPTCOMBOBOX},
        {25181, 0, DEVINFOPropSheet, DEVINFOPropSheet},
        {25402, 0, IDANDPWD, IDANDPWD},
        {25502, 0, IDANDPWD, IDANDPWD},
        {25405, 0, None, None},
        {0x800075C6, 30150, ECONOMODE, None},
        // The universal driver's font substitution table, known by its help index.
        {0x80000402, 1026, FONTSUBST, None},
        {0x00010402 | 0x80000000, 1026, FONTSUBST, None},
        {0, 1026, None, None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseHandlerClass(c.key, c.helpIndex, 2), c.kitPages) << c.key;
        EXPECT_EQ(ChooseHandlerClass(c.key, c.helpIndex, 1), c.tree) << c.key;
    }
}

TEST(DriverLinkTable, RowsHoldTheirControlsInOrder) {
    const auto steps = [](DWORD key) {
        std::vector<std::tuple<LinkOp, DWORD, DWORD>> list;
        for (const LinkStep& step : DlgLinkSteps(key)) list.emplace_back(step.m_op, step.m_control, step.m_value);
        return list;
    };
    using Steps = std::vector<std::tuple<LinkOp, DWORD, DWORD>>;
    EXPECT_EQ(steps(4), (Steps{{LinkOp::Needs, 3352, 0}, {LinkOp::ByClass, 3352, 0x40000000}, {LinkOp::ByClass, 3350, 0x40000000}}));
    EXPECT_EQ(steps(3), (Steps{{LinkOp::Needs, 1122, 0}, {LinkOp::ByClass, 1120, 0}, {LinkOp::ByClass, 1122, 0},
                               {LinkOp::ByClass, 1123, 0}, {LinkOp::LimitText, 1122, 3}}));
    EXPECT_EQ(steps(5), (Steps{{LinkOp::ByClass, 1052, 0}, {LinkOp::ByClass, 1050, 0}, {LinkOp::SetState, 0, 1}}));
    EXPECT_EQ(steps(3101), (Steps{{LinkOp::ByClass, 3050, 0}, {LinkOp::ByClass, 3101, 0x80000000}, {LinkOp::Bubble, 3100, 1}}));
    EXPECT_EQ(steps(1250), (Steps{{LinkOp::ByClass, 1250, 0}, {LinkOp::Bubble, 1251, 2}}));
    EXPECT_EQ(steps(25305), (Steps{{LinkOp::Needs, 25305, 0}, {LinkOp::ByClass, 25305, 0}, {LinkOp::AddressText, 25305, 0}}));
    EXPECT_EQ(steps(0x800075C6), (Steps{{LinkOp::Needs, 3512, 0}, {LinkOp::ByClass, 30150, 0}, {LinkOp::ByClass, 3512, 0},
                                        {LinkOp::Bubble, 3511, 1}}));
    // The watermark: the page's two controls, then the popup's list, label and text edit.
    EXPECT_EQ(steps(2402), (Steps{{LinkOp::When, 2402, 2}, {LinkOp::ByClass, 2400, 0}, {LinkOp::ByClass, 2402, 0},
                                  {LinkOp::When, 19052, 4}, {LinkOp::ByClass, 19050, 0}, {LinkOp::Named, 19052, kNamedWithStyle},
                                  {LinkOp::ByClass, 19150, 0}, {LinkOp::ExtState, 0, 1}, {LinkOp::When, 19152, 1},
                                  {LinkOp::Named, 19152, kNamedWithStyle | kNamedKeepIme}}));
    EXPECT_TRUE(steps(9).empty());
    EXPECT_TRUE(steps(1).size() == 3 && std::get<0>(steps(1)[2]) == LinkOp::Named);

    // Every key has one row; the ID and password buttons each have a row of their own.
    std::set<DWORD> keys;
    for (const LinkStep& step : AllDlgLinkSteps()) {
        if (step.m_op != LinkOp::Row) continue;
        EXPECT_TRUE(keys.insert(step.m_control).second) << step.m_control;
    }
    EXPECT_EQ(keys.size(), 90u);
    for (const DWORD key : {25407u, 25408u, 25409u, 25507u, 25508u, 25509u}) {
        ASSERT_EQ(DlgLinkSteps(key).size(), 1u);
        EXPECT_EQ(DlgLinkSteps(key)[0].m_class, DrvLinkClass::PushbuttonIDANDPWD);
        EXPECT_EQ(DlgLinkSteps(key)[0].m_control, key);
    }
}

TEST(DriverConstraintTable, EachSheetHasItsRulesInSlotOrder) {
    using enum DrvConstraintClass;
    const auto document = SheetConstraints(OEMCUIP_DOCPROP);
    EXPECT_EQ(std::vector(document.begin(), document.end()),
              (std::vector{MAIN, LAYOUT, ADVANCED, QUICKSETS, QUICKSETSNAME, CMS, CMSNAME, WMK}));
    const auto printer = SheetConstraints(OEMCUIP_PRNPROP);
    EXPECT_EQ(std::vector(printer.begin(), printer.end()), std::vector{DEVINFO});
    EXPECT_TRUE(SheetConstraints(0).empty());
    EXPECT_EQ(std::u16string(ConstraintClassName(DEVINFO)), u"QVOptItemConstraintDEVINFO");
}

TEST(DriverSession, BubblePicturesFollowTheScreensResolution) {
    struct Case {
        int dpi;
        DWORD first;
    };
    for (const Case c : {Case{0, 160}, {96, 160}, {120, 160}, {121, 160}, {122, 164}, {143, 164}, {144, 168}, {191, 168},
                         {192, 172}, {288, 172}}) {
        DWORD words[kSessionConfigWords];
        std::fill(std::begin(words), std::end(words), 0xEEEEEEEEu);
        QORVAOptItemHandlerFactoryDrv::FillSessionConfig(OEMCUIP_PRNPROP, c.dpi, words);
        DWORD expected[kSessionConfigWords] = {};
        expected[0] = OEMCUIP_PRNPROP;
        expected[1] = 130, expected[2] = 131, expected[3] = 130, expected[4] = 131;
        for (DWORD i = 0; i < 4; ++i) expected[6 + i] = c.first + i;
        expected[38] = 150, expected[39] = 151, expected[40] = 153, expected[41] = 154, expected[42] = 152;
        expected[46] = 100, expected[47] = 171, expected[48] = 173, expected[49] = 172;
        EXPECT_TRUE(std::equal(std::begin(words), std::end(words), std::begin(expected))) << c.dpi;
    }
}

TEST(DriverSession, TheScreensResolutionIsTheSettingsOne) {
    EXPECT_EQ(QORVAOptItemHandlerFactoryDrv::ScreenDotsPerInch(), 96);
    palvex::SetScreenDpi(120);
    EXPECT_EQ(QORVAOptItemHandlerFactoryDrv::ScreenDotsPerInch(), 120);
    palvex::SetScreenDpi(0);
    EXPECT_EQ(QORVAOptItemHandlerFactoryDrv::ScreenDotsPerInch(), 96);
}

class DriverFactoryTest : public DriverSheetTest {};

TEST_F(DriverFactoryTest, NamesCarryingAStringIdShowTheStringInTheTreeAndGetNoHandler) {
    POPTITEM paper = AddNamedItem(u"#1200|1203", TVOT_COMBOBOX, 3);
    POPTITEM single = AddNamedItem(u"#1216", TVOT_COMBOBOX, 2);
    POPTITEM zero = AddNamedItem(u"#0|1115", TVOT_COMBOBOX, 2);
    MakeFactory(1);
    EXPECT_EQ(std::u16string(paper->pName), u"原稿サイズ(&O)");
    EXPECT_EQ(std::u16string(single->pName), u"A4");
    EXPECT_EQ(Handler(1203), nullptr);
    EXPECT_EQ(Handler(1216), nullptr);
    // String id 0 names nothing: the item keeps its name and gets its handler.
    EXPECT_EQ(std::u16string(zero->pName), u"#0|1115");
    EXPECT_NE(Handler(1115), nullptr);
}

TEST_F(DriverFactoryTest, TheKitPagesGiveNamedItemsTheirHandler) {
    POPTITEM paper = AddNamedItem(u"#1200|1203", TVOT_COMBOBOX, 3);
    MakeFactory(kUiTypeSheets);
    EXPECT_EQ(std::u16string(paper->pName), u"#1200|1203");
    ASSERT_NE(Handler(1203), nullptr);
    EXPECT_EQ(Handler(1203)->Item(), paper);
}

TEST_F(DriverFactoryTest, OneItemGetsOneHandlerAndItemsWithoutKeyNone) {
    POPTITEM quality = AddItem(5, TVOT_LISTBOX, 2);
    POPTITEM keyless = AddItem(0, TVOT_LISTBOX, 2);
    keyless->DMPubID = 0;
    MakeFactory();
    QORVAOptItemHandler* first = Handler(5);
    ASSERT_NE(first, nullptr);
    const size_t handlers = m_factory->Handlers().size();
    EXPECT_EQ(m_factory->CreateHandler(quality), first);
    EXPECT_EQ(m_factory->Handlers().size(), handlers);
    EXPECT_EQ(m_factory->CreateHandler(keyless), nullptr);
    EXPECT_EQ(m_factory->Handlers().size(), handlers);
}

// A page: a parent window with child controls of the given classes and ids.
class DriverPageTest : public DriverSheetTest {
protected:
    void TearDown() override {
        if (m_page) DestroyWindow(m_page);
        DriverSheetTest::TearDown();
    }
    HWND Page() {
        if (!m_page)
            m_page = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        return m_page;
    }
    HWND Control(const char16_t* className, int id, DWORD style = 0) {
        return CreateWindowExW(0, className, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 20, Page(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    HWND m_page = nullptr;
};

TEST_F(DriverPageTest, CopiesEditTakesThreeDigitsAndPrintQualityStaysDisabled) {
    AddItem(3, TVOT_UDARROW, 2);
    AddItem(5, TVOT_LISTBOX, 2);
    MakeFactory();
    HWND copies = Control(u"Edit", 1122);
    HWND other = Control(u"Edit", 1120);
    const LRESULT unlimited = SendMessageW(other, EM_GETLIMITTEXT, 0, 0);
    m_factory->CreateDlgLink(Page(), Handler(3));
    EXPECT_EQ(SendMessageW(copies, EM_GETLIMITTEXT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(other, EM_GETLIMITTEXT, 0, 0), unlimited);
    // Whether or not the page shows its controls.
    m_factory->CreateDlgLink(Page(), Handler(5));
    EXPECT_EQ(Handler(5)->StateBits() & 0x1u, 0x1u);
}

TEST_F(DriverPageTest, ARowStopsWhereItsNeededControlIsMissing) {
    AddItem(3, TVOT_UDARROW, 2);
    MakeFactory();
    HWND other = Control(u"Edit", 1123);
    const LRESULT unlimited = SendMessageW(other, EM_GETLIMITTEXT, 0, 0);
    m_factory->CreateDlgLink(Page(), Handler(3));
    EXPECT_EQ(SendMessageW(other, EM_GETLIMITTEXT, 0, 0), unlimited);
}

TEST_F(DriverPageTest, TheWatermarkPopupShowsTheItemOnlyWhenItHasItsList) {
    AddItem(2402, TVOT_COMBOBOX, 3);
    MakeFactory();
    Handler(2402)->SetExtState(0);
    Control(u"Edit", 19152);
    m_factory->CreateDlgLink(Page(), Handler(2402));
    EXPECT_EQ(Handler(2402)->GetExtState(), 0u);
    Control(u"ListBox", 19052);
    m_factory->CreateDlgLink(Page(), Handler(2402));
    EXPECT_EQ(Handler(2402)->GetExtState(), 1u);
}

TEST_F(DriverPageTest, TrayListsSelectWholeRows) {
    AddItem(25201, TVOT_LISTBOX, 4);
    MakeFactory(kUiTypeSheets, OEMCUIP_PRNPROP);
    HWND list = Control(WC_LISTVIEWW, 25201, LVS_REPORT);
    ASSERT_TRUE(list);
    m_factory->CreateDlgLink(Page(), Handler(25201));
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
}

TEST_F(DriverPageTest, TheAddressEditShowsTheStoredAddressAndFollowsThePortChoice) {
    struct Case {
        std::u16string stored;      // empty: no value
        bool terminated;            // the stored value ends with its NUL
        bool portRadio;             // the popup has the port radio button
        bool portChosen;
        std::u16string shown;
        bool enabled;
    };
    const std::u16string full64(64, u'7');
    const Case cases[] = {
        {u"192.168.0.10", true, true, true, u"192.168.0.10", false},
        {u"192.168.0.10", true, true, false, u"192.168.0.10", true},
        {u"", true, true, false, u"typed", true},
        // A value that fills the 128 bytes without its end still ends there.
        {full64, false, true, false, full64, true},
        // One that does not fit cannot be read: the edit keeps its text.
        {full64, true, true, false, u"typed", true},
        // Without the port choice the popup is not the one that takes the address.
        {u"192.168.0.10", true, false, false, u"typed", true},
    };
    POPTITEM address = AddItem(25305, TVOT_EDITBOX, 2);
    // The item's own text, which the edit's link shows before a stored address replaces it.
    static WCHAR typed[16] = u"typed";
    address->pOptType->pOptParam[1].IconID = 16;
    address->pSel = typed;
    MakeFactory(kUiTypeSheets, OEMCUIP_PRNPROP);
    for (const Case& c : cases) {
        if (m_page) DestroyWindow(m_page);
        m_page = nullptr;
        if (!c.stored.empty()) {
            std::vector<BYTE> bytes((c.stored.size() + (c.terminated ? 1 : 0)) * 2, 0);
            std::memcpy(bytes.data(), c.stored.data(), c.stored.size() * 2);
            SetPrinterValue(u"PrinterIPaddr", REG_SZ, bytes);
        } else {
            PrinterHandle printer;
            DeletePrinterDataExW(printer.get(), u"PrinterDriverData", u"PrinterIPaddr");
        }
        if (c.portRadio) {
            HWND radio = Control(u"Button", 25303, BS_AUTORADIOBUTTON);
            SendMessageW(radio, BM_SETCHECK, c.portChosen ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        HWND edit = Control(u"Edit", 25305);
        SetWindowTextW(edit, u"typed");
        m_factory->CreateDlgLink(Page(), Handler(25305));
        WCHAR text[128] = {};
        GetWindowTextW(edit, text, 128);
        EXPECT_EQ(std::u16string(text), c.shown) << std::string(c.stored.begin(), c.stored.end());
        EXPECT_EQ(IsWindowEnabled(edit) != FALSE, c.enabled);
    }
}

TEST_F(DriverPageTest, BubblesNeedTheirControlFreeOfOtherLinks) {
    AddItem(12, TVOT_LISTBOX, 2);
    MakeFactory();
    EXPECT_EQ(m_factory->CreateBubbleLink(Page(), Handler(12), 1302, 1), nullptr);
    HWND bubble = Control(u"Button", 1302, BS_OWNERDRAW);
    SetPropW(bubble, u"optItemHandler", reinterpret_cast<HANDLE>(Handler(12)));
    EXPECT_EQ(m_factory->CreateBubbleLink(Page(), Handler(12), 1302, 1), nullptr);
}

TEST_F(DriverFactoryTest, EachRuleOfTheSheetTakesItsSlotAndMissingRulesLeaveTheirsEmpty) {
    MakeFactory(kUiTypeSheets, OEMCUIP_DOCPROP);
    m_factory->CreateConstraints();
    const auto classes = SheetConstraints(OEMCUIP_DOCPROP);
    for (DWORD slot = 0; slot < kConstraintSlots; ++slot) {
        const bool made = slot < classes.size() && ConstraintMakerOf(classes[slot]);
        EXPECT_EQ(m_factory->Constraint(slot) != nullptr, made) << slot;
    }
}

}  // namespace
}  // namespace uitest
