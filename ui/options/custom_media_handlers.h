// The custom-size popup's list and name box:
//   17052  QORVAOptItemHandlerCMCOMBOBOX  ten registered custom sizes and the new-size entry
//   18100  QORVAOptItemHandlerCMEDITBOX   the name box of the name popup
// Each entry's option points to its CustomMediaRecord (the name, then the spooler form).
#pragma once

#include "items/standard_handlers.h"
#include "options/typed_combobox.h"

struct CustomMediaRecord;

inline constexpr DWORD kCustomMediaList = 17052;
inline constexpr DWORD kCustomMediaButton = 17100;
inline constexpr DWORD kCustomMediaNamePopup = 17101;
inline constexpr DWORD kCustomMediaWidth = 17152;
inline constexpr DWORD kCustomMediaHeight = 17202;
inline constexpr DWORD kCustomMediaNameBox = 18100;

// Characters of a custom size's name with its terminator: the form's name must end inside the
// record's 32-character field.
inline constexpr LONG kCustomMediaNameLimit = 32;

// True when the entry is a registered size: its form names it and the name is not blank.
bool IsNamedMedium(const CustomMediaRecord* record);

class QORVAOptItemHandlerCMCOMBOBOX : public QORVAOptItemHandlerTypedCombobox {
public:
    QORVAOptItemHandlerCMCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    LONG GetTextLimit() override;
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
    // The registered size of exactly that name, else the new-size entry (whatever free entries
    // lie between the registered ones).
    LONG_PTR SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) override;
    // No window (Apply, or a change of the sizes): the data file follows the list. The popup's
    // window: the main page's paper size becomes the selected size.
    void SaveSettings(HWND window) override;

    // Names an entry, shows it and tells the observers.
    void SetEntry(LONG index, LPCWSTR name);

    CustomMediaRecord* Record(LONG index);
    CustomMediaRecord* SelectedRecord() { return Record(static_cast<LONG>(GetSel())); }
    LONG EntryCount() const { return static_cast<LONG>(m_count); }

private:
    DWORD m_count = 0;
};

class QORVAOptItemHandlerCMEDITBOX : public QORVAOptItemHandlerEditbox {
public:
    using QORVAOptItemHandlerEditbox::QORVAOptItemHandlerEditbox;
    LONG GetTextLimit() override;
};
