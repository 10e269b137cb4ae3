// Fixed-width values of either byte order from raw file bytes.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace section {

inline std::uint32_t load_u32(const unsigned char* p, bool big_endian) {
  return big_endian ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]
                    : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}
inline std::uint16_t load_u16(const unsigned char* p, bool big_endian) {
  return static_cast<std::uint16_t>(big_endian ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
}
inline std::int32_t load_i32(const unsigned char* p, bool big_endian) {
  return static_cast<std::int32_t>(load_u32(p, big_endian));
}
inline std::int16_t load_i16(const unsigned char* p, bool big_endian) {
  return static_cast<std::int16_t>(load_u16(p, big_endian));
}
inline float load_f32(const unsigned char* p, bool big_endian) { return std::bit_cast<float>(load_u32(p, big_endian)); }
inline double load_f64(const unsigned char* p, bool big_endian) {
  const std::uint64_t hi = load_u32(p + (big_endian ? 0 : 4), big_endian);
  const std::uint64_t lo = load_u32(p + (big_endian ? 4 : 0), big_endian);
  return std::bit_cast<double>((hi << 32) | lo);
}

}  // namespace section
