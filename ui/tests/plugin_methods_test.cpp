// CoUIPlugin's methods as the universal driver calls them: GetInfo, PublishDriverInterface, the
// argument checks, the hook rule and the methods that answer E_NOTIMPL.
#include "couipluginext.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

int g_hookCalls = 0;
HRESULT g_hookAnswer = S_OK;

HRESULT CountingPrinterEvent(PWSTR, INT, DWORD, LPARAM) {
    ++g_hookCalls;
    return g_hookAnswer;
}

HRESULT AnsweringCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODEW, PVOID, DWORD, DWORD*, IDrvSettings*) {
    ++g_hookCalls;
    return g_hookAnswer;
}

HRESULT AnsweringHideStandardUI(DWORD) {
    ++g_hookCalls;
    return g_hookAnswer;
}

class PluginMethods : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_hookCalls = 0;
    }
    PluginRef m_plugin;
};

TEST_F(PluginMethods, GetInfoAnswersTheSignatureAndVersion) {
    struct Case {
        const char* what;
        DWORD mode;
        DWORD size;
        bool buffer;
        HRESULT result;
        DWORD value;   // written into the buffer
        DWORD needed;  // left in the needed size
        DWORD lastError;
    };
    const Case cases[] = {
        {"signature", OEMGI_GETSIGNATURE, 4, true, S_OK, 0x33444B51, 0xEEEE, 0},
        {"version", OEMGI_GETVERSION, 4, true, S_OK, 256, 0xEEEE, 0},
        {"3-byte buffer", OEMGI_GETSIGNATURE, 3, true, E_FAIL, 0xCCCCCCCC, 4, ERROR_INSUFFICIENT_BUFFER},
        {"no buffer", OEMGI_GETVERSION, 4, false, E_FAIL, 0xCCCCCCCC, 4, ERROR_INSUFFICIENT_BUFFER},
        {"interface version mode", OEMGI_GETINTERFACEVERSION, 4, true, E_INVALIDARG, 0xCCCCCCCC, 0xEEEE, 0},
        {"publisher mode", OEMGI_GETPUBLISHERINFO, 4, true, E_INVALIDARG, 0xCCCCCCCC, 0xEEEE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DWORD value = 0xCCCCCCCC;
        DWORD needed = 0xEEEE;
        SetLastError(0);
        EXPECT_EQ(static_cast<DWORD>(m_plugin->GetInfo(c.mode, c.buffer ? &value : nullptr, c.size, &needed)),
                  static_cast<DWORD>(c.result));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(needed, c.needed);
        EXPECT_EQ(GetLastError(), c.lastError);
    }
    DWORD value = 0;
    EXPECT_EQ(m_plugin->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof value, nullptr), E_INVALIDARG);
}

// A helper that is not the driver's: it has no IPrintOemDriverUI.
class NotAHelper final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

TEST_F(PluginMethods, PublishDriverInterfaceKeepsTheDriversHelperOnce) {
    EXPECT_EQ(m_plugin->PublishDriverInterface(nullptr), E_INVALIDARG);
    NotAHelper stranger;
    EXPECT_EQ(m_plugin->PublishDriverInterface(&stranger), E_FAIL);
    EXPECT_EQ(m_plugin->DriverHelper(), nullptr);

    auto host = MakeHost();  // publishes its helper to its own object; this object gets one too
    ASSERT_EQ(m_plugin->PublishDriverInterface(host->Plugin()), E_FAIL);  // the plug-in is no helper
    EXPECT_NE(static_cast<CoUIPlugin*>(host->Plugin())->DriverHelper(), nullptr);
    EXPECT_EQ(host->Plugin()->PublishDriverInterface(&stranger), S_OK);  // already held
}

TEST_F(PluginMethods, MethodsWithoutADefaultAnswerNotImplemented) {
    DWORD result = 0;
    INT escape = 0;
    ULONG size = 0;
    FLONG flags = 0;
    EXPECT_EQ(m_plugin->DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(m_plugin->UpgradePrinter(1, nullptr), E_NOTIMPL);
    EXPECT_EQ(m_plugin->DriverEvent(1, 3, nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(m_plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, nullptr, &size, &flags), E_NOTIMPL);
    EXPECT_EQ(m_plugin->FontInstallerDlgProc(nullptr, 0, 0, 0), E_NOTIMPL);
    EXPECT_EQ(m_plugin->UpdateExternalFonts(nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(m_plugin->QueryJobAttributes(nullptr, nullptr, 1, nullptr), E_NOTIMPL);
    EXPECT_EQ(m_plugin->HideStandardUI(1), E_NOTIMPL);
    EXPECT_EQ(m_plugin->DocumentEvent(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, &escape), E_NOTIMPL);
    EXPECT_EQ(m_plugin->DeviceCapabilities(nullptr, nullptr, nullptr, 7 /* DC_DUPLEX */, nullptr, nullptr, nullptr, 0,
                                           &result),
              E_NOTIMPL);
}

TEST_F(PluginMethods, HookAnswersFollowTheHookRule) {
    struct Case {
        HRESULT hookAnswer;
        HRESULT method;
    };
    const Case cases[] = {
        {E_PENDING, E_NOTIMPL},  // not handled: no default, so E_PENDING never reaches the caller
        {E_NOTIMPL, E_NOTIMPL},
        {S_OK, S_OK},
        {S_FALSE, S_FALSE},
        {E_OUTOFMEMORY, E_OUTOFMEMORY},
    };
    m_plugin->Hooks().m_deviceCapabilities = AnsweringCapabilities;
    m_plugin->Hooks().m_hideStandardUI = AnsweringHideStandardUI;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hookAnswer);
        g_hookAnswer = c.hookAnswer;
        DWORD result = 0;
        EXPECT_EQ(m_plugin->DeviceCapabilities(nullptr, nullptr, nullptr, DC_BINS, nullptr, nullptr, nullptr, 0, &result),
                  c.method);
        EXPECT_EQ(m_plugin->HideStandardUI(1), c.method);
    }
    EXPECT_EQ(g_hookCalls, 10);
}

TEST_F(PluginMethods, PrinterEventChecksTheNameBeforeTheHook) {
    m_plugin->Hooks().m_printerEvent = CountingPrinterEvent;
    g_hookAnswer = E_PENDING;
    WCHAR empty[] = u"";
    EXPECT_EQ(m_plugin->PrinterEvent(nullptr, PRINTER_EVENT_INITIALIZE, 0, 0), E_INVALIDARG);
    EXPECT_EQ(m_plugin->PrinterEvent(empty, PRINTER_EVENT_INITIALIZE, 0, 0), E_INVALIDARG);
    EXPECT_EQ(g_hookCalls, 0);
    std::u16string name = kPrinter;
    EXPECT_EQ(m_plugin->PrinterEvent(name.data(), PRINTER_EVENT_DELETE, 0, 0), E_NOTIMPL);
    g_hookAnswer = E_ABORT;
    EXPECT_EQ(m_plugin->PrinterEvent(name.data(), PRINTER_EVENT_INITIALIZE, 0, 0), E_ABORT);
    EXPECT_EQ(g_hookCalls, 2);
}

TEST_F(PluginMethods, SheetMethodsCheckTheirRecords) {
    EXPECT_EQ(m_plugin->CommonUIProp(OEMCUIP_DOCPROP, nullptr), E_INVALIDARG);
    OEMCUIPPARAM record{};
    record.cbSize = sizeof record;
    record.hPrinter = INVALID_HANDLE_VALUE;
    EXPECT_EQ(m_plugin->CommonUIProp(3, &record), E_NOTIMPL);
    EXPECT_EQ(m_plugin->SheetState(), nullptr);

    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.Version = 0x0101;
    EXPECT_EQ(m_plugin->DocumentPropertySheets(nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(m_plugin->DevicePropertySheets(&info, 0), E_INVALIDARG);
    EXPECT_EQ(m_plugin->DocumentPropertySheets(&info, 0), E_INVALIDARG);
}

TEST_F(PluginMethods, CommonUIPropMakesOneSheetStateForBothCalls) {
    auto host = MakeHost();
    auto* plugin = static_cast<CoUIPlugin*>(host->Plugin());
    EXPECT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);  // the description's items
    CoUIPluginExt* state = plugin->SheetState();
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->SheetMode(), static_cast<DWORD>(OEMCUIP_DOCPROP));
    EXPECT_EQ(state->Helper(), plugin->DriverHelper());
    EXPECT_EQ(state->Settings(), plugin->DocumentSettings());
    host->BuildItems(OEMCUIP_DOCPROP);
    EXPECT_EQ(plugin->SheetState(), state);
    // The driver's items with their keywords, then the plug-in's.
    ASSERT_GT(host->Items().size(), host->DriverItemCount());
    for (size_t i = 0; i < host->Items().size(); ++i)
        EXPECT_EQ(reinterpret_cast<const USERDATA*>(host->Items()[i].UserData), &host->UserDataOf(i));
}

// A model hook that puts two items of its own on the sheet, so the host's item array is seen whole.
POEMCUIPPARAM g_fillRecord = nullptr;
HRESULT TwoItems(DWORD, POEMCUIPPARAM param) {
    if (!param->pOEMOptItems) {
        param->cOEMOptItems = 2;
        return S_OK;
    }
    g_fillRecord = param;
    param->pOEMOptItems[0].DMPubID = 100;
    param->pOEMOptItems[1].DMPubID = 101;
    return S_OK;
}

TEST_F(PluginMethods, TheHostKeepsThePluginsItemsRightAfterTheDriversInOneArray) {
    auto host = MakeHost();
    static_cast<CoUIPlugin*>(host->Plugin())->Hooks().m_commonUIProp = TwoItems;
    ASSERT_EQ(host->BuildItems(OEMCUIP_PRNPROP), S_OK);
    const auto& items = host->Items();
    const DWORD driverItems = host->DriverItemCount();
    ASSERT_EQ(items.size(), driverItems + 2);
    ASSERT_NE(g_fillRecord, nullptr);
    EXPECT_EQ(g_fillRecord->pDrvOptItems, items.data());
    EXPECT_EQ(g_fillRecord->cDrvOptItems, driverItems);
    EXPECT_EQ(g_fillRecord->pOEMOptItems, items.data() + driverItems);
    EXPECT_EQ(items[driverItems].DMPubID, 100);
    EXPECT_EQ(items[driverItems + 1].DMPubID, 101);
    for (size_t i = 0; i < items.size(); ++i) {
        const auto* data = reinterpret_cast<const USERDATA*>(items[i].UserData);
        ASSERT_EQ(data, &host->UserDataOf(i));
        EXPECT_EQ(data->dwSize, sizeof(USERDATA));
        EXPECT_EQ(items[i].cbSize, sizeof(OPTITEM));
        // The driver's own items carry their keywords; the plug-in's start without one.
        EXPECT_EQ(data->pKeyWordName != nullptr, i < driverItems);
    }
}

}  // namespace
}  // namespace uitest
