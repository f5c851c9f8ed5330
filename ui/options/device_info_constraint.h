// QVOptItemConstraintDEVINFO: the rules of the printer sheet's device page (dialog 25000) and its
// popups, the tray popup (25200) and the get-configuration popup (25300). It asks the printer for
// its trays through the common library (automatically when the page opens, or by the button
// 25104), keeps the device-options list (25101), its value combo box (25103) and the tray lists
// in line with the printer's device record, and enables the user-tracking controls.
//
// A change of the optional trays goes into the printer settings ("_OPTSOURCE") in memory only:
// the sheet's Apply saves it with the trays, so a cancelled sheet leaves the printer's settings,
// its data file and its stored trays as they were.
#pragma once

#include "device_info.h"
#include "items/optitem_notify.h"

class QVOptItemConstraintDEVINFO : public QORVAOptItemNotify {
public:
    QVOptItemConstraintDEVINFO(HANDLE heap, QORVAOptItemHandlerFactory* factory);
    // The sheet closes: a typed address it did not apply goes with it.
    ~QVOptItemConstraintDEVINFO() override;

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
    // Asks the printer for its trays: manual 1 for the button (which reports the outcome in a
    // message box), 0 for the automatic query when the page opens.
    void GetDeviceInformation(DWORD manual);

    DWORD Queried() const { return m_queried; }

private:
    QVDevinfoData* Record();
    HWND Dialog();
    void UpdateUserTracking();
    void AutomaticQuery(QVDevinfoData* record);
    void DeviceOptionRowSelected();
    void DeviceOptionChanged(QVDevinfoData* record);
    void AskButtonPushed(QVDevinfoData* record);
    void TrayRowSelected();
    void TrayComboChanged(DWORD id);
    void AddressSourceChanged();
    void DefaultsPushed();
    void SetOptionalSource(DWORD value);
    void ShowTrayImages(QVDevinfoData* record);
    // The sheet's access state and read-only flag, as the sheet found them when it opened.
    DWORD AccessState();
    DWORD ReadOnly();

    DWORD m_queried = 0;
    // The page whose opening already tried the automatic query: a page that opens notifies every
    // watched item, and an unreachable printer must cost one query, not one per item.
    HWND m_triedPage = nullptr;
};
