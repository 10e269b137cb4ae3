// Input formats recognised by content, and the reader of each.
#pragma once

#include <string>

#include "section/trace.hpp"

namespace section {

// The format of the file at `path`; an unknown format is bad input.
Format detect_format(const std::string& path);

// Reads every trace of the file with the reader of `format`: headers and
// runs only, or headers and samples.
void read_traces(const std::string& path, Format format, TraceVisitor& visitor, bool with_samples);

}  // namespace section
