// Answers to the installer's network search: any datagram from any sender on the network gives a
// sysDescr text or nothing, and reading it stays inside the datagram.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "snmp_discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read one byte past the datagram is caught.
    auto datagram = std::make_unique<BYTE[]>(size ? size : 1);
    if (size) std::memcpy(datagram.get(), data, size);
    std::u16string text;
    if (ParseSnmpResponse(datagram.get(), text, size) && text.size() > size) std::abort();
    return 0;
}
