// The message texts of the kit status codes: a string table keyed by code (the string-resource
// ids of the plug-ins' message tables). The UI variant holds every text; the render and
// print-processor variants hold the settings runtime's (62601 to 63403). The texts are printf
// formats whose arguments are those a ReportStatus call passes after the code.
#pragma once

#include <span>

#include <win/wintypes.h>

struct KitMessage {
    DWORD m_code;
    LPCWSTR m_text;
};

// Every message of this variant, in ascending code order.
std::span<const KitMessage> KitMessages();

// The text of code, or null when the code has no message (such as 62701).
LPCWSTR KitMessageText(DWORD code);
