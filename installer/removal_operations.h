// Taking the old driver's pieces off the system and keeping the installer for its removal: the
// print processor of one environment with its file, the driver-store copies of the driver's INF,
// the installer's copy in Program Files and the entry of the system's program list.
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>

class CDrvData;
class CDialogProg;

// The name and attribute word of every local or connected printer whose driver is the model's, in
// enumeration order; FALSE with the enumeration's error when it fails.
BOOL ListModelPrinters(const std::u16string& model, std::vector<std::u16string>& names, std::vector<DWORD>& attributes,
                       DWORD& error);

// The model's driver of one environment (null: the current one), with the files no other driver
// uses.
BOOL DeleteModelDriver(const std::u16string& model, const char16_t* environment);

// "Not installed" (no such processor, no file) counts as done: TRUE with lastError 0.
BOOL DeletePrintProcessorFile(CDrvData* drvData, const std::u16string& environment, const std::u16string& processorName,
                              DWORD& lastError);
// TRUE when the INF list was read and walked; each published copy of INFFILE is deleted with
// PnPUtil. lastError is that of the failing step.
BOOL DeleteDriverPackage(CDrvData* drvData, DWORD& lastError, CDialogProg* dialog);
void DsDeletePackage(CDrvData* drvData, DWORD& exitCode, DWORD& lastError, CDialogProg* dialog,
                     const std::u16string& publishedInf);
// The names of the system's INF files.
BOOL GetInfFiles(std::vector<std::u16string>& names, DWORD& lastError);
// <Program Files>\Orlune\PrinterDrivers\<MODEL_NAME made file-name safe>, no trailing backslash.
void GetInstallFolder(std::u16string& folder, CDrvData* drvData);
// The program as Pardex.exe, Pardex.ini, Resource\ and the language folder into the install
// folder. FALSE when any of them could not be copied.
BOOL CopyUninstaller(CDialogProg* dialog, CDrvData* drvData);
// The removal entry under HKLM ...\Uninstall\<MODEL_NAME> Installer.
void RegUninstallerInfo(CDrvData* drvData);

// The file name the installer keeps in its install folder and registers for its removal.
inline constexpr char16_t kKeptInstallerName[] = u"Pardex.exe";
