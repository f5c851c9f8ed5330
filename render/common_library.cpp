// Loading the common library and resolving its ordinal.
#include "common_library.h"

#include <palvex/ordinals.h>

namespace {

constexpr WORD kAssignJobIdOrdinal = 1;

}  // namespace

AssignJobIdFunction ImportAssignJobId() {
    static const AssignJobIdFunction function = reinterpret_cast<AssignJobIdFunction>(const_cast<void*>(
        palvex::ImportByOrdinal("libtovqebco.so", kAssignJobIdOrdinal, reinterpret_cast<const void*>(&ImportAssignJobId))));
    return function;
}
