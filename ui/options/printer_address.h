// The values of one printer that live outside the settings blocks: its network address (printer
// data "PrinterIPaddr", or the host of its standard TCP/IP port) and the user's held-job and
// user-tracking accounts (REG_SZ values under the HKCU key
// "Software\Orlune\<Model>\<printer>\PrinterDriverData", which the render plug-in reads for
// every job header).
//
// These are the address and account operations of the sheet's system functions; they reach the
// sheet through QVPrinterContext (printer handle, name and settings object), and report a failure
// only by 0 and a level-1 trace under the system functions' names.
#pragma once

#include <win/windows.h>

#include "codrvsettings.h"

class QORVAOptItemHandlerFactory;

// Characters of the address and account buffers, the terminating NUL included.
inline constexpr DWORD kAddressChars = 64;
inline constexpr DWORD kAccountChars = 64;

struct QVPrinterContext {
    HANDLE m_printer = nullptr;       // the sheet's printer handle
    LPCWSTR m_printerName = nullptr;
    IDrvSettings* m_settings = nullptr;
};

// The context of a sheet's factory (empty members where the factory lacks them).
QVPrinterContext PrinterContextOf(QORVAOptItemHandlerFactory* factory);

class QVPrinterAccess {
public:
    explicit QVPrinterAccess(const QVPrinterContext& context) : m_context(context) {}

    // The printer's address into address. *capacity: the buffer's characters in (at least 16),
    // the copied length out. With "_QV_GETCONF_SOURCE" non-zero, "PrinterIPaddr" when it is a
    // dotted IPv4 address whose first number is 1-223 other than 127; with 0, the "IPAddress"
    // (else "HostName") of the printer's standard TCP/IP port. 1 when an address was copied.
    BOOL GetIPAddressString(LPWSTR address, DWORD* capacity);
    // Writes "PrinterIPaddr" (REG_SZ, as typed) through a handle of its own with full access.
    BOOL SetIPAddressString(LPCWSTR address);

    // Read both values of an account, each cut to fit its buffer (at most 63 characters).
    // 1 when both were read; otherwise what was read so far stays in the buffers.
    BOOL GetSecPrintAccount(LPWSTR id, DWORD idCapacity, LPWSTR password, DWORD passwordCapacity);
    BOOL GetUserTraceAccount(LPWSTR id, DWORD idCapacity, LPWSTR password, DWORD passwordCapacity);
    // Write both values of an account, or neither: when the password cannot be written the ID
    // is put back as it was. 1 when both were written.
    BOOL SetSecPrintAccount(LPCWSTR id, LPCWSTR password);
    BOOL SetUserTraceAccount(LPCWSTR id, LPCWSTR password);

private:
    BOOL GetAccount(LPCWSTR caller, LPCWSTR idName, LPCWSTR passwordName, LPWSTR id, DWORD idCapacity, LPWSTR password,
                    DWORD passwordCapacity);
    BOOL SetAccount(LPCWSTR caller, LPCWSTR idName, LPCWSTR passwordName, LPCWSTR id, LPCWSTR password);
    // "Software\Orlune\<Model>\<printer>\PrinterDriverData"; FALSE (traced) without a model.
    BOOL AccountKeyPath(LPCWSTR caller, LPWSTR path, DWORD capacity);
    BOOL AddressFromPort(HANDLE printer, LPWSTR address, DWORD* capacity);

    QVPrinterContext m_context;
};

// A typed address the device page may use: a dotted IPv4 address whose first number lies in
// 1-223 and is not 127.
bool IsUsableIPv4Address(LPCWSTR text);

// Whether a user-tracking ID may also serve as the held-job ID: not empty, and every character
// half-width and none katakana (GetStringTypeExW, CT_CTYPE3).
bool IsHeldJobFitId(LPCWSTR id);
