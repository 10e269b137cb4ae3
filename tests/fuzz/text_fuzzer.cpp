// libFuzzer target: the text routines (text_harness.hpp).
#include <cstddef>
#include <cstdint>

#include "fuzz/text_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plume::fuzz::text_one_input({data, size}, plume::fuzz::process_sink());
  return 0;
}
