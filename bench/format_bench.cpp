// The pen motion operand writers (f11.3 for x, f10.3 for y) against
// snprintf("%11.3f"), the general Fw.d writer, and the f5.2 operand of the
// attribute lines, in ns per value.
//
//   cmake -S . -B build-bench -G Ninja -DPLUME_BUILD_BENCH=ON && cmake --build build-bench --target format_bench
//   build-bench/bench/format_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "device/format.hpp"

namespace {

// Page coordinates as a plot produces them: a few hundred points, either
// sign now and then, three decimals of noise.
std::vector<float> page_coordinates() {
  std::mt19937 rng(42);
  std::uniform_real_distribution<float> position(-50.0f, 850.0f);
  std::vector<float> values(4096);
  for (float& v : values) v = position(rng);
  return values;
}

// Magnitudes over the whole field, 1e-4 to 1e8 (some clamp).
std::vector<float> all_magnitudes() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> exponent(-4.0f, 8.0f);
  std::vector<float> values(4096);
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = std::pow(10.0f, exponent(rng)) * ((i & 1) != 0 ? -1.0f : 1.0f);
  }
  return values;
}

template <typename Write>
void run(benchmark::State& state, const std::vector<float>& values, Write write) {
  char line[64];
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = write(line, values[i]);
    benchmark::DoNotOptimize(end);
    benchmark::ClobberMemory();
    i = (i + 1) & (values.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}

char* f11_3_operand(char* out, float v) { return plume::fmt::write_operand_f11_3(out, v); }
char* f11_3_general(char* out, float v) { return plume::fmt::write_fixed(out, v, 11, 3); }
char* f11_3_snprintf(char* out, float v) { return out + std::snprintf(out, 64, "%11.3f", static_cast<double>(v)); }
char* f10_3_operand(char* out, float v) { return plume::fmt::write_operand(out, v, 10, 3); }
char* f5_2_operand(char* out, float v) { return plume::fmt::write_operand(out, v, 5, 2); }
char* f5_2_snprintf(char* out, float v) { return out + std::snprintf(out, 64, "%5.2f", static_cast<double>(v)); }

void BM_F11_3_Operand(benchmark::State& s) { run(s, page_coordinates(), f11_3_operand); }
void BM_F11_3_General(benchmark::State& s) { run(s, page_coordinates(), f11_3_general); }
void BM_F11_3_Snprintf(benchmark::State& s) { run(s, page_coordinates(), f11_3_snprintf); }
void BM_F11_3_Operand_AllMagnitudes(benchmark::State& s) { run(s, all_magnitudes(), f11_3_operand); }
void BM_F11_3_Snprintf_AllMagnitudes(benchmark::State& s) { run(s, all_magnitudes(), f11_3_snprintf); }
void BM_F10_3_Operand(benchmark::State& s) { run(s, page_coordinates(), f10_3_operand); }
void BM_F5_2_Operand(benchmark::State& s) { run(s, all_magnitudes(), f5_2_operand); }
void BM_F5_2_Snprintf(benchmark::State& s) { run(s, all_magnitudes(), f5_2_snprintf); }

}  // namespace

BENCHMARK(BM_F11_3_Operand);
BENCHMARK(BM_F11_3_General);
BENCHMARK(BM_F11_3_Snprintf);
BENCHMARK(BM_F11_3_Operand_AllMagnitudes);
BENCHMARK(BM_F11_3_Snprintf_AllMagnitudes);
BENCHMARK(BM_F10_3_Operand);
BENCHMARK(BM_F5_2_Operand);
BENCHMARK(BM_F5_2_Snprintf);

