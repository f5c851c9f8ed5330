// Dialog templates: the rewrite checked byte for byte on small hand-written templates, refusal of
// templates that are malformed or would not fit, and the templates the provider hands out.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "coresources_fixture.h"
#include "coresources_template.h"

namespace coresources_test {
namespace {

#include "data/resources/test_ids.h"

using Bytes = std::vector<BYTE>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A classic template: WS_CHILD | DS_SETFONT, one item, 100 x 50, title "Hi", 8 point "MS".
const Bytes kClassicHeader = {0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                              0x00, 0x00, 0x00, 0x00, 0x64, 0x00, 0x32, 0x00};
const Bytes kNoMenuNoClass = {0x00, 0x00, 0x00, 0x00};
const Bytes kTitleHi = {0x48, 0x00, 0x69, 0x00, 0x00, 0x00};
const Bytes kTitlePag = {0x50, 0x00, 0x61, 0x00, 0x67, 0x00, 0x00, 0x00};
const Bytes kFaceMS = {0x4D, 0x00, 0x53, 0x00, 0x00, 0x00};
const Bytes kFaceSegoe = {0x53, 0x00, 0x65, 0x00, 0x67, 0x00, 0x6F, 0x00, 0x65, 0x00,
                          0x20, 0x00, 0x55, 0x00, 0x49, 0x00, 0x00, 0x00};
// Its item at offset 36: WS_CHILD | WS_VISIBLE, (4, 5, 30, 8), id 101, class Static (0x82), title
// "A", no creation data.
const Bytes kClassicItem = {0x00, 0x00, 0x00, 0x50, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x05, 0x00, 0x1E, 0x00,
                            0x08, 0x00, 0x65, 0x00, 0xFF, 0xFF, 0x82, 0x00, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00};

// The extended form: help id 0, extended style 0, the same style, item and font (9 point, weight
// 400, not italic, character set 0x80).
const Bytes kExtendedHeader = {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,
                               0x00, 0x00, 0x40, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00, 0x32, 0x00};
const Bytes kExtendedFont = {0x09, 0x00, 0x90, 0x01, 0x00, 0x80};
const Bytes kExtendedItem = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x50,
                             0x04, 0x00, 0x05, 0x00, 0x1E, 0x00, 0x08, 0x00, 0x65, 0x00, 0x00, 0x00,
                             0xFF, 0xFF, 0x82, 0x00, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00};

const Bytes kClassic = Concat({kClassicHeader, kNoMenuNoClass, kTitleHi, {0x08, 0x00}, kFaceMS, kClassicItem});
const Bytes kExtended = Concat({kExtendedHeader, kNoMenuNoClass, kTitleHi, kExtendedFont, kFaceMS, kExtendedItem});

struct RewriteCase {
    const char* name;
    const Bytes* source;
    DlgTemplateRewrite rewrite;
    Bytes expected;
};

class TemplateRewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(TemplateRewrite, ByteForByte) {
    const RewriteCase& c = GetParam();
    Bytes buffer(CORESOURCES_TEMPLATE_BYTES, 0xCC);
    size_t written = 0;
    ASSERT_TRUE(RewriteDlgTemplate(c.source->data(), c.source->size(), c.rewrite, buffer.data(), buffer.size(), &written));
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + written), c.expected);

    // One byte less than the result needs: refused, and nothing written past the capacity.
    Bytes tight(c.expected.size() + 8, 0xCC);
    EXPECT_FALSE(RewriteDlgTemplate(c.source->data(), c.source->size(), c.rewrite, tight.data(), c.expected.size() - 1, &written));
    for (size_t i = c.expected.size() - 1; i < tight.size(); ++i) EXPECT_EQ(tight[i], 0xCC) << "byte " << i;
}

DlgTemplateRewrite Rewrite(bool setTitle, std::u16string title, bool setFace, DWORD addExStyle) {
    DlgTemplateRewrite rewrite;
    rewrite.m_setTitle = setTitle;
    rewrite.m_title = std::move(title);
    rewrite.m_setFace = setFace;
    rewrite.m_faceName = u"Segoe UI";
    rewrite.m_addExStyle = addExStyle;
    return rewrite;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplateRewrite,
    ::testing::Values(
        RewriteCase{"ClassicUnchanged", &kClassic, Rewrite(false, u"", false, 0), kClassic},
        // Title "Pag" and face "Segoe UI" end the header at 50; two zero bytes put the item on 52.
        RewriteCase{"ClassicTitleAndFace", &kClassic, Rewrite(true, u"Pag", true, 0),
                    Concat({kClassicHeader, kNoMenuNoClass, kTitlePag, {0x08, 0x00}, kFaceSegoe, {0x00, 0x00}, kClassicItem})},
        // Classic templates have no extended style to mirror.
        RewriteCase{"ClassicIgnoresExtendedStyle", &kClassic, Rewrite(false, u"", false, WS_EX_LAYOUTRTL), kClassic},
        RewriteCase{"ExtendedMirrored", &kExtended, Rewrite(false, u"", false, WS_EX_LAYOUTRTL),
                    Concat({{0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00,
                             0x40, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00, 0x32, 0x00},
                            kNoMenuNoClass, kTitleHi, kExtendedFont, kFaceMS, kExtendedItem})},
        // Title "Pag", weight and character set kept, face "Segoe UI": header ends at 62, item at 64.
        RewriteCase{"ExtendedTitleAndFace", &kExtended, Rewrite(true, u"Pag", true, 0),
                    Concat({kExtendedHeader, kNoMenuNoClass, kTitlePag, kExtendedFont, kFaceSegoe, {0x00, 0x00}, kExtendedItem})},
        // An empty caption string empties the title; the header then ends at 32, on the item.
        RewriteCase{"ClassicEmptyTitle", &kClassic, Rewrite(true, u"", false, 0),
                    Concat({kClassicHeader, kNoMenuNoClass, {0x00, 0x00}, {0x08, 0x00}, kFaceMS, kClassicItem})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TemplateRead, FieldsOfBothForms) {
    for (const Bytes* source : {&kClassic, &kExtended}) {
        DlgTemplateInfo info;
        ASSERT_TRUE(ReadDlgTemplate(source->data(), source->size(), &info));
        EXPECT_EQ(info.m_extended, source == &kExtended);
        EXPECT_EQ(info.m_style, 0x40000040u);
        EXPECT_EQ(info.m_title, u"Hi");
        EXPECT_TRUE(info.m_hasFont);
        EXPECT_EQ(info.m_faceName, u"MS");
        EXPECT_EQ(info.m_size, source->size());
        ASSERT_EQ(info.m_items.size(), 1u);
        const DlgTemplateItem& item = info.m_items[0];
        EXPECT_EQ(item.m_id, 101u);
        EXPECT_EQ(item.m_style, 0x50000000u);
        EXPECT_EQ(std::make_tuple(item.m_x, item.m_y, item.m_cx, item.m_cy), std::make_tuple(4, 5, 30, 8));
        EXPECT_TRUE(item.m_class.m_isOrdinal);
        EXPECT_EQ(item.m_class.m_ordinal, 0x82);
        EXPECT_EQ(item.m_title.m_text, u"A");
    }
}

TEST(TemplateRead, EveryTruncationIsRefused) {
    for (const Bytes* source : {&kClassic, &kExtended}) {
        for (size_t size = 0; size < source->size(); ++size) {
            DlgTemplateInfo info;
            Bytes buffer(256);
            size_t written = 0;
            EXPECT_FALSE(ReadDlgTemplate(source->data(), size, &info)) << size;
            EXPECT_FALSE(RewriteDlgTemplate(source->data(), size, {}, buffer.data(), buffer.size(), &written)) << size;
        }
    }
}

TEST(TemplateRead, ItemCountBeyondTheBytesIsRefused) {
    Bytes source = kClassic;
    source[8] = 0xFF;  // 255 items announced, one present
    DlgTemplateInfo info;
    EXPECT_FALSE(ReadDlgTemplate(source.data(), source.size(), &info));
}

class ProviderTemplates : public ResourcesFixture {
protected:
    CoResources* MakeFor(LANGID user, DWORD majorVersion = 10) {
        SetLanguages(user, user, majorVersion);
        PutDriverFile(TestLibrary(), u"TESTRES.DLL");
        Install(StandardFiles());
        return Make();
    }

    static DlgTemplateInfo Read(LPCDLGTEMPLATEW dialog) {
        DlgTemplateInfo info;
        EXPECT_TRUE(ReadDlgTemplate(reinterpret_cast<const BYTE*>(dialog), CORESOURCES_TEMPLATE_BYTES, &info));
        return info;
    }
};

TEST_F(ProviderTemplates, CaptionFromTheDialogsStringAndTheSystemFace) {
    CoResources* resources = MakeFor(1041);
    ASSERT_NE(resources, nullptr);
    LPCDLGTEMPLATEW withCaption = nullptr;
    ASSERT_EQ(resources->LoadDialogTemplate(IDD_PAGE, &withCaption, TRUE), S_OK);
    DlgTemplateInfo info = Read(withCaption);
    EXPECT_EQ(info.m_title, u"ページ設定");
    EXPECT_EQ(info.m_faceName, u"Segoe UI");
    EXPECT_EQ(info.m_pointSize, 9);
    EXPECT_EQ(info.m_charSet, 0x80);
    EXPECT_EQ(info.m_items.size(), 3u);

    // Without the caption flag the template's own title stays; the cache keeps both apart.
    LPCDLGTEMPLATEW plain = resources->GetDialogTemplate(IDD_PAGE, FALSE);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(Read(plain).m_title, u"テンプレートの題");
    EXPECT_EQ(resources->GetDialogTemplate(IDD_PAGE, TRUE), withCaption);
    EXPECT_EQ(resources->GetDialogTemplate(IDD_PAGE, FALSE), plain);
}

TEST_F(ProviderTemplates, OlderSystemsKeepTheTemplatesFace) {
    CoResources* resources = MakeFor(1033, 5);
    ASSERT_NE(resources, nullptr);
    DlgTemplateInfo info = Read(resources->GetDialogTemplate(IDD_PAGE, TRUE));
    EXPECT_EQ(info.m_title, u"Page Setup");
    EXPECT_EQ(info.m_faceName, u"MS Shell Dlg");
}

TEST_F(ProviderTemplates, RightToLeftLanguagesMirrorExtendedTemplates) {
    CoResources* resources = MakeFor(1025);
    ASSERT_NE(resources, nullptr);
    DlgTemplateInfo info = Read(resources->GetDialogTemplate(IDD_RTL, FALSE));
    EXPECT_TRUE(info.m_extended);
    EXPECT_EQ(info.m_exStyle & WS_EX_LAYOUTRTL, DWORD(WS_EX_LAYOUTRTL));
    // Found under 1041, the same kind of template is not mirrored.
    EXPECT_EQ(Read(resources->GetDialogTemplate(IDD_PAGE, FALSE)).m_exStyle & WS_EX_LAYOUTRTL, 0u);
}

TEST_F(ProviderTemplates, ClassicTemplatesAndTheOwnModule) {
    CoResources* resources = MakeFor(1041);
    ASSERT_NE(resources, nullptr);
    DlgTemplateInfo classic = Read(resources->GetDialogTemplate(IDD_CLASSIC, FALSE));
    EXPECT_FALSE(classic.m_extended);
    EXPECT_FALSE(classic.m_hasFont);
    DlgTemplateInfo own = Read(resources->GetDialogTemplate(IDD_OWN, TRUE));
    EXPECT_EQ(own.m_title, u"Own dialog");
    LPCDLGTEMPLATEW missing = reinterpret_cast<LPCDLGTEMPLATEW>(1);
    EXPECT_EQ(resources->LoadDialogTemplate(999, &missing, FALSE), E_INVALIDARG);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(resources->LoadDialogTemplate(0, &missing, FALSE), E_INVALIDARG);
    EXPECT_EQ(resources->LoadDialogTemplate(IDD_PAGE, nullptr, FALSE), E_INVALIDARG);
}

TEST_F(ProviderTemplates, ATemplateLargerThanTheBufferIsRefused) {
    CoResources* resources = MakeFor(1033);
    ASSERT_NE(resources, nullptr);
    LPCDLGTEMPLATEW dialog = nullptr;
    EXPECT_EQ(resources->LoadDialogTemplate(IDD_TOO_LARGE, &dialog, FALSE), E_FAIL);
    EXPECT_EQ(dialog, nullptr);
}

TEST_F(ProviderTemplates, ControlsOnTheHostInDialogUnits) {
    CoResources* resources = MakeFor(1033);
    ASSERT_NE(resources, nullptr);
    HWND host = CreateWindowExW(0, u"#32770", u"Host", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300,
                                CreateWindowExW(0, u"#32770", u"Sheet", WS_POPUP, 10, 20, 500, 400, nullptr, nullptr, nullptr, nullptr),
                                nullptr, nullptr, nullptr);
    HWND old = CreateWindowExW(0, u"Button", u"Old", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 5, 6, 70, 20, host,
                               reinterpret_cast<HMENU>(1), nullptr, nullptr);
    ASSERT_EQ(resources->CreateDialogControls(IDD_PAGE, host, TRUE), S_OK);

    // The host's own control is moved out of sight by its size, hidden and disabled.
    RECT rect{};
    GetWindowRect(old, &rect);
    RECT hostRect{};
    GetWindowRect(host, &hostRect);
    EXPECT_EQ(rect.left - hostRect.left, -70);
    EXPECT_EQ(rect.top - hostRect.top, -20);
    EXPECT_FALSE(GetWindowLongW(old, GWL_STYLE) & (WS_VISIBLE | WS_TABSTOP | WS_GROUP));
    EXPECT_FALSE(IsWindowEnabled(old));

    WCHAR text[64];
    GetWindowTextW(host, text, 64);
    EXPECT_EQ(std::u16string(text), u"Page Setup");
    const int bx = static_cast<int>(resources->BaseUnitX());
    const int by = static_cast<int>(resources->BaseUnitY());
    EXPECT_GT(bx, 0);
    EXPECT_GT(by, 0);
    // The template's controls follow the host's own, in template order.
    const struct {
        int id;
        const char16_t* className;
        const char16_t* text;
        int x, y, cx, cy;
    } expected[] = {{1001, u"Static", u"Label", 8, 16, 100, 8},
                    {1002, u"Button", u"Button", 140, 80, 52, 14},
                    {1003, u"Edit", u"", 8, 40, 120, 12}};
    HWND control = GetWindow(old, GW_HWNDNEXT);
    for (const auto& e : expected) {
        ASSERT_NE(control, nullptr) << e.id;
        EXPECT_EQ(GetDlgCtrlID(control), e.id);
        GetClassNameW(control, text, 64);
        EXPECT_EQ(std::u16string(text), e.className) << e.id;
        GetWindowTextW(control, text, 64);
        EXPECT_EQ(std::u16string(text), e.text);
        GetWindowRect(control, &rect);
        EXPECT_EQ(rect.left - hostRect.left, e.x * bx / 4) << e.id;
        EXPECT_EQ(rect.top - hostRect.top, e.y * by / 8) << e.id;
        EXPECT_EQ(rect.right - rect.left, e.cx * bx / 4) << e.id;
        EXPECT_EQ(rect.bottom - rect.top, e.cy * by / 8) << e.id;
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), resources->DialogFont());
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr);
    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(resources->DialogFont(), sizeof(font), &font), int(sizeof(font)));
    EXPECT_EQ(std::u16string(font.lfFaceName), u"Segoe UI");
    EXPECT_EQ(font.lfHeight, -MulDiv(8, 96, 72));
    EXPECT_EQ(font.lfWeight, 300);
    DestroyWindow(GetParent(host));
}

TEST_F(ProviderTemplates, ControlsNeedAnIdAndAHost) {
    CoResources* resources = MakeFor(1033);
    ASSERT_NE(resources, nullptr);
    HWND host = CreateWindowExW(0, u"#32770", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(resources->CreateDialogControls(0, host, FALSE), E_INVALIDARG);
    EXPECT_EQ(resources->CreateDialogControls(IDD_PAGE, nullptr, FALSE), E_INVALIDARG);
    EXPECT_EQ(resources->CreateDialogControls(999, host, FALSE), E_INVALIDARG);
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
    DestroyWindow(host);
}

}  // namespace
}  // namespace coresources_test
