// The texts the pages and runs read from String.ini, in each language the package ships: every
// key is there, and each result format takes the code and the last error.
#include <win/winprofile.h>

#include "installer_fixture.h"
#include "progress_dialog.h"

namespace {

using pardex::testing::InstallerMachine;

class ShippedTexts : public InstallerMachine {
protected:
    std::u16string Read(const std::u16string& language, const std::u16string& section, const std::u16string& key) {
        const std::u16string file = u"C:\\Pardex\\Resource\\String\\" + language + u"\\String.ini";
        WCHAR text[260] = {};
        GetPrivateProfileStringW(section.c_str(), key.c_str(), u"", text, 260, file.c_str());
        return text;
    }
};

TEST_F(ShippedTexts, EveryLanguageHoldsTheKeysThePagesAndRunsRead) {
    const std::vector<std::pair<std::u16string, std::vector<std::u16string>>> keys = {
        {u"MsgBox", {u"ErrorMsg04", u"ErrorMsg08", u"ErrorPrinterName7", u"ErrorPrinterNameVista", u"CloseProperty",
                     u"ErrorShortofFile", u"ErrorInvalidPath", u"ErrorDriverCopy", u"ComfirmContinueCopy", u"CopyComplete",
                     u"UpdateIppWarning", u"UpdateNetPrintDenyAccess", u"UpdateNetPrintWarning"}},
        {u"PrinterName", {u"Main", u"StaticPrinter", u"StaticComment", u"CheckAvailable"}},
        {u"InstallConfirm", {u"Main", u"TextModel", u"TextPrinter", u"TextComment", u"TextPort", u"TextEtc", u"TextAvailable"}},
        {u"UpdateConfirm", {u"Main", u"MainNotInherit", u"Caution", u"TextModel", u"TextOldVersion", u"TextNewVersion",
                            u"TextInherit", u"TextCanInherit", u"TextCannotInherit", u"TextUpdatePrinter"}},
        {u"UninstallConfirm", {u"Main", u"TextModel", u"TextVersion", u"TextDeletePrinter"}},
        {u"DriverCopy", {u"Window", u"Main", u"TextCopyFolder", u"ButtonBrowse", u"ButtonCopy", u"CopyReadme"}},
        {u"InstallProg", {u"Window", u"Main", u"Cancel", u"WaitUSB", u"WaitWizard"}},
        {u"UpdateProg", {u"Window", u"Main"}},
        {u"UninstallProg", {u"Window", u"Main"}},
        {u"InstallComplete", {u"CompleteMsg", u"ErrorMsgJob", u"ErrorMsgUi", u"ErrorMsg"}},
        {u"UpdateComplete", {u"CompleteMsg", u"ErrorMsgJob", u"ErrorMsgUi", u"ErrorMsg"}},
        {u"UninstallComplete", {u"CompleteMsg", u"ErrorMsgJob", u"ErrorMsgUi", u"ErrorMsg"}},
    };
    for (const std::u16string language : {u"0411", u"0409"}) {
        for (const auto& [section, names] : keys)
            for (const auto& key : names)
                EXPECT_FALSE(Read(language, section, key).empty()) << palvex::ToUtf8(language + u" [" + section + u"] " + key);
        // A failed run's text names its code and last error.
        for (const std::u16string section : {u"InstallComplete", u"UpdateComplete", u"UninstallComplete"}) {
            const std::u16string shown = FormatTwoNumbers(Read(language, section, u"ErrorMsg"), 514, 3009);
            EXPECT_NE(shown.find(u"514"), std::u16string::npos) << palvex::ToUtf8(shown);
            EXPECT_NE(shown.find(u"3009"), std::u16string::npos) << palvex::ToUtf8(shown);
            EXPECT_EQ(shown.find(u'%'), std::u16string::npos) << palvex::ToUtf8(shown);
        }
    }
}

}  // namespace
