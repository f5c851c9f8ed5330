// CoPlugin::DevMode: the private devmode requests answered by the settings object, the paper
// fix-ups of a merge inside the spooler, and form assignment: the printer's paper that carries an
// assigned form's name (FindFormPaper) and the merge that keeps a job on an assigned form.
#include <array>

#include <palvex/printer_papers.h>
#include <palvex/printer_settings.h>
#include <palvex/process_image.h>

#include "form_paper.h"
#include "model_hooks.h"
#include "render_fixture.h"
#include "tovqebxl.h"

namespace rendertest {
namespace {

constexpr DWORD kNoFirstPage = 0x10000;

CoPlugin* NewPlugin() {
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_OEMRENDER, IID_IClassFactory, &factory), S_OK);
    void* object = nullptr;
    EXPECT_EQ(static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, IID_IPrintOemUni3, &object), S_OK);
    static_cast<IClassFactory*>(factory)->Release();
    return static_cast<CoPlugin*>(static_cast<IPrintOemUni3*>(object));
}

struct PluginRelease {
    void operator()(CoPlugin* plugin) const { plugin->Release(); }
};
using PluginPtr = std::unique_ptr<CoPlugin, PluginRelease>;

// A DEVMODE whose driver-extra part is exactly the private record.
struct RecordDevMode {
    std::vector<BYTE> bytes = std::vector<BYTE>(sizeof(DEVMODEW) + kRecordSize, 0);
    RecordDevMode() {
        dm()->dmSpecVersion = DM_SPECVERSION;
        dm()->dmSize = sizeof(DEVMODEW);
        dm()->dmDriverExtra = kRecordSize;
        dm()->dmFields = DM_PAPERSIZE | DM_ORIENTATION;
        dm()->dmPaperSize = DMPAPER_LETTER;
    }
    DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes.data()); }
    BYTE* record() { return bytes.data() + sizeof(DEVMODEW); }
    template <class T>
    void Set(DWORD at, T value) {
        std::memcpy(record() + at, &value, sizeof value);
    }
};

class DevModeTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        std::u16string printer = kPrinter;
        ASSERT_TRUE(OpenPrinterW(printer.data(), &m_printer, nullptr));
    }
    void TearDown() override { ClosePrinter(m_printer); }

    OEMDMPARAM Param(RecordDevMode* in, RecordDevMode* out) {
        OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.hPrinter = m_printer;
        param.pPublicDMIn = in ? in->dm() : nullptr;
        param.pPublicDMOut = out ? out->dm() : nullptr;
        param.pOEMDMIn = in ? in->record() : nullptr;
        param.pOEMDMOut = out ? out->record() : nullptr;
        param.cbBufSize = kRecordSize;
        return param;
    }
    // Both DEVMODEs get the default private record.
    void Defaults(CoPlugin* plugin, RecordDevMode* in, RecordDevMode* out) {
        for (RecordDevMode* devmode : {in, out}) {
            OEMDMPARAM param = Param(nullptr, devmode);
            ASSERT_EQ(plugin->DevMode(OEMDM_DEFAULT, &param), S_OK);
        }
    }

    HANDLE m_printer = nullptr;
};

TEST_F(DevModeTest, AnswersTheRequestsThroughTheSettingsObject) {
    PluginPtr plugin(NewPlugin());
    RecordDevMode in;
    RecordDevMode out;
    OEMDMPARAM param = Param(&in, &out);
    EXPECT_EQ(plugin->DevMode(0, &param), E_INVALIDARG);
    EXPECT_EQ(plugin->DevMode(5, &param), E_INVALIDARG);
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, nullptr), E_INVALIDARG);
    EXPECT_EQ(plugin->Settings(), nullptr);

    param.cbBufSize = 0;
    ASSERT_EQ(plugin->DevMode(OEMDM_SIZE, &param), S_OK);
    EXPECT_EQ(param.cbBufSize, kRecordSize);
    EXPECT_NE(plugin->Settings(), nullptr);

    ASSERT_EQ(plugin->DevMode(OEMDM_DEFAULT, &param), S_OK);
    EXPECT_EQ(Peek<DWORD>(out.record(), at::kSize), kRecordSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.record() + at::kSignature), 4), "QKD3");
    EXPECT_EQ(Peek<DWORD>(out.record(), at::kPdlType), 50u);
    EXPECT_EQ(Peek<DWORD>(out.record(), at::kFirstPageSize), kNoFirstPage);

    // Convert copies a record of the same signature.
    Defaults(plugin.get(), &in, &out);
    in.Set<BYTE>(at::kNupPages, 3);
    ASSERT_EQ(plugin->DevMode(OEMDM_CONVERT, &param), S_OK);
    EXPECT_EQ(out.record()[at::kNupPages], 3);
}

TEST_F(DevModeTest, WithoutSettingsTheDriverKeepsItsOwnHandling) {
    PluginPtr plugin(NewPlugin());
    RecordDevMode out;
    OEMDMPARAM param = Param(nullptr, &out);
    param.hPrinter = INVALID_HANDLE_VALUE;
    for (DWORD mode : {OEMDM_SIZE, OEMDM_DEFAULT, OEMDM_CONVERT, OEMDM_MERGE}) EXPECT_EQ(plugin->DevMode(mode, &param), E_NOTIMPL);
    EXPECT_EQ(plugin->Settings(), nullptr);
}

TEST(DevModeWithoutBlocks, APrinterWithoutSettingsBlocksAnswersNotImplemented) {
    palvex::TestMachine machine;
    InstallRenderPrinter({.resourceLibrary = true, .settingsBlocks = false, .printer = {}});
    PluginPtr plugin(NewPlugin());
    std::u16string printer = kPrinter;
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(printer.data(), &handle, nullptr));
    OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = handle;
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, &param), E_NOTIMPL);
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, &param), E_NOTIMPL);
    ClosePrinter(handle);
}

HRESULT g_devModeAnswer = S_OK;
HRESULT AnsweringDevModeHook(DWORD, POEMDMPARAM param) {
    param->cbBufSize = 7;
    return g_devModeAnswer;
}

TEST_F(DevModeTest, TheHookComesFirst) {
    PluginPtr plugin(NewPlugin());
    plugin->Hooks().m_devMode = &AnsweringDevModeHook;
    RecordDevMode out;
    OEMDMPARAM param = Param(nullptr, &out);
    g_devModeAnswer = S_FALSE;
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, &param), S_FALSE);
    EXPECT_EQ(param.cbBufSize, 7u);
    g_devModeAnswer = E_PENDING;
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, &param), S_OK);
    EXPECT_EQ(param.cbBufSize, kRecordSize);
}

struct PaperCase {
    const char* what;
    BYTE nupPages = 0;
    DWORD firstPageSize = kNoFirstPage;
    BYTE booklet = 0;
    BYTE scaleToPaper = 0;
    WORD scaleSize = 0;
    short globalPaper = 0;  // the printer's default DEVMODE (0: none)
    short inPaper = DMPAPER_LETTER;
    bool paperSizeField = true;
    short expectedIn = DMPAPER_LETTER;
    short expectedOut = DMPAPER_LETTER;
};

TEST_F(DevModeTest, MergeFixesThePaperInsideTheSpooler) {
    const PaperCase cases[] = {
        {.what = "N-up prints on the first page's paper", .nupPages = 1, .firstPageSize = 9, .expectedIn = 9, .expectedOut = 9},
        {.what = "sixteen up too", .nupPages = 5, .firstPageSize = 9, .expectedIn = 9, .expectedOut = 9},
        {.what = "one page per sheet keeps the paper", .nupPages = 0, .firstPageSize = 9},
        {.what = "a pages index of 6 means one page", .nupPages = 6, .firstPageSize = 9},
        {.what = "no first page size yet", .nupPages = 1, .firstPageSize = kNoFirstPage},
        {.what = "the first page's paper already", .nupPages = 1, .firstPageSize = 1},
        {.what = "no paper size field", .nupPages = 1, .firstPageSize = 9, .paperSizeField = false},
        {.what = "a first page size of 0 names no paper", .nupPages = 1, .firstPageSize = 0},
        {.what = "a first page size of 65535", .nupPages = 1, .firstPageSize = 65535},
        {.what = "booklet on A4 from A4", .booklet = 12, .inPaper = 9, .expectedIn = 9, .expectedOut = 9},
        {.what = "booklet on A4 from Letter", .booklet = 12, .inPaper = 1, .expectedIn = 1, .expectedOut = 9},
        {.what = "booklet on 11x17", .booklet = 3, .inPaper = 9, .expectedIn = 9, .expectedOut = 17},
        {.what = "booklet on Legal", .booklet = 5, .expectedOut = 5},
        {.what = "booklet on A3", .booklet = 10, .expectedOut = 8},
        {.what = "booklet on A5", .booklet = 15, .expectedOut = 11},
        {.what = "booklet on B4", .booklet = 18, .expectedOut = 12},
        {.what = "booklet on B5", .booklet = 21, .expectedOut = 13},
        {.what = "booklet on Letter from A4", .booklet = 7, .inPaper = 9, .expectedIn = 9, .expectedOut = 1},
        {.what = "a booklet kind that keeps the paper", .booklet = 8},
        {.what = "another", .booklet = 17},
        {.what = "no booklet kind", .booklet = 22},
        {.what = "booklet scaled to a paper", .booklet = 1, .scaleToPaper = 1, .scaleSize = 8, .expectedOut = 8},
        {.what = "booklet scaled to the printer's paper", .booklet = 1, .scaleToPaper = 1, .globalPaper = 12, .expectedOut = 12},
        {.what = "booklet scaled without a paper", .booklet = 1, .scaleToPaper = 1},
        {.what = "booklet without scaling", .booklet = 1, .scaleSize = 8},
    };
    palvex::ProcessImageScope spooler(palvex::kSpoolerImagePath);
    for (const PaperCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.globalPaper) {
            RecordDevMode global;
            global.dm()->dmPaperSize = c.globalPaper;
            std::vector<BYTE> bytes(global.bytes.begin(), global.bytes.begin() + sizeof(DEVMODEW));
            reinterpret_cast<DEVMODEW*>(bytes.data())->dmDriverExtra = 0;
            palvex::SetPrinterDevMode(kPrinter, bytes);
        } else {
            palvex::SetPrinterDevMode(kPrinter, {});
        }
        PluginPtr plugin(NewPlugin());
        RecordDevMode in;
        RecordDevMode out;
        Defaults(plugin.get(), &in, &out);
        in.Set(at::kNupPages, c.nupPages);
        in.Set<DWORD>(at::kFirstPageSize, c.firstPageSize);
        in.Set(at::kBooklet, c.booklet);
        in.Set(at::kScaleEnabled, c.scaleToPaper);
        in.Set(at::kScaleSize, c.scaleSize);
        in.dm()->dmPaperSize = c.inPaper;
        if (!c.paperSizeField) in.dm()->dmFields &= ~DM_PAPERSIZE;
        out.dm()->dmPaperSize = c.inPaper;
        OEMDMPARAM param = Param(&in, &out);
        ASSERT_EQ(plugin->DevMode(OEMDM_MERGE, &param), S_OK);
        EXPECT_EQ(in.dm()->dmPaperSize, c.expectedIn);
        EXPECT_EQ(out.dm()->dmPaperSize, c.expectedOut);
        // The merged record is the input's.
        EXPECT_EQ(out.record()[at::kBooklet], c.booklet);
        if (c.firstPageSize != kNoFirstPage) {
            EXPECT_EQ(plugin->FirstPagePaperSize(), c.firstPageSize);
        }
    }
}

TEST_F(DevModeTest, MergeOutsideTheSpoolerLeavesThePaper) {
    PluginPtr plugin(NewPlugin());
    RecordDevMode in;
    RecordDevMode out;
    Defaults(plugin.get(), &in, &out);
    in.Set<BYTE>(at::kNupPages, 1);
    in.Set<DWORD>(at::kFirstPageSize, 9);
    in.Set<BYTE>(at::kBooklet, 12);
    OEMDMPARAM param = Param(&in, &out);
    ASSERT_EQ(plugin->DevMode(OEMDM_MERGE, &param), S_OK);
    EXPECT_EQ(in.dm()->dmPaperSize, DMPAPER_LETTER);
    EXPECT_EQ(out.dm()->dmPaperSize, DMPAPER_LETTER);
    EXPECT_EQ(out.record()[at::kNupPages], 1);  // merged all the same
    EXPECT_EQ(plugin->FirstPagePaperSize(), 0xFFFFFFFFu);
}

TEST_F(DevModeTest, MergeInsideTheSpoolerRefusesAPrivatePartItCannotTrust) {
    struct Case {
        const char* what;
        std::function<void(RecordDevMode&, OEMDMPARAM&)> spoil;
    };
    const Case cases[] = {
        {"a size other than the record's", [](RecordDevMode& in, OEMDMPARAM&) { in.Set<DWORD>(at::kSize, 100); }},
        {"another signature", [](RecordDevMode& in, OEMDMPARAM&) { in.Set<DWORD>(at::kSignature, 0x58585858); }},
        {"a driver-extra part too short for the record",
         [](RecordDevMode& in, OEMDMPARAM&) { in.dm()->dmDriverExtra = kRecordSize - 1; }},
        {"a driver-extra part too short for the size field",
         [](RecordDevMode& in, OEMDMPARAM&) { in.dm()->dmDriverExtra = 2; }},
        {"a private part outside the DEVMODE",
         [](RecordDevMode&, OEMDMPARAM& param) { param.pOEMDMIn = static_cast<BYTE*>(param.pOEMDMOut); }},
    };
    palvex::ProcessImageScope spooler(u"C:\\WINDOWS\\SYSTEM32\\SPOOLSV.EXE");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PluginPtr plugin(NewPlugin());
        RecordDevMode in;
        RecordDevMode out;
        Defaults(plugin.get(), &in, &out);
        in.Set<BYTE>(at::kNupPages, 1);
        in.Set<DWORD>(at::kFirstPageSize, 9);
        OEMDMPARAM param = Param(&in, &out);
        c.spoil(in, param);
        EXPECT_EQ(plugin->DevMode(OEMDM_MERGE, &param), E_FAIL);
        EXPECT_EQ(in.dm()->dmPaperSize, DMPAPER_LETTER);
        EXPECT_EQ(out.dm()->dmPaperSize, DMPAPER_LETTER);
    }
}

// A driver's own paper options, some named exactly as the form table names its forms.
const std::vector<palvex::PrinterPaperDesc> kDriverPapers = {
    {9, u"A4 210 x 297 mm", 2100, 2970},  {260, u"F4 210 x 330 mm", 2100, 3300},
    {1, u"LT 8.5 x 11 in", 2159, 2794},   {270, u"a5 148 x 210 mm", 1480, 2100},   // A5 in the wrong case
    {271, u"B5 182 x 257 mm ", 1820, 2570},                                       // B5 with a trailing space
    {280, u"LGL 8.5 x 14 in", 2159, 3556}, {5, u"LGL 8.5 x 14 in", 2159, 3556},   // Legal twice
    {290, u"DL 110 x 220", 1100, 2200},                                           // DL cut short
};

class FormPaperTest : public RenderTest {
protected:
    void SetUp() override {}
    // The test printer with these settings and the driver's papers, open in m_printer.
    void Install(const PrinterValues& values) {
        InstallRenderPrinter({.printer = values});
        palvex::SetPrinterPapers(kPrinter, kDriverPapers);
        std::u16string printer = kPrinter;
        ASSERT_TRUE(OpenPrinterW(printer.data(), &m_printer, nullptr));
    }
    void TearDown() override {
        if (m_printer) ClosePrinter(m_printer);
    }
    HANDLE m_printer = nullptr;
};

TEST_F(FormPaperTest, FindsThePaperNamedAsTheForm) {
    Install(PrinterValues{});
    const struct {
        DWORD code;
        WORD paper;
    } cases[] = {
        {9, 9},      // A4: the paper of the same code
        {60, 260},   // F4: the driver's own code
        {1, 1},      // Letter
        {5, 280},    // Legal: the first paper of that name
        {11, 0},     // A5: only a name in another case
        {13, 0},     // B5: only a name with a trailing space
        {27, 0},     // DL: only a shorter name
        {7, 0},      // Executive: a form the printer has no paper for
        {0, 0},      // no paper
        {61, 0},     // above the table's codes
        {2, 0},      // below 60 but not in the table
        {0x10009, 0},
        {0xFFFFFFFF, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FindFormPaper(m_printer, c.code), c.paper) << c.code;

    // Without the driver's own list the papers have the standard names: no form matches.
    palvex::SetPrinterPapers(kPrinter, {});
    EXPECT_EQ(FindFormPaper(m_printer, 9), 0);
    EXPECT_EQ(FindFormPaper(nullptr, 9), 0);
}

TEST_F(FormPaperTest, MergeKeepsTheJobOnAnAssignedForm) {
    struct Case {
        const char* what;
        BYTE formAssign;
        DWORD formSize;
        std::array<DWORD, 7> list;
        short paper;      // the merged devmode's paper
        HRESULT answer;
        short expected;
    };
    const Case cases[] = {
        {"no list entry matches: the assigned form's paper", 1, 60, {9, 0, 0, 0, 0, 0, 0}, DMPAPER_LETTER, E_PENDING, 260},
        {"an entry's paper matches: left", 1, 60, {9, 1, 0, 0, 0, 0, 0}, DMPAPER_LETTER, E_PENDING, DMPAPER_LETTER},
        {"the last entry matches", 1, 60, {0, 0, 0, 0, 0, 0, 1}, DMPAPER_LETTER, E_PENDING, DMPAPER_LETTER},
        {"an entry matches through the driver's code", 1, 9, {60, 0, 0, 0, 0, 0, 0}, 260, E_PENDING, 260},
        {"no entry matches: A4", 1, 9, {60, 0, 0, 0, 0, 0, 0}, 5, E_PENDING, DMPAPER_A4},
        {"an entry whose form the printer lacks matches nothing", 1, 60, {11, 13, 0, 0, 0, 0, 0}, DMPAPER_A4,
         E_PENDING, 260},
        // A form the printer lists no paper for would give paper 0, which names no paper.
        {"the assigned form has no paper: left", 1, 11, {9, 0, 0, 0, 0, 0, 0}, DMPAPER_LETTER, E_PENDING,
         DMPAPER_LETTER},
        {"assignment off", 0, 60, {9, 0, 0, 0, 0, 0, 0}, DMPAPER_LETTER, E_NOTIMPL, DMPAPER_LETTER},
        {"assignment of another value", 2, 60, {9, 0, 0, 0, 0, 0, 0}, DMPAPER_LETTER, E_NOTIMPL, DMPAPER_LETTER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        palvex::TestMachine machine;
        PrinterValues values;
        values.formAssign = c.formAssign;
        values.formSize = c.formSize;
        std::copy(c.list.begin(), c.list.end(), values.formSizeList);
        Install(values);
        DEVMODEW in{};
        DEVMODEW out{};
        in.dmPaperSize = DMPAPER_LETTER;
        out.dmPaperSize = c.paper;
        OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.hPrinter = m_printer;
        param.pPublicDMIn = &in;
        param.pPublicDMOut = &out;
        EXPECT_EQ(hrOEMDevMode(OEMDM_MERGE, &param), c.answer);
        EXPECT_EQ(out.dmPaperSize, c.expected);
        EXPECT_EQ(in.dmPaperSize, DMPAPER_LETTER);
        ClosePrinter(m_printer);
        m_printer = nullptr;
    }
}

// Through the plug-in: the hook picks the paper and the merge still runs.
TEST_F(FormPaperTest, ThePluginsMergeAssignsThePaper) {
    PrinterValues values;
    values.formAssign = 1;
    values.formSize = 60;
    values.formSizeList[0] = 9;
    Install(values);
    PluginPtr plugin(NewPlugin());
    RecordDevMode in;
    RecordDevMode out;
    OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = m_printer;
    param.cbBufSize = kRecordSize;
    for (RecordDevMode* devmode : {&in, &out}) {
        param.pPublicDMOut = devmode->dm();
        param.pOEMDMOut = devmode->record();
        ASSERT_EQ(plugin->DevMode(OEMDM_DEFAULT, &param), S_OK);
    }
    in.Set<BYTE>(at::kNupPages, 2);
    out.dm()->dmPaperSize = DMPAPER_LETTER;
    param.pPublicDMIn = in.dm();
    param.pPublicDMOut = out.dm();
    param.pOEMDMIn = in.record();
    param.pOEMDMOut = out.record();
    ASSERT_EQ(plugin->DevMode(OEMDM_MERGE, &param), S_OK);
    EXPECT_EQ(out.dm()->dmPaperSize, 260);
    EXPECT_EQ(out.record()[at::kNupPages], 2);
}

}  // namespace
}  // namespace rendertest
