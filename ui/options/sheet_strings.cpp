#include "options/sheet_strings.h"

#include <win/compstui.h>

#include "couipluginext.h"
#include "items/handler_factory.h"

LPWSTR DuplicateSheetString(QORVAOptItemHandlerFactory* factory, DWORD id) {
    CoUIPluginExt* extension = factory ? factory->Extension() : nullptr;
    IDrvResources* resources = extension ? extension->Resources() : nullptr;
    return resources ? resources->DuplicateString(id) : nullptr;
}

void RenameItem(POPTITEM item, QORVAOptItemHandlerFactory* factory, DWORD id) {
    if (!item) return;
    if (LPWSTR text = DuplicateSheetString(factory, id)) item->pName = text;
}

void RenameOption(POPTITEM item, LONG index, QORVAOptItemHandlerFactory* factory, DWORD id) {
    if (!item || !item->pOptType || !item->pOptType->pOptParam || index < 0 || index >= item->pOptType->Count) return;
    if (LPWSTR text = DuplicateSheetString(factory, id)) item->pOptType->pOptParam[index].pData = text;
}
