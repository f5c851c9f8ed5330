// Little-endian values at a byte offset of a record, block or DEVMODE, which may stand at any
// address (stored layouts have no alignment). Tests of every component that reads stored bytes
// set and read fields with these.
#pragma once

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <win/windows.h>

namespace xprtest {

template <class T>
T Peek(const void* bytes, size_t at) {
    T value;
    std::memcpy(&value, static_cast<const BYTE*>(bytes) + at, sizeof value);
    return value;
}
template <class T>
void Poke(void* bytes, size_t at, T value) {
    std::memcpy(static_cast<BYTE*>(bytes) + at, &value, sizeof value);
}

// The same in a byte array, refusing a field that does not lie wholly inside it.
template <class T>
T Peek(const std::vector<BYTE>& bytes, size_t at) {
    if (at > bytes.size() || bytes.size() - at < sizeof(T)) throw std::out_of_range("Peek past the end");
    return Peek<T>(bytes.data(), at);
}
template <class T>
void Poke(std::vector<BYTE>& bytes, size_t at, T value) {
    if (at > bytes.size() || bytes.size() - at < sizeof(T)) throw std::out_of_range("Poke past the end");
    Poke<T>(bytes.data(), at, value);
}

// A value's stored bytes.
template <class T>
std::vector<BYTE> LeBytes(T value) {
    std::vector<BYTE> bytes(sizeof value);
    Poke<T>(bytes.data(), 0, value);
    return bytes;
}

}  // namespace xprtest
