#include "device_info_controls.h"

#include <win/commctrl.h>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"

namespace {

// The factory keeps its dialog levels to itself; this view reads the innermost one.
struct DialogLevels : QORVAOptItemHandlerFactory {
    static HWND Top(const QORVAOptItemHandlerFactory& factory) {
        const auto levels = &DialogLevels::m_dialogs;
        const DWORD depth = factory.Depth();
        return depth <= kMaxPushLevels ? (factory.*levels)[depth] : nullptr;
    }
};

}  // namespace

HWND CurrentDialog(QORVAOptItemHandlerFactory* factory) {
    return factory ? DialogLevels::Top(*factory) : nullptr;
}

QORVAOptItemDlgLink* LinkOfControl(HWND control) {
    return control ? static_cast<QORVAOptItemDlgLink*>(GetPropW(control, u"optItemHandler")) : nullptr;
}

QORVAOptItemDlgLink* LinkOfDialogItem(QORVAOptItemHandlerFactory* factory, int controlId) {
    HWND dialog = CurrentDialog(factory);
    return dialog ? LinkOfControl(GetDlgItem(dialog, controlId)) : nullptr;
}

int SelectedRow(HWND list) {
    if (!list) return -1;
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectRow(HWND list, int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

void RowText(HWND list, int row, int column, LPWSTR buffer, int chars) {
    if (!buffer || chars <= 0) return;
    buffer[0] = 0;
    if (!list || row < 0) return;
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = chars;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    buffer[chars - 1] = 0;
}

void SetRowText(HWND list, int row, int column, LPCWSTR text) {
    if (!list || row < 0) return;
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text ? text : u"");
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetRowImage(HWND list, int row, int image) {
    if (!list || row < 0) return;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int RowImage(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = -1;
    if (!list || !SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return item.iImage;
}

void LoadText(IDrvResources* resources, DWORD id, LPWSTR buffer, DWORD chars) {
    if (!buffer || chars == 0) return;
    buffer[0] = 0;
    if (!resources || !id || FAILED(resources->LoadString(id, buffer, chars))) buffer[0] = 0;
    buffer[chars - 1] = 0;
}

IDrvResources* ResourcesOf(QORVAOptItemHandlerFactory* factory) {
    CoUIPluginExt* extension = factory ? factory->Extension() : nullptr;
    return extension ? extension->Resources() : nullptr;
}

HANDLE SheetPrinter(const QORVAOptItemHandler* handler) {
    QORVAOptItemHandlerFactory* factory = handler ? handler->Factory() : nullptr;
    return factory && factory->Record() ? factory->Record()->hPrinter : nullptr;
}
