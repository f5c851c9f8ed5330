// Dialog templates as the resource provider reads and rewrites them: classic (DLGTEMPLATE) and
// extended (DLGTEMPLATEEX), read from bytes whose every field is checked against the size given.
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>

// A menu, class or title field: absent, an ordinal (0xFFFF and a WORD), or a text.
struct DlgTemplateName {
    bool m_present = false;
    bool m_isOrdinal = false;
    WORD m_ordinal = 0;
    std::u16string m_text;
};

struct DlgTemplateItem {
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    short m_x = 0, m_y = 0, m_cx = 0, m_cy = 0;
    DWORD m_id = 0;
    DlgTemplateName m_class;
    DlgTemplateName m_title;
};

struct DlgTemplateInfo {
    bool m_extended = false;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    std::u16string m_title;
    bool m_hasFont = false;
    WORD m_pointSize = 0;
    WORD m_weight = 0;
    BYTE m_italic = 0;
    BYTE m_charSet = 0;
    std::u16string m_faceName;
    std::vector<DlgTemplateItem> m_items;
    size_t m_size = 0;  // up to the end of the last item
};

// False for a malformed template (a field that runs past size).
bool ReadDlgTemplate(const BYTE* bytes, size_t size, DlgTemplateInfo* info);

// What a rewrite changes: the title (when m_setTitle), the face name (when m_setFace and the
// template has a font) and bits added to the extended style (extended templates only).
struct DlgTemplateRewrite {
    bool m_setTitle = false;
    std::u16string m_title;
    bool m_setFace = false;
    std::u16string m_faceName;
    DWORD m_addExStyle = 0;
};

// Writes the rewritten template into buffer: the header with its changes, then the items as they
// were (on the same DWORD alignment). False, and nothing written past capacity, when the source
// is malformed or the result would not fit; *written gets the result's size.
bool RewriteDlgTemplate(const BYTE* source, size_t size, const DlgTemplateRewrite& rewrite, BYTE* buffer,
                        size_t capacity, size_t* written);
