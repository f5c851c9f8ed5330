// The shared printer operations of the install, update and removal runs.
#include "printer_operations.h"

#include <cstdarg>

#include <win/processthreadsapi.h>
#include <win/shellapi.h>
#include <win/synchapi_events.h>
#include <win/winspool_admin.h>
#include <win/winspool_levels.h>

#include "drv_data.h"
#include "pardex_dlg.h"
#include "progress_dialog.h"
#include "utilities.h"

namespace {

constexpr char16_t kRundll[] = u"rundll32.exe printui.dll,PrintUIEntry ";

// "PrintUI.exe " on Windows 6.0 and later, the rundll32 entry before.
std::u16string Program() { return IsWindowsVersionOrLater(6, 0) ? u"PrintUI.exe " : kRundll; }

}  // namespace

namespace commands {

std::u16string AddPrinter(const std::u16string& printerName, const std::u16string& infPath,
                          const std::u16string& portName, const std::u16string& modelName,
                          const std::u16string& shareName) {
    std::u16string line = FormatText(2047, u"/if /b \"%s\" /f \"%s\" /r \"%s\" /m \"%s\"", EscapeQuotes(printerName).c_str(),
                                 infPath.c_str(), portName.c_str(), modelName.c_str());
    if (!shareName.empty()) line += u" /Z \"" + shareName + u"\"";
    return Program() + line;
}

std::u16string AddDriver(const std::u16string& modelName, const std::u16string& architecture,
                         const std::u16string& infPath, bool vistaOrLater) {
    if (vistaOrLater)
        return FormatText(2047, u"PrintUI.exe /ia /K /m \"%s\" /h \"%s\" /v 3 /f \"%s\"", EscapeQuotes(modelName).c_str(),
                      architecture.c_str(), infPath.c_str());
    return std::u16string(kRundll) + FormatText(2047, u"/ia /K /m \"%s\" /h \"%s\" /f \"%s\"", EscapeQuotes(modelName).c_str(),
                                            architecture.c_str(), infPath.c_str());
}

std::u16string AddConnection(const std::u16string& printerName, const std::u16string& infPath,
                             const std::u16string& portName, const std::u16string& modelName) {
    return Program() + FormatText(2047, u"/in /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\"", EscapeQuotes(printerName).c_str(),
                              infPath.c_str(), portName.c_str(), EscapeQuotes(modelName).c_str());
}

std::u16string SetComment(const std::u16string& printerName, const std::u16string& comment) {
    return Program() +
           FormatText(2047, u"/Xs /n \"%s\" comment \"%s\"", EscapeQuotes(printerName).c_str(), EscapeQuotes(comment).c_str());
}

std::u16string DeleteConnection(const std::u16string& printerName) {
    return Program() + FormatText(2047, u"/dn /n \"%s\"", EscapeQuotes(printerName).c_str());
}

std::u16string SaveSettings(const std::u16string& printerName, const std::u16string& file) {
    return Program() + FormatText(2047, u"/Ss /n \"%s\" /a \"%s\"", EscapeQuotes(printerName).c_str(), file.c_str());
}

std::u16string RestoreSettings(const std::u16string& printerName, const std::u16string& file) {
    return Program() + FormatText(2047, u"/Sr /n \"%s\" /a \"%s\" f d", EscapeQuotes(printerName).c_str(), file.c_str());
}

std::u16string DeletePackage(const std::u16string& publishedInf) {
    return FormatText(2047, u"PnPUtil -f -d \"%s\"", publishedInf.c_str());
}

}  // namespace commands

BOOL RunProcess(const std::u16string& commandLine, CDrvData* drvData, DWORD& exitCode, DWORD& lastError) {
    const size_t blank = commandLine.find(u' ');
    const std::u16string file = commandLine.substr(0, blank);
    const std::u16string parameters = blank == std::u16string::npos ? std::u16string{} : commandLine.substr(blank + 1);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = u"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info)) {
        lastError = GetLastError();
        drvData->WriteLogFormat(0, u"ShellExecuteEx Failed. %d\r\n", static_cast<int>(lastError));
        return FALSE;
    }
    const DWORD timeout = static_cast<DWORD>(drvData->GetExeTimeout()) * 1000;
    if (WaitForSingleObject(info.hProcess, timeout) == WAIT_TIMEOUT) {
        drvData->WriteLogFormat(0, u"Run Timeout\r\n");
        CloseHandle(info.hProcess);
        return FALSE;
    }
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    if (exitCode == 0) return TRUE;
    // The command's own code tells why it failed; the thread's last error would be a stale value.
    lastError = exitCode;
    drvData->WriteLogFormat(0, u"ExitCode %d LastError %d\r\n", static_cast<int>(exitCode), static_cast<int>(lastError));
    return FALSE;
}

BOOL SetPrinterComment(CDrvData* drvData, DWORD& exitCode, DWORD& lastError) {
    drvData->WriteLogFormat(3, u"SetPrinterComment\r\n");
    const std::u16string line = commands::SetComment(drvData->m_printerName, drvData->m_comment);
    drvData->WriteLogFormat(1, u"%s\r\n", line.c_str());
    if (!RunProcess(line, drvData, exitCode, lastError)) {
        drvData->WriteLogFormat(0, u"Comment Failed (Exit:%d Error:%d)\r\n", static_cast<int>(exitCode),
                                static_cast<int>(lastError));
        return FALSE;
    }
    std::vector<BYTE> info;
    DWORD error = 0;
    if (!GetPrinterInfo2(drvData->m_printerName, info, error)) {
        drvData->WriteLogFormat(0, u"GetPrinterInfo2 Failed (Error:%d)\r\n", static_cast<int>(error));
        return FALSE;
    }
    const auto* printer = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    return std::u16string(printer->pComment ? printer->pComment : u"") == drvData->m_comment;
}

BOOL RunInstall(const std::u16string& printerName, const std::u16string& portName, const std::u16string& shareName,
                CDrvData* drvData, DWORD& exitCode, DWORD& lastError) {
    exitCode = 0;
    lastError = 0;
    const std::u16string line = commands::AddPrinter(printerName, drvData->GetInfPath(), portName,
                                                     EscapeQuotes(drvData->GetModelName()), shareName);
    drvData->WriteLogFormat(1, u"%s\r\n", line.c_str());
    if (!RunProcess(line, drvData, exitCode, lastError)) return FALSE;
    if (shareName.empty()) return TRUE;

    std::u16string name = printerName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, &defaults)) {
        drvData->WriteLogFormat(0, u"OpenPrinter Error (%d)\r\n", static_cast<int>(GetLastError()));
        return FALSE;
    }
    DWORD needed = 0;
    std::vector<BYTE> info(84, 0);
    BOOL read = GetPrinterW(printer, 2, info.data(), static_cast<DWORD>(info.size()), &needed);
    if (!read) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            drvData->WriteLogFormat(0, u"GetPrinter Error (%d)\r\n", static_cast<int>(GetLastError()));
            ClosePrinter(printer);
            return FALSE;
        }
        info.assign(needed, 0);
        if (!GetPrinterW(printer, 2, info.data(), needed, &needed)) {
            drvData->WriteLogFormat(0, u"GetPrinter 2 Error (%d)\r\n", static_cast<int>(GetLastError()));
            ClosePrinter(printer);
            return FALSE;
        }
    }
    auto* record = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
    drvData->WriteLogFormat(1, u"before %s\r\n", record->pShareName ? record->pShareName : u"");
    std::u16string share = shareName.substr(0, 1024);
    record->pShareName = share.data();
    drvData->WriteLogFormat(1, u"after %s\r\n", record->pShareName);
    const BOOL set = SetPrinterW(printer, 2, info.data(), 0);
    if (!set) {
        lastError = GetLastError();
        drvData->WriteLogFormat(0, u"SetPrinter Error (%d)\r\n", static_cast<int>(lastError));
    }
    ClosePrinter(printer);
    return set;
}

BOOL RunInstallDriver(CDrvData* drvData, DWORD& exitCode, DWORD& lastError, WORD architecture) {
    const std::u16string line =
        commands::AddDriver(drvData->GetModelName(), architecture == 9 ? u"x64" : u"x86", drvData->GetInfPath(),
                            IsWindowsVersionOrLater(6, 0));
    drvData->WriteLogFormat(1, u"%s\r\n", line.c_str());
    return RunProcess(line, drvData, exitCode, lastError);
}

BOOL RunInstallNetwork(CDrvData* drvData, const std::u16string& printerName, const std::u16string& portName,
                       DWORD& exitCode, DWORD& lastError) {
    exitCode = 0;
    lastError = 0;
    const std::u16string line =
        commands::AddConnection(printerName, drvData->GetInfPath(), portName, drvData->GetModelName());
    drvData->WriteLogFormat(1, u"%s\r\n", line.c_str());
    return RunProcess(line, drvData, exitCode, lastError);
}

BOOL DeleteInstalledPrinters(const std::vector<std::u16string>& names, const std::vector<DWORD>& attributes,
                             CDrvData* drvData, DWORD& lastError, HWND progressWindow) {
    const size_t count = std::min(names.size(), attributes.size());
    for (size_t i = 0; i < count; ++i) {
        drvData->WriteLogFormat(3, u"Printer %s Attribute %x)\r\n", names[i].c_str(), attributes[i]);
        if (IsPrinterConnection(attributes[i])) {
            const std::u16string line = commands::DeleteConnection(names[i]);
            drvData->WriteLogFormat(1, u"%s\r\n", line.c_str());
            DWORD exitCode = 0;
            if (!RunProcess(line, drvData, exitCode, lastError)) {
                drvData->WriteLogFormat(0, u"Delete Network Printer Failed (Exit:%d Error:%d)\r\n",
                                        static_cast<int>(exitCode), static_cast<int>(lastError));
                return FALSE;
            }
        } else {
            std::u16string name = names[i];
            PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
            HANDLE printer = nullptr;
            if (OpenPrinterW(name.data(), &printer, &defaults)) {  // one that cannot be opened is skipped
                const BOOL deleted = DeletePrinter(printer);
                const DWORD error = GetLastError();
                ClosePrinter(printer);
                if (!deleted) {
                    lastError = error;
                    drvData->WriteLogFormat(0, u"Delete Printer Failed (Error:%d)\r\n", static_cast<int>(lastError));
                    return FALSE;
                }
            }
        }
        if (progressWindow)
            PostMessageW(progressWindow, WM_NOTIFY_PROGRESS, static_cast<WPARAM>(70 * i / count), 0);
    }
    return TRUE;
}

BOOL CheckUpdatePrinters(HWND owner, CDrvData* drvData) {
    PrinterList list;
    DWORD error = 0;
    if (!EnumAllPrinters2(list, error)) list.count = 0;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(list.joined.data());
    bool ipp = false, denied = false, unreachable = false;
    const std::u16string model = UpperCase(drvData->GetModelName());
    for (DWORD i = 0; i < list.count; ++i) {
        const PRINTER_INFO_2W& printer = printers[i];
        drvData->WriteLogFormat(3, u"Check[%d] %s %s\r\n", static_cast<int>(i),
                                printer.pDriverName ? printer.pDriverName : u"", printer.pPrinterName);
        if (UpperCase(printer.pDriverName ? printer.pDriverName : u"") != model) continue;
        if (IsIppPort(printer.pPortName ? printer.pPortName : u"")) ipp = true;
        if (IsPrinterConnection(printer.Attributes)) {
            DWORD openError = 0;
            if (!ExistPrinter(printer.pPrinterName, openError)) {
                if (openError == ERROR_ACCESS_DENIED) denied = true;
                else unreachable = true;
                drvData->WriteLogFormat(0, u"Cannot open Check[%d] %s %d\r\n", static_cast<int>(i), printer.pPrinterName,
                                        static_cast<int>(openError));
            }
        }
    }
    const std::pair<bool, const char16_t*> warnings[] = {
        {ipp, u"UpdateIppWarning"}, {denied, u"UpdateNetPrintDenyAccess"}, {unreachable, u"UpdateNetPrintWarning"}};
    for (const auto& [set, key] : warnings)
        if (set && ShowMessageBox(drvData, owner, key, 0x134) == IDNO) return FALSE;
    return TRUE;
}

std::u16string MakeBatchPrinterName(const std::u16string& wanted, const PRINTER_INFO_5W* printers, DWORD count,
                                    const std::vector<std::u16string>& batch, int ownIndex) {
    const std::u16string base = wanted.size() > 44 ? wanted.substr(0, 44) : wanted;
    auto collides = [&](const std::u16string& candidate) {
        const std::u16string key = UpperCase(candidate);
        for (DWORD i = 0; i < count; ++i)
            if (printers[i].pPrinterName && UpperCase(printers[i].pPrinterName) == key) return true;
        for (size_t i = 0; i < batch.size(); ++i)
            if (static_cast<int>(i) != ownIndex && UpperCase(batch[i]) == key) return true;
        return false;
    };
    std::u16string candidate = wanted.size() > 50 ? wanted.substr(0, 50) : wanted;
    if (!collides(candidate)) return candidate;
    for (int n = 1; n <= 999; ++n) {
        candidate = FormatText(2047, u"%s(%d)", base.c_str(), n);
        if (!collides(candidate)) return candidate;
    }
    return candidate;
}

std::u16string GetNewPrinterName(const std::u16string& wanted, const std::vector<std::u16string>& batch, int ownIndex,
                                 CDrvData* drvData) {
    PrinterList list;
    DWORD error = 0;
    if (!EnumAllPrinters5(list, error)) {
        drvData->WriteLogFormat(0, error == RPC_S_SERVER_UNAVAILABLE ? u"RPC_S_SERVER_UNAVAILABLE\r\n"
                                                                      : u"MakePrinterName Failed.\r\n");
        return {};
    }
    return MakeBatchPrinterName(wanted, reinterpret_cast<const PRINTER_INFO_5W*>(list.joined.data()), list.count, batch,
                                ownIndex);
}
