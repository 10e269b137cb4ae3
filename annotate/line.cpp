// Scaled data lines with markers (line), dashed data lines (dashl) and one
// dashed segment from the pen (dashp).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "classic/state.hpp"
#include "device/plot_state.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr float kMarkerHeight = 0.2032f;
constexpr float kDashLength = 0.254f;
constexpr float kNegligible = 1e-20f;
constexpr int kLastMarker = 14;
// Beyond 2^24 pieces a single-precision step no longer moves the pen
// reliably; a longer series of pieces would only repeat points.
constexpr std::int32_t kMostPieces = std::int32_t{1} << 24;

// A data series as laid out for scale(): `count` points at stride k, the
// scale pair at elements n and n + k (counted from 0), n = count * k.
class Series {
 public:
  // Empty unless stride and count are positive and both arrays hold the
  // data and the scale pair.
  Series(std::span<const float> xs, std::span<const float> ys, int count, int stride) {
    if (count <= 0 || stride <= 0) return;
    const std::uint64_t n = static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(stride);
    const std::uint64_t extent = n + static_cast<std::uint64_t>(stride) + 1;
    if (xs.size() < extent || ys.size() < extent) return;
    xs_ = xs;
    ys_ = ys;
    count_ = count;
    stride_ = static_cast<std::size_t>(stride);
    pair_ = static_cast<std::size_t>(n);
  }
  int count() const { return count_; }
  // Point i (0-based) in user units: (value - first_value) / delta_value.
  Point at(int i) const {
    const std::size_t e = static_cast<std::size_t>(i) * stride_;
    return {(xs_[e] - xs_[pair_]) / xs_[pair_ + stride_], (ys_[e] - ys_[pair_]) / ys_[pair_ + stride_]};
  }

 private:
  std::span<const float> xs_;
  std::span<const float> ys_;
  int count_ = 0;
  std::size_t stride_ = 1;
  std::size_t pair_ = 0;
};

std::span<const float> as_span(ArrayRef<const float> values) { return {values.data(), values.size()}; }

std::span<const float> fortran_array(const float* a, const int32_t* count, const int32_t* stride) {
  if (*count <= 0 || *stride <= 0) return {};
  const auto n = static_cast<std::size_t>(*count) * static_cast<std::size_t>(*stride);
  return {a, n + static_cast<std::size_t>(*stride) + 1};
}

}  // namespace

void line(ArrayRef<const float> xs, ArrayRef<const float> ys, int count, int stride, int line_type,
          int marker) {
  const Series series(as_span(xs), as_span(ys), count, stride);
  if (marker < 0 || marker > kLastMarker) marker = 0;
  const std::int64_t every = line_type == 0 ? 1 : std::abs(std::int64_t{line_type});
  // Without markers the counter starts beyond any count it could meet.
  std::int64_t counter = line_type == 0 ? std::int64_t{count} * stride + 1 + stride : every;
  int pen_code = 3;
  int symbol_count = -1;
  for (int i = 0; i < series.count(); ++i) {
    const Point p = series.at(i);
    if (counter > every) {
      plot(p.x, p.y, pen_code);
      ++counter;
    } else if (counter < every) {
      if (line_type >= 0) plot(p.x, p.y, pen_code);
      ++counter;
    } else {
      symbol(p.x, p.y, classic::annotation_length(kMarkerHeight), marker, 0.0f, symbol_count);
      counter = 1;
    }
    if (line_type >= 0) {
      pen_code = 2;
      symbol_count = -2;
    }
  }
}

void dashl(ArrayRef<const float> xs, ArrayRef<const float> ys, int count, int stride) {
  const Series series(as_span(xs), as_span(ys), count, stride);
  if (series.count() == 0) return;
  const Where pen = where();
  const Point first = series.at(0);
  const Point last = series.at(series.count() - 1);
  const float d1 = std::max(std::fabs(first.x - pen.x), std::fabs(first.y - pen.y));
  const float d2 = std::max(std::fabs(last.x - pen.x), std::fabs(last.y - pen.y));
  const bool forwards = d2 >= d1;
  for (int j = 0; j < series.count(); ++j) {
    const Point p = series.at(forwards ? j : series.count() - 1 - j);
    if (j > 0) dashp(p.x, p.y, classic::annotation_length(kDashLength));
    plot(p.x, p.y, 3);
  }
}

void dashp(float x, float y, float dash_length) {
  if (dash_length <= kNegligible) {
    plot(x, y, 2);
    return;
  }
  const Where pen = where();
  float px = pen.x;
  float py = pen.y;
  const float distance = std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
  float piece = dash_length;
  if (2.0f * dash_length > distance) piece = distance / 2.0f;
  if (distance < kNegligible) return;
  if (!std::isfinite(distance)) {
    // Too far to cut into pieces: drawn solid (and dropped by the device
    // when the end point itself is not finite).
    plot(x, y, 2);
    return;
  }
  const std::int32_t pieces = std::min(device::truncate_saturating(distance / piece), kMostPieces);
  const float m = static_cast<float>(pieces);
  const float step_x = (x - px) / m;
  const float step_y = (y - py) / m;
  int pen_code = 2;
  for (std::int32_t i = 0; i < pieces; ++i) {
    px = px + step_x;
    py = py + step_y;
    plot(px, py, pen_code);
    pen_code = 5 - pen_code;  // drawn, skipped, drawn, ...
  }
  plot(x, y, pen_code);
}

}  // namespace plume

extern "C" {
void line_(const float* xs, const float* ys, const int32_t* count, const int32_t* stride, const int32_t* line_type,
           const int32_t* marker) {
  plume::line(plume::fortran_array(xs, count, stride), plume::fortran_array(ys, count, stride), *count, *stride,
              *line_type, *marker);
}
void dashl_(const float* xs, const float* ys, const int32_t* count, const int32_t* stride) {
  plume::dashl(plume::fortran_array(xs, count, stride), plume::fortran_array(ys, count, stride), *count, *stride);
}
void dashp_(const float* x, const float* y, const float* dash_length) { plume::dashp(*x, *y, *dash_length); }
}
