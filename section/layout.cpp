#include "section/layout.hpp"

#include <cmath>

namespace section {

namespace {

// Whether `axis` prints the step exactly in its two-decimal numbers: the
// step scaled by the power of ten that axis chooses (below 99, at least
// 0.01) has at most two decimals.
int axis_exponent(double step) {
  double v = std::fabs(step);
  int exponent = 0;
  while (v >= 99) {
    v /= 10;
    ++exponent;
  }
  while (v < 0.01) {
    v *= 10;
    --exponent;
  }
  return exponent;
}

bool prints_exactly(double step) {
  const double hundredths = std::fabs(step) * std::pow(10.0, 2 - axis_exponent(step));
  return std::fabs(hundredths - std::round(hundredths)) < 1e-6 * hundredths;
}

// Whether the axis's end values fit its six-place numbers (else asterisks).
bool values_fit(const AxisScale& a) {
  const double scale = std::pow(10.0, -axis_exponent(a.step));
  const double first = a.first * scale;
  const double last = (a.first + a.length * a.step) * scale;
  const auto fits = [](double v) { return v > -99.995 && v < 999.995; };
  return fits(first) && fits(last);
}

}  // namespace

AxisScale fit_axis(double low, double high, int max_length) {
  if (!std::isfinite(low) || !std::isfinite(high) || std::fabs(low) > kLargestAxisValue ||
      std::fabs(high) > kLargestAxisValue) {
    return AxisScale{};  // callers keep their values within kLargestAxisValue
  }
  if (!(high > low)) {
    const double half = low != 0 ? std::fabs(low) * 0.5 : 1.0;
    low -= half;
    high += half;
  }
  const double per_cm = (high - low) / max_length;
  double decade = std::pow(10.0, std::floor(std::log10(per_cm)));
  static constexpr double kMultiples[] = {1, 1.5, 2, 2.5, 3, 4, 5, 6, 8};
  for (int attempt = 0; attempt < 8; ++attempt) {
    for (const double m : kMultiples) {
      AxisScale a;
      a.step = m * decade;
      if (!(a.step > 0) || !std::isfinite(a.step) || !prints_exactly(a.step)) continue;
      a.first = std::floor(low / a.step + 1e-9) * a.step;
      const double cm = (high - a.first) / a.step;
      if (!(cm <= max_length)) continue;
      a.length = static_cast<int>(std::ceil(cm - 1e-9));
      if (a.length < 2) a.length = 2;
      if (a.length <= max_length && values_fit(a)) return a;
    }
    decade *= 10;  // floor() of the start can cost one step more
  }
  AxisScale a;  // not reached for finite ranges
  a.step = (high - low) / (max_length - 1);
  a.first = low;
  a.length = max_length;
  return a;
}

}  // namespace section
