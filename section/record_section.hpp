// The record section: three passes over its traces. The first reads the
// headers (one per trace is kept) and settles which traces are drawn, where
// and when; the second processes every trace whole and takes its peak; the
// third processes it again and draws it. The document is opened only after
// the first two have found every input sound.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "section/layout.hpp"
#include "section/options.hpp"
#include "section/trace.hpp"

namespace section {

// Where the traces come from: units (files, or groups of traces held in
// memory) read in order, each as often as the passes need.
class TraceSource {
 public:
  virtual ~TraceSource() = default;
  virtual std::size_t units() const = 0;
  // Names the unit in messages; a --shift file may name it too.
  virtual const std::string& unit_name(std::size_t unit) const = 0;
  // Whether the runs of the unit's traces may interleave (miniSEED): its
  // traces are then held until the whole unit is read.
  virtual bool interleaved(std::size_t unit) const = 0;
  virtual void read(std::size_t unit, TraceVisitor& visitor, bool with_samples) const = 0;
};

// The input files, each read by the reader of its format.
struct InputSet : TraceSource {
  std::vector<std::string> paths;
  std::vector<Format> formats;
  std::size_t units() const override { return paths.size(); }
  const std::string& unit_name(std::size_t unit) const override { return paths[unit]; }
  bool interleaved(std::size_t unit) const override { return formats[unit] == Format::miniseed; }
  void read(std::size_t unit, TraceVisitor& visitor, bool with_samples) const override;
};

// How the baselines are placed, chosen once for all traces.
enum class Placement {
  distance_km, distance_deg, distance_m, offset_m, offset_km, position, azimuth, backazimuth, order
};

// What is kept of one trace between the passes.
struct TraceEntry {
  std::string label;
  std::string network, station, location, channel;
  double interval = 0;
  bool absolute_time = false;
  double first_time = 0;  // extent of its samples, in its own frame
  double last_time = 0;
  bool has_samples = false;
  std::int64_t sample_count = 0;
  std::optional<double> dist_km, gcarc_deg, offset_m, position, azimuth_deg, backazimuth_deg;
  std::array<std::optional<double>, kPickCount> picks{};
  std::optional<double> reference_epoch;
  // Settled after the headers:
  bool drawn = true;       // selected, and has what the options need
  double place = 0;        // value on the position axis
  double time_shift = 0;   // subtracted from its times: frame, alignment, shift, reduction
  double peak = 0;         // largest |sample| inside the time window, processed
};

// Sample buffers kept between traces and passes, so that a long trace is
// allocated (and its pages touched) once rather than at every reading.
class SampleBuffers {
 public:
  std::vector<double> take() {
    if (spare_.empty()) return {};
    std::vector<double> v = std::move(spare_.back());
    spare_.pop_back();
    v.clear();
    return v;
  }
  void give(std::vector<double>&& v) {
    if (spare_.size() < kKept) spare_.push_back(std::move(v));
  }

 private:
  static constexpr std::size_t kKept = 4;
  std::vector<std::vector<double>> spare_;
};

struct Section {
  std::vector<TraceEntry> traces;
  std::vector<std::size_t> file_bases;  // first trace of each unit, then the count
  Placement placement = Placement::order;
  bool sorted_by_name = false;
  AxisScale time;                       // the drawn time range over the time axis
  AxisScale distance;                   // the position axis
  TraceHeight height;
  std::optional<double> epoch_zero;     // UTC seconds of time 0, for clock labels
  double global_peak = 0;
  Options options;                      // as read_headers was given them
  std::vector<std::string> notes;       // for standard error: traces left out and why
  SampleBuffers buffers;
  std::size_t drawn_count() const;
};

// Detects every file's format (bad input throws InputError).
InputSet detect_inputs(const std::vector<std::string>& paths);
// Pass 1: headers and extents; settles selection, placement, time shifts
// and axes. Nothing left to draw is bad input.
Section read_headers(const TraceSource& source, const Options& options);
// Pass 2: the peak of every trace inside the drawn time range.
void read_peaks(const TraceSource& source, Section& section);
// Pass 3, into an open plot: frame, axes, labels, title and the traces.
void draw_section(const TraceSource& source, Section& section, const Options& options);

// Placement rule: SAC dist if every trace has it, else gcarc if every trace
// has it, else the SEG-Y offset (in km when any reaches 1000 m), else the
// trace file position, else order; positions that are all equal fall back
// to order too.
Placement choose_placement(const std::vector<TraceEntry>& traces);

}  // namespace section
