// traceplot's fixed-column trace file, read with traceplot's own readers
// (driver/): sample interval, trace count, then per trace its position,
// sample count, amplitude and samples. Samples are drawn as they stand; the
// position places the trace.
#pragma once

#include <string>

#include "section/trace.hpp"

namespace section::trace_file {

void read(const std::string& path, TraceVisitor& visitor, bool with_samples);

}  // namespace section::trace_file
