#include "quick_settings_prompts.h"

#include <win/strsafe.h>

#include "coresources.h"
#include "options/device_info_controls.h"

namespace {

constexpr DWORD kCaptionChars = 64;
constexpr DWORD kTextChars = 256;

int Show(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    // Right-to-left pages get right-to-left boxes, as the resource provider's own boxes do.
    if (owner && (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)) style |= MB_RTLREADING;
    return MessageBoxW(owner, text, caption, style);
}

}  // namespace

int MessageWithText(IDrvResources* resources, HWND owner, DWORD textId, DWORD argumentId, DWORD captionId, UINT style) {
    WCHAR format[kTextChars], argument[kTextChars], caption[kCaptionChars], text[kTextChars];
    LoadText(resources, textId, format, kTextChars);
    LoadText(resources, argumentId, argument, kTextChars);
    LoadText(resources, captionId, caption, kCaptionChars);
    if (!format[0] || !caption[0] || FAILED(StringCchPrintfW(text, kTextChars, format, argument))) return 0;
    return Show(owner, text, caption, style);
}

int MessageWithCode(IDrvResources* resources, HWND owner, DWORD textId, DWORD code, DWORD captionId, UINT style) {
    WCHAR format[kTextChars], caption[kCaptionChars], text[kTextChars];
    LoadText(resources, textId, format, kTextChars);
    LoadText(resources, captionId, caption, kCaptionChars);
    if (!format[0] || !caption[0] || FAILED(StringCchPrintfW(text, kTextChars, format, code))) return 0;
    return Show(owner, text, caption, style);
}
