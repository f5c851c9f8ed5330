#include "options/name_popup.h"

#include "items/optitem_handler.h"
#include "options/device_info_controls.h"
#include "options/quick_settings.h"

LPCWSTR AskNameInPopup(QORVAOptItemHandlerFactory* factory, QORVAOptItemHandler* nameBox, QORVAOptItemHandler* popup) {
    if (!nameBox || !popup) return nullptr;
    nameBox->SelectString(u"", nullptr);
    popup->Push(CurrentDialog(factory));
    return nameBox->GetSelPtr();
}

void EnableOkForName(QORVAOptItemHandlerFactory* factory, QORVAOptItemHandler* nameBox, DWORD nameBoxId) {
    HWND dialog = CurrentDialog(factory);
    if (!dialog || !nameBox || !GetDlgItem(dialog, static_cast<int>(nameBoxId))) return;
    if (HWND ok = GetDlgItem(dialog, IDOK)) EnableWindow(ok, IsBlankName(nameBox->GetSelPtr()) ? FALSE : TRUE);
}

QORVAOptItemConstraintNamePopup::QORVAOptItemConstraintNamePopup(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                                 DWORD nameBoxId)
    : QORVAOptItemNotify(heap, factory), m_nameBoxId(nameBoxId) {
    m_nameBox = WatchItem(nameBoxId);
}

DWORD QORVAOptItemConstraintNamePopup::Notify(DWORD id, WORD, DWORD) {
    if (id == 0 || id == m_nameBoxId) EnableOkForName(m_owner, m_nameBox, m_nameBoxId);
    return kAnswerPass;
}
