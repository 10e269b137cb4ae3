// SEG-Y revisions 0, 1 and 2, big- or little-endian, through segyio: IBM
// and IEEE floats, 4-, 2- and 1-byte integer samples.
#pragma once

#include <cstddef>
#include <string>

#include "section/trace.hpp"

namespace section::segy {

constexpr std::size_t kFileHeaderBytes = 3600;  // textual + binary header

// Whether the 3600 bytes at `head` carry a binary header with a sample
// format this reader knows, in either byte order.
bool looks_like_segy(const unsigned char* head, std::size_t size);

void read(const std::string& path, TraceVisitor& visitor, bool with_samples);

}  // namespace section::segy
