// libFuzzer target: the trace plot readers (trace_harness.hpp).
#include <cstddef>
#include <cstdint>

#include "fuzz/trace_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plume::fuzz::trace_one_input({data, size});
  return 0;
}
