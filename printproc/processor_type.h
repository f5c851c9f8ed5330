// What the processors of every datatype share: the reference each holds to the print processor
// that made it, taken when it is made and given back at Close (or at its end, without a Close).
#pragma once

#include "com_object.h"
#include "processor_interfaces.h"

class ProcessorType : public ComObject<IProcessorType> {
public:
    // Gives back the owner's reference; the processor prints no more.
    HRESULT STDMETHODCALLTYPE Close() override {
        if (m_owner) m_owner->Release();
        m_owner = nullptr;
        return S_OK;
    }

protected:
    explicit ProcessorType(IProcessor* owner) : m_owner(owner) {
        if (m_owner) m_owner->AddRef();
    }
    ~ProcessorType() override {
        if (m_owner) m_owner->Release();
    }

    IProcessor* m_owner;  // null after Close
};
