// The command callback: the job header, the job end, copies, orientation, duplex and binding, the
// page end with copies and the paper source; the command strings sent by id; and the JOBNAME line
// kept from the document's start to its end.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include <win/winspool.h>
#include <win/winusername.h>
#include <win/winver.h>

#include "command_rules.h"
#include "common_library.h"
#include "command_strings.h"
#include "job_header.h"
#include "model_hooks.h"
#include "oem_pdev.h"
#include "settings_access.h"
#include "watermark_output.h"

namespace {

// The UI module's entry in the module-version table.
constexpr size_t kUiModuleEntry = 7;
constexpr short kFormSource = 15;  // DMBIN_FORMSOURCE

HRESULT WriteBytes(OemPdev* pdev, const std::string& bytes) {
    if (bytes.empty()) return S_OK;
    if (!pdev->m_helper) return E_FAIL;
    DWORD written = 0;
    return pdev->m_helper->DrvWriteSpoolBuf(pdev->m_pdevobj, const_cast<char*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()), &written);
}

HRESULT SendString(OemPdev* pdev, DWORD id) {
    return pdev->m_hooks->m_sendStringResource(pdev, id, nullptr);
}

HANDLE PrinterOf(const OemPdev* pdev) {
    return pdev->m_pdevobj ? pdev->m_pdevobj->hPrinter : nullptr;
}

// "Unidrv a.b.c.d" of the universal driver's file, or empty; false when there is no memory for
// the version data.
bool UnidrvVersionText(const OemPdev* pdev, std::u16string* text) {
    text->clear();
    const DRIVER_INFO_3W* info = pdev->m_resources ? pdev->m_resources->GetDriverInfo() : nullptr;
    if (!info || !info->pDriverPath) return true;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(info->pDriverPath, &handle);
    if (!size) return true;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
    if (!block) return false;
    void* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(info->pDriverPath, 0, size, block.get()) ||
        !VerQueryValueW(block.get(), u"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return true;
    const auto* version = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    const std::string narrow = "Unidrv " + std::to_string(version->dwFileVersionMS >> 16) + "." +
                             std::to_string(version->dwFileVersionMS & 0xFFFF) + "." +
                             std::to_string(version->dwFileVersionLS >> 16) + "." +
                             std::to_string(version->dwFileVersionLS & 0xFFFF);
    text->assign(narrow.begin(), narrow.end());
    return true;
}

std::u16string DriverText(const OemPdev* pdev) {
    if (!pdev->m_resources) return {};
    const LPCWSTR name = pdev->m_resources->GetDriverName();
    const ModuleVersionTable* versions = pdev->m_resources->GetModuleVersions();
    if (!name || !versions || !versions->m_entries[kUiModuleEntry].m_fileName) return {};
    return std::u16string(name) + u" (" + versions->m_entries[kUiModuleEntry].m_fileVersion + u");";
}

class SpoolOutput final : public JobHeaderOutput {
public:
    explicit SpoolOutput(OemPdev* pdev) : m_pdev(pdev) {}
    HRESULT SendString(DWORD id) override { return ::SendString(m_pdev, id); }
    HRESULT SendLine(const std::string& line) override { return WriteBytes(m_pdev, line); }

private:
    OemPdev* m_pdev;
};

HRESULT SendJobHeader(OemPdev* pdev) {
    JobHeaderValues values;
    std::u16string unidrvText;
    values.m_commentKnown = UnidrvVersionText(pdev, &unidrvText);
    if (values.m_commentKnown) values.m_commentText = CommentText(DriverText(pdev), ReadSystemVersion(), unidrvText);
    values.m_jobNameLine = pdev->m_jobNameLine;

    WCHAR user[257] = {};
    DWORD userChars = 257;
    if (GetUserNameW(user, &userChars)) {
        values.m_userNameKnown = true;
        values.m_userName = user;
    }

    BYTE jobId[64] = {};
    DWORD jobIdLength = sizeof jobId;
    const AssignJobIdFunction assignJobId = ImportAssignJobId();
    if (assignJobId && assignJobId(jobId, &jobIdLength) && jobIdLength > 0 && jobIdLength <= sizeof jobId) {
        jobId[jobIdLength - 1] = 0;
        values.m_jobIdKnown = true;
        values.m_jobId = reinterpret_cast<const char*>(jobId);
    }

    values.m_printType = ReadField<BYTE>(pdev->m_settings, pdev->m_privateDevmode, u"_PRINT_TYPE", SETTINGS_SELECT_DEVMODE);
    values.m_nupPages = ReadField<BYTE>(pdev->m_settings, pdev->m_privateDevmode, u"_NUP_PAGES", SETTINGS_SELECT_DEVMODE);
    values.m_userTracking = ReadField<BYTE>(pdev->m_settings, nullptr, u"_USRACTPRN_ENABLED", SETTINGS_SELECT_PRINTER);
    if (values.m_printType == 1 || values.m_userTracking) {
        AccountValues accounts = ReadAccountValues(PrinterOf(pdev));
        values.m_holdId = std::move(accounts.m_holdId);
        values.m_holdKey = std::move(accounts.m_holdKey);
        values.m_userId = std::move(accounts.m_userId);
        values.m_userKey = std::move(accounts.m_userKey);
    }
    SpoolOutput output(pdev);
    return WriteJobHeader(values, output);
}

HRESULT SendJobEnd(OemPdev* pdev) {
    if (pdev->m_pdlType >= 50 && pdev->m_pdlType <= 59) {
        HRESULT result = S_OK;
        for (DWORD id : {452u, 451u, 440u, 451u}) result = SendString(pdev, id);
        return result;
    }
    return SendString(pdev, 201);
}

short PublicField(const OemPdev* pdev, short DEVMODEW::*field, short fallback) {
    return pdev->m_publicDevmode ? pdev->m_publicDevmode->*field : fallback;
}

HRESULT SendCopies(OemPdev* pdev) {
    const short copies = PublicField(pdev, &DEVMODEW::dmCopies, 1);
    if (copies < 2) return S_OK;
    std::string format;
    if (!LoadCommandString(218, &format)) return E_FAIL;
    const size_t at = format.find("%d");
    if (at == std::string::npos) return E_FAIL;
    format.replace(at, 2, std::to_string(copies));
    return WriteBytes(pdev, format);
}

bool DuplexTypeTwoOrThree(const OemPdev* pdev) {
    return pdev->m_layout.m_duplexType == 2 || pdev->m_layout.m_duplexType == 3;
}

HRESULT SendPageEndWithCopies(OemPdev* pdev) {
    const short duplex = PublicField(pdev, &DEVMODEW::dmDuplex, DMDUP_SIMPLEX);
    if (duplex != DMDUP_SIMPLEX && DuplexTypeTwoOrThree(pdev)) return SendString(pdev, 312);
    CommandCapture capture;
    HRESULT result = pdev->m_hooks->m_sendStringResource(pdev, 313, &capture);
    std::unique_ptr<BYTE[]> owned(capture.m_data);
    if (FAILED(result)) return result;
    if (capture.m_length < 3) return E_FAIL;
    const auto copies = static_cast<WORD>(PublicField(pdev, &DEVMODEW::dmCopies, 1));
    capture.m_data[1] = static_cast<BYTE>(copies & 0xFF);
    capture.m_data[2] = static_cast<BYTE>(copies >> 8);
    return WriteBytes(pdev, std::string(reinterpret_cast<const char*>(capture.m_data), capture.m_length));
}

bool LastCountedSheet(const OemPdev* pdev) {
    const DocumentCounters& document = pdev->m_document;
    return (pdev->m_layout.m_flags & (kLayoutDuplexType2 | kLayoutDuplexType3)) && document.m_spoolerPageCount > 0 &&
           document.m_sheetCount != 0 && document.m_pageCounter == document.m_sheetCount;
}

bool BackSide(const OemPdev* pdev) {
    const DWORD flags = pdev->m_layout.m_flags;
    const DocumentCounters& document = pdev->m_document;
    if (!(flags & kLayoutPageSettingsLoaded)) return false;
    if (document.m_spoolerPageCount == 0 || document.m_sheetCount == 0) return false;
    if (flags & kLayoutDuplexType2) return document.m_pageCounter < document.m_sheetCount;
    if (flags & kLayoutDuplexType3) return document.m_pageCounter >= document.m_sheetCount;
    return false;
}

LayoutTerms TermsOf(const OemPdev* pdev) {
    const PageLayout& layout = pdev->m_layout;
    LayoutTerms terms;
    terms.m_landscape = layout.m_landscape != 0;
    terms.m_rotated = layout.m_rotated != 0;
    terms.m_booklet = layout.m_booklet != 0;
    terms.m_pagesPerSheet = layout.m_booklet ? 2 : layout.m_pagesPerSheet;
    terms.m_twoOrSix = terms.m_pagesPerSheet == 2 || terms.m_pagesPerSheet == 6;
    terms.m_horizontal = PublicField(pdev, &DEVMODEW::dmDuplex, 0) == DMDUP_HORIZONTAL;
    terms.m_firstLandscape = layout.m_firstPageLandscape != 0;
    terms.m_deviceType = layout.m_deviceType ? layout.m_deviceType : 1;
    terms.m_backSide = BackSide(pdev);
    terms.m_textAsGraphics = (pdev->m_modeFlags & kModeTextAsGraphics) != 0;
    const LONG feed = terms.m_landscape ? layout.m_gdiInfo.szlPhysSize.cy : layout.m_gdiInfo.szlPhysSize.cx;
    terms.m_longPaper = layout.m_resolution && static_cast<double>(feed) / layout.m_resolution > 12.0;
    return terms;
}

HRESULT SendPaperSource(OemPdev* pdev, DWORD id) {
    if (LastCountedSheet(pdev)) return S_OK;
    const short source = PublicField(pdev, &DEVMODEW::dmDefaultSource, 0);
    const BYTE formAssign = ReadField<BYTE>(pdev->m_settings, nullptr, u"_FORMASSIGN", SETTINGS_SELECT_PRINTER);
    if (id == 114 || formAssign != 1) return SendString(pdev, source == kFormSource ? 110 : id);
    DWORD list[7] = {};
    if (pdev->m_settings)
        pdev->m_settings->GetFieldValue(nullptr, u"_FORMSIZE_LIST", list, sizeof list, SETTINGS_SELECT_PRINTER);
    const LONG paper = PublicField(pdev, &DEVMODEW::dmPaperSize, 0);
    for (DWORD i = 0; i < 7; ++i) {
        if (static_cast<LONG>(list[i]) == paper) return SendString(pdev, 111 + i);
    }
    return SendString(pdev, 110);
}

}  // namespace

HRESULT hrOEMCommandCallback(PDEVOBJ pdevobj, DWORD callbackId, DWORD, PDWORD, INT* result) {
    // None of these commands moves the driver's cursor or answers a value of its own.
    if (result) *result = 0;
    OemPdev* pdev = OemPdevOf(pdevobj);
    if (!pdev || !pdev->m_hooks || !pdev->m_hooks->m_sendStringResource) return E_FAIL;
    switch (callbackId) {
    case 110: case 111: case 112: case 113: case 114:
        return SendPaperSource(pdev, callbackId);
    case 200:
        return SendJobHeader(pdev);
    case 201:
        return SendJobEnd(pdev);
    case 208:
        return SendCopies(pdev);
    case 209:
        return S_OK;
    case 300: {
        const DWORD command = OrientationCommand(TermsOf(pdev));
        return command ? SendString(pdev, command) : S_OK;
    }
    case 304:
        return SendString(pdev, 212);
    case 305:
    case 306: {
        const HRESULT result = SendString(pdev, 217);
        if (FAILED(result)) return result;
        return SendString(pdev, BindingCommand(TermsOf(pdev), callbackId == 306));
    }
    case 312:
        RunWatermarkPass(pdev);
        return SendString(pdev, 312);
    case 313:
        RunWatermarkPass(pdev);
        return SendPageEndWithCopies(pdev);
    default:
        return SendString(pdev, callbackId);
    }
}

HRESULT hrOEMSendStringResource(OemPdev* pdev, DWORD stringId, CommandCapture* capture) {
    if (!pdev) return E_FAIL;
    std::string bytes;
    if (!LoadCommandString(stringId, &bytes)) return E_FAIL;
    if (!capture) return WriteBytes(pdev, bytes);
    const auto length = static_cast<DWORD>(bytes.size());
    if (!capture->m_data || capture->m_capacity < length) {
        BYTE* data = new (std::nothrow) BYTE[length ? length : 1];
        if (!data) return E_FAIL;
        delete[] capture->m_data;
        capture->m_data = data;
        capture->m_capacity = length;
    }
    std::memset(capture->m_data, 0, capture->m_capacity);
    std::memcpy(capture->m_data, bytes.data(), length);
    capture->m_length = length;
    return S_OK;
}

HRESULT hrOEMMapCommandId(OemPdev* pdev, DWORD commandId) {
    if (!pdev) return E_FAIL;
    DWORD stringId = 0;
    switch (commandId) {
    case 100: stringId = 114; break;
    case 101: stringId = 222; break;
    case 102: stringId = 223; break;
    case 103: stringId = 226; break;
    case 104: stringId = 227; break;
    default: return S_OK;
    }
    if (!pdev->m_hooks || !pdev->m_hooks->m_sendStringResource) return E_FAIL;
    return pdev->m_hooks->m_sendStringResource(pdev, stringId, nullptr);
}

HRESULT hrOEMStartDoc(SURFOBJ* surface, LPWSTR documentName, DWORD, BOOL*) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev || !documentName) return E_NOTIMPL;
    // A name that cannot be converted leaves the job without a JOBNAME line rather than without
    // its document.
    std::string line;
    if (JobNameLine(documentName, &line)) pdev->m_jobNameLine = std::move(line);
    else pdev->m_jobNameLine.clear();
    return E_NOTIMPL;
}

HRESULT hrOEMEndDoc(SURFOBJ* surface, FLONG, BOOL*) {
    if (OemPdev* pdev = OemPdevOf(surface)) pdev->m_jobNameLine.clear();
    return E_NOTIMPL;
}
