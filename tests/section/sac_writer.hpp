// A SAC binary writer for the tests, written from the format's published
// header layout and independent of plume-section's reader: 70 floats, 40
// integers, then the text fields (kstnm 8 bytes, kevnm 16, the rest 8 each),
// 632 bytes; npts 32-bit float samples follow.
#pragma once

#include <cstdint>
#include <map>
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
  // Any other header word (float words 0-69, integer words 70-109) and text
  // field (by byte offset, 8 bytes), written over the unset defaults; and
  // version 7 footer doubles by index (0 delta, 1 b, 2 e, 3 o, 4 a, 5-14 t0-t9).
  std::map<int, float> floats;
  std::map<int, std::int32_t> ints;
  std::map<int, std::string> texts;
  std::map<int, double> footer;
};

// The file's bytes in the given byte order.
std::vector<unsigned char> sac_bytes(const SacTrace& trace, bool big_endian);
// The alphanumeric form of the same file: the header words five floats
// (G15.7) and five integers (I10) a line, the text three fields (A8, kevnm
// A16) a line, then the samples five (G15.7) a line.
std::string sac_alphanumeric(const SacTrace& trace);
void write_file(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace section_test
