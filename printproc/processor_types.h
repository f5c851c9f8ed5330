// Makes the datatype processor for a datatype of the table (datatypes.h).
#pragma once

#include "datatypes.h"
#include "processor_interfaces.h"

// *processor gets the new processor with one reference; it holds its own reference to owner.
// E_OUTOFMEMORY when the object cannot be made, E_FAIL when its working memory cannot.
HRESULT CreateProcessorType(DatatypeIndex datatype, IProcessor* owner, IProcessorType** processor);
