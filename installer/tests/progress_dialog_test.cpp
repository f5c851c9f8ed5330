// The progress dialog's protocol with its worker, and the texts of its results.
#include <win/commctrl.h>

#include "progress_dialog.h"

#ifndef PBM_GETRANGE
#define PBM_GETRANGE (WM_USER + 7)
#endif
#include "resource.h"
#include "worker_fixture.h"

namespace {

using pardex::testing::WorkerMachine;

constexpr char16_t kStrings[] =
    u"[MsgBox]\r\nCaption=Pardex\r\n"
    u"[InstallProg]\r\nWindow=Installing\r\nMain=Please wait\r\n"
    u"[InstallComplete]\r\nCompleteMsg=Done\r\nErrorMsgJob=Jobs are waiting\r\nErrorMsgUi=Close the dialogs\r\n"
    u"ErrorMsg=Failed (%d, %x)\r\n"
    u"[UninstallComplete]\r\nErrorMsg=Odd %s %d %5.3d %% %n %d %d\r\n";

// What a scripted worker posts: a percentage, or a result code with its last error.
struct Report {
    bool result;
    DWORD value;
    DWORD lastError;
};

class ScriptedProgress : public CDialogProg {
public:
    ScriptedProgress(CDrvData* drvData, std::vector<Report> reports)
        : CDialogProg(drvData, u"InstallProg"), m_reports(std::move(reports)) {}
    // The worker reads m_reports and may still run after the first result ended the dialog: it
    // is waited for here, before the reports go (the base waits only after they are gone).
    ~ScriptedProgress() override { JoinWorker(); }
    BOOL OnInitDialog() override {
        CDialogProg::OnInitDialog();
        m_title = GetWindowText();
        WCHAR main[64] = {};
        ::GetWindowTextW(m_mainText, main, 64);
        m_main = main;
        m_range = static_cast<DWORD>(SendMessageW(m_progressBar, PBM_GETRANGE, FALSE, 0));
        ::ShowWindow(m_button, SW_HIDE);
        StartWorker(Worker, 512);
        return TRUE;
    }
    static UINT Worker(LPVOID parameter) {
        auto* dialog = static_cast<ScriptedProgress*>(parameter);
        for (const Report& report : dialog->m_reports) {
            if (report.result) PostResult(dialog, report.value, report.lastError);
            else PostProgress(dialog, static_cast<int>(report.value));
        }
        return 0;
    }
    std::vector<Report> m_reports;
    std::u16string m_title, m_main;
    DWORD m_range = 0;
};

class ProgressDialog : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        WriteIni(u"C:\\Pardex\\Resource\\String\\0411\\String.ini", kStrings);
    }
};

TEST_F(ProgressDialog, EndsAtOneHundredOrAtTheFirstResult) {
    struct Case {
        const char* name;
        std::vector<Report> reports;
        DWORD code, lastError;
    };
    const Case cases[] = {
        {"progress to the end", {{false, 10, 0}, {false, 99, 0}, {false, 100, 0}}, 0, 0},
        {"99 keeps it open for the result after it", {{false, 99, 0}, {true, 600, 1}}, 600, 1},
        {"a result after progress", {{false, 30, 0}, {true, 529, 7}}, 529, 7},
        {"the first result ends it", {{true, 514, 2}, {true, 515, 0}, {false, 100, 0}}, 514, 2},
        {"a worker that leaves without a word", {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProgress dialog(&m_drvData, c.reports);
        EXPECT_EQ(dialog.DoModal(), 0);
        EXPECT_EQ(dialog.m_resultCode, c.code);
        EXPECT_EQ(dialog.m_lastError, c.lastError);
        EXPECT_EQ(dialog.m_title, u"Installing");
        EXPECT_EQ(dialog.m_main, u"Please wait");
        EXPECT_EQ(dialog.m_range, 100u);
    }
    // Only the first result of a run is taken and logged.
    EXPECT_EQ(LogCount("[LV0] Notify Error (Code:529 LastError:7)\r\n"), 1u);
    EXPECT_EQ(LogCount("Code:515"), 0u);
}

TEST_F(ProgressDialog, ResultTexts) {
    struct Case {
        DWORD code, lastError;
        const char16_t* section;
        std::u16string text;
    };
    const Case cases[] = {
        {0, 0, u"InstallComplete", u"Done"},
        {528, 3001, u"InstallComplete", u"Jobs are waiting"},
        {777, 3001, u"InstallComplete", u"Jobs are waiting"},
        {1028, 3001, u"InstallComplete", u"Jobs are waiting"},
        {529, 0, u"InstallComplete", u"Close the dialogs"},
        {1029, 0, u"InstallComplete", u"Close the dialogs"},
        {514, 1797, u"InstallComplete", u"Failed (514, 705)"},
        // A text with conversions that take no number keeps them as text.
        {1026, 5, u"UninstallComplete", u"Odd %s 1026   005 % %n %d %d"},
    };
    for (const Case& c : cases) {
        ScriptedProgress dialog(&m_drvData, {});
        dialog.m_resultCode = c.code;
        dialog.m_lastError = c.lastError;
        EXPECT_EQ(GetResultMessage(&dialog, c.section), c.text) << c.code;
    }
}

}  // namespace
