// What every reader hands the section: one header per trace, then the
// trace's samples in one or more runs of evenly spaced values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <array>
#include <optional>
#include <span>
#include <string>

namespace section {

enum class Format { sac, segy, miniseed, trace_file, sac_alphanumeric, seismic_unix, seed_volume, directory };
const char* format_name(Format format);

// Time picks a header may carry: SAC o, a, t0 ... t9.
enum class Pick { o, a, t0, t1, t2, t3, t4, t5, t6, t7, t8, t9 };
inline constexpr std::size_t kPickCount = 12;

struct TraceHeader {
  std::string label;            // NET.STA.LOC.CHA without its empty parts, or empty
  std::string network, station, location, channel;  // trimmed, possibly empty
  double interval = 0.0;        // seconds between samples, > 0
  double begin = 0.0;           // time of the first sample, seconds
  bool absolute_time = false;   // begin counts from the epoch (miniSEED)
  std::optional<double> dist_km;    // SAC dist
  std::optional<double> gcarc_deg;  // SAC gcarc
  std::optional<double> offset_m;   // SEG-Y offset, scalar applied
  std::optional<double> position;   // trace file position, no unit
  std::optional<double> azimuth_deg;      // SAC az
  std::optional<double> backazimuth_deg;  // SAC baz
  // Picks in the frame of `begin` (seconds), unset when the header has none.
  std::array<std::optional<double>, kPickCount> picks{};
  // UTC time of the frame's zero, seconds since 1970-01-01 (SAC nz*,
  // SEG-Y year/day/hour/minute/second); absolute frames (miniSEED) count
  // from the epoch already.
  std::optional<double> reference_epoch;
};

// Receives what a reader finds. Traces are numbered from 0 in the order
// their headers arrive within one file; samples of a trace may come in
// several runs (miniSEED records), runs of different traces interleaved.
class TraceVisitor {
 public:
  virtual ~TraceVisitor() = default;
  virtual void header(std::size_t trace, const TraceHeader& header) = 0;
  // A run of `count` samples from `start`, reported instead of the values
  // when a reader is asked for headers only.
  virtual void run(std::size_t trace, double start, std::int64_t count) = 0;
  // `start` is the time of values[0] in the frame of the trace's `begin`.
  virtual void samples(std::size_t trace, double start, std::span<const float> values) = 0;
};

}  // namespace section
