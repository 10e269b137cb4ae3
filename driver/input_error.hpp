// The fatal input error of the trace plot program: where the input went
// wrong and why, reported once on standard error before the program ends.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace traceplot {

class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message) : std::runtime_error(message) {}
};

// The text quoted in a message: printable ASCII as it stands, everything else
// escaped (\t, \r, \xNN), and cut to a readable length.
std::string quoted(std::string_view text);

}  // namespace traceplot
