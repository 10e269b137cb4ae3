// Pen motions: path operator lines, the move/stroke/flush rules, the
// bounding box, and the plot/origin/factor/where calls.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::body_lines;
using plume::testing::draw_document;
using plume::testing::split_lines;
using Lines = std::vector<std::string>;

namespace {

TEST(PenMotion, FirstPlotMotionsAndBoundingBox) {
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::plot(1.0f, 1.0f, 3);
        plume::plot(2.0f, 1.0f, 2);
        EXPECT_EQ(m00000_.bbox_xmin, 28);
        EXPECT_EQ(m00000_.bbox_ymin, 28);
        EXPECT_EQ(m00000_.bbox_xmax, 56);
        EXPECT_EQ(m00000_.bbox_ymax, 28);
        plume::plot(2.0f, 2.0f, 2);
      },
      1, 0, &path);
  EXPECT_EQ(body_lines(doc),
            (Lines{"     28.346     28.346 pQ", "     56.693     28.346 pL", "     56.693     56.693 pL"}));
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:   28   28   56   56");
  PLUME_REQUIRE_GHOSTSCRIPT();
  EXPECT_TRUE(plume::testing::renders_cleanly(path));
}

TEST(PenMotion, ConsecutiveMovesAlternateBetweenQAndM) {
  const auto doc = draw_document([] {
    plume::plot(0, 0, 3);
    plume::plot(1, 0, 2);
    plume::plot(0, 1, 3);
    plume::plot(1, 1, 3);
    plume::plot(2, 1, 3);
    EXPECT_EQ(m00000_.move_pending, 1);
  });
  const auto body = body_lines(doc);
  ASSERT_EQ(body.size(), 5u);
  EXPECT_EQ(body[0].substr(22), " pQ");
  EXPECT_EQ(body[1].substr(22), " pL");
  EXPECT_EQ(body[2].substr(22), " pQ");
  EXPECT_EQ(body[3].substr(22), " pM");
  EXPECT_EQ(body[4].substr(22), " pQ");
}

TEST(PenMotion, OtherCodesMoveTheStoredPenSilently) {
  const auto doc = draw_document([] {
    plume::plot(1, 1, 3);
    plume::plot(5, 5, 1);
    EXPECT_EQ(m00000_.move_pending, 0);
    EXPECT_EQ(a00000_.pen_x, 5.0f);
    plume::plot(0, 0, 3);  // pending was cleared: pQ again
    plume::plot(0, 0, 0);
    plume::plot(6, 6, 2);  // the segment starts at the silent (0, 0)... of code 0
  });
  const auto body = body_lines(doc);
  EXPECT_EQ(body, (Lines{"     28.346     28.346 pQ", "      0.000      0.000 pQ", "    170.079    170.079 pL"}));
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:    0    0  170  170");
}

TEST(PenMotion, ThousandAndFirstMotionFlushesThePath) {
  const auto doc = draw_document([] {
    for (int i = 0; i < 1001; ++i) plume::plot(static_cast<float>(i % 10), 1.0f, i == 0 ? 3 : 2);
    plume::plot(3.0f, 3.0f, 2);
  });
  const auto body = body_lines(doc);
  ASSERT_EQ(body.size(), 1003u);
  EXPECT_EQ(body[1000].substr(0, 22), body[1001].substr(0, 22));
  EXPECT_EQ(body[1000].substr(22), " pL");
  EXPECT_EQ(body[1001].substr(22), " pM");
  EXPECT_EQ(body[1002].substr(22), " pL");
}

TEST(PenMotion, MotionCounterIsResetByASecondMoveAndCountsAcrossPlots) {
  draw_document([] {
    for (int i = 0; i < 600; ++i) plume::plot(1.0f, 1.0f, 2);
  });
  const auto doc = draw_document([] {
    for (int i = 0; i < 401; ++i) plume::plot(1.0f, 1.0f, 2);
  });
  EXPECT_EQ(body_lines(doc).back().substr(22), " pM");  // 1001st motion of the run
  const auto reset = draw_document([] {
    plume::plot(0, 0, 3);
    plume::plot(0, 0, 3);  // pM resets the count
    for (int i = 0; i < 1000; ++i) plume::plot(1.0f, 1.0f, 2);
  });
  EXPECT_EQ(body_lines(reset).back().substr(22), " pL");
}

TEST(PenMotion, SegmentIsClippedToTheWindowForTheBox) {
  plume::connect_unit(31, plume::testing::temp_path("clip.eps"));
  plume::hplots(1, 1, 31, 2);  // 20 points per unit
  plume::factor(0.05f);  // one unit = one point
  plume::plot(10.7f, 20.2f, 3);
  plume::plot(-3.5f, 900.9f, 2);
  EXPECT_EQ(m00000_.bbox_xmin, 0);
  EXPECT_EQ(m00000_.bbox_ymin, 20);
  EXPECT_EQ(m00000_.bbox_xmax, 10);
  EXPECT_EQ(m00000_.bbox_ymax, 797);
  plume::hplots(0, 0, 31, 0);
}

TEST(PenMotion, SegmentRightOfTheWindowStillGrowsTheBoxToItsEdge) {
  draw_document(
      [] {
        plume::plot(30.0f, 1.0f, 3);  // 20 points per unit: page x 600..700
        plume::plot(35.0f, 1.0f, 2);
        EXPECT_EQ(m00000_.bbox_xmin, 600);
        EXPECT_EQ(m00000_.bbox_xmax, 556);
      },
      1, 2);
}

TEST(PenMotion, SegmentAtNegativePageCoordinatesLeavesTheBoxUnset) {
  draw_document(
      [] {
        plume::plot(-2.0f, -2.0f, 3);
        plume::plot(-1.0f, -1.0f, 2);
        EXPECT_EQ(m00000_.bbox_xmax, 0);
        EXPECT_EQ(m00000_.bbox_ymax, 0);
        plume::plot(5.0f, 5.0f, 3);
        plume::plot(6.0f, 7.0f, 2);
        EXPECT_EQ(m00000_.bbox_xmin, 100);  // set afresh, not min(0, 100)
        EXPECT_EQ(m00000_.bbox_ymin, 100);
      },
      1, 2);
}

TEST(PenMotion, OperandsBeyondTheFieldAreClampedAndStaySeparate) {
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::plot(1.0e6f, -1.0e6f, 3);    // page 2e7, -2e7: beyond both fields
        plume::plot(-5.0e4f, -5.0e3f, 2);   // -1e6, -1e5: fill eleven places
        plume::plot(60000.0f, 60000.0f, 2);  // 1.2e6: the first field may fill its place
        plume::plot(1.0f, -2.0f, 2);
      },
      1, 2, &path);
  EXPECT_EQ(body_lines(doc), (Lines{"9999999.999 -99999.999 pQ", "-999999.999 -99999.999 pL",
                                    "1200000.000 999999.999 pL", "     20.000    -40.000 pL"}));
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::string gs;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &gs)) << gs;
}

TEST(PenMotion, NonFiniteMotionIsDroppedAndReported) {
  testing::internal::CaptureStderr();
  const auto doc = draw_document([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::plot(std::numeric_limits<float>::quiet_NaN(), 1.0f, 2);
    plume::plot(1.0f, std::numeric_limits<float>::infinity(), 3);
    EXPECT_EQ(a00000_.pen_x, 1.0f);
    EXPECT_EQ(m00000_.move_pending, 1);
    plume::plot(2.0f, 1.0f, 3);
  });
  const auto err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(body_lines(doc), (Lines{"     28.346     28.346 pQ", "     56.693     28.346 pM"}));
  EXPECT_NE(err.find("2 lines with a non-finite operand"), std::string::npos) << err;
}

TEST(PenMotion, NegativeCodeShiftsTheOriginFirst) {
  const auto doc = draw_document([] {
    plume::plot(2.0f, 3.0f, -3);
    const auto w = plume::where();
    EXPECT_EQ(w.x, 0.0f);
    EXPECT_EQ(w.y, 0.0f);
    EXPECT_FLOAT_EQ(p00001_.origin_x, 56.692914f);
    plume::plot(1.0f, 1.0f, 3);
    plume::plot(2.0f, 0.0f, -2);
  });
  EXPECT_EQ(body_lines(doc),
            (Lines{"     56.693     85.039 pQ", "     85.039    113.386 pM", "    113.386     85.039 pL"}));
}

TEST(PenMotion, CodeMinus999ShiftsButDoesNotClose) {
  const auto doc = draw_document([] {
    plume::plot(1.0f, 0.0f, -999);
    plume::plot(1.0f, 1.0f, 3);
  });
  EXPECT_EQ(body_lines(doc), (Lines{"     56.693     28.346 pQ"}));
}

TEST(PenMotion, Code999ClosesThePlot) {
  const auto path = plume::testing::temp_path("close999.eps");
  plume::connect_unit(32, path);
  plume::hplots(1, 1, 32, 0);
  plume::plot(0.0f, 0.0f, 999);
  const auto lines = split_lines(plume::testing::read_file(path));
  ASSERT_EQ(lines.size(), 43u);
  EXPECT_EQ(lines[41], "showpage");
}

TEST(Origin, SetShiftAndReport) {
  draw_document([] {
    plume::origin(3.0f, 4.0f, 0);
    auto p = plume::origin(0.0f, 0.0f, -1);
    EXPECT_FLOAT_EQ(p.x, 3.0f);
    EXPECT_FLOAT_EQ(p.y, 4.0f);
    plume::origin(1.0f, 1.0f, 1);
    float x = 0, y = 0;
    const int report = -1;
    origin_(&x, &y, &report);
    EXPECT_FLOAT_EQ(x, 4.0f);
    EXPECT_FLOAT_EQ(y, 5.0f);
    plume::factor(2.0f);  // the origin stays in points: reported in the new units
    p = plume::origin(0.0f, 0.0f, -1);
    EXPECT_FLOAT_EQ(p.x, 2.0f);
  });
}

TEST(Origin, ReportWithoutAScaleIsZeroNotNaN) {
  const auto p = plume::origin(7.0f, 7.0f, -1);
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 0.0f);
}

TEST(Factor, IsRelativeToTheScaleOfItsFirstCall) {
  draw_document([] {
    const float base = a00000_.units_scale;
    EXPECT_EQ(plume::factor(0.0f), 1.0f);
    EXPECT_EQ(plume::factor(-1.0f), 1.0f);
    plume::factor(2.0f);
    plume::factor(2.0f);
    EXPECT_EQ(a00000_.units_scale, 2.0f * base);
    float f = 0.0f;
    factor_(&f);
    EXPECT_EQ(f, 2.0f);
    plume::factor(1.0f);
    EXPECT_EQ(a00000_.units_scale, base);
  });
}

TEST(Factor, KeepsBaseAndLastFactorAcrossPlots) {
  draw_document([] { plume::factor(3.0f); }, 1, 0);
  draw_document(
      [] {
        EXPECT_EQ(a00000_.units_scale, 20.0f);  // new plot draws at its own scale
        EXPECT_EQ(plume::where().factor, 3.0f);
        plume::factor(1.0f);
        EXPECT_FLOAT_EQ(a00000_.units_scale, 28.346457f);  // base of the first call
      },
      1, 2);
}

TEST(Factor, FirstCalledBeforeAnyPlotCapturesZero) {
  EXPECT_EQ(plume::where().factor, 1.0f);
  EXPECT_EQ(plume::where().x, 0.0f);
  draw_document([] {
    plume::factor(2.0f);
    EXPECT_EQ(a00000_.units_scale, 0.0f);
  });
}

TEST(Where, FortranFaceWritesAllThree) {
  draw_document([] {
    plume::plot(1.5f, 2.5f, 3);
    float x = 0, y = 0, f = 0;
    where_(&x, &y, &f);
    EXPECT_EQ(x, 1.5f);
    EXPECT_EQ(y, 2.5f);
    EXPECT_EQ(f, 1.0f);
  });
}

TEST(PenMotion, HugeCoordinatesSaturateInTheBox) {
  draw_document(
      [] {
        plume::plot(-1.0e37f, 1.0f, 3);
        plume::plot(1.0e37f, 1.0f, 2);
        EXPECT_EQ(m00000_.bbox_xmin, 0);
        EXPECT_EQ(m00000_.bbox_xmax, 556);
      },
      1, 2);
}

}  // namespace
