// miniSEED records for the tests, packed by libmseed itself (msr_pack), the
// independent writer of the format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace section_test {

struct MiniseedSegment {
  std::string network = "XX";
  std::string station = "ST01";
  std::string location = "";
  std::string channel = "BHZ";
  double start_seconds = 1.7e9;  // epoch seconds of the first sample
  double sample_rate = 16.0;
  std::vector<float> samples;
  int encoding = 4;  // DE_FLOAT32; 3 INT32, 1 INT16, 10 STEIM1, 11 STEIM2, 5 FLOAT64
  int record_length = 512;
  int byte_order = 1;  // 1 big-endian, 0 little-endian
};

// The records of one segment, packed by libmseed; the samples are converted
// to what the encoding stores (integers rounded for the integer encodings).
std::vector<unsigned char> miniseed_bytes(const MiniseedSegment& segment);

}  // namespace section_test
