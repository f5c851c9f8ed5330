// The plug-in's option items built from the model's compiled description, as the universal
// driver's sheets get them through CommonUIProp, and changed and applied through the sheet's tree.
#include <cstring>
#include <set>

#include <win/unidrv_userdata.h>

#include "couipluginext.h"
#include "drvstore.h"
#include "items/handler_factory.h"
#include "reginfo.h"
#include "ui_fixture.h"
#include "xpr.h"

namespace uitest {
namespace {

DWORD KeyOf(const OPTITEM& item) {
    return DWORD{item.UserItemID} * 156 + item.DMPubID;
}

class OptionItemsTest : public UiTest {
protected:
    // The index in the host's array of the plug-in item with this key.
    size_t IndexOf(const palvex::hosts::UiHost& host, DWORD key) {
        for (size_t i = host.DriverItemCount(); i < host.Items().size(); ++i)
            if (KeyOf(host.Items()[i]) == key) return i;
        ADD_FAILURE() << "no item " << key;
        return 0;
    }
    const OPTITEM& Item(const palvex::hosts::UiHost& host, DWORD key) { return host.Items()[IndexOf(host, key)]; }
};

TEST_F(OptionItemsTest, EveryFeatureRowBecomesAnItemWithItsKey) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    ASSERT_GT(host->Items().size(), host->DriverItemCount());
    // The preview, the boxes of values, the binding popup's explanation and the About page's logos
    // and labels show something but choose nothing: their rows (TVOT_NONE) give items without options.
    const std::set<DWORD> withoutOptions = {250, 1013, 2013, 3013, 25604, 510, 531, 550, 570};
    for (size_t i = host->DriverItemCount(); i < host->Items().size(); ++i) {
        const OPTITEM& item = host->Items()[i];
        EXPECT_EQ(item.cbSize, 88);
        EXPECT_EQ(item.Flags & 0x5u, 0x5u) << i;
        EXPECT_EQ(item.pOptType == nullptr, withoutOptions.count(KeyOf(item)) == 1) << KeyOf(item);
    }
    // DMPUBID 65535 stands for the CONTROLID 3102: UserItemID 19, DMPubID 138.
    const OPTITEM& scale = Item(*host, 3102);
    EXPECT_EQ(scale.UserItemID, 19);
    EXPECT_EQ(scale.DMPubID, 138);
    // The settings key of the item is in the keyword of the driver's record behind UserData.
    const auto* record = reinterpret_cast<const USERDATA*>(scale.UserData);
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->pKeyWordName, nullptr);
    EXPECT_EQ(std::u16string(record->pKeyWordName), u"OEMDEVMODE._SCALEDOCON_SIZE");
    // A row shown hidden keeps OPTIF_HIDE (the hidden kit items 32500..32502).
    EXPECT_TRUE(Item(*host, 32501).Flags & OPTIF_HIDE);
}

TEST_F(OptionItemsTest, SmallValuesStandInLParamLargerOnesBehindIt) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    // Colours are 4-byte values: each option points to its own copy, never read as a value.
    const OPTTYPE* colour = Item(*host, 19352).pOptType;
    ASSERT_NE(colour, nullptr);
    ASSERT_EQ(colour->Count, 4);
    const DWORD expected[] = {0x00C0C0C0, 0x000000FF, 0x00FF0000, 0x00000000};
    for (WORD i = 0; i < colour->Count; ++i) {
        const auto address = static_cast<ULONG_PTR>(colour->pOptParam[i].lParam);
        ASSERT_GE(address, 0x10000u) << i;
        EXPECT_EQ(*reinterpret_cast<const DWORD*>(address), expected[i]) << i;
    }
    // The pages per sheet (a one-byte value) and the shade (two bytes) hold theirs in lParam.
    const OPTTYPE* pages = Item(*host, 32501).pOptType;
    ASSERT_EQ(pages->Count, 6);
    for (WORD i = 0; i < pages->Count; ++i) EXPECT_EQ(pages->pOptParam[i].lParam, i);
    const OPTTYPE* shade = Item(*host, 19402).pOptType;
    ASSERT_GT(shade->Count, 0);
    EXPECT_LT(static_cast<ULONG_PTR>(shade->pOptParam[shade->Count - 1].lParam), 0x10000u);
}

TEST_F(OptionItemsTest, CountingWithoutTheFeatureTableIsNotImplemented) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    CoUIPluginExt* state = static_cast<CoUIPlugin*>(host->Plugin())->SheetState();
    ASSERT_NE(state, nullptr);
    OEMCUIPPARAM record = *host->SheetRecord();
    record.pOEMOptItems = nullptr;
    record.cOEMOptItems = 0;
    state->m_featureTable = u"NOSUCHFEATURE";
    EXPECT_EQ(state->CountOptItems(&record), E_NOTIMPL);
    EXPECT_EQ(record.cOEMOptItems, 0u);
}

TEST_F(OptionItemsTest, TheKitsPagesLeaveTheTreeOnlyWhatItNeeds) {
    {
        auto host = MakeHost();
        ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
        const auto& items = host->Items();
        // Only the orientation item (DMPubID 1) stays in the document sheet's tree.
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ((items[i].Flags & OPTIF_HIDE) != 0, items[i].DMPubID != 1) << i;
        CoUIPluginExt* state = static_cast<CoUIPlugin*>(host->Plugin())->SheetState();
        EXPECT_EQ(state->UiType(), 2u);
        ASSERT_EQ(state->m_sheetCount, 4u);
        EXPECT_EQ(state->m_sheets[0].m_dialogId, 1000u);
        EXPECT_EQ(state->m_sheets[1].m_dialogId, 2000u);
        EXPECT_EQ(state->m_sheets[2].m_dialogId, 3000u);
        EXPECT_EQ(state->m_sheets[3].m_dialogId, 500u);
    }
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_PRNPROP), S_OK);
    const auto& items = host->Items();
    const size_t firstPlugin = host->DriverItemCount();
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ((items[i].Flags & OPTIF_HIDE) != 0, i != 0 && i != firstPlugin) << i;
    CoUIPluginExt* state = static_cast<CoUIPlugin*>(host->Plugin())->SheetState();
    ASSERT_EQ(state->m_sheetCount, 1u);
    EXPECT_EQ(state->m_sheets[0].m_dialogId, 25000u);
}

// Rows of kinds the model's description does not use, over a structure of their own.
constexpr char kTestRows[] =
    "*XPDSTRUCT: TESTFIELDS\n{\n"
    "    *FIELD: _NAME\n    {\n        *FIELDTYPE: CHAR\n        *ARRAYSIZE: 64\n        *WARNWHENEMPTY: OFF\n    }\n"
    "    *FIELD: _LEVEL\n    {\n        *FIELDTYPE: WORD\n        *WARNWHENEMPTY: OFF\n    }\n"
    "    *FIELD: _COUNT\n    {\n        *FIELDTYPE: DWORD\n        *WARNWHENEMPTY: OFF\n    }\n}\n"
    "*TESTFIELDS: DEFAULT\n{\n    *_NAME: \"abc\"\n    *_LEVEL: 7\n    *_COUNT: 70000\n}\n"
    "*DOCUMENTFEATURE: TEST_TRACK\n{\n    *REFERENCES: TESTFIELDS._LEVEL(DOCUMENTFEATURE.OPTION.VALUE)\n"
    "    *CONTROLID: 3300\n    *CONTROLTYPE: =TVOT_TRACKBAR\n    *CONTROLTEXTID: 0\n    *CONTROLTEXT: \"Level:\"\n"
    "    *DMPUBID: =DMPUB_USECTRLID\n    *PROPVISIBLE: =PROP_SHOW\n    *PROPLEVEL: 1\n    *HELPID: =HELP_USECTRLID\n"
    "    *OPTION: OPT0\n    {\n        *ITEMTEXTID: 0\n        *ITEMTEXT: \"Level\"\n        *VALUE: 7\n"
    "        *MINVALUE: 10\n        *MAXVALUE: 5\n        *MULVALUE: 0\n        *INCVALUE: 0\n    }\n}\n"
    "*DOCUMENTFEATURE: TEST_NAME\n{\n    *REFERENCES: TESTFIELDS._NAME(DOCUMENTFEATURE.OPTION.VALUE)\n"
    "    *CONTROLID: 3301\n    *CONTROLTYPE: =TVOT_EDITBOX\n    *CONTROLTEXTID: 0\n    *CONTROLTEXT: \"Name\"\n"
    "    *DMPUBID: =DMPUB_USECTRLID\n    *PROPVISIBLE: =PROP_SHOW\n    *PROPLEVEL: 1\n    *HELPID: =HELP_USECTRLID\n"
    "    *OPTION: OPT0\n    {\n        *ITEMTEXTID: 0\n        *ITEMTEXT: \"Name\"\n        *VALUE: \"abc\"\n    }\n}\n"
    "*DOCUMENTFEATURE: TEST_COUNT\n{\n    *REFERENCES: TESTFIELDS._COUNT(DOCUMENTFEATURE.OPTION.VALUE)\n"
    "    *CONTROLID: 3302\n    *CONTROLTYPE: =TVOT_COMBOBOX\n    *CONTROLTEXTID: 0\n    *CONTROLTEXT: \"Count\"\n"
    "    *DMPUBID: =DMPUB_USECTRLID\n    *PROPVISIBLE: =PROP_SHOW\n    *PROPLEVEL: 1\n    *HELPID: =HELP_USECTRLID\n"
    "    *OPTION: OPT0\n    {\n        *ITEMTEXTID: 0\n        *ITEMTEXT: \"Few\"\n        *VALUE: 3\n    }\n"
    "    *OPTION: OPT1\n    {\n        *ITEMTEXTID: 0\n        *ITEMTEXT: \"Many\"\n        *VALUE: 70000\n    }\n}\n";

class OptionRulesTest : public OptionItemsTest {
protected:
    void SetUp() override {
        InstallOptions options;
        options.extraDescription = kTestRows;
        InstallUiPrinter(options);
    }
};

TEST_F(OptionRulesTest, RangeEditAndListRules) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    // Track bar: a minimum not below the maximum gives 65535; a multiplier below 2 gives 1.
    const OPTITEM& track = Item(*host, 3300);
    ASSERT_NE(track.pOptType, nullptr);
    ASSERT_EQ(track.pOptType->Count, 3);
    EXPECT_EQ(track.Sel, 7);
    EXPECT_EQ(track.pOptType->pOptParam[1].IconID, 10u);
    EXPECT_EQ(track.pOptType->pOptParam[1].lParam, 65535);
    EXPECT_EQ(track.pOptType->pOptParam[2].IconID, 1u);
    EXPECT_EQ(track.pOptType->pOptParam[2].lParam, 1);
    EXPECT_EQ(std::u16string(track.pName), u"Level:");  // the kit's pages keep the colon
    // Edit box over CHAR[64]: a 64-character field, its buffer one unit longer for the terminator.
    const OPTITEM& name = Item(*host, 3301);
    ASSERT_EQ(name.pOptType->Count, 2);
    EXPECT_EQ(name.pOptType->pOptParam[1].IconID, 64u);
    EXPECT_EQ(HeapSize(host->SheetHeap(), 0, name.pSel), 65u * sizeof(WCHAR));
    // A 4-byte value above 65535 stands behind lParam like any other.
    const OPTTYPE* count = Item(*host, 3302).pOptType;
    ASSERT_EQ(count->Count, 2);
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(count->pOptParam[1].lParam), 70000u);
}

TEST_F(OptionItemsTest, ApplyThroughTheTreeSavesTheFieldAndTheDocumentSheetsStores) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    // Marks in place of the stored blocks: Apply must write the document sheet's two back.
    const std::vector<BYTE> mark = {1, 2, 3, 4};
    for (const char16_t* block : {u"WATERMARKSETTINGS", u"DOCUMENTSETTINGS", u"PRINTERFEATURE"})
        SetPrinterValue(block, REG_BINARY, mark);

    const size_t colour = IndexOf(*host, 19352);
    EXPECT_EQ(host->SelectItem(colour, 2), CPSUICB_ACTION_NONE);  // blue, 0x00FF0000
    EXPECT_TRUE(host->Items()[colour].Flags & OPTIF_CHANGED);
    EXPECT_EQ(host->Apply(), CPSUICB_ACTION_ITEMS_APPLIED);

    auto* plugin = static_cast<CoUIPlugin*>(host->Plugin());
    DWORD value = 0;
    ASSERT_EQ(plugin->DocumentSettings()->GetFieldValue(host->SheetRecord()->pOEMDM, u"_WMK_COLOR", &value,
                                                         sizeof value, SETTINGS_SELECT_DEVMODE),
              S_OK);
    EXPECT_EQ(value, 0x00FF0000u);
    for (const char16_t* block : {u"WATERMARKSETTINGS", u"DOCUMENTSETTINGS"}) {
        const std::vector<BYTE> saved = PrinterValue(block);
        ASSERT_GT(saved.size(), 160u) << static_cast<int>(block[0]);
        DWORD signature = 0;
        std::memcpy(&signature, saved.data(), sizeof signature);
        EXPECT_EQ(signature, XPR_SIGNATURE);
    }
    EXPECT_EQ(PrinterValue(u"PRINTERFEATURE"), mark);
}

TEST_F(OptionItemsTest, RegistryEntriesReportAFailedWrite) {
    auto host = MakeHost();  // compiles the description
    OwnedStore store(static_cast<XprStore*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(XprStore))));
    {
        PrinterHandle printer;
        ASSERT_LT(LoadByHandle(store.get(), printer.get(), u"REGINFO"), 2u);
        EXPECT_EQ(WriteRegInfoEntries(store.get(), printer.get()), S_OK);
    }
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    std::u16string name = kPrinter;
    HANDLE reader = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &reader, &defaults));
    EXPECT_EQ(WriteRegInfoEntries(store.get(), reader), E_FAIL);
    ClosePrinter(reader);
}

}  // namespace
}  // namespace uitest
