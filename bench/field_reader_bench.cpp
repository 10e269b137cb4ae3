// The traceplot reader: one fixed-column field converted, and whole traces
// read through LineReader and TraceReader from a file (page-cached) in the
// layout of the end-to-end workload W2.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/line_reader.hpp"
#include "driver/numeric_input.hpp"
#include "driver/trace_reader.hpp"

namespace {

// 12-column sample fields as the workload writes them: digits without a
// decimal point (7 implied decimals), every 97th with its point.
std::vector<std::string> sample_fields(std::size_t n) {
  std::vector<std::string> fields;
  for (std::size_t j = 0; j < n; ++j) {
    const long long v = static_cast<long long>((j * 2'654'435'761u) % 19'999'999) - 9'999'999;
    char text[32];
    if (j % 97 == 96) {
      std::snprintf(text, sizeof text, "%12.7f", static_cast<double>(v) / 1e7);
    } else {
      std::snprintf(text, sizeof text, "%12lld", v);
    }
    fields.emplace_back(text);
  }
  return fields;
}

void BM_ReadRealField(benchmark::State& state) {
  const auto fields = sample_fields(4096);
  std::size_t next = 0;
  for (auto _ : state) {
    const auto r = traceplot::read_real_field(fields[next], 7);
    benchmark::DoNotOptimize(r);
    next = (next + 1) % fields.size();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_ReadRealField);

class TraceFile {
 public:
  TraceFile(int traces, int samples)
      : path_(std::filesystem::temp_directory_path() /
              ("plume_field_reader_bench_" + std::to_string(::getpid()) + ".txt")),
        traces_(traces), samples_(samples) {
    std::ofstream out(path_);
    const auto fields = sample_fields(static_cast<std::size_t>(samples));
    out << "         100           0\n" << std::string(5 - std::to_string(traces).size(), ' ') << traces << "\n";
    for (int t = 1; t <= traces; ++t) {
      char header[64];
      std::snprintf(header, sizeof header, "%12d%12d\n%5d\n%15d\n", t * 100'000, 0, samples, 10'000'000 + t);
      out << header;
      for (int j = 0; j < samples; ++j) {
        out << fields[static_cast<std::size_t>(j)];
        if (j % 6 == 5 || j + 1 == samples) out << '\n';
      }
    }
  }
  ~TraceFile() { std::filesystem::remove(path_); }
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::int64_t samples() const { return std::int64_t{traces_} * samples_; }

 private:
  std::filesystem::path path_;
  int traces_;
  int samples_;
};

// Whole files: the file header, then every trace's header and samples.
void BM_ReadTraceFile(benchmark::State& state) {
  const TraceFile file(10, 10'000);
  std::vector<float> samples;
  for (auto _ : state) {
    const int fd = ::open(file.path().c_str(), O_RDONLY | O_CLOEXEC);
    traceplot::LineReader lines(fd, "trace file", true);
    traceplot::TraceReader reader(lines);
    benchmark::DoNotOptimize(reader.read_file_header());
    const int traces = reader.read_trace_count();
    for (int t = 1; t <= traces; ++t) {
      const auto header = reader.read_trace_header(t);
      reader.read_samples(t, header.sample_count, samples);
      benchmark::DoNotOptimize(samples.data());
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * file.samples());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(file.path())));
}
BENCHMARK(BM_ReadTraceFile)->Unit(benchmark::kMillisecond);

}  // namespace
