// The SAC header as both SAC forms hold it (binary words, or the
// alphanumeric file's lines): 70 floats, 40 integers, 192 bytes of text,
// and what plume-section takes from it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "section/trace.hpp"

namespace section::sac {

constexpr int kFloatWords = 70;
constexpr int kIntWords = 40;
constexpr int kTextBytes = 192;  // from byte 440 of the binary header

struct RawHeader {
  std::array<float, kFloatWords> floats{};
  std::array<std::int32_t, kIntWords> ints{};
  std::string text = std::string(kTextBytes, ' ');
  float word_f(int word) const { return floats[static_cast<std::size_t>(word)]; }
  std::int32_t word_i(int word) const { return ints[static_cast<std::size_t>(word - kFloatWords)]; }
};

// Values of the version 7 footer, full precision: delta, b, o, a, t0-t9.
struct Footer {
  double delta = 0, b = 0;
  std::array<double, kPickCount> picks{};
};

// Checks the header (type, even sampling, counts, finite values) and turns
// it into the section's header; `footer` is the version 7 footer when read.
TraceHeader trace_header(const RawHeader& raw, const std::optional<Footer>& footer, const std::string& path);

}  // namespace section::sac
