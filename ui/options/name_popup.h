// The name popups of the quick-settings list and the custom-size list: asked for a name when none
// was typed into the list, with their OK button enabled only while the name box holds a name.
#pragma once

#include "items/optitem_notify.h"

class QORVAOptItemHandler;

// Empties the popup's name box, shows the popup over the current dialog and answers the name typed there;
// null when either item is missing.
LPCWSTR AskNameInPopup(QORVAOptItemHandlerFactory* factory, QORVAOptItemHandler* nameBox, QORVAOptItemHandler* popup);

// Enables the popup's OK button (id 1) when the name box of that item holds a name that is not
// blank; nothing when the current dialog has no such box.
void EnableOkForName(QORVAOptItemHandlerFactory* factory, QORVAOptItemHandler* nameBox, DWORD nameBoxId);

// The rule of a name popup: its OK button follows its name box.
class QORVAOptItemConstraintNamePopup : public QORVAOptItemNotify {
public:
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

protected:
    QORVAOptItemConstraintNamePopup(HANDLE heap, QORVAOptItemHandlerFactory* factory, DWORD nameBoxId);

private:
    DWORD m_nameBoxId;
    QORVAOptItemHandler* m_nameBox = nullptr;
};
