// The job header's debug trace lines: each step names itself and what it chose or what failed.
//
// The trace lines are level-gated and the level is set only by a build. This test program (kept
// apart from the other render tests) is such a build: it carries the settings kit's DebugTrace
// compiled at the information level in place of the kit library's silent one.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <palvex/debugout.h>
#include <palvex/machine.h>
#include <win/winreg.h>
#include <win/winspool.h>

#include "job_header.h"

#define KIT_TRACE_LEVEL 4u
#include "kittrace.cpp"

namespace {

constexpr char16_t kPrinter[] = u"Palvex Trace Printer";

class NoOutput final : public JobHeaderOutput {
public:
    HRESULT SendString(DWORD) override { return S_OK; }
    HRESULT SendLine(const std::string&) override { return S_OK; }
};

void Header(BYTE printType, BYTE userTracking, bool commentKnown) {
    JobHeaderValues values;
    values.m_commentKnown = commentKnown;
    values.m_commentText = u"TOVQEB (1.0.0.1); Microsoft Windows 7 6.1.7601 ; Unidrv 0.3.0.1";
    values.m_printType = printType;
    values.m_userTracking = userTracking;
    values.m_holdKey = u"1234";  // a key without an id sends nothing
    NoOutput output;
    WriteJobHeader(values, output);
}

// ReadAccountValues on the test printer, opened with every right.
void ReadAccounts() {
    std::u16string name = kPrinter;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, &defaults));
    ReadAccountValues(printer);
    ClosePrinter(printer);
}

void SetModel() {
    std::u16string name = kPrinter;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, &defaults));
    const std::u16string model = u"QX500";
    EXPECT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(u"Model"), REG_SZ,
                              reinterpret_cast<BYTE*>(const_cast<char16_t*>(model.c_str())),
                              static_cast<DWORD>((model.size() + 1) * sizeof(char16_t))),
              static_cast<DWORD>(ERROR_SUCCESS));
    ClosePrinter(printer);
}

TEST(JobHeaderTrace, EachStepTracesWhatItChoseOrWhatFailed) {
    palvex::TestMachine machine;
    machine.AddPrinterWithDriver(kPrinter);
    struct Case {
        const char* what;
        std::function<void()> run;
        std::vector<std::u16string> lines;   // written, in this order
        std::vector<std::u16string> absent;  // not written
    };
    const Case cases[] = {
        {"a held job without an id, tracking off", [] { Header(1, 0, true); },
         {u"Send_PJL_COMMENT: COMMENT=[TOVQEB (1.0.0.1); Microsoft Windows 7 6.1.7601 ; Unidrv 0.3.0.1]\n",
          u"WriteJobHeader: HOLD=[1]\n", u"Send_PJL_SET_QVHOLDIDandKEY: szID is empty\n",
          u"Send_PJL_SET_QVUSERIDandKEY: _USRACTPRN_ENABLED is off, return S_OK\n"},
         {}},
        {"a job printed at once, tracking on, no version data", [] { Header(0, 1, false); },
         {u"Send_PJL_COMMENT: OOM\n", u"WriteJobHeader: HOLD=[0]\n"},
         {u"Send_PJL_SET_QVHOLDIDandKEY: szID is empty\n",
          u"Send_PJL_SET_QVUSERIDandKEY: _USRACTPRN_ENABLED is off, return S_OK\n"}},
        {"the document's name",
         [] {
             std::string line;
             JobNameLine(u"Plan \u3042.txt", &line);
         },
         {u"JobNameLine: pDocName=[Plan \u3042.txt]\n"},
         {}},
        {"no printer", [] { ReadAccountValues(nullptr); }, {u"ReadAccountValues: GetPrinter() err=[6]\n"}, {}},
        {"a printer without a model", [] { ReadAccounts(); },
         {u"ReadAccountValues: GetPrinterData(Model) err=[2]\n"}, {u"ReadAccountValues: RegOpenKeyEx err=[2]\n"}},
        {"a model without the user's key",
         [] {
             SetModel();
             ReadAccounts();
         },
         {u"ReadAccountValues: RegOpenKeyEx err=[2]\n"}, {u"ReadAccountValues: GetPrinterData(Model) err=[2]\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        palvex::DebugOutputCapture capture;
        c.run();
        const std::vector<std::u16string> written = capture.lines();
        auto at = written.begin();
        for (const std::u16string& line : c.lines) {
            at = std::find(at, written.end(), line);
            EXPECT_NE(at, written.end()) << std::string(line.begin(), line.end());
        }
        for (const std::u16string& line : c.absent)
            EXPECT_EQ(std::find(written.begin(), written.end(), line), written.end());
    }
}

}  // namespace
