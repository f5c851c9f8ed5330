// The base of every wizard page: a modeless child dialog of the main window that brings its texts
// from its own String.ini section, moves itself into the host's page rectangle, and asks before
// the wizard closes. A page's choices live in CDrvData (its wizard state), so they survive the
// page's window.
#pragma once

#include <afx/afxwin.h>

#include <initializer_list>
#include <string>
#include <utility>

class CDrvData;
class CPardexDlg;

// The style of the pages' warning boxes.
inline constexpr UINT kWarning = MB_ICONWARNING | MB_OK;

class CDialogBase : public CDialog {
public:
    CDialogBase(UINT templateId, CWnd* parent);

    // The 9-point font to the page and every descendant, then the page into the host's page area.
    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter and Esc do nothing inside a page
    void OnCancel() override {}
    // Cancel (id 2) and Back (1008) of every page; a derived page handles its own controls first.
    BOOL OnCmdMsg(UINT id, int code) override;

    // [section] Window and [section] Header, each read once.
    virtual void GetWindowTitle(std::u16string& title);
    virtual void GetHeaderText(std::u16string& header);
    // Called each time the page becomes current, with the index of the page that was current.
    virtual void OnActivatePage(int previousIndex) { (void)previousIndex; }
    // Nonzero when the wizard may close: the base asks [MsgBox] Cancel.
    virtual int QueryCancel();

    // Posts WM_CLOSE to the host, which asks the current page's QueryCancel.
    void OnBnClickedButtonCancel();
    // Back of the pages that return to the setup menu.
    void OnBnClickedButtonPrev();

    // Texts of Back, Next and Cancel ("ButtonPrev", "ButtonNext", "ButtonCancel") where the page has them.
    void SetButtonTexts();
    // [section] key into the control.
    void SetItemText(int id, const char16_t* key);
    // The page's texts: [section] key into each control, then the texts of its buttons.
    void SetPageTexts(std::initializer_list<std::pair<int, const char16_t*>> texts);
    // The text of a control, at most capacity - 1 characters.
    std::u16string ItemText(int id, int capacity) const;
    // Ends the page and the host without the cancel question.
    void EndWizard();
    // Enables or disables the controls.
    void EnableItems(std::initializer_list<int> ids, BOOL enable);

    UINT m_templateIdOfPage;
    CDrvData* m_pDrvData = nullptr;
    CPardexDlg* m_pHost = nullptr;
    int m_pageIndex = 0;
    std::u16string m_caption;
    std::u16string m_header;
    std::u16string m_section;
};

// Pages 5, 7 and 9: the end of every road. SetCompletePage gives the instance its index and section.
class CDialogComplete : public CDialogBase {
public:
    explicit CDialogComplete(CWnd* parent);
    BOOL OnInitDialog() override;
    BOOL OnCmdMsg(UINT id, int code) override;
    int QueryCancel() override;
};

// Sets the 9-point font of the settings object to the window and all its descendants.
void SetFontToDescendants(HWND window, CDrvData* settings);
