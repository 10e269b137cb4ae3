#include "section/processing.hpp"

#include <algorithm>
#include <array>
#include <utility>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <numeric>
#include <span>
#include <stdexcept>

namespace section {
namespace {

void remove_mean(std::span<double> x) {
  const double mean = std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size());
  for (double& v : x) v -= mean;
}

// The least-squares line through the samples, taken away.
void remove_trend(std::span<double> x) {
  const double centre = 0.5 * static_cast<double>(x.size() - 1);
  double sum = 0, moment = 0, spread = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double t = static_cast<double>(i) - centre;
    sum += x[i];
    moment += t * x[i];
    spread += t * t;
  }
  const double mean = sum / static_cast<double>(x.size());
  const double slope = spread > 0 ? moment / spread : 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) x[i] -= mean + slope * (static_cast<double>(i) - centre);
}

// A Tukey window: the first and last `fraction` of the trace rise and fall
// as half a cosine, the rest is left as it is.
void taper(std::span<double> x, double fraction) {
  const std::size_t n = x.size();
  if (n < 2 || fraction <= 0) return;
  const double alpha = 2.0 * fraction;
  const double ramp = alpha * static_cast<double>(n - 1);
  const auto width = static_cast<std::size_t>(std::floor(ramp / 2.0));
  for (std::size_t i = 0; i <= width && i < n; ++i) {
    const double w = 0.5 * (1.0 + std::cos(std::numbers::pi * (-1.0 + 2.0 * static_cast<double>(i) / ramp)));
    x[i] *= w;
    if (n - 1 - i > width) x[n - 1 - i] *= w;
  }
}

// Cumulative trapezoids from 0.
void integrate(std::span<double> x, double dt) {
  double previous = x[0];
  x[0] = 0;
  for (std::size_t i = 1; i < x.size(); ++i) {
    const double current = x[i];
    x[i] = x[i - 1] + 0.5 * dt * (previous + current);
    previous = current;
  }
}

// Central differences inside, one-sided ones at both ends.
void differentiate(std::span<double> x, double dt) {
  const std::size_t n = x.size();
  if (n < 2) {
    x[0] = 0;
    return;
  }
  double before = x[0];
  x[0] = (x[1] - x[0]) / dt;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double current = x[i];
    x[i] = (x[i + 1] - before) / (2.0 * dt);
    before = current;
  }
  x[n - 1] = (x[n - 1] - before) / dt;
}

// Transposed direct form II: two state values per section.
struct State {
  double z0 = 0, z1 = 0;
};

// The whole cascade, sample by sample: the recursions of the sections are
// independent of each other within a sample, so they overlap in the
// processor instead of each waiting on its own previous output. With the
// number of sections fixed at compile time, coefficients and states stay
// in registers.
template <std::size_t N, typename It>
void run_fixed(const Biquad* sections, State* states, It first, It last) {
  std::array<Biquad, N> s;
  std::array<State, N> st;
  std::copy_n(sections, N, s.begin());
  std::copy_n(states, N, st.begin());
  for (; first != last; ++first) {
    double v = *first;
    for (std::size_t k = 0; k < N; ++k) {
      const double out = s[k].b0 * v + st[k].z0;
      st[k].z0 = (s[k].b1 * v + st[k].z1) - s[k].a1 * out;
      st[k].z1 = s[k].b2 * v - s[k].a2 * out;
      v = out;
    }
    *first = v;
  }
  std::copy_n(st.begin(), N, states);
}

template <typename It, std::size_t... N>
void run_cascade(const std::vector<Biquad>& sections, std::vector<State>& states, It first, It last,
                 std::index_sequence<N...>) {
  using Run = void (*)(const Biquad*, State*, It, It);
  static constexpr Run runs[] = {run_fixed<N + 1, It>...};
  runs[sections.size() - 1](sections.data(), states.data(), first, last);
}

// A bandpass of the highest order has the most sections: one per order.
template <typename It>
void run_cascade(const std::vector<Biquad>& sections, std::vector<State>& states, It first, It last) {
  if (sections.empty() || sections.size() > kMaxFilterOrder) throw std::invalid_argument("filter sections out of range");
  run_cascade(sections, states, first, last, std::make_index_sequence<kMaxFilterOrder>{});
}

// The states each section holds in the steady state of a unit step, so a
// pass that starts at the level of its first sample starts without a jump.
std::vector<State> step_states(const std::vector<Biquad>& sections) {
  std::vector<State> states;
  double level = 1.0;  // the step as it reaches this section
  for (const Biquad& s : sections) {
    const double gain = (s.b0 + s.b1 + s.b2) / (1.0 + s.a1 + s.a2);
    states.push_back({level * (s.b1 + s.b2 - (s.a1 + s.a2) * gain), level * (s.b2 - s.a2 * gain)});
    level *= gain;
  }
  return states;
}

std::vector<State> scaled(const std::vector<State>& states, double by) {
  std::vector<State> out;
  for (const State& s : states) out.push_back({s.z0 * by, s.z1 * by});
  return out;
}

void filter_causal(std::span<double> x, const std::vector<Biquad>& sections) {
  std::vector<State> rest(sections.size());
  run_cascade(sections, rest, x.begin(), x.end());
}

// Forward and backward, so the phase cancels. The trace is extended at
// each end by its point reflection (2 x[0] - x[i]) over three times the
// filter's length, and each pass starts in the steady state of its first
// value: the ends neither ring nor jump. Only the extensions are held
// beside the trace.
void filter_zero_phase(std::span<double> x, const std::vector<Biquad>& sections) {
  const std::size_t n = x.size();
  const bool first_order = std::any_of(sections.begin(), sections.end(),
                                       [](const Biquad& s) { return s.b2 == 0 && s.a2 == 0; });
  const std::size_t taps = 2 * sections.size() + 1 - (first_order ? 1 : 0);
  const std::size_t pad = std::min(3 * taps, n - 1);
  std::vector<double> left(pad), right(pad);
  for (std::size_t i = 0; i < pad; ++i) {
    left[i] = 2.0 * x[0] - x[pad - i];
    right[i] = 2.0 * x[n - 1] - x[n - 2 - i];
  }
  const std::vector<State> steady = step_states(sections);
  std::vector<State> states = scaled(steady, pad > 0 ? left[0] : x[0]);
  run_cascade(sections, states, left.begin(), left.end());
  run_cascade(sections, states, x.begin(), x.end());
  run_cascade(sections, states, right.begin(), right.end());
  // Backwards, the left extension's outputs would be cut off: it is not run.
  states = scaled(steady, pad > 0 ? right.back() : x[n - 1]);
  run_cascade(sections, states, right.rbegin(), right.rend());
  run_cascade(sections, states, x.rbegin(), x.rend());
}

std::string hz(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g Hz", value);
  return text;
}

}  // namespace

std::string processing_problem(const Processing& p, double interval) {
  if (!(p.taper >= 0 && p.taper <= 0.5)) return "the taper fraction must lie between 0 and 0.5";
  if (p.integrate && p.differentiate) return "a trace is integrated or differentiated, not both";
  if (!p.filter) return {};
  const Filter& f = *p.filter;
  if (f.order < 1 || f.order > kMaxFilterOrder) return "the filter order must lie between 1 and 10";
  if (!(interval > 0) || !std::isfinite(interval)) return "the sample interval is not a positive number";
  const double nyquist = 0.5 / interval;
  const bool low = f.kind != Filter::Kind::lowpass;
  const bool high = f.kind != Filter::Kind::highpass;
  if (low && !(f.low_hz > 0)) return "the filter corner " + hz(f.low_hz) + " must be above 0";
  if (high && !(f.high_hz > 0)) return "the filter corner " + hz(f.high_hz) + " must be above 0";
  if (low && high && !(f.low_hz < f.high_hz)) return "the band's corners must be in rising order";
  for (const double corner : {low ? f.low_hz : 0.0, high ? f.high_hz : 0.0}) {
    if (corner >= nyquist) {
      return "the filter corner " + hz(corner) + " is not below the Nyquist frequency " + hz(nyquist) +
             " of a sample interval of " + std::to_string(interval) + " s";
    }
  }
  return {};
}

void process(std::vector<double>& samples, double interval, const Processing& p) {
  if (const std::string problem = processing_problem(p, interval); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (samples.empty()) return;
  const std::span<double> x(samples);
  if (p.demean) remove_mean(x);
  if (p.detrend) remove_trend(x);
  if (p.taper > 0) taper(x, p.taper);
  if (p.filter) {
    const std::vector<Biquad> sections = butterworth(*p.filter, interval);
    if (p.filter->zero_phase) {
      filter_zero_phase(x, sections);
    } else {
      filter_causal(x, sections);
    }
  }
  if (p.integrate) integrate(x, interval);
  if (p.differentiate) differentiate(x, interval);
}

}  // namespace section
