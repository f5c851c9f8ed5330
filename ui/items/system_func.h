// The option items' system-functions object: one per property sheet, owned by the sheet's handler
// factory. It keeps the operations the items share that reach outside the sheet: the user's
// custom paper sizes (spooler forms plus a "CUSTOMMEDIA" marker in the printer's data), the paper,
// bin and media-type lists copied from the device's capabilities, the stored watermarks and stored
// document settings (the OPTION rows of WATERMARKSETTINGS and DOCUMENTSETTINGS), the installed
// TrueType faces and the printer's market language.
//
// Everything it needs of the sheet is handed to it at construction (QORVASystemFuncContext): the
// sheet heap (option lists and their texts come from it, zero-filled), the printer handle and
// name the user interface holds, the resource provider, the settings object and the loaded
// stores. It owns none of them.
//
// Form operations answer FALSE with the last error in the caller's out variable (which may be
// null); the list builders answer 0 and leave the item's previous list when memory, the form
// list or a table fails.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <win/compstui.h>
#include <win/windows.h>
#include <win/winspool_forms.h>

#include "coresources.h"
#include "codrvsettings.h"
#include "xpr.h"

class QORVAOptItemHandlerFactory;

// Custom media the device takes, in micrometres (both bounds inclusive).
#define CUSTOM_MEDIA_MIN_WIDTH 89000
#define CUSTOM_MEDIA_MAX_WIDTH 297000
#define CUSTOM_MEDIA_MIN_HEIGHT 98000
#define CUSTOM_MEDIA_MAX_HEIGHT 432000

// Entries of the custom-media dialog's list: ten media and the entry offered for a new one.
#define CUSTOM_MEDIA_ENTRIES 10
#define CUSTOM_MEDIA_LIST_OPTIONS 11
// Characters of a custom medium's name, the terminating NUL included.
#define CUSTOM_MEDIA_NAME_CHARS 32
// The text of the new-medium entry.
#define IDS_CUSTOM_MEDIA_NEW 17060
// GetCustomMediaList's kind for the custom-media dialog's own list.
#define CUSTOM_MEDIA_LIST_DIALOG 1
// Value of the first custom medium appended to a paper list; the n-th adds n.
#define CUSTOM_MEDIA_FIRST_VALUE 0x8000

// Pairs the paper-id remap table holds at most.
#define PAPER_REMAP_PAIRS 512
// Characters of a TrueType face name in the font list.
#define TRUETYPE_FACE_CHARS 64

// One entry of the custom-media dialog's list (104 bytes): the option's pData and lParam point to
// it. The form's name link points to m_name.
struct CustomMediaRecord {
    WCHAR m_name[CUSTOM_MEDIA_NAME_CHARS];
    FORM_INFO_1W m_form;
};
static_assert(sizeof(CustomMediaRecord) == 104 && offsetof(CustomMediaRecord, m_form) == 64);

// Deletes a custom medium from a printer opened with full access: its form first, then its mark,
// since a mark without its form is never listed but a form without its mark could no longer be
// listed or deleted by the driver. ERROR_SUCCESS, else the form's error (the mark then stays).
DWORD DeleteCustomMediumForm(HANDLE printer, LPCWSTR name);

// A paper id the device gave and the id an option took instead (-1: the option is hidden).
struct PaperIdRemap {
    LONG m_deviceId;
    LONG m_newId;
};

// Where stored watermark fields go: the item's handler, fetched or made by the factory. SetValue
// and SelectString answer as the handler's operations of those names.
struct QORVAItemValueTarget {
    virtual LONG SetItemValue(DWORD itemKey, LONG value) = 0;
    virtual LONG SelectItemString(DWORD itemKey, LPCWSTR text) = 0;

protected:
    ~QORVAItemValueTarget() = default;
};

// What the object reaches of its sheet. Null members are allowed where an operation does not
// need them; an operation that needs a missing one fails.
struct QORVASystemFuncContext {
    HANDLE m_heap = nullptr;               // the sheet heap
    HANDLE m_printer = nullptr;            // the user interface's printer handle
    LPCWSTR m_printerName = nullptr;
    IDrvResources* m_resources = nullptr;
    IDrvSettings* m_settings = nullptr;    // the printer setting _FORMASSIGN
    XprStore* m_watermarkSettings = nullptr;
    XprStore* m_documentSettings = nullptr;
    XprStore* m_printerFeature = nullptr;
    QORVAItemValueTarget* m_itemTarget = nullptr;
};

class QORVASystemFunc {
public:
    QORVASystemFunc(QORVAOptItemHandlerFactory* factory, const QORVASystemFuncContext& context);
    QORVASystemFunc(const QORVASystemFunc&) = delete;
    QORVASystemFunc& operator=(const QORVASystemFunc&) = delete;

    // --- Custom media and forms (system_func_media.cpp) ---
    // Adds the user form (imageable area 1, 1, width - 1, height - 1) through a printer handle of
    // its own with full access and marks it in "CUSTOMMEDIA". A form whose marker cannot be
    // written is taken out again, so no unlisted form is left behind.
    BOOL AddCustomMedia(LPCWSTR name, DWORD width, DWORD height, DWORD* error);
    BOOL ResizeCustomMedia(LPCWSTR name, DWORD width, DWORD height, DWORD* error);
    // Adds the old form under the new name, moves the marker, deletes the old form.
    BOOL RenameCustomMedia(LPCWSTR oldName, LPCWSTR newName, DWORD* error);
    // The device's paper id of the paper of exactly that name (DC_PAPERNAMES), else 0.
    DWORD GetPaperIdByName(LPCWSTR name);
    // CUSTOM_MEDIA_LIST_DIALOG: a fresh list of 11 options on CustomMediaRecord entries; any other
    // kind appends the registered media to the item's list. Answers the option count, 0 on failure.
    DWORD GetCustomMediaList(POPTITEM item, DWORD kind);
    // True for a user form with a name, marked 1 in "CUSTOMMEDIA" and of a size the device takes.
    BOOL IsListedCustomMedia(const FORM_INFO_1W& form);

    // --- Device-capability lists (system_func_lists.cpp) ---
    // Copies the source item's options into the destination and gives each the device's id for
    // its name (an option the device does not name is hidden in both lists); paper lists also
    // follow the options' forms and get room for 11 more options and a text block of their own.
    // The first paper list that changes ids records each change (device id, new id or -1 when
    // hidden) in the remap table; bin and media-type lists never do, so a bin list copied first
    // cannot keep the paper pairs out. Without the device's lists the options are numbered from
    // firstValue. FALSE when an item has no option type or the heap refuses.
    BOOL CloneOptParam(POPTITEM destination, POPTITEM source, WORD idCapability, WORD nameCapability,
                       DWORD nameWidth, LONG firstValue);

    // --- Stored settings (system_func_stored.cpp) ---
    // Fill the item's options from the OPTION rows, one per row, an empty _TEXT hidden; the old
    // options' texts and array go back to the sheet heap. A _TEXT that fills its field is read no
    // further than the field. *persist receives one 8-byte persist value (the _PERSIST link) per
    // row, from the sheet heap; the caller frees it. Answer the number of rows, 0 (the item left
    // as it was) when a block, a row or memory is missing.
    DWORD LoadWatermarkSettings(POPTITEM item, LPWSTR** persist);
    DWORD LoadDocumentSettings(POPTITEM item, LPWSTR** persist);
    // Write the item's options back into the first count OPTION rows (in memory; the caller saves
    // the block): _TEXT takes a shown option's text, cut so that it ends inside the field, or
    // stays empty; _PERSIST takes a non-null persist value. Answer the number of rows written.
    DWORD SaveWatermarkSettings(POPTITEM item, LPWSTR* persist, DWORD count);
    DWORD SaveDocumentSettings(POPTITEM item, LPWSTR* persist, DWORD count);
    // Hands a stored watermark's fields to the items DIALOGIDS names. FALSE when the entry is
    // missing or empty.
    BOOL LoadWatermarkDialogIds(DWORD index);

    // --- Fonts and market (system_func_fonts.cpp) ---
    // Fills the item's options with the installed TrueType faces (nameWidth characters each);
    // 0 when none is found or the heap refuses, leaving the item alone.
    DWORD EnumTrueTypeFonts(POPTITEM item, DWORD nameWidth);
    // The low 16 bits of printer data "Market", 1041 when it cannot be read.
    static LANGID GetMarketLangID(HANDLE printer);

    QORVAOptItemHandlerFactory* GetFactory() const { return m_factory; }
    const DWORD* GetCustomPaperIds() const { return m_customPaperIds; }
    DWORD GetRemapCount() const { return m_remapCount; }
    const PaperIdRemap* GetRemapTable() const { return m_remap; }

private:
    // A text of a settings block, whose strings need not be aligned.
    static std::u16string BlockText(const void* text);
    // Options and texts from the sheet heap.
    void* Allocate(size_t bytes);
    void Free(void* block);
    // Frees an item's options (texts that are not resource ids, then the array).
    void FreeOptions(POPTTYPE type);
    // The printer's forms (EnumFormsW level 1); FALSE when there are none or they cannot be read.
    BOOL EnumForms(std::vector<BYTE>* buffer, DWORD* count);
    // The form's "CUSTOMMEDIA" value; 0 when it is missing or not a REG_DWORD.
    DWORD ReadCustomMediaMark(LPCWSTR name);
    // A size (micrometres) the device takes for custom media.
    BOOL InDeviceRange(const SIZEL& size);
    BYTE ReadFormAssign();
    void AddRemap(LONG deviceId, LONG newId);
    // The value of the PRINTERFEATURE "FORMSIZE_COMBO" option whose text is text (the string of
    // its ITEMTEXTID, else its ITEMTEXT, as the sheet shows it), else fallback.
    LONG MediaTypeByText(std::u16string_view text, LONG fallback);
    DWORD LoadStoredOptions(XprStore* store, LPCWSTR table, POPTITEM item, LPWSTR** persist);
    DWORD SaveStoredOptions(XprStore* store, LPCWSTR table, POPTITEM item, LPWSTR* persist, DWORD count);

    QORVAOptItemHandlerFactory* m_factory;  // first: the owner
    HANDLE m_heap;
    HANDLE m_printer;
    LPCWSTR m_printerName;
    IDrvResources* m_resources;
    IDrvSettings* m_settings;
    XprStore* m_watermarkSettings;
    XprStore* m_documentSettings;
    XprStore* m_printerFeature;
    QORVAItemValueTarget* m_itemTarget;
    DWORD m_customPaperIds[CUSTOM_MEDIA_ENTRIES] = {};
    DWORD m_remapCount = 0;
    PaperIdRemap m_remap[PAPER_REMAP_PAIRS] = {};
};
