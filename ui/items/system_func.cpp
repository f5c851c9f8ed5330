// The system-functions object's construction and the heap it builds option lists from.
#include "items/system_func.h"

#include <cstring>

#include "model_hooks.h"

QORVASystemFunc::QORVASystemFunc(QORVAOptItemHandlerFactory* factory, const QORVASystemFuncContext& context)
    : m_factory(factory),
      m_heap(context.m_heap),
      m_printer(context.m_printer),
      m_printerName(context.m_printerName),
      m_resources(context.m_resources),
      m_settings(context.m_settings),
      m_watermarkSettings(context.m_watermarkSettings),
      m_documentSettings(context.m_documentSettings),
      m_printerFeature(context.m_printerFeature),
      m_itemTarget(context.m_itemTarget) {}

std::u16string QORVASystemFunc::BlockText(const void* text) {
    std::u16string copy;
    const auto* bytes = static_cast<const BYTE*>(text);
    for (WCHAR unit = 0; bytes; bytes += sizeof unit) {
        std::memcpy(&unit, bytes, sizeof unit);
        if (!unit) break;
        copy += unit;
    }
    return copy;
}

void* QORVASystemFunc::Allocate(size_t bytes) {
    if (!m_heap || bytes == 0) return nullptr;
    return HeapAlloc(m_heap, HEAP_ZERO_MEMORY, bytes);
}

void QORVASystemFunc::Free(void* block) {
    if (m_heap && block) HeapFree(m_heap, 0, block);
}

void QORVASystemFunc::FreeOptions(POPTTYPE type) {
    if (!type || !type->pOptParam) return;
    for (WORD i = 0; i < type->Count; ++i) {
        // A text below 0x10000 is a resource id, not a buffer.
        if (reinterpret_cast<ULONG_PTR>(type->pOptParam[i].pData) > 0xFFFF) Free(type->pOptParam[i].pData);
    }
    Free(type->pOptParam);
    type->pOptParam = nullptr;
    type->Count = 0;
}

LANGID QORVASystemFunc::GetMarketLangID(HANDLE printer) {
    return ::GetMarketLangID(printer);
}
