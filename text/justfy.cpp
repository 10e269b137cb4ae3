// Text justification: justfy measures a stroke text along its baseline the
// way symbol draws it and leaves the code list ready for symbol to reuse.
#include <array>
#include <cstdint>
#include <string_view>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "text/glyph_walk.hpp"

namespace plume {
namespace {

using namespace text;

// The 1-based position of the first code that is not a blank, or n when
// there is none.
std::int64_t first_drawn(std::span<const std::int32_t> codes, int n) {
  for (std::size_t k = 0; k < codes.size(); ++k) {
    if (codes[k] != kBlank) return static_cast<std::int64_t>(k) + 1;
  }
  return n;
}

}  // namespace

std::array<float, 4> justfy(float height, std::string_view text, int n) {
  float s = height / 21.0f;
  chrcod(text, n);
  const auto codes = code_list();
  const std::int64_t j = first_drawn(codes, n);
  const float start = 20.0f * s * static_cast<float>(j - 1);
  float end = start;
  float lw = 0.0f;
  // Levels follow the drawing rules: the same ones take effect in symbol.
  LevelStack levels;
  for (std::size_t k = static_cast<std::size_t>(j - 1); k < codes.size(); ++k) {
    const std::int32_t c = codes[k];
    if (is_glyph(c)) {
      lw = glyph_width(c) * s;
      end = end + lw;
    } else if (c == kSuperscript || c == kSubscript) {
      if (levels.push(0.0f)) s = s * kLevelFactor;
    } else if (c == kEndLevel) {
      if (levels.pop()) s = s / kLevelFactor;
    } else if (c == kBackspace) {
      end = end - lw;
    } else {
      end = end + 20.0f * s;  // a blank, or a code without a glyph
    }
  }
  const auto uncoded = static_cast<std::int64_t>(n) - static_cast<std::int64_t>(codes.size());
  const float total = end + 20.0f * s * static_cast<float>(uncoded);
  offset_.codes_ready = 1;
  return {start, (start + end) / 2.0f, end, total};
}

}  // namespace plume

extern "C" void justfy_(float* result, const float* height, const void* text, const int32_t* n) {
  const std::string_view chars =
      *n > 0 ? std::string_view(static_cast<const char*>(text), static_cast<std::size_t>(*n)) : std::string_view();
  const auto r = plume::justfy(*height, chars, *n);
  for (std::size_t k = 0; k < r.size(); ++k) result[k] = r[k];
}
