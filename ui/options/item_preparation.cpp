// PrepareItems: the sheet's items adapted to the printer before the stored settings are read into
// them: option lists from the device's capabilities, option names, the port's and the user's
// limits, and the items the printer or the system cannot offer.
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include <win/winosinfo.h>
#include <win/winspool.h>
#include <win/winspool_forms.h>
#include <win/winspool_levels.h>

#include "couipluginext.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"
#include "items/printer_form.h"
#include "items/system_func.h"
#include "options/handler_factory_drv.h"
#include "options/item_preparation.h"

namespace {

// Option names of the paper source by the device's bin number.
struct NamedValue {
    LONG_PTR m_value;
    DWORD m_stringId;
};
constexpr NamedValue kBinNames[] = {{1, 3368}, {2, 3370}, {3, 3369}, {4, 3367}};
constexpr NamedValue kMediaNames[] = {{513, 1316}, {517, 1320}, {518, 1321}, {519, 1322}};
constexpr NamedValue kTrayPaperNames[] = {{1, 1226}, {5, 1225}, {6, 1238}, {8, 1215}, {9, 1216},
                                          {11, 1217}, {12, 1219}, {13, 1220}, {17, 1224}, {256, 1213}};
constexpr DWORD kDeviceOptionNames[] = {25120, 25121, 25188, 25123};

constexpr DWORD kBinAutomatic = 3365;
constexpr DWORD kBinFormSource = 3366;
constexpr LONG_PTR kPlainPaper = 513;

// Hints: caption string in the high word, message string in the low word.
constexpr WORD kPortHintCaption = 32769;
constexpr WORD kPortHintMessage = 32800;
constexpr WORD kRightsHintCaption = 32768;
constexpr WORD kRightsHintMessage = 32801;
constexpr DWORD kHintBit = 0x8000;

constexpr DWORD kPortHintKeys[] = {7, 16, 3101, 3203, 2450, 2602, 2622};
constexpr DWORD kPortDisabledKeys[] = {2402, 2601, 2603, 2621};
constexpr DWORD kRightsHintKeys[] = {150, 1250, 2450};
constexpr DWORD kIniHintKeys[] = {1250};

DWORD NameFor(std::span<const NamedValue> names, LONG_PTR value) {
    for (const NamedValue& name : names)
        if (name.m_value == value) return name.m_stringId;
    return 0;
}

// The printer's port and attributes (PRINTER_INFO_5); false when they cannot be read.
bool ReadPortInfo(HANDLE printer, std::u16string* port, DWORD* attributes) {
    DWORD needed = 0;
    if (!printer) return false;
    GetPrinterW(printer, 5, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_5W)) return false;
    std::vector<BYTE> buffer;
    try {
        buffer.resize(needed);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!GetPrinterW(printer, 5, buffer.data(), needed, &needed)) return false;
    PRINTER_INFO_5W info;
    std::memcpy(&info, buffer.data(), sizeof info);
    *port = info.pPortName ? std::u16string(info.pPortName) : std::u16string();
    *attributes = info.Attributes;
    return true;
}

bool IsFilePortOrDirect(const std::u16string& port, DWORD attributes) {
    return port == u"FILE:" ||
           (attributes & (PRINTER_ATTRIBUTE_DIRECT | PRINTER_ATTRIBUTE_RAW_ONLY | PRINTER_ATTRIBUTE_FAX)) != 0;
}

}  // namespace

SIZEL FormSize(HANDLE printer, LPCWSTR name) {
    const QORVAPrinterForm form(printer, name);
    return form ? form.info().Size : SIZEL{0, 0};
}

void QORVAOptItemHandlerFactoryDrv::TakeSheetAccess() {
    const CoUIPluginExt* sheet = Extension();
    if (sheet && sheet->m_accessState != kAccessUntested) SetSheetAccess(sheet->m_accessState, sheet->m_readOnly);
}

void QORVAOptItemHandlerFactoryDrv::PrepareItems() {
    TakeSheetAccess();
    if (!PrepareDeviceRecordStep()) return;
    const bool document = SheetMode() != OEMCUIP_PRNPROP;
    if (document) {
        PreparePaperSource();
        PreparePaperSize();
        PrepareMediaType();
        PrepareCopies();
        PrepareScaleToPaper();
        PrepareWatermarkFont();
        PrepareDuplex();
        PreparePortAndRights();
    } else {
        PrepareTrayPaperSizes();
        PrepareDeviceOption();
        PrepareElevation();
    }
}

bool QORVAOptItemHandlerFactoryDrv::PrepareDeviceRecordStep() {
    return PrepareDeviceRecord(m_record ? m_record->hPrinter : nullptr, m_record ? m_record->pPrinterName : nullptr) != FALSE;
}

void QORVAOptItemHandlerFactoryDrv::NameOption(QORVAOptItemHandler* handler, LONG index, DWORD stringId) {
    IDrvResources* resources = m_extension ? m_extension->Resources() : nullptr;
    if (!handler || !resources || index < 0 || index >= handler->GetOptionCount()) return;
    if (LPWSTR text = resources->DuplicateString(stringId)) handler->SetOptionText(index, text);
}

BOOL QORVAOptItemHandlerFactoryDrv::CloneOwnList(QORVAOptItemHandler* handler, WORD idCapability,
                                                 WORD nameCapability, DWORD nameWidth, LONG firstValue) {
    POPTITEM sheetItem = handler ? handler->Item() : nullptr;
    if (!sheetItem || !sheetItem->pOptType || !m_systemFunc) return FALSE;
    auto* own = static_cast<POPTITEM>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTITEM)));
    auto* type = static_cast<POPTTYPE>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
    if (!own || !type) {
        if (own) HeapFree(m_heap, 0, own);
        if (type) HeapFree(m_heap, 0, type);
        return FALSE;
    }
    *own = *sheetItem;
    *type = *sheetItem->pOptType;
    own->pOptType = type;
    if (!m_systemFunc->CloneOptParam(own, sheetItem, idCapability, nameCapability, nameWidth, firstValue)) {
        HeapFree(m_heap, 0, type);
        HeapFree(m_heap, 0, own);
        return FALSE;
    }
    handler->SetAlternateItem(own);
    return TRUE;
}

void QORVAOptItemHandlerFactoryDrv::PreparePaperSource() {
    QORVAOptItemHandler* source = Handler(4);
    if (!source) return;
    // With one choice or none the first option says that the form picks the tray.
    if (source->GetVisibleOptionCount(nullptr) < 2) {
        source->SetOptionFlags(0, 0, OPTPF_HIDE, nullptr);
        NameOption(source, 0, kBinFormSource);
    } else {
        NameOption(source, 0, kBinAutomatic);
    }
    CloneOwnList(source, DC_BINS, DC_BINNAMES, 24, 0);
    if (source->Item()) source->Item()->HelpIndex = 0xFFFF;
    const LONG count = source->GetOptionCount();
    if (source->GetVisibleOptionCount(nullptr) <= 1 || count <= 1) return;
    for (LONG i = 1; i < count; ++i)
        if (const DWORD name = NameFor(kBinNames, source->GetOptionValue(i, nullptr))) NameOption(source, i, name);
}

void QORVAOptItemHandlerFactoryDrv::PreparePaperSize() {
    QORVAOptItemHandler* paper = FindHandler(1203);
    QORVAOptItemHandler* form = FindHandler(9);
    if (paper && form && m_systemFunc)
        m_systemFunc->CloneOptParam(paper->Item(), form->Item(), DC_PAPERS, DC_PAPERNAMES, 64, 0);
}

void QORVAOptItemHandlerFactoryDrv::PrepareMediaType() {
    QORVAOptItemHandler* media = Handler(12);
    if (!media) return;
    CloneOwnList(media, DC_MEDIATYPES, DC_MEDIATYPENAMES, 64, 512);
    const LONG count = media->GetOptionCount();
    for (LONG i = 0; i < count; ++i)
        if (const DWORD name = NameFor(kMediaNames, media->GetOptionValue(i, nullptr))) NameOption(media, i, name);

    // Tray 1 and the automatic selection take plain paper only.
    QORVAOptItemHandler* source = Handler(4);
    if (!source) return;
    LONG_PTR sourceValue = 0;
    source->GetValue(nullptr, &sourceValue, nullptr);
    if (sourceValue != 1 && sourceValue != 15) return;
    for (LONG i = 0; i < count; ++i) {
        if (media->GetOptionValue(i, nullptr) == kPlainPaper || (media->GetOptionFlags(i) & OPTPF_HIDE)) continue;
        // Off the option first (to another shown option), then hidden, and its entry taken out of
        // the control.
        media->HideOption(i, 0, nullptr);
    }
}

void QORVAOptItemHandlerFactoryDrv::PrepareCopies() {
    if (QORVAOptItemHandler* copies = Handler(3)) copies->SetBounds(1, 999);
}

void QORVAOptItemHandlerFactoryDrv::PrepareScaleToPaper() {
    QORVAOptItemHandler* scale = FindHandler(3102);
    QORVAOptItemHandler* form = FindHandler(9);
    if (scale && form && m_systemFunc)
        m_systemFunc->CloneOptParam(scale->Item(), form->Item(), DC_PAPERS, DC_PAPERNAMES, 64, 0);
    scale = Handler(3102);
    QORVAOptItemHandler* width = Handler(17152);
    QORVAOptItemHandler* height = Handler(17202);
    if (!scale || !width || !height) return;
    // The custom-size limits are tenths of a millimetre; forms are in thousandths. A limit the
    // description does not give limits nothing (a placeholder's 0 would hide every paper).
    const auto bound = [](QORVAOptItemHandler* limit) -> LONGLONG {
        if (limit->IsDefaultItem()) return -1;
        return LONGLONG{100} * static_cast<LONG>(limit->GetOptionParam(1, nullptr)) + 50;
    };
    const LONGLONG widthBound = bound(width);
    const LONGLONG heightBound = bound(height);
    HANDLE printer = m_record ? m_record->hPrinter : nullptr;
    const LONG count = scale->GetOptionCount();
    for (LONG i = 0; i < count; ++i) {
        const SIZEL size = FormSize(printer, scale->GetOptionText(i, nullptr, nullptr));
        if ((widthBound >= 0 && size.cx >= widthBound) || (heightBound >= 0 && size.cy >= heightBound))
            scale->SetOptionFlags(i, OPTPF_HIDE, 0, nullptr);
    }
}

void QORVAOptItemHandlerFactoryDrv::PrepareWatermarkFont() {
    QORVAOptItemHandler* font = Handler(19302);
    if (font && font->Item() && m_systemFunc) m_systemFunc->EnumTrueTypeFonts(font->Item(), TRUETYPE_FACE_CHARS);
}

void QORVAOptItemHandlerFactoryDrv::PrepareTrayPaperSizes() {
    QORVAOptItemHandler* size = Handler(25203);
    if (!size) return;
    for (LONG i = 1; i < size->GetOptionCount(); ++i)
        if (const DWORD name = NameFor(kTrayPaperNames, size->GetOptionValue(i, nullptr))) NameOption(size, i, name);
}

void QORVAOptItemHandlerFactoryDrv::PrepareDeviceOption() {
    QORVAOptItemHandler* option = Handler(25103);
    for (LONG i = 0; i < static_cast<LONG>(std::size(kDeviceOptionNames)); ++i)
        NameOption(option, i, kDeviceOptionNames[i]);
}

void QORVAOptItemHandlerFactoryDrv::PrepareDuplex() {
    IDrvSettings* settings = m_extension ? m_extension->Settings() : nullptr;
    DWORD duplexType = 1;
    // A description without the printer's duplex type leaves the duplex items as they are.
    if (!settings ||
        FAILED(settings->GetFieldValue(nullptr, u"_DUPLEXTYPE", &duplexType, sizeof duplexType, SETTINGS_SELECT_PRINTER)))
        return;
    if (duplexType != 0) return;
    for (const DWORD key : {2050u, 7u})
        if (QORVAOptItemHandler* handler = Handler(key)) handler->SetExtState(0);
}

void QORVAOptItemHandlerFactoryDrv::PreparePortAndRights() {
    std::u16string port;
    DWORD attributes = 0;
    if (!ReadPortInfo(m_record ? m_record->hPrinter : nullptr, &port, &attributes)) return;
    if (IsFilePortOrDirect(port, attributes)) {
        for (const DWORD key : kPortHintKeys)
            if (QORVAOptItemHandler* handler = Handler(key)) handler->SetLinkState(kHintBit, kPortHintMessage, kPortHintCaption);
        for (const DWORD key : kPortDisabledKeys)
            if (QORVAOptItemHandler* handler = Handler(key)) handler->SetStateBits(0x1);
    }
    std::span<const DWORD> rightsKeys;
    if (m_accessState == kAccessDenied) rightsKeys = kRightsHintKeys;
    else if (m_accessState == kAccessIniLocked) rightsKeys = kIniHintKeys;
    for (const DWORD key : rightsKeys)
        if (QORVAOptItemHandler* handler = Handler(key)) handler->SetLinkState(kHintBit, kRightsHintMessage, kRightsHintCaption);
}

void QORVAOptItemHandlerFactoryDrv::PrepareElevation() {
    QORVAOptItemHandler* button = Handler(9353);
    if (!button) return;
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    const bool known = GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version)) != FALSE;
    const bool windows2000 = known && version.dwMajorVersion == 5 && version.dwMinorVersion == 0;
    const bool server2003 = known && version.dwMajorVersion == 5 && version.dwMinorVersion == 2 &&
                            version.wProductType != VER_NT_WORKSTATION;
    const bool keep = !button->IsDefaultItem() && !windows2000 && !server2003 && m_accessState != kAccessFull;
    if (!keep) button->SetExtState(0);
}
