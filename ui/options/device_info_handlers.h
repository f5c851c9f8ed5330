// The printer sheet's device handlers: the tray list's handler (item 25181), which commits the
// tray popup and the get-configuration popup into the printer's device record and, on Apply,
// stores the trays and the typed address as printer data and publishes the loaded paper names;
// and the toner-save item, which only names itself and its options.
#pragma once

#include "device_info.h"
#include "items/optitem_handler.h"

struct IDrvResources;

inline constexpr DWORD kTrayListItem = 25181;
inline constexpr DWORD kTonerSaveItem = 0x800075C6u;

class QVOptItemHandlerDEVINFOPropSheet : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;

    // Apply (no window): the working trays and the typed address become printer data (a write
    // that fails leaves the record as it was, so that the next Apply tries again), and
    // "printMediaReady" is rewritten from the stored trays; then a second's pause. A popup's OK:
    // its trays or its typed address go into the record.
    void SaveSettings(HWND window) override;

private:
    QVDevinfoData* Record();
    void SaveApply(QVDevinfoData* record);
    void SaveTrayPopup(HWND dialog, QVDevinfoData* record);
    void PublishMediaReady(QVDevinfoData* record);
};

class QVOptItemHandlerECONOMODE : public QORVAOptItemHandler {
public:
    // Names the item (string 30150) and its two options (30152, 30153).
    QVOptItemHandlerECONOMODE(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);
};

// The size-table index of a paper name (the resource names, or the printer's registered form
// for the manual feed's custom size), -1 when none matches.
LONG TraySizeIndexOfName(IDrvResources* resources, LPCWSTR name, HANDLE printer, const TRAYINFO& manualFeed);
// The media-table index of a media name, -1 when none matches.
LONG TrayMediaIndexOfName(IDrvResources* resources, LPCWSTR name);
