#include "section/processing.hpp"

#include <numeric>

namespace section {

void process(std::vector<double>& samples, double /*interval*/, const Processing& processing) {
  if (processing.demean && !samples.empty()) {
    const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    for (double& v : samples) v -= mean;
  }
}

}  // namespace section
