// The custom-size popup: its list of registered sizes (item 17052), the width and height it
// follows, the button that adds, renames and deletes sizes as spooler forms marked in
// "CUSTOMMEDIA", the data file rewritten after each change, and the pages' paper-size lists.

#include <cstring>
#include <fstream>
#include <iterator>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/printer_papers.h>

#include "drvstore.h"
#include "items/system_func.h"
#include "list_popup_sheet.h"
#include "options/custom_media_constraints.h"
#include "options/custom_media_handlers.h"
#include "spooler_forms.h"
#include "xpc.h"
#include "xpr.h"

namespace uitest {
namespace {

constexpr char16_t kCaption[] = u"不定形サイズ";

class CustomMediaItemsTest : public ListPopupSheetTest {
protected:
    void SetUp() override {
        ListPopupSheetTest::SetUp();
        palvex::SetPrinterPapers(kPrinter, {{9, u"A4", 2100, 2970}, {1, u"Letter", 2159, 2794}, {300, u"Mine", 1000, 2000},
                                            {301, u"Yours", 1100, 2100}});
    }
    void AddSheetItems() {
        AddItem(17052, TVOT_COMBOBOX, 1);
        AddItem(17100, TVOT_3STATES, {u"Delete", u"Add", u"Rename"});
        AddItem(17152, TVOT_UDARROW, 2, {0, 50000});
        AddItem(17202, TVOT_UDARROW, 2, {0, 50000});
        AddEditItem(18100);
        for (DWORD paperList : {1203u, 3102u}) {
            POPTITEM paper = AddItem(paperList, TVOT_COMBOBOX, {u"A4", u"Letter", u"", u""}, {9, 1, 0, 0});
            paper->pOptType->pOptParam[2].Flags = OPTPF_HIDE;
            paper->pOptType->pOptParam[3].Flags = OPTPF_HIDE;
        }
    }
    // The sheet with the custom-size popup open over the main page.
    HWND Open() {
        AddSheetItems();
        OpenSheet();
        OpenPage(1000);
        return OpenPopup(17001);
    }
    QORVAOptItemHandlerCMCOMBOBOX* List() { return dynamic_cast<QORVAOptItemHandlerCMCOMBOBOX*>(Handler(17052)); }
    QORVAOptItemHandler* Button() { return Handler(17100); }
    LONG Last() { return List()->EntryCount() - 1; }
    std::u16string Name(LONG index) {
        const CustomMediaRecord* record = List()->Record(index);
        return record ? std::u16string(record->m_name) : u"";
    }
    void SetSize(LONG width, LONG height) {
        Handler(17152)->SetValue(width, nullptr);
        Handler(17202)->SetValue(height, nullptr);
    }
    // Adds a size through the popup: the size, the typed name, the button.
    void Add(HWND popup, const std::u16string& name, LONG width, LONG height) {
        SetSize(width, height);
        Type(popup, 17052, name);
        Command(popup, 17100, BN_CLICKED);
    }

    // The spooler's form of a name (Flags ~0 when there is none).
    FORM_INFO_1W Form(const std::u16string& name) { return ReadForm(PrinterHandle().get(), name, m_formBuffer); }
    bool HasForm(const std::u16string& name) { return Form(name).Flags != ~0u; }
    // The "CUSTOMMEDIA" value of a name: -1 when missing, its type into *type.
    LONG Mark(const std::u16string& name, DWORD* type = nullptr) { return ReadMark(PrinterHandle().get(), name, type); }
    std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Makes the machine's database refuse a statement, as a busy spooler would.
    void Refuse(const char* trigger) { ASSERT_TRUE(RunMachineSql(m_machine, trigger)); }

    std::vector<BYTE> m_formBuffer;
};

TEST_F(CustomMediaItemsTest, AddingRegistersAFormMarkedInThePrinterDataAndListsIt) {
    HWND popup = Open();
    ASSERT_EQ(List()->EntryCount(), 11);
    // The popup opens on the main page's paper, a built-in form: the new-size entry, its size.
    EXPECT_EQ(List()->GetSel(), Last());
    EXPECT_EQ(Handler(17152)->GetSel(), 21000);
    EXPECT_EQ(Handler(17202)->GetSel(), 29700);
    EXPECT_EQ(Button()->GetSel(), kCustomMediaAdd);

    Add(popup, u"A\"B", 10000, 20000);
    EXPECT_TRUE(Boxes().empty());
    ExpectMarkedUserForm(PrinterHandle().get(), u"A''B", {100000, 200000}, {1, 1, 99999, 199999});

    // The list holds it as its first entry, selected; the button now deletes.
    EXPECT_EQ(Name(0), u"A''B");
    EXPECT_FALSE(Hidden(17052, 0));
    EXPECT_EQ(List()->GetSel(), 0);
    EXPECT_EQ(List()->Record(0)->m_form.pName, List()->Record(0)->m_name);
    EXPECT_EQ(List()->Record(0)->m_form.Size.cx, 100000);
    EXPECT_EQ(Button()->GetSel(), kCustomMediaDelete);
    // Both pages' paper lists offer it in their first free option.
    for (DWORD paperList : {1203u, 3102u}) {
        EXPECT_EQ(Text(paperList, 2), u"A''B") << paperList;
        EXPECT_FALSE(Hidden(paperList, 2)) << paperList;
        EXPECT_TRUE(Hidden(paperList, 3)) << paperList;
    }
    // The data file offers it too.
    EXPECT_NE(ReadFile(DriverFile(u"TOVQEB.GPD")).find("*Define: _CUSTOM_A2727B_ALLOWED_01\r\n"), std::string::npos);

    // A square size is a size too.
    Add(popup, u"Square", 15000, 15000);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Name(1), u"Square");
    EXPECT_EQ(Form(u"Square").Size.cy, 150000);
}

TEST_F(CustomMediaItemsTest, RefusedSizesAndNamesRegisterNothing) {
    HWND popup = Open();
    PrinterHandle printer;
    FORM_INFO_1W other{};
    other.Flags = FORM_USER;
    other.pName = const_cast<LPWSTR>(u"Other");
    other.Size = {100000, 150000};
    other.ImageableArea = {0, 0, 100000, 150000};
    ASSERT_TRUE(AddFormW(printer.get(), 1, reinterpret_cast<LPBYTE>(&other)));

    struct Case {
        const char* what;
        std::u16string name;
        LONG width, height;
        DWORD message;
        std::u16string text;
        std::u16string caption;
    };
    const Case cases[] = {
        {"height below width", u"Wide", 20000, 19999, 33005, u"[不定形サイズ]は、\"高さ\"≧\"幅\"で入力してください。", kCaption},
        {"an equals sign", u"a=b", 10000, 20000, 17262, u"不定形の名前に、'=','\\' は使えません。", kCaption},
        {"a backslash", u"a\\b", 10000, 20000, 17262, u"不定形の名前に、'=','\\' は使えません。", kCaption},
        {"a built-in form's name", u"A4", 10000, 20000, 33004,
         u"同じ名前のシステム用紙サイズが既に存在します。\n別の名前を選んでください。", kCaption},
        {"a form this driver did not register", u"Other", 10000, 20000, 33002,
         u"同じ名前の[不定形サイズ]が既に存在します。\n別の名前を選んでください。", kCaption},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Add(popup, c.name, c.width, c.height);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes[0].owner, popup);
        EXPECT_EQ(Mark(NormaliseMediumName(c.name.c_str())), -1);
        for (LONG i = 0; i < Last(); ++i) EXPECT_TRUE(Hidden(17052, i)) << i;
        EXPECT_TRUE(Hidden(1203, 2));
    }
    EXPECT_FALSE(HasForm(u"Wide"));
    EXPECT_FALSE(HasForm(u"a=b"));
    EXPECT_EQ(Form(u"Other").Size.cx, 100000);

    // A blank typed name asks the name popup; a blank answer registers nothing.
    Add(popup, u"  ", 10000, 20000);
    EXPECT_EQ(m_mediaNamePopup->m_pushes, 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Hidden(17052, 0));
    m_mediaNamePopup->Answer(u"Named later");
    Add(popup, u"", 10000, 20000);
    EXPECT_EQ(Name(0), u"Named later");
    EXPECT_EQ(Mark(u"Named later"), 1);
}

TEST_F(CustomMediaItemsTest, ARefusingSpoolerIsReportedWithItsErrorCode) {
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    // The user may no longer administer the printer: adding and deleting both fail.
    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    Add(popup, u"Yours", 11000, 21000);
    palvex::QueueMessageBoxAnswers({IDOK});
    Choose(popup, 17052, 0);
    Command(popup, 17100, BN_CLICKED);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(boxes[i].text, u"[不定形サイズ]の登録に失敗しました。(0x5)") << i;
        EXPECT_EQ(boxes[i].caption, u"設定変更の確認") << i;
        EXPECT_EQ(boxes[i].style, static_cast<UINT>(MB_ICONEXCLAMATION)) << i;
    }
    palvex::SetPrinterDeniedAccess(kPrinter, 0);
    EXPECT_FALSE(HasForm(u"Yours"));
    EXPECT_TRUE(HasForm(u"Mine"));
    EXPECT_EQ(Mark(u"Mine"), 1);
    EXPECT_EQ(Name(0), u"Mine");
    EXPECT_TRUE(Hidden(17052, 1));
}

TEST_F(CustomMediaItemsTest, TenSizesFillTheList) {
    {
        PrinterHandle printer;
        for (int i = 0; i < 10; ++i) {
            std::u16string name = u"Size ";
            name += static_cast<char16_t>(u'0' + i);
            FORM_INFO_1W form{};
            form.Flags = FORM_USER;
            form.pName = name.data();
            form.Size = {100000 + i * 1000, 200000};
            form.ImageableArea = {0, 0, form.Size.cx, form.Size.cy};
            ASSERT_TRUE(AddFormW(printer.get(), 1, reinterpret_cast<LPBYTE>(&form)));
            DWORD one = 1;
            ASSERT_EQ(SetPrinterDataExW(printer.get(), u"CUSTOMMEDIA", name.c_str(), REG_DWORD,
                                        reinterpret_cast<LPBYTE>(&one), sizeof one),
                      static_cast<DWORD>(ERROR_SUCCESS));
        }
    }
    HWND popup = Open();
    EXPECT_EQ(Name(9), u"Size 9");
    Add(popup, u"Eleventh", 15000, 25000);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"定義されている[不定形サイズ]が多すぎます。[不定形サイズ]を追加する前にいくつか削除してください。");
    EXPECT_EQ(boxes[0].caption, kCaption);
    EXPECT_FALSE(HasForm(u"Eleventh"));
}

TEST_F(CustomMediaItemsTest, NamesAreCutSoThatTheyEndInsideTheirField) {
    HWND popup = Open();
    const std::u16string longName(40, u'n');
    // The list's edit field takes no more than the name field holds.
    EXPECT_EQ(List()->GetTextLimit(), 32);
    EXPECT_EQ(Handler(18100)->GetTextLimit(), 32);
    m_mediaNamePopup->Answer(longName);
    Add(popup, u"", 10000, 20000);
    const std::u16string cut(31, u'n');
    EXPECT_EQ(Name(0), cut);
    EXPECT_EQ(List()->Record(0)->m_name[31], u'\0');
    EXPECT_TRUE(HasForm(cut));
    EXPECT_EQ(Mark(cut), 1);
    // Quotes count after they became two apostrophes each.
    EXPECT_EQ(NormaliseMediumName((std::u16string(30, u'q') + u"\"x").c_str()), std::u16string(30, u'q') + u"'");
}

TEST_F(CustomMediaItemsTest, TheListFollowsTheSizeAndThePaperSize) {
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    ASSERT_EQ(List()->GetSel(), 0);

    struct Case {
        LONG width, height;
        LONG selected;  // -1: the new-size entry
    };
    for (const Case& c : {Case{10001, 19999, 0}, Case{9999, 20001, 0}, Case{10002, 20000, -1}, Case{10000, 20002, -1},
                          Case{10000, 20000, 0}}) {
        SetSize(c.width, c.height);
        EXPECT_EQ(List()->GetSel(), c.selected < 0 ? Last() : c.selected) << c.width << "x" << c.height;
    }

    // The main page's paper picks the entry and its size.
    SetSize(12000, 13000);
    Handler(1203)->SetCurSel(2, nullptr);
    EXPECT_EQ(List()->GetSel(), 0);
    EXPECT_EQ(Handler(17152)->GetSel(), 10000);
    EXPECT_EQ(Handler(17202)->GetSel(), 20000);
    Handler(1203)->SetCurSel(1, nullptr);
    EXPECT_EQ(List()->GetSel(), Last());
    EXPECT_EQ(Handler(17152)->GetSel(), 21590);

    // Closing the popup with a registered size selected makes it the main page's paper.
    Choose(popup, 17052, 0);
    EXPECT_EQ(Handler(17152)->GetSel(), 10000);
    Command(popup, 8, BN_CLICKED);
    EXPECT_EQ(Handler(1203)->GetSel(), 2);
}

TEST_F(CustomMediaItemsTest, DeletingAsksThenRemovesTheFormItsMarkAndThePaperListsOption) {
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    Handler(1203)->SetCurSel(2, nullptr);  // the main page prints on it
    Choose(popup, 17052, 0);
    ASSERT_EQ(Button()->GetSel(), kCustomMediaDelete);

    palvex::QueueMessageBoxAnswers({IDCANCEL});
    Command(popup, 17100, BN_CLICKED);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"選ばれた[不定形サイズ]を消去してもよろしいですか？");
    EXPECT_EQ(boxes[0].caption, u"警告");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
    EXPECT_TRUE(HasForm(u"Mine"));
    EXPECT_EQ(Mark(u"Mine"), 1);
    EXPECT_FALSE(Hidden(17052, 0));

    palvex::QueueMessageBoxAnswers({IDOK});
    Command(popup, 17100, BN_CLICKED);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_FALSE(HasForm(u"Mine"));
    EXPECT_EQ(Mark(u"Mine"), -1);
    EXPECT_TRUE(Hidden(17052, 0));
    EXPECT_EQ(Name(0), u"");
    EXPECT_EQ(List()->GetSel(), Last());
    for (DWORD paperList : {1203u, 3102u}) {
        EXPECT_TRUE(Hidden(paperList, 2)) << paperList;
        EXPECT_EQ(Text(paperList, 2), u"") << paperList;
    }
    EXPECT_EQ(Handler(1203)->GetSel(), 1);  // value 1, Letter
    // The data file no longer offers it.
    EXPECT_EQ(ReadFile(DriverFile(u"TOVQEB.GPD")).find("_CUSTOM_MINE_ALLOWED_01"), std::string::npos);
}

TEST_F(CustomMediaItemsTest, ASizeAfterADeletedOneIsStillFoundByItsName) {
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    Add(popup, u"Yours", 11000, 21000);
    Choose(popup, 17052, 0);
    palvex::QueueMessageBoxAnswers({IDOK});
    Command(popup, 17100, BN_CLICKED);
    ASSERT_TRUE(Hidden(17052, 0));
    ASSERT_EQ(Text(1203, 3), u"Yours");
    Handler(1203)->SetCurSel(3, nullptr);
    EXPECT_EQ(List()->GetSel(), 1);
    EXPECT_EQ(Button()->GetSel(), kCustomMediaDelete);
    EXPECT_EQ(Handler(17152)->GetSel(), 11000);
    // Adding again fills the free entry first.
    Add(popup, u"Again", 12000, 22000);
    EXPECT_EQ(Name(0), u"Again");
    EXPECT_EQ(List()->GetSel(), 0);
}

TEST_F(CustomMediaItemsTest, AFormThatCannotBeDeletedKeepsItsMarkAndItsEntry) {
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    Refuse("CREATE TRIGGER keep_forms BEFORE DELETE ON spool_forms BEGIN SELECT RAISE(ABORT, 'busy'); END;");
    palvex::QueueMessageBoxAnswers({IDOK});
    Command(popup, 17100, BN_CLICKED);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text.rfind(u"[不定形サイズ]の登録に失敗しました。(0x", 0), 0u);
    EXPECT_EQ(boxes[1].caption, u"設定変更の確認");
    EXPECT_TRUE(HasForm(u"Mine"));
    EXPECT_EQ(Mark(u"Mine"), 1);  // still listed, so it can be deleted again
    EXPECT_FALSE(Hidden(17052, 0));
    EXPECT_EQ(Name(0), u"Mine");
    EXPECT_FALSE(Hidden(1203, 2));
}

TEST_F(CustomMediaItemsTest, RenamingMovesTheFormTheMarkAndThePaperListsOption) {
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    Add(popup, u"Yours", 11000, 20000);
    Choose(popup, 17052, 0);
    Type(popup, 17052, u"Ours");
    EXPECT_EQ(Button()->GetSel(), kCustomMediaRename);
    Command(popup, 17100, BN_CLICKED);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(HasForm(u"Mine"));
    EXPECT_EQ(Form(u"Ours").Size.cx, 100000);
    EXPECT_EQ(Mark(u"Ours"), 1);
    EXPECT_EQ(Mark(u"Mine"), -1);
    EXPECT_EQ(Name(0), u"Ours");
    EXPECT_EQ(Text(1203, 2), u"Ours");
    EXPECT_EQ(Text(3102, 2), u"Ours");
    EXPECT_EQ(List()->GetEditText(), nullptr);

    // Onto a listed name, or with the edit field emptied: refused.
    Type(popup, 17052, u"Yours");
    Command(popup, 17100, BN_CLICKED);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"同じ名前の[不定形サイズ]が既に存在します。\n別の名前を選んでください。");
    Type(popup, 17052, u"");
    EXPECT_EQ(Button()->GetSel(), kCustomMediaRename);
    EXPECT_NE(Button()->StateBits() & 0x1, 0u);
    EXPECT_EQ(Name(0), u"Ours");
}

TEST_F(CustomMediaItemsTest, AddingAListedNameAsksToResizeIt) {
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    Add(popup, u"Other", 11000, 20000);
    for (const auto& [answer, width] : {std::pair{IDNO, 100000}, std::pair{IDYES, 120000}}) {
        palvex::QueueMessageBoxAnswers({answer});
        Add(popup, u"Mine", 12000, 20000);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, u"同じ名前の[不定形サイズ]が既に存在します。\n既存の[不定形サイズ]を置き換えますか?");
        EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
        EXPECT_EQ(Form(u"Mine").Size.cx, width);
        EXPECT_EQ(List()->Record(0)->m_form.Size.cx, width);
    }
    EXPECT_EQ(List()->GetSel(), 0);  // the resized entry keeps its place
    EXPECT_EQ(Name(1), u"Other");
}

TEST_F(CustomMediaItemsTest, WithFormAssignmentThePaperListsStayAsTheyAre) {
    {
        // The printer assigns forms to its trays itself (a one-byte printer setting).
        PrinterHandle printer;
        XprStore* loaded = nullptr;
        ASSERT_LT(CreateByHandle(&loaded, printer.get(), u"PRINTERSETTINGS"), 2u);
        const OwnedStore store(loaded);
        XprTable* cursor = nullptr;
        ASSERT_EQ(FetchFirstRow(store.get(), u"PRINTERSETTINGS", &cursor), 0u);
        const BYTE on = 1;
        ASSERT_EQ(SetValue(cursor, &on, sizeof on, u"_FORMASSIGN"), 0u);
        ASSERT_LT(SaveByHandle(store.get(), printer.get(), FALSE), 2u);
    }
    HWND popup = Open();
    Add(popup, u"Mine", 10000, 20000);
    EXPECT_TRUE(HasForm(u"Mine"));
    EXPECT_EQ(Name(0), u"Mine");
    EXPECT_TRUE(Hidden(1203, 2));
    EXPECT_EQ(Text(1203, 2), u"");
}

TEST_F(CustomMediaItemsTest, APpdDataFileGetsItsCustomSizeBlocksRewritten) {
    HWND popup = Open();
    // The printer's driver now describes it with a PPD.
    const std::string ppd =
        "*PPD-Adobe: \"4.3\"\r\n*OpenUI *PageSize: PickOne\r\n*PageSize A4: \"a4\"\r\n"
        "*%__ CMS BEGIN - DO NOT REMOVE THIS TAG (page sizes)\r\n*%__ SYN BEGIN - DO NOT REMOVE THIS TAG\r\n"
        "*%__*PageSize #NAME/#DNAME: \"<</PageSize[#WIDTH #HEIGHT]>>setpagedevice\"\r\n"
        "*%__ SYN END - DO NOT REMOVE THIS TAG\r\n*PageSize OLD/Old: \"stale\"\r\n"
        "*%__ CMS END - DO NOT REMOVE THIS TAG\r\n*CloseUI: *PageSize\r\n";
    std::ofstream(DriverFile(u"TOVQEB.PPD"), std::ios::binary) << ppd;
    palvex::DriverDesc driver;
    driver.name = kDriver;
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = u"TOVQEB.PPD";
    driver.configFile = u"UNIDRVUI.DLL";
    driver.dependentFiles = {u"TOVQEBUI.DLL", u"TOVQEBRES.DLL"};
    palvex::AddDriver(driver);
    const std::string gpd = ReadFile(DriverFile(u"TOVQEB.GPD"));

    Add(popup, u"Mine", 10000, 20000);
    const std::string written = ReadFile(DriverFile(u"TOVQEB.PPD"));
    EXPECT_EQ(written.find("stale"), std::string::npos);
    EXPECT_NE(written.find("/Mine: \"<</PageSize["), std::string::npos) << written;
    EXPECT_EQ(written.rfind("*PPD-Adobe: \"4.3\"\r\n*OpenUI *PageSize: PickOne\r\n*PageSize A4: \"a4\"\r\n", 0), 0u);
    EXPECT_EQ(ReadFile(DriverFile(u"TOVQEB.GPD")), gpd);  // the other kind of file is not touched
}

}  // namespace
}  // namespace uitest
