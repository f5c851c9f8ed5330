// Page 0: the end-user agreement, read from Licence.txt as UTF-16LE, with Agree and Disagree.
#pragma once

#include "dialog_base.h"

class CDialogLicence : public CDialogBase {
public:
    explicit CDialogLicence(CWnd* parent);
    ~CDialogLicence() override;

    BOOL OnInitDialog() override;
    void OnPaint() override;
    BOOL OnCmdMsg(UINT id, int code) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) override;

    void OnBnClickedButtonAgree();

    // The agreement text: the file's bytes as UTF-16LE characters (an odd last byte dropped, a
    // byte-order mark kept). FALSE when the file cannot be read.
    static BOOL ReadLicenceText(const std::u16string& path, std::u16string& text);

    HBRUSH m_background = nullptr;
};
