#include "device_page_links_devopt.h"

#include <win/winosinfo.h>

#include "coresources.h"
#include "device_info_controls.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"

#include "options/device_option_handler.h"

namespace {

constexpr DWORD kNoticeCaption = 32771;

bool IsWindows51() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) && version.dwMajorVersion == 5 && version.dwMinorVersion == 1;
}

}  // namespace

void SetDeviceOptionRow(QORVAOptItemHandler* choice, DWORD row) {
    if (auto* handler = dynamic_cast<QORVAOptItemHandlerDEVOPTCOMBOBOX*>(choice)) handler->SetRow(row);
}

DWORD DeviceOptionRow(QORVAOptItemHandler* choice) {
    auto* handler = dynamic_cast<QORVAOptItemHandlerDEVOPTCOMBOBOX*>(choice);
    return handler ? handler->Row() : 0;
}

bool DeviceOptionRequested(QORVAOptItemHandler* choice, LONG* index) {
    auto* handler = dynamic_cast<QORVAOptItemHandlerDEVOPTCOMBOBOX*>(choice);
    if (!handler || !index) return false;
    *index = static_cast<LONG>(handler->RequestedIndex());
    return true;
}

void ShowDevoptNote(QORVAOptItemDlgLink* link, QORVAOptItemHandler* choice) {
    auto* handler = dynamic_cast<QORVAOptItemHandlerDEVOPTCOMBOBOX*>(choice);
    if (!handler || !handler->NoticePending()) return;
    if (!IsWindows51()) {
        QORVAOptItemHandlerFactory* factory = handler->Factory();
        HWND owner = link && link->Control() ? GetParent(link->Control()) : CurrentDialog(factory);
        if (IDrvResources* resources = ResourcesOf(factory))
            resources->MessageBox(owner, kDevoptNoteText, kNoticeCaption, MB_ICONINFORMATION);
    }
    handler->ClearNotice();
}
