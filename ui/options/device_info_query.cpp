#include "device_info_query.h"

#include <palvex/ordinals.h>

namespace {

constexpr WORD kGetTraysInfoOrdinal = 2;

}  // namespace

GetTraysInfoFunction ImportGetTraysInfo() {
    static const GetTraysInfoFunction function = reinterpret_cast<GetTraysInfoFunction>(const_cast<void*>(
        palvex::ImportByOrdinal("libtovqebco.so", kGetTraysInfoOrdinal, reinterpret_cast<const void*>(&ImportGetTraysInfo))));
    return function;
}
