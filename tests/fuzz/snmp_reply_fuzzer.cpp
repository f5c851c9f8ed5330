// SNMP replies as they arrive from the network: any datagram decodes to a message or to nothing,
// and a decoded message encodes again to bytes that decode to the same message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "net/snmp_ber.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto message = palvex::snmp::DecodeMessage(std::span<const uint8_t>(data, size));
    if (!message) return 0;
    const auto bytes = palvex::snmp::EncodeMessage(*message);
    if (bytes.empty()) return 0;
    const auto again = palvex::snmp::DecodeMessage(bytes);
    if (!again || !(*again == *message)) std::abort();
    return 0;
}
