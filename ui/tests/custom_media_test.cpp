// Custom media: user forms marked in "CUSTOMMEDIA", added, resized and renamed through a printer
// handle of their own, listed only when marked 1 and of a size the device takes.

#include <cstring>

#include "spooler_forms.h"
#include "system_func_fixture.h"

namespace uitest {
namespace {

class CustomMediaTest : public SystemFuncTest {
protected:
    FORM_INFO_1W Form(const std::u16string& name) { return ReadForm(m_printer, name, m_formBuffer); }
    std::vector<BYTE> m_formBuffer;
};

TEST_F(CustomMediaTest, AddMakesAUserFormMarkedOne) {
    DWORD error = 0xDEAD;
    ASSERT_TRUE(Func().AddCustomMedia(u"My Paper", 100000, 150000, &error));
    ExpectMarkedUserForm(m_printer, u"My Paper", {100000, 150000}, {1, 1, 99999, 149999});
    EXPECT_EQ(Mark(u"My Paper"), 1);  // through the fixture: a value of four bytes

    struct Case {
        const char* what;
        const char16_t* name;
        DWORD width, height;
        DWORD error;
    };
    const Case refused[] = {
        {"the same name again", u"My Paper", 120000, 150000, ERROR_FILE_EXISTS},
        {"a built-in form's name", u"A4", 120000, 150000, ERROR_FILE_EXISTS},
        {"no name", u"", 120000, 150000, ERROR_INVALID_PARAMETER},
        {"no width", u"Thin", 0, 150000, ERROR_INVALID_PARAMETER},
        {"no height", u"Flat", 120000, 0, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        error = 0;
        EXPECT_FALSE(Func().AddCustomMedia(c.name, c.width, c.height, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(Func().AddCustomMedia(c.name, c.width, c.height, nullptr));  // no out variable
    }
    EXPECT_EQ(UserForms(), std::vector<std::u16string>{u"My Paper"});
    EXPECT_EQ(Form(u"My Paper").Size.cx, 100000);

    // A printer that refuses full access refuses the medium.
    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    EXPECT_FALSE(Func().AddCustomMedia(u"Other", 120000, 150000, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(UserForms(), std::vector<std::u16string>{u"My Paper"});
}

TEST_F(CustomMediaTest, AFormThatCannotBeMarkedIsTakenOutAgain) {
    // The machine refuses every "CUSTOMMEDIA" write from here on.
    ASSERT_TRUE(RunMachineSql(m_machine, "CREATE TRIGGER refuse_marks BEFORE INSERT ON spool_printer_data "
                                         "WHEN NEW.key_key = 'CUSTOMMEDIA' BEGIN SELECT RAISE(ABORT, 'disk full'); END;"));

    DWORD error = ERROR_SUCCESS;
    EXPECT_FALSE(Func().AddCustomMedia(u"My Paper", 100000, 150000, &error));
    EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(UserForms().empty());  // no form the lists would never show
    EXPECT_EQ(Mark(u"My Paper"), -1);

    // A rename that cannot mark the new name leaves the old medium as it was.
    AddForm(u"Old", 100000, 150000);
    EXPECT_FALSE(Func().RenameCustomMedia(u"Old", u"New", &error));
    EXPECT_EQ(UserForms(), std::vector<std::u16string>{u"Old"});
}

TEST_F(CustomMediaTest, RenameLeavesOneFormAndOneValueUnderTheNewName) {
    ASSERT_TRUE(Func().AddCustomMedia(u"Before", 100000, 150000, nullptr));
    ASSERT_TRUE(Func().AddCustomMedia(u"Taken", 110000, 150000, nullptr));
    DWORD error = 0;
    ASSERT_TRUE(Func().RenameCustomMedia(u"Before", u"After", &error));
    EXPECT_EQ(UserForms(), (std::vector<std::u16string>{u"Taken", u"After"}));
    EXPECT_EQ(Marks(), (std::vector<std::u16string>{u"After", u"Taken"}));
    EXPECT_EQ(Mark(u"After"), 1);
    const FORM_INFO_1W form = Form(u"After");
    EXPECT_EQ(form.Size.cx, 100000);
    EXPECT_EQ(form.ImageableArea.right, 99999);

    // Onto a name in use, from a missing form, or with an empty name: nothing changes.
    struct Case {
        const char* what;
        const char16_t* from;
        const char16_t* to;
        DWORD error;
    };
    const Case refused[] = {
        {"onto a medium", u"After", u"Taken", ERROR_FILE_EXISTS},
        {"onto a built-in form", u"After", u"Letter", ERROR_FILE_EXISTS},
        {"a missing form", u"Nowhere", u"Somewhere", ERROR_INVALID_FORM_NAME},
        {"an empty new name", u"After", u"", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Func().RenameCustomMedia(c.from, c.to, &error));
        EXPECT_EQ(error, c.error);
    }
    EXPECT_EQ(UserForms(), (std::vector<std::u16string>{u"Taken", u"After"}));
    EXPECT_EQ(Marks(), (std::vector<std::u16string>{u"After", u"Taken"}));
}

TEST_F(CustomMediaTest, ARenameWhoseOldFormCannotGoKeepsTheOldMediumMarked) {
    ASSERT_TRUE(Func().AddCustomMedia(u"Before", 100000, 150000, nullptr));
    // The machine refuses to delete any form from here on.
    ASSERT_TRUE(RunMachineSql(m_machine, "CREATE TRIGGER keep_forms BEFORE DELETE ON spool_forms "
                             "BEGIN SELECT RAISE(ABORT, 'disk full'); END;"));

    // The old form stays, and so does its mark: a form without its mark could never be listed
    // or deleted again.
    EXPECT_TRUE(Func().RenameCustomMedia(u"Before", u"After", nullptr));
    EXPECT_EQ(UserForms(), (std::vector<std::u16string>{u"Before", u"After"}));
    EXPECT_EQ(Marks(), (std::vector<std::u16string>{u"After", u"Before"}));
    EXPECT_EQ(Mark(u"Before"), 1);
}

TEST_F(CustomMediaTest, ResizeSetsSizeAndImageableArea) {
    ASSERT_TRUE(Func().AddCustomMedia(u"Grows", 100000, 150000, nullptr));
    DWORD error = 0;
    ASSERT_TRUE(Func().ResizeCustomMedia(u"Grows", 200000, 300000, &error));
    const FORM_INFO_1W form = Form(u"Grows");
    EXPECT_EQ(form.Size.cx, 200000);
    EXPECT_EQ(form.Size.cy, 300000);
    EXPECT_EQ(form.ImageableArea.left, 1);
    EXPECT_EQ(form.ImageableArea.top, 1);
    EXPECT_EQ(form.ImageableArea.right, 199999);
    EXPECT_EQ(form.ImageableArea.bottom, 299999);
    EXPECT_FALSE(Func().ResizeCustomMedia(u"Nowhere", 200000, 300000, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_FORM_NAME));
    EXPECT_FALSE(Func().ResizeCustomMedia(u"A4", 200000, 300000, &error));  // built-in forms stay
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(CustomMediaTest, PaperIdByNameIsExactAndCaseSensitive) {
    palvex::SetPrinterPapers(kPrinter, {{9, u"A4", 2100, 2970},
                                        {256, std::u16string(63, u'x'), 1000, 1500},
                                        {257, u"Custom", 1000, 1500}});
    struct Case {
        std::u16string name;
        DWORD id;
    };
    const Case cases[] = {
        {u"A4", 9}, {u"a4", 0}, {u"A", 0}, {u"A4 ", 0}, {std::u16string(63, u'x'), 256}, {u"Custom", 257},
        {u"custom", 0}, {u"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Func().GetPaperIdByName(c.name.c_str()), c.id) << std::string(c.name.begin(), c.name.end());
    EXPECT_EQ(Func().GetPaperIdByName(nullptr), 0u);
}

TEST_F(CustomMediaTest, OnlyMarkedUserFormsOfTheDevicesSizesAreListed) {
    struct Form {
        const char16_t* name;
        LONG width, height;
        DWORD flags;
        LONG mark;  // -1: none
        bool listed;
    };
    const Form forms[] = {
        {u"Narrow", 88999, 150000, FORM_USER, 1, false},
        {u"Narrowest", 89000, 150000, FORM_USER, 1, true},
        {u"Widest", 297000, 432000, FORM_USER, 1, true},
        {u"Too wide", 297001, 150000, FORM_USER, 1, false},
        {u"Too short", 100000, 97999, FORM_USER, 1, false},
        {u"Shortest", 100000, 98000, FORM_USER, 1, true},
        {u"Too tall", 100000, 432001, FORM_USER, 1, false},
        {u"Unmarked", 100000, 150000, FORM_USER, -1, false},
        {u"Marked two", 100000, 150000, FORM_USER, 2, false},
        {u"Printer's", 100000, 150000, FORM_PRINTER, 1, false},
    };
    for (const Form& form : forms) {
        AddForm(form.name, form.width, form.height, form.flags);
        if (form.mark >= 0) SetMark(form.name, static_cast<DWORD>(form.mark));
    }
    palvex::SetPrinterPapers(kPrinter, {{9, u"A4", 2100, 2970}, {300, u"Widest", 2970, 4320}});

    TestItem dialog;
    ASSERT_EQ(Func().GetCustomMediaList(&dialog.item, CUSTOM_MEDIA_LIST_DIALOG), 11u);
    ASSERT_EQ(dialog.type.Count, 11);
    std::vector<std::u16string> listed;
    for (size_t i = 0; i < 11; ++i) {
        const OPTPARAM& option = dialog.type.pOptParam[i];
        EXPECT_EQ(option.cbSize, sizeof(OPTPARAM));
        EXPECT_EQ(reinterpret_cast<LPARAM>(option.pData), option.lParam);
        const auto* record = reinterpret_cast<const CustomMediaRecord*>(option.pData);
        EXPECT_EQ(HeapSize(m_heap, 0, record), sizeof(CustomMediaRecord));
        if (dialog.Hidden(i)) continue;
        listed.emplace_back(record->m_name);
        EXPECT_EQ(record->m_form.pName, record->m_name);
        EXPECT_EQ(record->m_form.Flags, static_cast<DWORD>(FORM_USER));
    }
    EXPECT_EQ(listed, (std::vector<std::u16string>{u"Narrowest", u"Widest", u"Shortest"}));
    const auto* widest = reinterpret_cast<const CustomMediaRecord*>(dialog.type.pOptParam[1].pData);
    EXPECT_EQ(widest->m_form.Size.cx, 297000);
    EXPECT_EQ(widest->m_form.Size.cy, 432000);
    EXPECT_EQ(widest->m_form.ImageableArea.right, 297000);
    // The device's paper ids of the listed media, 0 for a medium the device does not list.
    EXPECT_EQ(std::vector<DWORD>(Func().GetCustomPaperIds(), Func().GetCustomPaperIds() + 4),
              (std::vector<DWORD>{0, 300, 0, 0}));
    // The new-medium entry: hidden, its text the resource string, no form behind it.
    EXPECT_TRUE(dialog.Hidden(10));
    const auto* fresh = reinterpret_cast<const CustomMediaRecord*>(dialog.type.pOptParam[10].pData);
    EXPECT_EQ(std::u16string(fresh->m_name), u"無題");
    EXPECT_EQ(fresh->m_form.pName, nullptr);
    EXPECT_EQ(fresh->m_form.Size.cx, 0);

    // Appended to a paper list: shown, numbered from 0x8000, with 64-character text buffers.
    TestItem papers;
    Fill(papers, {u"A4", u"Letter"});
    papers.type.pOptParam[1].Flags = OPTPF_HIDE;
    ASSERT_EQ(Func().GetCustomMediaList(&papers.item, 0), 5u);
    ASSERT_EQ(papers.type.Count, 5);
    EXPECT_EQ(papers.Text(0), u"A4");
    EXPECT_TRUE(papers.Hidden(1));  // the old options as they were
    const std::u16string names[] = {u"Narrowest", u"Widest", u"Shortest"};
    for (size_t n = 0; n < 3; ++n) {
        const OPTPARAM& option = papers.type.pOptParam[2 + n];
        EXPECT_EQ(papers.Text(2 + n), names[n]);
        EXPECT_FALSE(papers.Hidden(2 + n));
        EXPECT_EQ(option.lParam, static_cast<LPARAM>(0x8000 + n));
        EXPECT_EQ(HeapSize(m_heap, 0, option.pData), 64 * sizeof(WCHAR));
    }
}

TEST_F(CustomMediaTest, TheDialogListShowsAtMostTenMedia) {
    for (int i = 0; i < 12; ++i) {
        const std::u16string name = u"Medium " + std::u16string(1, static_cast<char16_t>(u'A' + i));
        ASSERT_TRUE(Func().AddCustomMedia(name.c_str(), 100000 + i, 150000, nullptr));
    }
    TestItem dialog;
    ASSERT_EQ(Func().GetCustomMediaList(&dialog.item, CUSTOM_MEDIA_LIST_DIALOG), 11u);
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_FALSE(dialog.Hidden(i));
        const auto* record = reinterpret_cast<const CustomMediaRecord*>(dialog.type.pOptParam[i].pData);
        EXPECT_EQ(record->m_form.Size.cx, static_cast<LONG>(100000 + i));  // enumeration order
    }
    EXPECT_TRUE(dialog.Hidden(10));

    // A printer that registered none of the machine's forms: the dialog still gets its 11
    // entries, all hidden, and a paper list stays as it is.
    palvex::AddPrinter(u"Bare", kDriver, u"FILE:");
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"Bare"), &printer, &defaults));
    QORVASystemFuncContext context;
    context.m_heap = m_heap;
    context.m_printer = printer;
    context.m_printerName = u"Bare";
    QORVASystemFunc bare(nullptr, context);
    TestItem empty;
    EXPECT_EQ(bare.GetCustomMediaList(&empty.item, CUSTOM_MEDIA_LIST_DIALOG), 11u);
    for (size_t i = 0; i < 11; ++i) EXPECT_TRUE(empty.Hidden(i));
    TestItem papers;
    Fill(papers, {u"A4"});
    EXPECT_EQ(bare.GetCustomMediaList(&papers.item, 0), 1u);
    EXPECT_EQ(papers.type.Count, 1);
    ClosePrinter(printer);
}

}  // namespace
}  // namespace uitest
