// The plot state: seven process-wide records (declared in plume/records.h
// under their COMMON block names) and the conversions every routine shares.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "plume/records.h"

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

}  // namespace plume::device
