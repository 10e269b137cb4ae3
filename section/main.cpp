// plume-section: a record section from SAC, SEG-Y, miniSEED and trace
// files, drawn through the library's public calls.
//
// Exit status: 0 success; 1 the document could not be written whole; 2 bad
// input or options (nothing is written then, unless a file changed between
// its readings, when the document is closed whole with what was drawn).
#include <cstdio>
#include <string>
#include <vector>

#include "plume/plume.hpp"
#include "section/input_error.hpp"
#include "section/options.hpp"
#include "section/record_section.hpp"

#ifndef PLUME_VERSION
#define PLUME_VERSION "unknown"
#endif

namespace {

constexpr int kUnit = 8;
constexpr int kPortrait = 1;
constexpr int kCentimetres = 0;
constexpr int kInputErrorStatus = 2;
constexpr int kWriteErrorStatus = 1;

int report(const std::string& message) {
  std::fprintf(stderr, "plume-section: %s\n", message.c_str());
  return kInputErrorStatus;
}

int run(const section::Options& options) {
  const section::InputSet inputs = section::detect_inputs(options.inputs);
  section::Section s = section::read_headers(inputs, options);
  section::read_peaks(inputs, s);

  plume::connect_unit(kUnit, options.output);
  plume::bounding_box_atend(true);
  plume::hplots(1, kPortrait, kUnit, kCentimetres);
  try {
    section::draw_section(inputs, s, options);
  } catch (const section::InputError&) {
    plume::hplots(0, 0, kUnit, 0);  // the document stays whole
    throw;
  }
  plume::hplots(0, 0, kUnit, 0);
  return plume::write_failures() > 0 || plume::dropped_lines() > 0 ? kWriteErrorStatus : 0;
}

}  // namespace

int main(int argc, char** argv) {
  section::Options options;
  try {
    options = section::parse_options(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const section::UsageError& e) {
    report(e.what());
    std::fputs("Try 'plume-section --help'.\n", stderr);
    return kInputErrorStatus;
  }
  if (options.help) {
    std::fputs(section::usage_text(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("plume-section %s\n", PLUME_VERSION);
    return 0;
  }
  try {
    return run(options);
  } catch (const section::InputError& e) {
    return report(e.what());
  } catch (const std::bad_alloc&) {
    return report("out of memory");
  }
}
