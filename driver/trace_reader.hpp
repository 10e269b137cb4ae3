// The trace file: fixed-column records read as the formats "(2F12.5)",
// "(I5)", "(F15.7)" and "(6F12.7)" read them, with the gfortran runtime's
// rules for external files: blanks in a field are ignored, a record that
// ends early reads as if padded with blanks, and a comma ends a field early
// (the next field starts after it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "driver/line_reader.hpp"

namespace traceplot {

struct FileHeader {
  float sample_interval = 0.0f;
  float unused = 0.0f;
};

struct TraceHeader {
  float position = 0.0f;
  float unused = 0.0f;
  std::int32_t sample_count = 0;
  float amplitude = 0.0f;
  long amplitude_line = 0;  // for messages about the amplitude
};

// The fields of one record, left to right.
class FieldCursor {
 public:
  explicit FieldCursor(std::string_view record) : record_(record) {}
  // The next field of `width` columns, shorter where the record ends or a
  // comma stands within it; the comma is passed over.
  std::string_view next(std::size_t width);
  // 1-based column of the first character of the field last returned.
  std::size_t column() const { return start_ + 1; }

 private:
  std::string_view record_;
  std::size_t position_ = 0;
  std::size_t start_ = 0;
};

class TraceReader {
 public:
  static constexpr int kSamplesPerRecord = 6;

  explicit TraceReader(LineReader& lines) : lines_(lines) {}

  FileHeader read_file_header();
  std::int32_t read_trace_count();
  // The three header records of trace `trace` (1-based), one READ each:
  // position record, sample count, amplitude.
  TraceHeader read_trace_header(int trace);
  void read_trace_position(int trace, TraceHeader& header);
  void read_sample_count(int trace, TraceHeader& header);
  void read_amplitude(int trace, TraceHeader& header);
  // The trace's sample records: `count` values, six to a record, and always
  // at least one record (a count of 0 or less reads one and ignores it).
  // `samples` grows with the records actually read.
  void read_samples(int trace, std::int32_t count, std::vector<float>& samples);
  // The line of the first sample record read by read_samples.
  long first_sample_line() const { return first_sample_line_; }

  const LineReader& lines() const { return lines_; }

 private:
  std::string_view next_record(std::string_view what, std::size_t keep);

  LineReader& lines_;
  long first_sample_line_ = 0;
};

}  // namespace traceplot
