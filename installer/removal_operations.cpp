// The old driver's pieces taken off the system, and the installer kept for its removal.
#include "removal_operations.h"

#include <win/fileapi.h>
#include <win/libloaderapi.h>
#include <win/setupapi.h>
#include <win/sysinfoapi_product.h>
#include <win/shlobj.h>
#include <win/winfiles_move.h>
#include <win/winfiles_temp.h>
#include <win/winreg.h>
#include <win/winspool_admin.h>
#include <win/winspool_levels.h>

#include "drv_data.h"
#include "printer_operations.h"
#include "progress_dialog.h"
#include "utilities.h"

namespace {

// The functions looked up at run time, which older systems do not have.
using StoreLocationProc = BOOL (*)(LPCWSTR, const void*, LPCWSTR, LPWSTR, DWORD, LPDWORD);
using RedirectionProc = BOOL (*)(PVOID*);
using RevertProc = BOOL (*)(PVOID);

// A looked-up function as the type it has.
template <typename Proc>
Proc AsProc(FARPROC function) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(function));
}

std::u16string Lower(std::u16string text) {
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

std::u16string WithoutTrailingBackslash(std::u16string path) {
    while (!path.empty() && path.back() == u'\\') path.pop_back();
    return path;
}

// Copies a folder of the program into the install folder, again when the first try fails. A
// folder that is not there is a failed copy, as the shell's copy reports it.
BOOL CopyFolder(CDrvData* drvData, const std::u16string& source, const std::u16string& target) {
    const DWORD attributes = GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return FALSE;
    if (DsCopyDirectory(source, target)) return TRUE;
    drvData->WriteLogFormat(1, u"DsCopyDirectory -> DsCopyDirectory2 %s\r\n", source.c_str());
    return DsCopyDirectory2(source, target);
}

// A file of the program copied over a read-only one left behind.
BOOL CopyKept(const std::u16string& source, const std::u16string& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return CopyFileW(source.c_str(), target.c_str(), FALSE);
}

void SetText(HKEY key, const char16_t* name, const std::u16string& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
}

void SetNumber(HKEY key, const char16_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

BOOL ListModelPrinters(const std::u16string& model, std::vector<std::u16string>& names, std::vector<DWORD>& attributes,
                       DWORD& error) {
    PrinterList list;
    error = 0;
    if (!EnumAllPrinters2(list, error)) return FALSE;
    const std::u16string wanted = UpperCase(model);
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(list.joined.data());
    for (DWORD i = 0; i < list.count; ++i) {
        if (UpperCase(printers[i].pDriverName) != wanted) continue;
        names.push_back(printers[i].pPrinterName);  // a printer always has a name
        attributes.push_back(printers[i].Attributes);
    }
    return TRUE;
}

BOOL DeleteModelDriver(const std::u16string& model, const char16_t* environment) {
    std::u16string name = model;
    std::u16string env = environment ? environment : u"";
    return DeletePrinterDriverExW(nullptr, environment ? env.data() : nullptr, name.data(), DPD_DELETE_UNUSED_FILES, 0);
}

BOOL DeletePrintProcessorFile(CDrvData* drvData, const std::u16string& environment, const std::u16string& processorName,
                              DWORD& lastError) {
    std::u16string env = environment, name = processorName;
    const BOOL deleted = DeletePrintProcessorW(nullptr, env.data(), name.data());
    lastError = 0;
    // A processor that is not installed is as gone as a deleted one.
    if (!deleted && GetLastError() != ERROR_UNKNOWN_PRINTPROCESSOR) {
        lastError = GetLastError();
        drvData->WriteLogFormat(0, u"Print Processor Delete Error %s (%d)\r\n", environment.c_str(),
                                static_cast<int>(lastError));
        return FALSE;
    }
    const std::u16string file = drvData->GetProcessorDllPath(environment);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return TRUE;  // no file left to delete
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!DeleteFileW(file.c_str())) {
        lastError = GetLastError();
        drvData->WriteLogFormat(0, u"Delete File %s (%d)\r\n", file.c_str(), static_cast<int>(lastError));
        return FALSE;
    }
    return TRUE;
}

BOOL GetInfFiles(std::vector<std::u16string>& names, DWORD& lastError) {
    names.clear();
    DWORD size = 0;
    if (!SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, nullptr, 0, &size)) {
        lastError = GetLastError();
        return FALSE;
    }
    std::u16string list(size, u'\0');
    if (!SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, list.data(), size, &size)) {
        lastError = GetLastError();
        return FALSE;
    }
    for (size_t at = 0; at < list.size() && list[at] != u'\0';) {
        const size_t end = list.find(u'\0', at);
        names.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return TRUE;
}

BOOL DeleteDriverPackage(CDrvData* drvData, DWORD& lastError, CDialogProg* dialog) {
    drvData->WriteLogFormat(1, u"Delete Driver Package\r\n");
    WCHAR system[261] = {};
    if (!GetSystemDirectoryW(system, 261)) {
        drvData->WriteLogFormat(0, u"GetSystemDirectory Failed. %d\r\n)", static_cast<int>(GetLastError()));
        return FALSE;
    }
    const std::u16string libraryPath = std::u16string(system) + u"\\setupapi.dll";
    HMODULE setupApi = LoadLibraryW(libraryPath.c_str());
    if (!setupApi) {
        drvData->WriteLogFormat(0, u"LoadLibrary Failed. %s\r\n", libraryPath.c_str());
        return FALSE;
    }
    // The driver-store lookup came with Windows 6.0; before it there is no store to ask.
    const auto storeLocation =
        AsProc<StoreLocationProc>(GetProcAddress(setupApi, "SetupGetInfDriverStoreLocationW"));
    if (!storeLocation) {
        drvData->WriteLogFormat(0, u"GetProcAddress Failed. %d\r\n", static_cast<int>(GetLastError()));
        FreeLibrary(setupApi);
        return FALSE;
    }
    std::vector<std::u16string> infFiles;
    DWORD listError = 0;
    if (!GetInfFiles(infFiles, listError)) {
        lastError = listError;
        drvData->WriteLogFormat(0, u"GetInfFiles Failed. %d\r\n", static_cast<int>(listError));
        FreeLibrary(setupApi);
        return FALSE;
    }
    const std::u16string infName = Lower(drvData->GetInfFileName());
    if (infName.empty()) {
        drvData->WriteLogFormat(0, u"GetInfFileName Failed\r\n");
        FreeLibrary(setupApi);
        return FALSE;
    }
    for (const auto& file : infFiles) {
        WCHAR location[260] = {};
        DWORD needed = 0;
        if (!storeLocation(file.c_str(), nullptr, nullptr, location, 260, &needed)) continue;
        if (file.find(u"oem") == std::u16string::npos) continue;  // only published packages, as the system names them
        if (Lower(location).find(infName) == std::u16string::npos) continue;
        DWORD exitCode = 0, error = 0;
        DsDeletePackage(drvData, exitCode, error, dialog, file);
    }
    FreeLibrary(setupApi);
    return TRUE;
}

void DsDeletePackage(CDrvData* drvData, DWORD& exitCode, DWORD& lastError, CDialogProg*,
                     const std::u16string& publishedInf) {
    drvData->WriteLogFormat(3, u"DsDeletePackage:%s\r\n", publishedInf.c_str());
    exitCode = 0;
    lastError = 0;
    if (!IsWindowsVersionOrLater(6, 0)) {
        drvData->WriteLogFormat(1, u"OS:XP\r\n");
        return;
    }
    const std::u16string line = commands::DeletePackage(publishedInf);
    if (GetNativeArchitecture() != PROCESSOR_ARCHITECTURE_AMD64) {
        drvData->WriteLogFormat(1, u"32bit %s\r\n", line.c_str());
        RunProcess(line, drvData, exitCode, lastError);
        return;
    }
    // On 64-bit Windows PnPUtil lies in the real system folder, which file-system redirection
    // hides from a 32-bit program: redirection is off around the command.
    WCHAR system[261] = {};
    if (!GetSystemDirectoryW(system, 261)) {
        drvData->WriteLogFormat(0, u"GetSystemDirectory Failed %d\r\n", static_cast<int>(GetLastError()));
        return;
    }
    const std::u16string kernelPath = std::u16string(system) + u"\\KERNEL32.DLL";
    HMODULE kernel = LoadLibraryW(kernelPath.c_str());
    if (!kernel) {
        drvData->WriteLogFormat(0, u"LoadLibrary Failed %s\r\n", kernelPath.c_str());
        return;
    }
    const auto disable = AsProc<RedirectionProc>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection"));
    const auto revert = AsProc<RevertProc>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection"));
    if (!disable || !revert) {
        drvData->WriteLogFormat(0, u"GetProcAddress Failed %d\r\n", static_cast<int>(GetLastError()));
        FreeLibrary(kernel);
        return;
    }
    PVOID saved = nullptr;
    if (disable(&saved)) {
        drvData->WriteLogFormat(1, u"64bit %s\r\n", line.c_str());
        RunProcess(line, drvData, exitCode, lastError);
        revert(saved);
    }
    FreeLibrary(kernel);
}

void GetInstallFolder(std::u16string& folder, CDrvData* drvData) {
    WCHAR programFiles[260] = {};
    SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE);
    folder = std::u16string(programFiles) + u"\\Orlune\\PrinterDrivers\\" + MakeFileNameSafe(drvData->GetModelName());
}

BOOL CopyUninstaller(CDialogProg*, CDrvData* drvData) {
    std::u16string target;
    GetInstallFolder(target, drvData);
    target = WithoutTrailingBackslash(target);
    const std::u16string source = WithoutTrailingBackslash(GetModulePath());
    DsCreateDirectory(target);
    // The running program is kept under the one name the removal entry registers, whatever its
    // own file is called; every copy must succeed, or the entry would name a file not there.
    BOOL copied = CopyKept(source + u"\\" + GetModuleName(), target + u"\\" + kKeptInstallerName);
    if (!copied) drvData->WriteLogFormat(0, u"Copy Failed. (%d) %s\r\n", static_cast<int>(GetLastError()), kKeptInstallerName);
    if (!CopyKept(source + u"\\Pardex.ini", target + u"\\Pardex.ini")) {
        drvData->WriteLogFormat(0, u"Copy Failed. (%d) %s\r\n", static_cast<int>(GetLastError()), u"Pardex.ini");
        copied = FALSE;
    }
    BOOL result = CopyFolder(drvData, source + u"\\Resource", target + u"\\Resource");
    if (result) {
        WCHAR language[8];
        _snwprintf(language, 8, u"%04x", drvData->GetLanguageId());
        result = CopyFolder(drvData, source + u"\\" + language, target + u"\\" + language);
    }
    return copied && result;
}

void RegUninstallerInfo(CDrvData* drvData) {
    const std::u16string model = drvData->GetModelName();
    const std::u16string keyPath = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + model + u" Installer";
    std::u16string folder;
    GetInstallFolder(folder, drvData);
    HKEY key = nullptr;
    DWORD disposition = 0;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                    &disposition);
    if (!key) return;
    const std::u16string program = folder + u"\\" + kKeptInstallerName;
    SetText(key, u"DisplayName", model);
    SetText(key, u"InstallLocation", folder);
    SetText(key, u"Publisher", u"Orlune Company., Ltd.");
    SetText(key, u"DisplayVersion", drvData->GetVersion());
    SetNumber(key, u"NoModify", 1);
    SetNumber(key, u"NoRepair", 1);
    SetText(key, u"UninstallString", program + u" /Uninstall");
    SetText(key, u"DisplayIcon", program);
    RegCloseKey(key);
}
