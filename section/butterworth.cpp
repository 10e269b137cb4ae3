// Butterworth design as in every signal-processing text: the analog
// prototype's poles on the left unit half-circle, moved to the prewarped
// corners (lowpass, highpass or bandpass), mapped by the bilinear transform
// and grouped into second-order sections.
#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "section/processing.hpp"

namespace section {
namespace {

using Complex = std::complex<double>;
constexpr double kBilinear = 4.0;  // 2 * fs, with frequencies normalised to fs = 2

// Poles of the order-n analog lowpass prototype with corner 1 rad/s.
std::vector<Complex> prototype_poles(int n) {
  std::vector<Complex> poles;
  for (int m = -n + 1; m < n; m += 2) {
    poles.push_back(-std::exp(Complex(0.0, std::numbers::pi * m / (2.0 * n))));
  }
  return poles;
}

// A corner in Hz as the analog frequency the bilinear transform maps onto it.
double prewarped(double hz, double interval) { return kBilinear * std::tan(std::numbers::pi * hz * interval); }

struct AnalogFilter {
  std::vector<Complex> poles;
  int zeros_at_origin = 0;
  double gain = 1.0;
};

AnalogFilter analog(const Filter& f, double interval) {
  AnalogFilter a;
  const std::vector<Complex> proto = prototype_poles(f.order);
  switch (f.kind) {
    case Filter::Kind::lowpass: {
      const double wo = prewarped(f.high_hz, interval);
      for (const Complex p : proto) a.poles.push_back(p * wo);
      a.gain = std::pow(wo, f.order);
      break;
    }
    case Filter::Kind::highpass: {
      const double wo = prewarped(f.low_hz, interval);
      for (const Complex p : proto) a.poles.push_back(wo / p);
      a.zeros_at_origin = f.order;  // the prototype's poles multiply to 1: the gain stays 1
      break;
    }
    case Filter::Kind::bandpass: {
      const double w1 = prewarped(f.low_hz, interval);
      const double w2 = prewarped(f.high_hz, interval);
      const double wo = std::sqrt(w1 * w2);
      const double bw = w2 - w1;
      for (const Complex p : proto) {
        const Complex scaled = p * (bw / 2.0);
        const Complex root = std::sqrt(scaled * scaled - wo * wo);
        a.poles.push_back(scaled + root);
        a.poles.push_back(scaled - root);
      }
      a.zeros_at_origin = f.order;
      a.gain = std::pow(bw, f.order);
      break;
    }
  }
  return a;
}

bool is_real(Complex p) { return std::fabs(p.imag()) <= 1e-12 * (1.0 + std::abs(p)); }

}  // namespace

std::vector<Biquad> butterworth(const Filter& f, double interval) {
  if (f.order < 1 || f.order > kMaxFilterOrder) throw std::invalid_argument("filter order out of range");
  const AnalogFilter a = analog(f, interval);
  // Bilinear transform: s -> 4 (z - 1) / (z + 1). Zeros at the origin go to
  // z = 1, those at infinity to z = -1.
  std::vector<Complex> poles;
  Complex gain = a.gain;
  for (int i = 0; i < a.zeros_at_origin; ++i) gain *= kBilinear;
  for (const Complex p : a.poles) {
    poles.push_back((kBilinear + p) / (kBilinear - p));
    gain /= kBilinear - p;
  }
  // Sections by pole pair: conjugates (the upper one stands for both), then
  // the real poles two by two, a lone real pole as a first-order section.
  std::vector<Complex> upper;
  std::vector<double> real;
  for (const Complex p : poles) {
    if (is_real(p)) {
      real.push_back(p.real());
    } else if (p.imag() > 0) {
      upper.push_back(p);
    }
  }
  std::sort(real.begin(), real.end());
  struct Denominator {
    double a1, a2, radius;
    bool first_order;
  };
  std::vector<Denominator> denominators;
  for (const Complex p : upper) denominators.push_back({-2.0 * p.real(), std::norm(p), std::abs(p), false});
  std::size_t r = 0;
  for (; r + 1 < real.size(); r += 2) {
    denominators.push_back({-(real[r] + real[r + 1]), real[r] * real[r + 1],
                            std::max(std::fabs(real[r]), std::fabs(real[r + 1])), false});
  }
  if (r < real.size()) denominators.push_back({-real[r], 0.0, std::fabs(real[r]), true});
  // Poles nearest the unit circle last, where they meet the least gain.
  std::stable_sort(denominators.begin(), denominators.end(),
                   [](const Denominator& x, const Denominator& y) { return x.radius < y.radius; });

  std::vector<Biquad> sections;
  for (const Denominator& d : denominators) {
    Biquad s{};
    s.a1 = d.a1;
    s.a2 = d.a2;
    switch (f.kind) {
      case Filter::Kind::lowpass: s.b0 = 1, s.b1 = d.first_order ? 1 : 2, s.b2 = d.first_order ? 0 : 1; break;
      case Filter::Kind::highpass: s.b0 = 1, s.b1 = d.first_order ? -1 : -2, s.b2 = d.first_order ? 0 : 1; break;
      case Filter::Kind::bandpass: s.b0 = 1, s.b1 = 0, s.b2 = -1; break;  // one zero at 1, one at -1
    }
    sections.push_back(s);
  }
  // The whole gain in the first section, as the zeros and poles give it.
  const double k = gain.real();
  sections.front().b0 *= k;
  sections.front().b1 *= k;
  sections.front().b2 *= k;
  return sections;
}

}  // namespace section
