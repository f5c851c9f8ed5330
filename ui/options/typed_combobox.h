// A list whose combo box also takes a typed name (the favourites and the custom sizes): the text
// the user typed is read from the control when the link commits it, kept until the selection
// changes, and handed to the list's rules through GetEditText.
#pragma once

#include "items/standard_handlers.h"

class QORVAOptItemHandlerTypedCombobox : public QORVAOptItemHandlerCombobox {
public:
    // typedChars: the characters of a typed name that are kept (without the terminator).
    QORVAOptItemHandlerTypedCombobox(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item, DWORD typedChars);

    // With a link, takes the combo box's typed text; without one, forgets it.
    void ReadControl(QORVAOptItemDlgLink* link) override;
    LPCWSTR GetEditText() override;

protected:
    void ForgetTyped() {
        m_typed[0] = 0;
        m_hasTyped = 0;
    }

private:
    static constexpr DWORD kTypedBufferChars = 65;
    DWORD m_typedChars;
    WCHAR m_typed[kTypedBufferChars] = {};
    DWORD m_hasTyped = 0;
};
