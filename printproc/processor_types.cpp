// The datatype processors by datatype: RAW, TEXT and the EMF datatypes.
#include "processor_types.h"

#include "coprocessoremf.h"
#include "coprocessorraw.h"
#include "coprocessortxt.h"

HRESULT CreateProcessorType(DatatypeIndex datatype, IProcessor* owner, IProcessorType** processor) {
    *processor = nullptr;
    if (datatype == DatatypeIndex::RAW) return CoProcessorRAW::Create(owner, processor);
    if (datatype == DatatypeIndex::TEXT) return CoProcessorTXT::Create(owner, processor);
    return CoProcessorEMF::Create(owner, processor);
}
