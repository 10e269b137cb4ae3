// The stroke font tables: layout, widths, the stroke word encoding of every
// glyph and centred symbol, and where the glyphs sit on the grid. The words
// are decoded here independently of the library's walker.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "plume/records.h"
#include "support/document.hpp"

namespace {

const int kWidths[432] = {
    18, 21, 21, 21, 19, 18, 21, 22, 8,  16, 21, 17, 24, 22, 22, 21, 22, 21, 20, 16, 22, 18, 24, 20, 18, 20,
    19, 19, 18, 19, 18, 12, 19, 19, 8,  10, 17, 8,  30, 19, 19, 19, 19, 13, 17, 12, 19, 16, 22, 17, 16, 17,
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 26, 26, 22, 26, 14, 14, 16, 10, 10, 20,
    18, 21, 17, 18, 19, 20, 22, 22, 8,  21, 18, 24, 22, 18, 22, 22, 21, 18, 16, 18, 20, 20, 22, 20,
    21, 19, 19, 18, 16, 15, 20, 21, 11, 18, 16, 21, 18, 16, 17, 22, 18, 20, 20, 20, 22, 18, 23, 23,
    20, 22, 21, 22, 21, 20, 23, 24, 11, 15, 22, 18, 25, 23, 22, 22, 22, 22, 20, 19, 24, 20, 24, 20, 21, 20,
    20, 21, 19, 21, 19, 13, 19, 22, 11, 11, 21, 11, 33, 22, 20, 21, 20, 17, 17, 15, 22, 18, 24, 20, 19, 18,
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 26, 26, 22, 26, 14, 14, 16, 10, 10, 20,
    20, 22, 18, 20, 21, 20, 24, 22, 11, 22, 20, 25, 23, 22, 22, 24, 22, 21, 19, 19, 21, 20, 23, 22,
    23, 21, 20, 19, 18, 18, 22, 23, 12, 20, 20, 23, 20, 17, 18, 22, 19, 21, 20, 20, 22, 18, 23, 23,
    20, 24, 21, 23, 23, 22, 22, 26, 13, 18, 23, 20, 27, 25, 22, 23, 22, 24, 23, 21, 25, 20, 26, 22, 21, 22,
    21, 19, 18, 21, 18, 15, 20, 21, 13, 13, 20, 12, 33, 23, 18, 21, 20, 17, 17, 14, 23, 20, 29, 20, 21, 20,
    21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 26, 26, 22, 26, 15, 15, 17, 11, 11, 21,
    20, 20, 21, 21, 19, 18, 21, 22, 9,  17, 21, 17, 24, 22, 22, 20, 22, 20, 20, 17, 22, 20, 26, 20, 19, 20,
    20, 20, 18, 20, 18, 14, 20, 20, 9,  9,  19, 9,  31, 20, 19, 20, 20, 14, 17, 11, 20, 16, 24, 18, 16, 18,
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 25, 25, 23, 25, 14, 14, 16, 11, 11, 19,
    24, 24, 19, 20, 17, 24, 24, 25, 24, 24, 25, 24, 24, 22, 26, 34, 10, 22, 31, 19, 14, 14, 27, 22,
    14, 14, 21, 16, 16, 10, 10, 10, 18, 24, 25, 11, 11, 11, 21, 24, 14, 14, 8,  16, 14, 26, 22, 8,
};

// The centred symbols as documented, relative to the centre.
const char* const kCentred[22] = {
    "M0,10 D10,10 D10,-10 D-10,-10 D-10,10 D0,10",
    "M0,0 M0,10 D4,10 D10,4 D10,-4 D4,-10 D-4,-10 D-10,-4 D-10,4 D-4,10 D0,10",
    "M0,0 M0,10 D9,-5 D-9,-5 D0,10",
    "M0,-10 D0,10 M-10,0 D10,0",
    "M-7,-7 D7,7 M-7,7 D7,-7",
    "M0,10 D10,0 D0,-10 D-10,0 D0,10",
    "M0,-10 D0,10 D10,0 D-10,0 D0,10",
    "M-10,-10 D10,10 D-10,10 D10,-10",
    "M0,0 M0,10 D9,5 D9,-5 D0,-10 D-9,-5 D-9,5 D0,10",
    "M-7,7 D0,0 D0,-10 M0,0 D7,7",
    "M5,5 D5,-5 D-5,-5 D-5,5 D5,5 M-10,10 D-5,5 M-10,-10 D-5,-5 M10,-10 D5,-5 M0,0 D10,10",
    "M-10,0 D10,0 M0,-10 D0,10 M-7,-7 D7,7 M7,-7 D-7,7",
    "M-10,10 D10,10 D-10,-10 D10,-10 D-10,10",
    "M0,-10 D0,10",
    "M0,0 M0,10 D9,-5 D-9,-5 D0,10 M9,5 D0,-10 D-9,5 D9,5",
    "M0,1 D-1,0 D0,-1 D1,0 D0,1",
    "M-1,-4 D-3,-3 D-4,-1 D-4,1 D-3,3 D-1,4 D1,4 D3,3 D4,1 D4,-1 D3,-3 D1,-4 D-1,-4",
    "M-2,-11 D-5,-10 D-8,-8 D-10,-5 D-11,-2 D-11,2 D-10,5 D-8,8 D-5,10 D-2,11 D2,11 D5,10 D8,8 D10,5 "
    "D11,2 D11,-2 D10,-5 D8,-8 D5,-10 D2,-11 D-2,-11",
    "M-2,-22 D-7,-21 D-11,-19 D-14,-17 D-17,-14 D-19,-11 D-21,-7 D-22,-2 D-22,2 D-21,7 D-19,11 "
    "D-17,14 D-14,17 D-11,19 D-7,21 D-2,22 D2,22 D7,21 D11,19 D14,17 D17,14 D19,11 D21,7 D22,2 "
    "D22,-2 D21,-7 D19,-11 D17,-14 D14,-17 D11,-19 D7,-21 D2,-22 D-2,-22",
    "M-1,-4 D-3,-3 D-4,-1 D-4,1 D-3,3 D-1,4 D1,4 D3,3 D4,1 D4,-1 D3,-3 D1,-4 D-1,-4 "
    "M-3,-1 D-3,1 D-3,1 M-2,-2 D-2,2 M-1,-3 D-1,3 M0,-3 D0,3 M1,-3 D1,3 M2,-2 D2,2 M3,-1 D3,1",
    "M-4,-4 D-4,4 D4,4 D4,-4 D-4,-4 M-3,-3 D-3,3 M-2,-3 D-2,3 M-1,-3 D-1,3 M0,-3 D0,3 M1,-3 D1,3 "
    "M2,-3 D2,3 M3,-3 D3,3",
    "M0,-6 D-5,3 D5,3 D0,-6 M-3,2 D0,-3 D3,2 M0,0 D-1,2 D0,0 D1,2",
};

struct StrokePoint {
  int pen, x, y;
  bool operator==(const StrokePoint&) const = default;
};

// A decoded glyph: its points, the index after its last word, and where its
// end mark fell.
struct Decoded {
  std::vector<StrokePoint> points;
  std::size_t end_word = 0;  // one past the word holding the end mark
  bool end_in_first_half = false;
  int end_x = -1, end_y = -1;
};

Decoded decode(const std::int32_t* words, std::size_t size, std::size_t start) {
  Decoded d;
  for (std::size_t p = start; p < size; ++p) {
    for (int half = 0; half < 2; ++half) {
      const std::int32_t h = half == 0 ? (words[p] >> 15) & 0x7fff : words[p] & 0x7fff;
      const StrokePoint point{h >> 12, (h >> 6) & 63, h & 63};
      if (point.pen == 0) {
        d.end_word = p + 1;
        d.end_in_first_half = half == 0;
        d.end_x = point.x;
        d.end_y = point.y;
        return d;
      }
      d.points.push_back(point);
    }
  }
  ADD_FAILURE() << "no end mark after word " << start + 1;
  return d;
}

Decoded decode_glyph(int code) {
  return decode(ialph_.glyph_words, std::size(ialph_.glyph_words),
                static_cast<std::size_t>(ialph_.glyph_start[code - 1] - 1));
}

std::vector<StrokePoint> parse_centred(const std::string& text) {
  std::vector<StrokePoint> points;
  std::istringstream in(text);
  std::string item;
  while (in >> item) {
    const auto comma = item.find(',');
    points.push_back({item[0] == 'M' ? 3 : 2, std::stoi(item.substr(1, comma - 1)) + 32,
                      std::stoi(item.substr(comma + 1)) + 32});
  }
  return points;
}

int min_y(int code) {
  int y = 64;
  for (const auto& p : decode_glyph(code).points) y = std::min(y, p.y);
  return y;
}
int max_y(int code) {
  int y = -1;
  for (const auto& p : decode_glyph(code).points) y = std::max(y, p.y);
  return y;
}

TEST(FontTables, ReadOnlyBlockOfFourArraysAndTheDocumentedWidths) {
  static_assert(std::is_const_v<decltype(ialph_)>);
  static_assert(std::is_const_v<std::remove_extent_t<decltype(iwid_)>>);
  static_assert(sizeof(plume_ialph) == 5296 * 4);
  static_assert(offsetof(plume_ialph, glyph_start) == 4711 * 4);
  static_assert(offsetof(plume_ialph, centred_words) == (4711 + 432) * 4);
  static_assert(offsetof(plume_ialph, centred_start) == (4711 + 432 + 128) * 4);
  static_assert(std::size(iwid_) == 432);
  for (int c = 1; c <= 432; ++c) EXPECT_EQ(iwid_[c - 1], static_cast<float>(kWidths[c - 1])) << "code " << c;
}

TEST(FontTables, SimplexAIsTheDocumentedFourWords) {
  EXPECT_EQ(ialph_.glyph_start[0], 1);
  const std::vector<std::int32_t> words(ialph_.glyph_words, ialph_.glyph_words + 4);
  EXPECT_EQ(words, (std::vector<std::int32_t>{443556555, 443557579, 432612882, 0}));
  EXPECT_EQ(decode_glyph(1).points,
            (std::vector<StrokePoint>{{3, 19, 32}, {2, 11, 11}, {3, 19, 32}, {2, 27, 11}, {3, 14, 18}, {2, 24, 18}}));
}

TEST(FontTables, EveryGlyphIsWellFormedAndInsideTheGrid) {
  for (int c = 1; c <= 432; ++c) {
    SCOPED_TRACE("code " + std::to_string(c));
    const int start = ialph_.glyph_start[c - 1];
    ASSERT_GE(start, 1);
    ASSERT_LE(start, 4711);
    const auto d = decode_glyph(c);
    ASSERT_FALSE(d.points.empty());
    EXPECT_EQ(d.points.front().pen, 3) << "a glyph begins with a move";
    for (const auto& p : d.points) {
      EXPECT_TRUE(p.pen == 2 || p.pen == 3) << "pen " << p.pen;
      EXPECT_TRUE(p.x >= 8 && p.x <= 42 && p.y >= 4 && p.y <= 36) << p.x << "," << p.y;
    }
    EXPECT_EQ(d.end_x, 0);
    EXPECT_EQ(d.end_y, 0);
    // An even number of points fills the last word: a whole zero word follows.
    EXPECT_EQ(d.end_in_first_half, d.points.size() % 2 == 0);
    if (d.end_in_first_half) {
      EXPECT_EQ(ialph_.glyph_words[d.end_word - 1], 0);
    }
  }
}

TEST(FontTables, GlyphsShareNoWordsAndTheRestIsZero) {
  std::vector<int> owner(4711, 0);
  for (int c = 1; c <= 432; ++c) {
    const auto d = decode_glyph(c);
    for (std::size_t w = static_cast<std::size_t>(ialph_.glyph_start[c - 1] - 1); w < d.end_word; ++w) {
      EXPECT_EQ(owner[w], 0) << "word " << w + 1 << " of codes " << owner[w] << " and " << c;
      owner[w] = c;
    }
  }
  for (std::size_t w = 0; w < owner.size(); ++w) {
    EXPECT_GE(ialph_.glyph_words[w], 0);
    if (owner[w] == 0) {
      EXPECT_EQ(ialph_.glyph_words[w], 0) << "word " << w + 1;
    }
  }
}

// Capitals and digits stand on the baseline y = 11 and are one height (21
// units) tall; small letters have their x-height and descenders where the
// styles put them. A glyph shifted or turned over breaks these.
TEST(FontTables, GlyphsSitOnTheBaselineOfEveryLatinStyle) {
  for (const int font_offset : {0, 120, 240, 312}) {
    SCOPED_TRACE("font offset " + std::to_string(font_offset));
    for (int k = 1; k <= 26; ++k) {
      const int capital = font_offset + k;
      EXPECT_EQ(max_y(capital), 32) << "capital " << char('A' + k - 1);
      if (k == 'Q' - 'A' + 1) {
        EXPECT_LT(min_y(capital), 11);  // the tail of Q reaches below
      } else {
        EXPECT_EQ(min_y(capital), 11) << "capital " << char('A' + k - 1);
      }
    }
    for (int k = 53; k <= 62; ++k) {
      EXPECT_EQ(min_y(font_offset + k), 11) << "digit " << k - 53;
      EXPECT_EQ(max_y(font_offset + k), 32) << "digit " << k - 53;
    }
    for (const char small : std::string("acemnorsuvwxz")) {
      EXPECT_EQ(max_y(font_offset + 27 + small - 'a'), 25) << small;
      EXPECT_EQ(min_y(font_offset + 27 + small - 'a'), 11) << small;
    }
    for (const char descender : std::string("gpqy")) {
      EXPECT_EQ(min_y(font_offset + 27 + descender - 'a'), 4) << descender;
    }
    EXPECT_EQ(max_y(font_offset + 27 + 'b' - 'a'), 32);
  }
}

TEST(FontTables, CentredSymbolsAreTheDocumentedPointsAtTheDocumentedStarts) {
  const std::vector<int> starts = {1, 5, 11, 14, 17, 20, 24, 27, 30, 35, 38, 45, 50, 53, 55, 60, 63, 70, 81, 98,
                                   113, 123, 0, 0, 0};
  EXPECT_EQ(std::vector<int>(ialph_.centred_start, ialph_.centred_start + 25), starts);
  for (int k = 0; k < 22; ++k) {
    SCOPED_TRACE("centred symbol " + std::to_string(k));
    const auto d = decode(ialph_.centred_words, std::size(ialph_.centred_words),
                          static_cast<std::size_t>(ialph_.centred_start[k] - 1));
    EXPECT_EQ(d.points, parse_centred(kCentred[k]));
    // Each symbol ends before the next one begins.
    const std::size_t next = k < 21 ? static_cast<std::size_t>(starts[static_cast<std::size_t>(k) + 1] - 1) : 128;
    EXPECT_LE(d.end_word, next);
  }
  const auto bar = decode(ialph_.centred_words, 128, 52);
  EXPECT_EQ(bar.points, (std::vector<StrokePoint>{{3, 32, 22}, {2, 32, 42}}));
}

TEST(GlyphSheet, SheetOfAllGlyphsRendersInGhostscript) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  // Tests run in <build>/tests/work when the environment does not name the build.
  const char* binary_dir = std::getenv("PLUME_BINARY_DIR");
  const auto program = std::filesystem::path(binary_dir != nullptr ? binary_dir : "../..") / "examples" / "example_glyph_sheet";
  if (!std::filesystem::exists(program)) GTEST_SKIP() << "examples are not built";
  const std::string path = plume::testing::temp_path("glyph_sheet.eps");
  ASSERT_EQ(std::system((program.string() + " " + path).c_str()), 0);
  std::string output;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &output)) << output;
  const auto lines = plume::testing::split_lines(plume::testing::read_file(path));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("%%BoundingBox:", 0), 0u);
  // Every glyph is drawn: far more pen motions than cells.
  const auto draws = std::count_if(lines.begin(), lines.end(),
                                   [](const std::string& l) { return l.size() > 3 && l.ends_with(" pL"); });
  EXPECT_GT(draws, 432 * 5);
}

}  // namespace
