#include "device/record.hpp"

#include <cmath>
#include <cstring>

#include "device/format.hpp"
#include "device/output_unit.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume::device {
namespace {
int g_dropped = 0;        // since the last take_dropped_count()
int g_dropped_total = 0;  // in the whole run
}

Record& Record::text(std::string_view s) {
  const std::size_t n = std::min(s.size(), kCapacity - length_);
  std::memcpy(buffer_ + length_, s.data(), n);
  length_ += n;
  return *this;
}

// An operand that follows another field directly is written as one blank
// and a field one narrower: identical whenever the value leaves a blank of
// its own, and it keeps operands apart where a full field would glue two
// numbers into one token that no PostScript consumer reads.
bool Record::follows_field() const { return length_ > 0 && buffer_[length_ - 1] != ' '; }

Record& Record::real(float value, int w, int d) {
  if (!std::isfinite(value)) {
    finite_ = false;
    return *this;
  }
  if (kCapacity - length_ < static_cast<std::size_t>(fmt::kMaxMinimalWidth + w)) return *this;
  char* out = buffer_ + length_;
  if (w > 1 && follows_field()) {
    *out++ = ' ';
    --w;
  }
  length_ = static_cast<std::size_t>(fmt::write_operand(out, value, w, d) - buffer_);
  return *this;
}

Record& Record::integer(std::int32_t value, int w) {
  if (kCapacity - length_ < static_cast<std::size_t>(fmt::kMaxMinimalWidth + w)) return *this;
  char* out = buffer_ + length_;
  if (w > 1 && follows_field()) {
    *out++ = ' ';
    --w;
  }
  length_ = static_cast<std::size_t>(fmt::write_operand_integer(out, value, w) - buffer_);
  return *this;
}

void Record::write() {
  if (!finite_) {
    count_dropped();
    return;
  }
  document().write_line(view());
}

void write_text(std::string_view text) { document().write_line(text); }

void write_listed(std::string_view text) {
  Record r;
  r.blank().text(text).write();
}

void count_dropped() {
  ++g_dropped;
  ++g_dropped_total;
}

int dropped_total() { return g_dropped_total; }

int take_dropped_count() {
  const int n = g_dropped;
  g_dropped = 0;
  return n;
}

}  // namespace plume::device

namespace plume {
int dropped_lines() { return device::dropped_total(); }
}  // namespace plume

extern "C" int32_t plume_dropped_lines(void) { return plume::dropped_lines(); }
