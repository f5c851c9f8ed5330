// The settings object: lifetime, loading of the settings blocks and the data file, and the save
// of the printer settings.
#include "codrvsettings.h"

#include <algorithm>
#include <new>

#include "drvstore.h"
#include "kitstatus.h"
#include "kittrace.h"
#include "xprimpl.h"

namespace {

constexpr LPCWSTR kTableNames[2] = {u"OEMDEVMODE", u"PRINTERSETTINGS"};

}  // namespace

CoDrvSettings::CoDrvSettings() = default;

CoDrvSettings::~CoDrvSettings() {
    FreeStores();
}

HRESULT CoDrvSettings::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

ULONG CoDrvSettings::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

ULONG CoDrvSettings::Release() {
    const LONG references = InterlockedDecrement(&m_references);
    if (references == 0) delete this;
    return static_cast<ULONG>(references);
}

void CoDrvSettings::FreeStores() {
    for (int i = 0; i < 2; ++i) {
        StoreFree()(m_stores[i]);
        m_stores[i] = nullptr;
        m_cursors[i] = nullptr;
    }
}

namespace {

// A record is its row without the row's key: every field place and record copy takes the key to
// be the row's first SETTINGS_KEY_BYTES bytes. A table keyed otherwise (no key column, or one of
// another width or place) would put fields and copies past the record's end.
bool KeyedAsRecords(XprTable* table) {
    if (SelectColumn(table, u"TAG") != 0) return false;
    const XprColumn* key = GetColumnDesc(table);
    return key && key->m_offset == 0 && xpr::FieldSize(key) == SETTINGS_KEY_BYTES && table->m_stride >= SETTINGS_KEY_BYTES;
}

}  // namespace

HRESULT CoDrvSettings::Init(HANDLE printer) {
    FreeStores();
    for (int i = 0; i < 2; ++i) {
        if (CreateByHandle(&m_stores[i], printer, kTableNames[i]) >= KIT_SEVERITY_ERROR) {
            DebugTrace(1, u"%s: cannot load [%s]\n", u"CoDrvSettings::Init", kTableNames[i]);
            FreeStores();
            return E_FAIL;
        }
        if (FetchFirstRow(m_stores[i], kTableNames[i], &m_cursors[i]) != 0 || !KeyedAsRecords(m_cursors[i])) {
            DebugTrace(1, u"%s: no records in [%s]\n", u"CoDrvSettings::Init", kTableNames[i]);
            FreeStores();
            return E_FAIL;
        }
    }
    // Every record carries its size and the signature; the printer data receives them with the
    // next save of the printer settings.
    for (XprTable* cursor : m_cursors) {
        const DWORD size = GetRecordSize(cursor);
        const DWORD signature = XPR_SIGNATURE;
        SetValue(cursor, &size, sizeof size, u"_SIZE");
        SetValue(cursor, &signature, sizeof signature, u"_SIGNATURE");
    }
    SizeScratch();
    return S_OK;
}

HRESULT CoDrvSettings::LoadDataFile(HANDLE printer) {
    try {
        DWORD needed = 0;
        GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
        if (needed < sizeof(DRIVER_INFO_3W)) return E_FAIL;
        m_driverInfo.assign(needed, 0);
        if (!GetPrinterDriverW(printer, nullptr, 3, m_driverInfo.data(), needed, &needed)) {
            m_driverInfo.clear();
            return E_FAIL;
        }
        const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(m_driverInfo.data());
        if (!info->pDataFile || !info->pDataFile[0]) return E_FAIL;
        m_dataFile.m_path = info->pDataFile;
        return ReadDataFile(&m_dataFile);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

void CoDrvSettings::SaveAndMirror(HANDLE printer) {
    XprStore* store = m_stores[1];
    if (!store || !m_cursors[1]) return;
    DWORD saved;
    if (store->m_dirty) {
        saved = CompactByHandle(store, printer);
        // Compaction moves the block: bind the cursor to the table in the new one.
        XprTable* table = nullptr;
        m_cursors[1] = FindTable(store, store->m_root, &table, kTableNames[1]) == 0 ? table : nullptr;
    } else {
#if defined(XPR_VARIANT_UI)
        saved = SaveByHandle(store, printer, FALSE);
#else
        saved = SaveByHandle(store, printer);
#endif
    }
    if (saved >= KIT_SEVERITY_ERROR) DebugTrace(1, u"%s: save err=[%d]\n", u"CoDrvSettings::SetOptItems", saved);
    if (!m_cursors[1]) return;

    const std::u16string extension = DataFileExtension(m_dataFile.m_path);
    if (extension == u"GPD") {
        UpdateRtiBlock(&m_dataFile, m_cursors[1]);
    } else if (extension == u"PPD") {
        UpdatePpdSettings(&m_dataFile, m_cursors[1]);
    }
}
