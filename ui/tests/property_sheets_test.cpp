// The document and printer sheets through the UI host on the window system: the take-over of the
// universal driver's page, the tabs, Help, Apply through a control, elevation.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <palvex/paths.h>
#include <palvex/ui_records.h>
#include <palvex/ui_script.h>
#include <win/commctrl.h>

#include "drvstore.h"
#include "tovqebui.h"
#include "items/heap_object.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"
#include "sheet_pages.h"
#include "dlglink_fixture.h"
#include "ui_fixture.h"
#include "xpr.h"

namespace uitest {
namespace {

constexpr int kNupOrderCombo = 2352;     // on the Layout page
constexpr DWORD kNupPagesKey = 32501;
constexpr DWORD kDuplexTypeKey = 25001;
constexpr DWORD kNoPermission = 0x20;
constexpr int kCopiesSpin = 1123;        // on the Basic page

// A control's link that chooses the handler's option by the control's selection.
class ComboLink final : public QORVAOptItemDlgLink {
public:
    using QORVAOptItemDlgLink::QORVAOptItemDlgLink;
    LRESULT Command(WORD code, DWORD) override {
        if (code != CBN_SELCHANGE) return 0;
        m_handler->SetCurSel(SendMessageW(m_control, CB_GETCURSEL, 0, 0), this);
        return 1;
    }
};

// An up-down control's link that keeps the arrows from moving the control on their own.
class HeldSpinLink final : public QORVAOptItemDlgLink {
public:
    using QORVAOptItemDlgLink::QORVAOptItemDlgLink;
    LRESULT OnNotify(LPARAM header) override {
        return reinterpret_cast<const NMHDR*>(header)->code == static_cast<UINT>(UDN_DELTAPOS) ? TRUE : FALSE;
    }
};

// Binds the control of a page to the handler of an item key through a ComboLink, as the driver's
// factory binds its controls, and fills the control with the item's options.
void BindCombo(HWND page, int control, DWORD key) {
    CoUIPluginExt* state = SheetStateOf(page);
    ASSERT_NE(state, nullptr);
    QORVAOptItemHandler* handler = state->Factory()->FindHandler(key);
    ASSERT_NE(handler, nullptr);
    HWND combo = GetDlgItem(page, control);
    ASSERT_NE(combo, nullptr);
    HANDLE heap = state->Record()->hOEMHeap;
    auto* link = MakeOnHeap<ComboLink>(heap, heap, handler, combo, static_cast<DWORD>(control), 0u);
    SetPropW(combo, MAKEINTATOM(GlobalFindAtomW(u"optItemHandler")), link);
    handler->AttachDlgLink(link);
    for (LONG i = 0; i < handler->GetOptionCount(); ++i)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(handler->GetOptionText(i, nullptr, nullptr)));
}

HWND PageAt(HWND frame, int index) {
    return reinterpret_cast<HWND>(SendMessageW(frame, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}

HWND TabOf(HWND frame) { return reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0)); }

std::u16string TabText(HWND frame, int index) {
    WCHAR text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(TabOf(frame), TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

// What a sheet looked like once it had settled.
struct SheetView {
    int tabs = 0;
    int selected = -1;
    std::u16string firstTab;
    bool helpEnabled = false;
    bool takenOver = false;
    bool frameKnowsProcedure = false;
};

palvex::UserAction Look(SheetView* view) {
    return RunStep([view](HWND frame) {
        HWND tab = TabOf(frame);
        view->tabs = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        view->selected = static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0));
        view->firstTab = TabText(frame, 0);
        HWND help = GetDlgItem(frame, IDHELP);
        view->helpEnabled = help && IsWindowEnabled(help);
        view->takenOver = GetPropW(PageAt(frame, 0), kOriginalProcProperty) != nullptr &&
                          SheetStateOf(PageAt(frame, 0)) != nullptr;
        view->frameKnowsProcedure = GetPropW(frame, kOriginalProcProperty) != nullptr;
    });
}

// The first answer the host recorded for a call of that name.
HRESULT Answer(const palvex::hosts::UiHost& host, const std::string& name) {
    for (const auto& call : host.calls())
        if (call.name == name) return call.result;
    return -1;
}

void DeletePrinterValue(const std::u16string& name) {
    PrinterHandle printer;
    DeletePrinterDataExW(printer.get(), u"PrinterDriverData", name.c_str());
}

std::string RtiSection() {
    std::ifstream in(DriverFile(u"TOVQEB.GPD"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const size_t begin = text.find("*% RTI BEGIN");
    const size_t end = text.find("*% RTI END");
    return begin == std::string::npos || end == std::string::npos ? std::string() : text.substr(begin, end - begin);
}

DWORD StoredPrinterSetting(const std::u16string& field) {
    PrinterHandle printer;
    XprStore* loaded = nullptr;
    EXPECT_LT(CreateByHandle(&loaded, printer.get(), u"PRINTERSETTINGS"), 2u);
    const OwnedStore store(loaded);
    XprTable* row = nullptr;
    DWORD value = 0xFFFFFFFF;
    if (store && FetchFirstRow(store.get(), u"PRINTERSETTINGS", &row) == 0) GetValue(row, &value, sizeof value, field.c_str());
    return value;
}

class PropertySheets : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        palvex::ResetUserScript();
        palvex::ResetUiRecords();
    }
    void TearDown() override { palvex::ResetUserScript(); }
};

TEST_F(PropertySheets, TheDocumentSheetBuildsItsFirstPageIntoTheDriversPage) {
    auto host = MakeHost();
    SheetView view;
    palvex::QueueUserActions({Look(&view), UserStep(palvex::UserAction::Cancel)});
    DWORD result = CPSUI_OK;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR) << host->error();
    EXPECT_EQ(Answer(*host, "DocumentPropertySheets"), S_OK);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_CANCEL));
    // The driver's page and one page for each SHEET record after the first (Layout, Advanced, About).
    EXPECT_EQ(view.tabs, 4);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.firstTab, u"基本");  // string 1000, the first record's dialog id
    EXPECT_TRUE(view.takenOver);
    EXPECT_TRUE(view.frameKnowsProcedure);
    EXPECT_TRUE(view.helpEnabled);
}

TEST_F(PropertySheets, ADocumentSheetWithoutPermissionSettlesOnTheFirstTabWithTheDriversPageTakenOver) {
    auto host = MakeHost();
    SheetView view;
    palvex::QueueUserActions({Look(&view), UserStep(palvex::UserAction::Cancel)});
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result, {}, kNoPermission), ERR_CPSUI_GETLASTERROR);
    EXPECT_EQ(view.tabs, 4);
    EXPECT_EQ(view.selected, 0);
    EXPECT_TRUE(view.takenOver);
    EXPECT_EQ(view.firstTab, u"基本");  // string 1000
}

TEST_F(PropertySheets, ApplyOnTheDocumentSheetWritesTheJobAndTheDocumentStoresOnly) {
    auto host = MakeHost();
    bool applyBefore = true, applyAfterChange = false;
    DWORD nupPages = 0xFFFFFFFF;
    WORD paperBefore = 0, paperAfter = 0;
    palvex::QueueUserActions({
        RunStep([&](HWND frame) {
            CoUIPluginExt* state = SheetStateOf(PageAt(frame, 0));
            state->Settings()->GetFieldValue(state->Record()->pOEMDM, u"_MEDIASIZE", &paperBefore, sizeof paperBefore, 0);
            BindCombo(PageAt(frame, 1), kNupOrderCombo, kNupPagesKey);
            applyBefore = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW));
            for (const char16_t* name : {u"WATERMARKSETTINGS", u"DOCUMENTSETTINGS", u"PRINTERFEATURE"})
                DeletePrinterValue(name);
        }),
        UserStep(palvex::UserAction::Tab, 0, 1),
        UserStep(palvex::UserAction::Select, kNupOrderCombo, 1),  // two pages per sheet
        RunStep([&](HWND frame) { applyAfterChange = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW)); }),
        UserStep(palvex::UserAction::Apply),
        RunStep([&](HWND frame) {
            CoUIPluginExt* state = SheetStateOf(PageAt(frame, 0));
            state->Settings()->GetFieldValue(state->Record()->pOEMDM, u"_NUP_PAGES", &nupPages, sizeof nupPages, 0);
            state->Settings()->GetFieldValue(state->Record()->pOEMDM, u"_MEDIASIZE", &paperAfter, sizeof paperAfter, 0);
        }),
        UserStep(palvex::UserAction::Ok),
    });
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    // The document's paper is the job's (A4) before and after: an unrelated change keeps it.
    EXPECT_EQ(paperBefore, DMPAPER_A4);
    EXPECT_EQ(paperAfter, DMPAPER_A4);
    EXPECT_FALSE(applyBefore);
    EXPECT_TRUE(applyAfterChange);
    EXPECT_EQ(Answer(*host, "ApplyNow"), CPSUICB_ACTION_ITEMS_APPLIED);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
    EXPECT_EQ(nupPages & 0xFF, 1u);  // the option "2" holds the value 1
    EXPECT_TRUE(HasPrinterValue(u"WATERMARKSETTINGS"));
    EXPECT_TRUE(HasPrinterValue(u"DOCUMENTSETTINGS"));
    EXPECT_FALSE(HasPrinterValue(u"PRINTERFEATURE"));
}

TEST_F(PropertySheets, ThePrinterSheetDisablesHelpAndApplySavesThePrinterSettingsAndTheDataFile) {
    auto host = MakeHost();
    SheetView view;
    std::string rtiBefore;
    palvex::QueueUserActions({
        Look(&view),
        RunStep([&](HWND frame) {
            rtiBefore = RtiSection();
            // The duplex type as the device page's option list sets it: manual duplex.
            CoUIPluginExt* state = SheetStateOf(PageAt(frame, 0));
            ASSERT_NE(state, nullptr);
            QORVAOptItemHandler* duplexType = state->Factory()->FindHandler(kDuplexTypeKey);
            ASSERT_NE(duplexType, nullptr);
            duplexType->SetCurSel(2, nullptr);
        }),
        UserStep(palvex::UserAction::Ok),
    });
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_PRNPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR) << host->error();
    EXPECT_EQ(view.tabs, 1);  // one SHEET record: no page of its own
    EXPECT_EQ(view.firstTab, u"装置情報");  // string 25000
    EXPECT_TRUE(view.takenOver);
    EXPECT_FALSE(view.helpEnabled);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
    EXPECT_EQ(Answer(*host, "ApplyNow"), CPSUICB_ACTION_ITEMS_APPLIED);
    EXPECT_EQ(StoredPrinterSetting(u"_DUPLEXTYPE"), 2u) << RtiSection();
    EXPECT_EQ(rtiBefore.find("*Define:"), std::string::npos);
    EXPECT_NE(RtiSection().find("*Define:"), std::string::npos) << RtiSection();
}

TEST_F(PropertySheets, AnApplyThatCannotSaveItsStoresSaysSoAndKeepsWhatItWrote) {
    auto host = MakeHost();
    DWORD nupPages = 0xFFFFFFFF;
    bool stillOpen = false;
    palvex::QueueUserActions({
        RunStep([&](HWND frame) {
            BindCombo(PageAt(frame, 1), kNupOrderCombo, kNupPagesKey);
            // From here on the printer cannot be opened for writing its stored settings.
            palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
        }),
        UserStep(palvex::UserAction::Tab, 0, 1),
        UserStep(palvex::UserAction::Select, kNupOrderCombo, 1),
        UserStep(palvex::UserAction::Apply),
        RunStep([&](HWND frame) {
            stillOpen = true;
            CoUIPluginExt* state = SheetStateOf(PageAt(frame, 0));
            state->Settings()->GetFieldValue(state->Record()->pOEMDM, u"_NUP_PAGES", &nupPages, sizeof nupPages, 0);
        }),
        UserStep(palvex::UserAction::Cancel),
    });
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    palvex::SetPrinterDeniedAccess(kPrinter, 0);
    EXPECT_EQ(Answer(*host, "ApplyNow"), CPSUICB_ACTION_NO_APPLY_EXIT);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(nupPages & 0xFF, 1u);
}

TEST_F(PropertySheets, APrinterWithoutFullAccessShowsItsPrinterSheetWhereThePersonCanSeeIt) {
    auto host = MakeHost();  // the description was compiled when the printer was made
    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    SheetView view;
    RECT frameRect{-1, -1, -1, -1};
    DWORD access = 0;
    palvex::QueueUserActions({Look(&view), RunStep([&](HWND frame) {
                                  GetWindowRect(frame, &frameRect);
                                  if (CoUIPluginExt* state = SheetStateOf(PageAt(frame, 0))) access = state->m_accessState;
                              }),
                              UserStep(palvex::UserAction::Cancel)});
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_PRNPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    palvex::SetPrinterDeniedAccess(kPrinter, 0);
    EXPECT_EQ(access, static_cast<DWORD>(kAccessDenied));
    EXPECT_TRUE(view.takenOver);
    EXPECT_GE(frameRect.left, 0);
    EXPECT_GE(frameRect.top, 0);
}

TEST_F(PropertySheets, HelpOnTheLastTabOpensTheLastRecordsContext) {
    auto host = MakeHost();
    palvex::QueueUserActions({UserStep(palvex::UserAction::Tab, 0, 2), UserStep(palvex::UserAction::Help),
                              UserStep(palvex::UserAction::Cancel)});
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    const auto calls = palvex::TakeHelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].data, 3000u);
}

TEST_F(PropertySheets, ElevationStartsThePrinterSheetAsAdministratorAndCancelsThisOne) {
    auto host = MakeHost();
    bool sawSecondStep = false;
    palvex::QueueUserActions({
        RunStep([](HWND frame) { ElevateSheet(SheetStateOf(PageAt(frame, 0)), PageAt(frame, 0)); }),
        // The posted Cancel ends the sheet before the script's next step.
        RunStep([&](HWND) { sawSecondStep = true; }),
    });
    DWORD result = CPSUI_OK;
    ASSERT_NE(host->RunSheets(OEMCUIP_PRNPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    EXPECT_FALSE(sawSecondStep);
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_CANCEL));
    palvex::ResetUserScript();
    const auto starts = palvex::TakeShellStarts();
    ASSERT_EQ(starts.size(), 1u);
    WCHAR system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(starts[0].verb, u"runas");
    EXPECT_EQ(starts[0].file, std::u16string(system) + u"\\rundll32.exe");
    EXPECT_EQ(starts[0].parameters, std::u16string(u"printui.dll,PrintUIEntry /p /n \"") + kPrinter + u"\"");
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
}

TEST_F(PropertySheets, ARefusedElevationLeavesTheSheetOpen) {
    auto host = MakeHost();
    bool sawSecondStep = false;
    palvex::RefuseShellStarts(1);
    palvex::QueueUserActions({
        RunStep([](HWND frame) { ElevateSheet(SheetStateOf(PageAt(frame, 0)), PageAt(frame, 0)); }),
        RunStep([&](HWND) { sawSecondStep = true; }),
        UserStep(palvex::UserAction::Cancel),
    });
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_PRNPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    EXPECT_TRUE(sawSecondStep);
}

// The printer's description with the printer sheet's SHEET records taken out.
void DropPrinterSheetRecords() {
    const std::filesystem::path file = DriverFile(u"TOVQEB.GPD");
    std::string text;
    {
        std::ifstream in(file, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const size_t begin = text.find("    *SHEET: DEVICE");
    ASSERT_NE(begin, std::string::npos);
    const size_t end = text.find("    }", begin);
    ASSERT_NE(end, std::string::npos);
    text.erase(begin, text.find('\n', end) + 1 - begin);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

TEST_F(PropertySheets, APrinterSheetOfKitPagesWithoutSheetRecordsShowsNoPluginItems) {
    DropPrinterSheetRecords();
    auto host = MakeHost();
    EXPECT_EQ(host->BuildItems(OEMCUIP_PRNPROP), E_NOTIMPL);
    // Nothing of the plug-in: the universal driver's own items only.
    EXPECT_EQ(host->Items().size(), host->DriverItemCount());
}

// A second printer whose driver has an ini among its files, with the text given.
constexpr char16_t kIniPrinter[] = u"Palvex Ini Printer";

std::filesystem::path InstallIniPrinter(const std::string& ini) {
    const std::filesystem::path file = DriverFile(u"TOVQEB.INI");
    std::ofstream(file, std::ios::binary) << ini;
    palvex::DriverDesc driver;
    driver.name = u"Palvex UI Driver With Ini";
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = u"TOVQEB.GPD";
    driver.configFile = u"UNIDRVUI.DLL";
    driver.dependentFiles = {u"TOVQEBUI.DLL", u"TOVQEBRES.DLL", kHelperFile, u"TOVQEB.INI"};
    palvex::AddDriver(driver);
    palvex::AddPrinter(kIniPrinter, driver.name, u"FILE:");
    return file;
}

std::unique_ptr<palvex::hosts::UiHost> IniHost() {
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, &factory), S_OK);
    auto host = std::make_unique<palvex::hosts::UiHost>(static_cast<IClassFactory*>(factory),
                                                        palvex::hosts::UiHostOptions{kIniPrinter});
    static_cast<IClassFactory*>(factory)->Release();
    EXPECT_TRUE(host->Load()) << host->error();
    return host;
}

// The access the printer sheet found, with the sheet's tab count.
DWORD PrinterSheetAccess(palvex::hosts::UiHost& host, int* tabs = nullptr) {
    DWORD access = 0;
    palvex::QueueUserActions({RunStep([&](HWND frame) {
                                  if (CoUIPluginExt* state = SheetStateOf(PageAt(frame, 0))) access = state->m_accessState;
                                  if (tabs) *tabs = static_cast<int>(SendMessageW(TabOf(frame), TCM_GETITEMCOUNT, 0, 0));
                              }),
                              UserStep(palvex::UserAction::Cancel)});
    DWORD result = 0;
    EXPECT_NE(host.RunSheets(OEMCUIP_PRNPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    return access;
}

TEST_F(PropertySheets, OnNewerSystemsFullAccessAlsoNeedsAWritableDriverIni) {
    const std::filesystem::path ini = InstallIniPrinter("[UIPSETTINGS]\r\nUIPLANG=0\r\n");
    {
        auto host = IniHost();
        EXPECT_EQ(PrinterSheetAccess(*host), static_cast<DWORD>(kAccessFull));
        std::ifstream in(ini, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "[UIPSETTINGS]\r\nUIPLANG=0\r\n");
    }
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    auto host = IniHost();
    EXPECT_EQ(PrinterSheetAccess(*host), static_cast<DWORD>(kAccessIniLocked));
}

TEST_F(PropertySheets, TheDriverIniCanGiveTheDocumentSheetThePlatformsTree) {
    InstallIniPrinter("[UIPSETTINGS]\r\nUIPTYPEDOCUMENT=1\r\n");
    auto host = IniHost();
    int tabs = 0;
    bool takenOver = true;
    palvex::QueueUserActions({RunStep([&](HWND frame) {
                                  tabs = static_cast<int>(SendMessageW(TabOf(frame), TCM_GETITEMCOUNT, 0, 0));
                                  takenOver = GetPropW(frame, kOriginalProcProperty) != nullptr;
                              }),
                              UserStep(palvex::UserAction::Cancel)});
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    EXPECT_EQ(tabs, 1);
    EXPECT_FALSE(takenOver);
    EXPECT_EQ(Answer(*host, "DocumentPropertySheets"), E_NOTIMPL);
}

TEST(SheetHelpIndex, StaysInsideTheRecords) {
    struct Case {
        DWORD sheets;
        LONG tabs, page;
        DWORD record;
    } cases[] = {
        {3, 3, 0, 0}, {3, 3, 2, 2},  // the sheet as the driver shows it
        {3, 5, 4, 2},                // the driver's own pages in front
        {3, 2, 1, 2},                // fewer tabs than records: the last record
        {3, 1, 0, 2},   {3, 9, 0, 0},  // far outside on either side
        {3, 3, -1, 0},               // page unknown
        {0, 3, 1, 0},                // no records
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpSheetIndex(c.sheets, c.tabs, c.page), c.record) << c.sheets << " " << c.tabs << " " << c.page;
}


TEST_F(PropertySheets, APageAnswersANotificationThroughItsMessageResult) {
    auto host = MakeHost();
    LRESULT before = -1, after = -2;
    palvex::QueueUserActions({
        RunStep([&](HWND frame) {
            HWND page = PageAt(frame, 0);
            CoUIPluginExt* state = SheetStateOf(page);
            ASSERT_NE(state, nullptr);
            HWND spin = GetDlgItem(page, kCopiesSpin);
            ASSERT_NE(spin, nullptr);
            QORVAOptItemHandler* handler = state->Factory()->FindHandler(kNupPagesKey);
            ASSERT_NE(handler, nullptr);
            HANDLE heap = state->Record()->hOEMHeap;
            auto* link = MakeOnHeap<HeldSpinLink>(heap, heap, handler, spin, static_cast<DWORD>(kCopiesSpin), 0u);
            SetPropW(spin, MAKEINTATOM(GlobalFindAtomW(u"optItemHandler")), link);
            handler->AttachDlgLink(link);
            EnableWindow(spin, TRUE);
            SendMessageW(spin, UDM_SETRANGE32, 0, 100);
            SendMessageW(spin, UDM_SETPOS32, 0, 5);
            before = SendMessageW(spin, UDM_GETPOS32, 0, 0);
        }),
        UserStep(palvex::UserAction::Spin, kCopiesSpin, 1),
        RunStep([&](HWND frame) { after = SendMessageW(GetDlgItem(PageAt(frame, 0), kCopiesSpin), UDM_GETPOS32, 0, 0); }),
        UserStep(palvex::UserAction::Cancel),
    });
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR);
    // The link refused the step: the arrows leave the position where it was.
    EXPECT_EQ(before, 5);
    EXPECT_EQ(after, 5);
}

}  // namespace
}  // namespace uitest
