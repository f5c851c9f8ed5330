// The settings object: the COM view of the driver's two settings blocks, OEMDEVMODE (whose first
// row is the default private devmode and whose columns lay out every private devmode) and
// PRINTERSETTINGS (the printer's own settings).
//
// A private devmode (a "record") is one OEMDEVMODE row without its key column: a field lies at
// record start + the column's offset - 8, and the record begins with _SIZE (u32, its size) and
// _SIGNATURE ("QKD3"). The printer settings record is the current PRINTERSETTINGS row read the
// same way. Fields are always found by their settings key, never by a fixed offset.
//
// Table selectors: SETTINGS_SELECT_DEVMODE (OEMDEVMODE), SETTINGS_SELECT_PRINTER
// (PRINTERSETTINGS), SETTINGS_SELECT_OWN (the object's mode).
//
// Built once per plug-in variant of the settings runtime (UI and render).
#pragma once

#include <string>
#include <vector>

#include <win/compstui.h>
#include <win/windows.h>

#include "datafileimage.h"
#include "xpr.h"

#define SETTINGS_SELECT_DEVMODE 0u
#define SETTINGS_SELECT_PRINTER 1u
#define SETTINGS_SELECT_OWN 2u

// The object's mode: which table its option items and own-mode field access use.
#define SETTINGS_MODE_DOCUMENT 0u
#define SETTINGS_MODE_PRINTER 1u
#define SETTINGS_MODE_UNSET 2u

// Bytes of a row's key column "TAG", which a private devmode leaves out.
#define SETTINGS_KEY_BYTES 8u

// Operations of the settings object. Slots follow IUnknown in this order; the deleting destructor
// is the last slot.
struct IDrvSettings : public IUnknown {
    // Sets each item's selection from its settings field (the field named by the key in the
    // item's UserData record, the text after its last '.'). devmode: the private devmode the
    // items show (document mode; ignored in printer mode, which shows the printer settings).
    virtual HRESULT STDMETHODCALLTYPE GetOptItems(POPTITEM items, DWORD count, PVOID devmode) = 0;
    // Writes every changed item (OPTIF_CHANGED or OPTIF_CHANGEONCE) into its field. In printer
    // mode with a valid printer handle it then saves PRINTERSETTINGS as printer data and mirrors
    // it into the driver's GPD or PPD data file. The save and the mirror do not change the result.
    virtual HRESULT STDMETHODCALLTYPE SetOptItems(POPTITEM items, DWORD count, PVOID devmode, HANDLE printer) = 0;
    // Copies min(size, field size) bytes of the field into destination and zero-fills the rest of
    // the destination's size bytes. E_INVALIDARG for a missing record, name, destination or size;
    // E_FAIL for a field the table lacks.
    virtual HRESULT STDMETHODCALLTYPE GetFieldValue(PVOID record, LPCWSTR name, PVOID destination, DWORD size,
                                                    DWORD selector) = 0;
    // The field's address in the record. Never null: for a field that cannot be found it is the
    // address of the object's scratch value, zero-filled each time it is handed out and as wide as
    // the widest field of either table (never less than 8 bytes), which callers read and write as
    // if it were the field.
    virtual PVOID STDMETHODCALLTYPE GetFieldPtr(PVOID record, LPCWSTR name, DWORD selector) = 0;
    // Copies min(size, field size) bytes of source into the field and zero-fills the rest of the
    // field. E_INVALIDARG for a missing record, name or source; E_FAIL for a field the table lacks.
    virtual HRESULT STDMETHODCALLTYPE SetFieldValue(PVOID record, LPCWSTR name, LPCVOID source, DWORD size,
                                                    DWORD selector) = 0;
    // The private devmode's size: the OEMDEVMODE row stride less the key. E_NOTIMPL when 0.
    virtual HRESULT STDMETHODCALLTYPE GetDevmodeSize(DWORD* size) = 0;
    // Copies the default private devmode; E_OUTOFMEMORY (size unchanged) when *size is smaller.
    virtual HRESULT STDMETHODCALLTYPE GetDefaultDevmode(DWORD* size, PVOID destination) = 0;
    // Copies min(*size, source _SIZE) bytes when both records carry the same _SIGNATURE; different
    // signatures copy nothing and still succeed.
    virtual HRESULT STDMETHODCALLTYPE ConvertDevmode(DWORD* size, PVOID destination, PVOID source) = 0;
    // Applies the devmode rules to the public devmode and the source record, then copies
    // min(*size, source _SIZE) bytes of the source into the destination. publicDevmode2 must be
    // given and is not read.
    virtual HRESULT STDMETHODCALLTYPE MergeDevmode(DWORD* size, PDEVMODEW publicDevmode, PDEVMODEW publicDevmode2,
                                                   PVOID destination, PVOID source) = 0;

protected:
    virtual ~IDrvSettings() = default;  // objects are deleted by their last Release
};

class CoDrvSettings final : public IDrvSettings {
public:
    CoDrvSettings();

    // IUnknown: QueryInterface answers IID_IUnknown only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetOptItems(POPTITEM items, DWORD count, PVOID devmode) override;
    HRESULT STDMETHODCALLTYPE SetOptItems(POPTITEM items, DWORD count, PVOID devmode, HANDLE printer) override;
    HRESULT STDMETHODCALLTYPE GetFieldValue(PVOID record, LPCWSTR name, PVOID destination, DWORD size,
                                            DWORD selector) override;
    PVOID STDMETHODCALLTYPE GetFieldPtr(PVOID record, LPCWSTR name, DWORD selector) override;
    HRESULT STDMETHODCALLTYPE SetFieldValue(PVOID record, LPCWSTR name, LPCVOID source, DWORD size,
                                            DWORD selector) override;
    HRESULT STDMETHODCALLTYPE GetDevmodeSize(DWORD* size) override;
    HRESULT STDMETHODCALLTYPE GetDefaultDevmode(DWORD* size, PVOID destination) override;
    HRESULT STDMETHODCALLTYPE ConvertDevmode(DWORD* size, PVOID destination, PVOID source) override;
    HRESULT STDMETHODCALLTYPE MergeDevmode(DWORD* size, PDEVMODEW publicDevmode, PDEVMODEW publicDevmode2,
                                           PVOID destination, PVOID source) override;

    // Loads OEMDEVMODE and PRINTERSETTINGS from the printer's data and binds each table's first
    // row; sets _SIZE and _SIGNATURE of both rows in memory. S_OK or E_FAIL.
    HRESULT Init(HANDLE printer);
    // Reads the driver's data file (GetPrinterDriverW level 3, pDataFile) into the object.
    // E_FAIL when the driver or the file cannot be read or the file is empty; E_OUTOFMEMORY.
    HRESULT LoadDataFile(HANDLE printer);

    DWORD GetMode() const { return m_mode; }
    void SetMode(DWORD mode) { m_mode = mode; }
    // The data file as last read or written (empty path before LoadDataFile).
    const DataFileImage& GetDataFile() const { return m_dataFile; }

    // The rules of the universal driver's merge: no duplex unit forces simplex (and the booklet
    // mode off), large sizes without large-size scaling fall back to the scaled size, and paper
    // sources the printer cannot take become automatic selection. Printer fields come from the
    // PRINTERSETTINGS row. E_INVALIDARG without both devmodes.
    HRESULT ApplyDevmodeRules(PDEVMODEW publicDevmode, PVOID privateDevmode);

    // S_OK when the size (micrometres) lies within 150 micrometres of width x height (tenths of a
    // millimetre) in both directions, else S_FALSE; E_INVALIDARG without a size.
    static HRESULT FormSizeMatches(const SIZEL* size, LONG width, LONG height);
    // Sets *paperId from a form size (micrometres) when it is one of the sizes 11x17, Legal, B4,
    // B5, Statement or Letter; leaves it otherwise. E_INVALIDARG for missing arguments.
    static HRESULT PaperIdFromFormSize(const SIZEL* size, SHORT* paperId);

    // The GPD mirror of the printer settings: one "*Define: " line per PRINTERSETTINGS field after
    // _VERSION, between the RTI tag lines. The file is read afresh first; image is updated to what
    // was written. E_FAIL (file untouched) for a missing path, missing tags, an unreadable file or
    // a failed write; E_OUTOFMEMORY.
    static HRESULT UpdateRtiBlock(DataFileImage* image, XprTable* printerSettings);
    // The PPD mirror: option lines of the media source, type and size sections before the XPD tag
    // switched on and off by a "*%" prefix. Same file handling as UpdateRtiBlock. E_FAIL without
    // the XPD tag or the page-size and media-type sections (nothing written). A size section
    // without its tags or its large-size range, or a missing source section, is left as it is and
    // the rest still written; a size section so left makes the result E_FAIL.
    static HRESULT UpdatePpdSettings(DataFileImage* image, XprTable* printerSettings);

private:
    ~CoDrvSettings() override;

    // Where a field of the selected table lies for a record (null: the printer settings row).
    struct FieldPlace {
        BYTE* m_address = nullptr;
        DWORD m_size = 0;  // element size x count of the column
        XprColumnKind m_kind = XprColumnKind::BYTE;
        XprTable* m_table = nullptr;
    };
    HRESULT LocateField(PVOID record, LPCWSTR name, DWORD selector, FieldPlace* place);
    // The table index (0 or 1) of a selector; -1 when the selector names none.
    int TableIndex(DWORD selector) const;
    BYTE* PrinterRecord() const;
    // The record GetOptItems and SetOptItems work on: the DEVMODE in document mode, the printer
    // settings row in printer mode.
    HRESULT ItemsRecord(POPTITEM items, DWORD count, PVOID devmode, PVOID* record) const;
    // The name of the field an option item stands for, found in the record; null when the item
    // has no type or its field is unknown or holds nothing.
    LPCWSTR LocateItemField(PVOID record, const OPTITEM& item, FieldPlace* field);
    BYTE* Scratch();
    void SizeScratch();
    void FreeStores();
    // Saves PRINTERSETTINGS as printer data and mirrors it into the data file.
    void SaveAndMirror(HANDLE printer);

    volatile LONG m_references = 0;
    DWORD m_mode = SETTINGS_MODE_UNSET;
    std::vector<BYTE> m_driverInfo;  // DRIVER_INFO_3W and its strings
    DataFileImage m_dataFile;
    XprStore* m_stores[2] = {};      // OEMDEVMODE, PRINTERSETTINGS
    XprTable* m_cursors[2] = {};
    std::vector<BYTE> m_scratch;
    alignas(8) BYTE m_smallScratch[8] = {};  // when m_scratch could not be had
};
