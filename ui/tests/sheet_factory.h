// A handler factory made as a property sheet makes one: the plug-in's extension object for the
// sheet, the sheet record over the option items on the sheet's heap, and the factory on that heap
// with a handler for each item. Shared by the option-item tests and the stored-set harness.
#pragma once

#include <vector>

#include <win/compstui.h>
#include <win/windows.h>

#include "couipluginext.h"
#include "items/heap_object.h"

namespace uitest {

// *extension gets the new extension object with one reference, which the caller releases; the
// answer is the factory (null when the heap has no room for it).
template <class Factory>
Factory* MakeSheetFactory(HANDLE heap, std::vector<OPTITEM>& items, OEMCUIPPARAM& record, CoUIPluginExt*& extension,
                          IPrintOemDriverUI* driverUI = nullptr, DWORD uiType = 2, DWORD sheetMode = OEMCUIP_DOCPROP) {
    extension = new CoUIPluginExt;
    extension->AddRef();
    extension->m_sheetWords[0] = uiType;
    extension->m_sheetWords[1] = sheetMode;
    record.cbSize = sizeof record;
    record.hOEMHeap = heap;
    record.pOEMOptItems = items.data();
    record.cOEMOptItems = static_cast<DWORD>(items.size());
    Factory* factory = MakeOnHeap<Factory>(heap, &record, extension, driverUI, nullptr);
    if (factory)
        for (OPTITEM& item : items) factory->CreateHandler(&item);
    return factory;
}

}  // namespace uitest
