// The dialog links of the device information and of the account popups: the printer web-page
// button and the held-job and user-tracking popups' buttons.
#include <palvex/message_box.h>
#include <palvex/ui_records.h>
#include <win/winusername.h>

#include "device_sheet.h"
#include "options/device_page_links.h"
#include "options/printer_address_handler.h"
#include "options/printer_address_links.h"

namespace uitest {
namespace {

constexpr char16_t kAccountKey[] = u"Software\\Orlune\\Palvex QX500\\Palvex UI Printer\\PrinterDriverData";

std::u16string AccountValue(const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kAccountKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
    WCHAR text[128] = {};
    DWORD bytes = sizeof text - sizeof(WCHAR), type = 0;
    const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text), &bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::u16string(text) : u"<none>";
}

class DeviceLinksTest : public DeviceSheetTest {
protected:
    void SetUp() override {
        DeviceSheetTest::SetUp();
        palvex::ResetMessageBoxScript();
        palvex::ResetUiRecords();
    }
    template <class Link>
    Link* MakeLink(HWND dialog, DWORD controlId) {
        Link* link = MakeOnHeap<Link>(m_heap, m_heap, Handler(controlId), GetDlgItem(dialog, static_cast<int>(controlId)), controlId);
        EXPECT_NE(link, nullptr);
        Handler(controlId)->AttachDlgLink(link);
        return link;
    }
    // A page with the web-page button, as the document pages have it.
    HWND PageWithWebButton() {
        HWND page = OpenPage(25000);
        CreateWindowExW(0, u"BUTTON", u"Web", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 80, 20, page,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kWebPageButton)), nullptr, nullptr);
        return page;
    }
    std::vector<palvex::MessageBoxRecord> Boxes() { return palvex::TakeMessageBoxRecords(); }
    QVOptItemHandlerIDANDPWD* Account(DWORD key) { return static_cast<QVOptItemHandlerIDANDPWD*>(Handler(key)); }
};

TEST_F(DeviceLinksTest, TheWebPageButtonOpensThePrintersPage) {
    SetStoredSetting(u"_QV_GETCONF_SOURCE", 1, 1);
    SetPrinterValue(u"PrinterIPaddr", REG_SZ, Utf16Bytes(u"192.168.0.10"));
    OpenSheet();
    HWND page = PageWithWebButton();
    auto* button = MakeLink<QVOptItemDlgLinkButtonGETDEVINFO>(page, kWebPageButton);
    EXPECT_EQ(Handler(kWebPageButton)->StateBits(), 0u);
    EXPECT_EQ(button->Command(BN_CLICKED, kWebPageButton), 1);
    auto starts = palvex::TakeShellStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].file, u"http://192.168.0.10/");
    EXPECT_EQ(starts[0].verb, u"open");
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(starts[0].window, page);
    EXPECT_TRUE(Boxes().empty());

    // The browser does not start: the user is told.
    palvex::RefuseShellStarts(1);
    button->Command(BN_CLICKED, kWebPageButton);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"ブラウザの起動に失敗しました。");
    EXPECT_EQ(boxes[0].caption, u"警告");
}

TEST_F(DeviceLinksTest, WithoutAnAddressTheWebPageButtonIsDisabledWithItsReason) {
    SetStoredSetting(u"_QV_GETCONF_SOURCE", 1, 1);
    SetPrinterValue(u"PrinterIPaddr", REG_SZ, Utf16Bytes(u"127.0.0.1"));
    OpenSheet();
    HWND page = PageWithWebButton();
    auto* button = MakeLink<QVOptItemDlgLinkButtonGETDEVINFO>(page, kWebPageButton);
    QORVAOptItemHandler* item = Handler(kWebPageButton);
    EXPECT_EQ(item->StateBits() & 0x2000, 0x2000u);
    EXPECT_EQ(item->Hint(6), (0x8000u << 16) | 33422u);  // the hint of reason bit 0x2000
    button->Command(BN_CLICKED, kWebPageButton);
    EXPECT_TRUE(palvex::TakeShellStarts().empty());
}

TEST_F(DeviceLinksTest, TheHeldJobPopupConfirmsCancelsAndClears) {
    OpenSheet();
    Account(kHeldJobIdItem)->SetIDandPWD(std::u16string(40, u'i').c_str(), u"pw");
    HWND popup = OpenPopup(25400);
    auto* ok = MakeLink<QVOptItemDlgLinkPushbuttonIDANDPWD>(popup, 25407);
    auto* cancel = MakeLink<QVOptItemDlgLinkPushbuttonIDANDPWD>(popup, 25408);
    auto* clear = MakeLink<QVOptItemDlgLinkPushbuttonIDANDPWD>(popup, 25409);
    WCHAR text[64];
    GetDlgItemTextW(popup, 25402, text, 64);
    EXPECT_EQ(std::u16string(text), std::u16string(31, u'i'));  // the boxes get 31 characters
    GetDlgItemTextW(popup, 25405, text, 64);
    EXPECT_EQ(std::u16string(text), u"pw");

    clear->Command(BN_CLICKED, 25409);
    EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(popup, 25402)), 0);
    ok->Command(BN_CLICKED, 25407);  // an empty ID is refused
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"IDを省略することはできません。");
    SetDlgItemTextW(popup, 25402, u"job1");
    SetDlgItemTextW(popup, 25405, u"1234");
    ok->Command(BN_CLICKED, 25407);
    EXPECT_EQ(std::u16string(Account(kHeldJobIdItem)->Id()), u"job1");
    EXPECT_EQ(Account(kHeldJobIdItem)->Changed(), 1u);
    EXPECT_EQ(AccountValue(u"SecurePrintID"), u"<no key>");  // stored on Apply

    // Esc and the close box reach the Cancel button.
    SendMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(LastDialogCommand(), MAKEWPARAM(25408, BN_CLICKED));

    // Cancel with an ID keeps secure print; without one it is switched off.
    Handler(1141)->SetCurSel(1, nullptr);
    cancel->Command(BN_CLICKED, 25408);
    EXPECT_EQ(Handler(1141)->GetSel(), 1);
    Account(kHeldJobIdItem)->SetIDandPWD(u"", u"");
    cancel->Command(BN_CLICKED, 25408);
    EXPECT_EQ(Handler(1141)->GetSel(), 0);
    EXPECT_EQ(Handler(1142)->StateBits() & 0x1, 0x1u);
}

TEST_F(DeviceLinksTest, TheUserTrackingOkStoresAtOnceAndTellsWhatItUpdated) {
    WCHAR user[256];
    DWORD chars = 256;
    ASSERT_TRUE(GetUserNameW(user, &chars));
    OpenSheet();
    HWND popup = OpenPopup(25500);
    auto* ok = MakeLink<QVOptItemDlgLinkPushbuttonIDANDPWD>(popup, 25507);
    struct Case {
        const char16_t* id;
        std::u16string message;
        const char16_t* caption;
        const char16_t* heldJobId;
    } cases[] = {
        {u"user1", std::u16string(user) + u" のユーザー管理、セキュリティ印刷の設定を更新します。", u"通知", u"user1"},
        {u"ﾕｰｻﾞ1",
         std::u16string(user) +
             u" のユーザー管理を更新します。\nIDの設定が空、またはIDに使用できない文字が含まれているため、\nセキュリティ印刷の設定は更新できません。",
         u"警告", u"user1"},
    };
    for (const Case& c : cases) {
        SetDlgItemTextW(popup, 25502, c.id);
        SetDlgItemTextW(popup, 25505, u"pw");
        ok->Command(BN_CLICKED, 25507);
        auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(AccountValue(u"UserManagePrintID"), c.id);
        EXPECT_EQ(AccountValue(u"UserManagePrintPWD"), u"pw");
        EXPECT_EQ(AccountValue(u"SecurePrintID"), c.heldJobId);
    }
}

}  // namespace
}  // namespace uitest
