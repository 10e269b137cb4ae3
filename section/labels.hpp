// Trace labels drawn with the stroke font: SAC and miniSEED text fields
// (blank- or NUL-padded, "-12345" when unset) made safe for `symbol`, whose
// backslash starts a control sequence.
#pragma once

#include <string>
#include <string_view>

namespace section {

// A header text field without its padding; empty when unset.
std::string trimmed_field(std::string_view field);
// "STATION.CHANNEL", either part alone, or empty; printable ASCII only.
std::string station_label(std::string_view station, std::string_view channel);

}  // namespace section
