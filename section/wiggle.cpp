#include "section/wiggle.hpp"

#include <algorithm>

#include "plume/plume.hpp"

namespace section {
namespace {

constexpr int kMove = 3;
constexpr int kDraw = 2;

float deflection(const WiggleRun& run, float value) { return std::clamp(value * run.gain, -run.limit, run.limit); }
float x_of(const WiggleRun& run, std::size_t i) { return static_cast<float>(run.x0 + static_cast<double>(i) * run.dx); }

// Where the straight line between two points crosses the baseline.
float crossing(WigglePoint a, WigglePoint b) {
  return a.x + (b.x - a.x) * (-a.deflection / (b.deflection - a.deflection));
}

// Positive lobes as closed pieces: from the baseline up along the samples
// and back down, filled with the current colour.
class LobeFiller {
 public:
  explicit LobeFiller(float baseline) : baseline_(baseline) {}

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
    plume::plot(x, baseline_, kMove);
    plume::plot(x, baseline_, kMove);
    open_ = true;
    points_ = 0;
  }
  void draw_to(WigglePoint p) {
    plume::plot(p.x, baseline_ + p.deflection, kDraw);
    if (++points_ >= kMaxFillPoints) {
      close(p.x);
      start_at(p.x);
      plume::plot(p.x, baseline_ + p.deflection, kDraw);
      points_ = 1;
    }
  }
  void close(float x) {
    plume::plot(x, baseline_, kDraw);
    plume::fillup();
    open_ = false;
  }

  float baseline_;
  bool open_ = false;
  int points_ = 0;
};

}  // namespace

WigglePoint draw_wiggle(const WiggleRun& run, std::span<const float> values, bool fill) {
  if (values.empty()) return run.before.value_or(WigglePoint{});
  if (fill) {
    LobeFiller filler(run.baseline);
    std::optional<WigglePoint> previous = run.before;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const WigglePoint p{x_of(run, i), deflection(run, values[i])};
      filler.add(p, previous);
      previous = p;
    }
    filler.finish(*previous);
  }
  int code = kMove;
  if (run.before) {
    plume::plot(run.before->x, run.baseline + run.before->deflection, kMove);
    code = kDraw;
  }
  float d = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    d = deflection(run, values[i]);
    plume::plot(x_of(run, i), run.baseline + d, code);
    code = kDraw;
  }
  return {x_of(run, values.size() - 1), d};
}

}  // namespace section
