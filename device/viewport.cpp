// The clipping viewport and new pages within one document.
#include <cmath>

#include "device/document.hpp"
#include "device/pen_draw.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "graphics/palette.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

void write_corner_line(float px, float py, const char* op) {
  device::Record r;
  r.real(px, 11, 3).real(py, 11, 3).text(op).write();
}

}  // namespace

void viewport(float x1, float y1, float x2, float y2) {
  const float xmin = device::page_x(x1);
  const float ymin = device::page_y(y1);
  const float xmax = device::page_x(x2);
  const float ymax = device::page_y(y2);
  // A window with a non-finite corner would leave NaN in the clip window,
  // which the bounding box rule cannot compare against: the call is ignored
  // and counted like any other dropped line.
  if (!std::isfinite(xmin) || !std::isfinite(ymin) || !std::isfinite(xmax) ||
      !std::isfinite(ymax)) {
    device::count_dropped();
    return;
  }
  auto& c = m00001_;
  c.clip_xmin = xmin;
  c.clip_ymin = ymin;
  c.clip_xmax = xmax;
  c.clip_ymax = ymax;
  device::write_listed("stroke");
  device::write_listed("/viewpath { newpath");
  write_corner_line(xmin, ymin, " pM");
  write_corner_line(xmax, ymin, " pL");
  write_corner_line(xmax, ymax, " pL");
  write_corner_line(xmin, ymax, " pL");
  device::write_listed("closepath } def");
  // Back to the state saved at the page start (or by the previous viewport),
  // so the new window replaces the old one instead of intersecting it.
  device::write_listed("grestore");
  device::write_listed("gsave");
  device::write_listed("viewpath clip");
  // The window's corner is now the current point, not the pen: the next
  // draw starts at the pen.
  device::forget_current_point();
}

void newpage() {
  device::write_text("stroke");
  device::write_text("showpage");
  device::forget_current_point();
  device::write_orientation_transform();
  device::write_text("gsave");
  graphics::write_width_line(w00001_.line_width);
  p00001_.origin_x = p00001_.origin_y = 0.0f;
}

}  // namespace plume

extern "C" {
void viewport_(const float* x1, const float* y1, const float* x2, const float* y2) {
  plume::viewport(*x1, *y1, *x2, *y2);
}
void newpage_(void) { plume::newpage(); }
}
