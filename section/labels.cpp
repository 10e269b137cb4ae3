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

void set_identity(TraceHeader& header, std::string_view network, std::string_view station, std::string_view location,
                  std::string_view channel) {
  header.network = trimmed_field(network);
  header.station = trimmed_field(station);
  header.location = trimmed_field(location);
  header.channel = trimmed_field(channel);
  header.label.clear();
  for (const std::string* part : {&header.network, &header.station, &header.location, &header.channel}) {
    if (part->empty()) continue;
    if (!header.label.empty()) header.label += '.';
    header.label += *part;
  }
}

}  // namespace section
