// The pen motion writer: one path operator line per motion, the stroke and
// flush rules of the path, and the bounding box of drawn segments.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "device/format.hpp"
#include "device/output_unit.hpp"
#include "device/path_operands.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

// Motions counted since the path was last restarted by a "pM" of ours.
std::int32_t g_nplot = 0;

constexpr int kFlushAfter = 1000;
constexpr std::size_t kOperatorLine = 2 * 11 + 4;  // "(2f11.3,a)" and the line feed

void write_operator_line(float px, float py, const char (&op)[5]) {
  auto& out = device::document();
  char* p = out.reserve(kOperatorLine);
  p = fmt::path::write_finite_path_operands(p, px, py);  // y keeps a blank before it
  std::memcpy(p, op, 4);
  out.commit(p + 4);
}

// Truncation toward zero, saturating, of a value known to be finite (the
// pen position and the page point always are here): two clamps and a cast.
inline std::int32_t truncate_finite(double v) {
  return static_cast<std::int32_t>(std::min(std::max(v, -2147483648.0), 2147483647.0));
}

void record_segment(float px, float py) {
  auto& b = m00000_;
  const auto& c = m00001_;
  const double scale = a00000_.units_scale;
  // The start is truncated as computed, without a rounding to single precision.
  const std::int32_t sx = truncate_finite(scale * a00000_.pen_x + p00001_.origin_x);
  const std::int32_t sy = truncate_finite(scale * a00000_.pen_y + p00001_.origin_y);
  const std::int32_t ex = truncate_finite(px);
  const std::int32_t ey = truncate_finite(py);
  std::int32_t lox = std::min(ex, sx), loy = std::min(ey, sy);
  std::int32_t hix = std::max(sx, ex), hiy = std::max(sy, ey);
  if (c.clip_xmin > static_cast<float>(lox)) lox = device::truncate_saturating(c.clip_xmin);
  if (static_cast<float>(hix) > c.clip_xmax) hix = device::truncate_saturating(c.clip_xmax);
  if (c.clip_ymin > static_cast<float>(loy)) loy = device::truncate_saturating(c.clip_ymin);
  if (static_cast<float>(hiy) > c.clip_ymax) hiy = device::truncate_saturating(c.clip_ymax);
  if (b.bbox_xmax == 0 && b.bbox_ymax == 0) {
    b.bbox_xmin = lox;
    b.bbox_ymin = loy;
  } else {
    b.bbox_xmin = std::min(b.bbox_xmin, lox);
    b.bbox_ymin = std::min(b.bbox_ymin, loy);
  }
  b.bbox_xmax = std::max(b.bbox_xmax, hix);
  b.bbox_ymax = std::max(b.bbox_ymax, hiy);
}

}  // namespace

void xplot(float x, float y, int code) {
  const float px = device::page_x(x);
  const float py = device::page_y(y);
  if (!std::isfinite(px) || !std::isfinite(py)) {
    device::count_dropped();  // nothing written, pen and path state unchanged
    return;
  }
  auto& state = m00000_;
  if (code == 3 && state.move_pending == 1) {
    // A second move in a row strokes and restarts the path: not counted.
    write_operator_line(px, py, " pM\n");
    state.move_pending = 0;
    g_nplot = 0;
  } else {
    switch (code) {
      case 2: write_operator_line(px, py, " pL\n"); break;
      case 3: write_operator_line(px, py, " pQ\n"); break;
      case -2: write_operator_line(px, py, " rL\n"); break;
      case -3: write_operator_line(px, py, " rM\n"); break;
      default: break;  // other codes only move the stored pen
    }
    state.move_pending = code == 3 ? 1 : 0;
    if (++g_nplot > kFlushAfter) {
      write_operator_line(px, py, " pM\n");
      g_nplot = 0;
    }
    if (code == 2 || code == -2) record_segment(px, py);
  }
  a00000_.pen_x = x;
  a00000_.pen_y = y;
}

}  // namespace plume

extern "C" void xplot_(const float* x, const float* y, const int32_t* code) {
  plume::xplot(*x, *y, *code);
}
