// The page preview link: the model it builds from the items (paper sizes in 600-dpi dots, the
// picture's extent, pages per sheet, the watermark's shaded colour), its place behind the other
// observers, its paint and cursors, and the clicks on the paper and on the size caption.
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include <win/winspool.h>
#include <win/winspool_forms.h>

#include "driver_page_link.h"
#include "sheet_pages.h"
#include "options/factory_tables.h"
#include "options/page_preview_link.h"
#include "session/page_preview.h"
#include "session/ui_session.h"

namespace uitest {
namespace {

constexpr WORD kPreview = 250;
// Colours the colour item's options point to.
DWORD g_colours[] = {RGB(255, 0, 0), RGB(0, 64, 255)};

class PagePreviewLinkTest : public DriverPageLinkTest {
protected:
    void SetUp() override {
        DriverPageLinkTest::SetUp();
        // Forms of the printer beside the built-in ones: a paper whose sides end in odd
        // micrometres, and tall papers of 14, 15 and 18 inches.
        AddForm(u"Odd", 210050, 297049);
        AddForm(u"H14", 215900, 355600);
        AddForm(u"H15", 215900, 381000);
        AddForm(u"H18", 215900, 457200);
    }
    static void AddForm(const char16_t* name, LONG width, LONG height) {
        PrinterHandle printer;
        FORM_INFO_1W form{0, const_cast<LPWSTR>(name), {width, height}, {0, 0, width, height}};
        ASSERT_TRUE(AddFormW(printer.get(), 1, reinterpret_cast<LPBYTE>(&form)));
    }
    // The sheet's items that the picture follows, then the page with the preview control.
    void OpenPreview() {
        AddItem(kPreview, TVOT_PUSHBUTTON, 1);
        AddItem(1, TVOT_LISTBOX, 2);                                   // portrait, landscape
        AddItem(17250, TVOT_LISTBOX, 2, {1, 2});                       // millimetres, inches
        AddItem(16, TVOT_LISTBOX, 9);                                  // pages-per-sheet index
        AddItem(1203, TVOT_COMBOBOX, {u"A4", u"Odd", u"Nowhere"});
        AddItem(3102, TVOT_COMBOBOX, {u"A4", u"H14", u"H15", u"H18", u"Odd"});
        AddItem(2402, TVOT_COMBOBOX, 2);                               // none, one watermark
        AddItem(6, TVOT_LISTBOX, 2);                                   // monochrome, colour
        AddItem(19352, TVOT_COMBOBOX, 2, {reinterpret_cast<LPARAM>(&g_colours[0]), reinterpret_cast<LPARAM>(&g_colours[1])});
        AddItem(19402, TVOT_COMBOBOX, 3, {0, 128, 255});               // shade
        MakeFactory();
        ASSERT_TRUE(OpenPage({{u"Static", SS_OWNERDRAW | SS_NOTIFY, kPreview, u"", 10, 10, 150, 160}}));
    }
    void Select(DWORD key, LONG_PTR selection) { Handler(key)->SetCurSel(selection, nullptr); }
    QORVAUISession* Session() const { return m_factory->Session(); }
    const QORVAPreviewSettings& Settings() const { return Session()->m_settings; }
    const QORVAPreviewWatermark& Watermark() const { return Session()->m_watermark; }
    LRESULT Mouse(UINT message, int x, int y) {
        return SendMessageW(Item(kPreview), message, 0, MAKELPARAM(x, y));
    }
};

TEST_F(PagePreviewLinkTest, PapersBecome600DpiDotsAndOnlyThePapersRemaindersRound) {
    OpenPreview();
    struct Case {
        LONG paper, scaleTo;
        DWORD width, height, scaleToWidth, scaleToHeight, differs;
        std::u16string name;
    } cases[] = {
        {0, 0, 4960, 7015, 4960, 7015, 0, u"A4"},
        // 210050 x 297049: the width's remainder of 50 adds a dot to both papers' widths, the
        // height's 49 adds none.
        {1, 0, 4962, 7016, 4961, 7015, 1, u"Odd"},
        {0, 4, 4960, 7015, 4961, 7016, 1, u"A4"},
        // A paper the printer does not have counts as 100 micrometres a side.
        {2, 0, 2, 2, 4960, 7015, 1, u"Nowhere"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paper * 10 + c.scaleTo);
        Select(1203, c.paper);
        Select(3102, c.scaleTo);
        EXPECT_EQ(Settings().paperWidth, c.width);
        EXPECT_EQ(Settings().paperHeight, c.height);
        EXPECT_EQ(Settings().printableWidth, c.scaleToWidth);
        EXPECT_EQ(Settings().printableHeight, c.scaleToHeight);
        EXPECT_EQ(Settings().fitToPaper, c.differs);
        EXPECT_EQ(std::u16string(Settings().documentPaperName), c.name);
    }
}

TEST_F(PagePreviewLinkTest, TheExtentFollowsTheScaleToPapersHeightInInches) {
    OpenPreview();
    const std::pair<LONG, DWORD> cases[] = {{0, 8400}, {1, 8400}, {2, 10200}, {3, 10800}};
    for (const auto& [paper, extent] : cases) {
        Select(3102, paper);
        EXPECT_EQ(Settings().minimumExtent, extent) << paper;
        EXPECT_EQ(std::u16string(Settings().outputPaperName), Text(3102, paper));
    }
}

TEST_F(PagePreviewLinkTest, PagesPerSheetComeFromTheListAndStrayIndexesCountAsOne) {
    OpenPreview();
    const std::pair<LONG, DWORD> cases[] = {{0, 1}, {1, 2}, {2, 4}, {3, 6}, {4, 9}, {5, 16}, {6, 1}, {7, 1}, {8, 1}};
    for (const auto& [index, pages] : cases) {
        Select(16, index);
        EXPECT_EQ(Settings().pagesPerSheet, pages) << index;
        // One page per sheet has the one order; others take the page-order item's (none here: 0).
        EXPECT_EQ(Settings().sideCode, pages == 1 ? 1u : 0u) << index;
    }
}

TEST_F(PagePreviewLinkTest, TheWatermarkColourIsShadedAndKeptWhileNoWatermarkIsChosen) {
    OpenPreview();
    EXPECT_EQ(Settings().noWatermark, 1u);
    struct Case {
        LONG mode, colour, shade;
        COLORREF expected;
    } cases[] = {
        {0, 0, 1, 0x808080},              // monochrome: black, each channel 255 - 255 * 127 / 255
        {1, 0, 0, RGB(255, 0, 0)},        // no shade keeps the colour
        {1, 0, 2, RGB(255, 255, 255)},    // full shade is white
        {1, 1, 1, RGB(128, 160, 255)},    // green: 255 - (255 - 64) * 127 / 255, truncated
    };
    Select(2402, 1);
    for (const Case& c : cases) {
        Select(6, c.mode);
        Select(19352, c.colour);
        Select(19402, c.shade);
        EXPECT_EQ(Settings().noWatermark, 0u);
        EXPECT_EQ(Watermark().colour, c.expected) << c.mode << c.colour << c.shade;
    }
    // Without a watermark the picture keeps the fields it had: a shade changed then is not heard.
    Select(2402, 0);
    const COLORREF kept = Watermark().colour;
    Select(19402, 2);
    EXPECT_EQ(Settings().noWatermark, 1u);
    EXPECT_EQ(Watermark().colour, kept);
}

TEST_F(PagePreviewLinkTest, ThePictureHearsOfAChangeAfterTheItemsOtherObservers) {
    AddItem(16, TVOT_LISTBOX, 9);
    MakeFactory();
    std::vector<Seen> log;
    auto* rule = MakeOnHeap<Recorder>(m_heap, 'r', m_heap, m_factory, &log);
    DWORD pagesSeenByRule = 0;
    rule->m_action = [&](DWORD, WORD) { pagesSeenByRule = Settings().pagesPerSheet; };
    ASSERT_TRUE(rule->ObserveItem(Handler(16)));
    AddItem(kPreview, TVOT_PUSHBUTTON, 1);
    m_factory->CreateHandler(&m_items.back());
    ASSERT_TRUE(OpenPage({{u"Static", SS_OWNERDRAW | SS_NOTIFY, kPreview, u"", 10, 10, 150, 160}}));
    Select(16, 2);
    EXPECT_EQ(pagesSeenByRule, 1u);  // the rule was asked before the picture changed
    EXPECT_EQ(Settings().pagesPerSheet, 4u);
    ClosePage();
    rule->ReleaseItemMap();
    rule->Destroy();
}

TEST_F(PagePreviewLinkTest, ClicksOnThePaperAndTheCaptionStepOrientationAndUnits) {
    OpenPreview();
    Picture("palvex-preview-link.png");
    const QORVAPreviewLayout layout = Session()->m_layout;
    const RECT paper = layout.sheetDevice;
    const RECT caption = layout.captionBox;
    ASSERT_GT(paper.right - paper.left, 10);
    ASSERT_GT(caption.right - caption.left, 10);
    // The portrait A4 sheet stands upright; the click on it turns it.
    EXPECT_LT(paper.right - paper.left, paper.bottom - paper.top);
    EXPECT_EQ(Mouse(WM_LBUTTONDOWN, (paper.left + paper.right) / 2, (paper.top + paper.bottom) / 2), 0);
    EXPECT_EQ(Handler(1)->GetSel(), 1);
    EXPECT_EQ(Settings().rotation, 2u);
    Picture("palvex-preview-link-landscape.png");
    const RECT turned = Session()->m_layout.sheetDevice;
    EXPECT_GT(turned.right - turned.left, turned.bottom - turned.top);
    // The caption switches between millimetres and inches.
    const RECT shown = Session()->m_layout.captionBox;
    Mouse(WM_LBUTTONDOWN, shown.left + 2, shown.top + 2);
    EXPECT_EQ(Handler(17250)->GetSel(), 1);
    EXPECT_EQ(Settings().units, 2u);
    Mouse(WM_LBUTTONDOWN, shown.left + 2, shown.top + 2);
    EXPECT_EQ(Settings().units, 1u);
}

TEST_F(PagePreviewLinkTest, UnitsOtherThanMillimetresAreInches) {
    AddItem(kPreview, TVOT_PUSHBUTTON, 1);
    AddItem(17250, TVOT_LISTBOX, 3, {1, 0, 7});
    MakeFactory();
    ASSERT_TRUE(OpenPage({{u"Static", SS_OWNERDRAW | SS_NOTIFY, kPreview, u"", 10, 10, 150, 160}}));
    for (const auto& [selection, units] : {std::pair{0, 1u}, {1, 2u}, {2, 2u}}) {
        Select(17250, selection);
        EXPECT_EQ(Settings().units, units) << selection;
    }
    // The caption's numbers and its unit name agree.
    Picture("palvex-preview-units.png");
    const std::u16string caption = Session()->m_layout.caption;
    EXPECT_EQ(caption.substr(caption.size() - 3), Session()->LoadString(173)) << std::string(caption.begin(), caption.end());
}

TEST_F(PagePreviewLinkTest, EachHotAreaStepsItsItemAndAnOverlapStepsBoth) {
    OpenPreview();
    struct Case {
        RECT paper, caption;
        POINT at;
        LONG_PTR orientation, units;
    } cases[] = {
        {{10, 10, 50, 80}, {10, 90, 50, 100}, {20, 20}, 1, 0},
        {{10, 10, 50, 80}, {10, 90, 50, 100}, {20, 95}, 0, 1},
        {{10, 10, 50, 80}, {10, 60, 50, 100}, {20, 70}, 1, 1},
        {{10, 10, 50, 80}, {10, 90, 50, 100}, {60, 95}, 0, 0},  // outside both: nothing
        {{10, 10, 50, 80}, {10, 90, 50, 100}, {50, 80}, 0, 0},  // right and bottom edges are outside
    };
    for (const Case& c : cases) {
        Select(1, 0);
        Select(17250, 0);
        Session()->m_layout.sheetDevice = c.paper;
        Session()->m_layout.captionBox = c.caption;
        Mouse(WM_LBUTTONDOWN, c.at.x, c.at.y);
        EXPECT_EQ(Handler(1)->GetSel(), c.orientation) << c.at.x << "," << c.at.y;
        EXPECT_EQ(Handler(17250)->GetSel(), c.units) << c.at.x << "," << c.at.y;
    }
}

TEST_F(PagePreviewLinkTest, ThePointerIsTheHandOverTheHotAreasOnly) {
    OpenPreview();
    Session()->m_layout.sheetDevice = RECT{10, 10, 50, 80};
    Session()->m_layout.captionBox = RECT{10, 90, 50, 100};
    const paint::QORVAOptItemDlgLinkPagePreview& preview = *Session()->Preview();
    for (const POINT at : {POINT{20, 20}, POINT{20, 95}}) {
        SetCursor(nullptr);
        Mouse(WM_MOUSEMOVE, at.x, at.y);
        EXPECT_EQ(GetCursor(), preview.HotCursor()) << at.y;
    }
    SetCursor(nullptr);
    Mouse(WM_MOUSEMOVE, 60, 95);
    EXPECT_EQ(GetCursor(), preview.ArrowCursor());
    EXPECT_NE(GetCursor(), nullptr);
}

TEST_F(PagePreviewLinkTest, OnlyAWholeDrawPaints) {
    OpenPreview();
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_STATIC;
    item.CtlID = kPreview;
    item.hwndItem = Item(kPreview);
    item.hDC = GetDC(item.hwndItem);
    GetClientRect(item.hwndItem, &item.rcItem);
    item.itemAction = ODA_FOCUS;
    SendMessageW(m_page, WM_DRAWITEM, kPreview, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Settings().control, nullptr);
    item.itemAction = ODA_DRAWENTIRE;
    SendMessageW(m_page, WM_DRAWITEM, kPreview, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Settings().control, item.hwndItem);
    ReleaseDC(item.hwndItem, item.hDC);
}

TEST_F(PagePreviewLinkTest, ARightToLeftControlIsDrawnMirroredByThePicture) {
    OpenPreview();
    // A second page whose preview control is laid out right to left.
    HWND page = m_page;
    m_page = nullptr;
    ASSERT_TRUE(OpenPage({}));
    HWND control = CreateWindowExW(WS_EX_LAYOUTRTL, u"Static", u"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 100, 100,
                                   m_page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPreview)), nullptr, nullptr);
    ASSERT_TRUE(control);
    m_factory->CreateDlgLink(m_page, Handler(kPreview));
    EXPECT_EQ(GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
    Select(1, 1);
    EXPECT_EQ(Settings().rightToLeft, 1u);
    DestroyWindow(page);
}

TEST(PreviewRules, PagesExtentsDotsAndShadesAtTheirEdges) {
    EXPECT_EQ(preview_rules::PagesPerSheet(-1), 1u);
    EXPECT_EQ(preview_rules::PagesPerSheet(100), 1u);
    EXPECT_EQ(preview_rules::Extent(457199), 10200u);  // 17.99 inches
    EXPECT_EQ(preview_rules::Extent(25400 * 40), 24000u);
    EXPECT_EQ(preview_rules::Dots(10000000), 236220u);  // no 32-bit overflow on the way
    EXPECT_EQ(preview_rules::ShadedColour(RGB(10, 20, 30), 300, 1), RGB(255, 255, 255));
}

}  // namespace
}  // namespace uitest

namespace uitest {
namespace {

// The description's item of the preview control, which the kit pages carry on their main,
// layout and advanced pages.
constexpr char kPreviewItem[] =
    "*DOCUMENTFEATURE: PAGEPREVIEW\n{\n    *CONTROLID: 250\n    *CONTROLTYPE: =TVOT_NONE\n    *CONTROLTEXTID: 0\n"
    "    *CONTROLTEXT: \"\"\n    *ICONID: 0\n    *DMPUBID: =DMPUB_USECTRLID\n    *PROPVISIBLE: =PROP_SHOW\n"
    "    *PROPLEVEL: 1\n    *HELPID: =HELP_USECTRLID\n}\n";

palvex::UserAction RunStep(std::function<void(HWND)> body) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Run;
    action.run = std::move(body);
    return action;
}

class PreviewInTheSheet : public UiTest {
protected:
    void SetUp() override {
        InstallOptions options;
        options.extraDescription = kPreviewItem;
        InstallUiPrinter(options);
        ui::AttachProcess(nullptr);
    }
};

TEST_F(PreviewInTheSheet, ThePaperOfThePictureFollowsTheDocumentSize) {
    auto host = MakeHost();
    struct Seen {
        std::u16string shown, name;
        DWORD width, height;
        HWND control;
    };
    std::vector<Seen> seen;
    const auto look = [&](HWND page) {
        auto* factory = dynamic_cast<QORVAOptItemHandlerFactoryDrv*>(SheetStateOf(page)->Factory());
        ASSERT_TRUE(factory && factory->Session());
        palvex::WriteWindowPicture(GetParent(page), std::filesystem::temp_directory_path() / "palvex-preview-sheet.png");
        const QORVAPreviewSettings& s = factory->Session()->m_settings;
        WCHAR shown[64] = {};
        GetWindowTextW(GetDlgItem(page, 1203), shown, 64);
        seen.push_back({shown, s.documentPaperName, s.paperWidth, s.paperHeight, s.control});
    };
    palvex::UserAction choose;
    choose.kind = palvex::UserAction::Select;
    choose.control = 1203;
    choose.index = 1;
    palvex::UserAction cancel;
    cancel.kind = palvex::UserAction::Cancel;
    palvex::QueueUserActions({
        RunStep([&](HWND frame) { look(reinterpret_cast<HWND>(SendMessageW(frame, PSM_INDEXTOHWND, 0, 0))); }),
        choose,
        RunStep([&](HWND frame) { look(reinterpret_cast<HWND>(SendMessageW(frame, PSM_INDEXTOHWND, 0, 0))); }),
        cancel,
    });
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    ASSERT_EQ(seen.size(), 2u);
    // The papers' 600-dpi sizes, worked out from their forms' micrometres.
    const std::map<std::u16string, std::pair<DWORD, DWORD>> dots = {
        {u"A4", {4960, 7015}},     {u"A3", {7015, 9921}},     {u"A5", {3496, 4960}}, {u"B4", {6070, 8598}},
        {u"B5", {4299, 6070}},     {u"Letter", {5100, 6600}}, {u"Legal", {5100, 8400}},
    };
    for (const Seen& s : seen) {
        SCOPED_TRACE(std::string(s.shown.begin(), s.shown.end()));
        EXPECT_EQ(s.name, s.shown);
        EXPECT_NE(s.control, nullptr);  // painted in the sheet's picture
        const auto expected = dots.find(s.name);
        ASSERT_NE(expected, dots.end());
        EXPECT_EQ(s.width, expected->second.first);
        EXPECT_EQ(s.height, expected->second.second);
    }
    EXPECT_NE(seen[0].name, seen[1].name);
}

}  // namespace
}  // namespace uitest
