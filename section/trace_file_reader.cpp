#include "section/trace_file_reader.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "driver/input_error.hpp"
#include "driver/line_reader.hpp"
#include "driver/trace_reader.hpp"
#include "section/input_error.hpp"
#include "section/input_file.hpp"

namespace section::trace_file {
namespace {

void read_all(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail(path, 0, "", std::string("cannot open: ") + std::strerror(errno));
  try {
    check_unchanged(path, fd);
  } catch (...) {
    ::close(fd);
    throw;
  }
  traceplot::LineReader lines(fd, display_name(path), true);
  traceplot::TraceReader reader(lines);
  const traceplot::FileHeader file = reader.read_file_header();
  if (!(file.sample_interval > 0.0f) || !std::isfinite(file.sample_interval)) {
    fail(path, 0, "line 1, columns 1-12 (sample interval)", "must be a positive number");
  }
  const std::int32_t count = reader.read_trace_count();
  std::vector<float> samples;
  for (std::int32_t trace = 1; trace <= count; ++trace) {
    const traceplot::TraceHeader th = reader.read_trace_header(trace);
    if (!std::isfinite(th.position)) fail(path, trace, "position", "not a finite number");
    samples.clear();
    reader.read_samples(trace, th.sample_count, samples);
    TraceHeader header;
    header.interval = file.sample_interval;
    header.position = th.position;
    const auto index = static_cast<std::size_t>(trace - 1);
    visitor.header(index, header);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (!std::isfinite(samples[i])) fail(path, trace, "sample " + std::to_string(i + 1), "not a finite number");
    }
    if (with_samples) {
      visitor.samples(index, 0.0, samples);
    } else {
      visitor.run(index, 0.0, static_cast<std::int64_t>(samples.size()));
    }
  }
}

}  // namespace

void read(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  try {
    read_all(path, visitor, with_samples);
  } catch (const traceplot::InputError& e) {
    // traceplot's messages start with the name it was given.
    const std::string message = e.what();
    const std::string name = display_name(path);
    if (message.rfind(name, 0) == 0) throw InputError(path, message.substr(name.size()));
    throw InputError(message);
  }
}

}  // namespace section::trace_file
