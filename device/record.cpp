#include "device/record.hpp"

#include <cmath>
#include <cstring>

#include "device/format.hpp"
#include "device/output_unit.hpp"

namespace plume::device {
namespace {
int g_dropped = 0;
}

Record& Record::text(std::string_view s) {
  const std::size_t n = std::min(s.size(), kCapacity - length_);
  std::memcpy(buffer_ + length_, s.data(), n);
  length_ += n;
  return *this;
}

Record& Record::real(float value, int w, int d) {
  if (!std::isfinite(value)) {
    finite_ = false;
    return *this;
  }
  if (kCapacity - length_ < static_cast<std::size_t>(fmt::kMaxMinimalWidth + w)) return *this;
  length_ = static_cast<std::size_t>(fmt::write_operand(buffer_ + length_, value, w, d) - buffer_);
  return *this;
}

Record& Record::integer(std::int32_t value, int w) {
  if (kCapacity - length_ < static_cast<std::size_t>(fmt::kMaxMinimalWidth + w)) return *this;
  length_ = static_cast<std::size_t>(fmt::write_operand_integer(buffer_ + length_, value, w) - buffer_);
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

void count_dropped() { ++g_dropped; }

int take_dropped_count() {
  const int n = g_dropped;
  g_dropped = 0;
  return n;
}

}  // namespace plume::device
