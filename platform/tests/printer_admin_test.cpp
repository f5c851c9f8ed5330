// Deleting printers and drivers, the spooler's hold on a driver, and the user's default printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/services.h>
#include <palvex/spooler_admin.h>
#include <win/windows.h>
#include <win/winspool_admin.h>
#include <win/winsvc.h>

namespace {

constexpr char16_t kDrivers[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\";

void PutFile(const std::u16string& name) {
    const auto host = palvex::HostPath(kDrivers + name);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host) << "MZ";
}

bool Exists(const std::u16string& name) { return std::filesystem::exists(palvex::HostPath(kDrivers + name)); }

DWORD DeleteDriver(const char16_t* name, DWORD flags = DPD_DELETE_UNUSED_FILES) {
    std::u16string driver = name;
    return DeletePrinterDriverExW(nullptr, nullptr, driver.data(), flags, 0) ? ERROR_SUCCESS : GetLastError();
}

DWORD DeleteByName(const char16_t* name, DWORD access = PRINTER_ALL_ACCESS) {
    std::u16string printer = name;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE handle = nullptr;
    if (!OpenPrinterW(printer.data(), &handle, &defaults)) return GetLastError();
    const DWORD result = DeletePrinter(handle) ? ERROR_SUCCESS : GetLastError();
    ClosePrinter(handle);
    return result;
}

void StopSpooler() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
    SC_HANDLE spooler = OpenServiceW(manager, u"spooler", SERVICE_STOP);
    SERVICE_STATUS status{};
    ControlService(spooler, SERVICE_CONTROL_STOP, &status);
    CloseServiceHandle(spooler);
    CloseServiceHandle(manager);
}

TEST(PrinterAdmin, DriversGoWhenNothingUsesThem) {
    palvex::TestMachine machine;
    for (const char16_t* file : {u"A.GPD", u"SHARED.DLL", u"B.GPD"}) PutFile(file);
    palvex::DriverDesc a;
    a.name = u"Driver A";
    a.dataFile = u"A.GPD";
    a.dependentFiles = {u"SHARED.DLL"};
    palvex::DriverDesc b;
    b.name = u"Driver B";
    b.dataFile = u"B.GPD";
    b.dependentFiles = {u"SHARED.DLL"};
    palvex::AddDriver(a);
    palvex::AddDriver(b);
    palvex::AddPrinter(u"P", u"Driver A");

    EXPECT_EQ(DeleteDriver(u"Driver A"), static_cast<DWORD>(ERROR_PRINTER_DRIVER_IN_USE));
    EXPECT_EQ(DeleteByName(u"P"), ERROR_SUCCESS);
    palvex::HoldDriverFiles(u"Driver A");
    EXPECT_EQ(DeleteDriver(u"Driver A"), static_cast<DWORD>(ERROR_PRINTER_DRIVER_IN_USE));
    StopSpooler();  // a stopped spooler lets go of every driver, and answers nothing meanwhile
    EXPECT_EQ(DeleteDriver(u"Driver A"), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
    palvex::ServiceDesc spooler;
    spooler.name = u"Spooler";
    palvex::AddService(spooler);
    EXPECT_EQ(DeleteDriver(u"Driver A"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(u"A.GPD"));
    EXPECT_TRUE(Exists(u"SHARED.DLL"));  // Driver B still lists it
    EXPECT_EQ(DeleteDriver(u"Driver A"), static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER));
    EXPECT_EQ(palvex::ListDrivers().size(), 1u);
}

TEST(PrinterAdmin, PrintersWithJobsOrWithoutTheRightStay) {
    palvex::TestMachine machine;
    machine.AddPrinterWithDriver(u"Busy");
    machine.AddPrinterWithDriver(u"Plain");
    palvex::JobDesc job;
    job.printerName = u"Busy";
    job.documentName = u"Doc";
    palvex::AddJob(job);
    EXPECT_EQ(DeleteByName(u"Busy"), static_cast<DWORD>(ERROR_PRINTER_HAS_JOBS_QUEUED));
    EXPECT_EQ(DeleteByName(u"Plain", PRINTER_ACCESS_USE), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(palvex::ListPrinters().size(), 2u);
    EXPECT_EQ(DeleteByName(u"Plain"), ERROR_SUCCESS);
    EXPECT_EQ(DeleteByName(u"Plain"), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
}

TEST(PrinterAdmin, TheUsersDefaultPrinter) {
    palvex::TestMachine machine;
    WCHAR name[8] = {};
    DWORD size = 8;
    EXPECT_FALSE(GetDefaultPrinterW(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetDefaultPrinterW(u"Nobody"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));

    machine.AddPrinterWithDriver(u"Second Floor");
    ASSERT_TRUE(SetDefaultPrinterW(u"second floor"));  // stored as the spooler spells it
    size = 8;
    EXPECT_FALSE(GetDefaultPrinterW(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, 13u);
    WCHAR full[13] = {};
    ASSERT_TRUE(GetDefaultPrinterW(full, &size));
    EXPECT_EQ(std::u16string(full), u"Second Floor");
}

}  // namespace
