#include "section/input_error.hpp"

#include <cstdio>

namespace section {

InputError::InputError(std::string file, std::string rest, std::string format)
    : std::runtime_error(display_name(file) + (format.empty() ? "" : " (" + format + ")") + rest),
      file_(std::move(file)),
      rest_(std::move(rest)),
      format_(std::move(format)),
      structured_(true) {}

InputError InputError::read_as(std::string_view format) const {
  if (!structured_ || !format_.empty()) return *this;
  return InputError(file_, rest_, std::string(format));
}

void fail(std::string_view file, long trace, std::string_view field, std::string_view problem) {
  std::string rest;
  if (trace > 0) rest += ": trace " + std::to_string(trace);
  if (!field.empty()) rest += ": " + std::string(field);
  rest += ": ";
  rest += problem;
  throw InputError(std::string(file), rest);
}

std::string display_name(std::string_view file) {
  bool plain = !file.empty();
  for (const char c : file) plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != 0x7f && c != '"';
  if (plain) return std::string(file);
  std::string out = "\"";
  for (const char c : file) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (u < 0x20 || u == 0x7f) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", u);
          out += hex;
        } else {
          out += c;  // UTF-8 names print as they are
        }
    }
  }
  return out + "\"";
}

}  // namespace section
