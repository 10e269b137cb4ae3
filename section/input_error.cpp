#include "section/input_error.hpp"

namespace section {

void fail(std::string_view file, long trace, std::string_view field, std::string_view problem) {
  std::string message(file);
  if (trace > 0) message += ": trace " + std::to_string(trace);
  if (!field.empty()) message += ": " + std::string(field);
  message += ": ";
  message += problem;
  throw InputError(message);
}

}  // namespace section
