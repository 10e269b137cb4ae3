// Input formats recognised by content, and the reader of each.
#pragma once

#include <string>
#include <vector>

#include "section/trace.hpp"

namespace section {

// The files the arguments name: a file as it stands, a directory as every
// file in it (not below it) that is in one of the formats, in name order.
// The other entries are skipped, each with a line in `notes`; a directory
// with none is bad input.
std::vector<std::string> expand_directories(const std::vector<std::string>& arguments, std::vector<std::string>& notes);

// The format of the file at `path`; an unknown format is bad input.
Format detect_format(const std::string& path);

// Reads every trace of the file with the reader of `format`: headers and
// runs only, or headers and samples.
void read_traces(const std::string& path, Format format, TraceVisitor& visitor, bool with_samples);

}  // namespace section
