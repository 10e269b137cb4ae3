// Text harness: the stroke and PostScript text routines (chrcod, symbol in
// all its modes, justfy, csymbl, xsymbol, indx, iand, hexstr, hexchar) with
// arbitrary bytes, counts, heights, angles and fonts, inside one opened plot.
//
// Properties: no sanitizer report (every text lies in a heap block of its
// exact size, so a read past the string_view is caught), and the code list
// that chrcod leaves is always within its capacity and holds only glyph and
// control codes.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

#include "fuzz/fuzz_input.hpp"
#include "fuzz/harness.hpp"
#include "plume/plume.hpp"
#include "plume/records.h"

namespace plume::fuzz {

// A violated property: reported like a crash, with the reason.
#define PLUME_FUZZ_CHECK(condition)                                                          \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "fuzz property violated at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

namespace text_detail {

inline constexpr int kMaxCalls = 32;
inline constexpr std::size_t kMaxText = 400;  // past the 350-character limit
inline constexpr int kUnit = 8;

inline void check_code_list() {
  PLUME_FUZZ_CHECK(ajust_.code_count >= 0 && ajust_.code_count <= PLUME_MAX_CODES);
  for (int k = 0; k < ajust_.code_count; ++k) {
    const std::int32_t c = ajust_.codes[k];
    PLUME_FUZZ_CHECK((c >= 1 && c <= 432) || (c >= 1000 && c <= 1004));
  }
}

inline std::int32_t font_offset(FuzzInput& in) {
  static constexpr std::int32_t kOffsets[] = {0, 120, 240, 312};
  const std::uint8_t selector = in.byte();
  // Application code may write any value into the shared record.
  return selector < 240 ? kOffsets[selector % 4] : in.integer();
}

inline std::int32_t font(FuzzInput& in) {
  const std::uint8_t selector = in.byte();
  return selector < 200 ? selector % 25 : in.integer();
}

// A centred symbol mode: -1 (move), -2 and below (a line to the centre first).
inline std::int32_t marker_count(FuzzInput& in) {
  switch (in.byte() % 4) {
    case 0: return -1;
    case 1: return -2;
    case 2: return -3 - in.below(100);
    default: {
      const std::int32_t n = in.integer();
      return n < 0 ? n : -1 - (n & 0xffff);
    }
  }
}

inline void poke_code_list(FuzzInput& in) {
  ajust_.code_count = in.integer();
  const int pokes = in.below(8);
  for (int k = 0; k < pokes; ++k) {
    const int at = in.byte() * 2 % PLUME_MAX_CODES;
    ajust_.codes[at] = in.integer();
  }
}

inline void search_and_bits(FuzzInput& in) {
  const auto haystack = text_argument(in, 64);
  const auto pattern = text_argument(in, 8);
  const int found = indx(haystack.text.view(), pattern.text.view());
  const auto expected = pattern.text.size() == 0 ? std::string_view::npos
                                                 : haystack.text.view().find(pattern.text.view());
  PLUME_FUZZ_CHECK(expected == std::string_view::npos ? found == 0
                                                      : found == static_cast<int>(expected) + 1);
  const std::int32_t i = in.integer();
  const std::int32_t j = in.integer();
  PLUME_FUZZ_CHECK(iand(i, j) == (i & j));
  const std::int32_t v = in.integer();
  const char c = hexchar(v, '?');
  PLUME_FUZZ_CHECK(v < 0 ? c == '*' : v > 15 ? c == '?' : (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
}

// One call of the text routines, chosen and parametrised by the input.
inline void one_call(FuzzInput& in, CurrentPoint& point) {
  const std::uint8_t op = in.byte() % 10;
  switch (op) {
    case 0: {
      auto t = text_argument(in, kMaxText);
      chrcod(t.text.view(), t.count);
      check_code_list();
      break;
    }
    case 1: {
      const float x = in.real(), y = in.real(), height = in.real(), angle = in.real();
      auto t = text_argument(in, kMaxText);
      point.ensure();
      symbol(x, y, height, t.text.view(), angle, t.count);
      break;
    }
    case 2: {
      const float x = in.real(), y = in.real(), height = in.real(), angle = in.real();
      const std::int32_t marker = in.byte() < 200 ? in.below(30) - 2 : in.integer();
      const std::int32_t n = in.byte() < 220 ? marker_count(in) : in.integer();
      point.ensure();
      symbol(x, y, height, marker, angle, n);
      break;
    }
    case 3: {
      const float height = in.real();
      auto t = text_argument(in, kMaxText);
      (void)justfy(height, t.text.view(), t.count);
      check_code_list();
      break;
    }
    case 4: {
      const float x = in.real(), y = in.real(), height = in.real(), angle = in.real();
      const std::int32_t f = font(in);
      auto t = text_argument(in, kMaxText);
      point.ensure();
      xsymbol(x, y, height, t.text.view(), angle, t.count, f);
      // The move to (x, y) came first: with a negative height (x, y) became
      // the origin, and the pen sits at (0, 0).
      point.moved_to(height < 0.0f ? 0.0f : x, height < 0.0f ? 0.0f : y);
      break;
    }
    case 5:
      offset_.font_offset = font_offset(in);
      offset_.reuse_codes = in.byte() % 3;
      offset_.codes_ready = in.byte() % 3;
      break;
    case 6:
      poke_code_list(in);
      break;
    case 7: {
      const float x = in.real(), y = in.real(), height = in.real();
      const std::int32_t pen = in.byte() < 200 ? in.below(4) - 1 : in.integer();
      const std::int32_t marker = in.byte() < 200 ? in.below(30) - 2 : in.integer();
      point.ensure();
      csymbl(x, y, pen, height, marker);
      break;
    }
    case 8:
      search_and_bits(in);
      break;
    default: {
      const std::int32_t i = in.integer(), j = in.integer();
      // " <....> show" needs a current point, as all text does.
      if (point.ensure()) hexstr(i, j);
      break;
    }
  }
}

}  // namespace text_detail

inline void text_one_input(std::span<const std::uint8_t> data, const DocumentSink& sink) {
  using namespace text_detail;
  FuzzInput in(data);
  reset_shared_records();
  const std::string path = sink.path(0);
  connect_unit(kUnit, path);
  const int orientation = in.byte() % 2 == 0 ? 1 : 0;
  hplots(1, orientation, kUnit, in.byte() % 3);
  CurrentPoint point;  // the open ends with a colour line: no current point
  for (int call = 0; call < kMaxCalls && !in.empty(); ++call) one_call(in, point);
  offset_.reuse_codes = 0;
  hplots(0, 0, kUnit, 0);
  sink.report_closed(path);
}

}  // namespace plume::fuzz
