// Message boxes of the quick-settings, custom-size and watermark rules whose texts take a value:
// the delete confirmation names what is deleted, a failed spooler call shows its error code.
#pragma once

#include <win/windows.h>

struct IDrvResources;

// The message of textId formatted with one text argument (the string of argumentId), with the
// caption of captionId; the box's answer, 0 when a string is missing.
int MessageWithText(IDrvResources* resources, HWND owner, DWORD textId, DWORD argumentId, DWORD captionId, UINT style);
// The message of textId formatted with one number ("%x" in the text).
int MessageWithCode(IDrvResources* resources, HWND owner, DWORD textId, DWORD code, DWORD captionId, UINT style);
