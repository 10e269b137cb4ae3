// plume-section test helpers: fixtures from the independent writers, runs
// of the program, and the wiggles read back from its document.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "section/miniseed_writer.hpp"
#include "section/sac_writer.hpp"

namespace section_test {

std::string fresh_path(const std::string& name);

// SEG-Y through tools/make_segy_fixture.py and segyio's Python module;
// false when /usr/bin/python3 has no segyio.
bool segyio_available();
struct SegyTrace {
  int offset = 0;
  int scalar = 1;
  std::vector<float> samples;
};
struct SegyLayout {
  int format = 5;
  bool big_endian = true;
  int revision = 1;
  int interval_us = 62500;
  int delay_ms = 0;
  std::optional<int> time_scalar;          // trace bytes 215-216
  std::optional<std::array<int, 6>> recorded;  // year, day, hour, minute, second, time basis
  bool seismic_unix = false;               // the reel headers cut off
  std::vector<SegyTrace> traces;
};
void write_segy(const std::string& path, const SegyLayout& layout);

void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> read_bytes(const std::string& path);

struct SectionRun {
  int status = -1;       // exit status; -1 when the program died of a signal
  std::string err;       // standard error
  std::string out;       // standard output
  std::string document;  // the output file's text, empty when none was written
};
// Runs plume-section with `args` (an "-o" is added unless `output` is
// empty); `output` names the document file.
SectionRun run_section(const std::vector<std::string>& args, const std::string& output);

// A pen motion of the document in page points.
struct Motion {
  double x, y;
  char op;  // 'Q' move, 'L' draw, 'M' stroke-and-move
  bool operator==(const Motion&) const = default;
};
std::vector<Motion> motions(const std::string& document);
// Polylines (a move and the draws after it) of `min_points` to `max_points`
// points whose x always grows: the wiggles of a section whose traces have
// that many samples (axes and text go back and forth).
std::vector<std::vector<Motion>> polylines(const std::string& document, std::size_t min_points,
                                           std::size_t max_points = static_cast<std::size_t>(-1));
// Number of lines equal to `line`.
int count_lines(const std::string& document, const std::string& line);

// A trace with a clear shape: zero first, one positive and one negative
// lobe, `peak` high.
std::vector<float> test_wavelet(std::size_t n, float peak);

}  // namespace section_test
