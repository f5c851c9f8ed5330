// The device page's items as the model's description gives them to the printer sheet: the lists,
// combo boxes, buttons and popups of the page, each of the kind its link and rules expect, none of
// them tied to a printer setting (the trays and the address live in printer data, and the installed
// trays reach _OPTSOURCE only through the device rules).
#include <string>
#include <vector>

#include <win/unidrv_userdata.h>

#include "couiplugin.h"
#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_builder.h"
#include "options/device_info_handlers.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

DWORD KeyOf(const OPTITEM& item) {
    return DWORD{item.UserItemID} * 156 + item.DMPubID;
}

class DeviceDescriptionTest : public UiTest {
protected:
    const OPTITEM* Find(const palvex::hosts::UiHost& host, DWORD key) {
        for (size_t i = host.DriverItemCount(); i < host.Items().size(); ++i)
            if (KeyOf(host.Items()[i]) == key) return &host.Items()[i];
        return nullptr;
    }
    static std::vector<LPARAM> Values(const OPTITEM& item) {
        std::vector<LPARAM> values;
        for (WORD i = 0; i < item.pOptType->Count; ++i) {
            const LPARAM param = item.pOptType->pOptParam[i].lParam;
            // Values wider than two bytes are kept behind the parameter.
            values.push_back((static_cast<ULONG_PTR>(param) >> 16) ? *reinterpret_cast<const WORD*>(param) : param);
        }
        return values;
    }
};

TEST_F(DeviceDescriptionTest, ThePrinterSheetHasEveryItemOfTheDevicePageAndItsPopups) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_PRNPROP), S_OK);
    struct Case {
        DWORD key;
        BYTE type;
        std::vector<LPARAM> values;  // lists only
        DWORD opens = 0;             // push buttons: the dialog they open (0: none)
    } cases[] = {
        {25101, TVOT_LISTBOX, {0, 1}},
        {25103, TVOT_COMBOBOX, {0, 1, 2, 3}},
        {25104, TVOT_PUSHBUTTON, {}},
        {25105, TVOT_PUSHBUTTON, {}, 25300},
        {25181, TVOT_LISTBOX, {0, 1, 2, 3}},
        {25182, TVOT_PUSHBUTTON, {}, 25200},
        {25201, TVOT_LISTBOX, {0, 1, 2, 3}},
        {25203, TVOT_COMBOBOX, {11, 6, 13, 9, 1, 5, 12, 8, 17, 0}},
        {25205, TVOT_COMBOBOX, {513, 518, 519, 517}},
        {25305, TVOT_EDITBOX, {}},
        {25308, TVOT_PUSHBUTTON, {}},
        {1143, TVOT_PUSHBUTTON, {}, 25500},
        {25502, TVOT_EDITBOX, {}},
        {25505, TVOT_EDITBOX, {}},
        {25507, TVOT_PUSHBUTTON, {}},
        {25508, TVOT_PUSHBUTTON, {}},
        {25509, TVOT_PUSHBUTTON, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const OPTITEM* item = Find(*host, c.key);
        ASSERT_NE(item, nullptr);
        ASSERT_NE(item->pOptType, nullptr);
        EXPECT_EQ(item->pOptType->Type, c.type);
        if (!c.values.empty()) {
            EXPECT_EQ(Values(*item), c.values);
        }
        if (c.type == TVOT_PUSHBUTTON) {
            const auto* push = reinterpret_cast<const PushTargetRecord*>(item->pOptType->pOptParam[0].lParam);
            EXPECT_EQ(push ? push->m_dialogId : 0u, c.opens);
            if (c.opens) {
                EXPECT_NE(push->m_template, nullptr);
            }
        }
        // No printer setting is loaded into the item or saved from it.
        const auto* record = reinterpret_cast<const USERDATA*>(item->UserData);
        ASSERT_NE(record, nullptr);
        const std::u16string keyword = record->pKeyWordName ? record->pKeyWordName : u"";
        EXPECT_EQ(keyword.rfind(u"SHEETITEMS.", 0), 0u) << std::string(keyword.begin(), keyword.end());
    }
    // The address and account boxes hold 63 characters.
    for (DWORD key : {25305u, 25502u, 25505u}) EXPECT_EQ(Find(*host, key)->pOptType->pOptParam[1].IconID, 64u) << key;

    // The tray list's handler is the one that stores the trays on Apply.
    CoUIPluginExt* state = static_cast<CoUIPlugin*>(host->Plugin())->SheetState();
    ASSERT_NE(state->Factory(), nullptr);
    EXPECT_NE(dynamic_cast<QVOptItemHandlerDEVINFOPropSheet*>(state->Factory()->FindHandler(25181)), nullptr);
}

}  // namespace
}  // namespace uitest
