// A full SEED volume for the tests, written from the published SEED
// layout: a volume index control header (blockettes 10 and 11), an
// abbreviation dictionary header (33), a station control header (50, 52),
// then the data records, packed by libmseed, all of one logical record
// length (4096 bytes) with continuing sequence numbers.
#pragma once

#include <vector>

#include "section/miniseed_writer.hpp"

namespace section_test {

// The volume; without segments it is a dataless volume (metadata only).
std::vector<unsigned char> seed_volume(const std::vector<MiniseedSegment>& segments);

}  // namespace section_test
