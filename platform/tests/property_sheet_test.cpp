// The property-sheet frame: pages from templates behind a tab control, the notifications the pages
// hear (PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_RESET, PSN_HELP), Apply enabled by
// PSM_CHANGED and disabled by PSM_UNCHANGED, the PSM_ messages a page sends, and the picture of a
// sheet of two pages.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/ui_script.h>
#include <palvex/utf8.h>
#include <win/commctrl.h>
#include <win/windows.h>

namespace {

constexpr int kGeneral = 300, kLayout = 301;

struct Heard {
    int page;  // 0 general, 1 layout
    UINT code;
    LPARAM lParam;
};

struct Log {
    std::vector<Heard> heard;
    std::vector<HWND> pages{nullptr, nullptr};
    LONG_PTR applyAnswer = PSNRET_NOERROR;
    LONG_PTR killActiveAnswer = FALSE;
};
Log* g_log = nullptr;

// Owner-drawn controls of the layout page: the button in red with its text, each row of the list
// in blue when selected.
void DrawOwned(const DRAWITEMSTRUCT& draw) {
    const bool button = draw.CtlType == ODT_BUTTON;
    HBRUSH brush = CreateSolidBrush(button ? RGB(220, 0, 0) : (draw.itemState & ODS_SELECTED) ? RGB(0, 0, 200) : RGB(255, 255, 255));
    RECT rect = draw.rcItem;
    FillRect(draw.hDC, &rect, brush);
    DeleteObject(brush);
    WCHAR text[32] = {};
    if (button) GetWindowTextW(draw.hwndItem, text, 32);
    else SendMessageW(draw.hwndItem, LB_GETTEXT, draw.itemID, reinterpret_cast<LPARAM>(text));
    SetTextColor(draw.hDC, RGB(255, 255, 255));
    SetBkMode(draw.hDC, TRANSPARENT);
    DrawTextW(draw.hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        DrawOwned(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    if (message == WM_INITDIALOG) {
        const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, record->lParam);
        g_log->pages[static_cast<size_t>(record->lParam)] = page;
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    const int which = static_cast<int>(GetWindowLongPtrW(page, DWLP_USER));
    const auto* notify = reinterpret_cast<const PSHNOTIFY*>(lParam);
    g_log->heard.push_back({which, notify->hdr.code, notify->lParam});
    LONG_PTR answer = 0;
    if (notify->hdr.code == PSN_APPLY) answer = g_log->applyAnswer;
    if (notify->hdr.code == PSN_KILLACTIVE) answer = g_log->killActiveAnswer;
    SetWindowLongPtrW(page, DWLP_MSGRESULT, answer);
    return TRUE;
}

palvex::UserAction Step(std::function<void(HWND)> body) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Run;
    action.run = std::move(body);
    return action;
}

palvex::UserAction Act(palvex::UserAction::Kind kind, int index = 0, std::u16string text = {}) {
    palvex::UserAction action;
    action.kind = kind;
    action.index = index;
    action.text = std::move(text);
    return action;
}

palvex::UserAction PictureTo(const std::filesystem::path& path) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Picture;
    action.path = path;
    return action;
}

// The picture's size, and how many of its pixels are neither the frame's face colour nor white.
struct PictureFacts {
    int width = 0, height = 0;
    long inked = 0;
    long red = 0;   // the owner-drawn button
    long blue = 0;  // the owner-drawn list's selected row
};
PictureFacts ReadPicture(const std::filesystem::path& path) {
    PictureFacts facts;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        facts.width = cairo_image_surface_get_width(surface);
        facts.height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < facts.height; ++y)
            for (int x = 0; x < facts.width; ++x) {
                const uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF;
                if (pixel != 0xF0F0F0 && pixel != 0xFFFFFF) ++facts.inked;
                if (pixel == 0xDC0000) ++facts.red;
                if (pixel == 0x0000C8) ++facts.blue;
            }
    }
    cairo_surface_destroy(surface);
    return facts;
}

class PropertySheets : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = std::string(PALVEX_WINDOW_RESOURCE_DIR) + "/window_test_res.dll";
        m_module = LoadLibraryExW(palvex::FromUtf8(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
        g_log = &m_log;
        palvex::ResetUserScript();
    }
    void TearDown() override {
        palvex::ResetUserScript();
        palvex::SetModalEndObserver(nullptr);
        FreeLibrary(m_module);
        g_log = nullptr;
    }
    PROPSHEETPAGEW Page(int id, int index, DWORD flags = 0) {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.dwFlags = flags;
        page.hInstance = m_module;
        page.pszTemplate = MAKEINTRESOURCEW(id);
        page.pfnDlgProc = PageProc;
        page.lParam = index;
        return page;
    }
    INT_PTR Show(std::vector<palvex::UserAction> actions, DWORD flags = PSH_HASHELP, DWORD layoutFlags = 0) {
        PROPSHEETPAGEW pages[2] = {Page(kGeneral, 0, PSP_HASHELP), Page(kLayout, 1, layoutFlags)};
        PROPSHEETHEADERW header{};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_PROPSHEETPAGE | flags;
        header.pszCaption = u"Palvex QX500";
        header.nPages = 2;
        header.ppsp = pages;
        palvex::QueueUserActions(actions);
        return PropertySheetW(&header);
    }
    std::vector<UINT> CodesOf(int page) const {
        std::vector<UINT> codes;
        for (const auto& heard : m_log.heard)
            if (heard.page == page) codes.push_back(heard.code);
        return codes;
    }

    HMODULE m_module = nullptr;
    Log m_log;
};

TEST_F(PropertySheets, ApplyIsEnabledByAChangeAndAppliesEveryPageMade) {
    bool applyAtStart = true, applyAfterChange = false, applyAfterUnchange = true, applyAfterApply = true;
    const INT_PTR result = Show({Step([&](HWND frame) {
                                     applyAtStart = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW));
                                     SendMessageW(frame, PSM_CHANGED, reinterpret_cast<WPARAM>(g_log->pages[0]), 0);
                                     applyAfterChange = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW));
                                     SendMessageW(frame, PSM_UNCHANGED, reinterpret_cast<WPARAM>(g_log->pages[0]), 0);
                                     applyAfterUnchange = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW));
                                 }),
                                 Act(palvex::UserAction::Tab, 1),
                                 Step([&](HWND frame) {
                                     SendMessageW(frame, PSM_CHANGED, reinterpret_cast<WPARAM>(g_log->pages[1]), 0);
                                 }),
                                 Act(palvex::UserAction::Apply),
                                 Step([&](HWND frame) { applyAfterApply = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW)); }),
                                 Act(palvex::UserAction::Cancel)});
    EXPECT_FALSE(applyAtStart);
    EXPECT_TRUE(applyAfterChange);
    EXPECT_FALSE(applyAfterUnchange);
    EXPECT_FALSE(applyAfterApply);
    EXPECT_EQ(result, 1);  // a change was applied before Cancel
    // The first page is shown first; the tab click asks it to let go and shows the second; Apply
    // asks the current page to let go, then applies both pages (lParam FALSE); Cancel resets both.
    EXPECT_EQ(CodesOf(0), (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_RESET}));
    EXPECT_EQ(CodesOf(1), (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_QUERYCANCEL, PSN_RESET}));
    for (const auto& heard : m_log.heard) {
        if (heard.code == PSN_APPLY) {
            EXPECT_EQ(heard.lParam, FALSE);
        }
    }
}

TEST_F(PropertySheets, OkAppliesAndEndsCancelAloneChangesNothing) {
    EXPECT_EQ(Show({Act(palvex::UserAction::Ok)}), 1);
    ASSERT_FALSE(m_log.heard.empty());
    EXPECT_EQ(m_log.heard.back().code, PSN_APPLY);
    EXPECT_EQ(m_log.heard.back().lParam, TRUE);
    EXPECT_EQ(CodesOf(1), std::vector<UINT>{});  // never shown, never made, never applied

    m_log.heard.clear();
    EXPECT_EQ(Show({Act(palvex::UserAction::Cancel)}), 0);
    EXPECT_EQ(CodesOf(0), (std::vector<UINT>{PSN_SETACTIVE, PSN_QUERYCANCEL, PSN_RESET}));
}

TEST_F(PropertySheets, APageRefusingKeepsTheSheetWhereItIs) {
    int currentAfterRefusedTab = -1;
    bool applyStillEnabled = false;
    m_log.killActiveAnswer = TRUE;
    const INT_PTR result = Show({Act(palvex::UserAction::Tab, 1),
                                 Step([&](HWND frame) {
                                     currentAfterRefusedTab = static_cast<int>(SendMessageW(
                                         reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0)), TCM_GETCURSEL, 0, 0));
                                     g_log->killActiveAnswer = FALSE;
                                     g_log->applyAnswer = PSNRET_INVALID_NOCHANGEPAGE;
                                     SendMessageW(frame, PSM_CHANGED, reinterpret_cast<WPARAM>(g_log->pages[0]), 0);
                                 }),
                                 Act(palvex::UserAction::Ok),  // refused by PSN_APPLY: the sheet stays
                                 Step([&](HWND frame) {
                                     applyStillEnabled = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW));
                                     g_log->applyAnswer = PSNRET_NOERROR;
                                 }),
                                 Act(palvex::UserAction::Ok)});
    EXPECT_EQ(currentAfterRefusedTab, 0);
    EXPECT_TRUE(applyStillEnabled);
    EXPECT_EQ(result, 1);
}

TEST_F(PropertySheets, MessagesOfTheFrame) {
    struct Seen {
        LRESULT indexOfLayout = -2, idToIndex = -2, indexToId = -2, pageHelpEnabled = -1, layoutHelpEnabled = -1;
        HWND current = nullptr, indexToHwnd = nullptr;
    } seen;
    const INT_PTR result = Show(
        {Step([&](HWND frame) {
             seen.pageHelpEnabled = IsWindowEnabled(GetDlgItem(frame, IDHELP));
             EXPECT_TRUE(SendMessageW(frame, PSM_SETCURSEL, 1, 0));
             seen.current = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETCURRENTPAGEHWND, 0, 0));
             seen.indexOfLayout = SendMessageW(frame, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(g_log->pages[1]), 0);
             seen.indexToHwnd = reinterpret_cast<HWND>(SendMessageW(frame, PSM_INDEXTOHWND, 1, 0));
             seen.idToIndex = SendMessageW(frame, PSM_IDTOINDEX, 0, kLayout);
             seen.indexToId = SendMessageW(frame, PSM_INDEXTOID, 0, 0);
             seen.layoutHelpEnabled = IsWindowEnabled(GetDlgItem(frame, IDHELP));
             EXPECT_TRUE(SendMessageW(frame, PSM_RECALCPAGESIZES, 0, 0));
             SendMessageW(frame, PSM_SETTITLEW, 0, reinterpret_cast<LPARAM>(u"新しい題"));
         }),
         Act(palvex::UserAction::Tab, 0, u"全般"), Act(palvex::UserAction::Help),
         Step([&](HWND frame) { PostMessageW(frame, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }),
         Step([&](HWND) { ADD_FAILURE() << "the posted Cancel must end the sheet before this step"; })});
    palvex::ResetUserScript();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(seen.pageHelpEnabled);    // the first page has PSP_HASHELP
    EXPECT_FALSE(seen.layoutHelpEnabled);  // the second has not
    EXPECT_EQ(seen.current, m_log.pages[1]);
    EXPECT_EQ(seen.indexOfLayout, 1);
    EXPECT_EQ(seen.indexToHwnd, m_log.pages[1]);
    EXPECT_EQ(seen.idToIndex, 1);
    EXPECT_EQ(seen.indexToId, kGeneral);
    EXPECT_EQ(CodesOf(0), (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_SETACTIVE, PSN_HELP, PSN_QUERYCANCEL,
                                             PSN_RESET}));
}

TEST_F(PropertySheets, PrematurePagesAreMadeWithTheSheet) {
    HWND layoutAtStart = nullptr;
    Show({Step([&](HWND) { layoutAtStart = g_log->pages[1]; }), Act(palvex::UserAction::Cancel)}, PSH_HASHELP,
         PSP_PREMATURE);
    EXPECT_NE(layoutAtStart, nullptr);
    EXPECT_EQ(CodesOf(1), (std::vector<UINT>{PSN_RESET}));  // made, never shown
}

TEST_F(PropertySheets, WithoutApplyNowThereIsNoApplyButton) {
    HWND apply = reinterpret_cast<HWND>(1);
    Show({Step([&](HWND frame) { apply = GetDlgItem(frame, ID_APPLY_NOW); }), Act(palvex::UserAction::Cancel)},
         PSH_NOAPPLYNOW);
    EXPECT_EQ(apply, nullptr);
}

// A script file drives the sheet as a person would: choose a paper, spin the copies, tick a box,
// change tabs, pick a row, and end with OK; the dump it writes shows the state.
TEST_F(PropertySheets, ScriptFileDrivesTheSheet) {
    const auto folder = palvex::MachineRoot() / "script";
    std::filesystem::create_directories(folder);
    {
        std::ofstream out(folder / "sheet.txt");
        out << "choose 3006 はがき\nspin 3003 2\ncheck 3004 1\ntab レイアウト\nselect 3101 1\n"
            << "dump " << (folder / "tree.txt").string() << "\nok\n";
    }
    palvex::QueueUserActions({Step([&](HWND) {
        HWND page = g_log->pages[0];
        for (const char16_t* text : {u"A4", u"はがき"})
            SendDlgItemMessageW(page, 3006, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendDlgItemMessageW(page, 3003, UDM_SETRANGE32, 1, 99);
        SendDlgItemMessageW(page, 3003, UDM_SETPOS32, 0, 1);
    })});
    ASSERT_TRUE(palvex::LoadUserScript(folder / "sheet.txt"));
    m_log.heard.clear();
    PROPSHEETPAGEW pages[2] = {Page(kGeneral, 0), Page(kLayout, 1)};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.nPages = 2;
    header.ppsp = pages;
    std::string copies;
    palvex::SetModalEndObserver([&](HWND, INT_PTR) {
        WCHAR text[8] = {};
        GetDlgItemTextW(g_log->pages[0], 3002, text, 8);
        for (char16_t c : std::u16string(text)) copies += static_cast<char>(c);
    });
    EXPECT_EQ(PropertySheetW(&header), 1);
    EXPECT_EQ(copies, "3");
    std::ifstream in(folder / "tree.txt");
    const std::string tree((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(tree.find("ComboBox id=3006 \"はがき\""), std::string::npos) << tree;
    EXPECT_NE(tree.find("msctls_updown32 id=3003 \"\" "), std::string::npos) << tree;
    EXPECT_NE(tree.find("[pos=3]"), std::string::npos) << tree;
    EXPECT_NE(tree.find("id=3004 \"部単位で印刷\""), std::string::npos) << tree;
    EXPECT_NE(tree.find("[checked]"), std::string::npos) << tree;
    EXPECT_NE(tree.find("ListBox id=3101"), std::string::npos) << tree;
}

// The picture of a sheet: the frame with its caption, the tabs, the page's controls and the buttons.
TEST_F(PropertySheets, PictureOfASheetOfTwoPages) {
    const auto folder = palvex::MachineRoot() / "pictures";
    std::string tree;
    m_log.heard.clear();
    Show({Step([&](HWND frame) {
              HWND page = g_log->pages[0];
              SendDlgItemMessageW(page, 3006, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"A4"));
              SendDlgItemMessageW(page, 3006, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"はがき"));
              SendDlgItemMessageW(page, 3006, CB_SETCURSEL, 0, 0);
              SendDlgItemMessageW(page, 3009, PBM_SETPOS, 40, 0);
              CheckDlgButton(page, 3007, BST_CHECKED);
              SendMessageW(frame, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
          }),
          PictureTo(folder / "general.png"), Act(palvex::UserAction::Tab, 1),
          Step([&](HWND frame) {
              HWND page = g_log->pages[1];
              for (const char16_t* text : {u"横", u"縦", u"2 in 1"})
                  SendDlgItemMessageW(page, 3101, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
              SendDlgItemMessageW(page, 3101, LB_SETCURSEL, 1, 0);
              LVCOLUMNW column{};
              column.mask = LVCF_TEXT | LVCF_WIDTH;
              column.cx = 70;
              column.pszText = const_cast<LPWSTR>(u"トレイ");
              SendDlgItemMessageW(page, 3102, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
              LVITEMW item{};
              item.mask = LVIF_TEXT;
              item.pszText = const_cast<LPWSTR>(u"トレイ1");
              SendDlgItemMessageW(page, 3102, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
              TCITEMW tab{};
              tab.mask = TCIF_TEXT;
              tab.pszText = const_cast<LPWSTR>(u"基本");
              SendDlgItemMessageW(page, 3103, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tab));
              for (const char16_t* text : {u"青", u"赤"})
                  SendDlgItemMessageW(page, 3107, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
              SendDlgItemMessageW(page, 3107, LB_SETCURSEL, 0, 0);
              tree = palvex::DescribeWindowTree(frame);
          }),
          PictureTo(folder / "layout.png"), Act(palvex::UserAction::Cancel)});
    for (const char* name : {"general.png", "layout.png"}) {
        SCOPED_TRACE(name);
        const PictureFacts facts = ReadPicture(folder / name);
        // Two pages of 220 by 150 dialog units in a frame with a caption and a row of buttons.
        EXPECT_GT(facts.width, 380);
        EXPECT_GT(facts.height, 330);
        EXPECT_LT(facts.width, 700);
        EXPECT_GT(facts.inked, 3000);  // text, frames, tabs and buttons, not an empty face
    }
    if (std::getenv("PALVEX_KEEP_PICTURES")) {
        const auto kept = std::filesystem::temp_directory_path() / "palvex-sheet-pictures";
        std::filesystem::create_directories(kept);
        for (const char* name : {"general.png", "layout.png"})
            std::filesystem::copy_file(folder / name, kept / name, std::filesystem::copy_options::overwrite_existing);
    }
    // The layout page's owner-drawn controls were painted by the page on the same picture.
    const PictureFacts layout = ReadPicture(folder / "layout.png");
    EXPECT_GT(layout.red, 1000);
    EXPECT_GT(layout.blue, 300);
    EXPECT_EQ(ReadPicture(folder / "general.png").red, 0);
    EXPECT_NE(tree.find("SysTabControl32 id=12320"), std::string::npos) << tree;
    EXPECT_NE(tree.find("- \"レイアウト\" [selected]"), std::string::npos) << tree;
    EXPECT_NE(tree.find("Button id=12321 \""), std::string::npos) << tree;
}

}  // namespace
