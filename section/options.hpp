// The command line of plume-section.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "section/processing.hpp"
#include "section/trace.hpp"

namespace section {

enum class Normalize { trace, all, none };

// How traces are ordered on the position axis: `automatic` places them by
// distance when every trace has one, else in the order given.
enum class SortKey { automatic, distance, azimuth, backazimuth, name, none };
enum class DistanceUnit { km, deg, m };
enum class TimeLabels { relative, absolute };

// The drawing and layout options.
struct DrawingOptions {
  std::optional<double> size_cm;             // largest amplitude, centimetres from its baseline
  SortKey sort = SortKey::automatic;
  std::vector<std::string> select;           // identity patterns, NET.STA.LOC.CHA
  std::optional<std::pair<double, double>> select_distance;  // in the position axis's unit
  std::optional<DistanceUnit> distance_unit;
  std::optional<Pick> align;                 // zero time at this pick of each trace
  std::string shift_file;                    // per-trace time shifts
  TimeLabels time = TimeLabels::relative;
  bool vertical = false;                     // time downwards
};

struct Options {
  std::vector<std::string> inputs;
  std::string output = "section.eps";
  bool fill = false;
  Normalize normalize = Normalize::trace;
  std::optional<double> clip;                     // trace spacings
  std::optional<std::pair<double, double>> window;  // seconds
  std::optional<double> reduce;                   // km/s
  double scale = 0.5;                             // peak deflection, trace spacings
  // Dots per inch along the time axis at which dense samples are thinned
  // to each dot's extremes; 0 draws every sample.
  double resolution = 600;
  Processing processing;
  DrawingOptions drawing;
  std::string title;
  bool help = false;
  bool version = false;
};

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

Options parse_options(const std::vector<std::string>& args);
// The name of a pick (o, a, t0 ... t9), or nothing.
std::optional<Pick> pick_named(const std::string& name);
const char* pick_name(Pick pick);
// The title as `xsymbol` takes it (a backslash doubled, since it would
// escape the next character), or a UsageError saying why it cannot be drawn.
std::string drawable_title(const std::string& title);
const char* usage_text();

}  // namespace section
