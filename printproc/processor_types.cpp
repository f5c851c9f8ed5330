// The datatype processors by datatype: RAW and TEXT. EMF printing is not in this library yet: its
// datatypes open, and printing a document fails with ERROR_NOT_SUPPORTED.
#include "processor_types.h"

#include <new>

#include "com_object.h"
#include "coprocessorraw.h"
#include "coprocessortxt.h"
#include "kittrace.h"

namespace {

// Accepts a job of a datatype whose printing this library does not have, and refuses to print it.
class CoProcessorUnsupported final : public ComObject<IProcessorType> {
public:
    explicit CoProcessorUnsupported(IProcessor* owner) : m_owner(owner) { m_owner->AddRef(); }

    HRESULT STDMETHODCALLTYPE Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) override {
        if (!printerName || !openData) return E_POINTER;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PrintDocument(LPCWSTR documentName) override {
        DebugTrace(1, u"%s: datatype not supported doc=[%s]\n", u"CoProcessorUnsupported::PrintDocument",
                   documentName ? documentName : u"");
        SetLastError(ERROR_NOT_SUPPORTED);
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        if (m_owner) m_owner->Release();
        m_owner = nullptr;
        return S_OK;
    }

private:
    ~CoProcessorUnsupported() override {
        if (m_owner) m_owner->Release();
    }

    IProcessor* m_owner;
};

}  // namespace

HRESULT CreateProcessorType(DatatypeIndex datatype, IProcessor* owner, IProcessorType** processor) {
    *processor = nullptr;
    if (datatype == DatatypeIndex::RAW) return CoProcessorRAW::Create(owner, processor);
    if (datatype == DatatypeIndex::TEXT) return CoProcessorTXT::Create(owner, processor);
    IProcessorType* made = new (std::nothrow) CoProcessorUnsupported(owner);
    if (!made) return E_OUTOFMEMORY;
    made->AddRef();
    *processor = made;
    return S_OK;
}
