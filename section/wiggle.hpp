// One run of samples drawn as a wiggle on its baseline, with its positive
// lobes filled (variable area) when asked; all through plot and fillup.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace section {

struct WigglePoint {
  float x = 0;           // along the time axis, centimetres
  float deflection = 0;  // centimetres above the baseline
};

struct WiggleRun {
  float baseline = 0;  // centimetres
  // Time runs along y (dx then usually negative, downwards) and the
  // deflections along x, to the right.
  bool vertical = false;
  double x0 = 0;       // x of the first value
  double dx = 0;       // centimetres between samples
  double gain = 0;     // centimetres per sample unit
  float limit = 0;     // largest |deflection| (the clip), may be infinite
  // Centimetres of the time axis in which samples are thinned to their
  // extremes (see kept_samples); 0 keeps every sample.
  double bin = 0;
  // The last point of the run this one continues (no gap between them).
  std::optional<WigglePoint> before;
};

// The samples worth drawing at a resolution of `run.bin` centimetres along
// the time axis: in each bin the first, the lowest, the highest and the
// last, in their order. The polyline through them reaches every bin's full
// height and joins neighbouring bins by the segment the samples themselves
// have there, so it covers the pixels of the polyline through every sample
// at that resolution, while a day of 100 Hz data shrinks from millions of
// points to a few per bin. Empty when the bins hold too few samples to thin
// (every sample is drawn, as with `run.bin` 0).
std::vector<std::size_t> kept_samples(const WiggleRun& run, std::span<const double> values);

// A filled piece is closed and a new one begun after this many points, so
// that the plotter's path restart (after 1001 motions) never falls inside a
// piece being filled.
constexpr int kMaxFillPoints = 900;

// Draws the run and returns its last point.
WigglePoint draw_wiggle(const WiggleRun& run, std::span<const double> values, bool fill);

}  // namespace section
