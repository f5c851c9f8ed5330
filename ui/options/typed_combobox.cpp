#include "options/typed_combobox.h"

#include <algorithm>
#include <iterator>

#include "items/optitem_dlglink.h"

QORVAOptItemHandlerTypedCombobox::QORVAOptItemHandlerTypedCombobox(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                                   POPTITEM item, DWORD typedChars)
    : QORVAOptItemHandlerCombobox(heap, factory, item), m_typedChars(std::min(typedChars, kTypedBufferChars - 1)) {}

void QORVAOptItemHandlerTypedCombobox::ReadControl(QORVAOptItemDlgLink* link) {
    ForgetTyped();
    HWND control = link ? link->Control() : nullptr;
    if (!control) return;
    GetWindowTextW(control, m_typed, static_cast<int>(std::size(m_typed)));
    m_typed[m_typedChars] = 0;
    m_hasTyped = 1;
}

LPCWSTR QORVAOptItemHandlerTypedCombobox::GetEditText() {
    return m_hasTyped ? m_typed : nullptr;
}
