// The library as the universal driver's user interface loads it: the class ids it serves, the
// class factory, the plug-in object's faces, DllCanUnloadNow, and what it holds while loaded (the
// driver-use mutex) and frees at unload (the device-data list).
#include <plugin_library.h>

#include "class_object_cases.h"
#include "com_server.h"
#include "driver_use_probe.h"
#include "module_state.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

using palvex::hosts::PluginLibrary;
using palvex::testing::DriverInUse;
using palvex::testing::kDriverUseMutex;

constexpr CLSID kOtherClass = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xED}};

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_library->loaded()) << m_library->error(); }

    IClassFactory* Factory(REFCLSID clsid = CLSID_OEMUI) {
        void* factory = nullptr;
        EXPECT_EQ(m_library->DllGetClassObject(clsid, IID_IClassFactory, &factory), S_OK);
        return static_cast<IClassFactory*>(factory);
    }

    palvex::TestMachine m_machine;
    std::unique_ptr<PluginLibrary> m_library = std::make_unique<PluginLibrary>(TOVQEBUI_LIBRARY);
};

TEST_F(LibraryTest, ServesTheUiPluginAndTicketProviderClassesOnly) {
    palvex::testing::ExpectClassObjects(
        m_library->DllGetClassObject,
        {
            {"UI plug-in class", CLSID_OEMUI, IID_IClassFactory, S_OK},
            {"PrintTicket provider class", CLSID_OEMPTPROVIDER, IID_IClassFactory, S_OK},
            {"UI plug-in class as IUnknown", CLSID_OEMUI, IID_IUnknown, S_OK},
            {"UI plug-in class as a plug-in interface", CLSID_OEMUI, IID_IPrintOemUI2, E_NOINTERFACE},
            {"rendering plug-in class", CLSID_OEMRENDER, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
            {"a class one bit off", kOtherClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        });
    EXPECT_EQ(m_library->DllCanUnloadNow(), S_OK);
}

TEST_F(LibraryTest, FactoryRefusesAggregationAndMakesObjectsWithBothFaces) {
    for (const CLSID& clsid : {CLSID_OEMUI, CLSID_OEMPTPROVIDER}) {
        IClassFactory* factory = Factory(clsid);
        ASSERT_NE(factory, nullptr);
        void* object = reinterpret_cast<void*>(1);
        IUnknown* outer = factory;
        EXPECT_EQ(static_cast<DWORD>(factory->CreateInstance(outer, IID_IUnknown, &object)), 0x80040110u);

        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &object), S_OK);
        auto* unknown = static_cast<IUnknown*>(object);
        for (const IID& iid : {IID_IPrintOemUI, IID_IPrintOemUI2, IID_IPrintOemPrintTicketProvider}) {
            void* face = nullptr;
            EXPECT_EQ(unknown->QueryInterface(iid, &face), S_OK);
            ASSERT_NE(face, nullptr);
            static_cast<IUnknown*>(face)->Release();
        }
        // The two faces are one object: a reference taken through one is given back through the other.
        void* ui = nullptr;
        void* ticket = nullptr;
        ASSERT_EQ(unknown->QueryInterface(IID_IPrintOemUI2, &ui), S_OK);
        ASSERT_EQ(static_cast<IUnknown*>(ui)->QueryInterface(IID_IPrintOemPrintTicketProvider, &ticket), S_OK);
        EXPECT_NE(ui, ticket);
        EXPECT_EQ(static_cast<IPrintOemPrintTicketProvider*>(ticket)->AddRef(), 4u);
        EXPECT_EQ(static_cast<IPrintOemUI2*>(ui)->Release(), 3u);
        void* back = nullptr;
        ASSERT_EQ(static_cast<IUnknown*>(ticket)->QueryInterface(IID_IUnknown, &back), S_OK);
        EXPECT_EQ(back, ui);
        static_cast<IUnknown*>(back)->Release();
        static_cast<IUnknown*>(ticket)->Release();
        static_cast<IUnknown*>(ticket)->Release();

        for (const IID& iid : {IID_IClassFactory, IID_IPrintOemUni, IID_IPrintOemDriverUI}) {
            void* face = reinterpret_cast<void*>(1);
            EXPECT_EQ(static_cast<DWORD>(unknown->QueryInterface(iid, &face)), 0x80004002u);
            EXPECT_EQ(face, nullptr);
        }
        EXPECT_EQ(unknown->Release(), 0u);
        factory->Release();
    }
}

TEST_F(LibraryTest, CannotUnloadWhileAFactoryAnObjectOrALockLives) {
    IClassFactory* factory = Factory();
    EXPECT_EQ(m_library->DllCanUnloadNow(), S_FALSE);  // the factory
    void* object = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI2, &object), S_OK);
    factory->Release();
    EXPECT_EQ(m_library->DllCanUnloadNow(), S_FALSE);  // the object
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(m_library->DllCanUnloadNow(), S_OK);

    factory = Factory();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(m_library->DllCanUnloadNow(), S_FALSE);  // the lock
    factory = Factory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(m_library->DllCanUnloadNow(), S_OK);
}

TEST_F(LibraryTest, HoldsTheDriverUseMutexWhileLoaded) {
    EXPECT_TRUE(DriverInUse());
    m_library.reset();
    EXPECT_FALSE(DriverInUse());
}

TEST(LibraryState, DetachFreesTheDeviceListAndTheMutexEvenWhenTheMutexExistedAlready) {
    palvex::TestMachine machine;
    HANDLE other = CreateMutexW(nullptr, FALSE, kDriverUseMutex);  // another process's driver library
    ui::AttachProcess(nullptr);
    ASSERT_NE(ui::DeviceDataLock(), nullptr);
    EnterCriticalSection(ui::DeviceDataLock());
    for (int i = 0; i < 3; ++i) {
        auto* node = static_cast<ui::DeviceDataNode*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ui::DeviceDataNode)));
        node->m_record = HeapAlloc(GetProcessHeap(), 0, 64);
        node->m_next = ui::DeviceDataList();
        ui::DeviceDataList() = node;
    }
    LeaveCriticalSection(ui::DeviceDataLock());
    CloseHandle(other);
    EXPECT_TRUE(DriverInUse());  // the library still holds the name

    ui::DetachProcess();  // the records and nodes go back to the heap (the sanitizer build checks it)
    EXPECT_EQ(ui::DeviceDataList(), nullptr);
    EXPECT_EQ(ui::DeviceDataLock(), nullptr);
    EXPECT_FALSE(DriverInUse());
}

}  // namespace
}  // namespace uitest
