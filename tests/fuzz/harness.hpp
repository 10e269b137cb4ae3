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

// The sink of a fuzzing process: $TMPDIR/plume-fuzz-<pid>-<slot>.eps (TMPDIR
// defaults to /tmp), reused for every input and removed at a normal exit
// (libFuzzer ends some runs without one: run.sh points TMPDIR into its work
// directory).
inline const DocumentSink& process_sink() {
  // Never destroyed: the exit handler that removes the files needs it.
  static const DocumentSink* const sink = [] {
    auto* s = new DocumentSink;
    const char* tmp = std::getenv("TMPDIR");
    s->prefix = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/plume-fuzz-" +
                std::to_string(::getpid()) + "-";
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
