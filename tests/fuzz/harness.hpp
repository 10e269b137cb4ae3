// Shared pieces of the fuzz harnesses: where documents go, and the one
// precondition of drawing that applications must keep themselves.
//
// The harness bodies are header-only so that the libFuzzer targets, the
// corpus replay program and the regression test compile the same code.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "plume/plume.hpp"
#include "plume/records.h"

namespace plume::fuzz {

// Where the harnesses write their documents: slot k is the file
// prefix + k + ".eps". `closed`, when set, is called with the path of each
// document right after the harness closed it normally (not in the fuzz
// loop: the replay checks documents with Ghostscript there).
struct DocumentSink {
  std::string prefix;
  std::function<void(const std::string& path)> closed;

  std::string path(int slot) const { return prefix + std::to_string(slot) + ".eps"; }
  void report_closed(const std::string& path) const {
    if (closed) closed(path);
  }
};

// Output slots a harness may use; one file each.
inline constexpr int kSlots = 8;

// The sink of a fuzzing process: /tmp/plume-fuzz-<pid>-<slot>.eps, reused
// for every input and removed at exit.
inline const DocumentSink& process_sink() {
  // Never destroyed: the exit handler that removes the files needs it.
  static const DocumentSink* const sink = [] {
    auto* s = new DocumentSink;
    s->prefix = "/tmp/plume-fuzz-" + std::to_string(::getpid()) + "-";
    std::atexit([] {
      for (int k = 0; k < kSlots; ++k) std::remove(process_sink().path(k).c_str());
    });
    return s;
  }();
  return *sink;
}

// The shared records back to their program-start state (all zero), as a
// Fortran program may write them: every input then starts alike, so that it
// reproduces alone what it did in a fuzzing run (the library's private
// statics, such as the motion counter and the factor's base scale, still
// carry over).
inline void reset_shared_records() {
  a00000_ = {};
  p00000_ = {};
  l00001_ = {};
  p00001_ = {};
  w00001_ = {};
  m00001_ = {};
  m00000_ = {};
  offset_ = {};
  ajust_.code_count = 0;
}

// The page point of a user point under the current scale and origin.
inline bool page_point_finite(float x, float y) {
  return std::isfinite(a00000_.units_scale * x + p00001_.origin_x) &&
         std::isfinite(a00000_.units_scale * y + p00001_.origin_y);
}

// Temporary guards keep the harnesses clear of library faults already found
// and reported (each has its reproducer in fuzz_regression_test.cpp), so
// that fuzzing and the Ghostscript replay go on finding new ones. The
// regression test turns them off to replay the original inputs.
inline bool temporary_guards = true;

// Temporary guard, until the library handles it: Ghostscript cannot build an
// arc that reaches 2^23 device units (8388608 points at 72 dpi, fewer at
// higher resolutions) from the origin: "/limitcheck in --arc--". The library
// writes arcs with any finite operands (clamped to 9999999.999), so an arc,
// a circle or centred symbol 1 far off the page ends the page. The harnesses
// skip arcs that reach past a million points.
inline bool arc_within_reach(float x, float y, float radius) {
  if (!temporary_guards) return true;
  constexpr double kReach = 1e6;
  const double scale = a00000_.units_scale;
  const double px = static_cast<float>(scale * x + p00001_.origin_x);
  const double py = static_cast<float>(scale * y + p00001_.origin_y);
  const double pr = std::fabs(static_cast<float>(radius * scale));
  if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(pr)) return true;  // dropped anyway
  return std::fabs(px) + pr < kReach && std::fabs(py) + pr < kReach;
}

// The same for the circle of centred symbol 1, drawn by symbol (and csymbl,
// line) with a radius of half the height; a start at the continuation point
// (x or y of 999 or more) is somewhere the harness does not know.
inline bool marker_within_reach(float x, float y, float height, std::int32_t marker) {
  if (!temporary_guards || marker != 1) return true;
  if (x >= 999.0f || y >= 999.0f) return false;
  return arc_within_reach(x, y, height / 2.0f);
}

// The centred symbol number that symbol reads from a text when n < 0: its
// first four bytes, blanks where the text is shorter.
inline std::int32_t marker_of_text(std::string_view text) {
  char word[4] = {' ', ' ', ' ', ' '};
  std::memcpy(word, text.data(), std::min<std::size_t>(text.size(), 4));
  std::int32_t marker;
  std::memcpy(&marker, word, 4);
  return marker;
}

// Tracks whether the document's current path has a current point. The
// library writes a pen-down motion as a plain "lineto", which needs one; the
// open, colour changes, fills, rectangles and new pages leave the path
// without one, and drawing must then start with a pen-up move (documented
// usage). The harnesses keep that rule, so that the documents they produce
// are ones a careful application would produce: before any drawing call
// made while the point may be missing, the pen moves up to where it is.
class CurrentPoint {
 public:
  // Moves the pen up to its stored position (or the origin, when that
  // position does not convert to a finite page point) unless the point is
  // known; returns whether the path now has a current point.
  bool ensure() {
    if (known_) return true;
    float x = a00000_.pen_x;
    float y = a00000_.pen_y;
    if (!page_point_finite(x, y)) x = y = 0.0f;
    if (!page_point_finite(x, y)) return false;  // an infinite origin: nothing can be drawn
    plume::plot(x, y, 3);
    known_ = true;
    return true;
  }
  // After a call that may leave the path without a current point.
  void lost() { known_ = false; }
  // After a call that ends with a move to the stored pen position (pen,
  // dashln): the point exists when that position converts.
  void moved_to_pen() { known_ = page_point_finite(a00000_.pen_x, a00000_.pen_y); }
  // After a call that made (x, y) the current point when it converts.
  void moved_to(float x, float y) {
    if (page_point_finite(x, y)) known_ = true;
  }
  void set_known() { known_ = true; }
  bool known() const { return known_; }

 private:
  bool known_ = false;
};

}  // namespace plume::fuzz
