// Bad input to plume-section: what went wrong and where (file, the format it
// was read as, trace, field), reported once on standard error before the
// program exits with status 2.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace section {

class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message) : std::runtime_error(message) {}
  // "FILE (FORMAT)REST": `rest` is what follows the file's name (": trace
  // 2: npts: ..."); an empty format is left out.
  InputError(std::string file, std::string rest, std::string format = {});
  // The same error with the format the file was read as, unless it names one.
  InputError read_as(std::string_view format) const;

 private:
  std::string file_, rest_, format_;
  bool structured_ = false;
};

// "FILE: trace N: FIELD: PROBLEM"; trace 0 leaves the trace out (file-level
// fields), an empty field leaves the field out.
[[noreturn]] void fail(std::string_view file, long trace, std::string_view field, std::string_view problem);

// A file name as messages print it: as it stands when it is printable,
// else in double quotes with C escapes, so that no name can start a line
// of its own or pass for another.
std::string display_name(std::string_view file);

}  // namespace section
