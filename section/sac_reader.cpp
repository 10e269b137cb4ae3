#include "section/sac_reader.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <vector>

#include "section/byte_order.hpp"
#include "section/input_error.hpp"
#include "section/input_file.hpp"
#include "section/labels.hpp"
#include "section/sac_header.hpp"

namespace section::sac {
namespace {

constexpr std::size_t kChunkSamples = 1 << 16;  // samples decoded per read
constexpr int kFooterValuesRead = 15;          // delta, b, e, o, a, t0 ... t9
const char* const kPickNames[kPickCount] = {"o", "a", "t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8", "t9"};

bool version_in(const unsigned char* header, bool big_endian) {
  const std::int32_t version = load_i32(header + 4 * kNvhdr, big_endian);
  return version == 6 || version == 7;
}

bool is_set(double v) { return v != kUndefined; }

// A header value that is unset (-12345) or a finite number; anything else
// is refused with the field's name rather than dropped.
std::optional<double> optional_value(double v, const char* field, const std::string& path) {
  if (!is_set(v)) return std::nullopt;
  if (!std::isfinite(v)) fail(path, 1, field, "not a finite number");
  return v;
}

// The UTC time of the reference: nzyear, nzjday, nzhour, nzmin, nzsec,
// nzmsec, all set, or none.
std::optional<double> reference_epoch(const RawHeader& raw, const std::string& path) {
  static constexpr const char* names[] = {"nzyear", "nzjday", "nzhour", "nzmin", "nzsec", "nzmsec"};
  static constexpr int lowest[] = {0, 1, 0, 0, 0, 0};
  static constexpr int highest[] = {9999, 366, 23, 59, 60, 999};
  std::array<int, 6> v{};
  for (int k = 0; k < 6; ++k) {
    v[static_cast<std::size_t>(k)] = raw.word_i(kNzyear + k);
    if (v[static_cast<std::size_t>(k)] == static_cast<std::int32_t>(kUndefined)) return std::nullopt;
  }
  for (std::size_t k = 0; k < 6; ++k) {
    if (v[k] < lowest[k] || v[k] > highest[k]) {
      fail(path, 1, names[k],
           std::to_string(v[k]) + " lies outside " + std::to_string(lowest[k]) + " to " + std::to_string(highest[k]));
    }
  }
  using namespace std::chrono;
  const sys_days day = sys_days(year(v[0]) / January / 1) + days(v[1] - 1);
  const double seconds = static_cast<double>(day.time_since_epoch().count()) * 86400.0;
  return seconds + v[2] * 3600.0 + v[3] * 60.0 + v[4] + v[5] * 1e-3;
}

RawHeader decode(const unsigned char* raw, bool big_endian) {
  RawHeader h;
  for (int w = 0; w < kFloatWords; ++w) h.floats[static_cast<std::size_t>(w)] = load_f32(raw + 4 * w, big_endian);
  for (int w = 0; w < kIntWords; ++w) {
    h.ints[static_cast<std::size_t>(w)] = load_i32(raw + 4 * (kFloatWords + w), big_endian);
  }
  h.text.assign(reinterpret_cast<const char*>(raw + kKstnm), kTextBytes);
  return h;
}

std::string_view text_field(const RawHeader& h, int offset) {
  return std::string_view(h.text).substr(static_cast<std::size_t>(offset - kKstnm), 8);
}

void check_binary_size(const RawHeader& h, const InputFile& file) {
  const std::int32_t npts = h.word_i(kNpts);
  if (npts < 0) return;  // refused with the other header checks
  const std::uint64_t needed = kHeaderBytes + 4ull * static_cast<std::uint64_t>(npts) +
                               (h.word_i(kNvhdr) == 7 ? 8ull * kFooterDoubles : 0ull);
  if (needed > file.size()) {
    fail(file.path(), 1, "npts",
         std::to_string(npts) + " samples need " + std::to_string(needed) + " bytes, the file holds " +
             std::to_string(file.size()));
  }
}

Footer read_footer(const InputFile& file, std::int32_t npts, bool big_endian) {
  std::array<unsigned char, 8 * kFooterValuesRead> raw{};
  file.read_at(kHeaderBytes + 4ull * static_cast<std::uint64_t>(npts), raw.data(), raw.size(), 1, "version 7 footer");
  const auto value = [&](int k) { return load_f64(raw.data() + 8 * k, big_endian); };
  Footer f;
  f.delta = value(0);
  f.b = value(1);
  for (std::size_t k = 0; k < kPickCount; ++k) f.picks[k] = value(3 + static_cast<int>(k));
  return f;
}

void read_samples(const InputFile& file, std::int32_t npts, bool big_endian, double delta, double begin,
                  TraceVisitor& visitor) {
  std::vector<unsigned char> raw(std::min<std::size_t>(static_cast<std::size_t>(npts), kChunkSamples) * 4);
  std::vector<float> values;
  for (std::int64_t first = 0; first < npts;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(npts - first, kChunkSamples));
    file.read_at(kHeaderBytes + 4ull * static_cast<std::uint64_t>(first), raw.data(), count * 4, 1, "samples");
    values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      values[i] = load_f32(raw.data() + 4 * i, big_endian);
      if (!std::isfinite(values[i])) {
        fail(file.path(), 1, "sample " + std::to_string(first + static_cast<std::int64_t>(i) + 1),
             "not a finite number");
      }
    }
    visitor.samples(0, begin + static_cast<double>(first) * delta, values);
    first += static_cast<std::int64_t>(count);
  }
}

}  // namespace

TraceHeader trace_header(const RawHeader& h, const std::optional<Footer>& footer, const std::string& path) {
  const auto undefined_int = static_cast<std::int32_t>(kUndefined);
  const std::int32_t iftype = h.word_i(kIftype);
  const std::int32_t leven = h.word_i(kLeven);
  if (iftype != kItime && iftype != undefined_int) {
    fail(path, 1, "iftype", "file type " + std::to_string(iftype) + " is not a time series (1, ITIME)");
  }
  if (leven != 1 && leven != undefined_int) {
    fail(path, 1, "leven", "unevenly sampled data (leven " + std::to_string(leven) + ") cannot be drawn as a wiggle");
  }
  if (h.word_i(kNpts) < 0) fail(path, 1, "npts", "negative sample count " + std::to_string(h.word_i(kNpts)));

  // Delta, b and the picks: the header floats, or in version 7 the doubles
  // of the footer, which hold them at full precision.
  TraceHeader header;
  double delta = footer ? footer->delta : h.word_f(kDelta);
  double begin = footer ? footer->b : h.word_f(kB);
  if (!std::isfinite(delta) || delta <= 0 || delta == kUndefined) {
    fail(path, 1, "delta", "sampling interval " + std::to_string(delta) + " is not a positive number");
  }
  if (begin == kUndefined) begin = 0.0;  // an unset begin time counts from the reference time
  if (!std::isfinite(begin)) fail(path, 1, "b", "begin time is not a finite number");
  header.interval = delta;
  header.begin = begin;
  for (std::size_t k = 0; k < kPickCount; ++k) {
    const int word = k == 0 ? kO : k == 1 ? kA : kT0 + static_cast<int>(k) - 2;
    header.picks[k] = optional_value(footer ? footer->picks[k] : h.word_f(word), kPickNames[k], path);
  }
  header.dist_km = optional_value(h.word_f(kDist), "dist", path);
  header.gcarc_deg = optional_value(h.word_f(kGcarc), "gcarc", path);
  header.azimuth_deg = optional_value(h.word_f(kAz), "az", path);
  header.backazimuth_deg = optional_value(h.word_f(kBaz), "baz", path);
  set_identity(header, text_field(h, kKnetwk), text_field(h, kKstnm), text_field(h, kKhole), text_field(h, kKcmpnm));
  header.reference_epoch = reference_epoch(h, path);
  return header;
}

bool looks_like_sac(const unsigned char* header, std::size_t size) {
  return size >= kHeaderBytes && (version_in(header, true) || version_in(header, false));
}

void read(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  const InputFile file(path);
  std::array<unsigned char, kHeaderBytes> bytes{};
  file.read_at(0, bytes.data(), bytes.size(), 0, "SAC header");
  if (!looks_like_sac(bytes.data(), bytes.size())) fail(path, 0, "nvhdr", "not a SAC header version (6 or 7)");
  // The header version decides the byte order; the little-endian reading
  // is tried second only when the big-endian one is not a version.
  const bool big_endian = version_in(bytes.data(), true);
  const RawHeader raw = decode(bytes.data(), big_endian);
  check_binary_size(raw, file);
  const std::int32_t npts = std::max(raw.word_i(kNpts), 0);
  std::optional<Footer> footer;
  if (raw.word_i(kNvhdr) == 7) footer = read_footer(file, npts, big_endian);
  const TraceHeader header = trace_header(raw, footer, path);
  visitor.header(0, header);
  if (with_samples) {
    read_samples(file, npts, big_endian, header.interval, header.begin, visitor);
  } else {
    visitor.run(0, header.begin, npts);
  }
}

}  // namespace section::sac
