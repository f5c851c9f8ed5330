// The service control manager on the machine's services: states on the machine clock, stops
// refused while dependents run, dependents listed deepest first.
#include <gtest/gtest.h>

#include <vector>

#include <palvex/clock.h>
#include <palvex/machine.h>
#include <palvex/services.h>
#include <win/windows.h>
#include <win/winsvc.h>

namespace {

struct Services {
    palvex::TestMachine machine;
    SC_HANDLE manager = nullptr;
    Services() {
        SYSTEMTIME start{2026, 12, 5, 11, 9, 0, 0, 0};
        palvex::SetVirtualClock(start);
        manager = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
    }
    ~Services() { CloseServiceHandle(manager); }
    SC_HANDLE Open(const char16_t* name, DWORD access) { return OpenServiceW(manager, name, access); }
    DWORD State(SC_HANDLE service) {
        SERVICE_STATUS status{};
        return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
    }
};

constexpr DWORD kAll = SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS;

TEST(ServiceControl, StopAndStartTakeTheirTimeOnTheMachineClock) {
    Services services;
    palvex::SetServiceTiming(u"spooler", 2000, 1000);
    SC_HANDLE spooler = services.Open(u"Spooler", kAll);
    ASSERT_NE(spooler, nullptr);
    EXPECT_EQ(services.State(spooler), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_FALSE(StartServiceW(spooler, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));

    SERVICE_STATUS status{};
    ASSERT_TRUE(ControlService(spooler, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_GT(status.dwWaitHint, 0u);
    EXPECT_FALSE(palvex::SpoolerRuns());
    Sleep(1999);
    EXPECT_EQ(services.State(spooler), static_cast<DWORD>(SERVICE_STOP_PENDING));
    Sleep(1);
    EXPECT_EQ(services.State(spooler), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_FALSE(ControlService(spooler, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));

    ASSERT_TRUE(StartServiceW(spooler, 0, nullptr));
    EXPECT_EQ(services.State(spooler), static_cast<DWORD>(SERVICE_START_PENDING));
    Sleep(1000);
    EXPECT_EQ(services.State(spooler), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(palvex::SpoolerRuns());
    CloseServiceHandle(spooler);
}

palvex::ServiceDesc Dependent(const char16_t* name, const char16_t* on, bool running = true) {
    palvex::ServiceDesc service;
    service.name = name;
    service.dependsOn = {on};
    service.running = running;
    return service;
}

TEST(ServiceControl, DependentsAreListedAndMustStopFirst) {
    Services services;
    palvex::AddService(Dependent(u"Fax", u"spooler"));
    palvex::AddService(Dependent(u"FaxMonitor", u"Fax"));
    palvex::AddService(Dependent(u"Idle", u"spooler", false));
    SC_HANDLE spooler = services.Open(u"spooler", kAll);

    DWORD needed = 0, count = 0;
    EXPECT_FALSE(EnumDependentServicesW(spooler, SERVICE_ACTIVE, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    std::vector<BYTE> buffer(needed);
    auto* list = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
    ASSERT_TRUE(EnumDependentServicesW(spooler, SERVICE_ACTIVE, list, needed, &needed, &count));
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(std::u16string(list[0].lpServiceName), u"FaxMonitor");
    EXPECT_EQ(std::u16string(list[1].lpServiceName), u"Fax");
    ASSERT_TRUE(EnumDependentServicesW(spooler, SERVICE_INACTIVE, list, needed, &needed, &count));
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(std::u16string(list[0].lpServiceName), u"Idle");

    SERVICE_STATUS status{};
    EXPECT_FALSE(ControlService(spooler, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEPENDENT_SERVICES_RUNNING));
    CloseServiceHandle(spooler);
}

TEST(ServiceControl, HandlesAndNames) {
    Services services;
    EXPECT_EQ(services.Open(u"NoSuchService", kAll), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(OpenSCManagerW(u"\\\\OTHER", nullptr, GENERIC_EXECUTE), nullptr);
    SC_HANDLE queryOnly = services.Open(u"spooler", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    EXPECT_FALSE(ControlService(queryOnly, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(CloseServiceHandle(queryOnly));
    EXPECT_FALSE(CloseServiceHandle(queryOnly));
    EXPECT_FALSE(QueryServiceStatus(queryOnly, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
