// The job header and its texts.
#include "job_header.h"

#include <cstdio>

#include <win/stringapiset.h>
#include <win/sysinfoapi_product.h>

#include "page_layout.h"

namespace {

bool Convert(UINT codePage, std::u16string_view text, std::string* converted) {
    converted->clear();
    if (text.empty()) return true;
    const int wide = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(text.data()), wide, nullptr, 0,
                                          nullptr, nullptr);
    if (bytes <= 0) return false;
    converted->resize(static_cast<size_t>(bytes));
    return WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(text.data()), wide, converted->data(), bytes,
                               nullptr, nullptr) == bytes;
}

std::string Quoted(std::string_view head, std::string value) {
    MakePjlStringSafe(&value);
    std::string line(head);
    line += '"';
    line += value;
    line += "\"\n";
    return line;
}

// An account value as its line: UTF-8, cut to the field's size.
std::string AccountLine(std::string_view head, const std::u16string& value, HRESULT* result) {
    std::string utf8;
    if (!Utf8Of(value, &utf8)) {
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

bool Utf8Of(std::u16string_view text, std::string* utf8) {
    return Convert(CP_UTF8, text, utf8);
}

void CutUtf8(std::string* text, size_t maxBytes) {
    if (text->size() <= maxBytes) return;
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>((*text)[cut]) & 0xC0) == 0x80) --cut;
    text->resize(cut);
}

void MakePjlStringSafe(std::string* text) {
    for (char& c : *text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"') c = '\'';
        else if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
}

bool JobNameLine(std::u16string_view documentName, std::string* line) {
    std::string name;
    if (!Utf8Of(documentName, &name)) return false;
    CutUtf8(&name, kJobNameBytes);
    *line = Quoted("@PJL SET JOBNAME=", std::move(name));
    return true;
}

bool UserNameLine(std::u16string_view userName, std::string* line) {
    std::string name;
    if (!Utf8Of(userName, &name)) return false;
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
        if (!Convert(CP_ACP, text, &converted)) return false;
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
    if (!version.m_known) return version;
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
    std::u16string text(driverText);
    text += u' ';
    text += OsDescription(version);
    text += u' ';
    for (const char* p = digits; *p; ++p) text += static_cast<char16_t>(*p);
    text += u' ';
    text += servicePack;
    text += u"; ";
    text += unidrvText;
    return text;
}

HRESULT WriteJobHeader(const JobHeaderValues& values, JobHeaderOutput& output) {
    HRESULT result = output.SendString(200);

    if (values.m_commentKnown) {
        std::string line;
        result = CommentLine(values.m_commentText, &line) ? output.SendLine(line) : E_FAIL;
    } else {
        result = E_OUTOFMEMORY;
    }

    result = output.SendLine("@PJL SET QVSTRINGCODESET=UTF8\n");

    if (!values.m_jobNameLine.empty()) result = output.SendLine(values.m_jobNameLine);

    if (values.m_userNameKnown) {
        std::string line;
        result = UserNameLine(values.m_userName, &line) ? output.SendLine(line) : E_FAIL;
    }

    if (values.m_jobIdKnown) {
        std::string id = values.m_jobId;
        MakePjlStringSafe(&id);
        result = output.SendLine("@PJL SET QVJOBID=\"" + id + "\"\n");
    }

    const bool hold = values.m_printType == 1;
    result = output.SendLine(hold ? "@PJL SET HOLD=STORE\n" : "@PJL SET HOLD=OFF\n");

    if (hold && !values.m_holdId.empty()) {
        HRESULT converted = S_OK;
        const std::string idLine = AccountLine("@PJL SET QVHOLDID=", values.m_holdId, &converted);
        const std::string keyLine = AccountLine("@PJL SET QVHOLDKEY=", values.m_holdKey, &converted);
        if (FAILED(converted)) {
            result = converted;
        } else {
            result = output.SendLine(idLine);
            result = output.SendLine(keyLine);
        }
    }

    if (values.m_userTracking) {
        HRESULT converted = S_OK;
        const std::string idLine = AccountLine("@PJL SET QVUSERID=", values.m_userId, &converted);
        const std::string keyLine = AccountLine("@PJL SET QVUSERKEY=", values.m_userKey, &converted);
        if (FAILED(converted)) {
            result = converted;
        } else {
            result = output.SendLine(idLine);
            result = output.SendLine(keyLine);
        }
    }

    result = output.SendLine("@PJL SET QVNIN1=" + std::to_string(PagesPerSheetFor(values.m_nupPages)) + "\n");
    return result;
}
