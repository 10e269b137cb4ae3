// libFuzzer target: sequences of public calls (soup_harness.hpp).
#include <cstddef>
#include <cstdint>

#include "fuzz/soup_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plume::fuzz::soup_one_input({data, size}, plume::fuzz::process_sink());
  return 0;
}
