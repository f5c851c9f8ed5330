// The confirmation the Main page's rules ask before they change other items: a head naming the
// setting the user chose, one line per change ("  [label] -> new value"), OK or Cancel.
#pragma once

#include <win/windows.h>

struct IDrvResources;

class MainChangePrompt {
public:
    // The head names the item whose label is triggerLabel (a label string: access keys and
    // parenthesised parts dropped).
    MainChangePrompt(IDrvResources* resources, DWORD triggerLabel);

    // One line: the label of the changed item and the text of its new value.
    void AddLine(DWORD label, LPCWSTR value);
    // The same with the value text loaded from a string.
    void AddLine(DWORD label, DWORD valueText);
    bool HasLines() const { return m_lines != 0; }
    // Shows the question over owner; true for OK.
    bool Ask(HWND owner);

    LPCWSTR Body() const { return m_body; }

    static constexpr DWORD kBodyChars = 1024;

private:
    IDrvResources* m_resources;
    WCHAR m_body[kBodyChars] = {};
    DWORD m_lines = 0;
};
