// Text justification: the four baseline distances, the code list left for
// symbol, and agreement with where symbol actually ends a text.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

namespace {

using Result = std::array<float, 4>;

Result justfy(float h, std::string_view text) { return plume::justfy(h, text, static_cast<int>(text.size())); }

void expect_result(const Result& r, float e1, float e2, float e3, float e4) {
  EXPECT_NEAR(r[0], e1, 1e-6f);
  EXPECT_NEAR(r[1], e2, 1e-6f);
  EXPECT_NEAR(r[2], e3, 1e-6f);
  EXPECT_NEAR(r[3], e4, 1e-6f);
}

TEST(Justfy, PlainTextLeadingAndTrailingBlanks) {
  expect_result(justfy(0.21f, "AB"), 0.0f, 0.195f, 0.39f, 0.39f);
  expect_result(justfy(0.21f, " AB  "), 0.2f, 0.395f, 0.59f, 0.99f);
  EXPECT_EQ(offset_.codes_ready, 1);
}

TEST(Justfy, ControlSequencesCountAsBlanksInTheLastEntry) {
  // x, then the superscript "2" at 0.75 of the size; eight characters, four codes.
  const auto r = justfy(0.42f, "x\\sup{2}");
  const float end = 17.0f * 0.02f + 20.0f * 0.015f;
  expect_result(r, 0.0f, end / 2.0f, end, end + 4.0f * 20.0f * 0.02f);
}

TEST(Justfy, BlanksOnlyAndEmptyTexts) {
  const float s = 0.01f;
  expect_result(justfy(0.21f, "   "), 40.0f * s, 40.0f * s, 40.0f * s, 100.0f * s);
  // n = 0: the blanks-only rule with j = 0.
  expect_result(plume::justfy(0.21f, "AB", 0), -20.0f * s, -20.0f * s, -20.0f * s, -20.0f * s);
  // Extreme counts neither overflow nor read past the view.
  const auto r = plume::justfy(0.21f, "A", INT_MAX);
  EXPECT_NEAR(r[2], 0.18f, 1e-6f);
  EXPECT_GT(r[3], 1.0e6f);
  EXPECT_TRUE(std::isfinite(plume::justfy(0.21f, "", INT_MIN)[0]));
}

TEST(Justfy, BackspaceStepsBackByTheGlyphMeasuredLast) {
  expect_result(justfy(0.21f, "A\\bs\\B"), 0.0f, 0.105f, 0.21f, 0.21f + 3.0f * 0.2f);
  expect_result(justfy(0.21f, "A \\bs\\"), 0.0f, 0.1f, 0.2f, 0.2f + 3.0f * 0.2f);
}

TEST(Justfy, FontSwitchPersistsAndTheListIsReady) {
  const auto r = justfy(0.21f, "AB\\co\\C");
  EXPECT_EQ(offset_.font_offset, 120);
  EXPECT_EQ(offset_.codes_ready, 1);
  ASSERT_EQ(ajust_.code_count, 3);
  EXPECT_EQ(ajust_.codes[2], 123);
  EXPECT_NEAR(r[2], (18.0f + 21.0f + 21.0f) * 0.01f, 1e-6f);
}

// symbol ends where justfy says: a centred symbol 22 at (999, 999) moves to
// the continuation point, which must lie at the start plus entry 3.
TEST(Justfy, MeasuresWhatSymbolDraws) {
  const std::string texts[] = {
      "AB",          " AB",           "H\\sub{2}O",      "x\\sup{2}y",         "A\\bs\\B\\bs\\\\bs\\C",
      "\\co\\Wide m", "\\it\\\\alpha\\b", "\\1400\\\\1385\\", "a}b}}c",             "\\du\\\x7f\xfe" "q",
      std::string(30, '~') + "\\sup{" + std::string(25, '^') + std::string(40, '}') + "W",
  };
  std::string nested;
  for (int k = 0; k < 28; ++k) nested += "\\sub{";
  nested += "Q" + std::string(28, '}') + "R";
  for (const std::string& t : {texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], texts[7],
                               texts[8], texts[9], texts[10], nested}) {
    SCOPED_TRACE(t);
    offset_.font_offset = 0;
    const auto r = justfy(0.42f, t);
    float end_x = 0.0f;
    offset_.font_offset = 0;
    plume::testing::draw_document([&] {
      plume::symbol(1.0f, 2.0f, 0.42f, t, 0.0f, static_cast<int>(t.size()));
      plume::symbol(999.0f, 999.0f, 1.0f, 22, 0.0f, -1);
      end_x = a00000_.pen_x;
    });
    EXPECT_NEAR(end_x - 1.0f, r[2], 1e-5f);
    EXPECT_FLOAT_EQ(r[1], (r[0] + r[2]) / 2.0f);
  }
}

TEST(Justfy, FortranFaceReadsExactlyNCharacters) {
  const auto chars = std::make_unique<char[]>(5);
  std::memcpy(chars.get(), " AB  ", 5);
  float result[4] = {-1, -1, -1, -1};
  const float h = 0.21f;
  const std::int32_t n = 5;
  justfy_(result, &h, chars.get(), &n);
  expect_result({result[0], result[1], result[2], result[3]}, 0.2f, 0.395f, 0.59f, 0.99f);
  const std::int32_t zero = 0;
  justfy_(result, &h, nullptr, &zero);
  EXPECT_EQ(ajust_.code_count, 0);
}

TEST(Justfy, CodesWithoutGlyphMeasureAsBlanks) {
  offset_.font_offset = INT_MAX;  // no font switch writes this
  const auto r = justfy(0.21f, "AB");
  EXPECT_NEAR(r[2], 0.4f, 1e-6f);
  offset_.font_offset = 0;
  expect_result(justfy(0.21f, "\x7f\x80"), 0.2f, 0.3f, 0.4f, 0.4f);
}

}  // namespace
