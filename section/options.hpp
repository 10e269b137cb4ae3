// The command line of plume-section.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "section/processing.hpp"

namespace section {

enum class Normalize { trace, all, none };

struct Options {
  std::vector<std::string> inputs;
  std::string output = "section.eps";
  bool fill = false;
  Normalize normalize = Normalize::trace;
  std::optional<double> clip;                     // trace spacings
  std::optional<std::pair<double, double>> window;  // seconds
  std::optional<double> reduce;                   // km/s
  double scale = 1.0;                             // peak deflection, trace spacings
  // Dots per inch along the time axis at which dense samples are thinned
  // to each dot's extremes; 0 draws every sample.
  double resolution = 600;
  Processing processing;
  std::string title;
  bool help = false;
  bool version = false;
};

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

Options parse_options(const std::vector<std::string>& args);
const char* usage_text();

}  // namespace section
