// FindFormPaper and the DevMode hook's paper fix-ups.
#include "form_paper.h"

#include <memory>
#include <new>
#include <string_view>

#include <win/winspool.h>
#include <win/winspool_forms.h>
#include <win/winspool_levels.h>

#include "model_hooks.h"
#include "settings_objects.h"

namespace {

struct FormName {
    DWORD m_code;
    std::u16string_view m_name;
};

constexpr FormName kForms[] = {
    {1, u"LT 8.5 x 11 in"},     {5, u"LGL 8.5 x 14 in"},     {6, u"HLT 5.5 x 8.5 in"}, {7, u"EXE 7.25 x 10.5 in"},
    {9, u"A4 210 x 297 mm"},    {11, u"A5 148 x 210 mm"},    {13, u"B5 182 x 257 mm"}, {14, u"GLG 8.5 x 13 in"},
    {20, u"C10 4.125 x 9.5 in"}, {27, u"DL 110 x 220 mm"},   {28, u"C5 162 x 229 mm"}, {31, u"C6 114 x 162 mm"},
    {34, u"IB5 176 x 250 mm"},  {37, u"MON 3.875 x 7.5 in"}, {60, u"F4 210 x 330 mm"},
};

constexpr size_t kPaperNameChars = 64;
constexpr DWORD kFormSizeEntries = 7;

std::u16string_view FormNameOf(DWORD code) {
    if (code == 0 || code > 60) return {};
    for (const FormName& form : kForms) {
        if (form.m_code == code) return form.m_name;
    }
    return {};
}

}  // namespace

WORD FindFormPaper(HANDLE printer, DWORD paperCode) {
    alignas(8) BYTE info[544] = {};
    DWORD needed = 0;
    if (!GetPrinterW(printer, 5, info, sizeof info, &needed)) return 0;
    const auto* printerInfo = reinterpret_cast<const PRINTER_INFO_5W*>(info);
    const int count = DeviceCapabilitiesW(printerInfo->pPrinterName, printerInfo->pPortName, DC_PAPERS, nullptr, nullptr);
    if (count <= 0) return 0;
    std::unique_ptr<WORD[]> papers(new (std::nothrow) WORD[static_cast<size_t>(count)]);
    std::unique_ptr<WCHAR[]> names(new (std::nothrow) WCHAR[static_cast<size_t>(count) * kPaperNameChars]);
    if (!papers || !names) return 0;
    if (DeviceCapabilitiesW(printerInfo->pPrinterName, printerInfo->pPortName, DC_PAPERS,
                            reinterpret_cast<LPWSTR>(papers.get()), nullptr) != count ||
        DeviceCapabilitiesW(printerInfo->pPrinterName, printerInfo->pPortName, DC_PAPERNAMES, names.get(), nullptr) !=
            count)
        return 0;
    const std::u16string_view form = FormNameOf(paperCode);
    if (form.empty()) return 0;
    for (int i = 0; i < count; ++i) {
        const WCHAR* name = names.get() + static_cast<size_t>(i) * kPaperNameChars;
        size_t length = 0;
        while (length < kPaperNameChars && name[length]) ++length;
        if (std::u16string_view(name, length) == form) return papers[static_cast<size_t>(i)];
    }
    return 0;
}

HRESULT hrOEMDevMode(DWORD mode, POEMDMPARAM param) {
    if (!param) return E_NOTIMPL;
    if (mode == OEMDM_DEFAULT) {
        PDEVMODEW in = param->pPublicDMIn;
        if (!in || in->dmPaperSize != DMPAPER_LETTER) return E_NOTIMPL;
        in->dmPaperSize = DMPAPER_A4;
        in->dmFields |= DM_PAPERSIZE;
        return E_PENDING;
    }
    if (mode != OEMDM_MERGE) return E_NOTIMPL;
    if (param->hPrinter == INVALID_HANDLE_VALUE || !param->pPublicDMOut) return E_NOTIMPL;
    IDrvSettings* settings = nullptr;
    if (FAILED(CreateDrvSettings(param->hPrinter, &settings)) || !settings) return E_NOTIMPL;
    BYTE formAssign = 0;
    settings->GetFieldValue(nullptr, u"_FORMASSIGN", &formAssign, sizeof formAssign, SETTINGS_SELECT_PRINTER);
    if (formAssign != 1) {
        settings->Release();
        return E_NOTIMPL;
    }
    DWORD list[kFormSizeEntries] = {};
    DWORD formSize = 0;
    settings->GetFieldValue(nullptr, u"_FORMSIZE_LIST", list, sizeof list, SETTINGS_SELECT_PRINTER);
    settings->GetFieldValue(nullptr, u"_FORMSIZE", &formSize, sizeof formSize, SETTINGS_SELECT_PRINTER);
    settings->Release();

    PDEVMODEW out = param->pPublicDMOut;
    const auto current = static_cast<WORD>(out->dmPaperSize);
    for (DWORD entry : list) {
        if (FindFormPaper(param->hPrinter, entry) == current) return E_PENDING;
    }
    // A form the printer lists no paper for leaves the paper as it is: paper 0 names no paper.
    if (const WORD paper = FindFormPaper(param->hPrinter, formSize)) out->dmPaperSize = static_cast<short>(paper);
    return E_PENDING;
}
