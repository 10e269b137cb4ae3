#include "section/layout.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace section {
namespace {

// Decimal places a step of 1, 2 or 5 times 10^k needs.
int decimals_of(double step) {
  const int places = static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  return std::clamp(places, 0, 12);
}

// The minor step below a numbered step: fifths of 1 and 5, quarters of 2.
double minor_of(double step, double mantissa) { return mantissa == 2 ? step / 4 : step / 5; }

// The smallest step of mantissas x 10^k at least `least`.
Ticks smallest_round(double least) {
  static constexpr double kMantissas[] = {1, 2, 5};
  double decade = std::pow(10.0, std::floor(std::log10(least)));
  for (int attempt = 0; attempt < 3; ++attempt, decade *= 10) {
    for (const double m : kMantissas) {
      const double step = m * decade;
      if (step >= least * (1 - 1e-12)) return {step, minor_of(step, m), decimals_of(step)};
    }
  }
  return {decade, decade / 5, decimals_of(decade)};
}

}  // namespace

AxisScale span_axis(double low, double high, double length) {
  if (!(high > low)) {
    const double half = std::max(std::fabs(low) * 0.05, 0.5);
    low -= half;
    high += half;
  }
  return {low, high, length};
}

std::vector<double> Ticks::at(const AxisScale& axis, double spacing) const {
  std::vector<double> values;
  const double slack = 1e-9 * (axis.high - axis.low);
  const double first = std::ceil((axis.low - slack) / spacing);
  const double last = std::floor((axis.high + slack) / spacing);
  if (!(last - first < 1e4)) return values;  // never this many on 22 cm
  for (double k = first; k <= last; ++k) values.push_back(k * spacing);
  return values;
}

Ticks round_ticks(const AxisScale& axis, double min_gap) { return smallest_round(min_gap * axis.per_cm()); }

Ticks clock_ticks(const AxisScale& axis, double min_gap) {
  const double least = min_gap * axis.per_cm();
  if (least < 1) return smallest_round(least);
  // Seconds, with the minor step of each.
  static constexpr double kSteps[][2] = {{1, 0.2},     {2, 0.5},       {5, 1},       {10, 2},       {15, 5},
                                         {30, 5},      {60, 10},       {120, 30},    {300, 60},     {600, 120},
                                         {900, 300},   {1800, 300},    {3600, 600},  {7200, 1800},  {10800, 3600},
                                         {21600, 3600}, {43200, 10800}, {86400, 21600}};
  for (const auto& s : kSteps) {
    if (s[0] >= least) return {s[0], s[1], 0};
  }
  Ticks days = smallest_round(least / 86400);
  days.step *= 86400;
  days.minor *= 86400;
  days.decimals = 0;
  return days;
}

std::string tick_text(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
  return s;
}

std::string clock_text(double epoch, int decimals, bool with_seconds) {
  const double scale = std::pow(10.0, decimals);
  const double rounded = std::round(epoch * scale) / scale;
  const double day_seconds = rounded - 86400.0 * std::floor(rounded / 86400.0);
  const auto whole = static_cast<long>(std::floor(day_seconds));
  char text[48];
  if (!with_seconds) {
    std::snprintf(text, sizeof text, "%02ld:%02ld", whole / 3600, whole / 60 % 60);
  } else if (decimals == 0) {
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    const double seconds = day_seconds - 60.0 * static_cast<double>(whole / 60);
    std::snprintf(text, sizeof text, "%02ld:%02ld:%0*.*f", whole / 3600, whole / 60 % 60, decimals + 3, decimals,
                  seconds);
  }
  return text;
}

std::string date_text(double epoch) {
  const auto seconds = static_cast<std::time_t>(std::floor(epoch));
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
  return text;
}

TraceHeight trace_height(std::vector<double> places, double length, double scale, const double* size_cm) {
  std::sort(places.begin(), places.end());
  std::vector<double> gaps;
  for (std::size_t i = 1; i < places.size(); ++i) {
    if (places[i] > places[i - 1]) gaps.push_back(places[i] - places[i - 1]);
  }
  const double quarter = length / 4;
  TraceHeight h;
  if (gaps.empty()) {  // one baseline (or all at one place): it stands in the middle
    h.spacing_cm = quarter;
    h.peak_cm = size_cm ? *size_cm : scale * h.spacing_cm;
    h.margin_cm = length / 2;
    return h;
  }
  // The lower quartile of the gaps: close traces keep apart while a
  // single pair of very close ones does not flatten every wiggle.
  const std::size_t typical = (gaps.size() - 1) / 4;
  std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(typical), gaps.end());
  // The typical gap as a fraction of the baselines' span, at least a
  // quarter of the mean gap: two traces at nearly one place do not flatten
  // all the others.
  const double span = places.back() - places.front();
  const double q = std::max(gaps[typical], 0.25 * span / static_cast<double>(places.size() - 1)) / span;
  // spacing = q * (length - 2 * margin), the margin half a spacing: the
  // layout stays the same whatever the wiggles' height.
  h.spacing_cm = q * length / (1 + q);
  h.margin_cm = std::min(h.spacing_cm / 2, quarter);
  h.spacing_cm = q * (length - 2 * h.margin_cm);
  h.peak_cm = size_cm ? *size_cm : scale * h.spacing_cm;
  return h;
}

}  // namespace section
