// The pen motion writer: one path operator line per motion, the stroke and
// flush rules of the path, and the bounding box of drawn segments.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "device/format.hpp"
#include "device/output_unit.hpp"
#include "device/path_operands.hpp"
#include "device/pen_draw.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr std::int32_t kFlushAfter = device::kPathFlushAfter;
constexpr std::size_t kOperatorLine = device::kLongestPathLine;

void write_operator_line(float px, float py, const char (&op)[5]) {
  auto& out = device::document();
  char* p = out.reserve(kOperatorLine);
  bool clamped;
  p = fmt::path::write_finite_path_operands(p, px, py, clamped);
  std::memcpy(p, op, 4);
  out.commit(p + 4);
  if (clamped) [[unlikely]] device::count_clamped();
  device::current_point_set();
}

using device::g_clip_limits;

// Whole-point limits for the window in the record, when it is near enough.
void derive_clip_limits() {
  auto& l = g_clip_limits;
  const auto& c = m00001_;
  std::memcpy(l.window, &c, sizeof l.window);
  constexpr float kExact = 8388608.0f;  // 2^23
  const auto near = [](float v) { return std::fabs(v) < kExact; };
  l.whole_points = near(c.clip_xmin) && near(c.clip_ymin) && near(c.clip_xmax) && near(c.clip_ymax);
  if (l.whole_points) {
    l.xmin = static_cast<std::int32_t>(c.clip_xmin);
    l.ymin = static_cast<std::int32_t>(c.clip_ymin);
    l.xmax = static_cast<std::int32_t>(c.clip_xmax);
    l.ymax = static_cast<std::int32_t>(c.clip_ymax);
  }
}

struct Box {
  std::int32_t lox, loy, hix, hiy;
};

// The documented rule, comparing in single precision, for windows far out.
Box clip_by_comparison(Box b) {
  const auto& c = m00001_;
  if (c.clip_xmin > static_cast<float>(b.lox)) b.lox = device::truncate_saturating(c.clip_xmin);
  if (static_cast<float>(b.hix) > c.clip_xmax) b.hix = device::truncate_saturating(c.clip_xmax);
  if (c.clip_ymin > static_cast<float>(b.loy)) b.loy = device::truncate_saturating(c.clip_ymin);
  if (static_cast<float>(b.hiy) > c.clip_ymax) b.hiy = device::truncate_saturating(c.clip_ymax);
  return b;
}

void record_segment(float px, float py) {
  const double scale = a00000_.units_scale;
  // The start is truncated as computed, without a rounding to single precision.
  const std::int32_t sx = device::truncate_finite(scale * a00000_.pen_x + p00001_.origin_x);
  const std::int32_t sy = device::truncate_finite(scale * a00000_.pen_y + p00001_.origin_y);
  const std::int32_t ex = device::truncate_finite(px);
  const std::int32_t ey = device::truncate_finite(py);
  std::int32_t lox = std::min(ex, sx), loy = std::min(ey, sy);
  std::int32_t hix = std::max(sx, ex), hiy = std::max(sy, ey);
  if (!device::clip_limits_hold()) derive_clip_limits();
  const auto& clip = g_clip_limits;
  if (clip.whole_points) {
    lox = std::max(lox, clip.xmin);
    loy = std::max(loy, clip.ymin);
    hix = std::min(hix, clip.xmax);
    hiy = std::min(hiy, clip.ymax);
  } else {
    const Box clipped = clip_by_comparison({lox, loy, hix, hiy});
    lox = clipped.lox;
    loy = clipped.loy;
    hix = clipped.hix;
    hiy = clipped.hiy;
  }
  device::grow_box(lox, loy, hix, hiy);
}

// The operator of each pen code that writes a line; other codes only move
// the stored pen.
const char (*operator_of(int code))[5] {
  static constexpr char kDraw[5] = " pL\n", kMove[5] = " pQ\n", kRelativeDraw[5] = " rL\n",
                        kRelativeMove[5] = " rM\n";
  switch (code) {
    case 2: return &kDraw;
    case 3: return &kMove;
    case -2: return &kRelativeDraw;
    case -3: return &kRelativeMove;
    default: return nullptr;
  }
}

// Codes that need a current point in the document's path: draws, and the
// relative move.
bool needs_current_point(int code) { return code == 2 || code == -2 || code == -3; }

// The page point of the stored pen, when it is known.
bool stored_pen_on_page(float& px, float& py) {
  px = device::page_x(a00000_.pen_x);
  py = device::page_y(a00000_.pen_y);
  return std::isfinite(px) && std::isfinite(py);
}

// A pen-up move: a second one in a row strokes and restarts the path ("pM",
// not counted).
void write_move(float px, float py) {
  auto& state = m00000_;
  if (state.move_pending == 1) {
    write_operator_line(px, py, " pM\n");
    state.move_pending = 0;
    device::g_path_motions = 0;
    return;
  }
  write_operator_line(px, py, " pQ\n");
  state.move_pending = 1;
  if (++device::g_path_motions > kFlushAfter) {
    write_operator_line(px, py, " pM\n");
    device::g_path_motions = 0;
  }
}

// Every motion the in-place draw leaves: moves, the other codes, the flush
// of the path, draws onto a path without a current point, points far out,
// non-finite points, a full buffer.
void move_pen(float x, float y, int code) {
  const float px = device::page_x(x);
  const float py = device::page_y(y);
  if (!std::isfinite(px) || !std::isfinite(py)) {
    device::count_dropped();  // nothing written
    if (code == 3 || code == -3) {
      // The pen is lost: the next draw must not join the point before.
      a00000_.pen_x = x;
      a00000_.pen_y = y;
      device::forget_current_point();
    }
    return;
  }
  float pen_px, pen_py;
  const bool pen_known = stored_pen_on_page(pen_px, pen_py);
  if (needs_current_point(code) && device::g_path_needs_move) {
    if (!pen_known) {
      // After a lost move the draw starts a new piece at its own point.
      write_move(px, py);
      a00000_.pen_x = x;
      a00000_.pen_y = y;
      return;
    }
    // The path was emptied since the last motion: the draw starts at the
    // stored pen, as a pen change would have put it.
    write_operator_line(pen_px, pen_py, " pQ\n");
  }
  if (code == 3) {
    write_move(px, py);
  } else {
    if (const auto op = operator_of(code)) write_operator_line(px, py, *op);
    m00000_.move_pending = 0;
    if (++device::g_path_motions > kFlushAfter) {
      write_operator_line(px, py, " pM\n");
      device::g_path_motions = 0;
    }
    // No segment from a lost pen (the path went on from an arc's end).
    if ((code == 2 || code == -2) && pen_known) record_segment(px, py);
  }
  a00000_.pen_x = x;
  a00000_.pen_y = y;
}

}  // namespace

namespace device {
std::int32_t g_path_motions = 0;
bool g_path_needs_move = true;
ClipLimits g_clip_limits;
}  // namespace device

void xplot(float x, float y, int code) {
  if (code == 2 && device::draw_in_place(x, y)) [[likely]] return;
  move_pen(x, y, code);
}

}  // namespace plume

extern "C" void xplot_(const float* x, const float* y, const int32_t* code) {
  plume::xplot(*x, *y, *code);
}
