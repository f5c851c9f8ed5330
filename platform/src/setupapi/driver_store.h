// Publishing a driver package in the driver store (internal to the platform library).
#pragma once

#include <string>

namespace palvex {

// Copies the INF into C:\Windows\INF as the next free oemN.inf (an identical one published
// before keeps its name) and into the store; the published name.
std::u16string PublishPackage(const std::u16string& infPath);

}  // namespace palvex
