// One run of samples drawn as a wiggle on its baseline, with its positive
// lobes filled (variable area) when asked; all through plot and fillup.
#pragma once

#include <optional>
#include <span>

namespace section {

struct WigglePoint {
  float x = 0;
  float deflection = 0;  // centimetres above the baseline
};

struct WiggleRun {
  float baseline = 0;  // centimetres
  double x0 = 0;       // x of the first value
  double dx = 0;       // centimetres between samples
  float gain = 0;      // centimetres per sample unit
  float limit = 0;     // largest |deflection| (the clip), may be infinite
  // The last point of the run this one continues (no gap between them).
  std::optional<WigglePoint> before;
};

// A filled piece is closed and a new one begun after this many points, so
// that the plotter's path restart (after 1001 motions) never falls inside a
// piece being filled.
constexpr int kMaxFillPoints = 900;

// Draws the run and returns its last point.
WigglePoint draw_wiggle(const WiggleRun& run, std::span<const float> values, bool fill);

}  // namespace section
