// The job header and its texts.
#include "job_header.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <win/stringapiset.h>
#include <win/sysinfoapi_product.h>
#include <win/winreg.h>
#include <win/winspool.h>
#include <win/winspool_levels.h>

#include "kittrace.h"
#include "page_layout.h"
#include "quotable_text.h"

namespace {

// Trace levels of the header's steps: failures, and what a step chose.
constexpr DWORD kTraceError = 1;
constexpr DWORD kTraceInfo = 4;

// Registry and printer-data texts are read into buffers of this many bytes.
constexpr DWORD kValueBytes = 520;

// Converts text to a code page; a failure is traced under the name of the step that converts.
bool Convert(UINT codePage, std::u16string_view text, std::string* converted, LPCWSTR step) {
    converted->clear();
    if (text.empty()) return true;
    const int wide = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(text.data()), wide, nullptr, 0,
                                          nullptr, nullptr);
    if (bytes > 0) {
        converted->resize(static_cast<size_t>(bytes));
        if (WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(text.data()), wide, converted->data(), bytes,
                                nullptr, nullptr) == bytes)
            return true;
    }
    DebugTrace(kTraceError, u"%s: WideCharToMultiByte err=[%d]\n", step, GetLastError());
    converted->clear();
    return false;
}

bool Utf8(std::u16string_view text, std::string* utf8, LPCWSTR step) {
    return Convert(CP_UTF8, text, utf8, step);
}

// A REG_SZ-like text from a buffer of bytes, up to its NUL.
std::u16string TextOf(const BYTE* bytes, DWORD size) {
    std::u16string text(size / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), bytes, text.size() * sizeof(char16_t));
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    return text;
}

std::string Quoted(std::string_view head, std::string value) {
    value = QuotableText(value);
    std::string line(head);
    line += '"';
    line += value;
    line += "\"\n";
    return line;
}

// An account value as its line: UTF-8, cut to the field's size.
std::string AccountLine(std::string_view head, const std::u16string& value, HRESULT* result, LPCWSTR step) {
    std::string utf8;
    if (!Utf8(value, &utf8, step)) {
        *result = E_FAIL;
        return {};
    }
    CutUtf8(&utf8, kAccountValueBytes);
    return Quoted(head, std::move(utf8));
}

std::u16string Words52(const SystemVersion& version) {
    const OSVERSIONINFOEXW& info = version.m_info;
    if (info.wProductType == VER_NT_WORKSTATION) return u"XP Professional x64 Edition";
    std::u16string words = u"Server 2003 ";
    if (version.m_serverR2) words += u"\"R2\" ";
    if (info.wProductType != VER_NT_SERVER && info.wProductType != VER_NT_DOMAIN_CONTROLLER) return words;
    const WORD suite = info.wSuiteMask;
    if (version.m_processorArchitecture == 9) {
        if (suite & 0x80) return words + u"Datacenter x64 Edition";
        if (suite & 0x2) return words + u"Enterprise x64 Edition";
        return words + u"Standard x64 Edition";
    }
    if (suite & 0x80) return words + u"Datacenter Edition";
    if (suite & 0x2) return words + u"Enterprise Edition";
    if (suite == 0x400) return words + u"Web Edition";
    return words + u"Standard Edition";
}

std::u16string_view VistaEdition(DWORD type) {
    switch (type) {
    case 1: return u"Ultimate Edition";
    case 2: return u"Home Basic Edition";
    case 3: return u"Home Premium Edition";
    case 4: return u"Enterprise Edition";
    case 5: return u"Home Basic N Edition";
    case 6: return u"Business Edition";
    case 7: return u"Standard Edition";
    case 8: return u"Datacenter Edition";
    case 10: return u"Enterprise Edition";
    case 11: return u"Home Basic Edition";
    case 12: return u"Datacenter Edition (core installation)";
    case 13: return u"Standard Edition (core installation)";
    case 14: return u"Enterprise Edition (core installation)";
    case 15: return u"Enterprise Server for Itanium-based Systems";
    case 16: return u"Business N Edition";
    case 0xABCDABCD: return u"Unlicensed";
    default: return u"Unknown";
    }
}

std::u16string_view Windows8Edition(DWORD type) {
    switch (type) {
    case 48: return u" Pro Edition";
    case 4: return u" Enterprise Edition";
    case 7: return u" Standard Edition";
    case 8: return u" Datacenter Edition";
    case 12: return u" Datacenter Edition (core installation)";
    case 13: return u" Standard Edition (core installation)";
    case 33: return u" Foundation Edition";
    case 59: case 60: case 61: case 62: return u" Essential Edition";
    case 101: return u"";
    case 0xABCDABCD: return u" Unlicensed";
    default: return u" Unknown";
    }
}

}  // namespace

void CutUtf8(std::string* text, size_t maxBytes) {
    if (text->size() <= maxBytes) return;
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>((*text)[cut]) & 0xC0) == 0x80) --cut;
    text->resize(cut);
}

bool JobNameLine(std::u16string_view documentName, std::string* line) {
    DebugTrace(kTraceInfo, u"%s: pDocName=[%s]\n", u"JobNameLine", std::u16string(documentName).c_str());
    std::string name;
    if (!Utf8(documentName, &name, u"JobNameLine")) return false;
    CutUtf8(&name, kJobNameBytes);
    *line = Quoted("@PJL SET JOBNAME=", std::move(name));
    return true;
}

bool UserNameLine(std::u16string_view userName, std::string* line) {
    std::string name;
    if (!Utf8(userName, &name, u"Send_PJL_SET_USERNAME")) return false;
    CutUtf8(&name, kUserNameBytes);
    *line = Quoted("@PJL SET USERNAME=", std::move(name));
    return true;
}

bool CommentLine(std::u16string_view text, std::string* line) {
    static constexpr std::string_view kHead = "@PJL COMMENT ";
    const size_t room = kPjlLineBytes - kHead.size() - 3;  // the two quotes and the line feed
    std::string converted;
    // Drop whole characters from the end until the converted text fits; a surrogate pair goes
    // as one.
    for (;;) {
        if (!Convert(CP_ACP, text, &converted, u"Send_PJL_COMMENT")) return false;
        if (converted.size() <= room) break;
        size_t keep = text.size() - 1;
        if (keep > 0 && text[keep] >= 0xDC00 && text[keep] <= 0xDFFF && text[keep - 1] >= 0xD800 &&
            text[keep - 1] <= 0xDBFF)
            --keep;
        text = text.substr(0, keep);
    }
    *line = Quoted(kHead, std::move(converted));
    return true;
}

std::u16string OsDescription(const SystemVersion& version) {
    std::u16string words = u"Microsoft Windows ";
    if (!version.m_known) return words;
    const OSVERSIONINFOEXW& info = version.m_info;
    const bool workstation = info.wProductType == VER_NT_WORKSTATION;
    const DWORD major = info.dwMajorVersion, minor = info.dwMinorVersion;
    if (major == 5 && minor == 0) {
        words += u"2000 ";
        if (workstation) words += u"Professional";
        else if (info.wSuiteMask & 0x80) words += u"Datacenter Server";
        else if (info.wSuiteMask & 0x2) words += u"Advanced Server";
        else words += u"Server";
    } else if (major == 5 && minor == 1) {
        words += u"XP ";
        words += (info.wSuiteMask & 0x200) ? u"Home Edition" : u"Professional";
    } else if (major == 5 && minor == 2) {
        words += Words52(version);
    } else if (major == 6 && minor <= 1) {
        if (minor == 0) words += workstation ? u"Vista " : u"Server 2008 ";
        else words += workstation ? u"7 " : u"Server 2008 R2 ";
        if (version.m_productTypeKnown) words += VistaEdition(version.m_productType);
    } else if (major == 6 && minor == 2) {
        words += workstation ? u"8" : u"Server 2012";
        if (version.m_productTypeKnown) words += Windows8Edition(version.m_productType);
    }
    return words;
}

SystemVersion ReadSystemVersion() {
    SystemVersion version;
    version.m_info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    version.m_known = GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version.m_info)) != FALSE;
    if (!version.m_known) {
        DebugTrace(kTraceError, u"%s: GetVersionEx err=[%d]\n", u"ReadSystemVersion", GetLastError());
        return version;
    }
    // The edition's product type exists from 6.0 on.
    if (version.m_info.dwMajorVersion >= 6)
        version.m_productTypeKnown =
            GetProductInfo(version.m_info.dwMajorVersion, version.m_info.dwMinorVersion,
                           version.m_info.wServicePackMajor, version.m_info.wServicePackMinor,
                           &version.m_productType) != FALSE;
    version.m_serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    version.m_processorArchitecture = system.wProcessorArchitecture;
    return version;
}

std::u16string CommentText(std::u16string_view driverText, const SystemVersion& version,
                           std::u16string_view unidrvText) {
    const OSVERSIONINFOEXW& info = version.m_info;
    DWORD numbers[3] = {};
    std::u16string servicePack;
    if (version.m_known) {
        numbers[0] = info.dwMajorVersion;
        numbers[1] = info.dwMinorVersion;
        numbers[2] = info.dwBuildNumber;
        for (WCHAR c : info.szCSDVersion) {
            if (!c) break;
            servicePack += c;
        }
    }
    char digits[48];
    std::snprintf(digits, sizeof digits, "%d.%d.%d", static_cast<int>(numbers[0]), static_cast<int>(numbers[1]),
                  static_cast<int>(numbers[2]));
    // The description's words end in a space ("Microsoft Windows " alone, "Vista " without an
    // edition); the separator before the numbers is the one space between them.
    std::u16string description = OsDescription(version);
    while (!description.empty() && description.back() == u' ') description.pop_back();
    std::u16string text(driverText);
    text += u' ';
    text += description;
    text += u' ';
    for (const char* p = digits; *p; ++p) text += static_cast<char16_t>(*p);
    text += u' ';
    text += servicePack;
    text += u"; ";
    text += unidrvText;
    return text;
}

AccountValues ReadAccountValues(HANDLE printer) {
    static constexpr char16_t kName[] = u"ReadAccountValues";
    AccountValues values;
    DWORD needed = 0;
    GetPrinterW(printer, 5, nullptr, 0, &needed);
    std::vector<BYTE> info(std::max<size_t>(needed, sizeof(PRINTER_INFO_5W)));
    if (!GetPrinterW(printer, 5, info.data(), static_cast<DWORD>(info.size()), &needed)) {
        DebugTrace(kTraceError, u"%s: GetPrinter() err=[%d]\n", kName, GetLastError());
        return values;
    }
    const LPCWSTR printerName = reinterpret_cast<const PRINTER_INFO_5W*>(info.data())->pPrinterName;

    BYTE model[kValueBytes + 2] = {};  // a NUL stays after whatever is read
    DWORD type = 0;
    const DWORD modelError =
        GetPrinterDataW(printer, const_cast<LPWSTR>(u"Model"), &type, model, kValueBytes, &needed);
    if (modelError != ERROR_SUCCESS) {
        DebugTrace(kTraceError, u"%s: GetPrinterData(%s) err=[%d]\n", kName, u"Model", modelError);
        return values;
    }
    const std::u16string path = u"Software\\Orlune\\" + TextOf(model, kValueBytes) + u"\\" +
                                std::u16string(printerName ? printerName : u"") + u"\\PrinterDriverData";
    HKEY key = nullptr;
    const DWORD keyError = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    if (keyError != ERROR_SUCCESS) {
        DebugTrace(kTraceError, u"%s: RegOpenKeyEx err=[%d]\n", kName, keyError);
        return values;
    }
    auto read = [&](LPCWSTR name) {
        BYTE data[kValueBytes + 2] = {};
        DWORD size = kValueBytes, valueType = 0;
        if (RegQueryValueExW(key, name, nullptr, &valueType, data, &size) != ERROR_SUCCESS || valueType != REG_SZ)
            return std::u16string();
        return TextOf(data, std::min<DWORD>(size, kValueBytes));
    };
    values.m_holdId = read(u"SecurePrintID");
    values.m_holdKey = read(u"SecurePrintPWD");
    values.m_userId = read(u"UserManagePrintID");
    values.m_userKey = read(u"UserManagePrintPWD");
    RegCloseKey(key);
    return values;
}

namespace {

HRESULT Send_PJL_COMMENT(const JobHeaderValues& values, JobHeaderOutput& output) {
    if (!values.m_commentKnown) {
        DebugTrace(kTraceError, u"%s: OOM\n", u"Send_PJL_COMMENT");
        return E_OUTOFMEMORY;
    }
    DebugTrace(kTraceInfo, u"%s: COMMENT=[%s]\n", u"Send_PJL_COMMENT", values.m_commentText.c_str());
    std::string line;
    return CommentLine(values.m_commentText, &line) ? output.SendLine(line) : E_FAIL;
}

HRESULT Send_PJL_SET_USERNAME(const JobHeaderValues& values, JobHeaderOutput& output) {
    std::string line;
    return UserNameLine(values.m_userName, &line) ? output.SendLine(line) : E_FAIL;
}

// Both lines of an id and its key, or neither when one cannot be converted.
HRESULT SendAccountLines(std::string_view idHead, const std::u16string& id, std::string_view keyHead,
                         const std::u16string& key, JobHeaderOutput& output, LPCWSTR step) {
    HRESULT converted = S_OK;
    const std::string idLine = AccountLine(idHead, id, &converted, step);
    const std::string keyLine = AccountLine(keyHead, key, &converted, step);
    if (FAILED(converted)) return converted;
    output.SendLine(idLine);
    return output.SendLine(keyLine);
}

// The held job's id and key; nothing without an id.
HRESULT Send_PJL_SET_QVHOLDIDandKEY(const JobHeaderValues& values, JobHeaderOutput& output) {
    if (values.m_holdId.empty()) {
        DebugTrace(kTraceInfo, u"%s: szID is empty\n", u"Send_PJL_SET_QVHOLDIDandKEY");
        return S_OK;
    }
    return SendAccountLines("@PJL SET QVHOLDID=", values.m_holdId, "@PJL SET QVHOLDKEY=", values.m_holdKey, output,
                            u"Send_PJL_SET_QVHOLDIDandKEY");
}

// The user-tracking id and key, empty ones too; nothing when user tracking is off.
HRESULT Send_PJL_SET_QVUSERIDandKEY(const JobHeaderValues& values, JobHeaderOutput& output) {
    if (!values.m_userTracking) {
        DebugTrace(kTraceInfo, u"%s: _USRACTPRN_ENABLED is off, return S_OK\n", u"Send_PJL_SET_QVUSERIDandKEY");
        return S_OK;
    }
    return SendAccountLines("@PJL SET QVUSERID=", values.m_userId, "@PJL SET QVUSERKEY=", values.m_userKey, output,
                            u"Send_PJL_SET_QVUSERIDandKEY");
}

}  // namespace

HRESULT WriteJobHeader(const JobHeaderValues& values, JobHeaderOutput& output) {
    HRESULT result = output.SendString(200);
    result = Send_PJL_COMMENT(values, output);
    result = output.SendLine("@PJL SET QVSTRINGCODESET=UTF8\n");
    if (!values.m_jobNameLine.empty()) result = output.SendLine(values.m_jobNameLine);
    if (values.m_userNameKnown) result = Send_PJL_SET_USERNAME(values, output);

    if (values.m_jobIdKnown) {
        std::string id = values.m_jobId;
        id = QuotableText(id);
        result = output.SendLine("@PJL SET QVJOBID=\"" + id + "\"\n");
    }

    DebugTrace(kTraceInfo, u"%s: HOLD=[%d]\n", u"WriteJobHeader", static_cast<int>(values.m_printType));
    const bool hold = values.m_printType == 1;
    result = output.SendLine(hold ? "@PJL SET HOLD=STORE\n" : "@PJL SET HOLD=OFF\n");

    if (hold) result = Send_PJL_SET_QVHOLDIDandKEY(values, output);
    result = Send_PJL_SET_QVUSERIDandKEY(values, output);

    result = output.SendLine("@PJL SET QVNIN1=" + std::to_string(PagesPerSheetFor(values.m_nupPages)) + "\n");
    return result;
}
