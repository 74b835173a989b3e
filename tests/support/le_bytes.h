// Little-endian values at byte positions of a file read into a string, for
// tests that check binary layouts byte by byte. Positions past the end
// throw std::out_of_range.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

namespace avelor::testing {

inline std::int32_t i32_at(const std::string& bytes, std::int64_t pos)
{
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | static_cast<unsigned char>(bytes.at(static_cast<std::size_t>(pos + i)));
    return static_cast<std::int32_t>(u);
}

inline std::int16_t i16_at(const std::string& bytes, std::int64_t pos)
{
    const auto lo = static_cast<unsigned char>(bytes.at(static_cast<std::size_t>(pos)));
    const auto hi = static_cast<unsigned char>(bytes.at(static_cast<std::size_t>(pos + 1)));
    return static_cast<std::int16_t>(lo | (hi << 8));
}

inline float f32_at(const std::string& bytes, std::int64_t pos) { return std::bit_cast<float>(i32_at(bytes, pos)); }

}  // namespace avelor::testing
