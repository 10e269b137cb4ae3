#include "driver/parameter_reader.hpp"

#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/input_error.hpp"
#include "driver/numeric_input.hpp"

namespace traceplot {
namespace {

// A read keeps this much of its line after the leading blanks: the value
// stands first, and the rest of the line is discarded anyway.
constexpr std::size_t kKeptColumns = 4096;

// The largest repeat count the gfortran runtime accepts.
constexpr std::int64_t kMaxRepeat = 200'000'000;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::size_t skip_blanks(std::string_view line, std::size_t i) {
  while (i < line.size() && is_blank(line[i])) ++i;
  return i;
}

std::size_t token_end(std::string_view line, std::size_t i) {
  while (i < line.size() && !is_list_separator(line[i])) ++i;
  return i;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// "0,8" in a parameter line: a decimal comma, as some locales write it. The
// comma separates values here, so only the digits before it are read.
// Returns the number written with it ("0,8"), or nothing.
std::string_view decimal_comma(std::string_view line) {
  for (std::size_t i = 1; i + 1 < line.size(); ++i) {
    if (line[i] != ',' || !is_digit(line[i - 1]) || !is_digit(line[i + 1])) continue;
    std::size_t begin = i;
    while (begin > 0 && (is_digit(line[begin - 1]) || line[begin - 1] == '.')) --begin;
    if (begin > 0 && (line[begin - 1] == '-' || line[begin - 1] == '+')) --begin;
    std::size_t end = i + 1;
    while (end < line.size() && is_digit(line[end])) ++end;
    return line.substr(begin, end - begin);
  }
  return {};
}

}  // namespace

std::string_view ParameterReader::next_line(std::string_view name, int index, int count) {
  std::string_view line;
  if (!lines_.next_after_blanks(line, kKeptColumns)) {
    throw InputError(lines_.name() + ": end of file before " + std::string(name) + " (parameter " +
                     std::to_string(index) + " of " + std::to_string(count) + ")");
  }
  return line;
}

float ParameterReader::read(std::string_view name, int index, int count) {
  std::string_view line = next_line(name, index, count);
  std::size_t i = skip_blanks(line, 0);
  if (i == line.size()) {
    // The value is on a later line. As the runtime does after a line end, a
    // comma that opens a line is passed over (with the rest of the line when
    // nothing follows it), and so is a slash, which the value must follow
    // directly.
    for (;;) {
      line = next_line(name, index, count);
      i = skip_blanks(line, 0);
      if (i == line.size()) continue;
      if (line[i] == ',') {
        i = skip_blanks(line, i + 1);
        if (i == line.size()) continue;
      } else if (line[i] == '/') {
        ++i;
      }
      break;
    }
  }
  return value_at(line, i, name);
}

float ParameterReader::value_at(std::string_view line, std::size_t i, std::string_view name) {
  const std::string where = lines_.name() + ", line " + std::to_string(lines_.line_number()) + ": ";
  if (i == line.size() || is_list_separator(line[i])) {
    const char c = i == line.size() ? '\n' : line[i];
    throw InputError(
        where + "no value for " + std::string(name) +
        (c == '/' ? " (a slash ends the input)" : " (a null value: a separator stands before any number)"));
  }
  const std::size_t end = token_end(line, i);
  if (end == line.size() && lines_.last_line_cut()) {
    throw InputError(where + "value for " + std::string(name) + " longer than " + std::to_string(kKeptColumns) +
                     " characters");
  }
  const std::string_view token = line.substr(i, end - i);
  std::string_view number = token;

  // "r*value": a repeat count, of which one read uses the first copy.
  std::size_t digits = 0;
  while (digits < token.size() && is_digit(token[digits])) ++digits;
  if (digits > 0 && digits < token.size() && token[digits] == '*') {
    std::int64_t repeat = 0;
    for (std::size_t k = 0; k < digits && repeat <= kMaxRepeat; ++k) repeat = repeat * 10 + (token[k] - '0');
    if (repeat == 0 || repeat > kMaxRepeat) {
      throw InputError(where + (repeat == 0 ? "a repeat count of zero" : "a repeat count too large") +
                       " for " + std::string(name) + ": " + quoted(token));
    }
    number = token.substr(digits + 1);
    if (number.empty()) {
      throw InputError(where + "no value for " + std::string(name) + " (" + quoted(token) +
                       " repeats a null value)");
    }
  }
  const RealRead value = read_list_real(number);
  if (value.status != ReadStatus::ok) {
    throw InputError(where + "not a number for " + std::string(name) + ": " + quoted(token));
  }
  // The value stays as read (documents do not change); the reader is told.
  const std::string_view comma = decimal_comma(line);
  if (!comma.empty()) {
    std::fprintf(stderr, "traceplot: %swarning: the comma in %s separates values, it is no decimal point; %s = %g\n",
                 where.c_str(), quoted(comma).c_str(), std::string(name).c_str(), static_cast<double>(value.value));
  }
  return value.value;
}

RunParameters read_run_parameters(LineReader& lines) {
  ParameterReader reader(lines);
  RunParameters p;
  p.baseline_y = reader.read("baseline_y", 1, 4);
  p.amplitude_scale = reader.read("amplitude_scale", 2, 4);
  p.time_scale = reader.read("time_scale", 3, 4);
  p.spacing_scale = reader.read("spacing_scale", 4, 4);
  return p;
}

}  // namespace traceplot
