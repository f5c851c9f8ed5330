// The rules of the custom-size popup: the list follows the main page's paper size and the typed
// width and height, the sizes follow the list, and the button deletes, adds or renames a size.
// A size lives as a user form of the spooler marked in the printer data "CUSTOMMEDIA"; forms and
// marks change at once, the data file follows, and the two paper-size lists of the pages (unless
// the printer assigns forms to trays itself) take the new names in memory.
#pragma once

#include <string>

#include <win/winspool_forms.h>

#include "items/optitem_notify.h"
#include "options/name_popup.h"

class QORVAOptItemHandler;
class QORVAOptItemHandlerCMCOMBOBOX;

// Values of the button (item 17100).
inline constexpr LONG kCustomMediaDelete = 0;
inline constexpr LONG kCustomMediaAdd = 1;
inline constexpr LONG kCustomMediaRename = 2;

// A name as forms take it: each double quote becomes two apostrophes, then the name is cut to 31
// characters so that it ends inside the record's name field.
std::u16string NormaliseMediumName(LPCWSTR name);
// '=' and '\' have a meaning in the data file's option lines.
bool HasForbiddenNameCharacter(const std::u16string& name);

class QORVAOptItemConstraintCMS : public QORVAOptItemNotify {
public:
    QORVAOptItemConstraintCMS(HANDLE heap, QORVAOptItemHandlerFactory* factory);

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

    // The button's flows: 1 done, 2 refused (nothing in the list or the pages changed).
    DWORD DeleteMedium();
    DWORD AddMedium();
    DWORD RenameMedium();

private:
    QORVAOptItemHandlerCMCOMBOBOX* List();
    HWND Owner();
    // The sizes of the paper the main page names, into the width and height.
    void FollowPaperSize();
    void SizesFromSelection();
    void SelectBySize();
    void RefreshButton();
    void SetSizes(LONG width, LONG height);
    // False (after telling the user) when the name cannot be a custom size.
    bool Acceptable(const std::u16string& name);
    // A built-in or printer form of that name exists.
    // The printer's form of that name (level 1); false when it cannot be read.
    bool ReadForm(LPCWSTR name, FORM_INFO_1W* form);
    bool IsSystemForm(const std::u16string& name);
    // The registered entry of that name, -1 when none.
    LONG ListedEntry(const std::u16string& name);
    // A warning: the text of textId under the popup's caption.
    void Warn(DWORD textId);
    // The registration failure message with the error's code.
    void ShowRegistrationFailure(DWORD error);
    void ShowFailure(DWORD error);
    // The paper-size lists of the pages.
    void AddToPaperLists(const std::u16string& name);
    void RenameInPaperLists(const std::u16string& oldName, const std::u16string& newName);
    void RemoveFromPaperLists(const std::u16string& name);

    QORVAOptItemHandler* m_list = nullptr;
    QORVAOptItemHandler* m_button = nullptr;
    QORVAOptItemHandler* m_width = nullptr;
    QORVAOptItemHandler* m_height = nullptr;
    BYTE m_formAssign = 0;
    static constexpr size_t kPaperListCount = 2;
    DWORD m_paperLists[kPaperListCount] = {1203, 3102};
};

class QORVAOptItemConstraintCMSNAME : public QORVAOptItemConstraintNamePopup {
public:
    QORVAOptItemConstraintCMSNAME(HANDLE heap, QORVAOptItemHandlerFactory* factory);
};
