// Arcs and circles in the output path, and fills of the current path.
#include <cmath>

#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "graphics/palette.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr int kFill = 1;

// PostScript interpreters build arcs in device space and stop with a
// limitcheck when an arc reaches 2^23 device units (a million points at
// 600 dpi). An arc that reaches that far lies far off any page.
constexpr double kArcReach = 1.0e6;

bool within_reach(float px, float py, float pr) {
  const double r = std::fabs(static_cast<double>(pr));
  return std::fabs(static_cast<double>(px)) + r < kArcReach && std::fabs(static_cast<double>(py)) + r < kArcReach;
}

// Starts a path of its own and puts the arc in it. An arc with a
// non-finite operand, or one reaching beyond what interpreters can build, is
// dropped whole, "stroke newpath" included, so the pending path and its
// current point survive; returns whether it was written.
bool write_arc(float x, float y, float radius, float start_angle, float end_angle) {
  const float px = device::page_x(x);
  const float py = device::page_y(y);
  const float pr = radius * a00000_.units_scale;
  device::Record r;
  r.real(px, 11, 3).real(py, 11, 3).real(pr, 11, 3);
  r.real(start_angle, 11, 3).real(end_angle, 11, 3).text(" arc");
  if (!r.finite() || !within_reach(px, py, pr)) {
    device::count_dropped();
    return false;
  }
  device::write_text("stroke newpath");
  r.write();
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
  }
}

void fillup() {
  device::write_text("gsave stroke grestore");
  device::write_text("fill");
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
