#include "driver/trace_reader.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "driver/input_error.hpp"
#include "driver/numeric_input.hpp"

namespace traceplot {
namespace {

constexpr std::size_t kHeaderWidth = 12;
constexpr int kHeaderDecimals = 5;
constexpr std::size_t kCountWidth = 5;
constexpr std::size_t kAmplitudeWidth = 15;
constexpr std::size_t kSampleWidth = 12;
constexpr int kSampleDecimals = 7;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string problem(ReadStatus status, std::string_view field) {
  std::string text;
  switch (status) {
    case ReadStatus::exponent_range:
      text = "exponent out of range: ";
      break;
    case ReadStatus::too_large:
      text = "integer out of range: ";
      break;
    default:
      text = field.find('\t') != std::string_view::npos
                 ? "not a number (a tab is not a blank in a fixed-column field): "
                 : "not a number: ";
  }
  return text + quoted(trimmed(field));
}

[[noreturn]] void field_error(const LineReader& lines, const FieldCursor& cursor, std::string_view field,
                              const std::string& what, ReadStatus status) {
  const std::size_t first = cursor.column();
  const std::size_t last = first + std::max<std::size_t>(field.size(), 1) - 1;
  throw InputError(lines.name() + ", line " + std::to_string(lines.line_number()) + ", columns " +
                   std::to_string(first) + "-" + std::to_string(last) + " (" + what +
                   "): " + problem(status, field));
}

std::string of_trace(int trace) { return " of trace " + std::to_string(trace); }

}  // namespace

std::string_view FieldCursor::next(std::size_t width) {
  start_ = position_;
  const std::size_t available = std::min(width, record_.size() - position_);
  const char* begin = record_.data() + position_;
  const void* comma = std::memchr(begin, ',', available);
  const std::size_t length =
      comma != nullptr ? static_cast<std::size_t>(static_cast<const char*>(comma) - begin) : available;
  position_ += length + (comma != nullptr ? 1 : 0);
  return {begin, length};
}

std::string_view TraceReader::next_record(std::string_view what, std::size_t keep) {
  std::string_view record;
  if (!lines_.next(record, keep)) {
    throw InputError(lines_.name() + ", line " + std::to_string(lines_.line_number() + 1) +
                     ": end of file before " + std::string(what));
  }
  return record;
}

FileHeader TraceReader::read_file_header() {
  FieldCursor fields(next_record("the file header", 2 * kHeaderWidth));
  FileHeader header;
  const auto interval_field = fields.next(kHeaderWidth);
  const auto interval = read_real_field(interval_field, kHeaderDecimals);
  if (interval.status != ReadStatus::ok) {
    field_error(lines_, fields, interval_field, "sample interval", interval.status);
  }
  const auto second_field = fields.next(kHeaderWidth);
  const auto second = read_real_field(second_field, kHeaderDecimals);
  if (second.status != ReadStatus::ok) {
    field_error(lines_, fields, second_field, "second value of the file header", second.status);
  }
  header.sample_interval = interval.value;
  header.unused = second.value;
  return header;
}

std::int32_t TraceReader::read_trace_count() {
  FieldCursor fields(next_record("the trace count", kCountWidth));
  const auto field = fields.next(kCountWidth);
  const auto count = read_integer_field(field);
  if (count.status != ReadStatus::ok) field_error(lines_, fields, field, "trace count", count.status);
  return count.value;
}

TraceHeader TraceReader::read_trace_header(int trace) {
  TraceHeader header;
  read_trace_position(trace, header);
  read_sample_count(trace, header);
  read_amplitude(trace, header);
  return header;
}

void TraceReader::read_trace_position(int trace, TraceHeader& header) {
  FieldCursor fields(next_record("the header" + of_trace(trace), 2 * kHeaderWidth));
  const auto position_field = fields.next(kHeaderWidth);
  const auto position = read_real_field(position_field, kHeaderDecimals);
  if (position.status != ReadStatus::ok) {
    field_error(lines_, fields, position_field, "position" + of_trace(trace), position.status);
  }
  const auto second_field = fields.next(kHeaderWidth);
  const auto second = read_real_field(second_field, kHeaderDecimals);
  if (second.status != ReadStatus::ok) {
    field_error(lines_, fields, second_field, "second value of the header" + of_trace(trace), second.status);
  }
  header.position = position.value;
  header.unused = second.value;
}

void TraceReader::read_sample_count(int trace, TraceHeader& header) {
  FieldCursor fields(next_record("the sample count" + of_trace(trace), kCountWidth));
  const auto field = fields.next(kCountWidth);
  const auto count = read_integer_field(field);
  if (count.status != ReadStatus::ok) {
    field_error(lines_, fields, field, "sample count" + of_trace(trace), count.status);
  }
  header.sample_count = count.value;
}

void TraceReader::read_amplitude(int trace, TraceHeader& header) {
  FieldCursor fields(next_record("the amplitude" + of_trace(trace), kAmplitudeWidth));
  const auto field = fields.next(kAmplitudeWidth);
  const auto amplitude = read_real_field(field, kSampleDecimals);
  if (amplitude.status != ReadStatus::ok) {
    field_error(lines_, fields, field, "amplitude" + of_trace(trace), amplitude.status);
  }
  header.amplitude = amplitude.value;
  header.amplitude_line = lines_.line_number();
}

void TraceReader::read_samples(int trace, std::int32_t count, std::vector<float>& samples) {
  samples.clear();
  const std::int32_t total = std::max<std::int32_t>(count, 0);
  std::int32_t remaining = total;
  do {
    const std::int32_t first = total - remaining + 1;
    const std::int32_t here = std::min<std::int32_t>(remaining, kSamplesPerRecord);
    std::string_view record;
    if (!lines_.next(record, kSamplesPerRecord * kSampleWidth)) {
      const std::string which = total == 0 ? "(a trace without samples still has one)"
                                           : "(samples " + std::to_string(first) + "-" +
                                                 std::to_string(first + here - 1) + " of " +
                                                 std::to_string(total) + ")";
      throw InputError(lines_.name() + ", line " + std::to_string(lines_.line_number() + 1) +
                       ": end of file before the sample record" + of_trace(trace) + " " + which);
    }
    if (remaining == total) first_sample_line_ = lines_.line_number();
    FieldCursor fields(record);
    for (std::int32_t k = 0; k < here; ++k) {
      const auto field = fields.next(kSampleWidth);
      const auto sample = read_real_field(field, kSampleDecimals);
      if (sample.status != ReadStatus::ok) {
        field_error(lines_, fields, field, "sample " + std::to_string(first + k) + of_trace(trace),
                    sample.status);
      }
      samples.push_back(sample.value);
    }
    remaining -= here;
  } while (remaining > 0);
}

}  // namespace traceplot
