// The plotter-style pen motion calls: plot, origin, factor, where.
#include "device/pen_draw.hpp"
#include "device/plot_state.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr int kClose = 999;

// Statics of factor, kept for the whole run.
bool g_first = true;
float g_factl = 1.0f;
float g_base_scale = 0.0f;

// Every call but a draw done in place.
[[gnu::noinline]] void plot_in_general(float x, float y, int code) {
  if (code == kClose) {
    hplots(0, 0, 0, 0);
    return;
  }
  if (code >= 0) {
    xplot(x, y, code);
    return;
  }
  origin(x, y, 1);
  // -code of the most negative code would overflow; it is not a pen code anyway.
  xplot(0.0f, 0.0f, code == INT32_MIN ? INT32_MAX : -code);
}

}  // namespace

void plot(float x, float y, int code) {
  if (code == 2 && device::draw_in_place(x, y)) [[likely]] return;
  plot_in_general(x, y, code);
}

Point origin(float x, float y, int mode) {
  auto& o = p00001_;
  const float scale = a00000_.units_scale;
  if (mode > 0) {
    o.origin_x = o.origin_x + scale * x;
    o.origin_y = o.origin_y + scale * y;
  } else if (mode == 0) {
    o.origin_x = scale * x;
    o.origin_y = scale * y;
  } else if (scale != 0.0f) {
    x = o.origin_x / scale;
    y = o.origin_y / scale;
  } else {
    // No scale yet: the origin is at the page origin, report it as (0, 0)
    // rather than 0/0.
    x = y = 0.0f;
  }
  return {x, y};
}

float factor(float f) {
  if (g_first) {
    g_base_scale = a00000_.units_scale;
    g_first = false;
  }
  if (f > 0.0f) {
    a00000_.units_scale = f * g_base_scale;
    g_factl = f;
    return f;
  }
  return g_factl;
}

Where where() { return {a00000_.pen_x, a00000_.pen_y, factor(-1.0f)}; }

}  // namespace plume

extern "C" {
void plot_(const float* x, const float* y, const int32_t* code) { plume::plot(*x, *y, *code); }
void origin_(float* x, float* y, const int32_t* mode) {
  const auto p = plume::origin(*x, *y, *mode);
  if (*mode < 0) {
    *x = p.x;
    *y = p.y;
  }
}
void factor_(float* f) {
  // Written back only for a query: callers pass constants when they set.
  if (!(*f > 0.0f)) *f = plume::factor(*f);
  else plume::factor(*f);
}
void where_(float* x, float* y, float* f) {
  const auto w = plume::where();
  *x = w.x;
  *y = w.y;
  *f = w.factor;
}
}
