// The device record, the process-wide device list and the look-ups on the tray table.
#include "device_info.h"

#include <cstring>
#include <new>
#include <vector>

#include <win/winspool.h>
#include <win/winspool_forms.h>

#include "items/handler_factory.h"
#include "items/system_func.h"
#include "kittrace.h"
#include "module_state.h"

namespace {

constexpr DWORD kCustomMediaNameChars = 32;

void CopyName(WCHAR (&destination)[kDevinfoPrinterNameChars], LPCWSTR source) {
    std::memset(destination, 0, sizeof destination);
    if (!source) return;
    for (DWORD i = 0; i + 1 < kDevinfoPrinterNameChars && source[i]; ++i) destination[i] = source[i];
}

bool SameName(const WCHAR* a, LPCWSTR b) {
    if (!b) b = u"";
    DWORD i = 0;
    for (; i + 1 < kDevinfoPrinterNameChars && b[i]; ++i)
        if (a[i] != b[i]) return false;
    return a[i] == 0;
}

void FillDefaults(TRAYINFO (&trays)[kTrayCount], HANDLE printer) {
    const LONG size = QORVASystemFunc::GetMarketLangID(printer) == 1041 ? 3 : 4;  // A4, else Letter
    const LONG types[kTrayCount] = {kInputTray1, kInputNone, kInputNone, kInputManualFeed};
    for (int i = 0; i < kTrayCount; ++i) trays[i] = TRAYINFO{types[i], size, 0, 0, 0};
}

// The list walks, each under the lock.
template <class Visit>
bool WalkList(Visit&& visit) {
    CRITICAL_SECTION* lock = ui::DeviceDataLock();
    if (!lock) return false;
    EnterCriticalSection(lock);
    for (ui::DeviceDataNode* node = ui::DeviceDataList(); node; node = node->m_next)
        if (visit(node)) break;
    LeaveCriticalSection(lock);
    return true;
}

DWORD ReadMark(HANDLE printer, LPCWSTR name) {
    DWORD type = 0, value = 0, needed = 0;
    if (GetPrinterDataExW(printer, u"CUSTOMMEDIA", name, &type, reinterpret_cast<LPBYTE>(&value), sizeof value,
                          &needed) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
}

}  // namespace

DWORD TraySizeNameId(LONG index) {
    return index >= 0 && index < kTraySizeCount ? kTraySizes[index].m_nameId : 0;
}

DWORD TrayMediaNameId(LONG index) {
    return index >= 0 && index < kTrayMediaCount ? kTrayMediaNameIds[index] : 0;
}

QVDevinfoData::QVDevinfoData(HANDLE printer, LPCWSTR printerName)
    : m_printer(printer), m_stored{}, m_working{}, m_typedAddress{}, m_addressChanged(0) {
    CopyName(m_printerName, printerName);
    FillDefaults(m_stored, printer);
}

BOOL QVDevinfoData::LoadDeviceTraysInfo(HANDLE printer) {
    FillDefaults(m_stored, printer);
    BYTE buffer[kTrayTableBytes] = {};
    DWORD type = 0, needed = 0;
    const DWORD error = GetPrinterDataW(printer, const_cast<LPWSTR>(kTrayInfosValue), &type, buffer, sizeof buffer, &needed);
    if (error != ERROR_SUCCESS) DebugTrace(2, u"%s: GetPrinterData err=[%d]\n", u"QVDevinfoData::LoadDeviceTraysInfo", error);
    else std::memcpy(m_stored, buffer, sizeof buffer);
    std::memcpy(m_working, m_stored, sizeof m_working);
    return 1;
}

bool QVDevinfoData::BelongsTo(HANDLE printer, LPCWSTR printerName) const {
    return m_printer == printer && SameName(m_printerName, printerName);
}

QVDevinfoData* FindDevinfoData(HANDLE printer, LPCWSTR printerName) {
    QVDevinfoData* found = nullptr;
    WalkList([&](ui::DeviceDataNode* node) {
        auto* record = static_cast<QVDevinfoData*>(node->m_record);
        if (node->m_printer != printer || !record || !record->BelongsTo(printer, printerName)) return false;
        found = record;
        return true;
    });
    return found;
}

QVDevinfoData* FindDevinfoData(QORVAOptItemHandlerFactory* factory) {
    POEMCUIPPARAM record = factory ? factory->Record() : nullptr;
    return record ? FindDevinfoData(record->hPrinter, record->pPrinterName) : nullptr;
}

BOOL AddDevinfoData(HANDLE printer, QVDevinfoData* record) {
    CRITICAL_SECTION* lock = ui::DeviceDataLock();
    if (!lock) return 0;
    auto* node = static_cast<ui::DeviceDataNode*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ui::DeviceDataNode)));
    if (!node) return 0;
    node->m_printer = printer;
    node->m_record = record;
    EnterCriticalSection(lock);
    ui::DeviceDataNode** tail = &ui::DeviceDataList();
    while (*tail) tail = &(*tail)->m_next;
    *tail = node;
    LeaveCriticalSection(lock);
    return 1;
}

QVDevinfoData* PrepareDevinfoData(HANDLE printer, LPCWSTR printerName) {
    QVDevinfoData* record = nullptr;
    QVDevinfoData* reused = nullptr;
    ui::DeviceDataNode* empty = nullptr;
    if (!WalkList([&](ui::DeviceDataNode* node) {
            if (node->m_printer != printer) return false;
            auto* held = static_cast<QVDevinfoData*>(node->m_record);
            if (!held) {
                if (!empty) empty = node;
                return false;
            }
            if (held->BelongsTo(printer, printerName)) {
                record = held;
                return true;
            }
            if (!reused) reused = held;  // the handle's earlier printer: its sheet has closed
            return false;
        }))
        return nullptr;
    if (!record && reused) record = new (reused) QVDevinfoData(printer, printerName);
    if (!record) {
        void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(QVDevinfoData));
        if (!block) return nullptr;
        record = new (block) QVDevinfoData(printer, printerName);
        bool placed = false;
        if (empty) {
            WalkList([&](ui::DeviceDataNode* node) {
                if (node != empty || node->m_record) return false;
                node->m_record = record;
                placed = true;
                return true;
            });
        }
        if (!placed && !AddDevinfoData(printer, record)) {
            HeapFree(GetProcessHeap(), 0, block);
            return nullptr;
        }
    }
    record->LoadDeviceTraysInfo(printer);
    return record;
}

DWORD CountOptionalTrays(const QVDevinfoData* record) {
    if (!record) return 0;
    DWORD count = 0;
    for (int tray : {kTray2, kTray3})
        if (record->m_working[tray].inputType != kInputNone) ++count;
    return count;
}

DWORD CountOptionalTrays(HANDLE printer, LPCWSTR printerName) {
    return CountOptionalTrays(FindDevinfoData(printer, printerName));
}

BOOL FindCustomMediaFormName(HANDLE printer, LPWSTR name, DWORD capacity, LONG size1, LONG size2) {
    if (!name || capacity < kCustomMediaNameChars || (size1 == 0 && size2 == 0)) return 0;
    DWORD needed = 0, count = 0;
    if (EnumFormsW(printer, 1, nullptr, 0, &needed, &count) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || !needed)
        return 0;
    std::vector<BYTE> buffer;
    try {
        buffer.resize(needed);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!EnumFormsW(printer, 1, buffer.data(), needed, &needed, &count)) return 0;
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const FORM_INFO_1W& form = forms[i];
        if (form.Flags != FORM_USER || !form.pName || !*form.pName) continue;
        const bool fits = (form.Size.cx == size1 && form.Size.cy == size2) || (form.Size.cx == size2 && form.Size.cy == size1);
        if (!fits || ReadMark(printer, form.pName) != 1) continue;
        DWORD length = 0;
        while (length + 1 < capacity && form.pName[length]) {
            name[length] = form.pName[length];
            ++length;
        }
        name[length] = 0;
        return 1;
    }
    return 0;
}
