// The universal driver's private-devmode requests (size, default, convert, merge), the merge's
// devmode rules and the paper-size helpers.
#include <algorithm>
#include <cstring>

#include "codrvsettings.h"
#include "xprimpl.h"

// Values of the public devmode that the rules name and the platform header may not.
#ifndef DMPAPER_CSHEET
#define DMPAPER_CSHEET 24
#endif
#ifndef DMPAPER_A2
#define DMPAPER_A2 66
#endif
#ifndef DMBIN_CASSETTE
#define DMBIN_CASSETTE 14
#endif
#ifndef DMBIN_FORMSOURCE
#define DMBIN_FORMSOURCE 15
#endif

namespace {

// How close a form size must come to a paper size, in micrometres.
constexpr LONG kFormTolerance = 150;

bool Within(LONG value, LONG low, LONG high) {
    return value >= low && value <= high;
}

bool Near(long long value, long long target) {
    return value >= target - kFormTolerance && value <= target + kFormTolerance;
}

}  // namespace

HRESULT CoDrvSettings::GetDevmodeSize(DWORD* size) {
    if (!size) return E_INVALIDARG;
    *size = m_cursors[0] ? GetRecordSize(m_cursors[0]) : 0;
    return *size ? S_OK : E_NOTIMPL;
}

HRESULT CoDrvSettings::GetDefaultDevmode(DWORD* size, PVOID destination) {
    if (!size || !destination) return E_INVALIDARG;
    const XprTable* table = m_cursors[0];
    if (!table || table->m_currentRow >= table->m_endRow || table->m_currentRow >= table->m_rowCount) {
        *size = 0;
        return E_FAIL;
    }
    const DWORD recordSize = GetRecordSize(m_cursors[0]);
    if (*size < recordSize) return E_OUTOFMEMORY;
    std::memcpy(destination, xpr::RowAt(table, table->m_currentRow) + SETTINGS_KEY_BYTES, recordSize);
    *size = recordSize;
    return S_OK;
}

HRESULT CoDrvSettings::ConvertDevmode(DWORD* size, PVOID destination, PVOID source) {
    if (!size || !*size || !destination || !source) return E_INVALIDARG;
    DWORD sourceSignature = 0, destinationSignature = 0, sourceSize = 0;
    if (FAILED(GetFieldValue(source, u"_SIGNATURE", &sourceSignature, sizeof sourceSignature, SETTINGS_SELECT_DEVMODE)) ||
        FAILED(GetFieldValue(destination, u"_SIGNATURE", &destinationSignature, sizeof destinationSignature,
                             SETTINGS_SELECT_DEVMODE)) ||
        FAILED(GetFieldValue(source, u"_SIZE", &sourceSize, sizeof sourceSize, SETTINGS_SELECT_DEVMODE)))
        return E_FAIL;
    if (sourceSignature != destinationSignature) return S_OK;
    std::memmove(destination, source, std::min(*size, sourceSize));
    return S_OK;
}

HRESULT CoDrvSettings::MergeDevmode(DWORD* size, PDEVMODEW publicDevmode, PDEVMODEW publicDevmode2, PVOID destination,
                                    PVOID source) {
    if (!size || !*size || !publicDevmode || !publicDevmode2 || !destination || !source) return E_INVALIDARG;
    if (FAILED(ApplyDevmodeRules(publicDevmode, source))) return E_FAIL;
    DWORD sourceSize = 0;
    if (FAILED(GetFieldValue(source, u"_SIZE", &sourceSize, sizeof sourceSize, SETTINGS_SELECT_DEVMODE))) return E_FAIL;
    std::memmove(destination, source, std::min(*size, sourceSize));
    return S_OK;
}

HRESULT CoDrvSettings::ApplyDevmodeRules(PDEVMODEW publicDevmode, PVOID privateDevmode) {
    if (!publicDevmode || !privateDevmode) return E_INVALIDARG;
    // A field that a table lacks reads as 0.
    const auto read = [&](PVOID record, LPCWSTR name, DWORD selector, DWORD bytes) {
        DWORD value = 0;
        GetFieldValue(record, name, &value, bytes, selector);
        return value;
    };
    const auto write = [&](PVOID record, LPCWSTR name, DWORD value, DWORD bytes) {
        SetFieldValue(record, name, &value, bytes, SETTINGS_SELECT_DEVMODE);
    };

    // No duplex unit: one-sided printing, and the booklet mode that needs no second side.
    if (read(nullptr, u"_DUPLEXTYPE", SETTINGS_SELECT_PRINTER, 4) == 0 && publicDevmode->dmDuplex != DMDUP_SIMPLEX) {
        publicDevmode->dmFields |= DM_DUPLEX;
        publicDevmode->dmDuplex = DMDUP_SIMPLEX;
        if (read(privateDevmode, u"_BKL_MODE", SETTINGS_SELECT_DEVMODE, 1) != 1)
            write(privateDevmode, u"_BKL_MODE", 1, 1);
    }

    // The large sizes print only scaled down, unless the printer scales them itself.
    const DWORD mediaSize = read(privateDevmode, u"_MEDIASIZE", SETTINGS_SELECT_DEVMODE, 2);
    if (read(nullptr, u"_LRGSIZESCL", SETTINGS_SELECT_PRINTER, 1) == 0 &&
        (mediaSize == DMPAPER_CSHEET || mediaSize == DMPAPER_A2)) {
        publicDevmode->dmFields |= DM_PAPERSIZE;
        publicDevmode->dmPaperSize =
            static_cast<short>(read(privateDevmode, u"_SCALEDOCON_SIZE", SETTINGS_SELECT_DEVMODE, 2));
        write(privateDevmode, u"_SCALEDOCON_ENABLED", 0, 1);
        write(privateDevmode, u"_SCALE_FACTOR", 100, 2);
    }

    // Sources the printer does not have become automatic selection.
    const short source = publicDevmode->dmDefaultSource;
    switch (source) {
    case DMBIN_UPPER:
    case DMBIN_FORMSOURCE:
    case DMBIN_MANUAL:
    case DMBIN_MIDDLE:
    case DMBIN_LOWER:
    case DMBIN_CASSETTE: {
        const DWORD optionalSources = read(nullptr, u"_OPTSOURCE", SETTINGS_SELECT_PRINTER, 2);
        const bool lower = source == DMBIN_LOWER || source == DMBIN_CASSETTE;
        if ((optionalSources == 1 && (lower || source == DMBIN_MIDDLE)) || (optionalSources == 2 && lower))
            publicDevmode->dmDefaultSource = DMBIN_AUTO;
        break;
    }
    default:
        publicDevmode->dmDefaultSource = DMBIN_AUTO;
        publicDevmode->dmFields |= DM_DEFAULTSOURCE;
        break;
    }
    return S_OK;
}

HRESULT CoDrvSettings::FormSizeMatches(const SIZEL* size, LONG width, LONG height) {
    if (!size) return E_INVALIDARG;
    return Near(size->cx, width * 100LL) && Near(size->cy, height * 100LL) ? S_OK : S_FALSE;
}

HRESULT CoDrvSettings::PaperIdFromFormSize(const SIZEL* size, SHORT* paperId) {
    if (!size || !paperId) return E_INVALIDARG;
    const LONG cx = size->cx, cy = size->cy;
    if (Within(cx, 279250, 279550) && Within(cy, 431650, 431950)) {
        *paperId = DMPAPER_11X17;
    } else if (Within(cx, 215750, 216050) && Within(cy, 355450, 355750)) {
        *paperId = DMPAPER_LEGAL;
    } else if (Within(cx, 256850, 257150) && Within(cy, 363850, 364150)) {
        *paperId = DMPAPER_B4;
    } else if (Within(cx, 181850, 182150) && Within(cy, 256850, 257150)) {
        *paperId = DMPAPER_B5;
    } else if (Near(cx, 139700) && Near(cy, 215900)) {
        *paperId = DMPAPER_STATEMENT;
    } else if (Near(cx, 215900) && Near(cy, 279400)) {
        *paperId = DMPAPER_LETTER;
    }
    return S_OK;
}
