// SEG-Y revisions 0, 1 and 2, big- or little-endian, through segyio: IBM
// and IEEE floats, 4-, 2- and 1-byte integer samples. Seismic Unix files
// are SEG-Y traces without the textual and binary headers: IEEE floats of
// one byte order, the sample count and interval in every trace header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "section/trace.hpp"

namespace section::segy {

constexpr std::size_t kFileHeaderBytes = 3600;  // textual + binary header

// Whether the 3600 bytes at `head` carry a binary header with a sample
// format this reader knows, in either byte order.
bool looks_like_segy(const unsigned char* head, std::size_t size);
// Whether, besides, whole traces of the binary header's size fill the file.
bool fits_segy(const unsigned char* head, std::size_t size, std::uint64_t file_size);
// Whether the first 240 bytes are a trace header whose traces fill a file
// of `file_size` bytes exactly (in either byte order).
bool looks_like_seismic_unix(const unsigned char* head, std::size_t size, std::uint64_t file_size);

void read(const std::string& path, TraceVisitor& visitor, bool with_samples, bool seismic_unix = false);

}  // namespace section::segy
