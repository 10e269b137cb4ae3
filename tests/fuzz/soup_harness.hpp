// Call soup harness: the input decodes into a sequence of at most 200 public
// calls of plume.hpp with arbitrary arguments, on output units redirected to
// temporary files, and the plot is closed at the end.
//
// Properties: no sanitizer report and no hang; every document the harness
// closes normally renders in Ghostscript (checked by the replay, not in the
// fuzz loop). The harness keeps the rules an application must keep:
// - drawing happens only while a plot is open (a line written with no plot
//   open would go to standard error, or to fort.<n> in the working
//   directory), so a drawing call with no open plot opens one first;
// - the standard units 0, 5 and 6 are never used: documents go to a table of
//   other unit numbers, each connected to a temporary file before its open;
// - a pen-up move precedes drawing where the path may have no current point
//   (CurrentPoint in harness.hpp).
// Calls whose work grows with their arguments are capped where the library
// legitimately does that much work: axis lengths, and dashed lines with many
// pieces (see kMaxAxisLength and kMaxDashPieces).
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "fuzz/fuzz_input.hpp"
#include "fuzz/harness.hpp"
#include "fuzz/text_harness.hpp"
#include "plume/plume.hpp"
#include "plume/records.h"

namespace plume::fuzz {
namespace soup_detail {

inline constexpr int kMaxCalls = 200;
inline constexpr std::size_t kMaxText = 64;
inline constexpr std::size_t kMaxArray = 40;
// An axis of length L draws L + 1 ticks with a six-character number each;
// the library accepts lengths up to 32767 (1.3 million motion lines, 34 MB,
// for one call). Longer lengths are reduced modulo this one.
inline constexpr float kMaxAxisLength = 20.0f;
// dashp cuts its distance into up to 2^24 pieces, one motion line each
// (16.8 million lines, 437 MB, for one call with a tiny dash length).
inline constexpr double kMaxDashPieces = 1000.0;

// Output units the soup may use; slot k of the sink belongs to kUnits[k].
inline constexpr std::array<std::int32_t, kSlots> kUnits = {
    8, 7, 1, 99, 12345, -1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};

// A data array owned by the harness, of a size chosen by the input.
inline std::vector<float> data_array(FuzzInput& in) {
  std::vector<float> v(in.below(static_cast<int>(kMaxArray)));
  for (auto& x : v) x = in.real();
  return v;
}

// What dashp would cut into pieces: the number of pieces from the pen
// position to (x, y), computed as the library does.
inline double dash_pieces(float x, float y, float dash_length) {
  if (!(dash_length > 1e-20f)) return 0.0;
  const float px = a00000_.pen_x;
  const float py = a00000_.pen_y;
  const float distance = std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
  if (!std::isfinite(distance)) return 0.0;  // drawn solid
  float piece = dash_length;
  if (2.0f * dash_length > distance) piece = distance / 2.0f;
  if (!(distance >= 1e-20f)) return 0.0;
  return static_cast<double>(distance) / static_cast<double>(piece);
}

// The pieces of all the dashed segments dashl draws (points as line and dashl
// convert them: (value - first) / delta).
inline double dashl_pieces(std::span<const float> xs, std::span<const float> ys, int count, int stride) {
  if (count <= 0 || stride <= 0) return 0.0;
  const auto n = static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(stride);
  const auto extent = n + static_cast<std::uint64_t>(stride) + 1;
  if (xs.size() < extent || ys.size() < extent) return 0.0;
  const auto at = [&](std::span<const float> a, std::uint64_t e) {
    return (a[e] - a[n]) / a[n + static_cast<std::uint64_t>(stride)];
  };
  double total = 0.0;
  for (int i = 1; i < count; ++i) {
    const auto e0 = static_cast<std::uint64_t>(i - 1) * static_cast<std::uint64_t>(stride);
    const auto e1 = e0 + static_cast<std::uint64_t>(stride);
    const float dx = at(xs, e1) - at(xs, e0);
    const float dy = at(ys, e1) - at(ys, e0);
    const float distance = std::sqrt(dx * dx + dy * dy);
    if (std::isfinite(distance)) total += static_cast<double>(distance) / 0.254;
  }
  return total;
}

class Soup {
 public:
  Soup(FuzzInput& in, const DocumentSink& sink) : in_(in), sink_(sink) {}

  void run() {
    for (int call = 0; call < kMaxCalls && !in_.empty(); ++call) one_call();
    if (open_) close();
    // Units whose documents were left open (a plot opened on another unit
    // meanwhile) are closed, so that nothing is left over for the next input.
    for (int k = 0; k < kSlots; ++k) {
      if ((used_ & (1u << k)) != 0) connect_unit(kUnits[static_cast<std::size_t>(k)], sink_.path(k));
    }
  }

 private:
  int unit_slot() { return in_.byte() % kSlots; }

  void open(int orientation, int slot, int units) {
    const std::int32_t unit = kUnits[static_cast<std::size_t>(slot)];
    // A second open on the open unit writes a second head into the same
    // document; any other unit starts a document of its own.
    if (!(open_ && slot == slot_)) connect_unit(unit, sink_.path(slot));
    used_ |= 1u << slot;
    hplots(1, orientation, unit, units);
    open_ = true;
    slot_ = slot;
    point_.lost();  // the open ends with a colour line
  }

  void ensure_open() {
    if (!open_) open(1, 0, 0);
  }

  // Drawing needs an open plot and, after some calls, a pen-up move first.
  void prepare_drawing() {
    ensure_open();
    point_.ensure();
  }

  void close() {
    if (in_.byte() % 2 == 0) {
      const std::int32_t orientation = in_.integer(), unit = in_.integer(), units = in_.integer();
      hplots(0, orientation, unit, units);  // only the first argument counts
    } else {
      const float x = in_.real(), y = in_.real();
      plot(x, y, 999);
    }
    open_ = false;
    sink_.report_closed(sink_.path(slot_));
  }

  std::int32_t pen_code() {
    static constexpr std::int32_t kCodes[] = {3, 2, 3, 2, -3, -2, 999, 0, 1, 4, -1, -4, -999};
    const std::uint8_t selector = in_.byte();
    return selector < 240 ? kCodes[selector % std::size(kCodes)] : in_.integer();
  }

  void pen_motion(bool through_plot) {
    const float x = in_.real(), y = in_.real();
    std::int32_t code = pen_code();
    if (code == 999 && through_plot) {
      if (open_) close();
      return;
    }
    prepare_drawing();
    if (through_plot) {
      plot(x, y, code);
    } else {
      xplot(x, y, code);
    }
    // A move makes its point current; plot with a negative code moves to the
    // new origin.
    if (code == 3) point_.moved_to(x, y);
    if (through_plot && code == -3) point_.moved_to(0.0f, 0.0f);
  }

  void attributes(std::uint8_t op) {
    prepare_drawing();
    switch (op) {
      case 0:
      {
        const std::int32_t number = in_.integer(), tone = in_.integer();
        pen(number, tone);
        point_.moved_to_pen();
      }
        break;
      case 1:
        newpen(in_.integer());
        point_.moved_to_pen();
        break;
      case 2:
        (void)color(in_.integer());
        point_.lost();
        break;
      case 3: {
        const float r = in_.real(), g = in_.real(), b = in_.real();
        rgbcolor(r, g, b);
        point_.lost();
        break;
      }
      default:
        dashln(in_.integer());
        point_.moved_to_pen();
        break;
    }
  }

  void shapes(std::uint8_t op) {
    const float x = in_.real(), y = in_.real(), a = in_.real(), b = in_.real();
    prepare_drawing();
    switch (op) {
      case 0:
        rectangle(x, y, a, b);
        point_.lost();
        break;
      case 1:
        xrectangle(x, y, a, b, in_.integer());
        point_.lost();
        break;
      case 2:
        rect(x, y, a, b);
        break;
      case 3: {
        const std::int32_t fill = in_.integer();
        xrect(x, y, a, b, fill);
        if (fill == 1) point_.lost();
        break;
      }
      case 4:
        arc(x, y, a, b, in_.real());
        break;
      case 5:
        circle(x, y, a);
        break;
      case 6: {
        const float end = in_.real();
        const std::int32_t fill = in_.integer();
        xarc(x, y, a, b, end, fill);
        if (fill == 1) point_.lost();
        break;
      }
      case 7:
        xcircle(x, y, a, in_.integer());
        point_.lost();
        break;
      case 8:
        fillup();
        point_.lost();
        break;
      default: {
        const std::int32_t c = in_.integer(), t = in_.integer();
        xfillup(c, t);
        point_.lost();
        break;
      }
    }
  }

  void page(std::uint8_t op) {
    prepare_drawing();
    if (op == 0) {
      const float x1 = in_.real(), y1 = in_.real(), x2 = in_.real(), y2 = in_.real();
      const bool written = page_point_finite(x1, y1) && page_point_finite(x2, y2);
      viewport(x1, y1, x2, y2);
      // The window rectangle stays the current path.
      if (written) point_.set_known();
    } else {
      newpage();
      point_.lost();
    }
  }

  void text(std::uint8_t op) {
    const float x = in_.real(), y = in_.real(), height = in_.real(), angle = in_.real();
    switch (op) {
      case 0: {
        auto t = text_argument(in_, kMaxText);
        prepare_drawing();
        symbol(x, y, height, t.text.view(), angle, t.count);
        break;
      }
      case 1: {
        const std::int32_t marker = in_.byte() < 200 ? in_.below(30) - 2 : in_.integer();
        const std::int32_t n = in_.byte() < 200 ? -1 - in_.below(3) : in_.integer();
        prepare_drawing();
        symbol(x, y, height, marker, angle, n);
        break;
      }
      case 2: {
        const std::int32_t pen = in_.integer(), marker = in_.integer();
        prepare_drawing();
        csymbl(x, y, pen, height, marker);
        break;
      }
      case 3: {
        auto t = text_argument(in_, kMaxText);
        const std::int32_t font = in_.integer();
          prepare_drawing();
        xsymbol(x, y, height, t.text.view(), angle, t.count, font);
        point_.moved_to(height < 0.0f ? 0.0f : x, height < 0.0f ? 0.0f : y);
        break;
      }
      case 4: {
        const float value = in_.real();
        const std::int32_t format = in_.integer();
        prepare_drawing();
        number(x, y, height, value, angle, format);
        break;
      }
      case 5: {
        const float value = in_.real();
        const std::int32_t format = in_.integer(), font = in_.integer();
          prepare_drawing();
        xnumber(x, y, height, value, angle, format, font);
        point_.moved_to(height < 0.0f ? 0.0f : x, height < 0.0f ? 0.0f : y);
        break;
      }
      case 6: {
        auto t = text_argument(in_, kMaxText);
        (void)justfy(height, t.text.view(), t.count);
        break;
      }
      default: {
        const std::int32_t i = in_.integer(), j = in_.integer();
        prepare_drawing();
        if (point_.known()) hexstr(i, j);
        break;
      }
    }
  }

  void annotation(std::uint8_t op) {
    switch (op) {
      case 0: {
        const float x = in_.real(), y = in_.real();
        auto label = text_argument(in_, kMaxText);
        float length = in_.real();
        const float angle = in_.real(), first = in_.real(), delta = in_.real();
        // An infinite length stands for the longest axis; NaN passes through.
        if (std::isinf(length)) {
          length = std::copysign(kMaxAxisLength, length);
        } else if (std::fabs(length) > kMaxAxisLength) {
          length = std::fmod(length, kMaxAxisLength);
        }
        prepare_drawing();
        axis(x, y, label.text.view(), label.count, length, angle, first, delta);
        break;
      }
      case 1: {
        auto values = data_array(in_);
        const float length = in_.real();
        const std::int32_t count = in_.integer(), stride = in_.integer();
        scale(values, length, count, stride);
        const int which = in_.byte() % 2;
        arrays_[static_cast<std::size_t>(which)] = std::move(values);
        break;
      }
      case 2: {
        const std::int32_t count = in_.integer(), stride = in_.integer();
        const std::int32_t type = in_.integer(), marker = in_.integer();
        prepare_drawing();
        line(arrays_[0], arrays_[1], count, stride, type, marker);
        break;
      }
      case 3: {
        const std::int32_t count = in_.integer(), stride = in_.integer();
        prepare_drawing();
        if (dashl_pieces(arrays_[0], arrays_[1], count, stride) <= kMaxDashPieces) {
          dashl(arrays_[0], arrays_[1], count, stride);
        }
        break;
      }
      case 4: {
        const float x = in_.real(), y = in_.real();
        float dash = in_.real();
        prepare_drawing();
        const double pieces = dash_pieces(x, y, dash);
        if (pieces > kMaxDashPieces) dash = static_cast<float>(static_cast<double>(dash) * pieces / kMaxDashPieces);
        if (dash_pieces(x, y, dash) <= kMaxDashPieces) dashp(x, y, dash);
        break;
      }
      default: {
        const int which = in_.byte() % 2;
        arrays_[static_cast<std::size_t>(which)] = data_array(in_);
        break;
      }
    }
  }

  void settings(std::uint8_t op) {
    switch (op) {
      case 0: {
        const float x = in_.real(), y = in_.real();
        (void)origin(x, y, in_.integer());
        break;
      }
      case 1:
        (void)factor(in_.real());
        break;
      case 2:
        (void)where();
        break;
      case 3: {
        const float t = rtone(in_.integer());
        PLUME_FUZZ_CHECK(t >= 0.05f && t <= 1.0f);
        break;
      }
      case 4:
        axis_numbering(in_.byte() % 2 == 0 ? AxisNumbering::every_tick : AxisNumbering::alternate_ticks);
        break;
      case 5:
        bounding_box_atend(in_.byte() % 2 == 0);
        break;
      case 6: {
        const int slot = unit_slot();
        connect_unit(kUnits[static_cast<std::size_t>(slot)], sink_.path(slot));
        used_ |= 1u << slot;
        // Connecting the open unit ends its document without a trailer.
        if (open_ && slot == slot_) open_ = false;
        break;
      }
      default: {
        auto t = text_argument(in_, kMaxText);
        chrcod(t.text.view(), t.count);
        (void)write_failures();
        break;
      }
    }
  }

  void one_call() {
    const std::uint8_t op = in_.byte();
    switch (op % 12) {
      case 0: {
        const std::int32_t orientation = in_.integer();
        const int slot = unit_slot();
        open(orientation, slot, in_.integer());
        break;
      }
      case 1:
        if (open_) close();
        break;
      case 2:
      case 3: pen_motion(true); break;
      case 4: pen_motion(false); break;
      case 5: attributes(static_cast<std::uint8_t>(in_.byte() % 5)); break;
      case 6: shapes(static_cast<std::uint8_t>(in_.byte() % 10)); break;
      case 7: page(static_cast<std::uint8_t>(in_.byte() % 4 == 0 ? 1 : 0)); break;
      case 8: text(static_cast<std::uint8_t>(in_.byte() % 8)); break;
      case 9: annotation(static_cast<std::uint8_t>(in_.byte() % 6)); break;
      default: settings(static_cast<std::uint8_t>(in_.byte() % 8)); break;
    }
  }

  FuzzInput& in_;
  const DocumentSink& sink_;
  bool open_ = false;
  int slot_ = 0;
  unsigned used_ = 0;
  CurrentPoint point_;
  std::array<std::vector<float>, 2> arrays_;
};

}  // namespace soup_detail

inline void soup_one_input(std::span<const std::uint8_t> data, const DocumentSink& sink) {
  FuzzInput in(data);
  reset_shared_records();
  axis_numbering(AxisNumbering::every_tick);
  bounding_box_atend(false);
  soup_detail::Soup(in, sink).run();
}

}  // namespace plume::fuzz
