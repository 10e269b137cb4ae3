#include "section/sac_reader.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "section/byte_order.hpp"
#include "section/input_error.hpp"
#include "section/input_file.hpp"
#include "section/labels.hpp"

namespace section::sac {
namespace {

constexpr std::size_t kChunkSamples = 1 << 16;  // samples decoded per read

bool version_in(const unsigned char* header, bool big_endian) {
  const std::int32_t version = load_i32(header + 4 * kNvhdr, big_endian);
  return version == 6 || version == 7;
}

struct Header {
  bool big_endian = false;
  std::int32_t version = 0;
  float delta = 0, b = 0, dist = 0, gcarc = 0;
  std::int32_t npts = 0, iftype = 0, leven = 0;
  std::string station, channel;
};

bool defined(float v) { return v != kUndefined && std::isfinite(v); }

std::string text_field(const unsigned char* header, int offset) {
  std::string text(reinterpret_cast<const char*>(header + offset), 8);
  return text;
}

Header decode(const unsigned char* raw) {
  Header h;
  // The header version decides the byte order; the little-endian reading
  // is tried second only when the big-endian one is not a version.
  h.big_endian = version_in(raw, true);
  const bool be = h.big_endian;
  const auto word_f = [&](int w) { return load_f32(raw + 4 * w, be); };
  const auto word_i = [&](int w) { return load_i32(raw + 4 * w, be); };
  h.version = word_i(kNvhdr);
  h.delta = word_f(kDelta);
  h.b = word_f(kB);
  h.dist = word_f(kDist);
  h.gcarc = word_f(kGcarc);
  h.npts = word_i(kNpts);
  h.iftype = word_i(kIftype);
  h.leven = word_i(kLeven);
  h.station = text_field(raw, kKstnm);
  h.channel = text_field(raw, kKcmpnm);
  return h;
}

void check(const Header& h, const InputFile& file) {
  const std::string& path = file.path();
  const auto undefined_int = static_cast<std::int32_t>(kUndefined);
  if (h.iftype != kItime && h.iftype != undefined_int) {
    fail(path, 1, "iftype", "file type " + std::to_string(h.iftype) + " is not a time series (1, ITIME)");
  }
  if (h.leven != 1 && h.leven != undefined_int) {
    fail(path, 1, "leven", "unevenly sampled data (leven " + std::to_string(h.leven) + ") cannot be drawn as a wiggle");
  }
  if (h.npts < 0) fail(path, 1, "npts", "negative sample count " + std::to_string(h.npts));
  const std::uint64_t needed = kHeaderBytes + 4ull * static_cast<std::uint64_t>(h.npts) +
                               (h.version == 7 ? 8ull * kFooterDoubles : 0ull);
  if (needed > file.size()) {
    fail(path, 1, "npts",
         std::to_string(h.npts) + " samples need " + std::to_string(needed) + " bytes, the file holds " +
             std::to_string(file.size()));
  }
}

// Delta and begin time: the header floats, or in version 7 the doubles of
// the footer, which hold them at full precision.
std::pair<double, double> delta_and_begin(const Header& h, const InputFile& file) {
  double delta = h.delta;
  double begin = h.b;
  if (h.version == 7) {
    std::array<unsigned char, 16> footer{};
    file.read_at(kHeaderBytes + 4ull * static_cast<std::uint64_t>(h.npts), footer.data(), footer.size(), 1,
                 "version 7 footer");
    delta = load_f64(footer.data(), h.big_endian);
    begin = load_f64(footer.data() + 8, h.big_endian);
  }
  if (!std::isfinite(delta) || delta <= 0 || delta == kUndefined) {
    fail(file.path(), 1, "delta", "sampling interval " + std::to_string(delta) + " is not a positive number");
  }
  if (begin == kUndefined) begin = 0.0;  // an unset begin time counts from the reference time
  if (!std::isfinite(begin)) fail(file.path(), 1, "b", "begin time is not a finite number");
  return {delta, begin};
}

void read_samples(const Header& h, const InputFile& file, double delta, double begin, TraceVisitor& visitor) {
  std::vector<unsigned char> raw(std::min<std::size_t>(static_cast<std::size_t>(h.npts), kChunkSamples) * 4);
  std::vector<float> values;
  for (std::int64_t first = 0; first < h.npts;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(h.npts - first, kChunkSamples));
    file.read_at(kHeaderBytes + 4ull * static_cast<std::uint64_t>(first), raw.data(), count * 4, 1, "samples");
    values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      values[i] = load_f32(raw.data() + 4 * i, h.big_endian);
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

bool looks_like_sac(const unsigned char* header, std::size_t size) {
  return size >= kHeaderBytes && (version_in(header, true) || version_in(header, false));
}

void read(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  const InputFile file(path);
  std::array<unsigned char, kHeaderBytes> raw{};
  file.read_at(0, raw.data(), raw.size(), 0, "SAC header");
  if (!looks_like_sac(raw.data(), raw.size())) fail(path, 0, "nvhdr", "not a SAC header version (6 or 7)");
  const Header h = decode(raw.data());
  check(h, file);
  const auto [delta, begin] = delta_and_begin(h, file);

  TraceHeader header;
  header.interval = delta;
  header.begin = begin;
  header.label = station_label(h.station, h.channel);
  if (defined(h.dist)) header.dist_km = h.dist;
  if (defined(h.gcarc)) header.gcarc_deg = h.gcarc;
  visitor.header(0, header);
  if (with_samples) {
    read_samples(h, file, delta, begin, visitor);
  } else {
    visitor.run(0, begin, h.npts);
  }
}

}  // namespace section::sac
