// A sheet of the driver's factory on the UI test printer: the description compiled, the sheet
// state with the printer's resources and settings, hand-made items in one array as the universal
// driver lays them out, and a private devmode of the description's defaults.
#pragma once

#include <string>
#include <vector>

#include <win/compstui.h>
#include <win/windows.h>

#include "codrvsettings.h"
#include "couipluginext.h"
#include "items/optitem_handler.h"
#include "optitem_sheet.h"
#include "options/handler_factory_drv.h"
#include "ui_fixture.h"

namespace uitest {

class DriverSheetTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // An item keyed by key (a kit key of 100 or more, or a standard DMPubID below 100) whose
    // options have the texts given and the values given (0, 1, 2... when none are given).
    POPTITEM AddItem(DWORD key, BYTE type, const std::vector<std::u16string>& texts, std::vector<LPARAM> values = {});
    // An item with count options without texts.
    POPTITEM AddItem(DWORD key, BYTE type, WORD count, std::vector<LPARAM> values = {});
    // An item keyed by its name ("#n" or "#n|m").
    POPTITEM AddNamedItem(const std::u16string& name, BYTE type, WORD count);

    // The factory over the items added so far, for that printer, with a handler for each item.
    QORVAOptItemHandlerFactoryDrv* MakeFactory(DWORD uiType = kUiTypeSheets, DWORD sheetMode = OEMCUIP_DOCPROP,
                                               const std::u16string& printer = kPrinter);
    QORVAOptItemHandler* Handler(DWORD key) { return m_factory->FindHandler(key); }
    // The text of an option of a handler's item, empty for none.
    std::u16string Text(DWORD key, LONG index);
    bool Hidden(DWORD key, LONG index) { return Handler(key)->GetOptionFlags(index) & OPTPF_HIDE; }

    // Closes the sheet: the factory, the sheet state, the settings and the printer handle go; the
    // items stay for the next MakeFactory.
    void CloseSheet();

    HANDLE m_heap = nullptr;
    HANDLE m_printer = nullptr;  // use access, as the user interface opens it
    std::u16string m_printerName;
    std::vector<OPTITEM> m_items;
    OEMCUIPPARAM m_record{};
    std::vector<BYTE> m_privateDevmode;
    CoUIPluginExt* m_extension = nullptr;
    CoDrvSettings* m_settings = nullptr;
    QORVAOptItemHandlerFactoryDrv* m_factory = nullptr;
};

}  // namespace uitest
