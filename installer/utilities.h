// The installer's free routines over the system: where the program lies, file versions and their
// comparison, text helpers for command lines, file names and printer names, addresses and the
// standard TCP/IP port, the Windows version, the driver-use test, printer and driver lists, and
// registry trees. They keep no state; failures that matter go to the installer log.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

#include <win/windows.h>

// Program location.
std::u16string GetModulePath();  // the program's folder with a trailing backslash
std::u16string GetModuleName();

// Versions.
BOOL GetFileVersion(const std::u16string& file, std::u16string& version);
BOOL GetProductVersion(const std::u16string& file, std::u16string& version);
// Four fields of at least four digits each ("%04d" each); missing fields count as 0.
std::u16string NormalizeVersion(const std::u16string& version);
// Negative when first is newer, 0 when equal, positive when second is newer.
int CompareVersion(const std::u16string& first, const std::u16string& second);

// Texts.
// printf-style text of at most limit characters; *whole (when given) is false when the text was
// cut to the limit.
std::u16string FormatTextV(size_t limit, const char16_t* format, va_list arguments, bool* whole = nullptr);
std::u16string FormatText(size_t limit, const char16_t* format, ...);
std::u16string EscapeQuotes(const std::u16string& text);
// The text in capitals, as the system compares names of printers, drivers and devices; a null
// text counts as empty.
std::u16string UpperCase(std::u16string text);
std::u16string UpperCase(const WCHAR* text);
std::u16string MakeFileNameSafe(const std::u16string& text);
std::u16string MakeUniqueName(const std::u16string& base, const std::vector<std::u16string>& used);
BOOL MakeNetworkPrinterName(const std::u16string& printerName, std::u16string& displayName);
BOOL IsIppPort(const std::u16string& portName);

// Network.
BOOL CheckIPAddr(const std::u16string& address);

// System.
WORD GetNativeArchitecture();
BOOL IsWindowsVersionOrLater(DWORD major, DWORD minor);
// TRUE when some process holds the mutex "VORTAN_<market>_DRIVERUSE_MUTEX".
BOOL CheckDriverActive(const std::u16string& marketName);

// Printers and drivers. Each list lives in buffers the caller frees with FreeList.
struct PrinterList {
    std::vector<BYTE> local;
    std::vector<BYTE> connections;
    std::vector<BYTE> joined;  // the records of both, pointing into the two buffers above
    DWORD count = 0;
};
BOOL GetPrinterInfo2(const std::u16string& printerName, std::vector<BYTE>& record, DWORD& error);
BOOL EnumPrinters2(DWORD flags, std::vector<BYTE>& buffer, DWORD& count);
BOOL EnumPrinters5(DWORD flags, std::vector<BYTE>& buffer, DWORD& count);
BOOL EnumAllPrinters2(PrinterList& list, DWORD& error);
BOOL EnumAllPrinters5(PrinterList& list, DWORD& error);
BOOL EnumPrinterDrivers3(const WCHAR* environment, std::vector<BYTE>& buffer, DWORD& count, DWORD& error);
BOOL ExistPrinterDriver(const std::u16string& driverName);
BOOL CheckInstallPrinter(const std::u16string& printerName);
BOOL HasPendingJobs(const std::u16string& driverName);
BOOL ExistPrinter(const std::u16string& printerName, DWORD& error);

// Registry. path is a writable buffer of kRegistryPathLength characters.
inline constexpr size_t kRegistryPathLength = 520;
BOOL RegDeleteKeyTree(HKEY root, WCHAR* path);
BOOL DeleteRegistryTree(const std::u16string& path);

// Folders (a trailing backslash of an argument is dropped first).
BOOL DsDeleteDirectoryOnReboot(const std::u16string& folder);
BOOL DsDeleteDirectory(const std::u16string& folder);
BOOL DsCreateDirectory(const std::u16string& folder);
// The source's contents into the target through the shell, or file by file.
BOOL DsCopyDirectory(const std::u16string& source, const std::u16string& target);
BOOL DsCopyDirectory2(const std::u16string& source, const std::u16string& target);
// 0: the current user may write into the folder; 1: not; 2: neither it nor a parent exists;
// 3: the check itself failed.
int CheckFolderAccess(const std::u16string& folder);

// Asks Windows to restart.
void RestartWindows();

// The standard TCP/IP port "IP_<address>" (raw, port 9100) through the port monitor; TRUE only
// when the monitor reports the port made.
BOOL XcvAddPort(const std::u16string& address);
BOOL AddStandardPort(const std::u16string& address, std::u16string& portName);

// Membership of the current user in the built-in Administrators group.
BOOL IsAdminUser();
