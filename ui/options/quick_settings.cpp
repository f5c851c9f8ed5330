#include "quick_settings.h"

#include <algorithm>
#include <cstring>

#include <win/strsafe.h>
#include <win/winspool.h>

#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/system_func.h"
#include "options/page_rule_flags.h"

namespace {

// Every entry's text buffer holds the longest text the list gives an entry: a typed name of the
// working entry, or the "changed" prefix with an entry's name.
constexpr size_t kEntryTextChars = kQuickSettingsTypedChars + 1;
constexpr DWORD kEmptyRecordChars = 256;
constexpr DWORD kLoadedRoom = 256;

// Items the defaults filter decides.
constexpr DWORD kOrientation = 1;
constexpr DWORD kCopies = 7;
constexpr DWORD kColor = 3;
constexpr DWORD kDuplex = 6;
constexpr DWORD kPaperSource = 4;
constexpr DWORD kPaperSize = 9;
constexpr DWORD kMediaType = 12;
// What the defaults entry holds when the printer gives no DEVMODE.
constexpr DWORD kFallbackSource = 7;
constexpr DWORD kFallbackPaper = 9;
constexpr DWORD kFallbackMedia = 1;

// A DEVMODE from an older or other driver may end before a field: such a field is not there.
template <typename Field>
bool Holds(const DEVMODEW& devmode, const Field DEVMODEW::*field) {
    const size_t offset = reinterpret_cast<const BYTE*>(&(devmode.*field)) - reinterpret_cast<const BYTE*>(&devmode);
    return offset + sizeof(Field) <= devmode.dmSize;
}

size_t TextLength(LPCWSTR text) {
    size_t length = 0;
    while (text && text[length]) ++length;
    return length;
}

}  // namespace

bool IsQuickSettingsExcluded(DWORD key) {
    return std::find(std::begin(kQuickSettingsExcludedItems), std::end(kQuickSettingsExcludedItems), key) !=
           std::end(kQuickSettingsExcludedItems);
}

bool IsBlankName(LPCWSTR text) {
    if (!text) return true;
    for (; *text; ++text)
        if (*text > u' ') return false;
    return true;
}

bool SameEntryText(LPCWSTR a, LPCWSTR b) {
    if (!a || !b) return false;
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// --- defaults filter ------------------------------------------------------------------------------

QORVAQuickSettingsFilterDefaults::QORVAQuickSettingsFilterDefaults(HANDLE printer) {
    if (!printer) return;
    DWORD needed = 0;
    GetPrinterW(printer, 8, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_8W)) return;
    m_printerInfo = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
    if (m_printerInfo && !GetPrinterW(printer, 8, m_printerInfo, needed, &needed)) {
        HeapFree(GetProcessHeap(), 0, m_printerInfo);
        m_printerInfo = nullptr;
    }
}

QORVAQuickSettingsFilterDefaults::~QORVAQuickSettingsFilterDefaults() {
    if (m_printerInfo) HeapFree(GetProcessHeap(), 0, m_printerInfo);
}

const DEVMODEW* QORVAQuickSettingsFilterDefaults::Devmode() const {
    return m_printerInfo ? reinterpret_cast<const PRINTER_INFO_8W*>(m_printerInfo)->pDevMode : nullptr;
}

void QORVAQuickSettingsFilterDefaults::GetFieldText(DWORD key, LPCWSTR* text) {
    if (!text) return;
    const DEVMODEW* devmode = Devmode();
    DWORD value = 0;
    switch (key) {
    case kOrientation:
    case kCopies: *text = u"0"; return;
    case kColor:
    case kDuplex: *text = u"1"; return;
    case kPaperSource:
        value = devmode && Holds(*devmode, &DEVMODEW::dmDefaultSource) ? static_cast<WORD>(devmode->dmDefaultSource)
                                                                        : kFallbackSource;
        break;
    case kPaperSize:
        value = devmode && Holds(*devmode, &DEVMODEW::dmPaperSize) ? static_cast<WORD>(devmode->dmPaperSize)
                                                                    : kFallbackPaper;
        break;
    case kMediaType:
        value = devmode && Holds(*devmode, &DEVMODEW::dmMediaType) ? devmode->dmMediaType : kFallbackMedia;
        break;
    default: return;
    }
    if (SUCCEEDED(StringCchPrintfW(m_text, std::size(m_text), u"%x", value))) *text = m_text;
}

// --- list -----------------------------------------------------------------------------------------

QORVAOptItemHandlerQSCOMBOBOX::QORVAOptItemHandlerQSCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                             POPTITEM item)
    : QORVAOptItemHandlerTypedCombobox(heap, factory, item, kQuickSettingsTypedChars) {
    QORVASystemFunc* systemFunc = factory ? factory->SystemFunc() : nullptr;
    LPWSTR* stored = nullptr;
    const DWORD rows = systemFunc && item ? systemFunc->LoadDocumentSettings(item, &stored) : 0;
    m_count = static_cast<DWORD>(std::max<LONG>(GetOptionCount(), 0));
    // Without texts of its own the list cannot name entries: it then offers none to store into.
    if (!OwnEntryTexts()) m_count = 0;
    m_maximum = static_cast<LONG>(m_count) - 1;
    if (m_count)
        m_records = static_cast<QuickSettingRecord**>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, m_count * sizeof *m_records));
    if (m_records && stored)
        for (DWORD i = 0; i < rows && i < m_count && i < kQuickSettingsMaxEntries; ++i)
            if (stored[i] && StoredSetLength(stored[i]) > 0) m_records[i] = MakeRecord(stored[i]);
    if (stored) HeapFree(m_heap, 0, stored);
    m_deletion = 1;
}

bool QORVAOptItemHandlerQSCOMBOBOX::OwnEntryTexts() {
    if (m_count == 0) return true;
    m_entryTexts = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, m_count * kEntryTextChars * sizeof(WCHAR)));
    if (!m_entryTexts) return false;
    for (LONG i = 0; i < static_cast<LONG>(m_count); ++i) {
        LPWSTR text = m_entryTexts + i * kEntryTextChars;
        LPCWSTR old = GetOptionText(i, nullptr, nullptr);
        if (old) std::copy_n(old, std::min(TextLength(old), kEntryTextChars - 1), text);
        QORVAOptItemHandlerCombobox::SetOptionText(i, text);
        SetOptionParam(i, reinterpret_cast<LPARAM>(text));
    }
    return true;
}

QuickSettingRecord* QORVAOptItemHandlerQSCOMBOBOX::MakeRecord(LPCWSTR text) {
    auto* record = static_cast<QuickSettingRecord*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(QuickSettingRecord)));
    if (!record) return nullptr;
    const size_t length = text ? StoredSetLength(text) : 0;
    record->m_set.m_heap = m_heap;
    record->m_set.m_capacity = static_cast<DWORD>(text ? length + kLoadedRoom : kEmptyRecordChars);
    record->m_set.m_text =
        static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, record->m_set.m_capacity * sizeof(WCHAR)));
    if (!record->m_set.m_text) {
        HeapFree(m_heap, 0, record);
        return nullptr;
    }
    if (text) {
        std::memcpy(record->m_set.m_text, text, length * sizeof(WCHAR));
        record->m_set.m_used = static_cast<DWORD>(length);
        record->m_uses = 1;
    }
    return record;
}

void QORVAOptItemHandlerQSCOMBOBOX::FreeRecord(QuickSettingRecord* record) {
    if (!record) return;
    FreeStoredSet(&record->m_set);
    HeapFree(m_heap, 0, record);
}

const QuickSettingRecord* QORVAOptItemHandlerQSCOMBOBOX::Record(LONG index) const {
    if (!m_records || index < 0 || index >= static_cast<LONG>(m_count)) return nullptr;
    return m_records[index];
}

LONG QORVAOptItemHandlerQSCOMBOBOX::GetTextLimit() {
    return kQuickSettingsNameLimit;
}

void QORVAOptItemHandlerQSCOMBOBOX::SetEntryText(LONG index, LPCWSTR text) {
    if (index < 0 || index >= static_cast<LONG>(m_count) || !m_entryTexts) return;
    LPWSTR buffer = m_entryTexts + index * kEntryTextChars;
    QORVAOptItemHandlerCombobox::SetOptionText(index, buffer);
    const size_t length = std::min(TextLength(text), kEntryTextChars - 1);
    std::memmove(buffer, text ? text : u"", length * sizeof(WCHAR));
    buffer[length] = 0;
    if (m_firstLink) m_firstLink->RefreshOption(index, nullptr);
    Invalidate(nullptr);
}

LONG_PTR QORVAOptItemHandlerQSCOMBOBOX::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    const LONG_PTR previous = GetSel();
    if (selection == previous) return previous;
    m_applied = 1;
    ForgetTyped();
    if (QuickSettingRecord* record = const_cast<QuickSettingRecord*>(Record(static_cast<LONG>(selection)))) {
        if (record->m_set.m_text && record->m_set.m_used) {
            StoredSetApply apply{m_factory, record->m_set.m_text};
            m_applied = ApplyStoredSet(&apply);
        }
        if (selection == 0)
            if (QORVAOptItemHandler* collate = GetHandler(kCollateItem)) collate->SetValue(1, nullptr);
    }
    QORVAOptItemHandlerCombobox::SetCurSel(selection, link);
    if (m_applied == 0) {
        // Only the entry the user chose is deleted: never the defaults entry, and never the entry
        // the list goes back to.
        if (m_deletion && selection != 0 && !m_reverting) {
            DeleteQuickSetting();
            m_deletion = 0;
        }
        // Back to where the list was; a working entry has no values to go back to, the defaults do.
        // A failure on the way back leaves the list where it is.
        const LONG_PTR back = previous == static_cast<LONG_PTR>(m_count) - 1 ? 0 : previous;
        if (!m_reverting && back >= 0) {
            m_reverting = 1;
            SetCurSel(back, link);
            m_reverting = 0;
        }
        return previous;
    }
    m_applied = 1;
    return previous;
}

LONG_PTR QORVAOptItemHandlerQSCOMBOBOX::SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) {
    if (!text) return GetSel();
    // A deleted entry keeps its text until the list is written: only shown entries count.
    for (LONG i = 0; i < static_cast<LONG>(m_count); ++i) {
        DWORD visible = 0;
        LPCWSTR option = GetOptionText(i, &visible, nullptr);
        if (visible && SameEntryText(option, text)) return SetCurSel(i, link);
    }
    return GetSel();
}

void QORVAOptItemHandlerQSCOMBOBOX::Capture(QuickSettingRecord* record) {
    if (!record || !m_factory) return;
    ++record->m_uses;
    record->m_set.m_used = 0;
    if (record->m_set.m_text) record->m_set.m_text[0] = 0;
    for (auto& [key, handler] : m_factory->Handlers())
        if (handler && !IsQuickSettingsExcluded(key)) handler->QSave(&record->m_set);
}

void QORVAOptItemHandlerQSCOMBOBOX::StoreQuickSetting(LONG index, LPCWSTR name) {
    if (index < 0 || index >= static_cast<LONG>(m_count) || !m_records) return;
    WCHAR cut[kQuickSettingsNameLimit] = {};
    const size_t length = std::min(TextLength(name), static_cast<size_t>(kQuickSettingsNameLimit - 1));
    if (name) std::copy_n(name, length, cut);
    SetEntryText(index, cut);
    HideOption(index, 1, nullptr);
    if (m_firstLink) m_firstLink->UpdateControl(nullptr);
    RouteNotify(m_key, kNotifyChanged, 0);
    Invalidate(nullptr);
    if (!m_records[index]) m_records[index] = MakeRecord(nullptr);
    Capture(m_records[index]);
}

void QORVAOptItemHandlerQSCOMBOBOX::DeleteQuickSetting() {
    const LONG index = static_cast<LONG>(GetSel());
    if (index < 0 || index >= static_cast<LONG>(m_count) || !m_records) return;
    HideOption(index, 0x8000, nullptr);
    FreeRecord(m_records[index]);
    m_records[index] = MakeRecord(nullptr);
}

void QORVAOptItemHandlerQSCOMBOBOX::LoadDefaults() {
    if (GetSel() == 0 && m_records && m_count > 0 && !m_records[0]) {
        POEMCUIPPARAM sheet = m_factory ? m_factory->Record() : nullptr;
        QORVAQuickSettingsFilterDefaults filter(sheet ? sheet->hPrinter : nullptr);
        m_records[0] = MakeRecord(nullptr);
        if (m_records[0]) {
            m_records[0]->m_set.m_filter = &filter;
            Capture(m_records[0]);
            m_records[0]->m_set.m_filter = nullptr;
        }
    }
    const LONG last = static_cast<LONG>(m_count) - 1;
    if (last >= 0 && !(GetOptionFlags(last) & OPTPF_HIDE)) {
        SetOptionFlags(last, OPTPF_HIDE, 0, nullptr);
        if (m_firstLink) {
            m_firstLink->ShowOption(last, 0, nullptr);
            m_firstLink->UpdateControl(nullptr);
        }
    }
}

void QORVAOptItemHandlerQSCOMBOBOX::SaveSettings(HWND window) {
    if (window || !m_factory || !m_factory->SystemFunc() || m_count == 0) return;
    // The rows link to the copies until their store is written; a store that could not be written
    // keeps the links for the next Apply, so the copies stay with the sheet.
    auto* written = static_cast<LPWSTR*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, m_count * sizeof(LPWSTR)));
    if (!written) return;
    for (DWORD i = 0; i < m_count; ++i) {
        const QuickSettingRecord* record = Record(static_cast<LONG>(i));
        if (!record || record->m_uses == 0) continue;
        const size_t length = record->m_set.m_text ? record->m_set.m_used : 0;
        written[i] = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR)));
        if (written[i] && length) std::memcpy(written[i], record->m_set.m_text, length * sizeof(WCHAR));
    }
    // The working entry's row is never written.
    m_factory->SystemFunc()->SaveDocumentSettings(m_item, written, m_count - 1);
    HeapFree(m_heap, 0, written);
}

// --- name box -------------------------------------------------------------------------------------

LONG QORVAOptItemHandlerQSEDITBOX::GetTextLimit() {
    return kQuickSettingsNameLimit;
}

// --- shared with ApplyDefaults and the page rules -------------------------------------------------

void LoadQuickSettingsDefaults(QORVAOptItemHandler* quickSettings) {
    if (auto* list = dynamic_cast<QORVAOptItemHandlerQSCOMBOBOX*>(quickSettings)) list->LoadDefaults();
}

void SetFavouriteDeletion(QORVAOptItemHandler* favourites, DWORD deleteEntry) {
    if (auto* list = dynamic_cast<QORVAOptItemHandlerQSCOMBOBOX*>(favourites)) list->SetDeletion(deleteEntry);
}
