// Where the section goes on the page: round axis steps, the time and
// distance scales, and the trace spacing.
#pragma once

namespace section {

// The largest magnitude of a time or distance the section draws: well
// inside single precision, and far beyond any real record.
constexpr double kLargestAxisValue = 1e12;

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
  static constexpr double kTop = 25.5;      // top of the frame; the title goes above
  static constexpr int kMaxWidth = 15;      // time axis, centimetres
  static constexpr int kMaxHeight = 22;     // distance axis, centimetres
  // The time axis (and the distance axis's start) hangs below the top by
  // the distance axis's length.
  static double bottom(int distance_length) { return kTop - distance_length; }
  static constexpr double kTitleGap = 0.8;  // above the top of the frame
};

}  // namespace section
