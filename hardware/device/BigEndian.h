#pragma once
// The board's driver requests carry records of 32-bit words (some with 16-
// and 8-bit fields) in the board's own byte order, big-endian. Records are
// built and read byte by byte through these helpers on every host, so the
// same code is right on the big-endian board and on a little-endian PC.
#include <cstddef>
#include <cstdint>

namespace Board {

inline void put_be32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline void put_be16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

inline std::uint32_t get_be32(std::uint8_t const* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

inline std::uint16_t get_be16(std::uint8_t const* p)
{
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

// A request record of N bytes, zero-filled, with field access by byte offset.
// Offsets are compile-time facts of each request; a field that would not fit
// the record is a programming error caught by the caller's tests.
template <std::size_t N>
struct Record {
    std::uint8_t bytes[N] = {};

    static constexpr std::size_t size() { return N; }
    std::uint8_t* data() { return bytes; }
    std::uint8_t const* data() const { return bytes; }

    void put32(std::size_t at, std::uint32_t v) { put_be32(bytes + at, v); }
    void put16(std::size_t at, std::uint16_t v) { put_be16(bytes + at, v); }
    void put8(std::size_t at, std::uint8_t v) { bytes[at] = v; }
    std::uint32_t get32(std::size_t at) const { return get_be32(bytes + at); }
    std::uint16_t get16(std::size_t at) const { return get_be16(bytes + at); }
    std::uint8_t get8(std::size_t at) const { return bytes[at]; }
};

} // namespace Board
