// Labelled axes: a tick at every whole user unit, the value of each tick, a
// centred label and, for values too large or small for the number field, a
// power-of-ten note behind the label.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "annotate/field.hpp"
#include "annotate/power.hpp"
#include "classic/state.hpp"
#include "device/plot_state.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

// The axis dimensions: centimetres multiplied by 2.54, or in a classic plot
// in inches the constants as they stand.
float unit_factor() { return classic::annotation_length(2.54f); }
constexpr float kDegreesToRadians = 0.017453294f;
constexpr float kLimit = 32767.0f;
constexpr float kShortestAxis = 2.0f;
constexpr int kTickFormat = 62;      // six places, two decimals
constexpr int kExponentFormat = -5;  // an integer in five places
constexpr std::string_view kPowerMarker = "*10 ";

AxisNumbering g_numbering = AxisNumbering::every_tick;

struct Direction {
  float c;
  float s;
};

// P + along * (c, s) + across * (-s, c).
Point offset(Point p, Direction d, float along, float across) {
  return {p.x + along * d.c - across * d.s, p.y + along * d.s + across * d.c};
}

Direction direction_of(float a) {
  if (a == 0.0f) return {1.0f, 0.0f};
  if (a == 90.0f) return {0.0f, 1.0f};
  if (a == 180.0f) return {-1.0f, 0.0f};
  if (a == 270.0f) return {0.0f, -1.0f};
  return {std::cos(a * kDegreesToRadians), std::sin(a * kDegreesToRadians)};
}

// The power of ten that brings |delta| into 0.01 .. 99. An increment that is
// infinite or not a number has no such power (the search would not end).
int exponent_of(float delta) {
  int exponent = 0;
  float v = std::fabs(delta);
  if (v == 0.0f || !std::isfinite(v)) return 0;
  while (v >= 99.0f) {
    v = v / 10.0f;
    ++exponent;
  }
  while (v < 0.01f) {
    v = v * 10.0f;
    --exponent;
  }
  return exponent;
}

float clamp_position(float v) {
  if (v < -kLimit) return -kLimit;
  if (v > kLimit) return kLimit;
  return v;
}

struct AxisFrame {
  Point start;
  Direction dir;
  float angle;  // the reduced angle
  float length;
  float side;   // +1: anticlockwise side, -1: clockwise side
};

void draw_label(const AxisFrame& f, std::string_view label, std::int64_t count, int exponent) {
  const std::int64_t m = exponent != 0 ? count + 7 : count;
  const float label_height = 0.14f * unit_factor();
  const float along = f.length / 2.0f - 0.07f * unit_factor() * static_cast<float>(m);
  const float across = 0.325f * unit_factor() * f.side - 0.075f * unit_factor();
  const Point at = offset(f.start, f.dir, along, across);
  const int n = static_cast<int>(count);
  symbol(at.x, at.y, label_height, label, f.angle, n);
  if (exponent == 0) return;
  const Point marker = offset(at, f.dir, static_cast<float>(count + 2) * label_height, 0.0f);
  symbol(marker.x, marker.y, label_height, kPowerMarker, f.angle, 3);
  const Point power = offset(marker, f.dir, label_height * 3.0f, label_height * (0.8f * unit_factor()));
  annotate::field_number(power.x, power.y, 0.07f * unit_factor(), static_cast<float>(exponent), f.angle, kExponentFormat);
}

void draw_line_and_ticks(const AxisFrame& f, std::int32_t ticks) {
  plot(f.start.x + f.length * f.dir.c, f.start.y + f.length * f.dir.s, 3);
  const float far = static_cast<float>(ticks - 1);
  Point q{f.start.x + far * f.dir.c, f.start.y + far * f.dir.s};
  const float tick = 0.07f * unit_factor() * f.side;
  const Point t{-tick * f.dir.s, tick * f.dir.c};
  for (std::int32_t i = 0; i < ticks; ++i) {
    plot(q.x, q.y, 2);
    plot(q.x + t.x, q.y + t.y, 2);
    plot(q.x, q.y, 2);
    q.x = q.x - f.dir.c;
    q.y = q.y - f.dir.s;
  }
}

}  // namespace

void axis_numbering(AxisNumbering mode) { g_numbering = mode; }

void axis(float x, float y, std::string_view label, int label_count, float axis_length, float angle,
          float first_value, float delta_value) {
  AxisFrame f{};
  f.start = {clamp_position(x), clamp_position(y)};
  f.length = axis_length;
  if (f.length < kShortestAxis) f.length = kShortestAxis;
  if (f.length > kLimit) f.length = kLimit;
  f.angle = angle - std::trunc(angle / 360.0f) * 360.0f;
  f.side = label_count < 0 ? -1.0f : 1.0f;
  const std::int64_t count = std::min<std::int64_t>(std::abs(std::int64_t{label_count}), INT32_MAX);
  f.dir = direction_of(f.angle);

  const int exponent = exponent_of(delta_value);
  const float unscale = annotate::ten_to(-exponent);
  float value = first_value * unscale;
  const float step = delta_value * unscale;

  const std::int32_t ticks = device::truncate_saturating(f.length + 1.0f);
  std::int32_t label_countdown = ticks / 2;
  const bool alternate = g_numbering == AxisNumbering::alternate_ticks;
  const float number_height = alternate ? 0.075f * unit_factor() : classic::annotation_length(0.105f);
  Point at = offset(f.start, f.dir, -0.1f * unit_factor(), 0.15f * unit_factor() * f.side - 0.05f * unit_factor());
  for (std::int32_t i = 1; i <= ticks; ++i) {
    if (!alternate || i % 2 == 0) annotate::field_number(at.x, at.y, number_height, value, f.angle, kTickFormat);
    value = value + step;
    at.x = at.x + f.dir.c;
    at.y = at.y + f.dir.s;
    if (label_countdown == 0) draw_label(f, label, count, exponent);
    --label_countdown;
  }
  draw_line_and_ticks(f, ticks);
}

}  // namespace plume

extern "C" {
void axis_(const float* x, const float* y, const char* label, const int32_t* label_count,
           const float* axis_length, const float* angle, const float* first_value, const float* delta_value,
           size_t /*label_len*/) {
  // The count says how long the label is; a count of 0 draws its first character.
  const std::int64_t count = std::abs(std::int64_t{*label_count});
  const auto used = static_cast<std::size_t>(std::max<std::int64_t>(count, 1));
  plume::axis(*x, *y, std::string_view(label, used), *label_count, *axis_length, *angle, *first_value,
              *delta_value);
}
void axmode_(const int32_t* mode) {
  plume::axis_numbering(*mode == 1 ? plume::AxisNumbering::alternate_ticks : plume::AxisNumbering::every_tick);
}
}
