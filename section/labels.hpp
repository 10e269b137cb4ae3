// Trace labels drawn with the stroke font: SAC and miniSEED text fields
// (blank- or NUL-padded, "-12345" when unset) made safe for `symbol`, whose
// backslash starts a control sequence.
#pragma once

#include <string>
#include <string_view>

#include "section/trace.hpp"

namespace section {

// A header text field without its padding; empty when unset.
std::string trimmed_field(std::string_view field);
// Sets the header's network, station, location and channel from raw text
// fields, and its label: NET.STA.LOC.CHA without the empty parts.
void set_identity(TraceHeader& header, std::string_view network, std::string_view station, std::string_view location,
                  std::string_view channel);

}  // namespace section
