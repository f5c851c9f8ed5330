// Font files and metrics: a LOGFONTW's face is resolved through fontconfig to a font file, which
// FreeType measures in the font's design units; the pixel values follow from the requested height
// as Windows computes them (a negative height is the em size, a positive one the cell height
// usWinAscent + usWinDescent).
#include <cmath>
#include <cstring>
#include <vector>
#include <map>
#include <mutex>
#include <string>

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TAGS_H

#include <win/stringapiset.h>
#include <win/wingdi_charset.h>

#include "gdi/gdi_objects.h"
#include "crt/utf16.h"

namespace palvex::gdi {
namespace {

struct FaceKey {
    std::u16string face;
    bool bold;
    bool italic;
    auto operator<=>(const FaceKey&) const = default;
};

class FontCatalog {
public:
    static FontCatalog& Get() {
        static FontCatalog catalog;
        return catalog;
    }

    // The faces, FreeType and the fontconfig configuration are released when the process ends.
    ~FontCatalog() {
        for (auto& [key, face] : m_faces)
            if (face) FT_Done_Face(face);
        if (m_library) FT_Done_FreeType(m_library);
        if (m_config) FcConfigDestroy(m_config);
    }

    // Runs body with the FreeType face of the font, under the catalog's lock; false when no font
    // file can be found or opened.
    template <class Body>
    bool WithFace(const LOGFONTW& font, Body&& body) {
        std::lock_guard lock(m_mutex);
        if (!m_library && FT_Init_FreeType(&m_library) != 0) return false;
        if (!m_config && !(m_config = FcInitLoadConfigAndFonts())) return false;
        FaceKey key{std::u16string(font.lfFaceName, text::Length(font.lfFaceName)), font.lfWeight >= 600,
                    font.lfItalic != 0};
        auto it = m_faces.find(key);
        if (it == m_faces.end()) it = m_faces.emplace(key, Open(key)).first;
        return it->second && body(it->second);
    }

private:
    FT_Face Open(const FaceKey& key) {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern) return nullptr;
        // The Windows dialog faces have no file of their own here; fontconfig's sans face stands in.
        std::string family = text::ToUtf8(key.face);
        if (family.empty() || family == "MS Shell Dlg" || family == "MS Shell Dlg 2" || family == "System") family = "sans-serif";
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, key.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, key.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(m_config, pattern, FcMatchPattern);
        // Weight and slant are set above; the defaults would add only the process's name and
        // locale, which the choice of a dialog face does not depend on.
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(m_config, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match) return nullptr;
        FcChar8* file = nullptr;
        int index = 0;
        FT_Face face = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            if (FT_New_Face(m_library, reinterpret_cast<const char*>(file), index, &face) != 0) face = nullptr;
        }
        FcPatternDestroy(match);
        return face;
    }

    std::mutex m_mutex;
    FT_Library m_library = nullptr;
    FcConfig* m_config = nullptr;  // the catalog's own fontconfig configuration
    std::map<FaceKey, FT_Face> m_faces;  // null for a face that could not be opened
};

struct DesignMetrics {
    double unitsPerEm;
    double ascent;
    double descent;
    double averageWidth;
};

DesignMetrics ReadDesignMetrics(FT_Face face) {
    DesignMetrics design{double(face->units_per_EM ? face->units_per_EM : 1000), double(face->ascender),
                         double(face->descender < 0 ? -face->descender : face->descender), 0};
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        design.ascent = os2->usWinAscent;
        design.descent = os2->usWinDescent;
        design.averageWidth = os2->xAvgCharWidth;
    }
    if (design.averageWidth <= 0) {
        FT_Fixed advance = 0;
        const FT_UInt glyph = FT_Get_Char_Index(face, 'x');
        if (glyph && FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) == 0) design.averageWidth = double(advance);
    }
    return design;
}

// Pixels per design unit for the requested height.
double Scale(const LOGFONTW& font, int dpi, const DesignMetrics& design) {
    const LONG height = font.lfHeight == 0 ? -MulDiv(8, dpi, 72) : font.lfHeight;
    if (height < 0) return -double(height) / design.unitsPerEm;
    return double(height) / (design.ascent + design.descent);
}

// The code-page bit of a character set (0 when the machine does not know it).
DWORD CodePageBit(BYTE charset) {
    CHARSETINFO info{};
    return TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(charset)), &info, TCI_SRCCHARSET)
               ? info.fs.fsCsb[0]
               : 0;
}

// The character set the font is realised in: the one asked for (for DEFAULT_CHARSET, the one of the
// machine's ANSI code page) when the font covers it, else ANSI when it covers that, else the first
// it covers. A font that does not say what it covers is taken as it is asked for.
BYTE RealisedCharset(FT_Face face, BYTE wanted) {
    if (wanted == DEFAULT_CHARSET) {
        CHARSETINFO info{};
        DWORD codePage = GetACP();
        wanted = TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(codePage)), &info, TCI_SRCCODEPAGE)
                     ? static_cast<BYTE>(info.ciCharset)
                     : ANSI_CHARSET;
    }
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (!os2 || os2->version == 0xFFFF || os2->version < 1 || os2->ulCodePageRange1 == 0) return wanted;
    if (os2->ulCodePageRange1 & CodePageBit(wanted)) return wanted;
    if (os2->ulCodePageRange1 & CodePageBit(ANSI_CHARSET)) return ANSI_CHARSET;
    for (int charset = 0; charset < 256; ++charset)
        if (os2->ulCodePageRange1 & CodePageBit(static_cast<BYTE>(charset))) return static_cast<BYTE>(charset);
    return wanted;
}

// The first and last characters of the font's Unicode map.
void CharacterRange(FT_Face face, FontMetrics* metrics) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usLastCharIndex >= os2->usFirstCharIndex) {
        metrics->firstChar = os2->usFirstCharIndex;
        metrics->lastChar = os2->usLastCharIndex;
        return;
    }
    FT_UInt glyph = 0;
    FT_ULong code = FT_Get_First_Char(face, &glyph);
    if (glyph == 0) return;
    metrics->firstChar = static_cast<WCHAR>(code > 0xFFFF ? 0xFFFF : code);
    FT_ULong last = code;
    while (glyph != 0 && code <= 0xFFFF) {
        last = code;
        code = FT_Get_Next_Char(face, code, &glyph);
    }
    metrics->lastChar = static_cast<WCHAR>(last);
}

}  // namespace

int LogicalUnitsPerInch(const DeviceContext& context) {
    return context.mapMode == 6 /* MM_TWIPS */ ? 1440 : context.dpi;
}

bool ReadFontFile(const LOGFONTW& font, DWORD table, DWORD offset, void* buffer, DWORD size, DWORD* answer) {
    return FontCatalog::Get().WithFace(font, [&](FT_Face face) {
        if (!FT_IS_SFNT(face)) return false;
        // The table's tag is its four bytes in file order, read as a little-endian number.
        const FT_ULong tag = table == 0 ? 0
                                        : FT_MAKE_TAG(table & 0xFF, (table >> 8) & 0xFF, (table >> 16) & 0xFF,
                                                      table >> 24);
        FT_ULong length = 0;
        if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0 || offset > length) return false;
        const FT_ULong available = length - offset;
        if (!buffer) {
            *answer = static_cast<DWORD>(available);
            return true;
        }
        FT_ULong count = size < available ? size : available;
        if (count > 0 && FT_Load_Sfnt_Table(face, tag, static_cast<FT_Long>(offset), static_cast<FT_Byte*>(buffer),
                                            &count) != 0)
            return false;
        *answer = static_cast<DWORD>(count);
        return true;
    });
}

bool GlyphIndices(const LOGFONTW& font, const WCHAR* text, int count, WORD* indices, bool markMissing) {
    return FontCatalog::Get().WithFace(font, [&](FT_Face face) {
        if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && !face->charmap) return false;
        for (int i = 0; i < count; ++i) {
            const FT_UInt glyph = FT_Get_Char_Index(face, text[i]);
            indices[i] = glyph ? static_cast<WORD>(glyph) : markMissing ? 0xFFFF : 0;
        }
        return true;
    });
}

bool MeasureFont(const LOGFONTW& font, int dpi, FontMetrics* metrics) {
    return FontCatalog::Get().WithFace(font, [&](FT_Face face) {
        const DesignMetrics design = ReadDesignMetrics(face);
        const double scale = Scale(font, dpi, design);
        metrics->ascent = std::lround(design.ascent * scale);
        metrics->descent = std::lround(design.descent * scale);
        metrics->internalLeading =
            std::max<LONG>(0, metrics->ascent + metrics->descent - std::lround(design.unitsPerEm * scale));
        metrics->averageWidth = std::lround(design.averageWidth * scale);
        metrics->maxWidth = std::lround(double(face->max_advance_width) * scale);
        CharacterRange(face, metrics);
        metrics->charset = RealisedCharset(face, font.lfCharSet);
        return true;
    });
}

bool WithFontFace(const LOGFONTW& font, const std::function<void(FT_FaceRec_*)>& body) {
    return FontCatalog::Get().WithFace(font, [&](FT_Face face) {
        body(face);
        return true;
    });
}

namespace {

// The characters of the text (surrogate pairs joined).
std::vector<char32_t> Characters(const WCHAR* text, int count) {
    std::vector<char32_t> characters;
    for (int i = 0; i < count; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        characters.push_back(c);
    }
    return characters;
}

}  // namespace

LOGFONTW LinkedFont(const LOGFONTW& font) {
    LOGFONTW linked = font;
    const char16_t face[] = u"IPAGothic";
    std::memset(linked.lfFaceName, 0, sizeof linked.lfFaceName);
    std::memcpy(linked.lfFaceName, face, sizeof face);
    return linked;
}

cairo_font_face_t* CairoFontFace(FT_Face face, const LOGFONTW& font) {
    cairo_font_face_t* fontFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (font.lfWeight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD))
        cairo_ft_font_face_set_synthesize(fontFace, CAIRO_FT_SYNTHESIZE_BOLD);
    return fontFace;
}

bool HasCharacter(const LOGFONTW& font, char32_t character) {
    bool has = true;
    FontCatalog::Get().WithFace(font, [&](FT_Face face) {
        has = FT_Get_Char_Index(face, character) != 0;
        return true;
    });
    return has;
}

bool MeasureText(const LOGFONTW& font, int dpi, const WCHAR* text, int count, LONG* width) {
    const std::vector<char32_t> characters = Characters(text, count);
    // The face's own characters first; those it lacks are measured in the linked face, where the
    // drawing takes them from.
    std::vector<char32_t> missing;
    LONG total = 0;
    const auto measure = [&](const LOGFONTW& used, const std::vector<char32_t>& which, std::vector<char32_t>* lacking) {
        return FontCatalog::Get().WithFace(used, [&](FT_Face face) {
            const double scale = Scale(used, dpi, ReadDesignMetrics(face));
            for (char32_t c : which) {
                const FT_UInt glyph = FT_Get_Char_Index(face, c);
                if (glyph == 0 && lacking) {
                    lacking->push_back(c);
                    continue;
                }
                FT_Fixed advance = 0;
                if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return false;
                total += std::lround(double(advance) * scale);
            }
            return true;
        });
    };
    if (!measure(font, characters, &missing)) return false;
    if (!missing.empty() && !measure(LinkedFont(font), missing, nullptr)) return false;
    *width = total;
    return true;
}

}  // namespace palvex::gdi
