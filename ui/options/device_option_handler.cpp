#include "options/device_option_handler.h"

QORVAOptItemHandlerDEVOPTCOMBOBOX::QORVAOptItemHandlerDEVOPTCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                                     POPTITEM item)
    : QORVAOptItemHandlerCombobox(heap, factory, item) {}

LONG_PTR QORVAOptItemHandlerDEVOPTCOMBOBOX::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    m_requested = static_cast<DWORD>(selection);
    const LONG_PTR current = GetSel();
    if (selection == current) return current;
    return QORVAOptItemHandlerCombobox::SetCurSel(selection, link);
}
