// CoSettings: ISettings over the printer's OEMDEVMODE and PRINTERSETTINGS blocks. The first row
// of each block is its default record; the OEMDEVMODE table is also the layout of the private
// block inside a DEVMODE (a field lies at its column offset less the 8-byte key column).
#pragma once

#include "com_object.h"
#include "settings_interface.h"
#include "xpr.h"

class CoSettings final : public ComObject<ISettings> {
public:
    CoSettings() = default;
    CoSettings(const CoSettings&) = delete;
    CoSettings& operator=(const CoSettings&) = delete;

    // Loads the two blocks of the printer and prepares their default records.
    HRESULT Init(LPCWSTR printerName);

    HRESULT STDMETHODCALLTYPE GetPageOrder(const DEVMODEW* devmode, BYTE* order) override;
    HRESULT STDMETHODCALLTYPE GetBooklet(const DEVMODEW* devmode, BYTE* on, BYTE* kind) override;
    HRESULT STDMETHODCALLTYPE GetNup(const DEVMODEW* devmode, BYTE* on, BYTE* pages, BYTE* border,
                                     BYTE* order) override;
    HRESULT STDMETHODCALLTYPE GetScaling(const DEVMODEW* devmode, BYTE* on, WORD* size, BYTE* toFit,
                                         WORD* factor) override;
    HRESULT STDMETHODCALLTYPE GetWatermark(const DEVMODEW* devmode, WatermarkSettings* values, LPWSTR text,
                                           DWORD textBytes, LPWSTR font, DWORD fontBytes) override;
    HRESULT STDMETHODCALLTYPE GetPDLType(const DEVMODEW* devmode, DWORD* pdlType) override;
    HRESULT STDMETHODCALLTYPE GetDeviceType(const DEVMODEW* devmode, DWORD* deviceType) override;
    HRESULT STDMETHODCALLTYPE GetPaperCollatedCopies(const DEVMODEW* devmode, DWORD* collated) override;
    HRESULT STDMETHODCALLTYPE GetGraphicsMode(const DEVMODEW* devmode, BYTE* mode) override;
    HRESULT STDMETHODCALLTYPE GetRotated(const DEVMODEW* devmode, BYTE* rotated) override;
    HRESULT STDMETHODCALLTYPE GetDuplexType(const DEVMODEW* devmode, DWORD* duplexType) override;
    HRESULT STDMETHODCALLTYPE GetGrayscale(const DEVMODEW* devmode, BYTE* grayscale) override;
    HRESULT STDMETHODCALLTYPE GetPoster(const DEVMODEW* devmode, BYTE* tiles, BYTE* crop) override;
    HRESULT STDMETHODCALLTYPE SetDocPageCount(DEVMODEW* devmode, DWORD pageCount) override;
    HRESULT STDMETHODCALLTYPE SetNupPageOrient(DEVMODEW* devmode, DWORD orientationMask) override;
    HRESULT STDMETHODCALLTYPE SetFirstPageSize(DEVMODEW* devmode, DWORD paperSize) override;
    HRESULT STDMETHODCALLTYPE SetBindingAdjustRect(DEVMODEW* devmode, const RECT* rect) override;
    HRESULT STDMETHODCALLTYPE GetBinding(const DEVMODEW* devmode, BYTE* enabled, BYTE* direct, BYTE* shift,
                                         DWORD* margin) override;
    HRESULT STDMETHODCALLTYPE GetDateTime(const DEVMODEW* devmode, BYTE* enabled, BYTE* firstPageOnly, LPWSTR text,
                                          DWORD textBytes, BYTE* position) override;
    HRESULT STDMETHODCALLTYPE GetValue(const DEVMODEW* devmode, LPCWSTR key, void* buffer, DWORD bufferSize,
                                       DWORD index) override;
    HRESULT STDMETHODCALLTYPE Validate(const DEVMODEW* devmode) override;

    // The PDL type of the printer, which decides where the private block lies.
    DWORD pdlType() const { return m_pdlType; }
    // Bytes of a private block of this printer's layout.
    DWORD recordSize() const { return m_recordSize; }

private:
    // A setting's place in a record: bytes from the record's start and its size.
    struct Field {
        DWORD offset;
        DWORD size;
    };
    // One record: the private block of a DEVMODE or a default record, with its length.
    struct Record {
        BYTE* bytes;
        DWORD size;
    };

    ~CoSettings() override;

    // The field of key in table's layout; false when the table has no such column or the column
    // lies in the key column (offset below 8).
    static bool FindField(XprTable* table, LPCWSTR key, Field* field);
    // The DEVMODE's private block (Validate must have accepted the DEVMODE).
    Record DevmodeRecord(const DEVMODEW* devmode) const;
    // The current row of a bound table without its key column.
    static Record DefaultRecord(XprTable* table);

    // A numeric setting of the record, read little-endian from its first 8 bytes at most; 0 when
    // the layout has no such field.
    static DWORD64 ReadNumber(XprTable* layout, const Record& record, LPCWSTR key);
    DWORD64 Job(const DEVMODEW* devmode, LPCWSTR key) const;
    DWORD64 Printer(LPCWSTR key) const;
    // A text setting into a caller's buffer, cut and NUL-terminated; empty when there is none.
    void ReadText(const DEVMODEW* devmode, LPCWSTR key, LPWSTR text, DWORD textBytes) const;
    // Writes size bytes of value into the setting (zero-filled first, cut to the setting's size).
    HRESULT WriteJob(DEVMODEW* devmode, LPCWSTR key, const void* value, DWORD size);

    XprStore* m_oemStore = nullptr;
    XprStore* m_printerStore = nullptr;
    XprTable* m_oemTable = nullptr;      // OEMDEVMODE bound to its first row
    XprTable* m_printerTable = nullptr;  // PRINTERSETTINGS bound to its first row
    DWORD m_recordSize = 0;
    DWORD m_pdlType = 0;
};
