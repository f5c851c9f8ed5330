// The universal printer driver's user interface with a UI plug-in: the host loads the plug-in
// library, makes its object through DllGetClassObject (CLSID_OEMUI) asking for IPrintOemUI2, and
// drives it in the driver's order:
//
//   load        GetInfo (signature, version), PublishDriverInterface with the driver's helper
//               IPrintOemDriverUI, DevMode OEMDM_SIZE and OEMDM_DEFAULT (the default DEVMODE)
//   a DEVMODE   DevMode OEMDM_MERGE of an application's DEVMODE into the default
//   the sheets' items  CommonUIProp twice: counting (no plug-in items) then filling
//   the printer PrinterEvent (PRINTER_EVENT_INITIALIZE when the printer is made)
//   capabilities DeviceCapabilities with the driver's own answer
//
// The driver's DEVMODE is the public part, the driver's own part (16 bytes, which keeps its size as
// a 16-bit value at its byte 8 and the toner-save choice at its byte 10) and the plug-in's private
// part (OEMDM_SIZE bytes).
//
// The items of a sheet are one contiguous OPTITEM array: the driver's own items (orientation,
// copies, paper source, print quality, colour, duplex, the form, media type, pages per sheet and
// the toner-save feature), then the plug-in's right after them; each item's UserData is the driver's USERDATA record for it (the
// plug-in's records start without a keyword). The helper logs every DrvUpdateUISetting call.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <driver_devmode.h>
#include <plugin_library.h>
#include <win/compstui.h>
#include <win/prcomoem_ui.h>
#include <win/unidrv_userdata.h>
#include <win/windows.h>

namespace palvex::hosts {

struct UiHostOptions {
    std::u16string printerName;
};

// One plug-in method the host called, with its answer.
struct UiCall {
    std::string name;
    HRESULT result = S_OK;
};

// One DrvUpdateUISetting call of the plug-in.
struct UiSettingUpdate {
    const OPTITEM* item = nullptr;
    DWORD previousSelection = 0;
    DWORD mode = 0;
};

class UiDriverHelper;

// The help index of the printer's toner-save feature item.
inline constexpr WORD kTonerSaveHelpIndex = 30150;

// One of the driver's list items (orientation, paper source, print quality, colour, duplex, media
// type, toner save): each option's name and the value it stands for, and where the job keeps it.
struct DriverChoiceList {
    std::vector<std::u16string> names;
    std::vector<LONG> values;
    // The job's value: a field of the public DEVMODE (dmFields bit), or of the driver's own part
    // (bit 0), of size bytes at offset from the DEVMODE's start.
    size_t offset = 0;
    size_t size = 0;
    DWORD fieldBit = 0;
    // The option shown when the job's value is none of the options'.
    LONG fallback = 0;
    std::vector<OPTPARAM> options;
    OPTTYPE type{};
};

// Draws every page of a running property sheet as a person would see it, each in its turn
// selected by a click on its tab: DIR/<prefix>-<n>.png for tab n (from 1) and the window tree of
// each in DIR/<prefix>.txt. The tab that was selected is selected again. Answers the files written.
std::vector<std::filesystem::path> WriteSheetPictures(HWND frame, const std::filesystem::path& folder,
                                                      const std::string& prefix);

class UiHost {
public:
    // The plug-in's class factory comes from the library's DllGetClassObject, or is given (a
    // factory linked into the caller).
    UiHost(PluginLibrary& library, UiHostOptions options);
    UiHost(IClassFactory* factory, UiHostOptions options);
    ~UiHost();  // releases the plug-in object and closes the printer
    UiHost(const UiHost&) = delete;
    UiHost& operator=(const UiHost&) = delete;

    // Opens the printer and loads the plug-in. False (error() says why) when the printer cannot be
    // opened or the plug-in object cannot be made; a plug-in without a private devmode (DevMode
    // fails) still loads, with a DEVMODE of the driver's parts only.
    bool Load();
    const std::string& error() const { return m_error; }

    // The DEVMODE the load made (public part, the driver's part, the plug-in's part).
    const std::vector<BYTE>& DefaultDevMode() const { return m_defaultDevMode; }
    DWORD PrivateSize() const { return m_oemSize; }
    // An application's DEVMODE (public part, and the driver's and plug-in's parts when its
    // dmDriverExtra holds them) merged into the default as the driver merges it; null: the default.
    // Empty when the merge fails.
    std::vector<BYTE> MergeDevMode(const DEVMODEW* devmode);

    // CommonUIProp's two calls for a sheet (OEMCUIP_DOCPROP or OEMCUIP_PRNPROP) on the DEVMODE
    // given (the default when empty). The answer of the counting call, or of the filling call when
    // the plug-in has items.
    HRESULT BuildItems(DWORD mode, std::vector<BYTE> devmode = {});
    // The sheet's items: the driver's first, then the plug-in's.
    const std::vector<OPTITEM>& Items() const { return m_items; }
    DWORD DriverItemCount() const { return m_driverItemCount; }
    const USERDATA& UserDataOf(size_t item) const { return m_userData[item]; }

    // The sheet's tree of items. Choosing a value stores it in the item (Sel) and, for an item
    // that asks for callbacks, calls the item callback with CPSUICB_REASON_SEL_CHANGED and the
    // selection before; typing into an edit item stores the text (cut to its buffer) the same way.
    // Apply calls the callback with CPSUICB_REASON_APPLYNOW. Each answers the callback's answer
    // (CPSUICB_ACTION_NONE when there is no callback).
    LONG SelectItem(size_t item, LONG selection);
    LONG TypeItemText(size_t item, const std::u16string& text);
    LONG Apply();
    // The sheet's record, its DEVMODE (public part, the driver's part, the plug-in's part) and heap.
    const OEMCUIPPARAM* SheetRecord() const { return m_sheetRecord.get(); }
    const std::vector<BYTE>& SheetDevMode() const { return m_sheetDevMode; }
    HANDLE SheetHeap() const { return m_sheetHeap; }

    // The sheets of a mode as the universal driver shows them (ui_host_sheets.cpp): the items
    // (BuildItems on the DEVMODE given), then one common property sheet, modal on owner, with the
    // driver's item tree page over all items and the plug-in added through
    // CPSFUNC_ADD_PFNPROPSHEETUIW (DocumentPropertySheets or DevicePropertySheets). sheetFlags
    // become the record's dwFlags (DM_NOPERMISSION: opened without permission). The item tree
    // page tells the plug-in's item callback SETACTIVE, KILLACTIVE and APPLYNOW; what Apply saves
    // stays in the sheet's DEVMODE (SheetDevMode) or, on the printer sheet, the printer's settings.
    // *result: CPSUI_OK when the sheet ended with OK or after an Apply. Answers the common sheet's
    // answer, or ERR_CPSUI_GETLASTERROR when the items could not be made (error() says why).
    LONG RunSheets(DWORD mode, HWND owner, DWORD* result, std::vector<BYTE> devmode = {}, DWORD sheetFlags = 0);

    HRESULT PrinterEvent(INT event, DWORD flags = 0);
    // The plug-in's answer for a capability: *result and the output array as it wrote them.
    HRESULT DeviceCapabilities(WORD capability, void* output, DWORD driverAnswer, DWORD* result);

    IPrintOemUI2* Plugin() const { return m_plugin; }
    HANDLE Printer() const { return m_printer; }
    const std::vector<UiCall>& calls() const { return m_calls; }
    const std::vector<UiSettingUpdate>& updates() const;

private:
    HRESULT Record(const char* name, HRESULT result);
    void MakeDriverItems(DWORD mode);
    // The form item's list of papers, and the index of the sheet DEVMODE's paper in it (0: none).
    void MakeFormList();
    LONG SheetFormIndex() const;
    // The copies item's number type, and the sheet DEVMODE's copies within its range.
    void MakeCopiesNumber();
    LONG SheetCopies() const;
    // The pages-per-sheet list and the collate check box.
    void MakePagesPerSheetList();
    // Whether the sheet DEVMODE asks for collated copies.
    bool SheetCollates() const;
    // The list items' options (ui_host_items.cpp): the printer's bins and media types, the fixed
    // choices of the others.
    void MakeChoiceLists();
    // The list of a driver item (by DMPubID, or help index for the toner-save item); null: none.
    DriverChoiceList* ChoiceListOf(BYTE dmPubId, WORD helpIndex);
    // Whether the sheet DEVMODE has the list's field.
    bool SheetHolds(const DriverChoiceList& list) const;
    // The option of the list the sheet DEVMODE's value selects.
    LONG SheetChoice(const DriverChoiceList& list) const;
    // The list items' selections written into the sheet DEVMODE, as Apply saves them.
    void SaveChoices();
    void LinkUserData();
    LONG ItemCallback(WORD reason, size_t item, LONG oldSelection);
    static LONG CALLBACK TreeCallback(CPSUICBPARAM* param);
    static LONG CALLBACK HostSheetProc(PROPSHEETUI_INFO* info, LPARAM lParam);
    static LONG CALLBACK PluginSheetProc(PROPSHEETUI_INFO* info, LPARAM lParam);

    UiHostOptions m_options;
    PluginLibrary* m_library = nullptr;
    IClassFactory* m_factory = nullptr;
    IPrintOemUI2* m_plugin = nullptr;
    UiDriverHelper* m_helper = nullptr;
    HANDLE m_printer = nullptr;
    // The printer sheet's handle: opened with full access when the user has it, as the printer's
    // properties are opened, so that what the sheet applies can be saved.
    HANDLE m_adminPrinter = nullptr;
    std::string m_error;
    DWORD m_oemSize = 0;
    std::vector<BYTE> m_defaultDevMode;
    std::vector<UiCall> m_calls;
    // The sheet: its DEVMODE, record, items and the USERDATA record of each item.
    std::vector<BYTE> m_sheetDevMode;
    std::unique_ptr<OEMCUIPPARAM> m_sheetRecord;
    HANDLE m_sheetHeap = nullptr;  // the last sheet's
    std::vector<HANDLE> m_sheetHeaps;
    std::vector<OPTITEM> m_items;
    std::vector<USERDATA> m_userData;
    DWORD m_driverItemCount = 0;
    // The form item's list: the printer's papers by name, the job's paper selected.
    std::vector<std::u16string> m_formNames;
    std::vector<OPTPARAM> m_formOptions;
    OPTTYPE m_formType{};
    // The copies item: a number from 1 to 999, the job's copies.
    OPTPARAM m_copiesOptions[2]{};
    OPTTYPE m_copiesType{};
    // The pages-per-sheet item: 1, 2, 4, 6, 9 or 16 pages, named by the sheet's string ids.
    OPTPARAM m_pagesOptions[6]{};
    OPTTYPE m_pagesType{};
    // The extended check box the driver puts beside copies (collate); the item's OPTIF_ECB_CHECKED
    // flag is its state, taken from the DEVMODE's dmCollate.
    EXTCHKBOX m_collateBox{};
    // The list items, and which item shows each list (an index into m_items).
    DriverChoiceList m_orientations, m_sources, m_qualities, m_colours, m_duplexes, m_mediaTypes, m_tonerSave;
    std::vector<std::pair<size_t, const DriverChoiceList*>> m_choiceItems;
    // The running sheet: its mode, owner, the item tree's record and title.
    DWORD m_sheetMode = 0;
    HWND m_sheetOwner = nullptr;
    COMPROPSHEETUI m_tree{};
    std::u16string m_sheetTitle;
};

}  // namespace palvex::hosts
