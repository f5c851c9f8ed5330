// Hook 17: after a merge that asks for duplex on a printer that duplexes by hand, the model's
// manual-duplex helper program (the driver's "MDN.EXE" file) is started once per session and
// told, through its named pipe, which process prints to which printer.
#include <win/psapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "coresources.h"
#include "model_hooks.h"
#include "settings_binding.h"

namespace {

constexpr DWORD kPrinterNameUnits = 260;
constexpr DWORD kMessageBytes = sizeof(DWORD) + kPrinterNameUnits * sizeof(WCHAR);  // 524
constexpr DWORD kPipeNameUnits = 260;
constexpr DWORD kDuplexManual = 2;
constexpr DWORD kDuplexManualBack = 3;
constexpr DWORD kStartWait = 500;

// The printer duplexes by hand (_DUPLEXTYPE 2 or 3).
bool DuplexesByHand(HANDLE printer) {
    IDrvSettings* settings = nullptr;
    if (FAILED(CreateBoundSettings(printer, SETTINGS_MODE_PRINTER, &settings))) return false;
    DWORD duplexType = 0;
    const bool read =
        SUCCEEDED(settings->GetFieldValue(nullptr, u"_DUPLEXTYPE", &duplexType, sizeof duplexType, SETTINGS_SELECT_PRINTER));
    settings->Release();
    return read && (duplexType == kDuplexManual || duplexType == kDuplexManualBack);
}

bool RunningInSpooler() {
    HMODULE first = nullptr;
    DWORD needed = 0;
    WCHAR name[MAX_PATH] = {};
    return EnumProcessModules(GetCurrentProcess(), &first, sizeof first, &needed) &&
           GetModuleBaseNameW(GetCurrentProcess(), first, name, MAX_PATH) && lstrcmpiW(name, u"spoolsv.exe") == 0;
}

bool StartHelper(const std::u16string& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::u16string application = path;
    if (!CreateProcessW(application.data(), nullptr, nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &started))
        return false;
    Sleep(kStartWait);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return true;
}

// The 524-byte message: this process's id and the printer's name; false when the printer's
// information cannot be read.
bool BuildMessage(HANDLE printer, BYTE (&message)[kMessageBytes]) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2W)) return false;
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed)) return false;
    const LPCWSTR name = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->pPrinterName;
    std::memset(message, 0, sizeof message);
    const DWORD id = GetCurrentProcessId();
    std::memcpy(message, &id, sizeof id);
    if (name) {
        // At most 259 units, so that the name always ends with a NUL inside its field.
        const size_t units = std::min<size_t>(lstrlenW(name), kPrinterNameUnits - 1);
        std::memcpy(message + sizeof id, name, units * sizeof(WCHAR));
    }
    return true;
}

void SendMessageToHelper(const std::u16string& pipeName, const BYTE (&message)[kMessageBytes]) {
    WaitNamedPipeW(pipeName.c_str(), NMPWAIT_USE_DEFAULT_WAIT);
    HANDLE pipe =
        CreateFileW(pipeName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(pipe, message, kMessageBytes, &written, nullptr);
    CloseHandle(pipe);
}

}  // namespace

void hrOEMStartDuplexHelper(HANDLE printer, PDEVMODEW) {
    if (printer == INVALID_HANDLE_VALUE || !DuplexesByHand(printer) || RunningInSpooler()) return;
    IDrvResources* resources = nullptr;
    if (FAILED(CreateResources(&resources, printer, nullptr)) || !resources) return;
    const LPCWSTR helper = resources->GetMdnFileName();
    const std::u16string path = helper ? std::u16string(helper) : std::u16string();
    resources->Release();
    const size_t slash = path.rfind(u'\\');
    if (slash == std::u16string::npos) return;
    const std::u16string baseName = path.substr(slash + 1);
    if (!IsProcessRunning(baseName.c_str()) && !StartHelper(path)) return;

    const size_t dot = baseName.rfind(u'.');
    std::u16string pipeName = u"\\\\.\\pipe\\" + baseName.substr(0, dot);
    if (pipeName.size() > kPipeNameUnits - 1) pipeName.resize(kPipeNameUnits - 1);
    BYTE message[kMessageBytes];
    if (!BuildMessage(printer, message)) return;
    SendMessageToHelper(pipeName, message);
}
