// Input formats recognised by content, and the reader of each.
#pragma once

#include <string>
#include <vector>

#include "section/trace.hpp"

namespace section {

// The files in a directory (not below it) that are in one of the formats,
// in name order. The other entries are skipped, each with a line in
// `notes`; a directory with none is bad input.
std::vector<std::string> directory_files(const std::string& directory, std::vector<std::string>& notes);

// The format of the file at `path`; an unknown format is bad input. A
// directory is Format::directory: its files, listed now (the skipped ones
// noted on standard error), are read in every later pass as one input
// whose traces follow each other file by file.
Format detect_format(const std::string& path);

// Reads every trace of the file with the reader of `format`: headers and
// runs only, or headers and samples.
void read_traces(const std::string& path, Format format, TraceVisitor& visitor, bool with_samples);

}  // namespace section
