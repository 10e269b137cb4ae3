#include "section/sac_writer.hpp"

#include <bit>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace section_test {
namespace {

// The header in published order: floats 0-69, integers 70-109, text from
// byte 440. Every unset value is -12345, every unset text "-12345  ".
constexpr int kFloats = 70;
constexpr int kInts = 40;
constexpr int kTextStart = 440;
constexpr int kHeaderSize = 632;

void put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t v, bool big_endian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = big_endian ? 24 - 8 * i : 8 * i;
    out[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> shift);
  }
}
void put_float(std::vector<unsigned char>& out, std::size_t at, float v, bool be) {
  put32(out, at, std::bit_cast<std::uint32_t>(v), be);
}
void put_int(std::vector<unsigned char>& out, std::size_t at, std::int32_t v, bool be) {
  put32(out, at, static_cast<std::uint32_t>(v), be);
}
void put_double(std::vector<unsigned char>& out, std::size_t at, double v, bool be) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  put32(out, at + (be ? 0 : 4), static_cast<std::uint32_t>(bits >> 32), be);
  put32(out, at + (be ? 4 : 0), static_cast<std::uint32_t>(bits), be);
}
void put_text(std::vector<unsigned char>& out, std::size_t at, std::size_t width, const std::string& text) {
  for (std::size_t i = 0; i < width; ++i) out[at + i] = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
}

}  // namespace

std::vector<unsigned char> sac_bytes(const SacTrace& t, bool be) {
  const std::size_t n = t.samples.size();
  const std::size_t footer = t.nvhdr == 7 ? 22 * 8 : 0;
  std::vector<unsigned char> out(kHeaderSize + 4 * n + footer, 0);
  for (int w = 0; w < kFloats; ++w) put_float(out, 4 * static_cast<std::size_t>(w), -12345.0f, be);
  for (int w = kFloats; w < kFloats + kInts; ++w) put_int(out, 4 * static_cast<std::size_t>(w), -12345, be);
  for (std::size_t at = kTextStart; at < kHeaderSize; at += 8) put_text(out, at, 8, "-12345");
  put_float(out, 0, t.delta, be);    // delta, word 0
  put_float(out, 20, t.b, be);       // b, word 5
  put_float(out, 24, t.b + t.delta * static_cast<float>(n > 0 ? n - 1 : 0), be);  // e, word 6
  put_float(out, 200, t.dist, be);   // dist, word 50
  put_float(out, 212, t.gcarc, be);  // gcarc, word 53
  put_int(out, 304, t.nvhdr, be);    // nvhdr, word 76
  put_int(out, 316, t.npts_override >= 0 ? static_cast<std::int32_t>(t.npts_override) : static_cast<std::int32_t>(n),
          be);                        // npts, word 79
  put_int(out, 340, t.iftype, be);   // iftype, word 85
  put_int(out, 420, t.leven, be);    // leven, word 105
  put_text(out, 440, 8, t.kstnm);    // kstnm
  put_text(out, 448, 16, "-12345");  // kevnm, 16 bytes
  put_text(out, 600, 8, t.kcmpnm);   // kcmpnm
  for (const auto& [w, v] : t.floats) put_float(out, 4 * static_cast<std::size_t>(w), v, be);
  for (const auto& [w, v] : t.ints) put_int(out, 4 * static_cast<std::size_t>(w), v, be);
  for (const auto& [at, text] : t.texts) put_text(out, static_cast<std::size_t>(at), 8, text);
  for (std::size_t i = 0; i < n; ++i) put_float(out, kHeaderSize + 4 * i, t.samples[i], be);
  if (footer) {
    for (std::size_t k = 0; k < 22; ++k) put_double(out, kHeaderSize + 4 * n + 8 * k, -12345.0, be);
    put_double(out, kHeaderSize + 4 * n, t.footer_delta, be);
    put_double(out, kHeaderSize + 4 * n + 8, t.footer_b, be);
    for (const auto& [k, v] : t.footer) put_double(out, kHeaderSize + 4 * n + 8 * static_cast<std::size_t>(k), v, be);
  }
  return out;
}

std::string sac_alphanumeric(const SacTrace& t) {
  // The binary header (big-endian) is the one source of the words.
  const std::vector<unsigned char> bin = sac_bytes(t, true);
  const auto word = [&](int w) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | bin[4 * static_cast<std::size_t>(w) + static_cast<std::size_t>(i)];
    return v;
  };
  std::string out;
  char field[32];
  for (int w = 0; w < kFloats; ++w) {
    std::snprintf(field, sizeof field, "%#15.7G", static_cast<double>(std::bit_cast<float>(word(w))));
    out += field;
    if (w % 5 == 4) out += '\n';
  }
  for (int w = kFloats; w < kFloats + kInts; ++w) {
    std::snprintf(field, sizeof field, "%10d", static_cast<std::int32_t>(word(w)));
    out += field;
    if (w % 5 == 4) out += '\n';
  }
  for (std::size_t at = kTextStart; at < kHeaderSize; at += 24) {
    out.append(reinterpret_cast<const char*>(bin.data() + at), 24);
    out += '\n';
  }
  for (std::size_t i = 0; i < t.samples.size(); ++i) {
    std::snprintf(field, sizeof field, "%#15.7G", static_cast<double>(t.samples[i]));
    out += field;
    if (i % 5 == 4 || i + 1 == t.samples.size()) out += '\n';
  }
  return out;
}

void write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace section_test
