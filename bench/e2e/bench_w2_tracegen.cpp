// Writes the W2 trace file: TRACES traces of SAMPLES samples each, in the
// fixed-column layout traceplot reads (fort.10). Positions and the sample
// interval have 5 implied decimals; amplitudes and samples 7. Samples are
// written six to a 72-column record as digits without a decimal point,
// except every 97th, which is written with its point.
// Usage: bench_w2_tracegen OUT TRACES SAMPLES
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "bench/e2e/w1_workload.hpp"

namespace {

class Text {
 public:
  explicit Text(std::FILE* out) : out_(out) {}
  ~Text() { flush(); }

  // `value` right-aligned in `width` columns.
  void field(std::int64_t value, int width) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    pad(std::string_view(text, static_cast<std::size_t>(end - text)), width);
  }
  // value / 10^7 written with its decimal point ("-0.1234567"), right-aligned.
  void pointed(std::int64_t value, int width) {
    const std::int64_t magnitude = value < 0 ? -value : value;
    char text[32];
    char* p = text;
    if (value < 0) *p++ = '-';
    p = std::to_chars(p, text + sizeof text, magnitude / 10'000'000).ptr;
    *p++ = '.';
    for (std::int64_t scale = 1'000'000, rest = magnitude % 10'000'000; scale > 0; scale /= 10) {
      *p++ = static_cast<char>('0' + rest / scale % 10);
    }
    pad(std::string_view(text, static_cast<std::size_t>(p - text)), width);
  }
  void end_line() {
    buffer_ += '\n';
    if (buffer_.size() > (1u << 20)) flush();
  }
  void flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
  }

 private:
  void pad(std::string_view s, int width) {
    if (static_cast<int>(s.size()) < width) buffer_.append(static_cast<std::size_t>(width) - s.size(), ' ');
    buffer_ += s;
  }
  std::FILE* out_;
  std::string buffer_;
};

// Sample j of trace t as an integer of 7 implied decimals, within +-0.9999999:
// a triangle wave with a little hashed noise on it.
std::int64_t sample(std::int64_t t, std::int64_t j) {
  const std::int64_t phase = (j * 37 + t * 11) % 400;
  const std::int64_t triangle = (phase < 200 ? 200 - phase : phase - 200) - 100;
  const std::int64_t noise = (j * 2'654'435'761 + t * 97) % 900'001 - 450'000;
  return triangle * 90'000 + noise;
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t traces = plume::bench::count_argument(argc, argv, 2, -1);
  const std::int64_t samples = plume::bench::count_argument(argc, argv, 3, -1);
  if (argc != 4 || traces < 0 || samples < 0 || traces > 99'999 || samples > 99'999) {
    std::fprintf(stderr, "usage: bench_w2_tracegen OUT TRACES SAMPLES (each at most 99999)\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  {
    Text text(out);
    text.field(100, 12);  // sample interval 0.00100
    text.field(0, 12);
    text.end_line();
    text.field(traces, 5);
    text.end_line();
    for (std::int64_t t = 0; t < traces; ++t) {
      text.field((t + 1) * 100'000, 12);  // position t + 1
      text.field(0, 12);
      text.end_line();
      text.field(samples, 5);
      text.end_line();
      text.field(10'000'000 + t, 15);  // amplitude about 1
      text.end_line();
      for (std::int64_t j = 0; j < samples; ++j) {
        const std::int64_t v = sample(t, j);
        if (j % 97 == 96) text.pointed(v, 12);
        else text.field(v, 12);
        if (j % 6 == 5 || j + 1 == samples) text.end_line();
      }
      if (samples == 0) text.end_line();  // a trace always has one sample record
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
