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

[[gnu::always_inline]] inline void write_operator_line(float px, float py, const char (&op)[5]) {
  auto& out = device::document();
  char* p = out.reserve(kOperatorLine);
  p = fmt::path::write_finite_path_operands(p, px, py);  // y keeps a blank before it
  std::memcpy(p, op, 4);
  out.commit(p + 4);
}

// The same line written from a slow path: one copy of the writer for them all.
[[gnu::noinline]] void write_operator_line_out_of_line(float px, float py, const char (&op)[5]) {
  write_operator_line(px, py, op);
}

// The clip window as whole-point limits, derived again whenever the window
// changes. For a window within 2^23 points of the page origin, "the box edge
// is the truncated window edge when the window edge lies inside it" is the
// same as taking the larger (smaller) of the two, so one min and one max do
// what a conversion and a comparison per edge would.
struct ClipLimits {
  std::uint32_t window[4] = {};
  bool known = false;
  bool whole_points = false;  // the window is within 2^23 of the origin
  std::int32_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};
ClipLimits g_clip;

[[gnu::noinline]] void derive_clip_limits() {
  const auto& c = m00001_;
  std::memcpy(g_clip.window, &c, sizeof g_clip.window);
  g_clip.known = true;
  constexpr float kExact = 8388608.0f;  // 2^23
  const auto near = [](float v) { return std::fabs(v) < kExact; };
  g_clip.whole_points = near(c.clip_xmin) && near(c.clip_ymin) && near(c.clip_xmax) && near(c.clip_ymax);
  if (g_clip.whole_points) {
    g_clip.xmin = static_cast<std::int32_t>(c.clip_xmin);
    g_clip.ymin = static_cast<std::int32_t>(c.clip_ymin);
    g_clip.xmax = static_cast<std::int32_t>(c.clip_xmax);
    g_clip.ymax = static_cast<std::int32_t>(c.clip_ymax);
  }
}

// The window is compared bit for bit: any program may have written the record.
[[gnu::always_inline]] inline const ClipLimits& clip_limits() {
  static_assert(sizeof g_clip.window == sizeof m00001_);
  if (!g_clip.known || std::memcmp(&m00001_, g_clip.window, sizeof g_clip.window) != 0) [[unlikely]]
    derive_clip_limits();
  return g_clip;
}

struct Box {
  std::int32_t lox, loy, hix, hiy;
};

// The documented rule, comparing in single precision, for windows far out.
[[gnu::noinline]] Box clip_by_comparison(Box b) {
  const auto& c = m00001_;
  if (c.clip_xmin > static_cast<float>(b.lox)) b.lox = device::truncate_saturating(c.clip_xmin);
  if (static_cast<float>(b.hix) > c.clip_xmax) b.hix = device::truncate_saturating(c.clip_xmax);
  if (c.clip_ymin > static_cast<float>(b.loy)) b.loy = device::truncate_saturating(c.clip_ymin);
  if (static_cast<float>(b.hiy) > c.clip_ymax) b.hiy = device::truncate_saturating(c.clip_ymax);
  return b;
}

[[gnu::always_inline]] inline void record_segment(float px, float py) {
  auto& b = m00000_;
  const double scale = a00000_.units_scale;
  // The start is truncated as computed, without a rounding to single precision.
  const std::int32_t sx = device::truncate_finite(scale * a00000_.pen_x + p00001_.origin_x);
  const std::int32_t sy = device::truncate_finite(scale * a00000_.pen_y + p00001_.origin_y);
  const std::int32_t ex = device::truncate_finite(px);
  const std::int32_t ey = device::truncate_finite(py);
  std::int32_t lox = std::min(ex, sx), loy = std::min(ey, sy);
  std::int32_t hix = std::max(sx, ex), hiy = std::max(sy, ey);
  const ClipLimits& clip = clip_limits();
  if (clip.whole_points) [[likely]] {
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


// Every code but a plain draw inside the path's flush period.
[[gnu::noinline]] void move_pen(float x, float y, float px, float py, int code) {
  auto& state = m00000_;
  if (code == 3 && state.move_pending == 1) {
    // A second move in a row strokes and restarts the path: not counted.
    write_operator_line_out_of_line(px, py, " pM\n");
    state.move_pending = 0;
    g_nplot = 0;
  } else {
    if (const auto op = operator_of(code)) write_operator_line_out_of_line(px, py, *op);
    state.move_pending = code == 3 ? 1 : 0;
    if (++g_nplot > kFlushAfter) {
      write_operator_line_out_of_line(px, py, " pM\n");
      g_nplot = 0;
    }
    if (code == 2 || code == -2) record_segment(px, py);
  }
  a00000_.pen_x = x;
  a00000_.pen_y = y;
}

}  // namespace

void xplot(float x, float y, int code) {
  const float px = device::page_x(x);
  const float py = device::page_y(y);
  if (!std::isfinite(px) || !std::isfinite(py)) [[unlikely]] {
    device::count_dropped();  // nothing written, pen and path state unchanged
    return;
  }
  // The line of nearly every motion: a draw that does not end the flush
  // period, into a buffer with room for it. No call on this path.
  device::OutputUnit* out = device::cached_document();
  char* p = out != nullptr ? out->room(kOperatorLine) : nullptr;
  if (code == 2 && g_nplot < kFlushAfter && p != nullptr) [[likely]] {
    p = fmt::path::write_finite_path_operands(p, px, py);
    std::memcpy(p, " pL\n", 4);
    out->commit(p + 4);
    m00000_.move_pending = 0;
    ++g_nplot;
    record_segment(px, py);
    a00000_.pen_x = x;
    a00000_.pen_y = y;
    return;
  }
  move_pen(x, y, px, py, code);
}

}  // namespace plume

extern "C" void xplot_(const float* x, const float* y, const int32_t* code) {
  plume::xplot(*x, *y, *code);
}
