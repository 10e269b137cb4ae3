// Line widths, tones, indexed and RGB colours.
#include <gtest/gtest.h>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::body_lines;
using plume::testing::draw_document;
using Lines = std::vector<std::string>;

namespace {

TEST(Pen, WidthLineAndPositionMove) {
  const auto doc = draw_document([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::pen(2, -1);
  });
  EXPECT_EQ(body_lines(doc),
            (Lines{"     28.346     28.346 pQ", " stroke ", "  0.50 setlinewidth", "     28.346     28.346 pM"}));
}

TEST(Pen, WidthTableInBothUnitFamilies) {
  const char* cm[] = {"  0.00", "  0.30", "  0.50", "  0.70", "  0.90", "  1.10"};
  const char* reduced[] = {"  0.00", "  0.20", "  0.33", "  0.47", "  0.60", "  0.73"};
  for (int units : {0, 2}) {
    const auto body = body_lines(draw_document([] {
      for (int n = 0; n <= 5; ++n) plume::pen(n, -1);
    }, 1, units));
    ASSERT_EQ(body.size(), 18u);
    for (int n = 0; n <= 5; ++n) {
      EXPECT_EQ(body[static_cast<std::size_t>(3 * n + 1)],
                std::string(units == 0 ? cm[n] : reduced[n]) + " setlinewidth")
          << "pen " << n << " unit system " << units;
    }
  }
}

TEST(Pen, NegativePenAndToneWriteOnlyThePosition) {
  EXPECT_EQ(body_lines(draw_document([] { plume::pen(-1, -1); })), (Lines{"      0.000      0.000 pM"}));
}

TEST(Pen, NewToneResendsTheColourBetweenWidthAndPosition) {
  const auto body = body_lines(draw_document([] {
    plume::color(4);
    plume::pen(1, 4);
    plume::pen(1, 4);  // same tone: no colour lines
  }));
  EXPECT_EQ(body, (Lines{" stroke ", " 1.00 0.00 0.00 setrgbcolor", " stroke ", "  0.30 setlinewidth", " stroke ",
                         " 0.25 0.00 0.00 setrgbcolor", "      0.000      0.000 pM", " stroke ",
                         "  0.30 setlinewidth", "      0.000      0.000 pM"}));
  EXPECT_EQ(l00001_.tone, 4);
}

TEST(Pen, NewpenResetsTheTone) {
  const auto body = body_lines(draw_document([] {
    plume::pen(-1, 3);
    plume::newpen(1);
  }));
  EXPECT_EQ(body.back(), "      0.000      0.000 pM");
  EXPECT_EQ(body[body.size() - 2], " 0.00 0.00 0.00 setrgbcolor");  // black at tone 0 again
  EXPECT_EQ(l00001_.tone, 0);
}

TEST(Color, OutOfRangeIndexBecomesBlackAndIsWrittenBack) {
  const auto body = body_lines(draw_document([] {
    int32_t k = 9;
    color_(&k);
    EXPECT_EQ(k, 0);
    EXPECT_EQ(plume::color(-3), 0);
  }));
  EXPECT_EQ(body, (Lines{" stroke ", " 0.00 0.00 0.00 setrgbcolor", " stroke ", " 0.00 0.00 0.00 setrgbcolor"}));
}

TEST(Color, TonesDimColoursAndLightenBlack) {
  const auto body = body_lines(draw_document([] {
    plume::pen(-1, 4);
    plume::color(0);
    plume::color(4);
    plume::pen(-1, 1);
    plume::color(7);
  }));
  EXPECT_EQ(body[4], " 0.75 0.75 0.75 setrgbcolor");
  EXPECT_EQ(body[6], " 0.25 0.00 0.00 setrgbcolor");
  EXPECT_EQ(body.back(), " 0.80 0.80 0.80 setrgbcolor");
  EXPECT_EQ(l00001_.color_index, 7);
}

TEST(Color, RgbIsWrittenUnchangedAndClampedOnlyAtTheField) {
  std::string path;
  const auto body = body_lines(draw_document(
      [] {
        plume::rgbcolor(0.5f, 0.25f, 1.0f);
        plume::rgbcolor(-20.0f, 150.0f, 0.005f);
        plume::rgbcolor(-0.5f, -0.25f, 12.0f);  // full fields keep a blank between them
      },
      1, 0, &path));
  EXPECT_EQ(body, (Lines{" stroke ", " 0.50 0.25 1.00 setrgbcolor", " stroke ", "-9.99 99.99 0.00 setrgbcolor",
                         " stroke ", "-0.50 -0.25 12.00 setrgbcolor"}));
  EXPECT_EQ(l00001_.color_index, 0);
  PLUME_REQUIRE_GHOSTSCRIPT();
  EXPECT_TRUE(plume::testing::renders_cleanly(path));
}

TEST(Color, RgbSurvivesAPenWithTheSameToneButNotANewOne) {
  const auto body = body_lines(draw_document([] {
    plume::rgbcolor(0.1f, 0.2f, 0.3f);
    plume::pen(1, 0);
    plume::pen(1, 2);
  }));
  EXPECT_EQ(std::count(body.begin(), body.end(), " 0.10 0.20 0.30 setrgbcolor"), 1);
  EXPECT_EQ(body[body.size() - 2], " 0.40 0.40 0.40 setrgbcolor");
}

TEST(Rtone, Table) {
  EXPECT_EQ(plume::rtone(-5), 1.0f);
  EXPECT_EQ(plume::rtone(0), 1.0f);
  EXPECT_EQ(plume::rtone(1), 0.8f);
  EXPECT_EQ(plume::rtone(4), 0.25f);
  EXPECT_EQ(plume::rtone(5), 0.15f);
  EXPECT_EQ(plume::rtone(100), 0.05f);
  const int32_t three = 3;
  EXPECT_EQ(rtone_(&three), 0.4f);
}

TEST(Pen, HugePenNumberClampsTheWidthField) {
  const auto body = body_lines(draw_document([] { plume::pen(1000, -1); }));
  EXPECT_EQ(body[1], " 99.99 setlinewidth");
}

}  // namespace
