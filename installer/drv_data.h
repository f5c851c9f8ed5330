// The installer's settings object: the configuration of Pardex.ini, the texts of String.ini, the
// images, icon and fonts of the window, the Windows identity and the support test, the installed
// driver, the paths the operations use, the wizard's shared state and the log. One per run, inside
// the main dialog.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <win/windows.h>

#include "install_log.h"

class CDrvData {
public:
    CDrvData();
    ~CDrvData();
    CDrvData(const CDrvData&) = delete;
    CDrvData& operator=(const CDrvData&) = delete;

    // Reads the configuration, the installed driver, images, icon and fonts, and opens the log;
    // 0 when an image, the icon or a font is missing (the log stays closed then).
    int Init(HINSTANCE instance);

    // Pardex.ini.
    WORD GetLanguageId();
    const std::u16string& GetModelName();
    const std::u16string& GetProcessorName();
    const std::u16string& GetUIDllName();
    const std::u16string& GetVersion();
    const std::u16string& GetInfPath();
    // The INF the install uses from now on (the driver copy page points it at its copy).
    void SetInfPath(const std::u16string& path) { m_infPath = path; }
    const std::u16string& GetInfFileName();
    const std::u16string& GetJogFile();
    const std::u16string& GetMib();
    std::u16string GetMarketName();
    int GetExeTimeout();
    int GetLogLevel();
    std::u16string GetHardwareId();
    BOOL GetSysDescrList(std::vector<std::u16string>& patterns);
    BOOL IsInheritListed();
    std::u16string GetProcessorDllPath(const std::u16string& environment);

    // Texts and files.
    void GetString(std::u16string& text, const std::u16string& section, const std::u16string& key);
    std::u16string GetLicencePath();
    std::u16string GetTempDriverFolder();
    const std::u16string& GetDefaultCopyFolder();
    BOOL ExistJogFile(const std::u16string& folder);
    BOOL CheckDriverFiles();
    BOOL IsFolderEmpty(const std::u16string& folder);

    // The running Windows and the support test.
    std::u16string GetOSIdentity();
    static int MatchOSPattern(const std::u16string& identity, const std::u16string& pattern);
    BOOL FindNonSupportOS();
    int CheckSupportOS();

    // The installed driver and printers.
    BOOL FindInstalledDriver();
    BOOL ExistDriverForEnvironment(const std::u16string& environment);
    // TRUE when a local or connected printer uses MODEL_NAME; the enumeration's error, if any, is
    // left in m_printerEnumError (1722 while the spooler is stopped).
    BOOL ExistPrinterOfModel();
    DWORD m_printerEnumError = 0;

    // Formats a message of at most 1023 characters and logs it when the current LOGLEVEL of
    // Pardex.ini allows its level.
    void WriteLogFormat(int level, const char16_t* format, ...);

    // What the window shows.
    HBITMAP m_headerImage = nullptr;
    HBITMAP m_logoImage = nullptr;
    HBITMAP m_extraImage = nullptr;
    HICON m_setupIcon = nullptr;
    HFONT m_font9 = nullptr;
    HFONT m_font14 = nullptr;
    HFONT m_font9Bold = nullptr;

    // The installed driver.
    BOOL m_driverInstalled = FALSE;
    std::u16string m_installedFileVersion;
    std::u16string m_installedProductVersion;
    std::u16string m_installedUIDllPath;

    // Layout scale (CPardexDlg::InitLayoutScale).
    BYTE m_resolutionRead = 0;
    int m_logPixelsX = 96;
    int m_logPixelsY = 96;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;

    OSVERSIONINFOEXW m_osVersion{};
    CInstallLog m_log;

    // The wizard's shared state: the pages' choices and results.
    int m_setupChoice = 0;
    BOOL m_useUsb = FALSE;
    BOOL m_inheritSettings = FALSE;
    int m_portMode = 0;
    int m_searchTimeout = 5;
    int m_chosenRow = -1;
    std::u16string m_portPath;
    std::u16string m_portName;
    std::u16string m_printerName;
    std::u16string m_comment;
    BOOL m_setDefault = FALSE;
    std::vector<std::pair<std::u16string, std::u16string>> m_foundPrinters;
    std::u16string m_completeMessage;
    BOOL m_filesCopied = FALSE;
    int m_copyState = 0;
    std::u16string m_copiedInfPath;
    std::u16string m_savedInfPath;

    BOOL m_jogFileFound = FALSE;
    BOOL m_driverFilesFound = FALSE;
    BOOL m_folderEmpty = FALSE;

private:
    std::u16string IniPath() const;
    std::u16string ReadText(const char16_t* section, const char16_t* key, const char16_t* fallback, DWORD size);
    int ReadInt(const char16_t* section, const char16_t* key, int fallback);
    const std::u16string& Cached(std::u16string& field, const char16_t* key, const char16_t* fallback);
    void ReadResolution();
    BOOL LoadImages(HINSTANCE instance);
    BOOL CreateFonts();

    WORD m_languageId = 0;
    std::u16string m_modelName, m_processorName, m_version, m_uiDllName, m_infPath, m_infFileName, m_jogFile, m_mib;
    std::u16string m_defaultCopyFolder;
};
