// Reading dialog templates, classic (DLGTEMPLATE) and extended (DLGTEMPLATEEX), from bytes that
// are not trusted (internal to the platform library; the dialog functions build on it).
//
// Every field is checked against the bytes there are: a header, string, item or creation data
// that would run past the end makes the whole template malformed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <win/winuser.h>

#define PALVEX_DIALOG_TEMPLATE_API __attribute__((visibility("default")))

namespace palvex::dlg {

// A menu, class or title field: absent, an ordinal (0xFFFF and a WORD) or a text.
struct NameOrOrdinal {
    enum Kind { kNone, kOrdinal, kText } kind = kNone;
    WORD ordinal = 0;
    std::u16string text;
    bool operator==(const NameOrOrdinal&) const = default;
};

struct DialogItem {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;  // a WORD in classic templates
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::vector<uint8_t> creationData;
};

struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    // With DS_SETFONT: the font (weight, italic and character set only in extended templates).
    bool hasFont = false;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charSet = 0;
    std::u16string faceName;
    std::vector<DialogItem> items;
    size_t size = 0;  // bytes the template takes, up to the end of its last item
};

// True with the template read from size bytes at bytes; false for a malformed one.
PALVEX_DIALOG_TEMPLATE_API bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplate* dialog);

// The class name of an item class ordinal (0x80 to 0x85), or null.
PALVEX_DIALOG_TEMPLATE_API const char16_t* ItemClassName(WORD ordinal);

}  // namespace palvex::dlg
