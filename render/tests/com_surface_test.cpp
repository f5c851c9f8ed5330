// The library as the universal driver's renderer loads it: its exports and ordinals, the class
// factory, the plug-in object's interfaces and GetInfo, reference counts, DllCanUnloadNow and the
// driver-use mutex.
#include <palvex/ordinals.h>
#include <render_host.h>

#include "class_object_cases.h"
#include "driver_use_probe.h"
#include "render_fixture.h"

namespace rendertest {
namespace {

using palvex::hosts::RenderPluginLibrary;
using palvex::testing::DriverInUse;

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}: the universal driver's UI plug-in class.
constexpr CLSID kUiPluginClass = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {91723892-45D2-48E2-9EC9-562379DAF992}: the PrintTicket provider class.
constexpr CLSID kTicketProviderClass = {0x91723892, 0x45D2, 0x48E2, {0x9E, 0xC9, 0x56, 0x23, 0x79, 0xDA, 0xF9, 0x92}};
constexpr CLSID kOtherClass = {0x6D6ABF26, 0x9F38, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xED}};

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_library.loaded()) << m_library.error(); }

    IClassFactory* Factory() {
        void* factory = nullptr;
        EXPECT_EQ(m_library.DllGetClassObject(CLSID_OEMRENDER, IID_IClassFactory, &factory), S_OK);
        return static_cast<IClassFactory*>(factory);
    }
    IPrintOemUni3* Plugin() {
        IClassFactory* factory = Factory();
        void* object = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUni3, &object), S_OK);
        factory->Release();
        return static_cast<IPrintOemUni3*>(object);
    }

    palvex::TestMachine m_machine;
    RenderPluginLibrary m_library{TOVQEBXL_LIBRARY};
};

TEST_F(LibraryTest, ExportsItsTwoFunctionsByOrdinal) {
    const auto* table = static_cast<const PalvexOrdinalEntry*>(m_library.Symbol(PALVEX_ORDINAL_TABLE_SYMBOL));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0].ordinal, 1);
    EXPECT_STREQ(table[0].name, "DllCanUnloadNow");
    EXPECT_EQ(table[0].function, reinterpret_cast<const void*>(m_library.DllCanUnloadNow));
    EXPECT_EQ(table[1].ordinal, 2);
    EXPECT_STREQ(table[1].name, "DllGetClassObject");
    EXPECT_EQ(table[1].function, reinterpret_cast<const void*>(m_library.DllGetClassObject));
    EXPECT_EQ(table[2].ordinal, 0);
}

TEST_F(LibraryTest, ServesOnlyTheRenderingPluginClass) {
    palvex::testing::ExpectClassObjects(
        m_library.DllGetClassObject,
        {
            {"render class as class factory", CLSID_OEMRENDER, IID_IClassFactory, S_OK},
            {"render class as IUnknown", CLSID_OEMRENDER, IID_IUnknown, S_OK},
            {"render class as a plug-in interface", CLSID_OEMRENDER, IID_IPrintOemUni, E_NOINTERFACE},
            {"UI plug-in class", kUiPluginClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
            {"PrintTicket provider class", kTicketProviderClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
            {"a class one bit off", kOtherClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        });
    EXPECT_EQ(m_library.DllCanUnloadNow(), S_OK);
}

TEST_F(LibraryTest, FactoryMakesPluginObjectsForThePluginInterfacesOnly) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    void* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IPrintOemUni3, &object),
              CLASS_E_NOAGGREGATION);
    for (const IID& iid : {IID_IUnknown, IID_IPrintOemUni, IID_IPrintOemUni2, IID_IPrintOemUni3}) {
        object = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, iid, &object), S_OK);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(static_cast<IUnknown*>(object)->Release(), 0u);
    }
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IPrintOemUni, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(LibraryTest, GetInfoAnswersSignatureAndVersion) {
    IPrintOemUni3* plugin = Plugin();
    ASSERT_NE(plugin, nullptr);
    struct Case {
        const char* what;
        DWORD mode;
        DWORD bufferSize;  // 0: no buffer
        bool neededGiven;
        HRESULT expected;
        DWORD value;   // S_OK: the value written
        DWORD needed;  // E_FAIL: the size asked for
    };
    const Case cases[] = {
        {"signature", OEMGI_GETSIGNATURE, 4, true, S_OK, 0x33444B51, 0},
        {"version", OEMGI_GETVERSION, 4, true, S_OK, 0x100, 0},
        {"version into a larger buffer", OEMGI_GETVERSION, 8, true, S_OK, 0x100, 0},
        {"version into 2 bytes", OEMGI_GETVERSION, 2, true, E_FAIL, 0, 4},
        {"signature without a buffer", OEMGI_GETSIGNATURE, 0, true, E_FAIL, 0, 4},
        {"interface version", OEMGI_GETINTERFACEVERSION, 4, true, E_INVALIDARG, 0, 0},
        {"publisher info", OEMGI_GETPUBLISHERINFO, 4, true, E_INVALIDARG, 0, 0},
        {"no needed", OEMGI_GETSIGNATURE, 4, false, E_INVALIDARG, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BYTE buffer[8] = {};
        DWORD needed = 0;
        SetLastError(0);
        EXPECT_EQ(plugin->GetInfo(c.mode, c.bufferSize ? buffer : nullptr, c.bufferSize, c.neededGiven ? &needed : nullptr),
                  c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(Peek<DWORD>(buffer, 0), c.value);
        }
        if (c.expected == E_FAIL) {
            EXPECT_EQ(needed, c.needed);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        }
    }
    // The signature's bytes are "QKD3".
    BYTE bytes[4] = {};
    DWORD needed = 0;
    ASSERT_EQ(plugin->GetInfo(OEMGI_GETSIGNATURE, bytes, 4, &needed), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), "QKD3");
    plugin->Release();
}

TEST_F(LibraryTest, CountsReferencesAndUnloadsOnlyWhenNothingLives) {
    EXPECT_EQ(m_library.DllCanUnloadNow(), S_OK);
    IClassFactory* factory = Factory();
    EXPECT_EQ(m_library.DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);

    void* object = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUni3, &object), S_OK);
    auto* plugin = static_cast<IPrintOemUni3*>(object);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(m_library.DllCanUnloadNow(), S_FALSE);  // the object and the lock

    EXPECT_EQ(plugin->AddRef(), 2u);
    void* again = nullptr;
    EXPECT_EQ(plugin->QueryInterface(IID_IPrintOemUni2, &again), S_OK);
    EXPECT_EQ(again, object);
    EXPECT_EQ(plugin->Release(), 2u);
    again = reinterpret_cast<void*>(1);
    EXPECT_EQ(plugin->QueryInterface(IID_IClassFactory, &again), E_NOINTERFACE);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(plugin->Release(), 1u);
    EXPECT_EQ(plugin->Release(), 0u);
    EXPECT_EQ(m_library.DllCanUnloadNow(), S_FALSE);  // still locked

    // A lock taken through one factory is let go through another.
    IClassFactory* second = Factory();
    EXPECT_EQ(second->LockServer(FALSE), S_OK);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(m_library.DllCanUnloadNow(), S_OK);
}

TEST(RenderLibrary, HoldsTheDriverUseMutexWhileLoaded) {
    palvex::TestMachine machine;
    EXPECT_FALSE(DriverInUse());
    {
        RenderPluginLibrary library(TOVQEBXL_LIBRARY);
        ASSERT_TRUE(library.loaded()) << library.error();
        EXPECT_TRUE(DriverInUse());
    }
    EXPECT_FALSE(DriverInUse());
}

}  // namespace
}  // namespace rendertest
