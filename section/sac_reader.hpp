// SAC files from the published header layout: 70 floats, 40 integers and
// 24 eight-byte text fields (the event name 16 bytes). Binary files, either
// byte order: 632 bytes of header, then npts samples as 32-bit floats;
// version 7 adds 22 doubles after the samples (delta, b, e, o, a, t0-t9,
// ...). Alphanumeric files: the same header as text, five floats (G15.7) a
// line, five integers (I10) a line, three text fields (A8) a line, then the
// samples five a line.
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
constexpr int kO = 7;
constexpr int kA = 8;
constexpr int kT0 = 10;
constexpr int kDist = 50;
constexpr int kAz = 51;
constexpr int kBaz = 52;
constexpr int kGcarc = 53;
constexpr int kNzyear = 70;  // then nzjday, nzhour, nzmin, nzsec, nzmsec
constexpr int kNvhdr = 76;
constexpr int kNpts = 79;
constexpr int kIftype = 85;
constexpr int kLeven = 105;
// Byte offsets of the text fields.
constexpr int kKstnm = 440;
constexpr int kKhole = 464;
constexpr int kKcmpnm = 600;
constexpr int kKnetwk = 608;
constexpr int kFooterDoubles = 22;
constexpr std::int32_t kItime = 1;

// Whether the 632 bytes at `header` are a SAC header in either byte order
// (the header version, word 76, is 6 or 7).
bool looks_like_sac(const unsigned char* header, std::size_t size);
// Whether the text at `head` starts like an alphanumeric SAC file: 14 lines
// of five numbers, then integer lines whose header version is 6 or 7.
bool looks_like_sac_alphanumeric(const unsigned char* head, std::size_t size);

void read(const std::string& path, TraceVisitor& visitor, bool with_samples);
void read_alphanumeric(const std::string& path, TraceVisitor& visitor, bool with_samples);

}  // namespace section::sac
