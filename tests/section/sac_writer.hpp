// A SAC binary writer for the tests, written from the format's published
// header layout and independent of plume-section's reader: 70 floats, 40
// integers, then the text fields (kstnm 8 bytes, kevnm 16, the rest 8 each),
// 632 bytes; npts 32-bit float samples follow.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace section_test {

struct SacTrace {
  float delta = 0.0625f;
  float b = 0.0f;
  float dist = -12345.0f;
  float gcarc = -12345.0f;
  std::string kstnm = "-12345";
  std::string kcmpnm = "-12345";
  int nvhdr = 6;
  int iftype = 1;  // ITIME
  int leven = 1;
  std::int64_t npts_override = -1;  // a header count that differs from the samples
  std::vector<float> samples;
  // Version 7 footer values (delta, b) as doubles.
  double footer_delta = 0.0625;
  double footer_b = 0.0;
};

// The file's bytes in the given byte order.
std::vector<unsigned char> sac_bytes(const SacTrace& trace, bool big_endian);
void write_file(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace section_test
