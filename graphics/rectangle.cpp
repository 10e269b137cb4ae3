// Axis-parallel rectangles: painted at once with rectangle operators, or
// drawn with pen motions and optionally filled.
#include <string_view>

#include "device/pen_draw.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr int kFill = 1;

// Corner and size in points, then the operator. A rectangle with a
// non-finite operand is dropped whole, "stroke newpath" included, so the
// pending path is left as it was.
void write_rectangle(float x, float y, float width, float height, std::string_view op) {
  const float scale = a00000_.units_scale;
  device::Record r;
  r.real(device::page_x(x), 11, 3).real(device::page_y(y), 11, 3);
  r.real(width * scale, 11, 3).real(height * scale, 11, 3).text(op);
  if (!r.finite()) {
    device::count_dropped();
    return;
  }
  device::write_text("stroke newpath");
  r.write();
  device::forget_current_point();
}

}  // namespace

void rectangle(float x, float y, float width, float height) {
  write_rectangle(x, y, width, height, " rectstroke");
}

void xrectangle(float x, float y, float width, float height, int fill) {
  write_rectangle(x, y, width, height, fill == kFill ? " rectfill" : " rectstroke");
}

void rect(float x1, float y1, float x2, float y2) {
  // Closed by the last drawn side, not by closepath.
  plot(x1, y1, 3);
  plot(x2, y1, 2);
  plot(x2, y2, 2);
  plot(x1, y2, 2);
  plot(x1, y1, 2);
}

void xrect(float x1, float y1, float x2, float y2, int fill) {
  rect(x1, y1, x2, y2);
  if (fill == kFill) fillup();
}

}  // namespace plume

extern "C" {
void rectangle_(const float* x, const float* y, const float* width, const float* height) {
  plume::rectangle(*x, *y, *width, *height);
}
void xrectangle_(const float* x, const float* y, const float* width, const float* height,
                 const int32_t* fill) {
  plume::xrectangle(*x, *y, *width, *height, *fill);
}
void rect_(const float* x1, const float* y1, const float* x2, const float* y2) {
  plume::rect(*x1, *y1, *x2, *y2);
}
void xrect_(const float* x1, const float* y1, const float* x2, const float* y2,
            const int32_t* fill) {
  plume::xrect(*x1, *y1, *x2, *y2, *fill);
}
}
