#include "page_layout.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "oem_pdev.h"
#include "process_facts.h"
#include "settings_access.h"

namespace {

template <class T>
bool JobField(const OemPdev* pdev, LPCWSTR key, T* value) {
    return TryReadField(pdev->m_settings, pdev->m_privateDevmode, key, SETTINGS_SELECT_DEVMODE, value);
}

template <class T>
bool PrinterField(const OemPdev* pdev, LPCWSTR key, T* value) {
    return TryReadField(pdev->m_settings, nullptr, key, SETTINGS_SELECT_PRINTER, value);
}

template <class T>
T JobValue(const OemPdev* pdev, LPCWSTR key) {
    T value{};
    JobField(pdev, key, &value);
    return value;
}

template <class T>
T PrinterValue(const OemPdev* pdev, LPCWSTR key) {
    T value{};
    PrinterField(pdev, key, &value);
    return value;
}

// Duplex printing is asked for by the public devmode.
bool Duplex(const OemPdev* pdev) {
    const PDEVMODEW devmode = pdev->m_publicDevmode;
    return devmode && (devmode->dmDuplex == DMDUP_VERTICAL || devmode->dmDuplex == DMDUP_HORIZONTAL);
}

// The spooler's page count of the PDEV's job (level 2 of its record), when the job has a DEVMODE.
bool ReadSpoolerPageCount(const OemPdev* pdev, DWORD* pages) {
    std::u16string name = pdev->m_printerName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE | READ_CONTROL};
    HANDLE printer = nullptr;
    if (name.empty() || !OpenPrinterW(name.data(), &printer, &defaults)) return false;
    bool read = false;
    DWORD needed = 0;
    if (!GetJobW(printer, pdev->m_document.m_jobId, 2, nullptr, 0, &needed) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed >= sizeof(JOB_INFO_2W)) {
        std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[needed]);
        if (buffer && GetJobW(printer, pdev->m_document.m_jobId, 2, buffer.get(), needed, &needed)) {
            const auto* job = reinterpret_cast<const JOB_INFO_2W*>(buffer.get());
            if (job->pDevMode && job->pDevMode->dmSize != 0) {
                *pages = job->TotalPages;
                read = true;
            }
        }
    }
    ClosePrinter(printer);
    return read;
}

void SetCell(PageLayout& layout, DWORD index, LONG x, LONG y) {
    layout.m_cellCentres[index] = POINTL{x, y};
}

// The N-up cells of the printable area and the scale factor of a page in them.
void LayOutCells(OemPdev* pdev) {
    PageLayout& layout = pdev->m_layout;
    const LONG w = static_cast<LONG>(layout.m_gdiInfo.ulHorzRes);
    const LONG h = static_cast<LONG>(layout.m_gdiInfo.ulVertRes);
    const double wide = w ? static_cast<double>(h) / w : 1.0;  // H / W
    const double tall = h ? static_cast<double>(w) / h : 1.0;  // W / H
    std::memset(layout.m_cellCentres, 0, sizeof layout.m_cellCentres);
    const DWORD pages = (pdev->m_modeFlags & kModeHpgl2) ? 1 : layout.m_pagesPerSheet;
    switch (pages) {
    case 2:
        if (layout.m_landscape) {
            SetCell(layout, 0, w / 4, h / 2);
            SetCell(layout, 1, 3 * w / 4, h / 2);
            layout.m_cellSize = SIZEL{w / 2, h};
            layout.m_scaleFactor = std::min(wide, tall * 0.5);
        } else {
            SetCell(layout, 0, w / 2, h / 4);
            SetCell(layout, 1, w / 2, 3 * h / 4);
            layout.m_cellSize = SIZEL{w, h / 2};
            layout.m_scaleFactor = std::min(wide * 0.5, tall);
        }
        break;
    case 4:
        for (DWORD j = 0; j < 2; ++j)
            for (DWORD i = 0; i < 2; ++i)
                SetCell(layout, j * 2 + i, w / 4 + static_cast<LONG>(i) * (w / 2), h / 4 + static_cast<LONG>(j) * (h / 2));
        layout.m_cellSize = SIZEL{w / 2, h / 2};
        layout.m_scaleFactor = 0.5;
        break;
    case 6:
        if (layout.m_landscape) {
            const LONG columns[3] = {w / 6, 3 * w / 6, 5 * w / 6};
            const LONG rows[2] = {h / 4, 3 * h / 4};
            for (DWORD j = 0; j < 2; ++j)
                for (DWORD i = 0; i < 3; ++i) SetCell(layout, j * 3 + i, columns[i], rows[j]);
            layout.m_cellSize = SIZEL{w / 3, h / 2};
            layout.m_scaleFactor = std::min(wide * 0.5, tall / 3);
        } else {
            const LONG columns[2] = {w / 4, 3 * w / 4};
            const LONG rows[3] = {h / 6, 3 * h / 6, 5 * h / 6};
            for (DWORD j = 0; j < 3; ++j)
                for (DWORD i = 0; i < 2; ++i) SetCell(layout, j * 2 + i, columns[i], rows[j]);
            layout.m_cellSize = SIZEL{w / 2, h / 3};
            layout.m_scaleFactor = std::min(wide / 3, tall * 0.5);
        }
        break;
    case 9:
    case 16: {
        const LONG k = pages == 9 ? 3 : 4;
        for (LONG j = 0; j < k; ++j)
            for (LONG i = 0; i < k; ++i)
                SetCell(layout, static_cast<DWORD>(j * k + i), w / (2 * k) + i * (w / k), h / (2 * k) + j * (h / k));
        layout.m_cellSize = SIZEL{w / k, h / k};
        layout.m_scaleFactor = 1.0 / static_cast<double>(k);
        break;
    }
    default:
        SetCell(layout, 0, w / 2, h / 2);
        layout.m_cellSize = SIZEL{w, h};
        layout.m_scaleFactor = 1.0;
        break;
    }
    layout.m_cellCount = pages;
    if (layout.m_scalePercent != 100) layout.m_scaleFactor = layout.m_scalePercent / 100.0;
}

// _BOOKLET: the side of a booklet kind (1 or 2), 0 for no booklet.
BYTE BookletSide(BYTE value) {
    switch (value) {
    case 2: case 4: case 6: case 10: case 12: case 14: case 18: case 20: return 1;
    case 3: case 5: case 7: case 11: case 13: case 15: case 19: case 21: return 2;
    default: return 0;
    }
}

// Loads the watermark settings; false when _WMK_1STPAGEONLY holds a value it cannot take.
bool LoadWatermark(OemPdev* pdev) {
    WatermarkSettings& watermark = pdev->m_layout.m_watermark;
    const BYTE on = JobValue<BYTE>(pdev, u"_WMK_ENABLED");
    watermark.m_on = on == 1 ? 1 : 0;
    if (!watermark.m_on) return true;
    const BYTE firstPageOnly = JobValue<BYTE>(pdev, u"_WMK_1STPAGEONLY");
    if (firstPageOnly > 1) return false;
    watermark.m_firstPageOnly = firstPageOnly;
    if (!ReadTextField(pdev->m_settings, pdev->m_privateDevmode, u"_WMK_TEXT", SETTINGS_SELECT_DEVMODE, kWatermarkChars,
                       &watermark.m_text))
        watermark.m_text = u"WM Text Fail";
    if (!ReadTextField(pdev->m_settings, pdev->m_privateDevmode, u"_WMK_FONT", SETTINGS_SELECT_DEVMODE, kWatermarkChars,
                       &watermark.m_font))
        watermark.m_font = u"Arial";
    watermark.m_angle = JobValue<BYTE>(pdev, u"_WMK_ANGLE");
    watermark.m_degree = JobValue<WORD>(pdev, u"_WMK_DEGREE");
    watermark.m_color = JobValue<DWORD>(pdev, u"_WMK_COLOR");
    watermark.m_shade = JobValue<WORD>(pdev, u"_WMK_SHADE");
    watermark.m_size = JobValue<WORD>(pdev, u"_WMK_SIZE");
    watermark.m_style = JobValue<BYTE>(pdev, u"_WMK_STYLE");
    watermark.m_mode = PrinterValue<DWORD>(pdev, u"_WMKMODE");
    return true;
}

struct FourValues {
    DWORD m_values[4];
};

}  // namespace

void LoadLayoutSettings(OemPdev* pdev, const GDIINFO* gdiInfo) {
    PageLayout& layout = pdev->m_layout;
    if (gdiInfo) layout.m_gdiInfo = *gdiInfo;
    layout.m_scaleMode = 0;
    if (RunningInSpooler()) {
        JobField(pdev, u"_SCALE_FACTOR", &layout.m_scalePercent);
        JobField(pdev, u"_SCALEDOCON_TOFIT", &layout.m_scaleToFit);
        JobField(pdev, u"_SCALEDOCON_SIZE", &layout.m_scaleToPaperSize);
        JobField(pdev, u"_SCALEDOCON_ENABLED", &layout.m_scaleToPaper);
        JobField(pdev, u"_ROTATED", &layout.m_rotated);
    }
    JobField(pdev, u"_PRNTXTBLACK", &layout.m_printTextBlack);

    if (layout.m_scalePercent > 100)
        layout.m_scaleMode = 1;
    else if (layout.m_scalePercent == 100 && !layout.m_scaleToFit && layout.m_scaleToPaper)
        layout.m_scaleMode = 2;
    else
        return;

    // The target paper less 200 device units.
    const LONG resolution = layout.m_resolution;
    layout.m_targetWidth = resolution * JobValue<WORD>(pdev, u"_MEDIASIZE_WIDTH") / 254 - 200;
    layout.m_targetHeight = resolution * JobValue<WORD>(pdev, u"_MEDIASIZE_HEIGHT") / 254 - 200;
    const bool landscape = pdev->m_publicDevmode && pdev->m_publicDevmode->dmOrientation == DMORIENT_LANDSCAPE;
    const LONG across = static_cast<LONG>(landscape ? layout.m_gdiInfo.ulVertRes : layout.m_gdiInfo.ulHorzRes);
    const LONG down = static_cast<LONG>(landscape ? layout.m_gdiInfo.ulHorzRes : layout.m_gdiInfo.ulVertRes);
    layout.m_targetWidth = std::min(layout.m_targetWidth, across);
    layout.m_targetHeight = std::min(layout.m_targetHeight, down);
}

void LoadPageSettings(OemPdev* pdev) {
    PageLayout& layout = pdev->m_layout;
    const PDEVMODEW devmode = pdev->m_publicDevmode;
    layout.m_flags = kLayoutPageSettingsLoaded;
    if (devmode) {
        layout.m_landscape = devmode->dmOrientation == DMORIENT_LANDSCAPE ? 1 : 0;
        layout.m_copies = static_cast<WORD>(devmode->dmCopies);
        layout.m_collate = static_cast<WORD>(devmode->dmCollate);
        layout.m_duplex = static_cast<WORD>(devmode->dmDuplex);
    }
    std::memset(layout.m_lineMarks, 0, sizeof layout.m_lineMarks);

    // Pages per sheet: a border other than 0 or 1, or an order outside 1-4, switches N-up off.
    layout.m_pagesPerSheet = PagesPerSheetFor(JobValue<BYTE>(pdev, u"_NUP_PAGES"));
    layout.m_nupOn = layout.m_pagesPerSheet > 1 ? 1 : 0;
    layout.m_nupBorder = 0;
    layout.m_nupOrder = 0;
    if (layout.m_nupOn) {
        layout.m_nupBorder = JobValue<BYTE>(pdev, u"_NUP_BORDER");
        layout.m_nupOrder = JobValue<BYTE>(pdev, u"_NUP_ORDER");
        if (layout.m_nupBorder > 1 || layout.m_nupOrder < 1 || layout.m_nupOrder > 4) {
            layout.m_nupOn = 0;
            layout.m_pagesPerSheet = 1;
            layout.m_nupBorder = 0;
        }
    }

    layout.m_duplexType = PrinterValue<DWORD>(pdev, u"_DUPLEXTYPE");
    if (Duplex(pdev)) {
        if (layout.m_duplexType == 2) layout.m_flags |= kLayoutDuplexType2;
        if (layout.m_duplexType == 3) layout.m_flags |= kLayoutDuplexType3;
    }

    layout.m_bookletSide = BookletSide(JobValue<BYTE>(pdev, u"_BOOKLET"));
    layout.m_booklet = layout.m_bookletSide ? 1 : 0;
    if (layout.m_booklet) {
        layout.m_flags |= kLayoutBooklet;
        layout.m_pagesPerSheet = 2;
    }

    const BYTE pageOrder = JobValue<BYTE>(pdev, u"_PAGEORDER");
    layout.m_pageOrder = pageOrder == 1 ? 1 : 0;
    layout.m_flags |= layout.m_pageOrder ? kLayoutPageOrder1 : kLayoutPageOrder0;

    LayOutCells(pdev);

    layout.m_poster = JobValue<BYTE>(pdev, u"_POSTER");
    layout.m_posterCrop = layout.m_poster ? JobValue<BYTE>(pdev, u"_POSTER_CROP") : 0;
    layout.m_deviceType = PrinterValue<DWORD>(pdev, u"_DEVICETYPE");
    if (layout.m_deviceType == 0) layout.m_deviceType = 1;

    if (!LoadWatermark(pdev)) return;

    if (devmode && (devmode->dmFields & DM_YRESOLUTION))
        layout.m_resolution = static_cast<WORD>(devmode->dmYResolution);
    else
        layout.m_resolution = static_cast<WORD>(layout.m_gdiInfo.ulLogPixelsX);
}

void StartPageLayout(OemPdev* pdev, SIZEL surfaceSize) {
    PageLayout& layout = pdev->m_layout;
    const DocumentCounters& document = pdev->m_document;
    layout.m_surfaceSize = surfaceSize;
    LoadPageSettings(pdev);
    std::memset(layout.m_lineMarks, 0, sizeof layout.m_lineMarks);
    layout.m_pageObjects.reset();

    // The last sheet of a manual-duplex job is fed from the manual slot.
    if ((layout.m_flags & (kLayoutDuplexType2 | kLayoutDuplexType3)) && document.m_spoolerPageCount &&
        document.m_sheetCount && document.m_pageCounter == document.m_sheetCount && pdev->m_hooks &&
        pdev->m_hooks->m_mapCommandId)
        pdev->m_hooks->m_mapCommandId(pdev, 100);

    if (document.m_pageCounter == 0) layout.m_firstPageLandscape = layout.m_landscape;

    if (layout.m_watermark.m_on && (document.m_pageCounter == 0 || !layout.m_watermark.m_firstPageOnly)) {
        const DWORD mask = JobValue<DWORD>(pdev, u"_ACC_NUPPAGEORIENT");
        layout.m_nupPageOrient = mask > 0x10000 ? 0 : mask;
    }

    FourValues rect{};
    if (JobValue<BYTE>(pdev, u"_BINDING_ENABLED") && JobField(pdev, u"_BINDING_ADJUSTRECT", &rect))
        std::memcpy(layout.m_bindingAdjustRect, rect.m_values, sizeof rect.m_values);
}

void FreePageObjects(OemPdev* pdev) {
    pdev->m_layout.m_pageObjects.reset();
    ++pdev->m_document.m_pageCounter;
}

void CountDuplexSheets(OemPdev* pdev, DWORD mode) {
    DocumentCounters& document = pdev->m_document;
    // A job the spooler cannot tell of, or one without a DEVMODE, leaves the counts as they are.
    if (mode == 0 && !ReadSpoolerPageCount(pdev, &document.m_spoolerPageCount)) return;
    if (!Duplex(pdev)) return;
    const DWORD count = document.m_spoolerPageCount;
    document.m_sheetCount = (count + 1) / 2;
    const DWORD type = pdev->m_layout.m_duplexType;
    // A DEVMODE asking for no copies prints one.
    const DWORD copies = pdev->m_layout.m_copies ? pdev->m_layout.m_copies : 1;
    if (count > document.m_sheetCount && (type == 2 || type == 3)) document.m_sheetCount = copies * document.m_sheetCount;
}

HRESULT CarryPDEVState(OemPdev* newPdev, OemPdev* oldPdev) {
    if (!newPdev || !oldPdev) return E_FAIL;
    DocumentCounters& to = newPdev->m_document;
    DocumentCounters& from = oldPdev->m_document;
    to.m_jobId = from.m_jobId;
    from.m_jobId = 0;
    to.m_pageCounter = from.m_pageCounter;
    to.m_spoolerPageCount = from.m_spoolerPageCount;
    to.m_docPageCount = from.m_docPageCount;
    newPdev->m_jobNameLine = std::move(oldPdev->m_jobNameLine);
    newPdev->m_layout.m_firstPageLandscape = oldPdev->m_layout.m_firstPageLandscape;
    newPdev->m_layout.m_resolution = oldPdev->m_layout.m_resolution;
    // The strings are the new PDEV's own: the old one is disabled right after and takes its
    // copies with it.
    newPdev->m_layout.m_watermark.m_text = oldPdev->m_layout.m_watermark.m_text;
    newPdev->m_layout.m_watermark.m_font = oldPdev->m_layout.m_watermark.m_font;
    newPdev->m_fontId = oldPdev->m_fontId;
    // The downloaded fonts stay on the printer: the cache goes on with the new PDEV, which it now
    // writes through.
    newPdev->m_fontCache = std::move(oldPdev->m_fontCache);
    if (newPdev->m_fontCache) newPdev->m_fontCache->m_owner = newPdev;
    newPdev->m_pageWork = std::move(oldPdev->m_pageWork);
    newPdev->m_pageWorkSize = oldPdev->m_pageWorkSize;
    oldPdev->m_pageWorkSize = 0;
    if (newPdev->m_pageWork) std::memset(newPdev->m_pageWork.get(), 0, newPdev->m_pageWorkSize);
    LoadPageSettings(newPdev);
    if (Duplex(newPdev)) CountDuplexSheets(newPdev, 1);
    return S_OK;
}

void MarkCellCrossings(OemPdev* pdev, LONG x1, LONG y1, LONG x2, LONG y2) {
    PageLayout& layout = pdev->m_layout;
    if (layout.m_pagesPerSheet == 1) return;
    const bool horizontal = y1 == y2;
    const bool vertical = x1 == x2;
    if (!horizontal && !vertical) return;
    x1 += pdev->m_bandOrigin.x;
    x2 += pdev->m_bandOrigin.x;
    y1 += pdev->m_bandOrigin.y;
    y2 += pdev->m_bandOrigin.y;
    const DWORD cells = std::min(layout.m_cellCount, kMaxCells);
    for (DWORD i = 0; i < cells; ++i) {
        const POINTL centre = layout.m_cellCentres[i];
        if (horizontal) {
            if (std::min(x1, x2) < centre.x && centre.x < std::max(x1, x2))
                layout.m_lineMarks[i] |= y1 < centre.y ? kMarkAbove : kMarkBelow;
        } else if (std::min(y1, y2) < centre.y && centre.y < std::max(y1, y2)) {
            layout.m_lineMarks[i] |= x1 < centre.x ? kMarkLeft : kMarkRight;
        }
    }
}
