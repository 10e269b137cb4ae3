// Axis scaling: a round first value and increment per user unit for a data
// series, stored behind the data where axis, line and dashl read them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "annotate/power.hpp"
#include "device/plot_state.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

// Interval multipliers. The first seven are the documented table; they fit
// every axis of about 0.1 units and longer. Shorter axes can need wider steps,
// so the table goes on in the same pattern up to 100, the widest step that
// any axis needs (its decade start always fits). The search stops there.
constexpr std::array<float, 11> kNiceSteps = {1.0f, 2.0f, 4.0f, 5.0f, 8.0f, 10.0f, 20.0f,
                                              40.0f, 50.0f, 80.0f, 100.0f};
constexpr std::size_t kStartCandidates = 6;  // the start step is one of the first six

constexpr float kTolerance = 0.01f;
constexpr float kLog10Factor = 0.4343f;
constexpr float kFloorBias = 1000.0f;
constexpr float kLongestAxis = 32767.0f;

std::int64_t decade_of(float d) {
  const float biased = kLog10Factor * std::log(d) + kFloorBias;
  return std::int64_t{device::truncate_saturating(biased)} - 1000;
}

std::size_t start_step(float r) {
  for (std::size_t j = 0; j < kStartCandidates; ++j) {
    if (kNiceSteps[j] >= r) return j;
  }
  return kStartCandidates - 1;
}

struct Fit {
  float first;
  float delta;
};

// The first step (from the start index on) whose interval-rounded or
// decade-rounded start covers the data within the axis length.
Fit fit(float ymin, float ymax, float length, float p, float t, std::size_t j) {
  for (;; ++j) {
    const float d = kNiceSteps[j] * p;
    float f = std::trunc(ymin / d + t) * d;
    if (f + (length + kTolerance) * d >= ymax) return {f, d};
    f = std::trunc(ymin / p + t) * p;
    if (f + (length + kTolerance) * d >= ymax) return {f, d};
    if (j + 1 == kNiceSteps.size()) return {f, d};  // reached only when the arithmetic overflowed
  }
}

}  // namespace

void scale(ArrayRef<float> values, float axis_length, int count, int stride) {
  // Results stand at elements n + 1 and n + 1 + k (counted from 1): a
  // negative count would put them before the array, a short span past it.
  if (count < 0) return;
  const std::int64_t k = std::abs(std::int64_t{stride});
  const std::int64_t n = std::int64_t{count} * k;
  if (values.size() < static_cast<std::uint64_t>(n + 1 + k)) return;

  // A length of 0 (or not a number) is drawn like a negative one, as 1.0.
  float length = axis_length;
  if (!(length > 0.0f)) length = 1.0f;
  if (length > kLongestAxis) length = kLongestAxis;

  float ymin = values[0];
  float ymax = ymin;
  for (std::int64_t i = 0; i < n; i += k) {
    const float v = values[static_cast<std::size_t>(i)];
    if (v < ymin) {
      ymin = v;
    } else if (v > ymax) {
      ymax = v;
    }
  }

  // Adding t before truncating makes the truncation a floor that forgives
  // one hundredth of an interval.
  float t = kTolerance;
  if (ymin < 0.0f) t = kTolerance - 1.0f;

  float d = (ymax - ymin) / length;
  if (d <= 0.0f) d = std::fabs(2.0f * ymin / length) + 1.0f;
  const float p = annotate::ten_to(decade_of(d));
  const float r = d / p - kTolerance;

  auto [f, step] = fit(ymin, ymax, length, p, t, start_step(r));
  // Centre the data: move the start down by half the free whole intervals.
  f = f - std::trunc(((f - ymax) / step + length) / 2.0f) * step;
  if (ymin * f <= 0.0f) f = 0.0f;
  if (stride <= 0) {
    f = f + std::trunc(length + 0.5f) * step;
    step = -step;
  }
  values[static_cast<std::size_t>(n)] = f;
  values[static_cast<std::size_t>(n + k)] = step;
}

}  // namespace plume

extern "C" void scale_(float* values, const float* axis_length, const int32_t* count, const int32_t* stride) {
  // The caller's array holds the data and the scale pair behind it.
  std::size_t extent = 0;
  if (*count >= 0) {
    const std::int64_t k = std::abs(std::int64_t{*stride});
    extent = static_cast<std::size_t>(std::int64_t{*count} * k + 1 + k);
  }
  plume::scale(std::span<float>(values, extent), *axis_length, *count, *stride);
}
