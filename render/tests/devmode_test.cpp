// CoPlugin::DevMode: the private devmode requests answered by the settings object, and the paper
// fix-ups of a merge inside the spooler.
#include <palvex/printer_settings.h>
#include <palvex/process_image.h>

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

}  // namespace
}  // namespace rendertest
