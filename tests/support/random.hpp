// A small, fast, repeatable generator for sampled tests (xorshift64).
#pragma once

#include <cstdint>

namespace plume::testing {

class XorShift {
 public:
  explicit XorShift(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }

 private:
  std::uint64_t state_;
};

}  // namespace plume::testing
