// The rules of the quick-settings list (item 101) and of its button (item 150), and the rule of
// the name popup's OK button.
//
// The list's rule hears every item of the sheet: a changed value selects the working entry under
// a generated name; the button deletes the selected entry, stores the sheet's values as a new
// entry, or stores them over the selected entry under the typed name.
#pragma once

#include "items/optitem_notify.h"
#include "options/name_popup.h"

class QORVAOptItemHandler;
class QORVAOptItemHandlerQSCOMBOBOX;

// Values of the button (item 150): which of its three texts it shows and what it does.
inline constexpr LONG kQuickSettingsDelete = 0;
inline constexpr LONG kQuickSettingsStoreNew = 1;
inline constexpr LONG kQuickSettingsStoreOver = 2;

class QORVAOptItemConstraintQUICKSETS : public QORVAOptItemNotify {
public:
    // Hears the whole sheet as the factory's own observer (every item's change reaches the factory);
    // when another object holds that place it observes only the list and its button.
    QORVAOptItemConstraintQUICKSETS(HANDLE heap, QORVAOptItemHandlerFactory* factory);
    // Leaves the factory's observer place.
    ~QORVAOptItemConstraintQUICKSETS() override;

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

    // The entry to store the name at: a shown entry of that name when the user agrees to replace
    // it, else preferred, else the first hidden entry; -1 when nothing may be stored.
    LONG FindQuickSettingSlot(LPCWSTR name, LONG preferred);

private:
    QORVAOptItemHandlerQSCOMBOBOX* List();
    HWND Owner();
    void RefreshButton();
    // The generated name of the working entry, selected.
    void ValueChanged(WORD code);
    // The button's action; false when it stopped early.
    bool RunButton();
    bool DeleteSelected();
    bool StoreNew();
    bool StoreOver();
    // The typed name, else the name popup's answer (empty when the popup cannot be asked).
    void AskName(LPWSTR name, DWORD chars);
    void SetName(LPCWSTR text);

    QORVAOptItemHandler* m_list = nullptr;
    WCHAR m_name[64] = {};
    bool m_onFactory = false;
};

class QORVAOptItemConstraintQUICKSETSNAME : public QORVAOptItemConstraintNamePopup {
public:
    QORVAOptItemConstraintQUICKSETSNAME(HANDLE heap, QORVAOptItemHandlerFactory* factory);
};
