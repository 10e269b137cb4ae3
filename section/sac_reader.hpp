// SAC binary files, either byte order, read from the published header
// layout: 70 floats, 40 integers and 24 eight-byte text fields (the event
// name 16 bytes), 632 bytes in all, then npts samples as 32-bit floats;
// version 7 adds 22 doubles after the samples, whose first two are delta
// and b.
#pragma once

#include <cstdint>
#include <string>

#include "section/trace.hpp"

namespace section::sac {

constexpr std::size_t kHeaderBytes = 632;
constexpr float kUndefined = -12345.0f;

// Word offsets (4-byte words from the start of the file).
constexpr int kDelta = 0;
constexpr int kB = 5;
constexpr int kDist = 50;
constexpr int kGcarc = 53;
constexpr int kNvhdr = 76;
constexpr int kNpts = 79;
constexpr int kIftype = 85;
constexpr int kLeven = 105;
// Byte offsets of the text fields.
constexpr int kKstnm = 440;
constexpr int kKcmpnm = 600;
constexpr int kKnetwk = 608;
constexpr int kFooterDoubles = 22;
constexpr std::int32_t kItime = 1;

// Whether the 632 bytes at `header` are a SAC header in either byte order
// (the header version, word 76, is 6 or 7).
bool looks_like_sac(const unsigned char* header, std::size_t size);

void read(const std::string& path, TraceVisitor& visitor, bool with_samples);

}  // namespace section::sac
