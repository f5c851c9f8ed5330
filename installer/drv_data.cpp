// The installer's configuration, texts, images, fonts and installed driver.
#include "drv_data.h"

#include <cstdarg>

#include <win/shlobj.h>
#include <win/winspool_levels.h>

#include "utilities.h"

namespace {

bool Exists(const std::u16string& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

CDrvData::CDrvData() = default;

CDrvData::~CDrvData() {
    if (m_setupIcon) DestroyIcon(m_setupIcon);
    m_log.Close();
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(m_headerImage), static_cast<HGDIOBJ>(m_logoImage),
                           static_cast<HGDIOBJ>(m_extraImage), static_cast<HGDIOBJ>(m_font9),
                           static_cast<HGDIOBJ>(m_font14), static_cast<HGDIOBJ>(m_font9Bold)})
        if (object) DeleteObject(object);
}

std::u16string CDrvData::IniPath() const { return GetModulePath() + u"Pardex.ini"; }

std::u16string CDrvData::ReadText(const char16_t* section, const char16_t* key, const char16_t* fallback, DWORD size) {
    std::vector<WCHAR> buffer(size, u'\0');
    GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, IniPath().c_str());
    return buffer.data();
}

int CDrvData::ReadInt(const char16_t* section, const char16_t* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, IniPath().c_str()));
}

const std::u16string& CDrvData::Cached(std::u16string& field, const char16_t* key, const char16_t* fallback) {
    if (field.empty()) field = ReadText(u"Setup", key, fallback, 260);
    return field;
}

WORD CDrvData::GetLanguageId() {
    if (m_languageId == 0) m_languageId = static_cast<WORD>(ReadInt(u"Setup", u"LANGUAGE_ID", 1041));
    return m_languageId;
}

const std::u16string& CDrvData::GetModelName() {
    return Cached(m_modelName, u"MODEL_NAME", u"Korvel Palvex QM410/QF410/QF380");
}
const std::u16string& CDrvData::GetProcessorName() { return Cached(m_processorName, u"PROCESSOR_NAME", u""); }
const std::u16string& CDrvData::GetUIDllName() { return Cached(m_uiDllName, u"UIDLL", u""); }
const std::u16string& CDrvData::GetVersion() { return Cached(m_version, u"VERSION", u""); }

const std::u16string& CDrvData::GetInfPath() {
    if (m_infPath.empty())
        m_infPath = FormatText(1023, u"%s%04x\\%s", GetModulePath().c_str(), GetLanguageId(), ReadText(u"Setup", u"INFFILE", u"", 260).c_str());
    return m_infPath;
}

const std::u16string& CDrvData::GetInfFileName() { return m_infFileName = ReadText(u"Setup", u"INFFILE", u"", 260); }
const std::u16string& CDrvData::GetJogFile() { return m_jogFile = ReadText(u"Setup", u"JOGFILE", u"", 260); }
const std::u16string& CDrvData::GetMib() { return m_mib = ReadText(u"Setup", u"MIB", u"", 260); }
std::u16string CDrvData::GetMarketName() { return ReadText(u"Setup", u"MARKETNAME", u"QVJA", 260); }
int CDrvData::GetExeTimeout() { return ReadInt(u"Setup", u"EXE_TIMEOUT", 180); }
int CDrvData::GetLogLevel() { return ReadInt(u"Setup", u"LOGLEVEL", 1); }

std::u16string CDrvData::GetHardwareId() {
    return FormatText(1023, u"VID_%s&PID_%s", ReadText(u"Setup", u"VID", u"", 10).c_str(), ReadText(u"Setup", u"PID", u"", 10).c_str());
}

BOOL CDrvData::GetSysDescrList(std::vector<std::u16string>& patterns) {
    patterns.clear();
    for (int i = 1; i <= 513; ++i) {
        const std::u16string value = ReadText(u"Setup", FormatText(1023, u"SYSDESCR_%03d", i).c_str(), u"", 256);
        if (value.empty()) break;
        patterns.push_back(value);
    }
    return !patterns.empty();
}

BOOL CDrvData::IsInheritListed() {
    for (int i = 1; i <= 128; ++i) {
        const std::u16string value = ReadText(u"INHERIT", FormatText(1023, u"INH_%03d", i).c_str(), u"", 128);
        if (value.empty()) break;
        if (CompareVersion(m_installedFileVersion, value) == 0) return TRUE;
    }
    return FALSE;
}

std::u16string CDrvData::GetProcessorDllPath(const std::u16string& environment) {
    WCHAR system[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, system);
    const char16_t* arch = UpperCase(environment) == u"WINDOWS X64" ? u"x64" : u"w32x86";
    return FormatText(1023, u"%s\\%s\\%s", system, (std::u16string(u"spool\\prtprocs\\") + arch).c_str(),
                  ReadText(u"Setup", u"PROCESSOR_DLL", u"", 260).c_str());
}

void CDrvData::GetString(std::u16string& text, const std::u16string& section, const std::u16string& key) {
    const std::u16string path =
        FormatText(1023, u"%s%s\\%04x\\%s", GetModulePath().c_str(), u"Resource\\String", GetLanguageId(), u"String.ini");
    WCHAR buffer[260] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), u"", buffer, 260, path.c_str());
    text = buffer;
    for (size_t at = 0; (at = text.find(u"\\n", at)) != std::u16string::npos; ++at) text.replace(at, 2, u"\n");
}

std::u16string CDrvData::GetLicencePath() {
    return FormatText(1023, u"%s%s\\%04x\\%s", GetModulePath().c_str(), u"Resource\\Licence", GetLanguageId(), u"Licence.txt");
}

std::u16string CDrvData::GetTempDriverFolder() {
    WCHAR temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return std::u16string(temp) + u"orlune_drv";
}

const std::u16string& CDrvData::GetDefaultCopyFolder() {
    WCHAR documents[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    m_defaultCopyFolder = std::u16string(documents) + u"\\Orlune\\PrinterDrivers\\" + MakeFileNameSafe(GetModelName()) +
                          u"\\" + FormatText(1023, u"%04x", GetLanguageId());
    return m_defaultCopyFolder;
}

BOOL CDrvData::ExistJogFile(const std::u16string& folder) {
    return m_jogFileFound = Exists(folder + u"\\" + GetJogFile());
}

BOOL CDrvData::CheckDriverFiles() {
    return m_driverFilesFound = Exists(FormatText(1023, u"%s%04x\\%s", GetModulePath().c_str(), GetLanguageId(), GetJogFile().c_str()));
}

BOOL CDrvData::IsFolderEmpty(const std::u16string& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    m_folderEmpty = FALSE;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + u"\\*.*").c_str(), &found);
        BOOL empty = TRUE;
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::u16string name = found.cFileName;
                if (name != u"." && name != u"..") empty = FALSE;
            } while (empty && FindNextFileW(search, &found));
            FindClose(search);
        }
        m_folderEmpty = empty;
    }
    return m_folderEmpty;
}

BOOL CDrvData::FindInstalledDriver() {
    m_driverInstalled = FALSE;
    std::vector<BYTE> buffer;
    DWORD count = 0, error = 0;
    if (!EnumPrinterDrivers3(nullptr, buffer, count, error)) return FALSE;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (!drivers[i].pName || UpperCase(drivers[i].pName) != UpperCase(GetModelName())) continue;
        m_driverInstalled = TRUE;
        std::u16string folder = drivers[i].pDriverPath ? drivers[i].pDriverPath : u"";
        folder.resize(folder.find_last_of(u'\\') == std::u16string::npos ? 0 : folder.find_last_of(u'\\') + 1);
        m_installedUIDllPath = folder + GetUIDllName();
        m_installedFileVersion.clear();
        m_installedProductVersion.clear();
        GetFileVersion(m_installedUIDllPath, m_installedFileVersion);
        GetProductVersion(m_installedUIDllPath, m_installedProductVersion);
        break;
    }
    return m_driverInstalled;
}

BOOL CDrvData::ExistDriverForEnvironment(const std::u16string& environment) {
    std::vector<BYTE> buffer;
    DWORD count = 0, error = 0;
    if (!EnumPrinterDrivers3(environment.c_str(), buffer, count, error)) return FALSE;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (drivers[i].pName && UpperCase(drivers[i].pName) == UpperCase(GetModelName())) return TRUE;
    return FALSE;
}

BOOL CDrvData::ExistPrinterOfModel() {
    PrinterList list;
    DWORD error = 0;
    m_printerEnumError = 0;
    if (!EnumAllPrinters2(list, error)) {
        m_printerEnumError = error;
        return FALSE;
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(list.joined.data());
    for (DWORD i = 0; i < list.count; ++i)
        if (printers[i].pDriverName && UpperCase(printers[i].pDriverName) == UpperCase(GetModelName())) return TRUE;
    return FALSE;
}

void CDrvData::ReadResolution() {
    if (m_resolutionRead) return;
    HDC screen = GetDC(nullptr);
    m_logPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
    m_logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    m_resolutionRead = 1;
}

BOOL CDrvData::LoadImages(HINSTANCE instance) {
    const std::u16string folder = GetModulePath() + u"Resource\\Bmp\\";
    BOOL loaded = TRUE;
    auto bitmap = [&](const char16_t* key, const char16_t* fallback) -> HBITMAP {
        const std::u16string file = folder + ReadText(u"IMAGES", key, fallback, 260);
        auto image = static_cast<HBITMAP>(LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (!image) loaded = FALSE;
        return image;
    };
    m_headerImage = bitmap(u"HEADER", u"HEADER_INDIGO.BMP");
    m_logoImage = bitmap(u"LOGO", u"LOGOKorvel_INDIGO.BMP");
    const std::u16string icon = folder + ReadText(u"IMAGES", u"SETUP_ICON", u"installer.ico", 260);
    m_setupIcon = ExtractIconW(instance, icon.c_str(), 0);
    if (!m_setupIcon) loaded = FALSE;
    return loaded;
}

BOOL CDrvData::CreateFonts() {
    ReadResolution();
    const char16_t* face = IsWindowsVersionOrLater(6, 0) ? u"Segoe UI" : u"MS Shell Dlg";
    auto make = [&](int points, LONG weight) {
        LOGFONTW font{};
        font.lfHeight = -MulDiv(points, m_logPixelsY, 72);
        font.lfWeight = weight;
        font.lfCharSet = SHIFTJIS_CHARSET;
        std::char_traits<char16_t>::copy(font.lfFaceName, face, std::char_traits<char16_t>::length(face) + 1);
        return CreateFontIndirectW(&font);
    };
    m_font9 = make(9, 400);
    m_font14 = make(14, 400);
    m_font9Bold = make(9, 700);
    return m_font9 && m_font14 && m_font9Bold;
}

int CDrvData::Init(HINSTANCE instance) {
    GetLanguageId();
    m_osVersion = OSVERSIONINFOEXW{};
    m_osVersion.dwOSVersionInfoSize = sizeof m_osVersion;
    GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&m_osVersion));
    GetModelName();
    GetVersion();
    FindInstalledDriver();
    const BOOL images = LoadImages(instance);
    if (!images || !CreateFonts()) return 0;
    WCHAR temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    m_log.Open(std::u16string(temp) + GetMarketName() + u"_Install_log.txt", GetLogLevel());
    return 1;
}

void CDrvData::WriteLogFormat(int level, const char16_t* format, ...) {
    if (static_cast<unsigned>(GetLogLevel()) < static_cast<unsigned>(level)) return;
    va_list arguments;
    va_start(arguments, format);
    bool whole = false;
    const std::u16string line = FormatTextV(1023, format, arguments, &whole);
    va_end(arguments);
    if (whole) m_log.Write(level, line);  // longer than 1023 characters: dropped
}
