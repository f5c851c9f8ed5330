// The watermark font item's options: the installed TrueType faces, each with the styles it has
// (in the option's IconID, above its character set).
#include <algorithm>
#include <string>
#include <vector>

#include <win/wingdi_fontenum.h>

#include "items/system_func.h"

namespace {

struct TrueTypeFaceEntry {
    std::u16string m_name;
    WORD m_charset = 0;
    WORD m_styles = 0;
};

struct FaceList {
    HDC m_dc = nullptr;
    std::vector<TrueTypeFaceEntry> m_faces;
};

WORD StyleBit(std::u16string_view style) {
    if (style == u"Bold") return 2;
    if (style == u"Italic") return 4;
    if (style == u"Bold Italic") return 8;
    if (style == u"Medium") return 2;
    return 1;  // "Regular", "Light" and any other style
}

std::u16string_view Field(const WCHAR* field, size_t units) {
    return std::u16string_view(field, std::find(field, field + units, u'\0') - field);
}

int CALLBACK OnFaceStyle(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context) {
    const auto* logFont = reinterpret_cast<const ENUMLOGFONTEXW*>(font);
    *reinterpret_cast<WORD*>(context) |= StyleBit(Field(logFont->elfStyle, LF_FACESIZE));
    return 1;
}

int CALLBACK OnFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD fontType, LPARAM context) {
    auto* list = reinterpret_cast<FaceList*>(context);
    if (!(fontType & TRUETYPE_FONTTYPE)) return 1;
    const std::u16string_view name = Field(font->lfFaceName, LF_FACESIZE);
    // Vertical faces ("@...") and faces named from a digit zero are not offered.
    if (name.empty() || name[0] == u'@' || name[0] == u'0') return 1;
    if (std::any_of(list->m_faces.begin(), list->m_faces.end(),
                    [&](const TrueTypeFaceEntry& entry) { return entry.m_name == name; }))
        return 1;
    if (list->m_faces.size() == list->m_faces.capacity()) list->m_faces.reserve(list->m_faces.size() + 40);
    TrueTypeFaceEntry entry{std::u16string(name), font->lfCharSet, 0};
    LOGFONTW styles{};
    styles.lfCharSet = DEFAULT_CHARSET;
    std::copy(name.begin(), name.end(), styles.lfFaceName);
    EnumFontFamiliesExW(list->m_dc, &styles, OnFaceStyle, reinterpret_cast<LPARAM>(&entry.m_styles), 0);
    list->m_faces.push_back(std::move(entry));
    return 1;
}

}  // namespace

DWORD QORVASystemFunc::EnumTrueTypeFonts(POPTITEM item, DWORD nameWidth) {
    if (!item || !item->pOptType || nameWidth < 2) return 0;
    FaceList list;
    list.m_dc = GetDC(nullptr);
    if (!list.m_dc) return 0;
    LOGFONTW every{};
    every.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(list.m_dc, &every, OnFace, reinterpret_cast<LPARAM>(&list), 0);
    ReleaseDC(nullptr, list.m_dc);
    if (list.m_faces.empty() || list.m_faces.size() > 0xFFFF) return 0;

    auto* options = static_cast<POPTPARAM>(Allocate(list.m_faces.size() * sizeof(OPTPARAM)));
    if (!options) return 0;
    for (size_t i = 0; i < list.m_faces.size(); ++i) {
        auto* name = static_cast<LPWSTR>(Allocate(nameWidth * sizeof(WCHAR)));
        if (!name) {
            for (size_t k = 0; k < i; ++k) Free(options[k].pData);
            Free(options);
            return 0;
        }
        const TrueTypeFaceEntry& face = list.m_faces[i];
        std::copy_n(face.m_name.begin(), std::min<size_t>(face.m_name.size(), nameWidth - 1), name);
        options[i].cbSize = sizeof(OPTPARAM);
        options[i].pData = name;
        options[i].lParam = reinterpret_cast<LPARAM>(name);
        options[i].IconID = (ULONG_PTR{face.m_styles} << 16) | face.m_charset;
    }
    item->pOptType->pOptParam = options;
    item->pOptType->Count = static_cast<WORD>(list.m_faces.size());
    return 1;
}
