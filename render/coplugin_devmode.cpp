// CoPlugin::DevMode: the private devmode requests answered by the settings object, and the paper
// fix-ups of a merge inside the spooler.
#include <cstdint>
#include <cstring>
#include <vector>

#include "coplugin.h"
#include "page_layout.h"
#include "process_facts.h"
#include "settings_access.h"
#include "settings_objects.h"

namespace {

// _FIRSTPAGESIZE when the print processor has not set it.
constexpr DWORD kNoFirstPageSize = 0x10000;

// The public fields up to dmPaperSize are there.
bool HoldsPaperSize(const DEVMODEW* devmode) {
    return devmode->dmSize >= offsetof(DEVMODEW, dmPaperLength);
}

// The sheet a booklet kind prints on; 0 for the kinds that keep the paper.
short BookletSheetSize(BYTE booklet) {
    switch (booklet) {
    case 2: case 3: return DMPAPER_11X17;
    case 4: case 5: return DMPAPER_LEGAL;
    case 6: case 7: return DMPAPER_LETTER;
    case 10: case 11: return DMPAPER_A3;
    case 12: case 13: return DMPAPER_A4;
    case 14: case 15: return DMPAPER_A5;
    case 18: case 19: return DMPAPER_B4;
    case 20: case 21: return DMPAPER_B5;
    default: return 0;
    }
}

// The paper of the printer's global devmode (GetPrinterW level 8); 0 when it cannot be read.
short GlobalPaperSize(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterW(printer, 8, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_8W)) return 0;
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printer, 8, buffer.data(), needed, &needed)) return 0;
    const PDEVMODEW devmode = reinterpret_cast<PRINTER_INFO_8W*>(buffer.data())->pDevMode;
    return devmode && HoldsPaperSize(devmode) ? devmode->dmPaperSize : 0;
}

}  // namespace

STDMETHODIMP CoPlugin::DevMode(DWORD mode, POEMDMPARAM param) {
    if (mode < OEMDM_SIZE || mode > OEMDM_MERGE || !param) return E_INVALIDARG;
    // Without settings the universal driver keeps to its own devmode handling.
    if (!m_settings && FAILED(CreateDrvSettings(param->hPrinter, &m_settings))) return E_NOTIMPL;
    if (m_hooks.m_devMode) {
        const HRESULT result = m_hooks.m_devMode(mode, param);
        if (!HookPassesOn(result)) return result;
    }
    switch (mode) {
    case OEMDM_SIZE:
        return m_settings->GetDevmodeSize(&param->cbBufSize);
    case OEMDM_DEFAULT:
        return m_settings->GetDefaultDevmode(&param->cbBufSize, param->pOEMDMOut);
    case OEMDM_CONVERT:
        return m_settings->ConvertDevmode(&param->cbBufSize, param->pOEMDMOut, param->pOEMDMIn);
    default:
        break;
    }
    const HRESULT merged = m_settings->MergeDevmode(&param->cbBufSize, param->pPublicDMOut, param->pPublicDMIn,
                                                    param->pOEMDMOut, param->pOEMDMIn);
    if (FAILED(merged)) return merged;
    if (!RunningInSpooler() || !param->pPublicDMIn || !param->pPublicDMOut) return S_OK;
    return FixMergedPaper(param);
}

HRESULT CoPlugin::FixMergedPaper(POEMDMPARAM param) {
    PDEVMODEW in = param->pPublicDMIn;
    PDEVMODEW out = param->pPublicDMOut;
    PVOID record = param->pOEMDMIn;
    if (!record) return E_FAIL;

    // The input's private devmode must lie inside the input devmode, with its size and signature.
    const auto start = reinterpret_cast<uintptr_t>(in);
    const uintptr_t end = start + in->dmSize + in->dmDriverExtra;
    auto inside = [&](const void* at, size_t bytes) {
        const auto first = reinterpret_cast<uintptr_t>(at);
        return first >= start && first <= end && bytes <= end - first;
    };
    if (!inside(record, param->cbBufSize)) return E_FAIL;
    const void* sizeField = m_settings->GetFieldPtr(record, u"_SIZE", SETTINGS_SELECT_DEVMODE);
    DWORD size = 0;
    if (!inside(sizeField, sizeof size)) return E_FAIL;
    std::memcpy(&size, sizeField, sizeof size);
    if (size != param->cbBufSize) return E_FAIL;
    const void* signatureField = m_settings->GetFieldPtr(record, u"_SIGNATURE", SETTINGS_SELECT_DEVMODE);
    DWORD signature = 0;
    if (!inside(signatureField, sizeof signature)) return E_FAIL;
    std::memcpy(&signature, signatureField, sizeof signature);
    std::vector<BYTE> defaults(param->cbBufSize);
    DWORD defaultSize = param->cbBufSize;
    if (FAILED(m_settings->GetDefaultDevmode(&defaultSize, defaults.data()))) return E_FAIL;
    if (signature != ReadField<DWORD>(m_settings, defaults.data(), u"_SIGNATURE", SETTINGS_SELECT_DEVMODE))
        return E_FAIL;
    if (!HoldsPaperSize(in) || !HoldsPaperSize(out)) return S_OK;

    const DWORD pagesPerSheet =
        PagesPerSheetFor(ReadField<BYTE>(m_settings, record, u"_NUP_PAGES", SETTINGS_SELECT_DEVMODE));

    // N-up sheets print on the document's first paper. A first-page size of 0 names no paper.
    const DWORD firstPageSize = ReadField<DWORD>(m_settings, record, u"_FIRSTPAGESIZE", SETTINGS_SELECT_DEVMODE);
    if (firstPageSize != kNoFirstPageSize) m_firstPagePaperSize = firstPageSize;
    if ((in->dmFields & DM_PAPERSIZE) && m_firstPagePaperSize != 0 && m_firstPagePaperSize < 65535 &&
        m_firstPagePaperSize != static_cast<WORD>(in->dmPaperSize) && pagesPerSheet >= 2) {
        in->dmPaperSize = static_cast<short>(m_firstPagePaperSize);
        out->dmPaperSize = static_cast<short>(m_firstPagePaperSize);
    }

    // Booklets print on their sheet size.
    const BYTE scaleToPaper = ReadField<BYTE>(m_settings, record, u"_SCALEDOCON_ENABLED", SETTINGS_SELECT_DEVMODE);
    const BYTE booklet = ReadField<BYTE>(m_settings, record, u"_BOOKLET", SETTINGS_SELECT_DEVMODE);
    if (booklet == 1) {
        if (scaleToPaper == 1) {
            const WORD target = ReadField<WORD>(m_settings, record, u"_SCALEDOCON_SIZE", SETTINGS_SELECT_DEVMODE);
            const short paper = target ? static_cast<short>(target) : GlobalPaperSize(param->hPrinter);
            if (paper) out->dmPaperSize = paper;
        }
    } else if (booklet >= 2 && booklet <= 21) {
        const short sheet = BookletSheetSize(booklet);
        if (sheet && in->dmPaperSize != sheet) out->dmPaperSize = sheet;
    }
    return S_OK;
}
