// Trace plot readers harness: the run parameter reader and the trace file
// reader of driver/, fed from in-memory files, and the numeric conversions
// below them.
//
// The program itself (driver/traceplot.cpp) reports bad input by exit(), so
// the harness drives the layer below, which throws InputError: it reads the
// parameters and the trace file in the program's order, records and all,
// and an InputError ends the input as the program's error path would.
//
// Properties: no sanitizer report, no exception other than InputError, a
// sample vector never longer than the count asked for, and decimal_to_float
// rounding exactly as the C library's correctly rounded strtof does.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/input_error.hpp"
#include "driver/line_reader.hpp"
#include "driver/numeric_input.hpp"
#include "driver/parameter_reader.hpp"
#include "driver/trace_reader.hpp"
#include "fuzz/fuzz_input.hpp"
#include "fuzz/memory_file.hpp"
#include "fuzz/text_harness.hpp"  // PLUME_FUZZ_CHECK

namespace plume::fuzz {
namespace trace_detail {

inline int memory_file(std::string_view bytes) { return fuzz::memory_file(bytes, "plume-fuzz-trace"); }

// Buffer sizes of the line reader: tiny ones send most records down the
// path for lines longer than the buffer.
inline std::size_t buffer_capacity(std::uint8_t selector) {
  static constexpr std::size_t kCapacities[] = {0, 1, 2, 3, 5, 8, 13, 16, 25, 64, 73, 100, 4096, std::size_t{1} << 16};
  return kCapacities[selector % std::size(kCapacities)];
}

// The program's reading order: four parameters, then the trace file's
// header, count, and every trace's three header records and samples.
inline void read_like_the_program(traceplot::LineReader& parameters, traceplot::LineReader& traces) {
  (void)traceplot::read_run_parameters(parameters);
  traceplot::TraceReader reader(traces);
  (void)reader.read_file_header();
  const std::int32_t count = reader.read_trace_count();
  std::vector<float> samples;
  // Every trace takes at least four records, so the input bounds the loop.
  for (std::int32_t trace = 1; trace <= count; ++trace) {
    const traceplot::TraceHeader header = reader.read_trace_header(trace);
    reader.read_samples(trace, header.sample_count, samples);
    PLUME_FUZZ_CHECK(samples.size() == static_cast<std::size_t>(std::max(header.sample_count, 0)));
  }
}

inline void readers(std::string_view bytes, std::size_t parameter_capacity, std::size_t trace_capacity) {
  // The parameters are the bytes before the first NUL, the trace file the rest.
  const std::size_t split = std::min(bytes.find('\0'), bytes.size());
  const int parameter_fd = memory_file(bytes.substr(0, split));
  const int trace_fd = memory_file(bytes.substr(std::min(split + 1, bytes.size())));
  if (parameter_fd < 0 || trace_fd < 0) {
    if (parameter_fd >= 0) ::close(parameter_fd);
    if (trace_fd >= 0) ::close(trace_fd);
    return;
  }
  traceplot::LineReader parameters(parameter_fd, "standard input", true, parameter_capacity);
  traceplot::LineReader traces(trace_fd, "fort.10", true, trace_capacity);
  try {
    read_like_the_program(parameters, traces);
  } catch (const traceplot::InputError& e) {
    PLUME_FUZZ_CHECK(std::strlen(e.what()) > 0);  // the program reports it and exits
  }
}

// decimal_to_float against strtof: both round the same decimal number.
inline void check_decimal_to_float(FuzzInput& in) {
  const bool negative = in.byte() % 2 == 1;
  const std::size_t length = in.below(120);
  std::string digits;
  for (std::size_t k = 0; k < length && !in.empty(); ++k) digits += static_cast<char>('0' + in.byte() % 10);
  const std::int64_t exponent = static_cast<std::int16_t>(in.u32() & 0xffff) % 500;
  const float value = traceplot::decimal_to_float(negative, digits, exponent);
  std::string text = negative ? "-" : "+";
  text.append(digits.empty() ? std::string_view("0") : std::string_view(digits));
  text.push_back('e');
  text.append(std::to_string(exponent));
  const float expected = std::strtof(text.c_str(), nullptr);
  if (std::memcmp(&value, &expected, sizeof value) != 0) {
    std::fprintf(stderr, "decimal_to_float(%s) = %a, strtof gives %a\n", text.c_str(), value, expected);
    PLUME_FUZZ_CHECK(!"decimal_to_float rounds like strtof");
  }
}

// The field and list conversions on arbitrary characters.
inline void conversions(FuzzInput& in) {
  const int implied_decimals = static_cast<std::int8_t>(in.byte());
  const std::string field(in.bytes(in.below(40)));
  (void)traceplot::read_real_field(field, implied_decimals);
  (void)traceplot::read_integer_field(field);
  (void)traceplot::read_list_real(field);
  check_decimal_to_float(in);
}

}  // namespace trace_detail

inline void trace_one_input(std::span<const std::uint8_t> data) {
  using namespace trace_detail;
  FuzzInput in(data);
  const std::uint8_t mode = in.byte();
  if (mode < 64) {
    conversions(in);
    return;
  }
  const std::size_t parameter_capacity = buffer_capacity(in.byte());
  const std::size_t trace_capacity = buffer_capacity(in.byte());
  readers(in.bytes(data.size()), parameter_capacity, trace_capacity);
}

}  // namespace plume::fuzz
