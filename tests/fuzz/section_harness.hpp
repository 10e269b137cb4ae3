// plume-section readers harness: the bytes after a two-byte option
// selector become a file, read by content as the program reads it (SAC,
// SEG-Y through segyio, miniSEED through libmseed, traceplot's trace file)
// and, when its three passes accept it, drawn into a document.
//
// Properties: no sanitizer report, no exception other than section's
// InputError, and nothing drawn from refused input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "fuzz/memory_file.hpp"
#include "plume/plume.hpp"
#include "section/input_error.hpp"
#include "section/record_section.hpp"

namespace plume::fuzz {
namespace section_detail {

// The input as a file the readers open by its /proc name.
inline int memory_file(std::span<const std::uint8_t> bytes) {
  return fuzz::memory_file(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                           "plume-fuzz-section");
}

inline ::section::Options options_from(std::uint8_t a, std::uint8_t b) {
  ::section::Options o;
  o.fill = (a & 1) != 0;
  o.normalize = static_cast<::section::Normalize>((a >> 1) % 3);
  if (a & 8) o.clip = 0.1 + (b & 7);
  if (a & 16) o.window = std::pair{-1.0 + (b >> 3 & 3), 2.0 + (b >> 5)};
  if (a & 32) o.reduce = 0.5 + (b & 15);
  if (a & 64) o.title = "fuzz (title) \\";
  return o;
}

}  // namespace section_detail

// Runs one input; `document` receives the drawing when the input is accepted.
inline void section_one_input(std::span<const std::uint8_t> data, const std::string& document) {
  if (data.size() < 2) return;
  ::section::Options options = section_detail::options_from(data[0], data[1]);
  const int fd = section_detail::memory_file(data.subspan(2));
  if (fd < 0) return;
  options.inputs = {"/proc/self/fd/" + std::to_string(fd)};
  bool opened = false;
  try {
    const ::section::InputSet inputs = ::section::detect_inputs(options.inputs);
    ::section::Section s = ::section::read_headers(inputs, options);
    ::section::read_peaks(inputs, s);
    plume::connect_unit(8, document);
    plume::hplots(1, 1, 8, 0);
    opened = true;
    ::section::draw_section(inputs, s, options);
  } catch (const ::section::InputError&) {
    // refused: the program's exit status 2
  }
  if (opened) plume::hplots(0, 0, 8, 0);
  ::close(fd);
}

}  // namespace plume::fuzz
