// Where the section goes on the page: the frame, the scales of its two
// axes (each spans its data at the frame's full size), round tick steps,
// and the height of the wiggles.
#pragma once

#include <string>
#include <vector>

namespace section {

// The largest magnitude of a time or distance the section draws: well
// inside single precision on the page, and far beyond any real record.
constexpr double kLargestAxisValue = 1e12;

// A linear axis: data value `low` at 0 cm, `high` at `length` cm.
struct AxisScale {
  double low = 0;
  double high = 1;
  double length = 1;
  double at(double v) const { return (v - low) / (high - low) * length; }
  double per_cm() const { return (high - low) / length; }
};

// The scale spanning [low, high] over `length` cm; an empty range is
// widened around its value.
AxisScale span_axis(double low, double high, double length);

// Ticks of an axis: numbered every `step` (1, 2 or 5 times a power of ten,
// or a clock step), unnumbered every `minor`, numbers with `decimals`
// places.
struct Ticks {
  double step = 1;
  double minor = 0.5;
  int decimals = 0;
  // The multiples of `spacing` inside the axis.
  std::vector<double> at(const AxisScale& axis, double spacing) const;
};

// The smallest round step whose numbered ticks lie at least `min_gap` cm
// apart.
Ticks round_ticks(const AxisScale& axis, double min_gap);
// The same for an axis of seconds labelled as clock time: 1, 2, 5, 10, 15,
// 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12 h (and decimal fractions
// of a second below one).
Ticks clock_ticks(const AxisScale& axis, double min_gap);
// A tick value with `decimals` places ("0", never "-0").
std::string tick_text(double value, int decimals);
// UTC time of day of `epoch` seconds: "HH:MM", "HH:MM:SS" or with
// `decimals` places of a second; `with_seconds` false drops them.
std::string clock_text(double epoch, int decimals, bool with_seconds);
// "YYYY-MM-DD" of `epoch` seconds, UTC.
std::string date_text(double epoch);

// The page, portrait A4, in centimetres: the frame holds the section, the
// numbers and axis titles go outside it, trace labels right of it (below
// it when time runs downwards), the title above.
struct PageLayout {
  static constexpr double kLeft = 2.6;    // left edge of the frame
  static constexpr double kBottom = 3.5;  // bottom edge of the frame
  static constexpr double kWidth = 15.0;
  static constexpr double kHeight = 22.0;
  static constexpr double kRight = kLeft + kWidth;
  static constexpr double kTop = kBottom + kHeight;
};

// The wiggles' height on the position axis.
struct TraceHeight {
  double spacing_cm = 1;  // the typical gap between neighbouring baselines
  double peak_cm = 0.5;   // how far the largest amplitude reaches
  double margin_cm = 0.5; // room between the frame and the outermost baselines
};

// Baselines at `places` (any order) on an axis of `length` cm: the typical
// gap is the lower quartile of the gaps between distinct neighbours, so
// that the wide gaps of an uneven network do not make the close traces
// cover each other; but never below a quarter of the mean gap, so that two
// traces at nearly one place do not flatten the rest.
// The peak reaches `scale` typical gaps, or `size_cm` when given; the
// outermost baselines keep half a typical gap (at most a quarter of the
// axis) inside the frame.
TraceHeight trace_height(std::vector<double> places, double length, double scale, const double* size_cm);

}  // namespace section
