#include "section/wiggle.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "plume/plume.hpp"

namespace section {
namespace {

constexpr int kMove = 3;
constexpr int kDraw = 2;

// In double precision: tiny samples times a huge gain, or huge ones, still
// land on the page; a NaN deflection is none.
float deflection(const WiggleRun& run, double value) {
  const double d = value * run.gain;
  if (std::isnan(d)) return 0.0f;
  return static_cast<float>(std::clamp(d, -static_cast<double>(run.limit), static_cast<double>(run.limit)));
}
float x_of(const WiggleRun& run, std::size_t i) { return static_cast<float>(run.x0 + static_cast<double>(i) * run.dx); }

// The pen to a point of the run's plane: time along x, or along y.
void pen_to(const WiggleRun& run, float x, float deflection, int code) {
  const float across = run.baseline + deflection;
  if (run.vertical) {
    plume::plot(across, x, code);
  } else {
    plume::plot(x, across, code);
  }
}

// Where the straight line between two points crosses the baseline.
float crossing(WigglePoint a, WigglePoint b) {
  return a.x + (b.x - a.x) * (-a.deflection / (b.deflection - a.deflection));
}

// Positive lobes as closed pieces: from the baseline up along the samples
// and back down, filled with the current colour.
class LobeFiller {
 public:
  explicit LobeFiller(const WiggleRun& run) : run_(run) {}

  void add(WigglePoint p, const std::optional<WigglePoint>& previous) {
    if (p.deflection > 0) {
      if (!open_) begin(previous, p);
      draw_to(p);
    } else if (open_) {
      close(crossing(*previous, p));
    }
  }
  void finish(WigglePoint last) {
    if (open_) close(last.x);
  }

 private:
  void begin(const std::optional<WigglePoint>& previous, WigglePoint p) {
    if (!previous) {
      start_at(p.x);
    } else if (previous->deflection <= 0) {
      start_at(crossing(*previous, p));
    } else {
      start_at(previous->x);
      draw_to(*previous);
    }
  }
  // Two moves in a row restart the plotter's path and its motion count.
  void start_at(float x) {
    pen_to(run_, x, 0, kMove);
    pen_to(run_, x, 0, kMove);
    open_ = true;
    points_ = 0;
  }
  void draw_to(WigglePoint p) {
    pen_to(run_, p.x, p.deflection, kDraw);
    if (++points_ >= kMaxFillPoints) {
      close(p.x);
      start_at(p.x);
      pen_to(run_, p.x, p.deflection, kDraw);
      points_ = 1;
    }
  }
  void close(float x) {
    pen_to(run_, x, 0, kDraw);
    plume::fillup();
    open_ = false;
  }

  const WiggleRun& run_;
  bool open_ = false;
  int points_ = 0;
};

// Below this many samples a bin, thinning saves too little to be worth a
// drawing that differs from the samples.
constexpr double kMinSamplesPerBin = 4;

// The samples a wiggle draws: every one, or those kept_samples chose.
class DrawnSamples {
 public:
  DrawnSamples(const WiggleRun& run, std::span<const double> values)
      : run_(run), values_(values), kept_(kept_samples(run, values)) {}
  std::size_t size() const { return kept_.empty() ? values_.size() : kept_.size(); }
  WigglePoint operator[](std::size_t k) const {
    const std::size_t i = kept_.empty() ? k : kept_[k];
    return {x_of(run_, i), deflection(run_, values_[i])};
  }

 private:
  const WiggleRun& run_;
  std::span<const double> values_;
  std::vector<std::size_t> kept_;
};

}  // namespace

// The gain is never negative, so the lowest and highest samples are the
// lowest and highest deflections, clipped or not.
std::vector<std::size_t> kept_samples(const WiggleRun& run, std::span<const double> values) {
  const double per_bin = run.dx != 0 ? run.bin / std::fabs(run.dx) : 0;
  std::vector<std::size_t> kept;
  if (!(per_bin > kMinSamplesPerBin) || !std::isfinite(per_bin)) return kept;
  const std::size_t n = values.size();
  kept.reserve(static_cast<std::size_t>(4 * (static_cast<double>(n) / per_bin + 1)));
  std::size_t first = 0;
  for (double k = 1; first < n; ++k) {
    const double edge = std::ceil(k * per_bin);  // may lie far beyond any size_t
    const std::size_t end = edge < static_cast<double>(n) ? static_cast<std::size_t>(edge) : n;
    std::size_t low = first;
    std::size_t high = first;
    for (std::size_t i = first + 1; i < end; ++i) {
      if (values[i] < values[low]) low = i;
      if (values[i] > values[high]) high = i;
    }
    std::size_t chosen[] = {first, low, high, end - 1};
    std::sort(std::begin(chosen), std::end(chosen));
    for (const std::size_t i : chosen) {
      if (kept.empty() || kept.back() != i) kept.push_back(i);
    }
    first = end;
  }
  return kept;
}

WigglePoint draw_wiggle(const WiggleRun& run, std::span<const double> values, bool fill) {
  if (values.empty()) return run.before.value_or(WigglePoint{});
  const DrawnSamples drawn(run, values);
  if (fill) {
    LobeFiller filler(run);
    std::optional<WigglePoint> previous = run.before;
    for (std::size_t k = 0; k < drawn.size(); ++k) {
      const WigglePoint p = drawn[k];
      filler.add(p, previous);
      previous = p;
    }
    filler.finish(*previous);
  }
  int code = kMove;
  if (run.before) {
    pen_to(run, run.before->x, run.before->deflection, kMove);
    code = kDraw;
  }
  WigglePoint p;
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    p = drawn[k];
    pen_to(run, p.x, p.deflection, code);
    code = kDraw;
  }
  return p;
}

}  // namespace section
