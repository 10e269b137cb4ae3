// miniSEED through libmseed: every encoding it decodes. The records of one
// channel (network, station, location, channel) make one trace; a record
// that does not start one sample after the channel's previous record ends
// starts a new run, drawn with a gap.
#pragma once

#include <cstddef>
#include <string>

#include "section/trace.hpp"

namespace section::miniseed {

// Whether the bytes at `head` start a miniSEED record.
bool looks_like_miniseed(const unsigned char* head, std::size_t size);

void read(const std::string& path, TraceVisitor& visitor, bool with_samples);

}  // namespace section::miniseed
