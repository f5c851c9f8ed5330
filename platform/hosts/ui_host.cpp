// The UI host: the universal driver's user interface around a UI plug-in.
#include "ui_host.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "driver_devmode.h"

namespace palvex::hosts {

// IPrintOemDriverUI for the plug-in: it records every DrvUpdateUISetting call.
class UiDriverHelper final : public IPrintOemDriverUI {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPrintOemDriverUI)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IPrintOemDriverUI*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refCount)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = InterlockedDecrement(&m_refCount);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }
    // The driver's feature settings are not modelled: no feature is known.
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, LPCSTR, PVOID, DWORD, PDWORD pcbNeeded,
                                                  PDWORD pdwOptionsReturned) override {
        if (pcbNeeded) *pcbNeeded = 0;
        if (pdwOptionsReturned) *pdwOptionsReturned = 0;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, LPCSTR, LPCSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID, PVOID pOptItem, DWORD dwPreviousSelection,
                                                 DWORD dwMode) override {
        if (!pOptItem) return E_INVALIDARG;
        m_updates.push_back(UiSettingUpdate{static_cast<const OPTITEM*>(pOptItem), dwPreviousSelection, dwMode});
        return S_OK;
    }

    std::vector<UiSettingUpdate> m_updates;

private:
    ~UiDriverHelper() = default;
    LONG volatile m_refCount = 1;
};

namespace {

// The driver's own items of a sheet, each with its keyword; the printer sheet has the first four
// only, the job's choices are the document sheet's. The toner-save item is a feature of the
// printer's description: no DMPubID, its help index names it.
struct DriverItem {
    BYTE dmPubId;
    WORD helpIndex;
    const char16_t* keyword;
    const char16_t* name;
    bool documentOnly = true;
};
constexpr DriverItem kDriverItems[] = {
    {1 /* DMPUB_ORIENTATION */, 0, u"Orientation", u"Orientation", false},
    {3 /* DMPUB_COPIES_COLLATE */, 0, u"Copies", u"Copies", false},
    {4 /* DMPUB_DEFSOURCE */, 0, u"InputBin", u"Paper Source"},
    {5 /* DMPUB_PRINTQUALITY */, 0, u"Resolution", u"Print Quality"},
    {6 /* DMPUB_COLOR */, 0, u"ColorMode", u"Color"},
    {7 /* DMPUB_DUPLEX */, 0, u"Duplex", u"Duplex"},
    {9 /* DMPUB_FORMNAME */, 0, u"PaperSize", u"Paper Size", false},
    {12 /* DMPUB_MEDIATYPE */, 0, u"MediaType", u"Media Type"},
    {16 /* DMPUB_NUP */, 0, u"PagesPerSheet", u"Pages per Sheet", false},
    {0 /* DMPUB_NONE */, kTonerSaveHelpIndex, u"TonerSave", u"Toner Save"},
};
constexpr LONG kFewestCopies = 1;
constexpr LONG kMostCopies = 999;
// The sheet's string ids of the pages-per-sheet options: 1, 2, 4, 6, 9 and 16 pages.
constexpr WORD kFirstPagesPerSheetText = 64865;
constexpr short kCollateTrue = 1;

// The short field at offset of a DEVMODE's bytes; 0 where the bytes end before it.
short ShortAt(const std::vector<BYTE>& devmode, size_t offset) {
    short field = 0;
    if (devmode.size() >= offset + sizeof field) std::memcpy(&field, devmode.data() + offset, sizeof field);
    return field;
}

}  // namespace

UiHost::UiHost(PluginLibrary& library, UiHostOptions options) : m_options(std::move(options)), m_library(&library) {}

UiHost::UiHost(IClassFactory* factory, UiHostOptions options) : m_options(std::move(options)), m_factory(factory) {
    if (m_factory) m_factory->AddRef();
}

UiHost::~UiHost() {
    if (m_plugin) m_plugin->Release();
    if (m_helper) m_helper->Release();
    if (m_factory) m_factory->Release();
    for (HANDLE heap : m_sheetHeaps) HeapDestroy(heap);
    if (m_adminPrinter) ClosePrinter(m_adminPrinter);
    if (m_printer) ClosePrinter(m_printer);
}

HRESULT UiHost::Record(const char* name, HRESULT result) {
    m_calls.push_back(UiCall{name, result});
    return result;
}

const std::vector<UiSettingUpdate>& UiHost::updates() const {
    static const std::vector<UiSettingUpdate> none;
    return m_helper ? m_helper->m_updates : none;
}

bool UiHost::Load() {
    if (m_plugin) return true;
    void* object = nullptr;
    if (!StartPlugin(m_options.printerName, &m_printer, m_library, m_factory, CLSID_OEMUI, IID_IPrintOemUI2,
                     [this](const char* name, HRESULT result) { Record(name, result); }, &object, &m_error))
        return false;
    m_plugin = static_cast<IPrintOemUI2*>(object);

    DWORD value = 0;
    DWORD needed = 0;
    Record("GetInfo", m_plugin->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof value, &needed));
    Record("GetInfo", m_plugin->GetInfo(OEMGI_GETVERSION, &value, sizeof value, &needed));
    m_helper = new UiDriverHelper;
    Record("PublishDriverInterface", m_plugin->PublishDriverInterface(static_cast<IUnknown*>(m_helper)));

    m_oemSize = MakeDefaultDevMode(m_plugin, m_printer, DefaultPublicPart(m_printer, m_options.printerName),
                                   &m_defaultDevMode, [this](HRESULT result) { Record("DevMode", result); });
    return true;
}

std::vector<BYTE> UiHost::MergeDevMode(const DEVMODEW* devmode) {
    if (!m_plugin) return {};
    HRESULT merged = S_OK;
    std::vector<BYTE> result = MergeDevModeInto(m_plugin, m_printer, m_defaultDevMode, m_oemSize, devmode,
                                                [this](HRESULT answer) { Record("DevMode", answer); }, &merged);
    if (FAILED(merged)) return {};
    return result;
}

void UiHost::MakeFormList() {
    m_formNames.clear();
    m_formOptions.clear();
    m_formType = OPTTYPE{};
    LPCWSTR printer = m_options.printerName.c_str();
    const int count = DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, nullptr, nullptr);
    if (count <= 0 || DeviceCapabilitiesW(printer, nullptr, DC_PAPERNAMES, nullptr, nullptr) != count) return;
    std::vector<WORD> ids(static_cast<size_t>(count));
    std::vector<WCHAR> names(static_cast<size_t>(count) * 64);
    if (DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(ids.data()), nullptr) != count ||
        DeviceCapabilitiesW(printer, nullptr, DC_PAPERNAMES, names.data(), nullptr) != count)
        return;
    for (int i = 0; i < count; ++i) {
        const WCHAR* name = names.data() + static_cast<size_t>(i) * 64;
        m_formNames.emplace_back(name, std::find(name, name + 64, u'\0'));
    }
    for (int i = 0; i < count; ++i) {
        OPTPARAM option{};
        option.cbSize = sizeof(OPTPARAM);
        option.pData = m_formNames[static_cast<size_t>(i)].data();
        option.lParam = ids[static_cast<size_t>(i)];
        m_formOptions.push_back(option);
    }
    m_formType.cbSize = sizeof(OPTTYPE);
    m_formType.Type = TVOT_LISTBOX;
    m_formType.Count = static_cast<WORD>(m_formOptions.size());
    m_formType.pOptParam = m_formOptions.data();
}

void UiHost::MakeCopiesNumber() {
    // An up-down number: option 1 holds the range, 1 to 999 as the driver offers it.
    m_copiesOptions[0] = OPTPARAM{};
    m_copiesOptions[0].cbSize = sizeof(OPTPARAM);
    m_copiesOptions[1] = OPTPARAM{};
    m_copiesOptions[1].cbSize = sizeof(OPTPARAM);
    m_copiesOptions[1].IconID = kFewestCopies;
    m_copiesOptions[1].lParam = kMostCopies;
    m_copiesType = OPTTYPE{};
    m_copiesType.cbSize = sizeof(OPTTYPE);
    m_copiesType.Type = TVOT_UDARROW;
    m_copiesType.Count = 2;
    m_copiesType.pOptParam = m_copiesOptions;
}

void UiHost::MakePagesPerSheetList() {
    for (WORD i = 0; i < 6; ++i) {
        m_pagesOptions[i] = OPTPARAM{};
        m_pagesOptions[i].cbSize = sizeof(OPTPARAM);
        m_pagesOptions[i].pData = reinterpret_cast<LPWSTR>(ULONG_PTR{kFirstPagesPerSheetText} + i);
    }
    m_pagesType = OPTTYPE{};
    m_pagesType.cbSize = sizeof(OPTTYPE);
    m_pagesType.Type = TVOT_LISTBOX;
    m_pagesType.Count = 6;
    m_pagesType.pOptParam = m_pagesOptions;
    m_collateBox = EXTCHKBOX{};
    m_collateBox.cbSize = sizeof m_collateBox;
    m_collateBox.pTitle = u"Collate";
}

bool UiHost::SheetCollates() const {
    return ShortAt(m_sheetDevMode, offsetof(DEVMODEW, dmCollate)) == kCollateTrue;
}

LONG UiHost::SheetCopies() const {
    return std::clamp<LONG>(ShortAt(m_sheetDevMode, offsetof(DEVMODEW, dmCopies)), kFewestCopies, kMostCopies);
}

LONG UiHost::SheetFormIndex() const {
    const short paper = ShortAt(m_sheetDevMode, offsetof(DEVMODEW, dmPaperSize));
    for (size_t i = 0; i < m_formOptions.size(); ++i)
        if (m_formOptions[i].lParam == paper) return static_cast<LONG>(i);
    return 0;
}

void UiHost::MakeDriverItems(DWORD mode) {
    m_items.clear();
    m_userData.clear();
    m_choiceItems.clear();
    MakeChoiceLists();
    MakeFormList();
    MakeCopiesNumber();
    MakePagesPerSheetList();
    for (const DriverItem& driver : kDriverItems) {
        if (driver.documentOnly && mode == OEMCUIP_PRNPROP) continue;
        OPTITEM item{};
        item.cbSize = sizeof(OPTITEM);
        item.DMPubID = driver.dmPubId;
        item.pName = const_cast<LPWSTR>(driver.name);
        if (driver.dmPubId == 9 /* DMPUB_FORMNAME */ && m_formType.Count) {
            item.pOptType = &m_formType;
            item.Sel = SheetFormIndex();
        } else if (driver.dmPubId == 3 /* DMPUB_COPIES_COLLATE */) {
            item.pOptType = &m_copiesType;
            item.Sel = SheetCopies();
            item.pExtChkBox = &m_collateBox;
            if (SheetCollates()) item.Flags |= OPTIF_ECB_CHECKED;
        } else if (driver.dmPubId == 16 /* DMPUB_NUP */) {
            // No page-borders box: the host keeps no such choice of its own, so the kit's borders
            // item, which the job's private part holds, stays the only one.
            item.pOptType = &m_pagesType;
        }
        item.HelpIndex = driver.helpIndex;
        if (DriverChoiceList* list = ChoiceListOf(driver.dmPubId, driver.helpIndex)) {
            item.pOptType = &list->type;
            item.Sel = SheetChoice(*list);
            m_choiceItems.emplace_back(m_items.size(), list);
        }
        m_items.push_back(item);
        USERDATA data{};
        data.dwSize = sizeof(USERDATA);
        data.dwItemID = driver.dmPubId;
        data.pKeyWordName = const_cast<LPWSTR>(driver.keyword);
        m_userData.push_back(data);
    }
    m_driverItemCount = static_cast<DWORD>(m_items.size());
    LinkUserData();
}

void UiHost::LinkUserData() {
    for (size_t i = 0; i < m_items.size(); ++i) m_items[i].UserData = reinterpret_cast<ULONG_PTR>(&m_userData[i]);
}

HRESULT UiHost::BuildItems(DWORD mode, std::vector<BYTE> devmode) {
    if (!m_plugin) return E_FAIL;
    m_sheetDevMode = devmode.empty() ? m_defaultDevMode : std::move(devmode);
    // A sheet's heap lives as long as the host: the plug-in may keep what it made there.
    m_sheetHeap = HeapCreate(0, 0x10000, 0);
    m_sheetHeaps.push_back(m_sheetHeap);
    MakeDriverItems(mode);

    if (!m_sheetRecord) m_sheetRecord = std::make_unique<OEMCUIPPARAM>();
    OEMCUIPPARAM& record = *m_sheetRecord;
    record = OEMCUIPPARAM{};
    record.cbSize = sizeof record;
    record.hPrinter = mode == OEMCUIP_PRNPROP && m_adminPrinter ? m_adminPrinter : m_printer;
    record.pPrinterName = m_options.printerName.data();
    record.hOEMHeap = m_sheetHeap;
    record.pPublicDM = AsDevMode(m_sheetDevMode);
    record.pOEMDM = m_oemSize ? m_sheetDevMode.data() + sizeof(DEVMODEW) + kUnidrvPartSize : nullptr;
    record.pDrvOptItems = m_items.data();
    record.cDrvOptItems = m_driverItemCount;

    const HRESULT counted = Record("CommonUIProp", m_plugin->CommonUIProp(mode, &record));
    if (FAILED(counted) || record.cOEMOptItems == 0) return counted;

    // One array: the driver's items, then the plug-in's, each with its own USERDATA record.
    const DWORD pluginItems = record.cOEMOptItems;
    m_items.resize(m_driverItemCount + pluginItems, OPTITEM{});
    m_userData.resize(m_items.size(), USERDATA{});
    for (size_t i = m_driverItemCount; i < m_items.size(); ++i) {
        m_userData[i].dwSize = sizeof(USERDATA);
        m_items[i].cbSize = sizeof(OPTITEM);
    }
    LinkUserData();
    record.pDrvOptItems = m_items.data();
    record.pOEMOptItems = m_items.data() + m_driverItemCount;
    return Record("CommonUIProp", m_plugin->CommonUIProp(mode, &record));
}

LONG UiHost::ItemCallback(WORD reason, size_t item, LONG oldSelection) {
    if (!m_sheetRecord || !m_sheetRecord->OEMCUIPCallback) return CPSUICB_ACTION_NONE;
    if (item < m_items.size() && !(m_items[item].Flags & OPTIF_CALLBACK)) return CPSUICB_ACTION_NONE;
    CPSUICBPARAM callback{};
    callback.cbSize = sizeof callback;
    callback.Reason = reason;
    callback.pOptItem = m_sheetRecord->pOEMOptItems;
    callback.cOptItem = static_cast<WORD>(m_sheetRecord->cOEMOptItems);
    callback.pCurItem = item < m_items.size() ? &m_items[item] : m_sheetRecord->pOEMOptItems;
    callback.OldSel = oldSelection;
    callback.UserData = callback.pCurItem ? callback.pCurItem->UserData : 0;
    return m_sheetRecord->OEMCUIPCallback(&callback, m_sheetRecord.get());
}

LONG UiHost::SelectItem(size_t item, LONG selection) {
    if (item >= m_items.size()) return CPSUICB_ACTION_NONE;
    const LONG old = m_items[item].Sel;
    m_items[item].Sel = selection;
    return ItemCallback(CPSUICB_REASON_SEL_CHANGED, item, old);
}

LONG UiHost::TypeItemText(size_t item, const std::u16string& text) {
    if (item >= m_items.size()) return CPSUICB_ACTION_NONE;
    OPTITEM& target = m_items[item];
    const OPTTYPE* type = target.pOptType;
    if (!type || type->Type != TVOT_EDITBOX || !target.pSel || type->Count < 2 || !type->pOptParam) return CPSUICB_ACTION_NONE;
    // The edit control takes at most its size less the terminator.
    const size_t room = type->pOptParam[1].IconID;
    const size_t length = room ? std::min(text.size(), room - 1) : 0;
    std::memcpy(target.pSel, text.data(), length * sizeof(char16_t));
    target.pSel[length] = 0;
    return ItemCallback(CPSUICB_REASON_SEL_CHANGED, item, 0);
}

LONG UiHost::Apply() {
    const LONG answer = ItemCallback(CPSUICB_REASON_APPLYNOW, m_items.size(), 0);
    SaveChoices();
    return answer;
}

HRESULT UiHost::PrinterEvent(INT event, DWORD flags) {
    if (!m_plugin) return E_FAIL;
    std::u16string name = m_options.printerName;
    return Record("PrinterEvent", m_plugin->PrinterEvent(name.data(), event, flags, 0));
}

HRESULT UiHost::DeviceCapabilities(WORD capability, void* output, DWORD driverAnswer, DWORD* result) {
    if (!m_plugin) return E_FAIL;
    std::u16string name = m_options.printerName;
    return Record("DeviceCapabilities",
                  m_plugin->DeviceCapabilities(nullptr, m_printer, name.data(), capability, output,
                                               AsDevMode(m_defaultDevMode), nullptr, driverAnswer, result));
}

}  // namespace palvex::hosts
