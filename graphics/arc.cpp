// Arcs and circles in the output path, and fills of the current path.
#include <algorithm>
#include <cmath>

#include "device/pen_draw.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "graphics/palette.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr int kFill = 1;

// Ghostscript builds arcs in device space in fixed point and stops with a
// limitcheck once a point of the arc lies 2^23 device pixels from the
// device origin: 8388608 points at 72 dpi, 2013265 at 300, 1006632 at 600,
// 503316 at 1200 (measured with Ghostscript 10; the page height adds to
// the distance below the page). An arc is kept while every point of it lies
// within this many points of the page origin, which renders at 1200 dpi on
// pages up to about 37 inches high.
constexpr double kArcReach = 500000.0;

struct Range {
  double lo = 1.0, hi = -1.0;
  void take(double v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
};

// Whether every point of the arc PostScript draws lies within reach: from
// the start angle counter-clockwise to the end angle, which is raised by
// whole turns until it is not below the start. A negative radius puts
// each point on the other side of the centre. Ghostscript splits an arc at
// the quarter turns, so its curve control points stay within the box of
// the arc itself.
bool within_reach(double cx, double cy, double r, double start, double end) {
  if (r < 0.0) {
    r = -r;
    start += 180.0;
    end += 180.0;
  }
  double sweep = end - start;
  if (sweep < 0.0) sweep += 360.0 * std::ceil(-sweep / 360.0);
  Range cosines, sines;
  if (!(sweep < 360.0)) {
    cosines = sines = {-1.0, 1.0};
  } else {
    constexpr double kDegree = 3.14159265358979323846 / 180.0;
    double from = std::fmod(start, 360.0);
    if (from < 0.0) from += 360.0;
    const double to = from + sweep;
    for (const double a : {from, to}) {
      cosines.take(std::cos(a * kDegree));
      sines.take(std::sin(a * kDegree));
    }
    // The quarter turns the arc passes: the extremes of cosine and sine.
    constexpr double kQuarterCos[] = {1.0, 0.0, -1.0, 0.0}, kQuarterSin[] = {0.0, 1.0, 0.0, -1.0};
    for (auto q = static_cast<int>(std::ceil(from / 90.0)); q * 90.0 <= to; ++q) {
      cosines.take(kQuarterCos[q % 4]);
      sines.take(kQuarterSin[q % 4]);
    }
  }
  const auto near = [](double v) { return std::fabs(v) < kArcReach; };
  return near(cx + r * cosines.lo) && near(cx + r * cosines.hi) && near(cy + r * sines.lo) &&
         near(cy + r * sines.hi);
}

// Starts a path of its own and puts the arc in it; its end becomes the
// current point. An arc with a non-finite operand, or one reaching beyond
// what interpreters build, is dropped whole, "stroke newpath" included, so
// the pending path and its current point survive; returns whether it was
// written.
bool write_arc(float x, float y, float radius, float start_angle, float end_angle) {
  const float px = device::page_x(x);
  const float py = device::page_y(y);
  const float pr = radius * a00000_.units_scale;
  device::Record r;
  r.real(px, 11, 3).real(py, 11, 3).real(pr, 11, 3);
  r.real(start_angle, 11, 3).real(end_angle, 11, 3).text(" arc");
  if (!r.finite()) {
    device::count_dropped();
    return false;
  }
  if (!within_reach(px, py, pr, start_angle, end_angle)) {
    device::count_unreachable_arc();
    return false;
  }
  device::write_text("stroke newpath");
  r.write();
  device::current_point_set();
  return true;
}

}  // namespace

void arc(float x, float y, float radius, float start_angle, float end_angle) {
  write_arc(x, y, radius, start_angle, end_angle);
}

void circle(float x, float y, float radius) { arc(x, y, radius, 0.0f, 360.0f); }

void xarc(float x, float y, float radius, float start_angle, float end_angle, int fill) {
  // Without a fill the arc stays pending, as after arc().
  if (write_arc(x, y, radius, start_angle, end_angle) && fill == kFill) fillup();
}

void xcircle(float x, float y, float radius, int fill) {
  if (!write_arc(x, y, radius, 0.0f, 360.0f)) return;
  if (fill == kFill) {
    fillup();
  } else {
    device::write_text("stroke");
    device::forget_current_point();
  }
}

void fillup() {
  device::write_text("gsave stroke grestore");
  device::write_text("fill");
  device::forget_current_point();
}

void xfillup(int color_index, int tone) {
  const int entry_tone = l00001_.tone;
  const int entry_color = l00001_.color_index;
  device::write_text("gsave stroke grestore");
  int k = color_index;
  if (color_index < 0) k = entry_color;
  if (color_index > 7) k = 0;
  // A colour index stored from outside the library may be out of range.
  if (k < 0 || k > 7) k = 0;
  float a = rtone(tone);
  if (k == 0) a = 1.0f - a;
  const auto& c = graphics::kPalette[k];
  graphics::write_rgb_line(c.red * a, c.green * a, c.blue * a);
  device::write_text("fill");
  device::forget_current_point();
  l00001_.color_index = color(entry_color);
  l00001_.tone = entry_tone;
}

}  // namespace plume

extern "C" {
void arc_(const float* x, const float* y, const float* radius, const float* start_angle,
          const float* end_angle) {
  plume::arc(*x, *y, *radius, *start_angle, *end_angle);
}
void circle_(const float* x, const float* y, const float* radius) {
  plume::circle(*x, *y, *radius);
}
void xarc_(const float* x, const float* y, const float* radius, const float* start_angle,
           const float* end_angle, const int32_t* fill) {
  plume::xarc(*x, *y, *radius, *start_angle, *end_angle, *fill);
}
void xcircle_(const float* x, const float* y, const float* radius, const int32_t* fill) {
  plume::xcircle(*x, *y, *radius, *fill);
}
void fillup_(void) { plume::fillup(); }
void xfillup_(const int32_t* color_index, const int32_t* tone) {
  plume::xfillup(*color_index, *tone);
}
}
