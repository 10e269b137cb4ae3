// The cost of one pen motion: plume::plot into a document on a temp file,
// with the formatting, the path rules, the bounding box and the buffered
// writes. The file is restarted every million motions (outside the timing)
// so that long runs do not fill the disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/e2e/w1_workload.hpp"
#include "plume/plume.hpp"

namespace {

constexpr std::size_t kMotionsPerDocument = 1'000'000;

class TempDocument {
 public:
  TempDocument()
      : path_(std::filesystem::temp_directory_path() /
              ("plume_plot_bench_" + std::to_string(::getpid()) + ".eps")) {
    open();
  }
  ~TempDocument() {
    close();
    std::filesystem::remove(path_);
  }
  TempDocument(const TempDocument&) = delete;
  TempDocument& operator=(const TempDocument&) = delete;

  void restart() {
    close();
    open();
  }

 private:
  void open() {
    plume::connect_unit(8, path_.string());
    plume::hplots(1, 1, 8, 0);
  }
  void close() { plume::hplots(0, 0, 8, 0); }

  std::filesystem::path path_;
};

// Motions prepared beforehand, so that only the plot call is measured.
std::vector<plume::bench::Motion> prepared(std::size_t n, plume::bench::Motion (*make)(std::int64_t)) {
  std::vector<plume::bench::Motion> motions;
  motions.reserve(n);
  for (std::size_t i = 0; i < n; ++i) motions.push_back(make(static_cast<std::int64_t>(i)));
  return motions;
}

void run_motions(benchmark::State& state, const std::vector<plume::bench::Motion>& motions) {
  TempDocument document;
  std::size_t next = 0, written = 0;
  for (auto _ : state) {
    if (written == kMotionsPerDocument) {
      state.PauseTiming();
      document.restart();
      written = 0;
      state.ResumeTiming();
    }
    const auto& m = motions[next];
    plume::plot(m.x, m.y, m.code);
    next = next + 1 == motions.size() ? 0 : next + 1;
    ++written;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// The W1 pattern: one move, then 1000 draws (and the pM flush after them).
void BM_PlotPolyline(benchmark::State& state) {
  static const auto motions = prepared(100 * plume::bench::kW1Group, plume::bench::w1_motion);
  run_motions(state, motions);
}
BENCHMARK(BM_PlotPolyline);

// Moves only: the pQ / pM alternation, no bounding-box work.
void BM_PlotMovesOnly(benchmark::State& state) {
  static const auto motions = prepared(100'000, [](std::int64_t i) {
    auto m = plume::bench::w1_motion(i);
    m.code = 3;
    return m;
  });
  run_motions(state, motions);
}
BENCHMARK(BM_PlotMovesOnly);

// Draws reaching past the clip window and the f11.3 field: clamped box
// edges and clamped operands.
void BM_PlotBeyondWindow(benchmark::State& state) {
  static const auto motions = prepared(100 * plume::bench::kW1Group, [](std::int64_t i) {
    auto m = plume::bench::w1_motion(i);
    m.x = m.x * 1000.0f - 9000.0f;
    m.y = m.y * 30000.0f;
    return m;
  });
  run_motions(state, motions);
}
BENCHMARK(BM_PlotBeyondWindow);

}  // namespace
