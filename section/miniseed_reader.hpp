// miniSEED through libmseed: every encoding it decodes. The records of one
// channel (network, station, location, channel) make one trace; records
// that continue each other (within half a sample interval) make one run,
// timed from its first record, and a record that does not starts a new
// run, drawn with a gap. Full SEED volumes: the data records between their
// control headers, of the logical record length the volume header gives.
#pragma once

#include <cstddef>
#include <string>

#include "section/trace.hpp"

namespace section::miniseed {

// Whether the bytes at `head` start a miniSEED record.
bool looks_like_miniseed(const unsigned char* head, std::size_t size);

// Whether the bytes at `head` start a SEED volume (a volume index control
// header with blockette 10).
bool looks_like_seed_volume(const unsigned char* head, std::size_t size);

void read(const std::string& path, TraceVisitor& visitor, bool with_samples);
void read_volume(const std::string& path, TraceVisitor& visitor, bool with_samples);

}  // namespace section::miniseed
