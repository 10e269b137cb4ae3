// Processing applied to each whole trace before it is measured and drawn,
// in this order: mean removal, linear detrend, cosine taper, Butterworth
// filter, integration or differentiation.
#pragma once

#include <optional>
#include <vector>

namespace section {

struct Filter {
  enum class Kind { bandpass, lowpass, highpass } kind = Kind::bandpass;
  double low_hz = 0;   // bandpass and highpass corner
  double high_hz = 0;  // bandpass and lowpass corner
  int order = 4;
  bool zero_phase = true;  // forward and backward; false: one causal pass
};

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

// Processes one evenly sampled trace in place (`interval` seconds apart).
void process(std::vector<double>& samples, double interval, const Processing& processing);

}  // namespace section
