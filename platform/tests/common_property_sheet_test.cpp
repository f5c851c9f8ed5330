// The common property sheet: callers add pages, item sets and further callers through the sheet's
// function; the pages show in tree order, the start page is the one asked for, the item callback
// hears the tree page's activation and Apply, and every caller hears the result and its end. A
// sheet opened from inside a sheet runs on its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <palvex/ui_script.h>
#include <palvex/utf8.h>
#include <win/commctrl.h>
#include <win/compstui.h>
#include <win/windows.h>

namespace {

struct World {
    HMODULE module = nullptr;
    std::vector<std::string> events;
    std::vector<OPTITEM> items;
    OPTTYPE paperType{};
    OPTPARAM papers[2]{};
    OPTTYPE copiesType{};
    OPTPARAM copiesParams[2]{};
    HANDLE pluginPage = nullptr;
    std::string tree;
};
World* g_world = nullptr;

INT_PTR CALLBACK QuietPage(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

PROPSHEETPAGEW PageOf(int id) {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.hInstance = g_world->module;
    page.pszTemplate = MAKEINTRESOURCEW(id);
    page.pfnDlgProc = QuietPage;
    return page;
}

LONG CALLBACK ItemCallback(PCPSUICBPARAM param) {
    g_world->events.push_back("item callback " + std::to_string(param->Reason) + " user " + std::to_string(param->UserData) +
                              (param->hDlg ? " with page" : ""));
    return param->Reason == CPSUICB_REASON_APPLYNOW ? CPSUICB_ACTION_ITEMS_APPLIED : CPSUICB_ACTION_NONE;
}

LONG CALLBACK PluginUI(PPROPSHEETUI_INFO info, LPARAM lParam) {
    g_world->events.push_back("plugin " + std::to_string(info->Reason));
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        EXPECT_EQ(lParam, 77);
        PROPSHEETPAGEW page = PageOf(301);
        g_world->pluginPage = reinterpret_cast<HANDLE>(
            info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&page), 0));
        EXPECT_NE(g_world->pluginPage, nullptr);
        EXPECT_EQ(info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_SET_HSTARTPAGE,
                                        reinterpret_cast<LPARAM>(g_world->pluginPage), 0),
                  1);
    }
    return 1;
}

LONG CALLBACK DriverUI(PPROPSHEETUI_INFO info, LPARAM lParam) {
    g_world->events.push_back("driver " + std::to_string(info->Reason));
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        EXPECT_EQ(info->lParamInit, lParam);
        PROPSHEETPAGEW page = PageOf(300);
        EXPECT_NE(info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&page), 0), 0);
        static COMPROPSHEETUI items{};
        items.cbSize = sizeof(items);
        items.pCallerName = const_cast<LPWSTR>(u"Palvex");
        items.pOptItemName = const_cast<LPWSTR>(u"デバイスの設定");
        items.UserData = 5;
        items.pfnCallBack = ItemCallback;
        items.pOptItem = g_world->items.data();
        items.cOptItem = static_cast<WORD>(g_world->items.size());
        items.CallerVersion = 0x100;
        items.OptItemVersion = 0x400;
        DWORD pages = 0;
        EXPECT_NE(info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PCOMPROPSHEETUIW, reinterpret_cast<LPARAM>(&items),
                                        reinterpret_cast<LPARAM>(&pages)),
                  0);
        EXPECT_EQ(pages, 1u);
        EXPECT_NE(info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PFNPROPSHEETUIW,
                                        reinterpret_cast<LPARAM>(PluginUI), 77),
                  0);
        EXPECT_EQ(info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_GET_PAGECOUNT, 0, 0), 3);
        return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
        header->Flags = PSUIHDRF_EXACT_PTITLE;
        header->pTitle = const_cast<LPWSTR>(u"Palvex QX500 のプロパティ");
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT:
        info->Result = reinterpret_cast<PSETRESULT_INFO>(lParam)->Result;
        return 1;
    default:
        return 1;
    }
}

LONG CALLBACK NestedUI(PPROPSHEETUI_INFO info, LPARAM lParam) {
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        PROPSHEETPAGEW page = PageOf(300);
        info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&page), 0);
    }
    if (info->Reason == PROPSHEETUI_REASON_SET_RESULT) info->Result = reinterpret_cast<PSETRESULT_INFO>(lParam)->Result;
    return 1;
}

LONG CALLBACK RefusingUI(PPROPSHEETUI_INFO, LPARAM) { return -1; }

palvex::UserAction Step(std::function<void(HWND)> body) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Run;
    action.run = std::move(body);
    return action;
}

palvex::UserAction Act(palvex::UserAction::Kind kind, std::u16string text = {}) {
    palvex::UserAction action;
    action.kind = kind;
    action.text = std::move(text);
    return action;
}

class CommonPropertySheet : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = std::string(PALVEX_WINDOW_RESOURCE_DIR) + "/window_test_res.dll";
        m_world.module = LoadLibraryExW(palvex::FromUtf8(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_world.module, nullptr);
        g_world = &m_world;
        palvex::ResetUserScript();
        // Three items: a paper size list, a hidden one and a number of copies.
        m_world.papers[0] = {sizeof(OPTPARAM), 0, 0, const_cast<LPWSTR>(u"A4"), 0, 0, {}};
        m_world.papers[1] = {sizeof(OPTPARAM), 0, 0, const_cast<LPWSTR>(u"はがき"), 0, 0, {}};
        m_world.paperType = {sizeof(OPTTYPE), TVOT_LISTBOX, 0, 2, 0, m_world.papers, 0, {}, {}};
        m_world.copiesParams[0] = {sizeof(OPTPARAM), 0, 0, const_cast<LPWSTR>(u"部"), 0, 0, {}};
        m_world.copiesParams[1] = {sizeof(OPTPARAM), 0, 0, nullptr, 1, 99, {}};
        m_world.copiesType = {sizeof(OPTTYPE), TVOT_UDARROW, 0, 2, 0, m_world.copiesParams, 0, {}, {}};
        m_world.items.resize(3);
        for (auto& item : m_world.items) item.cbSize = sizeof(OPTITEM);
        m_world.items[0].pName = const_cast<LPWSTR>(u"用紙サイズ");
        m_world.items[0].pOptType = &m_world.paperType;
        m_world.items[1].pName = const_cast<LPWSTR>(u"隠れた項目");
        m_world.items[1].Flags = OPTIF_HIDE;
        m_world.items[2].pName = const_cast<LPWSTR>(u"部数");
        m_world.items[2].Level = 1;
        m_world.items[2].Sel = 3;
        m_world.items[2].pOptType = &m_world.copiesType;
    }
    void TearDown() override {
        palvex::ResetUserScript();
        FreeLibrary(m_world.module);
        g_world = nullptr;
    }
    World m_world;
};

TEST_F(CommonPropertySheet, PagesInTreeOrderStartPageItemCallbackAndResult) {
    std::string startTitle, tree;
    LONG nestedAnswer = -9;
    DWORD nestedResult = 9;
    palvex::QueueUserActions(
        {Step([&](HWND frame) {
             WCHAR text[64] = {};
             GetWindowTextW(frame, text, 64);
             EXPECT_EQ(std::u16string(text), u"Palvex QX500 のプロパティ");
             HWND tab = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0));
             TCITEMW item{};
             item.mask = TCIF_TEXT;
             item.pszText = text;
             item.cchTextMax = 64;
             SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)),
                          reinterpret_cast<LPARAM>(&item));
             for (char16_t c : std::u16string(text)) startTitle += static_cast<char>(c < 0x80 ? c : '?');
             g_world->events.push_back("shown");
         }),
         Act(palvex::UserAction::Tab, u"デバイスの設定"),
         Step([&](HWND frame) {
             tree = palvex::DescribeWindowTree(frame);
             SendMessageW(frame, PSM_CHANGED, SendMessageW(frame, PSM_GETCURRENTPAGEHWND, 0, 0), 0);
             // A sheet opened from this one runs its own loop and is cancelled there; the steps
             // after it go to this sheet again.
             palvex::QueueUserActions({Act(palvex::UserAction::Cancel), Act(palvex::UserAction::Apply),
                                       Act(palvex::UserAction::Ok)});
             nestedAnswer = CommonPropertySheetUIW(frame, NestedUI, 0, &nestedResult);
         })});
    DWORD result = 9;
    EXPECT_EQ(CommonPropertySheetUIW(nullptr, DriverUI, 12, &result), CPSUI_OK);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
    EXPECT_EQ(nestedAnswer, CPSUI_OK);
    EXPECT_EQ(nestedResult, static_cast<DWORD>(CPSUI_CANCEL));
    EXPECT_EQ(startTitle, "?????");  // レイアウト, the plug-in's page
    EXPECT_NE(tree.find("- \"用紙サイズ: A4\""), std::string::npos) << tree;
    EXPECT_NE(tree.find("- \"  部数: 3 部\""), std::string::npos) << tree;
    EXPECT_EQ(tree.find("隠れた項目"), std::string::npos) << tree;
    const std::vector<std::string> expected = {
        "driver 0", "plugin 0", "driver 1", "shown",
        "item callback 10 user 5 with page",  // the tree page is shown
        "item callback 11 user 5 with page",  // and left for Apply
        "item callback 6 user 5 with page",   // Apply
        "item callback 11 user 5 with page",  // OK leaves the page
        "item callback 6 user 5 with page",   // and applies again
        "plugin 3", "driver 3", "plugin 2", "driver 2"};
    EXPECT_EQ(m_world.events, expected);
}

TEST_F(CommonPropertySheet, ACallerThatFailsShowsNothing) {
    DWORD result = 9;
    EXPECT_EQ(CommonPropertySheetUIW(nullptr, RefusingUI, 0, &result), CPSUI_CANCEL);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_CANCEL));
    EXPECT_EQ(CommonPropertySheetUIW(nullptr, nullptr, 0, &result), ERR_CPSUI_GETLASTERROR);
}

}  // namespace
