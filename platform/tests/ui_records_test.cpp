// What the headless screen records instead of opening help, starting programs through the shell
// or moving input-method contexts; and the visual-styles library it does not have.
#include <gtest/gtest.h>

#include <palvex/ui_records.h>
#include <win/htmlhelp.h>
#include <win/imm.h>
#include <win/shellapi.h>
#include <win/windows.h>

namespace {

class UiRecords : public ::testing::Test {
protected:
    void SetUp() override { palvex::ResetUiRecords(); }
    void TearDown() override { palvex::ResetUiRecords(); }
};

TEST_F(UiRecords, HelpCallsAreRecordedWithTheirContext) {
    HWND window = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(WinHelpW(window, u"C:\\HELP\\QX500.HLP", HELP_CONTEXT, 1000));
    const DWORD ids[] = {1203, 1203, 0, 0};
    EXPECT_TRUE(WinHelpW(window, u"C:\\HELP\\QX500.HLP", HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(ids)));
    EXPECT_EQ(HtmlHelpW(window, u"C:\\HELP\\QX500.CHM", HH_HELP_CONTEXT, 2000), window);
    const auto calls = palvex::TakeHelpCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_FALSE(calls[0].html);
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[0].data, 1000u);
    EXPECT_EQ(calls[1].idPairs, (std::vector<DWORD>{1203, 1203}));
    EXPECT_TRUE(calls[2].html);
    EXPECT_EQ(calls[2].file, u"C:\\HELP\\QX500.CHM");
    EXPECT_EQ(calls[2].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(calls[2].window, window);
    EXPECT_TRUE(palvex::TakeHelpCalls().empty());
    DestroyWindow(window);
}

TEST_F(UiRecords, ElevatedStartIsRecordedAndCanBeRefused) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.lpVerb = u"runas";
    info.lpFile = u"C:\\Windows\\system32\\rundll32.exe";
    info.lpParameters = u"printui.dll,PrintUIEntry /p /n \"Palvex QX500\"";
    info.nShow = SW_SHOWNORMAL;
    EXPECT_TRUE(ShellExecuteExW(&info));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), 33);
    palvex::RefuseShellStarts(1);
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANCELLED));
    EXPECT_TRUE(ShellExecuteExW(&info));  // one refusal only
    info.cbSize = 0;
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const auto starts = palvex::TakeShellStarts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0].verb, u"runas");
    EXPECT_EQ(starts[0].file, u"C:\\Windows\\system32\\rundll32.exe");
    EXPECT_EQ(starts[0].parameters, u"printui.dll,PrintUIEntry /p /n \"Palvex QX500\"");
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
    EXPECT_TRUE(starts[0].started);
    EXPECT_FALSE(starts[1].started);
}

TEST_F(UiRecords, InputContextTakenAwayAndGivenBack) {
    HWND edit = CreateWindowExW(0, u"Edit", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HIMC own = ImmGetContext(edit);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(ImmAssociateContext(edit, nullptr), own);
    EXPECT_EQ(ImmGetContext(edit), nullptr);
    EXPECT_EQ(ImmAssociateContext(edit, own), nullptr);
    EXPECT_EQ(ImmGetContext(edit), own);
    const auto moves = palvex::TakeInputContextMoves();
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_FALSE(moves[0].associated);
    EXPECT_TRUE(moves[1].associated);
    EXPECT_EQ(moves[1].window, edit);
    DestroyWindow(edit);
}

TEST_F(UiRecords, TheMachineHasNoVisualStylesLibrary) {
    WCHAR system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::u16string path = std::u16string(system) + u"\\UXTHEME.DLL";
    EXPECT_EQ(LoadLibraryExW(path.c_str(), nullptr, 0), nullptr);
    EXPECT_EQ(LoadLibraryExW(u"UXTHEME.DLL", nullptr, 0), nullptr);
}

}  // namespace
