// libFuzzer target: plume-section's readers and drawing (section_harness.hpp).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/section_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string document = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/plume-fuzz-section-" + std::to_string(::getpid()) + ".eps";
  }();
  plume::fuzz::section_one_input({data, size}, document);
  return 0;
}
