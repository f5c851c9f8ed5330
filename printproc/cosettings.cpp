#include "cosettings.h"

#include <cstring>
#include <new>

#include "date_stamp.h"
#include "kitstatus.h"
#include "private_devmode.h"

namespace {

// Bytes of a stored row's key column ("TAG"), which a record leaves out.
constexpr DWORD kKeyColumnSize = 8;

bool Failed(DWORD severity) {
    return severity >= KIT_SEVERITY_ERROR;
}

// The PDL types the kit knows; any other reads as 0 (undefined).
DWORD KnownPdlType(DWORD value) {
    switch (value) {
    case 0: case 10: case 11: case 12: case 19: case 20: case 21: case 22: case 23: case 29:
    case 30: case 40: case 41: case 42: case 49: case 50: case 51: case 52: case 59:
        return value;
    default:
        return 0;
    }
}

BYTE ZeroOrOne(DWORD64 value) {
    return value <= 1 ? static_cast<BYTE>(value) : 0;
}

template <class T>
void Put(T* out, T value) {
    if (out) *out = value;
}

void FreeStore(XprStore* store) {
    if (!store) return;
    FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
}

}  // namespace

HRESULT CreateSettings(ISettings** settings, LPCWSTR printerName) {
    if (!settings) return E_POINTER;
    *settings = nullptr;
    CoSettings* made = new (std::nothrow) CoSettings;
    if (!made) return E_OUTOFMEMORY;
    made->AddRef();
    if (FAILED(made->Init(printerName))) {
        made->Release();
        return E_FAIL;
    }
    *settings = made;
    return S_OK;
}

CoSettings::~CoSettings() {
    FreeStore(m_oemStore);
    FreeStore(m_printerStore);
}

HRESULT CoSettings::Init(LPCWSTR printerName) {
    if (!printerName) return E_POINTER;
    if (!*printerName) return E_INVALIDARG;
    if (Failed(CreateByName(&m_oemStore, printerName, u"OEMDEVMODE")) ||
        Failed(CreateByName(&m_printerStore, printerName, u"PRINTERSETTINGS")))
        return E_FAIL;
    // The first row of each block is its default record; a block without rows has none.
    if (FetchRow(m_oemStore, u"OEMDEVMODE", &m_oemTable) != KIT_SEVERITY_SUCCESS ||
        FetchRow(m_printerStore, u"PRINTERSETTINGS", &m_printerTable) != KIT_SEVERITY_SUCCESS)
        return E_FAIL;
    // The default records get the size and signature a private block carries (in memory only:
    // nothing is saved).
    m_recordSize = GetRecordSize(m_oemTable);
    const DWORD printerRecordSize = GetRecordSize(m_printerTable);
    const DWORD signature = XPR_SIGNATURE;
    if (Failed(SetValue(m_oemTable, &m_recordSize, sizeof m_recordSize, u"_SIZE")) ||
        Failed(SetValue(m_oemTable, &signature, sizeof signature, u"_SIGNATURE")) ||
        Failed(SetValue(m_printerTable, &printerRecordSize, sizeof printerRecordSize, u"_SIZE")) ||
        Failed(SetValue(m_printerTable, &signature, sizeof signature, u"_SIGNATURE")))
        return E_FAIL;
    m_pdlType = KnownPdlType(static_cast<DWORD>(Printer(u"_PDLTYPE")));
    return S_OK;
}

// --- Layout and records ----------------------------------------------------------------------

bool CoSettings::FindField(XprTable* table, LPCWSTR key, Field* field) {
    if (!table || !key || !*key || Failed(SelectColumn(table, key))) return false;
    const XprColumn* column = GetColumnDesc(table);
    if (!column || column->m_offset < kKeyColumnSize) return false;
    field->offset = column->m_offset - kKeyColumnSize;
    field->size = static_cast<DWORD>(column->m_elementSize) * column->m_count;
    return true;
}

CoSettings::Record CoSettings::DevmodeRecord(const DEVMODEW* devmode) const {
    BYTE* start = reinterpret_cast<BYTE*>(const_cast<DEVMODEW*>(devmode));
    return Record{start + PrivateBlockOffset(devmode, m_pdlType), m_recordSize};
}

CoSettings::Record CoSettings::DefaultRecord(XprTable* table) {
    if (table->m_stride < kKeyColumnSize) return Record{nullptr, 0};
    BYTE* row = table->m_rows + static_cast<size_t>(table->m_currentRow) * table->m_stride;
    return Record{row + kKeyColumnSize, table->m_stride - kKeyColumnSize};
}

DWORD64 CoSettings::ReadNumber(XprTable* layout, const Record& record, LPCWSTR key) {
    Field field{};
    if (!FindField(layout, key, &field) || field.offset > record.size || record.size - field.offset < field.size)
        return 0;
    DWORD64 value = 0;
    std::memcpy(&value, record.bytes + field.offset, field.size < sizeof value ? field.size : sizeof value);
    return value;
}

DWORD64 CoSettings::Job(const DEVMODEW* devmode, LPCWSTR key) const {
    return ReadNumber(m_oemTable, DevmodeRecord(devmode), key);
}

DWORD64 CoSettings::Printer(LPCWSTR key) const {
    return ReadNumber(m_printerTable, DefaultRecord(m_printerTable), key);
}

void CoSettings::ReadText(const DEVMODEW* devmode, LPCWSTR key, LPWSTR text, DWORD textBytes) const {
    if (!text || textBytes < sizeof(WCHAR)) return;
    const DWORD capacity = textBytes / sizeof(WCHAR);
    text[0] = 0;
    Field field{};
    const Record record = DevmodeRecord(devmode);
    if (!FindField(m_oemTable, key, &field) || field.offset > record.size || record.size - field.offset < field.size)
        return;
    DWORD chars = field.size / sizeof(WCHAR);
    if (chars > capacity) chars = capacity;
    std::memcpy(text, record.bytes + field.offset, chars * sizeof(WCHAR));
    // The bytes come from an application: a text without its NUL is cut to end inside the buffer.
    text[chars < capacity ? chars : capacity - 1] = 0;
}

HRESULT CoSettings::WriteJob(DEVMODEW* devmode, LPCWSTR key, const void* value, DWORD size) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    Field field{};
    const Record record = DevmodeRecord(devmode);
    if (!FindField(m_oemTable, key, &field) || field.offset > record.size || record.size - field.offset < field.size)
        return E_FAIL;
    std::memset(record.bytes + field.offset, 0, field.size);
    std::memcpy(record.bytes + field.offset, value, size < field.size ? size : field.size);
    return S_OK;
}

HRESULT CoSettings::Validate(const DEVMODEW* devmode) {
    if (!devmode) return E_POINTER;
    if (devmode->dmSize < kSmallestDevmodeSize || m_recordSize == 0) return E_FAIL;
    // The whole block must lie inside the DEVMODE, not only its start: every setting is read and
    // written inside dmSize + dmDriverExtra.
    const DWORD extent = DevmodeExtent(devmode);
    const DWORD block = PrivateBlockOffset(devmode, m_pdlType);
    if (block > extent || extent - block < m_recordSize) return E_FAIL;
    const Record record = DevmodeRecord(devmode);
    if (ReadNumber(m_oemTable, record, u"_SIZE") != m_recordSize) return E_FAIL;
    if (ReadNumber(m_oemTable, record, u"_SIGNATURE") != XPR_SIGNATURE) return E_FAIL;
    return S_OK;
}

// --- Getters ---------------------------------------------------------------------------------

HRESULT CoSettings::GetPageOrder(const DEVMODEW* devmode, BYTE* order) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    Put(order, ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_PAGEORDER"))));
    return S_OK;
}

HRESULT CoSettings::GetBooklet(const DEVMODEW* devmode, BYTE* on, BYTE* kind) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    // Kind by stored value: 1 and 2 alternate from 2 to 7, 10 to 15 and 18 to 21.
    static constexpr BYTE kKinds[22] = {0, 0, 1, 2, 1, 2, 1, 2, 0, 0, 1, 2, 1, 2, 1, 2, 0, 0, 1, 2, 1, 2};
    const BYTE stored = static_cast<BYTE>(Job(devmode, u"_BOOKLET"));
    const BYTE bookletKind = stored < sizeof kKinds ? kKinds[stored] : 0;
    Put(on, static_cast<BYTE>(bookletKind != 0));
    Put(kind, bookletKind);
    return S_OK;
}

HRESULT CoSettings::GetNup(const DEVMODEW* devmode, BYTE* on, BYTE* pages, BYTE* border, BYTE* order) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    static constexpr BYTE kPages[6] = {1, 2, 4, 6, 9, 16};
    BYTE nupOn = 0;
    BYTE nupPages = 1;
    BYTE nupBorder = 0;
    BYTE nupOrder = 0;
    const BYTE index = static_cast<BYTE>(Job(devmode, u"_NUP_PAGES"));
    if (index < sizeof kPages) {
        nupOn = 1;
        nupPages = kPages[index];
    }
    const BYTE storedBorder = static_cast<BYTE>(Job(devmode, u"_NUP_BORDER"));
    if (storedBorder <= 1) {
        nupBorder = storedBorder;
        nupOrder = static_cast<BYTE>(Job(devmode, u"_NUP_ORDER"));
        if (nupOrder == 0 || nupOrder > 4) nupOn = 0;
    } else {
        nupOn = 0;
    }
    Put(on, nupOn);
    Put(pages, nupPages);
    Put(border, nupBorder);
    Put(order, nupOrder);
    return S_OK;
}

HRESULT CoSettings::GetScaling(const DEVMODEW* devmode, BYTE* on, WORD* size, BYTE* toFit, WORD* factor) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    BYTE scalingOn = ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_SCALEDOCON_ENABLED")));
    WORD scalingSize = 0;
    BYTE scalingToFit = 0;
    WORD scalingFactor = 0;
    bool done = false;
    if (scalingOn) {
        scalingSize = static_cast<WORD>(Job(devmode, u"_SCALEDOCON_SIZE"));
        const BYTE storedToFit = static_cast<BYTE>(Job(devmode, u"_SCALEDOCON_TOFIT"));
        if (storedToFit <= 1) {
            scalingToFit = storedToFit;
        } else {
            scalingOn = 0;  // and the factor is not read
            done = true;
        }
    }
    if (!done) {
        scalingFactor = static_cast<WORD>(Job(devmode, u"_SCALE_FACTOR"));
        if (scalingFactor < 25 || scalingFactor > 400) {
            scalingFactor = 100;
            scalingOn = 0;
        }
    }
    Put(on, scalingOn);
    Put(size, scalingSize);
    Put(toFit, scalingToFit);
    Put(factor, scalingFactor);
    return S_OK;
}

HRESULT CoSettings::GetWatermark(const DEVMODEW* devmode, WatermarkSettings* values, LPWSTR text, DWORD textBytes,
                                 LPWSTR font, DWORD fontBytes) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    WatermarkSettings watermark{};
    if (text && textBytes >= sizeof(WCHAR)) text[0] = 0;
    if (font && fontBytes >= sizeof(WCHAR)) font[0] = 0;
    const bool enabled = Job(devmode, u"_WMK_ENABLED") == 1;
    const DWORD64 firstPageOnly = Job(devmode, u"_WMK_1STPAGEONLY");
    if (enabled && firstPageOnly <= 1) {
        watermark.enabled = 1;
        watermark.firstPageOnly = static_cast<BYTE>(firstPageOnly);
        ReadText(devmode, u"_WMK_TEXT", text, textBytes);
        ReadText(devmode, u"_WMK_FONT", font, fontBytes);
        watermark.angle = static_cast<BYTE>(Job(devmode, u"_WMK_ANGLE"));
        watermark.degree = static_cast<WORD>(Job(devmode, u"_WMK_DEGREE"));
        watermark.color = static_cast<COLORREF>(Job(devmode, u"_WMK_COLOR"));
        watermark.shade = static_cast<WORD>(Job(devmode, u"_WMK_SHADE"));
        watermark.size = static_cast<WORD>(Job(devmode, u"_WMK_SIZE"));
        watermark.style = static_cast<BYTE>(Job(devmode, u"_WMK_STYLE"));
        watermark.mode = static_cast<BYTE>(Printer(u"_WMKMODE"));
    }
    Put(values, watermark);
    return S_OK;
}

HRESULT CoSettings::GetPDLType(const DEVMODEW* devmode, DWORD* pdlType) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    Put(pdlType, KnownPdlType(static_cast<DWORD>(Job(devmode, u"_PDLTYPE"))));
    return S_OK;
}

HRESULT CoSettings::GetDeviceType(const DEVMODEW* devmode, DWORD* deviceType) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    const DWORD stored = static_cast<DWORD>(Printer(u"_DEVICETYPE"));
    Put(deviceType, stored <= 4 ? stored : 0);
    return S_OK;
}

HRESULT CoSettings::GetPaperCollatedCopies(const DEVMODEW* devmode, DWORD* collated) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    const DWORD stored = static_cast<DWORD>(Printer(u"_PPRCOLLATEDCOPIES"));
    Put(collated, stored <= 1 ? stored : 0);
    return S_OK;
}

HRESULT CoSettings::GetGraphicsMode(const DEVMODEW* devmode, BYTE* mode) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    Put(mode, ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_GRXMODE"))));
    return S_OK;
}

HRESULT CoSettings::GetRotated(const DEVMODEW* devmode, BYTE* rotated) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    Put(rotated, ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_ROTATED"))));
    return S_OK;
}

HRESULT CoSettings::GetDuplexType(const DEVMODEW* devmode, DWORD* duplexType) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    const DWORD stored = static_cast<DWORD>(Printer(u"_DUPLEXTYPE"));
    Put(duplexType, stored <= 3 ? stored : 0);
    return S_OK;
}

HRESULT CoSettings::GetGrayscale(const DEVMODEW* devmode, BYTE* grayscale) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    Put(grayscale, ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_GRAYSCALE"))));
    return S_OK;
}

HRESULT CoSettings::GetPoster(const DEVMODEW* devmode, BYTE* tiles, BYTE* crop) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    BYTE posterTiles = static_cast<BYTE>(Job(devmode, u"_POSTER"));
    if (posterTiles == 1 || posterTiles >= 10) posterTiles = 0;
    const BYTE posterCrop = posterTiles ? ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_POSTER_CROP"))) : 0;
    Put(tiles, posterTiles);
    Put(crop, posterCrop);
    return S_OK;
}

HRESULT CoSettings::GetBinding(const DEVMODEW* devmode, BYTE* enabled, BYTE* direct, BYTE* shift, DWORD* margin) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    if (enabled) *enabled = ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_BINDING_ENABLED")));
    if (direct) *direct = static_cast<BYTE>(Job(devmode, u"_BINDING_DIRECT_DUMMY"));
    if (shift) *shift = ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_BINDING_SHIFT")));
    if (margin) *margin = static_cast<DWORD>(Job(devmode, u"_BINDING_MARGIN"));
    return S_OK;
}

HRESULT CoSettings::GetDateTime(const DEVMODEW* devmode, BYTE* enabled, BYTE* firstPageOnly, LPWSTR text,
                                DWORD textBytes, BYTE* position) {
    if (FAILED(Validate(devmode))) return E_FAIL;
    BYTE stampEnabled = static_cast<BYTE>(Job(devmode, u"_DATETIME_ENABLED"));
    if (stampEnabled > 2) stampEnabled = 0;
    if (text && textBytes >= sizeof(WCHAR)) {
        const BYTE dateFormat = static_cast<BYTE>(Job(devmode, u"_DATETIME_DATEFMT"));
        const BYTE timeFormat = static_cast<BYTE>(Job(devmode, u"_DATETIME_TIMEFMT"));
        if (FAILED(FormatDateTimeStamp(stampEnabled, dateFormat, timeFormat, text, textBytes))) return E_FAIL;
    }
    Put(enabled, stampEnabled);
    Put(firstPageOnly, ZeroOrOne(static_cast<BYTE>(Job(devmode, u"_DATETIME_1STPAGEONLY"))));
    Put(position, static_cast<BYTE>(Job(devmode, u"_DATETIME_POS")));
    return S_OK;
}

HRESULT CoSettings::GetValue(const DEVMODEW* devmode, LPCWSTR key, void* buffer, DWORD bufferSize, DWORD index) {
    if (!key || !*key || !buffer) return E_FAIL;
    XprTable* layout = nullptr;
    Record record{};
    if (devmode) {
        if (index != 0 || FAILED(Validate(devmode))) return E_FAIL;
        layout = m_oemTable;
        record = DevmodeRecord(devmode);
    } else if (index == 0) {
        layout = m_oemTable;
        record = DefaultRecord(m_oemTable);
    } else if (index == 1) {
        layout = m_printerTable;
        record = DefaultRecord(m_printerTable);
    } else {
        return E_FAIL;
    }
    Field field{};
    if (!FindField(layout, key, &field) || field.offset > record.size || record.size - field.offset < field.size ||
        bufferSize < field.size)
        return E_FAIL;
    std::memcpy(buffer, record.bytes + field.offset, field.size);
    return S_OK;
}

// --- Setters ---------------------------------------------------------------------------------

HRESULT CoSettings::SetDocPageCount(DEVMODEW* devmode, DWORD pageCount) {
    return WriteJob(devmode, u"_ACC_DOCPAGECOUNT", &pageCount, sizeof pageCount);
}

HRESULT CoSettings::SetNupPageOrient(DEVMODEW* devmode, DWORD orientationMask) {
    return WriteJob(devmode, u"_ACC_NUPPAGEORIENT", &orientationMask, sizeof orientationMask);
}

HRESULT CoSettings::SetFirstPageSize(DEVMODEW* devmode, DWORD paperSize) {
    return WriteJob(devmode, u"_FIRSTPAGESIZE", &paperSize, sizeof paperSize);
}

HRESULT CoSettings::SetBindingAdjustRect(DEVMODEW* devmode, const RECT* rect) {
    if (!rect) return E_FAIL;
    const LONG values[4] = {rect->left, rect->top, rect->right, rect->bottom};
    return WriteJob(devmode, u"_BINDING_ADJUSTRECT", values, sizeof values);
}
