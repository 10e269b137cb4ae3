// Stroke text drawing, checked on the pen motions written to a document:
// glyph placement, advances and the continuation point, levels, backspace,
// blanks, centred symbols, the single-character mode, code list reuse and
// every input that has no glyph or no table entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

namespace {

using plume::testing::body_lines;
using plume::testing::draw_document;

struct Motion {
  double x, y;  // page points
  int pen;      // 3 for a move (pQ or pM), 2 for a draw (pL)
};

struct Drawing {
  std::vector<Motion> motions;
  std::vector<std::string> body;
  float scale = 0.0f;  // points per user unit
};

Drawing draw(const std::function<void()>& f, std::string* path = nullptr) {
  Drawing d;
  const auto doc = draw_document(
      [&] {
        d.scale = a00000_.units_scale;
        f();
      },
      1, 0, path);
  d.body = body_lines(doc);
  for (const auto& line : d.body) {
    if (line.size() != 25) continue;
    const auto op = line.substr(22);
    if (op != " pQ" && op != " pM" && op != " pL") continue;
    d.motions.push_back({std::stod(line.substr(0, 11)), std::stod(line.substr(11, 11)), op == " pL" ? 2 : 3});
  }
  return d;
}

struct GlyphPoint {
  int pen, x, y;
};

// The strokes of a glyph or centred symbol, decoded from the tables.
std::vector<GlyphPoint> decode(const std::int32_t* words, int start) {
  std::vector<GlyphPoint> points;
  for (int p = start - 1;; ++p) {
    for (const int h : {(words[p] >> 15) & 0x7fff, words[p] & 0x7fff}) {
      if ((h >> 12) == 0) return points;
      points.push_back({h >> 12, (h >> 6) & 63, h & 63});
    }
  }
}
std::vector<GlyphPoint> glyph(int code) { return decode(ialph_.glyph_words, ialph_.glyph_start[code - 1]); }

constexpr double kTolerance = 0.0015;  // the documents print three decimals

void expect_at(const Drawing& d, std::size_t i, float ux, float uy, int pen) {
  ASSERT_LT(i, d.motions.size());
  EXPECT_NEAR(d.motions[i].x, d.scale * ux, kTolerance) << "motion " << i;
  EXPECT_NEAR(d.motions[i].y, d.scale * uy, kTolerance) << "motion " << i;
  EXPECT_EQ(d.motions[i].pen, pen) << "motion " << i;
}

// Checks the glyph's points at motions i.. for a glyph drawn at angle 0 from
// (x0, y0) with scale cs and vertical shift v; returns the index after it.
std::size_t expect_glyph(const Drawing& d, std::size_t i, int code, float x0, float y0, float cs, float v = 0.0f) {
  for (const auto& p : glyph(code)) {
    expect_at(d, i++, x0 + static_cast<float>(p.x - 10) * cs, y0 + (static_cast<float>(p.y - 11) * cs + v), p.pen);
  }
  return i;
}

// Centred symbol 22 has no strokes: its one move shows the continuation point.
void probe_continuation() { plume::symbol(999.0f, 999.0f, 1.0f, 22, 0.0f, -1); }

void expect_continuation(const Drawing& d, float ux, float uy) {
  ASSERT_FALSE(d.motions.empty());
  expect_at(d, d.motions.size() - 1, ux, uy, 3);
}

void text(float x, float y, float h, std::string_view s, float angle = 0.0f) {
  plume::symbol(x, y, h, s, angle, static_cast<int>(s.size()));
}

TEST(Symbol, TextAdvancesByTheWidthsAndSetsTheContinuationPoint) {
  const auto d = draw([] {
    text(1.0f, 2.0f, 0.21f, "AB");
    probe_continuation();
  });
  // The first point of "A" is a move to (1.09, 2.21).
  expect_at(d, 0, 1.09f, 2.21f, 3);
  std::size_t i = expect_glyph(d, 0, 1, 1.0f, 2.0f, 0.01f);
  i = expect_glyph(d, i, 2, 1.0f + 18.0f * 0.01f, 2.0f, 0.01f);
  EXPECT_EQ(i + 1, d.motions.size());
  expect_continuation(d, 1.0f + 18.0f * 0.01f + 21.0f * 0.01f, 2.0f);
}

TEST(Symbol, NineHundredNinetyNineContinuesEachCoordinateSeparately) {
  const auto d = draw([] {
    text(1.0f, 2.0f, 0.21f, "AB");
    text(999.0f, 999.0f, 0.21f, "C");
    text(5.0f, 1000.0f, 0.21f, "D");
  });
  const float after_ab = 1.0f + 18.0f * 0.01f + 21.0f * 0.01f;
  std::size_t i = glyph(1).size() + glyph(2).size();
  i = expect_glyph(d, i, 3, after_ab, 2.0f, 0.01f);
  expect_glyph(d, i, 4, 5.0f, 2.0f, 0.01f);
}

TEST(Symbol, AngleNinetyRunsTheBaselineUpThePage) {
  const auto d = draw([] {
    text(1.0f, 1.0f, 0.21f, "A", 90.0f);
    probe_continuation();
  });
  // Glyph x runs up, glyph y runs to the left.
  expect_at(d, 0, 1.0f - 0.21f, 1.09f, 3);
  expect_continuation(d, 1.0f, 1.0f + 0.18f);
}

TEST(Symbol, SuperscriptIsSmallerRaisedAndAdvancesAtItsSize) {
  const auto d = draw([] {
    text(1.0f, 1.0f, 0.42f, "x\\sup{2}");
    probe_continuation();
  });
  std::size_t i = expect_glyph(d, 0, 50, 1.0f, 1.0f, 0.02f);
  const float after_x = 1.0f + 17.0f * 0.02f;
  i = expect_glyph(d, i, 55, after_x, 1.0f, 0.02f * 0.75f, 0.21f);
  EXPECT_EQ(i + 1, d.motions.size());
  expect_continuation(d, after_x + 20.0f * 0.015f, 1.0f);
}

TEST(Symbol, SubscriptEndsAndTheBaselineNeverMoves) {
  const auto d = draw([] { text(1.0f, 1.0f, 0.21f, "H\\sub{2}O"); });
  std::size_t i = expect_glyph(d, 0, 8, 1.0f, 1.0f, 0.01f);
  const float after_h = 1.0f + 22.0f * 0.01f;
  i = expect_glyph(d, i, 55, after_h, 1.0f, 0.0075f, -0.105f);
  expect_glyph(d, i, 15, after_h + 20.0f * 0.0075f, 1.0f, 0.0075f / 0.75f);
}

TEST(Symbol, BackspaceStepsBackByTheLastGlyphEachTime) {
  const auto d = draw([] {
    text(1.0f, 1.0f, 0.21f, "A\\bs\\B");
    text(1.0f, 1.0f, 0.21f, "AB\\bs\\\\bs\\");
    probe_continuation();
  });
  const std::size_t i = expect_glyph(d, 0, 1, 1.0f, 1.0f, 0.01f);
  expect_glyph(d, i, 2, 1.0f, 1.0f, 0.01f);
  expect_continuation(d, 1.0f + 0.18f + 0.21f - 0.21f - 0.21f, 1.0f);
}

TEST(Symbol, BlankMovesThePenUpToTheNextPosition) {
  const auto d = draw([] { text(1.0f, 1.0f, 0.21f, "A B"); });
  std::size_t i = expect_glyph(d, 0, 1, 1.0f, 1.0f, 0.01f);
  const float after_blank = 1.0f + 0.18f + 0.2f;
  expect_at(d, i++, after_blank, 1.0f, 3);
  expect_glyph(d, i, 2, after_blank, 1.0f, 0.01f);
}

TEST(Symbol, EndWithoutOpenLevelIsIgnored) {
  const auto plain = draw([] { text(1.0f, 1.0f, 0.21f, "AB"); });
  const auto unmatched = draw([] { text(1.0f, 1.0f, 0.21f, "}A}}B}"); });
  EXPECT_EQ(unmatched.body, plain.body);
}

TEST(Symbol, LevelsDeeperThanTwentyAreIgnoredWithTheirEnds) {
  const auto nested = [](int depth) {
    std::string s;
    for (int k = 0; k < depth; ++k) s += "\\sup{";
    s += "A";
    s += std::string(static_cast<std::size_t>(depth), '}');
    s += "B";
    return s;
  };
  const auto twenty = draw([&] { text(1.0f, 1.0f, 2.1f, nested(20)); });
  const auto thirty = draw([&] { text(1.0f, 1.0f, 2.1f, nested(30)); });
  EXPECT_EQ(thirty.body, twenty.body);
  // Twenty levels apply: "A" at 0.75^20 of the size, raised by the sum of the
  // shifts; "B" back at full size on the baseline.
  float cs = 0.1f, v = 0.0f;
  for (int k = 0; k < 20; ++k) {
    const float shift = 0.5f * 2.1f * cs / 0.1f;
    cs = cs * 0.75f;
    v = v + shift;
  }
  const std::size_t i = expect_glyph(twenty, 0, 1, 1.0f, 1.0f, cs, v);
  const float after_a = 1.0f + 18.0f * cs;
  for (int k = 0; k < 20; ++k) cs = cs / 0.75f;
  expect_glyph(twenty, i, 2, after_a, 1.0f, cs);
}

TEST(Symbol, HeightZeroDrawsNothingAndKeepsTheContinuationPoint) {
  const auto d = draw([] {
    text(3.0f, 4.0f, 0.21f, "A");
    for (int n : {5, 0, -1, -2}) plume::symbol(9.0f, 9.0f, 0.0f, "ABCDE", 0.0f, n);
    probe_continuation();
  });
  ASSERT_EQ(d.motions.size(), glyph(1).size() + 1);
  expect_continuation(d, 3.18f, 4.0f);
}

TEST(Symbol, CrossIsTwoStrokesThroughTheCentreAndEndsThere) {
  const auto d = draw([] {
    plume::symbol(5.0f, 5.0f, 0.21f, 3, 0.0f, -1);
    probe_continuation();
  });
  ASSERT_EQ(d.motions.size(), 6u);
  expect_at(d, 0, 5.0f, 4.9f, 3);
  expect_at(d, 1, 5.0f, 5.1f, 2);
  expect_at(d, 2, 4.9f, 5.0f, 3);
  expect_at(d, 3, 5.1f, 5.0f, 2);
  expect_at(d, 4, 5.0f, 5.0f, 3);
  // 20 user units along the baseline, whatever the height.
  expect_continuation(d, 25.0f, 5.0f);
}

TEST(Symbol, SquareHasCornersAtATenthOfTheHeightAwayFromTheCentre) {
  const auto d = draw([] { plume::symbol(3.0f, 3.0f, 0.21f, 0, 0.0f, -1); });
  const float corners[][2] = {{3.0f, 3.1f}, {3.1f, 3.1f}, {3.1f, 2.9f}, {2.9f, 2.9f}, {2.9f, 3.1f}, {3.0f, 3.1f}};
  ASSERT_EQ(d.motions.size(), 7u);
  for (std::size_t k = 0; k < 6; ++k) expect_at(d, k, corners[k][0], corners[k][1], k == 0 ? 3 : 2);
  expect_at(d, 6, 3.0f, 3.0f, 3);
}

TEST(Symbol, LineToTheCentreFirstOnlyForNBelowMinusOne) {
  const auto line = draw([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::symbol(2.0f, 2.0f, 0.21f, 13, 0.0f, -2);
  });
  expect_at(line, 1, 2.0f, 2.0f, 2);
  expect_at(line, 2, 2.0f, 1.9f, 3);
  const auto move = draw([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::symbol(2.0f, 2.0f, 0.21f, 13, 0.0f, -1);
  });
  expect_at(move, 1, 2.0f, 1.9f, 3);
  expect_at(move, 2, 2.0f, 2.1f, 2);
}

TEST(Symbol, CentredSymbolOneIsATrueCircleAndKeepsTheContinuationPoint) {
  const auto d = draw([] {
    text(1.0f, 1.0f, 0.21f, "A");
    plume::symbol(4.0f, 4.0f, 0.21f, 1, 0.0f, -1);
    probe_continuation();
  });
  EXPECT_EQ(d.motions.size(), glyph(1).size() + 1);
  expect_continuation(d, 1.18f, 1.0f);
  const auto arc = std::find(d.body.begin(), d.body.end(), "stroke newpath");
  ASSERT_NE(arc, d.body.end());
  ASSERT_NE(arc + 1, d.body.end());
  EXPECT_EQ(*(arc + 1), "    113.386    113.386      2.976      0.000    360.000 arc");
}

TEST(Symbol, SymbolsWithoutStrokesOrTableEntryOnlyMoveToTheCentre) {
  for (const int k : {22, 23, 24, 25, 1000, -1, INT_MIN, INT_MAX}) {
    SCOPED_TRACE("symbol " + std::to_string(k));
    const auto d = draw([k] {
      plume::symbol(2.0f, 3.0f, 0.21f, k, 0.0f, -1);
      probe_continuation();
    });
    ASSERT_EQ(d.motions.size(), 2u);
    expect_at(d, 0, 2.0f, 3.0f, 3);
    expect_continuation(d, 22.0f, 3.0f);
  }
}

TEST(Symbol, CsymblReachesThePointWithItsPenCode) {
  const auto d = draw([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::csymbl(2.0f, 2.0f, 2, 0.21f, 13);
  });
  expect_at(d, 1, 2.0f, 2.0f, 2);
  expect_at(d, 2, 2.0f, 1.9f, 3);
  expect_at(d, 3, 2.0f, 2.1f, 2);
  expect_at(d, 4, 2.0f, 2.0f, 3);
}

TEST(Symbol, SingleCharacterIsSimplexAndLeavesThePenOnItsLastPoint) {
  const auto d = draw([] {
    text(1.0f, 1.0f, 0.21f, "\\co\\");
    plume::symbol(1.0f, 1.0f, 0.21f, "A\\du\\", 0.0f, 0);
    EXPECT_EQ(offset_.font_offset, 120);
    text(999.0f, 999.0f, 0.21f, "B");
  });
  const std::size_t i = expect_glyph(d, 0, 1, 1.0f, 1.0f, 0.01f);
  expect_glyph(d, i, 122, 1.18f, 1.0f, 0.01f);  // complex B continues after A
}

TEST(Symbol, SingleCharacterWithoutGlyphAdvancesAsABlank) {
  for (const char byte : {' ', '\\', '}', '_', '\x7f', '\x01', '\xe9'}) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(byte)));
    const auto d = draw([byte] {
      plume::symbol(1.0f, 1.0f, 0.21f, std::string_view(&byte, 1), 0.0f, 0);
      probe_continuation();
    });
    ASSERT_EQ(d.motions.size(), 2u);
    expect_at(d, 0, 1.2f, 1.0f, 3);
    expect_continuation(d, 1.2f, 1.0f);
  }
  // An empty view has no first byte: a blank as well.
  const auto empty = draw([] { plume::symbol(1.0f, 1.0f, 0.21f, std::string_view(), 0.0f, 0); });
  ASSERT_EQ(empty.motions.size(), 1u);
  expect_at(empty, 0, 1.2f, 1.0f, 3);
}

TEST(Symbol, CodesWithoutGlyphAreBlanksAndNeverIndexTheTables) {
  const auto d = draw([] {
    text(1.0f, 1.0f, 0.21f, "\\co\\\x7f\xff");
    probe_continuation();
  });
  ASSERT_EQ(d.motions.size(), 3u);
  expect_continuation(d, 1.4f, 1.0f);
  // A code list written by application code: out-of-range codes and count.
  const auto reused = draw([] {
    offset_.reuse_codes = 1;
    offset_.codes_ready = 1;
    ajust_.code_count = 5000;
    const std::int32_t bad[] = {0, -7, 433, 999, 1005, INT_MIN, INT_MAX};
    std::copy(std::begin(bad), std::end(bad), ajust_.codes);
    text(1.0f, 1.0f, 0.21f, "ignored");
    probe_continuation();
  });
  ASSERT_EQ(reused.motions.size(), 354u + 1u);  // the list's capacity, each a blank
  float x = 1.0f;
  for (int k = 0; k < 354; ++k) x = x + 20.0f * 0.01f;
  expect_continuation(reused, x, 1.0f);
  offset_.codes_ready = 1;
  ajust_.code_count = -3;
  const auto none = draw([] { text(1.0f, 1.0f, 0.21f, "ignored"); });
  EXPECT_TRUE(none.motions.empty());
}

TEST(Symbol, ReuseDrawsTheCodesJustfyMeasured) {
  const std::string text_ = "AB\\co\\C";
  const auto translated = draw([&] {
    plume::justfy(0.21f, text_, 7);
    text(1.0f, 1.0f, 0.21f, text_);  // starts in complex, as justfy left it
  });
  expect_glyph(translated, 0, 121, 1.0f, 1.0f, 0.01f);
  offset_.font_offset = 0;
  const auto reused = draw([&] {
    plume::justfy(0.21f, text_, 7);
    offset_.reuse_codes = 1;
    text(1.0f, 1.0f, 0.21f, "ZZZ");  // not read: the measured codes are drawn
    EXPECT_EQ(offset_.codes_ready, 2);
    text(1.0f, 5.0f, 0.21f, "Z");  // the list was used: translated again
  });
  std::size_t i = expect_glyph(reused, 0, 1, 1.0f, 1.0f, 0.01f);
  i = expect_glyph(reused, i, 2, 1.18f, 1.0f, 0.01f);
  i = expect_glyph(reused, i, 123, 1.39f, 1.0f, 0.01f);
  expect_glyph(reused, i, 146, 1.0f, 5.0f, 0.01f);
}

TEST(Symbol, LongTextDrawsAtMostTheListCapacity) {
  const auto d = draw([] {
    text(0.0f, 1.0f, 0.021f, std::string(500, 'I'));
    probe_continuation();
  });
  EXPECT_EQ(d.motions.size(), 354u * glyph(9).size() + 1u);
  EXPECT_NEAR(d.motions.back().x, d.scale * 354.0f * 8.0f * 0.001f, 0.01);
}

TEST(Symbol, TheViewBoundsTheTextAndTheFortranFaceTrustsTheCount) {
  const auto cpp = draw([] { plume::symbol(1.0f, 1.0f, 0.21f, "AB", 0.0f, 40); });
  // Exactly sized heap buffers: reading one byte more would be caught.
  const auto fortran = draw([] {
    const auto two = std::make_unique<char[]>(2);
    std::memcpy(two.get(), "AB", 2);
    const float x = 1.0f, y = 1.0f, h = 0.21f, angle = 0.0f;
    const std::int32_t n = 2;
    symbol_(&x, &y, &h, two.get(), &angle, &n);
  });
  EXPECT_EQ(fortran.body, cpp.body);
  const auto one_byte = draw([] {
    const auto one = std::make_unique<char[]>(1);
    one[0] = 'A';
    const float x = 1.0f, y = 1.0f, h = 0.21f, angle = 0.0f;
    const std::int32_t n = 0;
    symbol_(&x, &y, &h, one.get(), &angle, &n);
  });
  expect_glyph(one_byte, 0, 1, 1.0f, 1.0f, 0.01f);
  const auto marker = draw([] {
    const auto word = std::make_unique<std::int32_t>(3);
    const float x = 5.0f, y = 5.0f, h = 0.21f, angle = 0.0f;
    const std::int32_t n = -1;
    symbol_(&x, &y, &h, word.get(), &angle, &n);
  });
  EXPECT_EQ(marker.body, draw([] { plume::symbol(5.0f, 5.0f, 0.21f, 3, 0.0f, -1); }).body);
}

TEST(Symbol, IntegerAndTextFacesReadTheSameStorage) {
  std::int32_t word;
  std::memcpy(&word, "AB  ", 4);
  const auto as_int = draw([word] { plume::symbol(1.0f, 1.0f, 0.21f, word, 0.0f, 2); });
  EXPECT_EQ(as_int.body, draw([] { plume::symbol(1.0f, 1.0f, 0.21f, "AB", 0.0f, 2); }).body);
  const char three[4] = {3, 0, 0, 0};
  const auto as_text = draw([&] { plume::symbol(5.0f, 5.0f, 0.21f, std::string_view(three, 4), 0.0f, -1); });
  EXPECT_EQ(as_text.body, draw([] { plume::symbol(5.0f, 5.0f, 0.21f, 3, 0.0f, -1); }).body);
}

TEST(Symbol, MarkerRendersWhereItIsDrawn) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::string path;
  draw(
      [] {
        plume::pen(12, -1);
        plume::symbol(10.0f, 15.0f, 4.2f, 0, 0.0f, -1);  // a square of side 4 cm
      },
      &path);
  std::string output;
  ASSERT_TRUE(plume::testing::renders_cleanly(path, &output)) << output;
  plume::testing::Raster r;
  ASSERT_TRUE(plume::testing::rasterize(path, 72, r));
  const double cm = 72.0 / 2.54;
  const auto dark = [&](double x, double y) { return r.at_point(5 + x * cm, 5 + y * cm).r < 128; };
  EXPECT_TRUE(dark(12.0, 15.0));   // right edge
  EXPECT_TRUE(dark(10.0, 13.0));   // bottom edge
  EXPECT_FALSE(dark(10.0, 15.0));  // centre
  EXPECT_FALSE(dark(13.0, 15.0));  // outside
}

}  // namespace
