#include "options/constraint_main_prompt.h"

#include <win/strsafe.h>
#include <win/winuser.h>

#include "coresources.h"
#include "options/device_info_controls.h"

namespace {

constexpr DWORD kTitle = 32772;
constexpr DWORD kHeadFormat = 33423;
constexpr DWORD kLineFormat = 33424;
constexpr DWORD kTextChars = 64;
constexpr DWORD kFormatChars = 128;

void LoadLabel(IDrvResources* resources, DWORD id, LPWSTR buffer, DWORD chars) {
    buffer[0] = 0;
    if (resources && FAILED(resources->LoadLabelString(id, buffer, chars))) buffer[0] = 0;
}

}  // namespace

MainChangePrompt::MainChangePrompt(IDrvResources* resources, DWORD triggerLabel) : m_resources(resources) {
    WCHAR format[kFormatChars];
    WCHAR label[kTextChars];
    LoadText(m_resources, kHeadFormat, format, kFormatChars);
    LoadLabel(m_resources, triggerLabel, label, kTextChars);
    // A body that does not fit is cut: the question still shows what it can.
    StringCchPrintfW(m_body, kBodyChars, format, label);
}

void MainChangePrompt::AddLine(DWORD label, LPCWSTR value) {
    WCHAR format[kFormatChars];
    WCHAR labelText[kTextChars];
    WCHAR line[kBodyChars];
    LoadText(m_resources, kLineFormat, format, kFormatChars);
    LoadLabel(m_resources, label, labelText, kTextChars);
    StringCchPrintfW(line, kBodyChars, format, labelText, value ? value : u"");
    StringCchCatW(m_body, kBodyChars, line);
    ++m_lines;
}

void MainChangePrompt::AddLine(DWORD label, DWORD valueText) {
    WCHAR value[kTextChars];
    LoadText(m_resources, valueText, value, kTextChars);
    AddLine(label, value);
}

bool MainChangePrompt::Ask(HWND owner) {
    WCHAR title[kTextChars];
    LoadText(m_resources, kTitle, title, kTextChars);
    return MessageBoxW(owner, m_body, title, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}
