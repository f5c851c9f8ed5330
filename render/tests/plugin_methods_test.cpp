// CoPlugin's methods: the interface flag, the helper, the DRVFN table, the OEM PDEV's life, and
// the method protocol (hook first, then the method's own work).
#include <render_host.h>

#include "ddi_functions.h"
#include "render_fixture.h"
#include "tovqebxl.h"

#include "counting_hook.h"
#include "spool_capture.h"

namespace rendertest {
namespace {

using palvex::hosts::RenderHost;
using palvex::hosts::RenderHostOptions;

// A plug-in object of the linked factory, asked for an interface.
CoPlugin* NewPlugin(REFIID iid = IID_IPrintOemUni3) {
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_OEMRENDER, IID_IClassFactory, &factory), S_OK);
    void* object = nullptr;
    EXPECT_EQ(static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, iid, &object), S_OK);
    static_cast<IClassFactory*>(factory)->Release();
    return static_cast<CoPlugin*>(static_cast<IPrintOemUni3*>(object));
}

struct PluginRelease {
    void operator()(CoPlugin* plugin) const { plugin->Release(); }
};
using PluginPtr = std::unique_ptr<CoPlugin, PluginRelease>;

TEST(PluginMethods, TheModelFillsElevenHookEntries) {
    PluginPtr plugin(NewPlugin());
    const PluginHooks& hooks = plugin->Hooks();
    const void* const* entries = reinterpret_cast<const void* const*>(&hooks);
    size_t filled = 0;
    for (size_t i = 0; i < sizeof(PluginHooks) / sizeof(void*); ++i) filled += entries[i] != nullptr;
    EXPECT_EQ(filled, 11u);
    for (const void* entry : {reinterpret_cast<const void*>(hooks.m_devMode), reinterpret_cast<const void*>(hooks.m_commandCallback),
                              reinterpret_cast<const void*>(hooks.m_getICMProfile),
                              reinterpret_cast<const void*>(hooks.m_sendStringResource),
                              reinterpret_cast<const void*>(hooks.m_mapCommandId), reinterpret_cast<const void*>(hooks.m_endDoc),
                              reinterpret_cast<const void*>(hooks.m_plgBlt), reinterpret_cast<const void*>(hooks.m_startDoc),
                              reinterpret_cast<const void*>(hooks.m_stretchBlt),
                              reinterpret_cast<const void*>(hooks.m_stretchBltROP),
                              reinterpret_cast<const void*>(hooks.m_strokePath)})
        EXPECT_NE(entry, nullptr);
}

TEST(PluginMethods, EnableDriverHandsOverTheDrvfnTable) {
    PluginPtr plugin(NewPlugin());
    EXPECT_EQ(plugin->EnableDriver(DDI_DRIVER_VERSION_NT5, sizeof(DRVENABLEDATA), nullptr), E_FAIL);
    DRVENABLEDATA data{};
    ASSERT_EQ(plugin->EnableDriver(DDI_DRIVER_VERSION_NT5, sizeof data, &data), S_OK);
    EXPECT_EQ(data.iDriverVersion, 0x30000u);
    ASSERT_EQ(data.c, 24u);
    const ULONG indexes[24] = {71, 18, 19, 34, 15, 68, 37, 31, 58, 17, 70, 12, 32, 57, 35, 33, 20, 69, 16, 14, 23, 74, 24, 25};
    for (ULONG i = 0; i < 24; ++i) {
        EXPECT_EQ(data.pdrvfn[i].iFunc, indexes[i]) << i;
        EXPECT_NE(data.pdrvfn[i].pfn, nullptr) << i;
    }
    EXPECT_EQ(reinterpret_cast<void*>(data.pdrvfn[20].pfn), reinterpret_cast<void*>(&render::ddi::DrvTextOut));

    // Obtained as IUnknown: nothing but the hook.
    void* unknown = nullptr;
    ASSERT_EQ(plugin->QueryInterface(IID_IUnknown, &unknown), S_OK);
    plugin->Release();
    DRVENABLEDATA untouched{};
    EXPECT_EQ(plugin->EnableDriver(DDI_DRIVER_VERSION_NT5, sizeof untouched, &untouched), S_OK);
    EXPECT_EQ(untouched.c, 0u);
    EXPECT_EQ(untouched.pdrvfn, nullptr);
    // A hook decides.
    Install(plugin->Hooks().m_enableDriver);
    g_hookAnswer = E_ABORT;
    EXPECT_EQ(plugin->EnableDriver(DDI_DRIVER_VERSION_NT5, sizeof untouched, &untouched), E_ABORT);
}

// A helper without IPrintOemDriverUni.
class PlainUnknown final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

TEST_F(RenderTest, PublishDriverInterfaceTakesTheDriversHelper) {
    PluginPtr plugin(NewPlugin());
    PlainUnknown plain;
    EXPECT_EQ(plugin->PublishDriverInterface(nullptr), E_INVALIDARG);
    EXPECT_EQ(plugin->PublishDriverInterface(&plain), E_FAIL);

    // The driver's helper is taken once; a second one is not asked for.
    auto host = MakeHost();
    EXPECT_EQ(host->events()[1].name, "PublishDriverInterface");
    EXPECT_EQ(host->events()[1].result, S_OK);
    EXPECT_EQ(PluginOf(*host)->PublishDriverInterface(&plain), S_OK);
    ASSERT_TRUE(host->StartDocument(u"Doc", 1));
    EXPECT_NE(PdevOf(*host)->m_helper, nullptr);

    // Obtained as IUnknown the object takes no helper.
    PluginPtr asUnknown(NewPlugin(IID_IUnknown));
    EXPECT_EQ(asUnknown->PublishDriverInterface(&plain), E_FAIL);
}

TEST(PluginMethods, MethodsWithoutOwnWorkAnswerTheirHookOrNotImplemented) {
    PluginPtr plugin(NewPlugin());
    DEVOBJ devobj{};
    BYTE bytes[4] = {};
    DWORD value = 0;
    INT number = 0;
    UNIFONTOBJ font{};
    FINVOCATION invocation{};
    OEMMEMORYUSAGE usage{};
    SURFOBJ surface{};
    STROBJ string{};
    FONTOBJ fontObject{};
    BOOL done = FALSE;
    struct Method {
        const char* name;
        std::function<void(PluginHooks&)> install;
        std::function<HRESULT(PDEVOBJ)> call;
    };
    const Method methods[] = {
        {"DriverDMS", [](PluginHooks& h) { Install(h.m_driverDMS); },
         [&](PDEVOBJ d) { return plugin->DriverDMS(d, bytes, 4, &value); }},
        {"FilterGraphics", [](PluginHooks& h) { Install(h.m_filterGraphics); },
         [&](PDEVOBJ d) { return plugin->FilterGraphics(d, bytes, 4); }},
        {"Compression", [](PluginHooks& h) { Install(h.m_compression); },
         [&](PDEVOBJ d) { return plugin->Compression(d, bytes, bytes, 4, 4, &number); }},
        {"HalftonePattern", [](PluginHooks& h) { Install(h.m_halftonePattern); },
         [&](PDEVOBJ d) { return plugin->HalftonePattern(d, bytes, 1, 1, 1, 1, bytes, 4); }},
        {"MemoryUsage", [](PluginHooks& h) { Install(h.m_memoryUsage); },
         [&](PDEVOBJ d) { return plugin->MemoryUsage(d, &usage); }},
        {"TTYGetInfo", [](PluginHooks& h) { Install(h.m_ttyGetInfo); },
         [&](PDEVOBJ d) { return plugin->TTYGetInfo(d, 1, bytes, 4, &value); }},
        {"DownloadFontHeader", [](PluginHooks& h) { Install(h.m_downloadFontHeader); },
         [&](PDEVOBJ d) { return plugin->DownloadFontHeader(d, &font, &value); }},
        {"DownloadCharGlyph", [](PluginHooks& h) { Install(h.m_downloadCharGlyph); },
         [&](PDEVOBJ d) { return plugin->DownloadCharGlyph(d, &font, 1, &value, &value); }},
        {"TTDownloadMethod", [](PluginHooks& h) { Install(h.m_ttDownloadMethod); },
         [&](PDEVOBJ d) { return plugin->TTDownloadMethod(d, &font, &value); }},
        {"OutputCharStr", [](PluginHooks& h) { Install(h.m_outputCharStr); },
         [&](PDEVOBJ d) { return plugin->OutputCharStr(d, &font, 1, 1, bytes); }},
        {"SendFontCmd", [](PluginHooks& h) { Install(h.m_sendFontCmd); },
         [&](PDEVOBJ d) { return plugin->SendFontCmd(d, &font, &invocation); }},
        {"TextOutAsBitmap", [](PluginHooks& h) { Install(h.m_textOutAsBitmap); },
         [&](PDEVOBJ d) {
             return plugin->TextOutAsBitmap(d ? &surface : nullptr, &string, &fontObject, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, 0);
         }},
        {"ReservedMethod1", [](PluginHooks& h) { Install(h.m_reservedMethod1); },
         [&](PDEVOBJ d) { return plugin->ReservedMethod1(d, bytes, 4); }},
        {"GetPDEVAdjustment", [](PluginHooks& h) { Install(h.m_getPDEVAdjustment); },
         [&](PDEVOBJ d) { return plugin->GetPDEVAdjustment(d, 1, bytes, 4, &done); }},
        {"ReservedMethod2", [](PluginHooks& h) { Install(h.m_reservedMethod2); },
         [&](PDEVOBJ d) { return plugin->ReservedMethod2(d, &surface, bytes, 4, 0, &value); }},
    };
    for (const Method& method : methods) {
        SCOPED_TRACE(method.name);
        EXPECT_EQ(method.call(nullptr), E_FAIL);
        EXPECT_EQ(method.call(&devobj), E_NOTIMPL);  // no hook
        method.install(plugin->Hooks());
        for (HRESULT answer : {S_OK, S_FALSE, E_ABORT}) {
            g_hookAnswer = answer;
            EXPECT_EQ(method.call(&devobj), answer);
        }
        for (HRESULT answer : {E_NOTIMPL, E_PENDING}) {
            g_hookAnswer = answer;
            EXPECT_EQ(method.call(&devobj), E_NOTIMPL);
        }
    }
    // TextOutAsBitmap also needs its string and font.
    EXPECT_EQ(plugin->TextOutAsBitmap(&surface, nullptr, &fontObject, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0),
              E_FAIL);
    EXPECT_EQ(plugin->TextOutAsBitmap(&surface, &string, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0),
              E_FAIL);
}

TEST(PluginMethods, DisableDriverCommandCallbackAndImageProcessing) {
    PluginPtr plugin(NewPlugin());
    DEVOBJ devobj{};
    INT result = 0;
    EXPECT_EQ(plugin->DisableDriver(), E_NOTIMPL);
    Install(plugin->Hooks().m_disableDriver);
    for (auto [answer, expected] : {std::pair{E_PENDING, S_OK}, {E_NOTIMPL, E_NOTIMPL}, {S_OK, S_OK}, {E_FAIL, E_FAIL}}) {
        g_hookAnswer = answer;
        EXPECT_EQ(plugin->DisableDriver(), expected);
    }

    EXPECT_EQ(plugin->CommandCallback(nullptr, 200, 0, nullptr, &result), E_FAIL);
    EXPECT_EQ(plugin->CommandCallback(&devobj, 200, 0, nullptr, &result), E_FAIL);  // the model's hook: no OEM PDEV
    plugin->Hooks().m_commandCallback = nullptr;
    EXPECT_EQ(plugin->CommandCallback(&devobj, 200, 0, nullptr, &result), S_OK);
    Install(plugin->Hooks().m_commandCallback);
    for (auto [answer, expected] : {std::pair{E_PENDING, S_OK}, {E_NOTIMPL, S_OK}, {S_FALSE, S_FALSE}, {E_FAIL, E_FAIL}}) {
        g_hookAnswer = answer;
        EXPECT_EQ(plugin->CommandCallback(&devobj, 200, 0, nullptr, &result), expected);
    }

    BYTE bitmap[16] = {};
    BITMAPINFOHEADER header{};
    PBYTE produced = nullptr;
    EXPECT_EQ(plugin->ImageProcessing(nullptr, bitmap, &header, nullptr, 1, nullptr, &produced), E_FAIL);
    EXPECT_EQ(plugin->ImageProcessing(&devobj, bitmap, &header, nullptr, 1, nullptr, &produced), S_OK);
    EXPECT_EQ(produced, bitmap);
    Install(plugin->Hooks().m_imageProcessing);
    g_hookAnswer = E_ABORT;
    produced = nullptr;
    EXPECT_EQ(plugin->ImageProcessing(&devobj, bitmap, &header, nullptr, 1, nullptr, &produced), E_ABORT);
    EXPECT_EQ(produced, nullptr);
}

TEST(PluginMethods, GetImplementedMethodNamesImageProcessingAndCommandCallback) {
    PluginPtr plugin(NewPlugin());
    struct Case {
        const char* name;
        HRESULT expected;
    };
    const Case cases[] = {
        {"ImageProcessing", S_OK}, {"imageprocessing", S_OK}, {"COMMANDCALLBACK", S_OK}, {"CommandCallback", S_OK},
        {"FilterGraphics", S_FALSE}, {"ImageProcessing2", S_FALSE}, {"", S_FALSE},
        {"ImageProcessingImageProcessingImageProcessingImageProcessingImageProcessing", S_FALSE},
    };
    for (const Case& c : cases) {
        std::string name = c.name;
        EXPECT_EQ(plugin->GetImplementedMethod(name.data()), c.expected) << c.name;
    }
    EXPECT_EQ(plugin->GetImplementedMethod(nullptr), S_FALSE);
    // A string id names a string of the module's resources; there is none such here.
    EXPECT_EQ(plugin->GetImplementedMethod(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(100))), S_FALSE);
    Install(plugin->Hooks().m_getImplementedMethod);
    g_hookAnswer = E_ABORT;
    std::string name = "ImageProcessing";
    EXPECT_EQ(plugin->GetImplementedMethod(name.data()), E_ABORT);
    g_hookAnswer = E_NOTIMPL;
    EXPECT_EQ(plugin->GetImplementedMethod(name.data()), S_OK);
}

TEST_F(RenderTest, WritePrinterSendsThroughTheDriversHelper) {
    auto host = MakeHost();
    ASSERT_TRUE(host->StartDocument(u"Doc", 1));
    CoPlugin* plugin = PluginOf(*host);
    const size_t before = host->output().size();
    BYTE bytes[3] = {1, 2, 3};
    DWORD written = 99;

    // Without a PDEVOBJ only an empty write succeeds.
    EXPECT_EQ(plugin->WritePrinter(nullptr, nullptr, 0, &written), S_OK);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(plugin->WritePrinter(nullptr, bytes, 0, &written), E_FAIL);
    EXPECT_EQ(plugin->WritePrinter(nullptr, nullptr, 3, &written), E_FAIL);
    // A PDEVOBJ without an OEM PDEV.
    DEVOBJ bare{};
    written = 99;
    EXPECT_EQ(plugin->WritePrinter(&bare, bytes, 3, &written), E_FAIL);
    EXPECT_EQ(written, 99u);
    // With the OEM PDEV.
    EXPECT_EQ(plugin->WritePrinter(host->Pdevobj(), nullptr, 3, &written), E_FAIL);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(plugin->WritePrinter(host->Pdevobj(), bytes, 0, &written), S_OK);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(plugin->WritePrinter(host->Pdevobj(), bytes, 3, &written), S_OK);
    EXPECT_EQ(written, 3u);
    ASSERT_EQ(host->output().size(), before + 3);
    EXPECT_EQ(std::vector<BYTE>(host->output().end() - 3, host->output().end()), (std::vector<BYTE>{1, 2, 3}));
    // What the driver's helper accepted is what the caller hears, whether it wrote short or failed.
    {
        OemPdev* pdev = PdevOf(*host);
        IPrintOemDriverUni* const driversHelper = pdev->m_helper;
        SpoolCapture capture;
        pdev->m_helper = &capture;
        capture.m_shortFromCall = 0;
        EXPECT_EQ(plugin->WritePrinter(host->Pdevobj(), bytes, 3, &written), S_OK);
        EXPECT_EQ(written, 2u);
        capture.m_failFromCall = 1;
        written = 99;
        EXPECT_EQ(plugin->WritePrinter(host->Pdevobj(), bytes, 3, &written), E_FAIL);
        EXPECT_EQ(written, 0u);
        pdev->m_helper = driversHelper;
    }
    // A hook decides.
    Install(plugin->Hooks().m_writePrinter);
    g_hookAnswer = S_FALSE;
    EXPECT_EQ(plugin->WritePrinter(host->Pdevobj(), bytes, 3, &written), S_FALSE);
    EXPECT_EQ(host->output().size(), before + 3);
}

TEST_F(RenderTest, EnablePdevBuildsTheOemPdev) {
    palvex::hosts::RenderHostOptions options;
    options.driverSettings["GraphicsMode"] = "HPGL2MODE";
    auto host = MakeHost(options);
    JobDevMode job = DefaultJob(*host);
    job.SetByte(at::kGrxMode, 0);
    ASSERT_TRUE(host->StartDocument(u"Doc", 1, job.get()));
    OemPdev* pdev = PdevOf(*host);
    ASSERT_NE(pdev, nullptr);
    EXPECT_EQ(pdev->m_printerName, kPrinter);
    EXPECT_EQ(pdev->m_pdevobj, host->Pdevobj());
    EXPECT_EQ(pdev->m_publicDevmode, host->Pdevobj()->pPublicDM);
    EXPECT_EQ(pdev->m_privateDevmode, host->Pdevobj()->pOEMDM);
    EXPECT_EQ(pdev->m_hooks, &PluginOf(*host)->Hooks());
    EXPECT_EQ(pdev->m_settings, PluginOf(*host)->Settings());
    EXPECT_NE(pdev->m_resources, nullptr);
    EXPECT_NE(pdev->m_helper, nullptr);
    EXPECT_EQ(pdev->m_pdlType, 50u);
    EXPECT_EQ(PluginOf(*host)->PdlType(), 50u);
    EXPECT_EQ(pdev->m_modeFlags, kModeTextAsGraphics);  // PDL 50 takes no HP-GL/2 mode
    EXPECT_EQ(pdev->m_layout.m_scalePercent, 100);
    EXPECT_EQ(pdev->m_layout.m_gdiInfo.ulHorzRes, 4761u);
    // The driver's functions are saved by index; those it does not list stay null.
    for (size_t i = 0; i < kUnidrvFnCount; ++i) {
        const bool colorTransform = i >= static_cast<size_t>(UnidrvFn::IcmCreateColorTransform) &&
                                    i <= static_cast<size_t>(UnidrvFn::IcmCheckBitmapBits);
        EXPECT_EQ(pdev->m_unidrv[i] == nullptr, colorTransform) << i;
    }
}

TEST_F(RenderTest, Hpgl2ModeComesFromTheDriversGraphicsModeForPcl5Types) {
    struct Case {
        DWORD pdlType;
        const char* graphicsMode;  // null: the driver has no such setting
        bool hpgl2;
    };
    const Case cases[] = {{45, "HPGL2MODE", true}, {40, "HPGL2MODE", true}, {49, "HPGL2MODE", true},
                          {45, "RASTERMODE", false}, {45, nullptr, false}, {50, "HPGL2MODE", false},
                          {39, "HPGL2MODE", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdlType);
        RenderHostOptions options;
        if (c.graphicsMode) options.driverSettings["GraphicsMode"] = c.graphicsMode;
        auto host = MakeHost(options);
        JobDevMode job = DefaultJob(*host);
        job.Set<DWORD>(at::kPdlType, c.pdlType);
        ASSERT_TRUE(host->StartDocument(u"Doc", 1, job.get()));
        EXPECT_EQ((PdevOf(*host)->m_modeFlags & kModeHpgl2) != 0, c.hpgl2);
    }
}

TEST_F(RenderTest, EnablePdevRefusesWhatItCannotWorkWith) {
    PluginPtr plugin(NewPlugin());
    EnableArguments arguments;
    ASSERT_NE(arguments.handle, nullptr);
    auto& [printer, handle, devmode, devobj, gdi, devInfo, data, oem] = arguments;
    EXPECT_EQ(plugin->EnablePDEV(nullptr, printer.data(), 0, nullptr, sizeof gdi, &gdi, sizeof devInfo, &devInfo, &data, &oem), E_FAIL);
    EXPECT_EQ(plugin->EnablePDEV(&devobj, printer.data(), 0, nullptr, sizeof gdi, &gdi, sizeof devInfo, nullptr, &data, &oem), E_FAIL);
    EXPECT_EQ(plugin->EnablePDEV(&devobj, printer.data(), 0, nullptr, sizeof gdi, &gdi, sizeof devInfo, &devInfo, nullptr, &oem), E_FAIL);
    DEVOBJ noPrinter = devobj;
    noPrinter.hPrinter = nullptr;
    EXPECT_EQ(plugin->EnablePDEV(&noPrinter, printer.data(), 0, nullptr, sizeof gdi, &gdi, sizeof devInfo, &devInfo, &data, &oem),
              E_FAIL);
    EXPECT_EQ(oem, nullptr);
    // No place for the OEM PDEV.
    EXPECT_EQ(plugin->EnablePDEV(&devobj, printer.data(), 0, nullptr, sizeof gdi, &gdi, sizeof devInfo, &devInfo, &data, nullptr),
              E_FAIL);

    // Obtained as IUnknown (even after the plug-in interface): no OEM PDEV, S_OK.
    void* unknown = nullptr;
    ASSERT_EQ(plugin->QueryInterface(IID_IUnknown, &unknown), S_OK);
    plugin->Release();
    EXPECT_EQ(plugin->EnablePDEV(&devobj, printer.data(), 0, nullptr, sizeof gdi, &gdi, sizeof devInfo, &devInfo, &data, &oem), S_OK);
    EXPECT_EQ(oem, nullptr);
    EXPECT_EQ(plugin->DisablePDEV(&devobj), S_OK);
    EXPECT_EQ(plugin->ResetPDEV(&devobj, &devobj), S_OK);
}

TEST(PluginResources, EnablePdevFailsWithoutTheResourceLibrary) {
    palvex::TestMachine machine;
    InstallRenderPrinter({.resourceLibrary = false, .settingsBlocks = true, .printer = {}});
    PluginPtr plugin(NewPlugin());
    EnableArguments arguments;
    ASSERT_NE(arguments.handle, nullptr);
    auto& [printer, handle, devmode, devobj, gdi, devInfo, data, oem] = arguments;
    EXPECT_EQ(plugin->EnablePDEV(&devobj, printer.data(), 0, nullptr, sizeof gdi, &gdi, sizeof devInfo, &devInfo, &data, &oem),
              E_FAIL);
    EXPECT_EQ(oem, nullptr);
}

TEST_F(RenderTest, DisableAndResetPdevGuardTheirArguments) {
    auto host = MakeHost();
    ASSERT_TRUE(host->StartDocument(u"Doc", 1));
    CoPlugin* plugin = PluginOf(*host);
    DEVOBJ bare{};
    EXPECT_EQ(plugin->DisablePDEV(nullptr), E_FAIL);
    EXPECT_EQ(plugin->DisablePDEV(&bare), E_FAIL);  // no OEM PDEV
    EXPECT_EQ(plugin->ResetPDEV(nullptr, host->Pdevobj()), E_FAIL);
    EXPECT_EQ(plugin->ResetPDEV(host->Pdevobj(), nullptr), E_FAIL);
    EXPECT_EQ(plugin->ResetPDEV(&bare, host->Pdevobj()), E_FAIL);  // the old PDEV has no OEM PDEV
    Install(plugin->Hooks().m_disablePDEV);
    g_hookAnswer = E_ABORT;
    EXPECT_EQ(plugin->DisablePDEV(host->Pdevobj()), E_ABORT);
    EXPECT_NE(PdevOf(*host), nullptr);
    plugin->Hooks().m_disablePDEV = nullptr;
}

TEST_F(RenderTest, ResetPdevCarriesTheDocumentToTheNewPdev) {
    auto host = MakeHost();
    JobDevMode job = DefaultJob(*host);
    job.Set<DWORD>(at::kDocPageCount, 5);
    ASSERT_TRUE(host->StartDocument(u"Doc", 9, job.get()));
    ASSERT_TRUE(host->StartPage());
    ASSERT_TRUE(host->EndPage());
    OemPdev* old = PdevOf(*host);
    BYTE* buffer = old->m_pageWork.get();
    buffer[0] = 0x11;
    old->m_layout.m_firstPageLandscape = 1;
    old->m_layout.m_resolution = 300;
    old->m_layout.m_watermark.m_text = u"DRAFT";
    old->m_jobNameLine = "@PJL SET JOBNAME=\"Doc\"\n";

    JobDevMode next = DefaultJob(*host);
    next->dmDuplex = DMDUP_VERTICAL;
    next->dmCopies = 2;
    ASSERT_TRUE(host->ChangeDevMode(next.get()));
    OemPdev* pdev = PdevOf(*host);
    ASSERT_NE(pdev, old);
    EXPECT_EQ(pdev->m_document.m_jobId, 9u);
    EXPECT_EQ(pdev->m_document.m_pageCounter, 1u);
    EXPECT_EQ(pdev->m_document.m_docPageCount, 5u);
    EXPECT_EQ(pdev->m_pageWork.get(), buffer);
    EXPECT_EQ(pdev->m_pageWorkSize, kPageWorkSize);
    EXPECT_EQ(buffer[0], 0);  // carried and zeroed
    EXPECT_EQ(pdev->m_layout.m_firstPageLandscape, 1u);
    EXPECT_EQ(pdev->m_layout.m_watermark.m_text, u"DRAFT");
    EXPECT_EQ(pdev->m_jobNameLine, "@PJL SET JOBNAME=\"Doc\"\n");  // a job header still to come names the document
    // The page settings come from the new DEVMODE.
    EXPECT_TRUE(pdev->m_layout.m_flags & kLayoutPageSettingsLoaded);
    EXPECT_EQ(pdev->m_layout.m_duplex, DMDUP_VERTICAL);
    EXPECT_EQ(pdev->m_layout.m_copies, 2);
    const std::vector<std::string> calls = PluginCalls(*host);
    const std::vector<std::string> tail(calls.end() - 4, calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"DevMode", "EnablePDEV", "ResetPDEV", "DisablePDEV"}));
}

TEST_F(RenderTest, ScalingIsReadOnlyInsideTheSpooler) {
    struct Case {
        bool spooler;
        WORD scale;
        BYTE toPaper;
        DWORD mode;
        LONG width, height;  // the target in device units
    };
    // A4 at 600 dpi (4761 x 6816 printable); the target paper B5 is 1820 x 2570 tenths of a
    // millimetre: 600 * 1820 / 254 - 200 = 4099, 600 * 2570 / 254 - 200 = 5870.
    const Case cases[] = {
        {false, 150, 0, 0, 0, 0},
        {true, 150, 0, 1, 4099, 5870},
        {true, 100, 1, 2, 4099, 5870},
        {true, 100, 0, 0, 0, 0},
        {true, 90, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scale) + (c.spooler ? " in the spooler" : " outside"));
        std::optional<palvex::ProcessImageScope> spooler;
        if (c.spooler) spooler.emplace(palvex::kSpoolerImagePath);
        auto host = MakeHost();
        JobDevMode job = DefaultJob(*host);
        job.Set<WORD>(at::kScaleFactor, c.scale).SetByte(at::kScaleEnabled, c.toPaper);
        job.Set<WORD>(at::kMediaWidth, 1820).Set<WORD>(at::kMediaHeight, 2570);
        ASSERT_TRUE(host->StartDocument(u"Doc", 1, job.get()));
        const PageLayout& layout = PdevOf(*host)->m_layout;
        EXPECT_EQ(layout.m_scaleMode, c.mode);
        EXPECT_EQ(layout.m_targetWidth, c.width);
        EXPECT_EQ(layout.m_targetHeight, c.height);
    }
}

}  // namespace
}  // namespace rendertest
