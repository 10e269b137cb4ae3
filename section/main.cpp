// plume-section: a record section from SAC, SEG-Y, miniSEED and trace
// files, drawn through the library's public calls.
//
// Exit status: 0 success; 1 the document could not be written whole; 2 bad
// input or options. The document is written to a temporary file beside the
// target and renamed into place only when it is whole, so a failure leaves
// an earlier file as it was and nothing behind.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// A new, empty file beside `target` whose name keeps the target's
// extension (the library picks the format by it); empty on failure.
std::string temporary_beside(const std::string& target) {
  const auto slash = target.find_last_of('/');
  const auto dot = target.find_last_of('.');
  const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  const std::string extension = has_extension ? target.substr(dot) : "";
  const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1);
  std::string name = dir + "." + base + ".XXXXXX" + extension;
  const int fd = mkstemps(name.data(), static_cast<int>(extension.size()));
  if (fd < 0) return {};
  // mkstemps makes it private; the document gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  return name;
}

int run(const section::Options& options) {
  const section::InputSet inputs = section::detect_inputs(options.inputs);
  section::Section s = section::read_headers(inputs, options);
  for (const std::string& note : s.notes) std::fprintf(stderr, "plume-section: note: %s\n", note.c_str());
  section::read_peaks(inputs, s);

  const std::string temporary = temporary_beside(options.output);
  if (temporary.empty()) {
    std::fprintf(stderr, "plume-section: %s: cannot write beside it: %s\n", options.output.c_str(), std::strerror(errno));
    return kWriteErrorStatus;
  }
  plume::connect_unit(kUnit, temporary);
  plume::bounding_box_atend(true);
  plume::hplots(1, kPortrait, kUnit, kCentimetres);
  try {
    section::draw_section(inputs, s, options);
  } catch (const section::InputError&) {
    plume::hplots(0, 0, kUnit, 0);
    std::remove(temporary.c_str());  // a refused input writes nothing
    throw;
  }
  plume::hplots(0, 0, kUnit, 0);
  if (plume::write_failures() > 0 || plume::dropped_lines() > 0) {
    std::remove(temporary.c_str());
    return kWriteErrorStatus;
  }
  if (std::rename(temporary.c_str(), options.output.c_str()) != 0) {
    std::fprintf(stderr, "plume-section: %s: %s\n", options.output.c_str(), std::strerror(errno));
    std::remove(temporary.c_str());
    return kWriteErrorStatus;
  }
  return 0;
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
