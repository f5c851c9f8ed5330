#include "constraint_sheet.h"

#include <cstring>

#include <win/commctrl.h>
#include <win/winspool_forms.h>

#include "items/item_key.h"
#include "items/optitem_handler.h"
#include "options/factory_tables.h"
#include "sheet_pages.h"

namespace uitest {
namespace {

// One item of the sheet: key, option type, the options' values and texts.
struct SheetItem {
    DWORD key;
    BYTE type;
    std::vector<LPARAM> values;
    std::vector<std::u16string> texts;
    LONG_PTR selection = 0;
};

// The paper lists: the machine's forms by name, two custom forms, an empty size and a paper
// without a form.
const std::vector<LPARAM> kPaperValues = {9, 1, 7, 8, 11, 6, 0, 500, 501, 502};
const std::vector<std::u16string> kPaperTexts = {u"A4",      u"Letter",       u"Executive",  u"A3",     u"A5",
                                                 u"Statement", u"未設定", u"Wide 300x200", u"Square 200", u"Nowhere"};

const std::vector<SheetItem>& Items() {
    static const std::vector<SheetItem> items = {
        {1, TVOT_2STATES, {0, 1}, {u"縦", u"横"}},
        {3, TVOT_UDARROW, {0, 999}, {}, 1},
        {4, TVOT_COMBOBOX, {15, 1, 3, 2, 4}, {u"自動", u"トレイ 1", u"トレイ 2", u"トレイ 3", u"手差し"}, 1},
        {5, TVOT_LISTBOX, {0, 1}, {u"300", u"600"}, 1},
        {7, TVOT_LISTBOX, {0, 1, 2}, {u"なし", u"長辺", u"短辺"}},
        {12, TVOT_COMBOBOX, {513, 518, 519, 517}, {u"普通紙", u"厚紙1", u"厚紙2", u"OHP"}},
        {16, TVOT_LISTBOX, {0, 1, 2, 3, 4, 5}, {u"1", u"2", u"4", u"6", u"9", u"16"}},
        {101, TVOT_COMBOBOX, {0, 1}, {u"標準", u"お気に入り1"}},
        {1013, TVOT_NONE, {}, {}},
        {2013, TVOT_NONE, {}, {}},
        {3013, TVOT_NONE, {}, {}},
        {1075, TVOT_PUSHBUTTON, {0}, {}},
        {1115, TVOT_CHKBOX, {0}, {}},
        {1141, TVOT_COMBOBOX, {0, 1}, {u"通常印刷", u"機密印刷"}},
        {1142, TVOT_PUSHBUTTON, {0}, {}},
        {1250, TVOT_PUSHBUTTON, {0}, {}},
        {1203, TVOT_COMBOBOX, kPaperValues, kPaperTexts},
        {3101, TVOT_CHKBOX, {0}, {}},
        {3102, TVOT_COMBOBOX, kPaperValues, kPaperTexts},
        {3203, TVOT_UDARROW, {0, 400}, {}, 100},
        {2300, TVOT_CHKBOX, {0}, {}},
        {2352, TVOT_COMBOBOX, {0, 1}, {u"右へ", u"左へ"}},
        {2402, TVOT_COMBOBOX, {0, 1}, {u"なし", u"社外秘"}},
        {2500, TVOT_CHKBOX, {0}, {}},
        {2601, TVOT_COMBOBOX, {255, 0, 1}, {u"自動", u"長辺とじ", u"短辺とじ"}},
        {2602, TVOT_CHKBOX, {0}, {}},
        {2603, TVOT_PUSHBUTTON, {0}, {}},
        {2621, TVOT_COMBOBOX, {0, 1, 2}, {u"なし", u"日付", u"日付と時刻"}},
        {2622, TVOT_PUSHBUTTON, {0}, {}},
        {2624, TVOT_CHKBOX, {0}, {}},
        {25750, TVOT_COMBOBOX, {0, 1}, {u"12", u"24"}},
        {17250, TVOT_COMBOBOX, {1, 2}, {u"mm", u"inch"}},
        {25611, TVOT_UDARROW, {0, 5000}, {}},
        {32502, TVOT_CHKBOX, {0}, {}},
        {32504, TVOT_LISTBOX, {0, 1}, {u"長辺", u"短辺"}},
        {kEcoModeKey, TVOT_COMBOBOX, {0, 1}, {u"しない", u"する"}},
        {25402, TVOT_EDITBOX, {0, 64}, {}},
    };
    return items;
}

void AddForm(HANDLE printer, const std::u16string& name, LONG width, LONG height) {
    std::u16string formName = name;
    FORM_INFO_1W form{FORM_USER, formName.data(), SIZEL{width, height}, RECTL{0, 0, width, height}};
    AddFormW(printer, 1, reinterpret_cast<LPBYTE>(&form));
}

}  // namespace

void ConstraintSheetTest::SetUp() {
    DriverSheetTest::SetUp();
    palvex::ResetMessageBoxScript();
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &printer, &defaults));
    AddForm(printer, u"Wide 300x200", 300000, 200000);
    AddForm(printer, u"Square 200", 200000, 200000);
    ClosePrinter(printer);
}

void ConstraintSheetTest::TearDown() {
    CloseSheet();
    DriverSheetTest::TearDown();
    palvex::ResetMessageBoxScript();
}

void ConstraintSheetTest::OpenSheet(const std::vector<std::pair<LONG, LONG>>& trays) {
    CloseSheet();  // a test may open the sheet again
    m_items.clear();
    m_items.reserve(Items().size());
    for (const SheetItem& shape : Items()) {
        OPTITEM item = MakeTestItem(m_heap, shape.key, shape.type, static_cast<WORD>(shape.values.size()), shape.values,
                                    shape.texts);
        if (shape.key == kEcoModeKey) {
            item.DMPubID = 100;
            item.UserItemID = 1;
            item.HelpIndex = kSpecialHelpIndex;
        }
        // Range items keep their bounds in option 1: the lower in IconID, the upper in lParam.
        if (shape.type == TVOT_UDARROW) item.pOptType->pOptParam[1].IconID = shape.key == 3203 ? 25 : shape.values[0];
        if (shape.type == TVOT_NONE) item.pOptType = nullptr;
        if (shape.type == TVOT_EDITBOX) item.pSel = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 64 * sizeof(WCHAR)));
        if (shape.type != TVOT_EDITBOX) item.Sel = shape.selection;
        m_items.push_back(item);
    }
    ASSERT_NE(MakeFactory(), nullptr);
    // The sheet gives the paper source and the media type lists of their own, whose options
    // carry the bin and media values.
    for (DWORD key : {4u, 12u}) Handler(key)->SetAlternateItem(Handler(key)->Item());

    QVDevinfoData* record = PrepareDevinfoData(m_printer, kPrinter);
    ASSERT_NE(record, nullptr);
    for (size_t tray = 0; tray < trays.size() && tray < kTrayCount; ++tray) {
        record->m_working[tray].inputType = trays[tray].first;
        record->m_working[tray].mediaIndex = trays[tray].second;
    }
    m_factory->CreateConstraints();
}

void ConstraintSheetTest::CloseSheet() {
    for (auto window = m_windows.rbegin(); window != m_windows.rend(); ++window) DestroyWindow(*window);
    m_windows.clear();
    m_frame = nullptr;
    DriverSheetTest::CloseSheet();
}

void ConstraintSheetTest::SetMarket(DWORD market) {
    if (market) {
        SetPrinterNumber(u"Market", market);
        return;
    }
    PrinterHandle admin;
    DeletePrinterDataExW(admin.get(), u"PrinterDriverData", u"Market");
}

HWND ConstraintSheetTest::OpenPage(DWORD dialogId) {
    // The page preview's window class, as the sheet registers it before it makes its pages.
    EXPECT_TRUE(RegisterStaticHand(m_extension));
    LPCDLGTEMPLATEW form = m_extension->Resources()->GetDialogTemplate(dialogId, FALSE);
    EXPECT_NE(form, nullptr) << dialogId;
    if (!m_frame) {
        m_frame = CreateWindowExW(0, u"STATIC", u"sheet", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        m_windows.push_back(m_frame);
    }
    HWND page = CreateDialogIndirectParamW(nullptr, form, m_frame, FactoryPageProc, reinterpret_cast<LPARAM>(m_factory));
    EXPECT_NE(page, nullptr) << dialogId;
    m_windows.push_back(page);
    return page;
}

void ConstraintSheetTest::Choose(HWND page, int control, const std::u16string& text) {
    HWND combo = GetDlgItem(page, control);
    ASSERT_NE(combo, nullptr) << control;
    const LRESULT row = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(row, CB_ERR) << control;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void ConstraintSheetTest::Click(HWND page, int control, bool checked) {
    HWND button = GetDlgItem(page, control);
    ASSERT_NE(button, nullptr) << control;
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void ConstraintSheetTest::Preset(DWORD key, LONG_PTR value) {
    m_factory->SetNotificationsEnabled(0);
    Handler(key)->SetValue(value, nullptr);
    m_factory->SetNotificationsEnabled(1);
}

void ConstraintSheetTest::PresetSel(DWORD key, LONG_PTR selection) {
    m_factory->SetNotificationsEnabled(0);
    Handler(key)->SetCurSel(selection, nullptr);
    m_factory->SetNotificationsEnabled(1);
}

LONG_PTR ConstraintSheetTest::Value(DWORD key) {
    LONG_PTR value = -1;
    DWORD isText = 0;
    if (QORVAOptItemHandler* handler = Handler(key)) handler->GetValue(nullptr, &value, &isText);
    return value;
}

WORD ConstraintSheetTest::Reason(DWORD key, DWORD bit) {
    if (!(State(key) & bit)) return 0;
    DWORD slot = 0;
    for (DWORD i = 0; i < 8; ++i)
        if (bit == (DWORD{0x100} << i)) slot = i + 1;
    return LOWORD(Handler(key)->Hint(slot));
}

std::u16string ConstraintSheetTest::TextOf(HWND page, int control) {
    WCHAR text[512] = {};
    GetDlgItemTextW(page, control, text, 512);
    return text;
}

}  // namespace uitest
