// A printer sheet for the device page's tests: the UI test printer opened with full access, its
// compiled description, settings object and resources, a factory that makes the device page's
// handlers, the printer's device record, and the device rules observing the items. Pages are made
// from the resource library's dialog templates; the machine runs on a virtual clock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <win/windows.h>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "options/device_info.h"
#include "options/device_info_constraint.h"
#include "ui_fixture.h"

namespace uitest {

// The factory of the device page's tests: the device handlers by key, and the links of the device
// page's lists, combo boxes and user-tracking check box as the driver's factory makes them.
class DeviceTestFactory final : public QORVAOptItemHandlerFactory {
public:
    using QORVAOptItemHandlerFactory::QORVAOptItemHandlerFactory;
    QORVAOptItemHandler* CreateHandler(POPTITEM item) override;
    void CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler) override;
    void CreateConstraints() override {}
    void ApplyDefaults() override {}
    void PrepareItems() override {}
};

class DeviceSheetTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the sheet (items, factory, record, rules) over the printer's current data; called
    // by the test once the printer data it needs is set. accessState as the sheet found it.
    void OpenSheet(DWORD accessState = 2, DWORD readOnly = 0);
    // Closes the sheet without Apply (the rules and the factory go).
    void CloseSheet();
    // The sheet's Apply: every handler's SaveSettings with no window, then the items are written
    // back, as the front end does.
    void Apply();
    // A page or popup of the resource library, shown through the factory (popups one level down).
    HWND OpenPage(DWORD dialogId);
    HWND OpenPopup(DWORD dialogId);

    QORVAOptItemHandler* Handler(DWORD key) { return m_factory->FindHandler(key); }
    QVDevinfoData* Record() { return FindDevinfoData(m_printer, kPrinter); }
    // A printer data value's bytes under a key (empty when missing), and whether it exists.
    std::vector<BYTE> Data(LPCWSTR key, LPCWSTR name, DWORD* type = nullptr);
    bool HasData(LPCWSTR key, LPCWSTR name);
    // The stored PRINTERSETTINGS field as a fresh settings object reads it.
    DWORD StoredSetting(LPCWSTR field, DWORD size);
    // Stores one PRINTERSETTINGS field of size bytes, as a saved sheet would have.
    void SetStoredSetting(LPCWSTR field, DWORD value, DWORD size);
    // The settings object's (in-memory) field.
    DWORD SheetSetting(LPCWSTR field, DWORD size);
    // Makes the machine refuse every write of this value (its name upper-cased) of printer data
    // or, with the table "reg_values", of the registry, as a full disk would.
    void RefuseData(const char* valueName, const char* table = "spool_printer_data");
    void AllowData();

    HANDLE m_heap = nullptr;
    HANDLE m_printer = nullptr;  // full access, as the printer sheet of an administrator
    CoDrvSettings* m_settings = nullptr;
    CoUIPluginExt* m_extension = nullptr;
    OEMCUIPPARAM m_record{};
    std::vector<OPTITEM> m_items;
    DeviceTestFactory* m_factory = nullptr;
    QVOptItemConstraintDEVINFO* m_rules = nullptr;
    std::vector<HWND> m_windows;
    HWND m_frame = nullptr;
};

// The last WM_COMMAND's wParam that a dialog of the tests received.
WPARAM LastDialogCommand();

// Bytes of a UTF-16 text with its NUL (and, for lists, the final NUL given in the text).
std::vector<BYTE> Utf16Bytes(const std::u16string& text);

}  // namespace uitest
