// A sheet on the UI test printer for the driver's own handlers: the sheet heap, the plug-in's
// sheet state (resources, settings object, UIPINFO values) over a printer handle with full
// access, hand-made items in one array, and a factory of the framework's classes that the test
// fills with the handlers it makes. The record carries a public and a private devmode.
#pragma once

#include <string>
#include <vector>

#include <win/compstui.h>
#include <win/windows.h>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/heap_object.h"
#include "optitem_sheet.h"
#include "ui_fixture.h"

namespace uitest {

class DrvSheetTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // An item keyed by key (a kit key of 100 or more, else a standard DMPubID) with count options of
    // the type; lParams the values given (else 0, 1, 2...), texts the texts given (else none).
    POPTITEM AddItem(DWORD key, BYTE type, WORD count, std::vector<LPARAM> values = {},
                     std::vector<std::u16string> texts = {});
    // A text on the sheet heap.
    LPWSTR HeapText(const std::u16string& text);

    // The sheet state and the factory over the items added so far (no handler made yet).
    void MakeSheet(DWORD mode = OEMCUIP_DOCPROP, DWORD uiType = kUiTypeSheets);
    // A handler of class H for the item, entered in the factory's map under the item's key.
    template <class H>
    H* Make(POPTITEM item) {
        H* handler = MakeOnHeap<H>(m_heap, m_heap, m_factory, item);
        if (handler) m_factory->StoreHandler(handler->ItemKey(), handler);
        return handler;
    }
    QORVAOptItemHandler* Handler(DWORD key) { return m_factory->FindHandler(key); }
    LONG_PTR Value(DWORD key);

    // A child control of a hidden parent window, for links that ask which control they are on.
    HWND Control(int id);

    HANDLE m_heap = nullptr;
    HANDLE m_printer = nullptr;  // full access: the sheet may write printer data
    std::vector<OPTITEM> m_items;
    OEMCUIPPARAM m_record{};
    DEVMODEW m_publicDevmode{};
    std::vector<BYTE> m_privateDevmode;
    IDrvSettings* m_settings = nullptr;
    CoUIPluginExt* m_extension = nullptr;
    TestFactory* m_factory = nullptr;
    HWND m_parent = nullptr;
};

}  // namespace uitest
