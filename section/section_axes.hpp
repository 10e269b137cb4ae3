// The section's own frame and axes: round steps (1, 2 or 5 times a power
// of ten, or clock steps for UTC time), every numbered tick numbered with
// as few decimals as the step needs, no axis factor, all text in Helvetica
// through xsymbol; the trace labels beside the baselines and the title.
#pragma once

#include <string>

#include "section/options.hpp"
#include "section/record_section.hpp"

namespace section {

// "Distance (km)", "Azimuth (deg)", "Trace number" ...
std::string position_axis_title(const Section& section);
// "Time (s)", "Time - distance/8 (s)", "UTC time from 2011-03-11" ...
std::string time_axis_title(const Section& section, const Options& options);
// The numbered ticks of the time axis and their text (for tests and docs).
struct NumberedTick {
  double at_cm;
  std::string text;
};
std::vector<NumberedTick> time_axis_numbers(const Section& section, const Options& options);
std::vector<NumberedTick> position_axis_numbers(const Section& section, const Options& options);

// Into an open plot: frame, ticks, numbers, axis titles, labels and title.
void draw_frame(const Section& section, const Options& options);

}  // namespace section
