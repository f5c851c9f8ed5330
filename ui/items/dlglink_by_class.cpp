// Choosing a control's link from its window class, its button style and the item's option type.
#include "dlglink_buttons.h"
#include "dlglink_edit.h"
#include "dlglink_list.h"
#include "dlglink_listex.h"
#include "dlglink_range.h"
#include "dlglink_static.h"
#include "dlglink_tab.h"
#include "handler_factory.h"
#include "optitem_handler.h"

namespace {

bool ClassIs(LPCWSTR name, LPCWSTR wanted) {
    return lstrcmpiW(name, wanted) == 0;
}

template <class Link>
QORVAOptItemDlgLink* Make(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD id, DWORD flags) {
    return MakeOnHeap<Link>(heap, heap, handler, control, id, flags);
}

}  // namespace

QORVAOptItemDlgLink* QORVAOptItemHandlerFactory::CreateDlgLinkByClass(HWND dialog, QORVAOptItemHandler* handler,
                                                                      DWORD controlId, DWORD extraFlags) {
    HWND control = GetDlgItem(dialog, static_cast<int>(controlId));
    if (!control || !handler) return nullptr;
    handler->SetHasLink(1);
    const DWORD flags = (static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & 0xFFFF) | extraFlags;
    const BYTE type = handler->Type();
    const bool states = type == TVOT_2STATES || type == TVOT_3STATES;
    WCHAR name[64] = {};
    if (!GetClassNameW(control, name, 64)) return nullptr;
    HANDLE heap = m_heap;
    if (ClassIs(name, u"combobox")) return Make<QORVAOptItemDlgLinkCombobox>(heap, handler, control, controlId, flags);
    if (ClassIs(name, u"listbox")) return Make<QORVAOptItemDlgLinkListbox>(heap, handler, control, controlId, flags);
    if (ClassIs(name, u"scrollbar")) return Make<QORVAOptItemDlgLinkScrollbar>(heap, handler, control, controlId, flags);
    if (ClassIs(name, u"button")) {
        switch (flags & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            if (states) return Make<QORVAOptItemDlgLinkTogglebutton>(heap, handler, control, controlId, flags);
            return Make<QORVAOptItemDlgLinkPushbutton>(heap, handler, control, controlId, flags);
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            return Make<QORVAOptItemDlgLinkCheckbox>(heap, handler, control, controlId, flags);
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return Make<QORVAOptItemDlgLinkRadiobutton>(heap, handler, control, controlId, flags);
        case BS_GROUPBOX:
            return Make<QORVAOptItemDlgLinkStatic>(heap, handler, control, controlId, flags);
        default:
            return nullptr;
        }
    }
    if (ClassIs(name, u"edit")) {
        switch (type) {
        case TVOT_UDARROW: return Make<QORVAOptItemDlgLinkUDArrowNumber>(heap, handler, control, controlId, flags);
        case TVOT_TRACKBAR:
        case TVOT_SCROLLBAR: return Make<QORVAOptItemDlgLinkXBarNumber>(heap, handler, control, controlId, flags);
        case TVOT_LISTBOX: return Make<QORVAOptItemDlgLinkUDArrowList>(heap, handler, control, controlId, flags);
        default: return Make<QORVAOptItemDlgLinkEditbox>(heap, handler, control, controlId, flags);
        }
    }
    if (ClassIs(name, u"msctls_updown32")) return Make<QORVAOptItemDlgLinkUDArrowSpin>(heap, handler, control, controlId, flags);
    if (ClassIs(name, u"SysTabControl32")) return Make<QORVAOptItemDlgLinkTabCtrl>(heap, handler, control, controlId, flags);
    if (ClassIs(name, u"SysListView32")) return Make<QORVAOptItemDlgLinkListview>(heap, handler, control, controlId, flags);
    if (ClassIs(name, u"ComboBoxEx32")) return Make<QORVAOptItemDlgLinkComboboxEx>(heap, handler, control, controlId, flags);
    if (ClassIs(name, u"static")) {
        if (states && (extraFlags & kLinkStatesText))
            return Make<QORVAOptItemDlgLinkStaticStates>(heap, handler, control, controlId, flags);
        return Make<QORVAOptItemDlgLinkStatic>(heap, handler, control, controlId, flags);
    }
    return nullptr;
}
