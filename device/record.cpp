#include "device/record.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "device/format.hpp"
#include "device/output_unit.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume::device {
namespace {

struct Counts {
  int non_finite = 0;
  int clamped = 0;
  int unreachable_arcs = 0;
};
Counts g_document;  // since the open of the current document
Counts g_run;       // in the whole run

}  // namespace

Record& Record::text(std::string_view s) {
  const std::size_t n = std::min(s.size(), kCapacity - length_);
  std::memcpy(buffer_ + length_, s.data(), n);
  length_ += n;
  return *this;
}

bool Record::follows_field() const { return length_ > 0 && buffer_[length_ - 1] != ' '; }

// A field whose value fills it would glue to what precedes it into one
// token that no PostScript consumer reads: it keeps one blank before it.
void Record::append_field(const char* field, const char* end) {
  if (follows_field() && field[0] != ' ') text(" ");
  text(std::string_view(field, static_cast<std::size_t>(end - field)));
}

Record& Record::real(float value, int w, int d) {
  if (!std::isfinite(value)) {
    finite_ = false;
    return *this;
  }
  char field[fmt::kMaxMinimalWidth + 64];
  if (w < 0 || w > static_cast<int>(sizeof field) - fmt::kMaxMinimalWidth) return *this;
  char* end = fmt::write_fixed(field, value, w, d);
  if (w > 0 && field[0] == '*') {
    // Beyond the field: the widest value it prints, and the line is counted.
    end = fmt::write_operand(field, value, w, d);
    clamped_ = true;
  }
  append_field(field, end);
  return *this;
}

Record& Record::integer(std::int32_t value, int w) {
  char field[fmt::kMaxMinimalWidth + 64];
  if (w < 0 || w > static_cast<int>(sizeof field) - fmt::kMaxMinimalWidth) return *this;
  char* end = fmt::write_integer(field, value, w);
  if (w > 0 && field[0] == '*') {
    end = fmt::write_operand_integer(field, value, w);
    clamped_ = true;
  }
  append_field(field, end);
  return *this;
}

bool Record::write() {
  if (!finite_) {
    count_dropped();
    return false;
  }
  document().write_line(view());
  if (clamped_) count_clamped();
  return true;
}

void write_text(std::string_view text) { document().write_line(text); }

void write_listed(std::string_view text) {
  Record r;
  r.blank().text(text).write();
}

void count_dropped() {
  ++g_document.non_finite;
  ++g_run.non_finite;
}

void count_clamped() {
  ++g_document.clamped;
  ++g_run.clamped;
}

void count_unreachable_arc() {
  ++g_document.unreachable_arcs;
  ++g_run.unreachable_arcs;
}

int dropped_total() { return g_run.non_finite + g_run.unreachable_arcs; }
int clamped_total() { return g_run.clamped; }

std::uint64_t g_document_serial = 0;

void reset_document_counts() {
  g_document = {};
  ++g_document_serial;
}

std::uint64_t document_serial() { return g_document_serial; }

void report_document_counts(int unit, const std::string& path) {
  const auto report = [&](int n, const char* singular, const char* plural, const char* what) {
    if (n > 0) std::fprintf(stderr, "plume: %d %s %s unit %d (%s)\n", n, n == 1 ? singular : plural, what, unit, path.c_str());
  };
  report(g_document.non_finite, "line", "lines", "with a non-finite operand not written to");
  report(g_document.clamped, "line", "lines", "with an operand beyond its field written clamped to");
  report(g_document.unreachable_arcs, "arc", "arcs", "reaching beyond what PostScript interpreters build not written to");
  g_document = {};
}

}  // namespace plume::device

namespace plume {
int dropped_lines() { return device::dropped_total(); }
int clamped_lines() { return device::clamped_total(); }
}  // namespace plume

extern "C" {
int32_t plume_dropped_lines(void) { return plume::dropped_lines(); }
int32_t plume_clamped_lines(void) { return plume::clamped_lines(); }
}
