// The plot state: seven process-wide records (declared in plume/records.h
// under their COMMON block names) and the conversions every routine shares.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "plume/records.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plume::device {

// Page coordinate of a user coordinate, rounded to single precision.
inline float page_x(float x) { return a00000_.units_scale * x + p00001_.origin_x; }
inline float page_y(float y) { return a00000_.units_scale * y + p00001_.origin_y; }

// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
inline std::int32_t truncate_saturating(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// The same for a value known to be finite (a page point, a segment start).
// On x86 the truncating conversion gives INT32_MIN for any value out of
// range, and only that result needs a second look.
inline std::int32_t truncate_finite(double v) {
#if defined(__SSE2__)
  const std::int32_t t = _mm_cvttsd_si32(_mm_set_sd(v));
  if (t == std::numeric_limits<std::int32_t>::min()) [[unlikely]] return v > 0 ? std::numeric_limits<std::int32_t>::max() : t;
  return t;
#else
  return truncate_saturating(v);
#endif
}
inline std::int32_t truncate_finite(float v) { return truncate_finite(static_cast<double>(v)); }

// Truncation toward zero of a value known to lie within the 32-bit range
// except for rare cases, which give false (and INT32_MIN itself gives false
// too: the caller takes its general route then).
inline bool truncate_if_in_range(double v, std::int32_t& out) {
#if defined(__SSE2__)
  out = _mm_cvttsd_si32(_mm_set_sd(v));  // INT32_MIN when out of range or NaN
  return out != std::numeric_limits<std::int32_t>::min();
#else
  if (!(std::fabs(v) < 2147483647.0)) return false;
  out = static_cast<std::int32_t>(v);
  return true;
#endif
}

}  // namespace plume::device
