// The run parameters: list-directed reads of single reals from standard
// input, one read per parameter, with the gfortran runtime's rules: each read
// starts on a new line, passes over blank lines, takes the first value and
// discards the rest of its line. Blanks, tabs, commas, slashes, semicolons
// and line ends separate values; "r*value" is a repeated value.
//
// A read that would leave its parameter without a value (a null value such
// as a leading comma, "r*" alone, or a slash that ends the input) is an
// error here: the parameter would otherwise be undefined.
#pragma once

#include <array>
#include <string_view>

#include "driver/line_reader.hpp"

namespace traceplot {

struct RunParameters {
  float baseline_y = 0.0f;
  float amplitude_scale = 0.0f;
  float time_scale = 0.0f;
  float spacing_scale = 0.0f;
};

class ParameterReader {
 public:
  explicit ParameterReader(LineReader& lines) : lines_(lines) {}
  // One read: `name` and its 1-based place among `count` name it in messages.
  float read(std::string_view name, int index, int count);

 private:
  std::string_view next_line(std::string_view name, int index, int count);
  float value_at(std::string_view line, std::size_t position, std::string_view name);

  LineReader& lines_;
};

// The four run parameters, in their order.
RunParameters read_run_parameters(LineReader& lines);

}  // namespace traceplot
