// The model library's property pages and popups, as the resource provider hands them out in
// Japanese and English: the controls the option items bind to (ids, classes, styles), their fixed
// texts, a layout without overlaps, the strings the pages show, and pictures of every dialog made
// by the window system for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <palvex/ui_script.h>
#include <palvex/utf8.h>
#include <win/windows.h>

#include "coresources_fixture.h"
#include "coresources_impl.h"
#include "coresources_template.h"

namespace coresources_test {
namespace {

namespace fs = std::filesystem;

// What the option-item links need of a control.
enum class Kind {
    Any,            // a control the links make by its class, of no particular kind
    Label,          // static text or group box (both get the static link)
    Edit,
    Combo,          // drop-down list
    EditableCombo,  // drop-down with an edit field (its text is limited, names are typed)
    ColorCombo,     // owner-drawn fixed rows that keep their strings (swatch painter reads the text)
    ListBox,        // a list that hands key presses to its owner (WM_VKEYTOITEM)
    ListView,       // report view with columns
    Spin,           // up-down control whose buddy is the control before it
    ScrollBar,
    Push,
    Check,
    Radio,
    OwnerButton,    // owner-drawn button: logos and help bubbles (BN_CLICKED and WM_DRAWITEM)
    Preview,        // owner-drawn static of the plug-in's class with the preview's pointer
};

struct ControlCase {
    DWORD dialog;
    DWORD control;
    Kind kind;
};

constexpr DWORD kMain = 1000, kLayout = 2000, kAdvanced = 3000, kAbout = 500, kAboutPrinter = 502;
constexpr DWORD kSetName = 16001, kCms = 17001, kCmsName = 18001, kWmk = 19001;
constexpr DWORD kDevInfo = 25000, kTrayInfo = 25200, kGetConfig = 25300, kSecPrint = 25400, kUsActPrint = 25500,
                kBindMargin = 25600, kDateTime = 25700;

const DWORD kTemplates[] = {kAbout,   kAboutPrinter, kMain,      kLayout,   kAdvanced,   kSetName,    kCms,    kCmsName,
                            kWmk,     kDevInfo,      kTrayInfo,  kGetConfig, kSecPrint, kUsActPrint, kBindMargin, kDateTime};

std::vector<ControlCase> DocumentPageCommon(DWORD page) {
    // Quick settings (label, typed names in the combo box, the save button with its bubble), the
    // printer web page button with its bubble, the logo and the preview.
    return {{page, 101, Kind::EditableCombo}, {page, 102, Kind::Label},      {page, 150, Kind::Push},
            {page, 151, Kind::OwnerButton},   {page, 103, Kind::Push},       {page, 104, Kind::OwnerButton},
            {page, 200, Kind::OwnerButton},   {page, 250, Kind::Preview}, {page, page + 11, Kind::Any},
            {page, page + 12, Kind::Label},   {page, page + 13, Kind::Label}};
}

std::vector<ControlCase> ControlCases() {
    std::vector<ControlCase> cases;
    for (DWORD page : {kMain, kLayout, kAdvanced}) {
        const auto common = DocumentPageCommon(page);
        cases.insert(cases.end(), common.begin(), common.end());
    }
    const ControlCase own[] = {
        // Main page: orientation, copies and collate, print method with the held-job button,
        // document size, custom size, output size and scale.
        {kMain, 1110, Kind::Any}, {kMain, 1112, Kind::Radio}, {kMain, 1113, Kind::Radio}, {kMain, 1115, Kind::Check},
        {kMain, 1120, Kind::Label}, {kMain, 1122, Kind::Edit}, {kMain, 1123, Kind::Spin}, {kMain, 1130, Kind::Check},
        {kMain, 1140, Kind::Label}, {kMain, 1141, Kind::Combo}, {kMain, 1142, Kind::Push}, {kMain, 1200, Kind::Label},
        {kMain, 1202, Kind::OwnerButton}, {kMain, 1203, Kind::Combo}, {kMain, 1250, Kind::Push},
        {kMain, 1251, Kind::OwnerButton}, {kMain, 3050, Kind::Label}, {kMain, 3100, Kind::OwnerButton},
        {kMain, 3101, Kind::Check}, {kMain, 3102, Kind::Combo}, {kMain, 3200, Kind::Label},
        {kMain, 3202, Kind::OwnerButton}, {kMain, 3203, Kind::Edit}, {kMain, 3204, Kind::ScrollBar},
        // Layout page: pages per sheet, borders, page order, duplex, binding, watermark, date stamp.
        {kLayout, 2050, Kind::Label}, {kLayout, 2053, Kind::Check}, {kLayout, 2250, Kind::Label},
        {kLayout, 2252, Kind::OwnerButton}, {kLayout, 2253, Kind::Edit}, {kLayout, 2254, Kind::Spin},
        {kLayout, 2255, Kind::Any}, {kLayout, 2300, Kind::Check}, {kLayout, 2350, Kind::Label},
        {kLayout, 2352, Kind::Combo}, {kLayout, 2400, Kind::Label}, {kLayout, 2402, Kind::Combo},
        {kLayout, 2450, Kind::Push}, {kLayout, 2451, Kind::OwnerButton}, {kLayout, 2500, Kind::Check},
        {kLayout, 2600, Kind::Label}, {kLayout, 2601, Kind::Combo}, {kLayout, 2602, Kind::Check},
        {kLayout, 2603, Kind::Push}, {kLayout, 2604, Kind::OwnerButton}, {kLayout, 2620, Kind::Label},
        {kLayout, 2621, Kind::Combo}, {kLayout, 2622, Kind::Push}, {kLayout, 2623, Kind::OwnerButton},
        {kLayout, 2624, Kind::Check},
        // Advanced page: paper source, media type, resolution, toner save, text in black, document
        // options.
        {kAdvanced, 3350, Kind::Label}, {kAdvanced, 3352, Kind::Combo}, {kAdvanced, 1300, Kind::Label},
        {kAdvanced, 1302, Kind::OwnerButton}, {kAdvanced, 1303, Kind::Combo}, {kAdvanced, 1050, Kind::Label},
        {kAdvanced, 1052, Kind::Combo}, {kAdvanced, 30150, Kind::Label}, {kAdvanced, 3511, Kind::OwnerButton},
        {kAdvanced, 3512, Kind::Combo}, {kAdvanced, 1100, Kind::Any}, {kAdvanced, 1150, Kind::Check},
        {kAdvanced, 1075, Kind::Push},
        // About pages.
        {kAbout, 510, Kind::OwnerButton}, {kAbout, 531, Kind::Label}, {kAbout, 550, Kind::Label},
        {kAbout, 570, Kind::OwnerButton}, {kAboutPrinter, 510, Kind::OwnerButton}, {kAboutPrinter, 531, Kind::Label},
        {kAboutPrinter, 550, Kind::Label}, {kAboutPrinter, 570, Kind::OwnerButton},
        // Quick-setting name.
        {kSetName, 16050, Kind::Label}, {kSetName, 16100, Kind::Edit}, {kSetName, 1, Kind::Push},
        {kSetName, 2, Kind::Push},
        // Custom sizes.
        {kCms, 17050, Kind::Label}, {kCms, 17052, Kind::EditableCombo}, {kCms, 17100, Kind::Push},
        {kCms, 17150, Kind::Label}, {kCms, 17152, Kind::Edit}, {kCms, 17153, Kind::Spin}, {kCms, 17154, Kind::Label},
        {kCms, 17200, Kind::Label}, {kCms, 17202, Kind::Edit}, {kCms, 17203, Kind::Spin}, {kCms, 17204, Kind::Label},
        {kCms, 17250, Kind::Push}, {kCms, 8, Kind::Push}, {kCms, 9, Kind::Push},
        {kCmsName, 18050, Kind::Label}, {kCmsName, 18100, Kind::Edit}, {kCmsName, 1, Kind::Push},
        {kCmsName, 2, Kind::Push},
        // Watermarks.
        {kWmk, 250, Kind::Preview}, {kWmk, 19050, Kind::Label}, {kWmk, 19052, Kind::ListBox},
        {kWmk, 19100, Kind::OwnerButton}, {kWmk, 19101, Kind::Push}, {kWmk, 19102, Kind::Push},
        {kWmk, 19150, Kind::Label}, {kWmk, 19152, Kind::Edit}, {kWmk, 19200, Kind::Label},
        {kWmk, 19202, Kind::Radio}, {kWmk, 19203, Kind::Radio}, {kWmk, 19204, Kind::Radio},
        {kWmk, 19250, Kind::Edit}, {kWmk, 19251, Kind::Spin}, {kWmk, 19300, Kind::Label},
        {kWmk, 19302, Kind::Combo}, {kWmk, 19350, Kind::Label}, {kWmk, 19352, Kind::ColorCombo},
        {kWmk, 19400, Kind::Label}, {kWmk, 19402, Kind::Combo}, {kWmk, 19450, Kind::Label},
        {kWmk, 19452, Kind::Edit}, {kWmk, 19453, Kind::Spin}, {kWmk, 19500, Kind::Label},
        {kWmk, 19502, Kind::Combo}, {kWmk, 1, Kind::Push}, {kWmk, 2, Kind::Push}, {kWmk, 9, Kind::Push},
        // Device page.
        {kDevInfo, 25100, Kind::Label}, {kDevInfo, 25101, Kind::ListView}, {kDevInfo, 25102, Kind::Label},
        {kDevInfo, 25103, Kind::Combo}, {kDevInfo, 25180, Kind::Label}, {kDevInfo, 25181, Kind::ListView},
        {kDevInfo, 25182, Kind::Push}, {kDevInfo, 25104, Kind::Push}, {kDevInfo, 25105, Kind::Push},
        {kDevInfo, 1144, Kind::Label}, {kDevInfo, 1145, Kind::Check}, {kDevInfo, 1143, Kind::Push},
        {kDevInfo, 9350, Kind::Any}, {kDevInfo, 9351, Kind::Label}, {kDevInfo, 9352, Kind::Any},
        {kDevInfo, 9353, Kind::Push},
        // Trays.
        {kTrayInfo, 25201, Kind::ListView}, {kTrayInfo, 25202, Kind::Label}, {kTrayInfo, 25203, Kind::Combo},
        {kTrayInfo, 25204, Kind::Label}, {kTrayInfo, 25205, Kind::Combo}, {kTrayInfo, 1, Kind::Push},
        {kTrayInfo, 2, Kind::Push}, {kTrayInfo, 9, Kind::Push},
        // Where the device information comes from.
        {kGetConfig, 25301, Kind::Check}, {kGetConfig, 25302, Kind::Label}, {kGetConfig, 25303, Kind::Radio},
        {kGetConfig, 25304, Kind::Radio}, {kGetConfig, 25305, Kind::Edit}, {kGetConfig, 25308, Kind::Push},
        {kGetConfig, 1, Kind::Push}, {kGetConfig, 2, Kind::Push}, {kGetConfig, 9, Kind::Push},
        // Held-job and user-tracking accounts: their own OK, Cancel and Clear buttons.
        {kSecPrint, 25401, Kind::Label}, {kSecPrint, 25402, Kind::Edit}, {kSecPrint, 25403, Kind::Label},
        {kSecPrint, 25404, Kind::Label}, {kSecPrint, 25405, Kind::Edit}, {kSecPrint, 25406, Kind::Label},
        {kSecPrint, 25407, Kind::Push}, {kSecPrint, 25408, Kind::Push}, {kSecPrint, 25409, Kind::Push},
        {kUsActPrint, 25501, Kind::Label}, {kUsActPrint, 25502, Kind::Edit}, {kUsActPrint, 25503, Kind::Label},
        {kUsActPrint, 25504, Kind::Label}, {kUsActPrint, 25505, Kind::Edit}, {kUsActPrint, 25506, Kind::Label},
        {kUsActPrint, 25507, Kind::Push}, {kUsActPrint, 25508, Kind::Push}, {kUsActPrint, 25509, Kind::Push},
        // Binding margin.
        {kBindMargin, 25601, Kind::Label}, {kBindMargin, 25602, Kind::Radio}, {kBindMargin, 25603, Kind::Radio},
        {kBindMargin, 25604, Kind::Label}, {kBindMargin, 25610, Kind::Label}, {kBindMargin, 25611, Kind::Edit},
        {kBindMargin, 25612, Kind::Spin}, {kBindMargin, 25613, Kind::Label}, {kBindMargin, 1, Kind::Push},
        {kBindMargin, 2, Kind::Push},
        // Date and time formats.
        {kDateTime, 25720, Kind::Label}, {kDateTime, 25730, Kind::Combo}, {kDateTime, 25740, Kind::Label},
        {kDateTime, 25750, Kind::Combo}, {kDateTime, 25760, Kind::Label}, {kDateTime, 25770, Kind::Combo},
        {kDateTime, 1, Kind::Push}, {kDateTime, 2, Kind::Push},
    };
    cases.insert(cases.end(), std::begin(own), std::end(own));
    return cases;
}

// Radio groups: the radio link checks the buttons from its control id to id + option count - 1.
const std::vector<std::vector<DWORD>> kRadioGroups = {
    {1112, 1113}, {19202, 19203, 19204}, {25303, 25304}, {25602, 25603}};
// Number boxes and their up-down controls: the spin link asks the up-down for its buddy.
const std::pair<DWORD, DWORD> kSpinBuddies[] = {{1122, 1123},   {2253, 2254},   {17152, 17153}, {17202, 17203},
                                                {19250, 19251}, {19452, 19453}, {25611, 25612}};

constexpr DWORD kTypeMask = 0xF;

std::u16string ClassOf(const DlgTemplateItem& item) {
    static const std::map<WORD, std::u16string> kAtoms = {{0x80, u"BUTTON"},  {0x81, u"EDIT"},      {0x82, u"STATIC"},
                                                          {0x83, u"LISTBOX"}, {0x84, u"SCROLLBAR"}, {0x85, u"COMBOBOX"}};
    std::u16string name;
    if (item.m_class.m_isOrdinal) {
        auto found = kAtoms.find(item.m_class.m_ordinal);
        if (found != kAtoms.end()) name = found->second;
    } else {
        name = item.m_class.m_text;
    }
    for (char16_t& c : name)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return name;
}

bool IsGroupBox(const DlgTemplateItem& item) {
    return ClassOf(item) == u"BUTTON" && (item.m_style & kTypeMask) == BS_GROUPBOX;
}

// Why the control does not fit the kind, or empty when it does.
std::string Mismatch(const DlgTemplateItem& item, Kind kind) {
    const std::u16string cls = ClassOf(item);
    const DWORD style = item.m_style;
    const DWORD buttonType = style & kTypeMask;
    const bool button = cls == u"BUTTON";
    const bool ok = [&] {
        switch (kind) {
            case Kind::Any: return true;
            case Kind::Label: return (cls == u"STATIC" && (style & 0x1F) != 0xD) || IsGroupBox(item);
            case Kind::Edit: return cls == u"EDIT";
            case Kind::Combo: return cls == u"COMBOBOX" && (style & 3) == CBS_DROPDOWNLIST;
            case Kind::EditableCombo: return cls == u"COMBOBOX" && (style & 3) == CBS_DROPDOWN;
            case Kind::ColorCombo:
                return cls == u"COMBOBOX" && (style & 3) == CBS_DROPDOWNLIST && (style & 0x30) == 0x10 && (style & 0x200);
            case Kind::ListBox: return cls == u"LISTBOX" && (style & 0x400);
            case Kind::ListView: return cls == u"SYSLISTVIEW32" && (style & 3) == 1;
            case Kind::Spin: return cls == u"MSCTLS_UPDOWN32" && (style & 0x10);
            case Kind::ScrollBar: return cls == u"SCROLLBAR";
            case Kind::Push: return button && (buttonType == BS_PUSHBUTTON || buttonType == BS_DEFPUSHBUTTON);
            case Kind::Check:
                return button && (buttonType == BS_CHECKBOX || buttonType == BS_AUTOCHECKBOX ||
                                  buttonType == BS_3STATE || buttonType == BS_AUTO3STATE);
            case Kind::Radio: return button && (buttonType == BS_RADIOBUTTON || buttonType == BS_AUTORADIOBUTTON);
            case Kind::OwnerButton: return button && buttonType == BS_OWNERDRAW;
            case Kind::Preview: return cls == u"STATICHAND" && (style & 0x1F) == 0xD;
        }
        return false;
    }();
    if (ok) return {};
    char text[96];
    snprintf(text, sizeof(text), "class %s style %08x", palvex::ToUtf8(cls).c_str(), style);
    return text;
}

const DlgTemplateItem* FindItem(const DlgTemplateInfo& info, DWORD id) {
    for (const DlgTemplateItem& item : info.m_items)
        if (item.m_id == id) return &item;
    return nullptr;
}

size_t IndexOf(const DlgTemplateInfo& info, DWORD id) {
    for (size_t i = 0; i < info.m_items.size(); ++i)
        if (info.m_items[i].m_id == id) return i;
    return info.m_items.size();
}

struct Language {
    const char* name;
    LANGID id;
};

class ModelDialogs : public ResourcesFixture, public ::testing::WithParamInterface<Language> {
protected:
    void SetUp() override {
        ResourcesFixture::SetUp();
        SetLanguages(GetParam().id, GetParam().id);
        PutDriverFile(ModelLibrary(), u"TOVQEBRES.DLL");
        PutIni(u"TOVQEB.INI", "[UIPSETTINGS]\r\nUIPLANG=" + std::to_string(GetParam().id) + "\r\n");
        Install({u"TOVQEBRES.DLL", u"TOVQEB.INI"});
        m_resources = Make();
        ASSERT_NE(m_resources, nullptr);
    }

    // The template as the provider hands it out with its caption, read back.
    DlgTemplateInfo Load(DWORD id, LPCDLGTEMPLATEW* bytes = nullptr) {
        LPCDLGTEMPLATEW dialogTemplate = nullptr;
        DlgTemplateInfo info;
        EXPECT_EQ(m_resources->LoadDialogTemplate(id, &dialogTemplate, TRUE), S_OK) << id;
        if (!dialogTemplate) return info;
        EXPECT_TRUE(ReadDlgTemplate(reinterpret_cast<const BYTE*>(dialogTemplate), CORESOURCES_TEMPLATE_BYTES, &info)) << id;
        if (bytes) *bytes = dialogTemplate;
        return info;
    }

    std::u16string String(DWORD id) {
        WCHAR text[512] = {};
        EXPECT_EQ(m_resources->LoadString(id, text, 512), S_OK) << id;
        return text;
    }

    bool Japanese() const { return GetParam().id == 1041; }

    CoResources* m_resources = nullptr;
};

TEST_P(ModelDialogs, EveryTemplateLoadsWithItsTitleAndUniqueControlIds) {
    for (DWORD id : kTemplates) {
        const DlgTemplateInfo info = Load(id);
        EXPECT_FALSE(info.m_items.empty()) << id;
        EXPECT_EQ(info.m_title, String(id)) << id;
        EXPECT_FALSE(info.m_title.empty()) << id;
        EXPECT_TRUE(info.m_hasFont) << id;
        EXPECT_EQ(info.m_charSet, Japanese() ? 0x80 : 0x1) << id;
        std::map<DWORD, int> seen;
        for (const DlgTemplateItem& item : info.m_items) {
            if (item.m_id != 0xFFFF && item.m_id != 0xFFFFFFFF) {
                EXPECT_EQ(++seen[item.m_id], 1) << id << " control " << item.m_id;
            }
        }
    }
}

TEST_P(ModelDialogs, ControlsTheOptionItemsBindTo) {
    std::map<DWORD, DlgTemplateInfo> templates;
    for (DWORD id : kTemplates) templates[id] = Load(id);
    for (const ControlCase& c : ControlCases()) {
        const DlgTemplateItem* item = FindItem(templates[c.dialog], c.control);
        ASSERT_NE(item, nullptr) << "dialog " << c.dialog << " control " << c.control;
        EXPECT_EQ(Mismatch(*item, c.kind), "") << "dialog " << c.dialog << " control " << c.control;
    }
}

TEST_P(ModelDialogs, RadioGroupsAndSpinBuddies) {
    for (DWORD id : kTemplates) {
        const DlgTemplateInfo info = Load(id);
        for (const auto& group : kRadioGroups) {
            const size_t first = IndexOf(info, group.front());
            if (first == info.m_items.size()) continue;
            // One group: consecutive, the first starts it, none of the others does, and the control
            // after it does not continue it.
            for (size_t i = 0; i < group.size(); ++i) {
                ASSERT_LT(first + i, info.m_items.size());
                const DlgTemplateItem& item = info.m_items[first + i];
                EXPECT_EQ(item.m_id, group[i]) << id;
                EXPECT_EQ((item.m_style & WS_GROUP) != 0, i == 0) << id << " radio " << item.m_id;
            }
            if (first + group.size() < info.m_items.size()) {
                const DlgTemplateItem& after = info.m_items[first + group.size()];
                EXPECT_TRUE((after.m_style & WS_GROUP) || Mismatch(after, Kind::Radio) != "") << id << " after " << group.back();
            }
        }
        for (const auto& [edit, spin] : kSpinBuddies) {
            const size_t spinIndex = IndexOf(info, spin);
            if (spinIndex == info.m_items.size()) continue;
            ASSERT_GT(spinIndex, 0u);
            EXPECT_EQ(info.m_items[spinIndex - 1].m_id, edit) << id << ": the up-down " << spin << " takes the control before it";
        }
    }
}

TEST_P(ModelDialogs, FixedTexts) {
    // Texts the links use as formats, and the captions of the value boxes: their strings.
    const std::pair<DWORD, DWORD> fromStrings[] = {{kAbout, 531},    {kAbout, 550},        {kAboutPrinter, 531},
                                                   {kAboutPrinter, 550}, {kMain, 1012},   {kLayout, 2012},
                                                   {kAdvanced, 3012}};
    for (const auto& [dialog, control] : fromStrings) {
        const DlgTemplateInfo info = Load(dialog);
        const DlgTemplateItem* item = FindItem(info, control);
        ASSERT_NE(item, nullptr) << control;
        EXPECT_EQ(item->m_title.m_text, String(control)) << control;
    }
    if (!Japanese()) return;
    struct TextCase {
        DWORD dialog, control;
        std::u16string text;
    };
    const TextCase cases[] = {
        {kWmk, 19202, u"斜め(&D)"},
        {kWmk, 19203, u"水平(&Z)"},
        {kWmk, 19204, u"角度設定(&C)"},
        {kSecPrint, 25403, u"最大半角16文字"},
        {kSecPrint, 25406, u"最大半角16文字"},
        {kUsActPrint, 25503, u"最大全角8文字/半角16文字"},
        {kUsActPrint, 25506, u"最大半角16文字"},
        {kMain, 1012, u"解像度\nとじしろ\n給紙選択\n用紙種類\n日付・時刻\nトナー節約\n"},
        {kLayout, 2012, u"解像度\n原稿サイズ\n出力用紙サイズ\nとじしろ\n印刷方式\n部数\nトナー節約\n"},
        {kAdvanced, 3012, u"原稿サイズ\n出力用紙サイズ\nとじしろ\n給紙選択\n用紙種類\n印刷方式\n部数\n日付・時刻\n"},
        {kAbout, 550, u"バージョン %d.%02d (リリース %d.%d)"},
    };
    for (const TextCase& c : cases) {
        const DlgTemplateInfo info = Load(c.dialog);
        const DlgTemplateItem* item = FindItem(info, c.control);
        ASSERT_NE(item, nullptr) << c.control;
        EXPECT_EQ(item->m_title.m_text, c.text) << c.control;
    }
}

TEST_P(ModelDialogs, PasswordsAreNotShown) {
    for (const auto& [dialog, control] : {std::pair<DWORD, DWORD>{kSecPrint, 25405}, {kUsActPrint, 25505}}) {
        const DlgTemplateInfo info = Load(dialog);
        const DlgTemplateItem* item = FindItem(info, control);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->m_style & ES_PASSWORD) << control;
    }
}

// A combo box's template height includes its drop-down list; on the page it takes one line.
constexpr short kClosedComboHeight = 14;

struct Box {
    int left, top, right, bottom;
};

Box BoxOf(const DlgTemplateItem& item) {
    const short height = ClassOf(item) == u"COMBOBOX" ? std::min(item.m_cy, kClosedComboHeight) : item.m_cy;
    return {item.m_x, item.m_y, item.m_x + item.m_cx, item.m_y + height};
}

bool Overlap(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const Box& inner, const Box& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top && inner.bottom <= outer.bottom;
}

TEST_P(ModelDialogs, ControlsStayOnTheDialogAndDoNotOverlap) {
    for (DWORD id : kTemplates) {
        LPCDLGTEMPLATEW bytes = nullptr;
        const DlgTemplateInfo info = Load(id, &bytes);
        ASSERT_NE(bytes, nullptr);
        // The dialog's size: cx and cy stand before the menu field, at 22 in the extended form.
        const BYTE* raw = reinterpret_cast<const BYTE*>(bytes);
        const short width = static_cast<short>(raw[22] | raw[23] << 8);
        const short height = static_cast<short>(raw[24] | raw[25] << 8);
        const Box dialog{0, 0, width, height};
        for (size_t i = 0; i < info.m_items.size(); ++i) {
            const DlgTemplateItem& a = info.m_items[i];
            EXPECT_TRUE(Inside(BoxOf(a), dialog)) << id << " control " << a.m_id;
            for (size_t j = i + 1; j < info.m_items.size(); ++j) {
                const DlgTemplateItem& b = info.m_items[j];
                // A group box holds the controls inside it and crosses none.
                if (IsGroupBox(a) || IsGroupBox(b)) {
                    const DlgTemplateItem& group = IsGroupBox(a) ? a : b;
                    const DlgTemplateItem& other = IsGroupBox(a) ? b : a;
                    EXPECT_TRUE(Inside(BoxOf(other), BoxOf(group)) || !Overlap(BoxOf(other), BoxOf(group)))
                        << id << ": " << other.m_id << " crosses the group box " << group.m_id;
                    continue;
                }
                EXPECT_FALSE(Overlap(BoxOf(a), BoxOf(b))) << id << ": " << a.m_id << " overlaps " << b.m_id;
            }
        }
    }
}

// Strings the pages show whose texts are fixed; in English each only has to be there.
TEST_P(ModelDialogs, StringsThePagesShow) {
    const std::pair<DWORD, std::u16string> cases[] = {
        {110, u" 標準"}, {112, u"ユーザー設定"}, {113, u"(変更)"}, {172, u" mm"}, {173, u"インチ"},
        {531, u"%s\nVersion %s"}, {550, u"バージョン %d.%02d (リリース %d.%d)"}, {1013, u"%s\n%s\n%s\n%s\n%s\n%s\n"},
        {2013, u"%s\n%s\n%s\n%s\n%s\n%d\n%s\n"}, {3013, u"%s\n%s\n%s\n%s\n%s\n%s\n%d\n%s\n"}, {1050, u"解像度"},
        {1060, u"300 dpi"}, {1061, u"600 dpi"}, {1200, u"原稿サイズ(&O)"}, {1213, u"不定形サイズ"}, {1224, u"11 x 17\""},
        {1238, u"5.5 x 8.5\""}, {1300, u"用紙種類(&Y)"}, {1316, u"普通紙"}, {1320, u"OHP"}, {1321, u"厚紙1"},
        {1322, u"厚紙2"}, {3050, u"出力用紙サイズ"}, {3350, u"給紙選択(&S)"}, {3367, u"手差し"}, {17060, u"無題"},
        {17262, u"不定形の名前に、'=','\\' は使えません。"}, {19160, u"無題"}, {19514, u"スタンプメッセージに、'=' は使えません。"},
        {22700, u"<Don't substitute>"}, {25121, u"トレイ1＋トレイ2"}, {25188, u"トレイ1＋トレイ2＋トレイ3"},
        {25214, u"手差し"}, {30000, u"TrueType フォント　オプション"}, {30150, u"トナー節約(&T)"}, {30153, u"節約"},
        {32772, u"設定変更の確認"}, {32905, u"お気に入り"}, {33005, u"[不定形サイズ]は、\"高さ\"≧\"幅\"で入力してください。"},
        {33301, u"選ばれた[%s]を消去してもよろしいですか？"},
        {33309, u"[OK]ボタン、もしくは[適用]ボタンを押してから\nプロパティを閉じると設定が反映されます。"},
        {33411, u"この機能を使用するには、[% (標準サイズ比)] を 100 に設定してください ([倍率]を参照)。"},
        {33424, u"  [%s] -> %s\n"}, {33425, u"片面"}, {33429, u"使用できない文字が含まれています。"}};
    for (const auto& [id, text] : cases) {
        if (Japanese())
            EXPECT_EQ(String(id), text) << id;
        else
            EXPECT_FALSE(String(id).empty()) << id;
    }
}

// The pictures. Classes the window system does not offer yet are stood in by a framed box with
// the class's name, so that the rest of the dialog can still be looked at.
LRESULT CALLBACK PlaceholderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT rect{};
        GetClientRect(window, &rect);
        HBRUSH frame = CreateSolidBrush(RGB(122, 122, 122));
        FillRect(dc, &rect, frame);
        DeleteObject(frame);
        rect = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
        HBRUSH inside = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(dc, &rect, inside);
        DeleteObject(inside);
        WCHAR name[64] = {};
        GetClassNameW(window, name, 64);
        DrawTextW(dc, name, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The sheet's copy of the static class for the preview, as the plug-in registers it.
void EnsureStaticHand() {
    WNDCLASSEXW info{};
    if (GetClassInfoExW(nullptr, u"StaticHand", &info)) return;
    ASSERT_TRUE(GetClassInfoExW(nullptr, u"Static", &info));
    info.cbSize = sizeof(info);
    info.lpszClassName = u"StaticHand";
    info.hInstance = nullptr;
    ASSERT_NE(RegisterClassExW(&info), 0);
}

void EnsureClass(const char16_t* name) {
    WNDCLASSEXW info{};
    if (GetClassInfoExW(nullptr, name, &info)) return;
    info.cbSize = sizeof(info);
    info.lpfnWndProc = PlaceholderProc;
    info.lpszClassName = name;
    RegisterClassExW(&info);
}

// Sample contents, so that the picture shows how texts fit.
INT_PTR CALLBACK SampleDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[32] = {};
        GetClassNameW(child, name, 32);
        if (std::u16string(name) == u"ComboBox") {
            SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"A4 (210 x 297 mm)"));
            SendMessageW(child, CB_SETCURSEL, 0, 0);
        }
    }
    for (int id : {1013, 2013, 3013})
        SetDlgItemTextW(dialog, id, u"600 dpi\nA4\nA4\n0 mm\n2\n1\nOff\nOff\n");
    return TRUE;
}

// Single-line texts of labels and buttons are not cut off: measured in the control's font, the
// text (without its access-key marks) fits the control, beside the box of a check or radio button.
std::vector<std::string> CutTexts(HWND dialog) {
    std::vector<std::string> cut;
    HDC dc = GetDC(nullptr);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[32] = {};
        GetClassNameW(child, name, 32);
        const std::u16string cls = name;
        const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        const bool label = cls == u"Static" && (style & 0x1F) <= SS_RIGHT;
        const bool button = cls == u"Button" && (style & kTypeMask) != BS_GROUPBOX && (style & kTypeMask) != BS_OWNERDRAW;
        const bool groupBox = cls == u"Button" && (style & kTypeMask) == BS_GROUPBOX;
        if (!label && !button && !groupBox) continue;
        WCHAR text[256] = {};
        GetWindowTextW(child, text, 256);
        std::u16string shown;
        for (const char16_t* c = text; *c; ++c)
            if (*c != u'&') shown += *c;
        if (shown.empty() || shown.find(u'\n') != std::u16string::npos) continue;
        // Full-width characters are square, one em wide, whatever face stands in for them here.
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0));
        LOGFONTW logFont{};
        GetObjectW(font, sizeof(logFont), &logFont);
        std::u16string narrow;
        LONG wide = 0;
        for (char16_t c : shown) {
            if (c < 0x2000) {
                narrow += c;
            } else {
                wide += logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight;
            }
        }
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32W(dc, narrow.c_str(), static_cast<int>(narrow.size()), &size);
        SelectObject(dc, old);
        size.cx += wide;
        RECT rect{};
        GetClientRect(child, &rect);
        const DWORD type = style & kTypeMask;
        const bool boxed = button && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
        const LONG room = rect.right - rect.left - (boxed ? 18 : 0) - (groupBox ? 16 : 0) - (button && !boxed ? 6 : 0);
        if (size.cx > room)
            cut.push_back(std::to_string(GetDlgCtrlID(child)) + " \"" + palvex::ToUtf8(shown) + "\" needs " +
                          std::to_string(size.cx) + " of " + std::to_string(room));
    }
    ReleaseDC(nullptr, dc);
    return cut;
}

TEST_P(ModelDialogs, PicturesOfEveryDialog) {
    EnsureClass(u"SysListView32");
    EnsureClass(u"msctls_updown32");
    EnsureStaticHand();
    const fs::path out = fs::path(MODEL_DIALOG_PICTURES) / GetParam().name;
    fs::create_directories(out);
    HWND host = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    for (DWORD id : kTemplates) {
        LPCDLGTEMPLATEW dialogTemplate = nullptr;
        ASSERT_EQ(m_resources->LoadDialogTemplate(id, &dialogTemplate, TRUE), S_OK) << id;
        HWND dialog = CreateDialogIndirectParamW(nullptr, dialogTemplate, host, SampleDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << id << " error " << GetLastError();
        // Every control of the template was made.
        DlgTemplateInfo info;
        ASSERT_TRUE(ReadDlgTemplate(reinterpret_cast<const BYTE*>(dialogTemplate), CORESOURCES_TEMPLATE_BYTES, &info));
        for (const DlgTemplateItem& item : info.m_items) {
            if (item.m_id != 0xFFFF && item.m_id != 0xFFFFFFFF) {
                EXPECT_NE(GetDlgItem(dialog, static_cast<int>(item.m_id)), nullptr) << id << " control " << item.m_id;
            }
        }
        EXPECT_EQ(CutTexts(dialog), std::vector<std::string>{}) << id;
        const fs::path picture = out / (std::to_string(id) + ".png");
        palvex::WriteWindowPicture(dialog, picture);
        EXPECT_GT(fs::file_size(picture), 1000u) << picture;
        DestroyWindow(dialog);
    }
    DestroyWindow(host);
}

INSTANTIATE_TEST_SUITE_P(Languages, ModelDialogs, ::testing::Values(Language{"ja", 1041}, Language{"en", 1033}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace coresources_test
