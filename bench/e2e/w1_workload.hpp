// Workload W1: a moving polyline of pen motions, one move then 1000 draws,
// again and again. The coordinates are single-precision, built from integers
// without transcendental functions, and stay inside the default portrait clip
// window, so every program that reproduces the document computes the very
// same page points. bench/e2e/bench_w1_fortran.f90 repeats these formulas.
#pragma once

#include <cstdint>

namespace plume::bench {

inline constexpr std::int64_t kW1Motions = 10'000'000;
inline constexpr std::int64_t kW1Group = 1001;  // one move, then 1000 draws

struct Motion {
  float x;
  float y;
  int code;
};

// Motion i (0-based). The y index stays below 2000 * 7919 < 2^31.
inline Motion w1_motion(std::int64_t i) {
  const auto along = static_cast<std::int32_t>(i % 1000);
  const auto across = static_cast<std::int32_t>((i % 2000) * 7919 % 2000);
  return {1.0f + static_cast<float>(along) * 0.018f, 1.0f + static_cast<float>(across) * 0.01f,
          i % kW1Group == 0 ? 3 : 2};
}

// The same motions in order, from the two coordinate sequences computed
// once: what a program that draws a polyline from its data does, so the
// time measured is the writer's.
class W1Sequence {
 public:
  W1Sequence() {
    for (std::int32_t i = 0; i < 1000; ++i) x_[i] = w1_motion(i).x;
    for (std::int32_t i = 0; i < 2000; ++i) y_[i] = w1_motion(i).y;
  }
  Motion next() {
    const Motion m{x_[along_], y_[across_], in_group_ == 0 ? 3 : 2};
    if (++along_ == 1000) along_ = 0;
    if (++across_ == 2000) across_ = 0;
    if (++in_group_ == kW1Group) in_group_ = 0;
    return m;
  }

 private:
  float x_[1000];
  float y_[2000];  // y of motion i depends on i % 2000 only
  std::int32_t along_ = 0, across_ = 0, in_group_ = 0;
};

}  // namespace plume::bench

#include <charconv>
#include <cstdio>
#include <cstring>

namespace plume::bench {

// A non-negative count from the command line, or `fallback` when absent;
// -1 when the argument is not a count.
inline std::int64_t count_argument(int argc, char** argv, int index, std::int64_t fallback) {
  if (index >= argc) return fallback;
  std::int64_t n = -1;
  const char* end = argv[index] + std::strlen(argv[index]);
  const auto [p, ec] = std::from_chars(argv[index], end, n);
  if (ec != std::errc() || p != end || n < 0) return -1;
  return n;
}

}  // namespace plume::bench
