// Bad input to plume-section: what went wrong and where (file, trace, field),
// reported once on standard error before the program exits with status 2.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace section {

class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message) : std::runtime_error(message) {}
};

// "FILE: trace N: FIELD: PROBLEM"; trace 0 leaves the trace out (file-level
// fields), an empty field leaves the field out.
[[noreturn]] void fail(std::string_view file, long trace, std::string_view field, std::string_view problem);

}  // namespace section
