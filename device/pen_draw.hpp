// The draw that nearly every pen motion is, done in place: a pen-down motion
// onto a path with a current point, inside the path's flush period, to page points below 1000 in magnitude,
// into a buffer with room for its line, with the clip window unchanged since
// its whole-point limits were derived. Anything else is left to the general
// pen motion writer, before a byte or a field has been changed.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "device/output_unit.hpp"
#include "device/path_operands.hpp"
#include "device/plot_state.hpp"
#include "plume/records.h"

namespace plume::device {

// The path is stroked and restarted after this many counted motions.
inline constexpr std::int32_t kPathFlushAfter = 1000;
// "(2f11.3,a)" with a three-character operator and the line feed.
inline constexpr std::size_t kPathLine = 2 * 11 + 4;
// The longest: a y operand that fills its field keeps a blank before it.
inline constexpr std::size_t kLongestPathLine = kPathLine + 1;

// Motions counted since the path was last restarted by a "pM" of ours.
extern std::int32_t g_path_motions;

// True while the document's path has no current point the next draw could
// start from: at the start, after every line that strokes, fills or starts
// a new path, and after a move that was left out (the pen is lost). The
// next draw then writes a move first (xplot.cpp).
extern bool g_path_needs_move;
inline void forget_current_point() { g_path_needs_move = true; }
inline void current_point_set() { g_path_needs_move = false; }

// The clip window as whole-point limits, derived again whenever the window
// changes. For a window within 2^23 points of the page origin, "the box edge
// is the truncated window edge when the window edge lies inside it" is the
// same as taking the larger (smaller) of the two, so one max (min) does what
// a conversion and a comparison per edge would.
struct ClipLimits {
  std::uint32_t window[4] = {};  // the record's bits the limits belong to
  bool whole_points = false;     // derived, and the window within 2^23 of the origin
  std::int32_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};
extern ClipLimits g_clip_limits;

// True when the window's limits hold as derived: any program may have
// written the record since, so it is compared bit for bit.
inline bool clip_limits_hold() {
  static_assert(sizeof g_clip_limits.window == sizeof m00001_);
  return g_clip_limits.whole_points && std::memcmp(&m00001_, g_clip_limits.window, sizeof m00001_) == 0;
}

// Grows the box of drawn segments by one clipped segment box; a box with
// zero right and top edges (none yet, or only at negative points) takes the
// segment's lower edges afresh.
[[gnu::always_inline]] inline void grow_box(std::int32_t lox, std::int32_t loy, std::int32_t hix, std::int32_t hiy) {
  auto& b = m00000_;
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

// Draws to (x, y) and returns true, or changes nothing and returns false.
[[gnu::always_inline]] inline bool draw_in_place(float x, float y) {
  const float px = page_x(x);
  const float py = page_y(y);
  const double scaled_x = std::fabs(static_cast<double>(px)) * 1000.0;
  const double scaled_y = std::fabs(static_cast<double>(py)) * 1000.0;
  if (!(scaled_x < 999999.5 && scaled_y < 999999.5)) return false;  // also NaN and infinities
  if (g_path_motions >= kPathFlushAfter || g_path_needs_move) return false;
  OutputUnit* out = cached_document();
  if (out == nullptr) return false;
  char* p = out->room(kPathLine);
  if (p == nullptr || !clip_limits_hold()) return false;
  // The segment starts at the stored pen, truncated as computed in double.
  const double scale = a00000_.units_scale;
  std::int32_t sx, sy;
  if (!truncate_if_in_range(scale * a00000_.pen_x + p00001_.origin_x, sx) ||
      !truncate_if_in_range(scale * a00000_.pen_y + p00001_.origin_y, sy))
    return false;

  fmt::path::write_small_operand(p, scaled_x, std::signbit(px));
  fmt::path::write_small_operand(p + 11, scaled_y, std::signbit(py));  // its first place is the blank
  std::memcpy(p + 22, " pL\n", 4);
  out->commit(p + kPathLine);
  m00000_.move_pending = 0;
  ++g_path_motions;

  const auto ex = static_cast<std::int32_t>(px), ey = static_cast<std::int32_t>(py);
  const auto& clip = g_clip_limits;
  const std::int32_t lox = std::max(std::min(sx, ex), clip.xmin), loy = std::max(std::min(sy, ey), clip.ymin);
  const std::int32_t hix = std::min(std::max(sx, ex), clip.xmax), hiy = std::min(std::max(sy, ey), clip.ymax);
  grow_box(lox, loy, hix, hiy);
  a00000_.pen_x = x;
  a00000_.pen_y = y;
  return true;
}

}  // namespace plume::device
