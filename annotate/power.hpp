// Single-precision powers of ten as the Fortran runtime computes
// real ** integer, shared by the axis and scaling routines.
#pragma once

#include <algorithm>
#include <cstdint>

namespace plume::annotate {

// Repeated squaring, a negative power as the reciprocal of the positive one.
inline float ten_to(std::int64_t e) {
  // Beyond +-100 single precision holds only infinity or zero anyway.
  e = std::clamp<std::int64_t>(e, -100, 100);
  std::uint64_t u = static_cast<std::uint64_t>(e < 0 ? -e : e);
  float result = 1.0f;
  float base = 10.0f;
  while (u != 0) {
    if ((u & 1u) != 0) result *= base;
    u >>= 1;
    if (u != 0) base *= base;
  }
  return e < 0 ? 1.0f / result : result;
}

}  // namespace plume::annotate
