// The job's commands on a printer with settings: the job header from the job's settings, the
// printer's settings and the user's accounts; paper source by form assignment; the DevMode hook's
// paper fix-ups.
#include <string>

#include <palvex/os_profile.h>
#include <win/winreg.h>
#include <win/winspool.h>

#include "form_paper.h"
#include "model_hooks.h"
#include "render_fixture.h"

namespace rendertest {
namespace {

using palvex::hosts::RenderHost;

void SetModel(const std::u16string& model) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    std::u16string printer = kPrinter;
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(printer.data(), &handle, &defaults));
    const DWORD bytes = static_cast<DWORD>((model.size() + 1) * sizeof(char16_t));
    EXPECT_EQ(SetPrinterDataW(handle, const_cast<LPWSTR>(u"Model"), REG_SZ,
                              reinterpret_cast<BYTE*>(const_cast<char16_t*>(model.c_str())), bytes),
              static_cast<DWORD>(ERROR_SUCCESS));
    ClosePrinter(handle);
}

void SetAccount(const std::u16string& model, const std::u16string& name, const std::u16string& value) {
    const std::u16string path = u"Software\\Orlune\\" + model + u"\\" + kPrinter + u"\\PrinterDriverData";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

class JobCommandsTest : public RenderTest {
protected:
    void SetUp() override {}
    void Install(const PrinterValues& printer) {
        InstallOptions options;
        options.printer = printer;
        InstallRenderPrinter(options);
    }
    std::string Text(const RenderHost& host) { return std::string(host.output().begin(), host.output().end()); }
};

TEST_F(JobCommandsTest, HeaderOfAHeldTrackedJobFromTheUsersAccounts) {
    PrinterValues printer;
    printer.userTracking = 1;
    Install(printer);
    SetModel(u"QX500");
    SetAccount(u"QX500", u"SecurePrintID", u"yamada");
    SetAccount(u"QX500", u"SecurePrintPWD", u"0123");
    SetAccount(u"QX500", u"UserManagePrintID", u"u42");
    SetAccount(u"QX500", u"UserManagePrintPWD", u"k9");
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.userName = u"\u5c71\u7530";
    palvex::SetOsProfile(profile);

    auto host = MakeHost();
    JobDevMode job = DefaultJob(*host);
    job.SetByte(at::kPrintType, 1).SetByte(at::kNupPages, 2);
    ASSERT_TRUE(host->StartDocument(u"Plan \"B\"\r\n", 3, job.get()));
    ASSERT_TRUE(host->StartPage());
    ASSERT_TRUE(host->EndPage());
    ASSERT_TRUE(host->EndDocument());

    const std::string text = Text(*host);
    EXPECT_EQ(text.rfind("\x1b%-12345X@PJL JOB\n@PJL COMMENT \"", 0), 0u);
    const std::string names =
        "@PJL SET QVSTRINGCODESET=UTF8\n@PJL SET JOBNAME=\"Plan 'B'  \"\n"
        "@PJL SET USERNAME=\"\xe5\xb1\xb1\xe7\x94\xb0\"\n@PJL SET QVJOBID=\"";
    const size_t at = text.find(names);
    ASSERT_NE(at, std::string::npos) << text.substr(0, 300);
    const std::string rest =
        "\"\n@PJL SET HOLD=STORE\n@PJL SET QVHOLDID=\"yamada\"\n@PJL SET QVHOLDKEY=\"0123\"\n"
        "@PJL SET QVUSERID=\"u42\"\n@PJL SET QVUSERKEY=\"k9\"\n@PJL SET QVNIN1=4\n@PJL SET DUPLEX=OFF\n";
    EXPECT_EQ(text.compare(at + names.size() + 25, rest.size(), rest), 0) << text.substr(at, 300);
    // The job ends with the PCL XL session's end and the PJL job's end.
    const std::string end = std::string("\x49\x42\x1b%-12345X@PJL EOJ\n\x1b%-12345X");
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
}

TEST_F(JobCommandsTest, HeldJobWithoutAccountsSendsNoHoldIds) {
    Install(PrinterValues{});
    auto host = MakeHost();
    JobDevMode job = DefaultJob(*host);
    job.SetByte(at::kPrintType, 1);
    ASSERT_TRUE(host->StartDocument(u"Doc", 3, job.get()));
    ASSERT_TRUE(host->EndDocument());
    const std::string text = Text(*host);
    EXPECT_NE(text.find("@PJL SET HOLD=STORE\n@PJL SET QVNIN1=1\n"), std::string::npos);
    EXPECT_EQ(text.find("QVHOLDID"), std::string::npos);
    EXPECT_EQ(text.find("QVUSERID"), std::string::npos);
}

TEST_F(JobCommandsTest, PaperSourceByFormAssignment) {
    PrinterValues printer;
    printer.formAssign = 1;
    const DWORD list[7] = {9, 1, 5, 0, 0, 0, 0};
    std::copy(std::begin(list), std::end(list), printer.formSizeList);
    Install(printer);
    auto host = MakeHost();
    JobDevMode job = DefaultJob(*host);
    ASSERT_TRUE(host->StartDocument(u"Doc", 3, job.get()));
    OemPdev* pdev = PdevOf(*host);
    struct Case {
        short paper;
        DWORD callback;
        HRESULT answer;
        std::string bytes;
    };
    const Case cases[] = {
        {1, 110, S_OK, std::string("\xc0\x05\xf8\x26", 4)},   // entry 1: string 112
        {9, 113, S_OK, std::string("\xc0\x04\xf8\x26", 4)},   // entry 0: string 111
        {11, 111, S_OK, std::string("\xc0\x01\xf8\x26", 4)},  // no entry: string 110
        {11, 114, S_OK, std::string("\xc0\x02\xf8\x26", 4)},  // 114 does not consult the list
        {7, 110, E_FAIL, ""},                                   // entry 4 has no string
    };
    const DWORD late[7] = {9, 1, 5, 0, 7, 0, 0};
    for (const Case& c : cases) {
        if (c.paper == 7) {
            ASSERT_EQ(pdev->m_settings->SetFieldValue(nullptr, u"_FORMSIZE_LIST", late, sizeof late,
                                                      SETTINGS_SELECT_PRINTER),
                      S_OK);
        }
        pdev->m_publicDevmode->dmPaperSize = c.paper;
        const size_t before = host->output().size();
        INT result = 0;
        EXPECT_EQ(hrOEMCommandCallback(pdev->m_pdevobj, c.callback, 0, nullptr, &result), c.answer) << c.paper;
        const std::string sent(host->output().begin() + static_cast<std::ptrdiff_t>(before), host->output().end());
        EXPECT_EQ(sent, c.bytes) << c.paper << " " << c.callback;
    }
}

TEST_F(JobCommandsTest, DevModeHookFixesThePaper) {
    PrinterValues printer;
    printer.formAssign = 1;
    printer.formSize = 9;
    Install(printer);
    std::u16string name = kPrinter;
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &handle, nullptr));

    DEVMODEW in{};
    DEVMODEW out{};
    OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = handle;
    param.pPublicDMIn = &in;
    param.pPublicDMOut = &out;

    // Defaults: Letter becomes A4.
    in.dmPaperSize = DMPAPER_LETTER;
    EXPECT_EQ(hrOEMDevMode(OEMDM_DEFAULT, &param), E_PENDING);
    EXPECT_EQ(in.dmPaperSize, DMPAPER_A4);
    EXPECT_TRUE(in.dmFields & DM_PAPERSIZE);
    EXPECT_EQ(hrOEMDevMode(OEMDM_DEFAULT, &param), E_NOTIMPL);

    // The printer lists no paper named after the assigned form: the paper stays.
    out.dmPaperSize = DMPAPER_LETTER;
    EXPECT_EQ(FindFormPaper(handle, 9), 0);
    EXPECT_EQ(FindFormPaper(handle, 61), 0);
    EXPECT_EQ(hrOEMDevMode(OEMDM_MERGE, &param), E_PENDING);
    EXPECT_EQ(out.dmPaperSize, DMPAPER_LETTER);
    EXPECT_EQ(hrOEMDevMode(OEMDM_CONVERT, &param), E_NOTIMPL);
    ClosePrinter(handle);
}

TEST_F(JobCommandsTest, MergeWithoutFormAssignmentPassesOn) {
    Install(PrinterValues{});
    std::u16string name = kPrinter;
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &handle, nullptr));
    DEVMODEW out{};
    out.dmPaperSize = DMPAPER_A5;
    OEMDMPARAM param{};
    param.hPrinter = handle;
    param.pPublicDMOut = &out;
    EXPECT_EQ(hrOEMDevMode(OEMDM_MERGE, &param), E_NOTIMPL);
    EXPECT_EQ(out.dmPaperSize, DMPAPER_A5);
    ClosePrinter(handle);
}

}  // namespace
}  // namespace rendertest
