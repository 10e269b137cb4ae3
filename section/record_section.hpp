// The record section: three passes over the input files. The first reads
// the headers (one per trace is kept), the second the samples for each
// trace's peak, the third draws; the document is opened only after the
// first two have found every file sound.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "section/layout.hpp"
#include "section/options.hpp"
#include "section/trace.hpp"

namespace section {

// How the baselines are placed, chosen once for all traces.
enum class Placement { distance_km, distance_deg, offset_m, offset_km, position, order };

// What is kept of one trace between the passes.
struct TraceEntry {
  std::string label;
  double interval = 0;
  bool absolute_time = false;
  double first_time = 0;  // extent of its samples, in its own frame
  double last_time = 0;
  bool has_samples = false;
  std::optional<double> dist_km, gcarc_deg, offset_m, position;
  // Settled after the headers:
  double place = 0;        // value on the distance axis
  double time_shift = 0;   // subtracted from its times: frame and reduction
  double peak = 0;         // largest |sample| inside the time window
  // Drawing state: where the last run ended, to join the next one.
  double next_time = 0;
  bool joinable = false;
  float last_x = 0, last_deflection = 0;
};

struct Section {
  std::vector<TraceEntry> traces;
  std::vector<std::size_t> file_bases;  // first trace of each file, then the count
  Placement placement = Placement::order;
  AxisScale time;
  AxisScale distance;
  double time_low = 0, time_high = 0;  // drawn time range
  double spacing_cm = 1;               // mean distance between baselines
  double global_peak = 0;
};

struct InputSet {
  std::vector<std::string> paths;
  std::vector<Format> formats;
  // The file that holds trace `trace` of the section.
  const std::string& path_of(const Section& s, std::size_t trace) const;
};

// Detects every file's format (bad input throws InputError).
InputSet detect_inputs(const std::vector<std::string>& paths);
// Pass 1: headers and extents; settles placement, time shifts and axes.
Section read_headers(const InputSet& inputs, const Options& options);
// Pass 2: the peak of every trace inside the drawn time range.
void read_peaks(const InputSet& inputs, Section& section);
// Pass 3, into an open plot: axes, labels, title and the traces.
void draw_section(const InputSet& inputs, Section& section, const Options& options);

// Placement rule: SAC dist if every trace has it, else gcarc if every trace
// has it, else the SEG-Y offset (in km when any reaches 1000 m), else the
// trace file position, else order; positions that are all equal fall back
// to order too.
Placement choose_placement(const std::vector<TraceEntry>& traces);

}  // namespace section
