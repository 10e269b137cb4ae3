// Where the section goes on the page: round axis steps, the time and
// distance scales, and the trace spacing.
#pragma once

namespace section {

// An axis as `axis` draws it: `length` whole centimetres from `first`,
// `step` data units per centimetre.
struct AxisScale {
  double first = 0;
  double step = 1;
  int length = 2;
  // Centimetres from the axis start to the value v.
  double at(double v) const { return (v - first) / step; }
};

// The smallest step of 1, 2 or 5 times a power of ten that fits the range
// [low, high] into at most `max_length` centimetres; the axis starts at a
// whole step at or below `low` and ends at or above `high`. An empty range
// is widened around its value.
AxisScale fit_axis(double low, double high, int max_length);

// Page layout in centimetres, portrait A4.
struct PageLayout {
  static constexpr double kLeft = 2.5;      // time axis start, distance axis x
  static constexpr double kBottom = 3.0;    // distance axis start, time axis y
  static constexpr int kMaxWidth = 15;      // time axis, centimetres
  static constexpr int kMaxHeight = 22;     // distance axis, centimetres
  static constexpr double kTitleGap = 0.8;  // above the top of the frame
};

}  // namespace section
