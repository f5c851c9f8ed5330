// Takes small choices (sizes, flags, ids) off the front of a fuzz input, leaving the rest as the
// bytes under test. Missing bytes read as zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace fuzz {

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t Byte() { return m_position < m_size ? m_data[m_position++] : 0; }
    uint16_t Word() { return uint16_t(Byte() | Byte() << 8); }
    uint32_t Dword() { return uint32_t(Word()) | uint32_t(Word()) << 16; }
    std::span<const uint8_t> Rest() const { return {m_data + m_position, m_size - m_position}; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

}  // namespace fuzz
