// Applies plume-section's processing to samples on standard input and
// prints the result, for the comparison with scipy in processing_check.py:
//
//   section_processing_probe INTERVAL [plume-section processing options] < samples
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "section/options.hpp"
#include "section/processing.hpp"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: section_processing_probe INTERVAL [options] < samples\n", stderr);
    return 2;
  }
  try {
    const double interval = std::strtod(argv[1], nullptr);
    std::vector<std::string> args(argv + 2, argv + argc);
    args.emplace_back("-");  // an input, so the options parse as the program's
    const section::Options options = section::parse_options(args);
    std::vector<double> samples;
    double v = 0;
    while (std::scanf("%lf", &v) == 1) samples.push_back(v);
    section::process(samples, interval, options.processing);
    for (const double s : samples) std::printf("%.17g\n", s);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "section_processing_probe: %s\n", e.what());
    return 2;
  }
  return 0;
}
