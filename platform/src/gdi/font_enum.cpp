// EnumFontFamiliesExW: the TrueType faces fontconfig lists, each with the character sets its
// coverage supports (a character set counts when the font has a few letters typical of it) and
// the style names of its files; Windows' Arial, Times New Roman and Courier New besides, in the
// files that stand in for them.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fontconfig/fontconfig.h>

#include <win/wingdi_charset.h>
#include <win/wingdi_fontenum.h>

#include "crt/utf16.h"
#include "gdi/gdi_objects.h"

namespace palvex::gdi {
namespace {

struct CharsetProbe {
    BYTE charset;
    const char16_t* script;
    FcChar32 letters[2];  // both must be covered
};

// In the order Windows lists a face's character sets.
constexpr CharsetProbe kCharsets[] = {
    {ANSI_CHARSET, u"Western", {0x00C0, 0x00E9}},
    {SHIFTJIS_CHARSET, u"Japanese", {0x3042, 0x6F22}},
    {EASTEUROPE_CHARSET, u"Central European", {0x0150, 0x0159}},
    {RUSSIAN_CHARSET, u"Cyrillic", {0x0416, 0x044F}},
    {GREEK_CHARSET, u"Greek", {0x03A9, 0x03C9}},
    {TURKISH_CHARSET, u"Turkish", {0x011E, 0x0130}},
    {BALTIC_CHARSET, u"Baltic", {0x0116, 0x012E}},
};

struct FontStyle {
    std::u16string name;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
};

struct Face {
    std::u16string family;
    std::vector<BYTE> charsets;
    std::vector<FontStyle> styles;
};

std::u16string Utf16(const FcChar8* text) {
    return text ? text::FromUtf8(reinterpret_cast<const char*>(text)) : std::u16string();
}

// A font file's GDI name of a kind (family or style): fontconfig lists the typographic name
// before the legacy one that GDI uses, each in its languages; the last English one is GDI's.
std::u16string GdiName(FcPattern* font, const char* object, const char* languages) {
    FcChar8* chosen = nullptr;
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(font, object, i, &value) == FcResultMatch; ++i) {
        FcChar8* language = nullptr;
        const bool english = FcPatternGetString(font, languages, i, &language) != FcResultMatch ||
                             std::string_view(reinterpret_cast<const char*>(language)) == "en";
        if (!chosen || english) chosen = value;
    }
    return Utf16(chosen);
}

// Windows' own faces, which this machine draws with the metric-compatible files that font matching
// finds for their names: listed under their Windows names as well, as a Windows machine lists them.
constexpr struct {
    const char16_t* windows;
    const char16_t* files;
} kWindowsFaces[] = {
    {u"Arial", u"Liberation Sans"},
    {u"Times New Roman", u"Liberation Serif"},
    {u"Courier New", u"Liberation Mono"},
};

bool SameFace(const std::u16string& a, const std::u16string& b) {
    return text::Upcase(a) == text::Upcase(b);
}

// Every TrueType face, in family order, with the union of its files' coverage.
std::vector<Face> ReadFaces() {
    std::vector<Face> faces;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return faces;
    FcPattern* pattern = FcPatternBuild(nullptr, FC_SCALABLE, FcTypeBool, FcTrue, FC_FONTFORMAT, FcTypeString,
                                        reinterpret_cast<const FcChar8*>("TrueType"), nullptr);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_STYLE, FC_STYLELANG, FC_WEIGHT, FC_SLANT, FC_CHARSET, nullptr);
    FcFontSet* set = pattern && objects ? FcFontList(config, pattern, objects) : nullptr;
    for (int i = 0; set && i < set->nfont; ++i) {
        FcPattern* font = set->fonts[i];
        const std::u16string name = GdiName(font, FC_FAMILY, FC_FAMILYLANG);
        if (name.empty() || name.size() >= LF_FACESIZE) continue;
        auto face = std::find_if(faces.begin(), faces.end(), [&](const Face& f) { return f.family == name; });
        if (face == faces.end()) face = faces.insert(faces.end(), Face{name, {}, {}});
        FcCharSet* coverage = nullptr;
        if (FcPatternGetCharSet(font, FC_CHARSET, 0, &coverage) == FcResultMatch) {
            for (const CharsetProbe& probe : kCharsets) {
                if (FcCharSetHasChar(coverage, probe.letters[0]) && FcCharSetHasChar(coverage, probe.letters[1]) &&
                    std::find(face->charsets.begin(), face->charsets.end(), probe.charset) == face->charsets.end())
                    face->charsets.push_back(probe.charset);
            }
        }
        FontStyle style;
        style.name = GdiName(font, FC_STYLE, FC_STYLELANG);
        FcPatternGetInteger(font, FC_WEIGHT, 0, &style.weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &style.slant);
        if (style.name.empty() || style.name.size() >= LF_FACESIZE) style.name = u"Regular";
        if (std::none_of(face->styles.begin(), face->styles.end(),
                         [&](const FontStyle& s) { return s.name == style.name; }))
            face->styles.push_back(style);
    }
    if (set) FcFontSetDestroy(set);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    for (const auto& windows : kWindowsFaces) {
        const auto listed = [&](const char16_t* name) {
            return std::find_if(faces.begin(), faces.end(), [&](const Face& f) { return f.family == name; });
        };
        const auto files = listed(windows.files);
        if (files != faces.end() && listed(windows.windows) == faces.end()) {
            Face alias = *files;
            alias.family = windows.windows;
            faces.push_back(std::move(alias));
        }
    }
    // Windows order of the faces is its own; by name keeps the answer the same from run to run.
    std::sort(faces.begin(), faces.end(), [](const Face& a, const Face& b) { return a.family < b.family; });
    for (Face& face : faces) {
        std::sort(face.styles.begin(), face.styles.end(), [](const FontStyle& a, const FontStyle& b) {
            return a.weight != b.weight ? a.weight < b.weight : a.slant < b.slant;
        });
    }
    return faces;
}

// The faces, read once a process: fontconfig loads its configuration and looks at every font file
// for a list, and a face list asks once for the faces and once more for each face's styles.
const std::vector<Face>& ListFaces() {
    static const std::vector<Face> faces = ReadFaces();
    return faces;
}

const char16_t* ScriptOf(BYTE charset) {
    for (const CharsetProbe& probe : kCharsets)
        if (probe.charset == charset) return probe.script;
    return u"";
}

void Copy(WCHAR* field, size_t units, const std::u16string& text) {
    std::memset(field, 0, units * sizeof(WCHAR));
    std::memcpy(field, text.data(), std::min(text.size(), units - 1) * sizeof(WCHAR));
}

}  // namespace
}  // namespace palvex::gdi

int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam, DWORD dwFlags) {
    using namespace palvex::gdi;
    if (!hdc || !DeviceContexts().Find(hdc) || !lpLogfont || !lpProc || dwFlags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string wanted(lpLogfont->lfFaceName,
                                std::find(lpLogfont->lfFaceName, lpLogfont->lfFaceName + LF_FACESIZE, u'\0'));
    const BYTE charsetWanted = lpLogfont->lfCharSet;
    int result = 1;
    for (const Face& face : ListFaces()) {
        if (!wanted.empty() && !SameFace(face.family, wanted)) continue;
        for (BYTE charset : face.charsets) {
            if (charsetWanted != DEFAULT_CHARSET && charset != charsetWanted) continue;
            // Without a face name each face comes once per character set, in its regular style.
            const size_t styles = wanted.empty() ? std::min<size_t>(face.styles.size(), 1) : face.styles.size();
            for (size_t s = 0; s < styles; ++s) {
                const FontStyle& style = face.styles[s];
                ENUMLOGFONTEXW font{};
                font.elfLogFont.lfHeight = 16;
                font.elfLogFont.lfWeight = style.weight >= FC_WEIGHT_BOLD ? 700 : 400;
                font.elfLogFont.lfItalic = style.slant != FC_SLANT_ROMAN;
                font.elfLogFont.lfCharSet = charset;
                font.elfLogFont.lfOutPrecision = 3;  // OUT_STROKE_PRECIS, as for TrueType
                font.elfLogFont.lfClipPrecision = 2;
                font.elfLogFont.lfQuality = 1;
                Copy(font.elfLogFont.lfFaceName, LF_FACESIZE, face.family);
                Copy(font.elfFullName, LF_FULLFACESIZE,
                     style.name == u"Regular" ? face.family : face.family + u" " + style.name);
                Copy(font.elfStyle, LF_FACESIZE, style.name);
                Copy(font.elfScript, LF_FACESIZE, ScriptOf(charset));
                NEWTEXTMETRICEXW metric{};
                metric.ntmTm.tm.tmHeight = 16;
                metric.ntmTm.tm.tmWeight = font.elfLogFont.lfWeight;
                metric.ntmTm.tm.tmItalic = font.elfLogFont.lfItalic;
                metric.ntmTm.tm.tmCharSet = charset;
                metric.ntmTm.ntmSizeEM = 2048;
                result = lpProc(&font.elfLogFont, &metric.ntmTm.tm, TRUETYPE_FONTTYPE, lParam);
                if (result == 0) return 0;
            }
        }
    }
    return result;
}
