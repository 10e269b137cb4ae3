// traceplot: draws the traces of the file fort.10 as stacked polylines into
// the EPS document fort.8, with the run parameters read from standard input.
//
// Exit status: 0 after a complete run; 2 for bad or missing input (the
// document keeps what was drawn before, without its trailer); 1 when the
// document could not be written whole: a write failed, a sample gave a
// point that is not finite (its motion is left out; the first is named), or
// an operand was clamped to its field.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/output_unit.hpp"
#include "device/plot_state.hpp"
#include "driver/input_error.hpp"
#include "driver/line_reader.hpp"
#include "driver/parameter_reader.hpp"
#include "driver/trace_reader.hpp"
#include "plume/plume.hpp"

namespace traceplot {
namespace {

constexpr int kPortrait = 1;
constexpr int kUnit = 8;
constexpr int kCentimetres = 0;
constexpr int kMove = 3;
constexpr int kDraw = 2;
constexpr float kXStart = 2.0f;
constexpr const char* kTraceFile = "fort.10";

constexpr int kInputErrorStatus = 2;
constexpr int kWriteErrorStatus = 1;

[[noreturn]] void fail(const std::string& message) {
  std::fputs(("traceplot: " + message + "\n").c_str(), stderr);
  plume::device::flush_all();  // the document keeps what was drawn so far
  std::exit(kInputErrorStatus);
}

// The state carried from trace to trace.
struct Stack {
  float baseline_y;
  float first_position = 0.0f;
  float previous_position = 0.0f;
  float reference_amplitude = 0.0f;
};

void lower_baseline(Stack& stack, const RunParameters& p, float position) {
  if (position == stack.first_position) {
    stack.baseline_y = stack.baseline_y - 2.0f * std::fabs(p.amplitude_scale);
  } else {
    stack.baseline_y = stack.baseline_y - (position - stack.previous_position) * p.spacing_scale;
  }
}

struct Point {
  float x, y;
};

Point sample_point(const std::vector<float>& samples, std::size_t j, float sample_interval, float amplitude,
                   const Stack& stack, const RunParameters& p) {
  const float x = (static_cast<float>(j) * sample_interval) * p.time_scale + kXStart;
  const float y = p.amplitude_scale < 0.0f
                      ? ((samples[j] * amplitude) / stack.reference_amplitude) * p.amplitude_scale + stack.baseline_y
                      : samples[j] * p.amplitude_scale + stack.baseline_y;
  return {x, y};
}

void draw_trace(const std::vector<float>& samples, float sample_interval, float amplitude, const Stack& stack,
                const RunParameters& p) {
  for (std::size_t j = 0; j < samples.size(); ++j) {
    const Point at = sample_point(samples, j, sample_interval, amplitude, stack, p);
    plume::plot(at.x, at.y, j == 0 ? kMove : kDraw);
  }
}

// Where the first sample whose point is not finite on the page came from;
// found again only for a trace whose motions were left out.
struct NonFiniteSample {
  bool found = false;
  std::string where;
  Point point{};
};

void find_non_finite_sample(const std::vector<float>& samples, float sample_interval, float amplitude,
                            const Stack& stack, const RunParameters& p, int trace, const LineReader& lines,
                            long first_line, NonFiniteSample& first) {
  for (std::size_t j = 0; j < samples.size() && !first.found; ++j) {
    const Point at = sample_point(samples, j, sample_interval, amplitude, stack, p);
    if (std::isfinite(plume::device::page_x(at.x)) && std::isfinite(plume::device::page_y(at.y))) continue;
    const auto per_record = static_cast<std::size_t>(TraceReader::kSamplesPerRecord);
    first.found = true;
    first.point = at;
    first.where = lines.name() + ", line " + std::to_string(first_line + static_cast<long>(j / per_record)) +
                  ", field " + std::to_string(j % per_record + 1) + " (sample " + std::to_string(j + 1) +
                  " of trace " + std::to_string(trace) + ")";
  }
}

void report_non_finite(const NonFiniteSample& first, int dropped) {
  char point[96];
  std::snprintf(point, sizeof point, "(%g, %g)", static_cast<double>(first.point.x), static_cast<double>(first.point.y));
  std::fprintf(stderr, "traceplot: %s: its point %s is not finite on the page; %d motion%s left out of the plot\n",
               first.where.c_str(), point, dropped, dropped == 1 ? "" : "s");
}

int run() {
  RunParameters p;
  {
    LineReader input(STDIN_FILENO, "standard input", false, std::size_t{1} << 16);
    p = read_run_parameters(input);
  }

  plume::hplots(1, kPortrait, kUnit, kCentimetres);

  const int fd = ::open(kTraceFile, O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail(std::string("cannot open ") + kTraceFile + ": " + std::strerror(errno));
  LineReader lines(fd, kTraceFile, true);
  TraceReader reader(lines);

  const FileHeader file = reader.read_file_header();
  const std::int32_t trace_count = reader.read_trace_count();
  Stack stack{p.baseline_y};
  std::vector<float> samples;
  const int dropped_before = plume::dropped_lines();
  NonFiniteSample first_non_finite;
  for (std::int32_t trace = 1; trace <= trace_count; ++trace) {
    const TraceHeader header = reader.read_trace_header(trace);
    if (trace == 1) {
      stack.first_position = header.position;
      if (p.amplitude_scale < 0.0f) {
        if (header.amplitude == 0.0f) {
          fail(lines.name() + ", line " + std::to_string(header.amplitude_line) +
               " (amplitude of trace 1): an amplitude of 0 cannot be the reference amplitude of a "
               "negative amplitude_scale");
        }
        stack.reference_amplitude = header.amplitude;
      }
    } else {
      lower_baseline(stack, p, header.position);
    }
    stack.previous_position = header.position;
    reader.read_samples(trace, header.sample_count, samples);
    const int dropped_so_far = plume::dropped_lines();
    draw_trace(samples, file.sample_interval, header.amplitude, stack, p);
    if (!first_non_finite.found && plume::dropped_lines() != dropped_so_far) {
      find_non_finite_sample(samples, file.sample_interval, header.amplitude, stack, p, trace, lines,
                             reader.first_sample_line(), first_non_finite);
    }
  }

  plume::hplots(0, 0, kUnit, 0);
  const int dropped = plume::dropped_lines() - dropped_before;
  if (first_non_finite.found) report_non_finite(first_non_finite, dropped);
  // A document that could not be written whole, that lacks motions whose
  // coordinates were not finite, or whose operands were clamped, is not a
  // success.
  const bool whole = plume::write_failures() == 0 && dropped == 0 && plume::clamped_lines() == 0;
  return whole ? 0 : kWriteErrorStatus;
}

}  // namespace
}  // namespace traceplot

int main() {
  try {
    return traceplot::run();
  } catch (const traceplot::InputError& e) {
    traceplot::fail(e.what());
  }
}
