// Processing applied to each whole trace before it is measured and drawn,
// in this order: mean removal, linear detrend, cosine taper, Butterworth
// filter, integration or differentiation.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace section {

struct Filter {
  enum class Kind { bandpass, lowpass, highpass } kind = Kind::bandpass;
  double low_hz = 0;   // bandpass and highpass corner
  double high_hz = 0;  // bandpass and lowpass corner
  int order = 4;
  bool zero_phase = true;  // forward and backward; false: one causal pass
};

inline constexpr int kMaxFilterOrder = 10;

struct Processing {
  bool demean = true;
  bool detrend = false;
  double taper = 0;  // fraction of the trace tapered at each end, 0 to 0.5
  std::optional<Filter> filter;
  bool integrate = false;
  bool differentiate = false;
  // True when nothing is to be done to the samples.
  bool none() const { return !demean && !detrend && taper == 0 && !filter && !integrate && !differentiate; }
};

// Why `processing` cannot be applied to a trace sampled `interval` seconds
// apart (a filter corner at or above the Nyquist frequency), or empty.
// Callers check every trace with it before drawing anything.
std::string processing_problem(const Processing& processing, double interval);

// Processes one evenly sampled trace in place (`interval` seconds apart);
// std::invalid_argument when processing_problem finds one.
void process(std::vector<double>& samples, double interval, const Processing& processing);

// One biquad of a cascade, a0 = 1: b0 b1 b2 over 1 a1 a2.
struct Biquad {
  double b0, b1, b2, a1, a2;
};
// The digital Butterworth filter as second-order sections (bilinear
// transform of the analog prototype with prewarped corners); an odd order
// of a lowpass or highpass ends in one first-order section (b2 = a2 = 0).
std::vector<Biquad> butterworth(const Filter& filter, double interval);

}  // namespace section
