// Choosing a control's link from its window class and style.
#include "handler_factory.h"

QORVAOptItemDlgLink* QORVAOptItemHandlerFactory::CreateDlgLinkByClass(HWND, QORVAOptItemHandler*, DWORD, DWORD) {
    return nullptr;
}
