// The logo, help-bubble, driver information and elevation links: what the pages show and what a
// click does, through the page's messages.
#include <cstring>

#include <palvex/message_box.h>
#include <palvex/os_profile.h>
#include <palvex/ui_records.h>
#include <win/commctrl.h>
#include <win/winspool.h>

#include "driver_page_link.h"
#include "options/factory_tables.h"
#include "options/info_links.h"
#include "session/ui_session.h"

namespace uitest {
namespace {

constexpr WORD kBubble = 1302;  // the media type's bubble
constexpr DWORD kMediaType = 12;

class InfoLinksTest : public DriverPageLinkTest {
protected:
    IDrvResources* Resources() const { return m_extension->Resources(); }
    std::u16string String(DWORD id) const {
        WCHAR text[512] = {};
        Resources()->LoadString(id, text, 512);
        return text;
    }
    QORVAOptItemDlgLinkBubble* BubbleLink(HWND control) const {
        return dynamic_cast<QORVAOptItemDlgLinkBubble*>(QORVAOptItemDlgLink::FromWindow(control));
    }
    // The page's pixels of a control's client area, row by row.
    std::vector<COLORREF> Pixels(HWND control) const {
        RECT rect{};
        GetClientRect(control, &rect);
        POINT origin{0, 0};
        MapWindowPoints(control, m_page, &origin, 1);
        std::vector<COLORREF> pixels;
        for (LONG y = 0; y < rect.bottom; ++y)
            for (LONG x = 0; x < rect.right; ++x) pixels.push_back(Pixel(origin.x + x, origin.y + y));
        return pixels;
    }
    static std::u16string LabelText(HWND label) {
        WCHAR text[1024] = {};
        GetWindowTextW(label, text, 1024);
        return text;
    }
    static void SetVersion(DWORD major, DWORD minor) {
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.majorVersion = major;
        profile.minorVersion = minor;
        palvex::SetOsProfile(profile);
    }
};

TEST_F(InfoLinksTest, TheElevationButtonCarriesTheShieldFromVersionSixAndAlwaysElevates) {
    const struct Case {
        DWORD major, minor;
        bool shield;
    } cases[] = {{6, 0, true}, {10, 0, true}, {5, 1, false}};
    AddItem(kElevateControl, TVOT_PUSHBUTTON, 1);
    MakeFactory(kUiTypeSheets, OEMCUIP_PRNPROP);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.major * 10 + c.minor);
        SetVersion(c.major, c.minor);
        ASSERT_TRUE(OpenPage({{u"Button", BS_PUSHBUTTON, static_cast<WORD>(kElevateControl), u"Elevate"}}));
        const std::string tree = palvex::DescribeWindowTree(m_page);
        EXPECT_EQ(tree.find("[shield]") != std::string::npos, c.shield) << tree;
        palvex::TakeShellStarts();
        SendMessageW(Item(kElevateControl), BM_CLICK, 0, 0);
        const auto starts = palvex::TakeShellStarts();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].verb, u"runas");
        EXPECT_EQ(starts[0].parameters, std::u16string(u"printui.dll,PrintUIEntry /p /n \"") + kPrinter + u"\"");
        ClosePage();
    }
}

TEST_F(InfoLinksTest, TheBubbleExplainsTheHighestReasonAndHidesWithoutOne) {
    AddItem(kMediaType, TVOT_LISTBOX, 2);
    MakeFactory();
    ASSERT_TRUE(OpenPage({{u"Button", BS_OWNERDRAW, kBubble, u"", 200, 20, 16, 12}}));
    HWND bubble = Item(kBubble);
    QORVAOptItemHandler* handler = Handler(kMediaType);
    ASSERT_NE(BubbleLink(bubble), nullptr);
    EXPECT_EQ(BubbleLink(bubble)->LinkKind(), kLinkBubble);
    const struct Case {
        const char* what;
        std::function<void()> state;
        DWORD textId;
        bool enabled, visible;
    } cases[] = {
        {"no reason and no general hint", [] {}, 0, false, false},
        {"two reasons: the higher one's hint",
         [&] {
             handler->SetLinkState(0x200, 25503, 25500);
             handler->SetLinkState(0x4000, 25506, 25500);
         },
         25506, true, true},
        {"the general hint", [&] { handler->SetLinkState(0, 25503, 25500); }, 25503, true, true},
        {"a reason outside the bubble's bits hides it",
         [&] {
             handler->SetLinkState(0x200, 25503, 25500);
             handler->SetStateBits(0x1);
         },
         25503, true, false},
        {"the shown reason without a text: shown, disabled", [&] { handler->SetStateBits(0x8000); }, 0, false, true},
        {"a hidden item hides its bubble",
         [&] {
             handler->SetLinkState(0x200, 25503, 25500);
             handler->SetExtState(0);
         },
         25503, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (DWORD slot = 0x100; slot <= 0x8000; slot <<= 1) handler->SetLinkState(slot, 0, 0);
        handler->SetLinkState(0, 0, 0);
        handler->ClearStateBits(0xFFFFFFFFu);
        handler->SetExtState(1);
        c.state();
        m_factory->FlushList();
        EXPECT_EQ(BubbleLink(bubble)->TextId(), c.textId);
        EXPECT_EQ(IsWindowEnabled(bubble) != FALSE, c.enabled);
        EXPECT_EQ(IsWindowVisible(bubble) != FALSE, c.visible);
    }
}

TEST_F(InfoLinksTest, AClickOnTheBubbleShowsItsExplanation) {
    AddItem(kMediaType, TVOT_LISTBOX, 2);
    MakeFactory();
    Handler(kMediaType)->SetLinkState(0x400, 25503, 25500);
    ASSERT_TRUE(OpenPage({{u"Button", BS_OWNERDRAW, kBubble, u"", 200, 20, 16, 12}}));
    palvex::ResetMessageBoxScript();
    palvex::QueueMessageBoxAnswers({IDOK});
    SendMessageW(Item(kBubble), BM_CLICK, 0, 0);
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, String(25503));
    EXPECT_EQ(boxes[0].caption, String(25500));
    EXPECT_EQ(boxes[0].style & 0xF0u, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].owner, m_page);
    // Other notifications show nothing.
    EXPECT_EQ(BubbleLink(Item(kBubble))->Command(BN_SETFOCUS, kBubble), 1);
    EXPECT_TRUE(palvex::TakeMessageBoxRecords().empty());
}

TEST_F(InfoLinksTest, ARightToLeftBubblePointsTheOtherWay) {
    AddItem(kMediaType, TVOT_LISTBOX, 2);
    MakeFactory();
    Handler(kMediaType)->SetLinkState(0, 25503, 25500);
    ASSERT_TRUE(OpenPage({}));
    // Three bubbles side by side: right to left with direction 1, then plain with 2 and with 1.
    const struct {
        WORD id;
        DWORD exStyle, direction;
    } bubbles[] = {{1401, WS_EX_LAYOUTRTL, 1}, {1402, 0, 2}, {1403, 0, 1}};
    HWND controls[3] = {};
    for (int i = 0; i < 3; ++i) {
        controls[i] = CreateWindowExW(bubbles[i].exStyle, u"Button", u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10 + 40 * i,
                                      10, 30, 24, m_page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(bubbles[i].id)),
                                      nullptr, nullptr);
        QORVAOptItemDlgLink* link = m_factory->CreateBubbleLink(m_page, Handler(kMediaType), bubbles[i].id, bubbles[i].direction);
        ASSERT_NE(link, nullptr);
        Handler(kMediaType)->AttachDlgLink(link);
    }
    EXPECT_EQ(BubbleLink(controls[0])->Mirrored(), 1u);
    EXPECT_EQ(GetWindowLongW(controls[0], GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
    EXPECT_EQ(BubbleLink(controls[1])->Mirrored(), 0u);
    Picture("palvex-bubbles.png");
    const auto mirrored = Pixels(controls[0]);
    EXPECT_EQ(mirrored, Pixels(controls[1]));
    EXPECT_NE(mirrored, Pixels(controls[2]));
    EXPECT_NE(std::count(mirrored.begin(), mirrored.end(), mirrored.front()), static_cast<long>(mirrored.size()));
}

TEST_F(InfoLinksTest, TheLogosArePaintedAndTheAboutLogoIsCentredOnThePage) {
    AddItem(kLogoControl, TVOT_PUSHBUTTON, 1);
    AddItem(kAboutLogoControl, TVOT_PUSHBUTTON, 1);
    MakeFactory();
    ASSERT_TRUE(OpenPage({{u"Button", BS_OWNERDRAW, static_cast<WORD>(kLogoControl), u"", 5, 80, 94, 60},
                          {u"Button", BS_OWNERDRAW, static_cast<WORD>(kAboutLogoControl), u"", 5, 5, 176, 60},
                          {u"Static", SS_LEFT, 999, u"", 5, 5, 10, 10}}));
    HBITMAP bitmap = nullptr;
    ASSERT_EQ(Resources()->LoadBitmap(kAboutLogoBitmap, &bitmap), S_OK);
    const SIZE size = BitmapSize(bitmap);
    DeleteObject(bitmap);
    RECT page{}, about{};
    GetWindowRect(m_page, &page);
    GetWindowRect(Item(kAboutLogoControl), &about);
    EXPECT_EQ(about.left, (page.left + page.right - size.cx) / 2);
    RECT beside{};
    GetWindowRect(Item(999), &beside);
    EXPECT_EQ(about.top, beside.top);  // the logo keeps its height on the page
    Picture("palvex-logos.png");
    for (const WORD id : {static_cast<WORD>(kLogoControl), static_cast<WORD>(kAboutLogoControl)}) {
        const auto pixels = Pixels(Item(id));
        EXPECT_NE(std::count(pixels.begin(), pixels.end(), pixels.front()), static_cast<long>(pixels.size())) << id;
    }
}

// A push item that records where it was pressed from.
class PressedItem final : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
    DWORD Push(HWND parent) override {
        m_pressedFrom.push_back(parent);
        return 1;
    }
    std::vector<HWND> m_pressedFrom;
};

TEST_F(InfoLinksTest, AClickOnTheLogoPressesItsItem) {
    POPTITEM item = AddItem(kLogoControl, TVOT_PUSHBUTTON, 1);
    MakeFactory();
    ASSERT_TRUE(OpenPage({{u"Button", BS_OWNERDRAW, static_cast<WORD>(kLogoControl), u"", 5, 5, 94, 16}}));
    auto* pressed = MakeOnHeap<PressedItem>(m_heap, m_heap, m_factory, item);
    // The page's own logo link now presses the recording item.
    QORVAOptItemDlgLink* link = LinkMakerOf(DrvLinkClass::Logo)(m_heap, pressed, Item(kLogoControl), kLogoControl, 0);
    ASSERT_NE(link, nullptr);
    SendMessageW(Item(kLogoControl), BM_CLICK, 0, 0);
    EXPECT_EQ(pressed->m_pressedFrom, std::vector<HWND>{m_page});
    EXPECT_EQ(link->Command(BN_SETFOCUS, kLogoControl), 1);
    EXPECT_EQ(pressed->m_pressedFrom.size(), 1u);
    link->Detach(m_page);
    link->Destroy();
    pressed->Destroy();
}

TEST_F(InfoLinksTest, TheDriverLabelsFormatTheirOwnTextWithinTheirBounds) {
    AddItem(kDriverNameLabel, TVOT_PUSHBUTTON, 1);
    AddItem(kDriverVersionLabel, TVOT_PUSHBUTTON, 1);
    MakeFactory();
    const ModuleVersionTable* versions = Resources()->GetModuleVersions();
    ASSERT_NE(versions, nullptr);
    const std::u16string name = Resources()->GetDriverName();
    const std::u16string uiVersion = versions->m_entries[7].m_fileVersion;
    const DWORD* v = versions->m_productVersion;
    WCHAR number[64];
    _snwprintf(number, 64, u"Version %d.%02d (Release %d.%d)", int(v[0]), int(v[1]), int(v[2]), int(v[3]));
    const std::u16string wide(300, u' ');
    const std::string major = std::to_string(v[0]);
    const struct Case {
        std::u16string nameText, versionText;
        std::u16string nameShown, versionShown;
    } cases[] = {
        {u"%s\nVersion %s", u"Version %d.%02d (Release %d.%d)", name + u"\nVersion " + uiVersion, number},
        // Texts that ask for more or other arguments than the label gives are left as they are.
        {u"%s %s %s", u"%d.%d.%d.%d.%d", u"%s %s %s", u"%d.%d.%d.%d.%d"},
        {u"%s%n", u"%s", u"%s%n", u"%s"},
        // A result longer than the label's buffer is cut at its end.
        {u"%300s%300s", u"%d", ((wide + name).substr(name.size()) + (wide + uiVersion).substr(uiVersion.size())).substr(0, 511),
         std::u16string(major.begin(), major.end())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.nameText.begin(), c.nameText.end()));
        ASSERT_TRUE(OpenPage({{u"Static", SS_LEFT, static_cast<WORD>(kDriverNameLabel), c.nameText},
                              {u"Static", SS_LEFT, static_cast<WORD>(kDriverVersionLabel), c.versionText}}));
        EXPECT_EQ(LabelText(Item(kDriverNameLabel)), c.nameShown);
        EXPECT_EQ(LabelText(Item(kDriverVersionLabel)), c.versionShown);
        ClosePage();
    }
}

TEST(FormatTakes, OnlyTheGivenConversionsUpToTheCount) {
    EXPECT_TRUE(FormatTakes(u"%s\nVersion %s", u"s", 2));
    EXPECT_TRUE(FormatTakes(u"100%% %s", u"s", 1));
    EXPECT_TRUE(FormatTakes(u"%-8.3s", u"s", 1));
    EXPECT_FALSE(FormatTakes(u"%s %s", u"s", 1));
    EXPECT_FALSE(FormatTakes(u"%*s", u"s", 2));
    EXPECT_FALSE(FormatTakes(u"%ls", u"s", 2));
    EXPECT_FALSE(FormatTakes(u"%d", u"s", 2));
    EXPECT_FALSE(FormatTakes(u"50%", u"s", 2));
    EXPECT_TRUE(FormatTakes(u"%d.%02d (%i.%u)", u"diu", 4));
    EXPECT_FALSE(FormatTakes(nullptr, u"s", 2));
}

}  // namespace
}  // namespace uitest
