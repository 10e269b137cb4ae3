#include "section/labels.hpp"

namespace section {

std::string trimmed_field(std::string_view field) {
  const auto end = field.find('\0');
  if (end != std::string_view::npos) field = field.substr(0, end);
  const auto first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  field = field.substr(first, field.find_last_not_of(' ') - first + 1);
  if (field == "-12345") return {};
  std::string safe;
  for (const char c : field) {
    const bool printable = c > ' ' && c < 127;
    // A backslash would start a control sequence of the stroke text.
    safe += printable && c != '\\' ? c : '_';
  }
  return safe;
}

std::string station_label(std::string_view station, std::string_view channel) {
  const std::string s = trimmed_field(station);
  const std::string c = trimmed_field(channel);
  if (s.empty() || c.empty()) return s + c;
  return s + "." + c;
}

}  // namespace section
