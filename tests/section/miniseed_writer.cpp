#include "section/miniseed_writer.hpp"

#include <libmseed.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace section_test {
namespace {

void collect(char* record, int length, void* handler_data) {
  auto* out = static_cast<std::vector<unsigned char>*>(handler_data);
  out->insert(out->end(), record, record + length);
}

// A malloc'd copy of the samples in the type the encoding takes; msr_free
// releases it.
void* sample_copy(const MiniseedSegment& s, char& type) {
  const std::size_t n = s.samples.size();
  if (s.encoding == DE_FLOAT32) {
    type = 'f';
    auto* p = static_cast<float*>(std::malloc(n * sizeof(float) + 1));
    std::memcpy(p, s.samples.data(), n * sizeof(float));
    return p;
  }
  if (s.encoding == DE_FLOAT64) {
    type = 'd';
    auto* p = static_cast<double*>(std::malloc(n * sizeof(double) + 1));
    for (std::size_t i = 0; i < n; ++i) p[i] = s.samples[i];
    return p;
  }
  type = 'i';
  auto* p = static_cast<std::int32_t*>(std::malloc(n * sizeof(std::int32_t) + 1));
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::int32_t>(std::lround(s.samples[i]));
  return p;
}

}  // namespace

std::vector<unsigned char> miniseed_bytes(const MiniseedSegment& s) {
  MSRecord* msr = msr_init(nullptr);
  std::snprintf(msr->network, sizeof msr->network, "%s", s.network.c_str());
  std::snprintf(msr->station, sizeof msr->station, "%s", s.station.c_str());
  std::snprintf(msr->location, sizeof msr->location, "%s", s.location.c_str());
  std::snprintf(msr->channel, sizeof msr->channel, "%s", s.channel.c_str());
  msr->dataquality = 'D';
  msr->starttime = static_cast<hptime_t>(std::llround(s.start_seconds * HPTMODULUS));
  msr->samprate = s.sample_rate;
  msr->encoding = static_cast<std::int8_t>(s.encoding);
  msr->byteorder = static_cast<std::int8_t>(s.byte_order);
  msr->reclen = s.record_length;
  msr->datasamples = sample_copy(s, msr->sampletype);
  msr->numsamples = static_cast<std::int64_t>(s.samples.size());
  std::vector<unsigned char> out;
  std::int64_t packed = 0;
  const int records = msr_pack(msr, collect, &out, &packed, 1, 0);
  msr_free(&msr);
  if (records < 0 || packed != static_cast<std::int64_t>(s.samples.size())) {
    throw std::runtime_error("libmseed could not pack the test samples");
  }
  return out;
}

}  // namespace section_test
