// Pen motions: path operator lines, the move/stroke/flush rules, the
// bounding box, and the plot/origin/factor/where calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"
#include "support/random.hpp"

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
  const int clamped_before = plume::clamped_lines();
  testing::internal::CaptureStderr();
  const auto doc = draw_document(
      [] {
        plume::plot(1.0e6f, -1.0e6f, 3);    // page 2e7, -2e7: beyond both fields
        plume::plot(-5.0e4f, -5.0e3f, 2);   // -1e6, -1e5: fill eleven places
        plume::plot(60000.0f, 60000.0f, 2);  // 1.2e6: the first field may fill its place
        plume::plot(1.0f, -2.0f, 2);
      },
      1, 2, &path);
  const auto err = testing::internal::GetCapturedStderr();
  // A y that fills its field keeps one blank before it and its full value;
  // only values beyond the field are clamped, and those lines are counted.
  EXPECT_EQ(body_lines(doc), (Lines{"9999999.999 -999999.999 pQ", "-999999.999 -100000.000 pL",
                                    "1200000.000 1200000.000 pL", "     20.000    -40.000 pL"}));
  EXPECT_EQ(plume::clamped_lines() - clamped_before, 2);
  EXPECT_NE(err.find("2 lines with an operand beyond its field written clamped to unit"), std::string::npos) << err;
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

// A draw that arrives while the path has no current point (after every
// line that strokes, fills or starts a new path) starts with a move to the
// stored pen position, so no document stops at "/nocurrentpoint".
TEST(PenMotion, DrawOntoAPathWithoutCurrentPointStartsAtThePen) {
  struct Case {
    const char* name;
    std::function<void()> empties;
  };
  const std::vector<Case> cases = {
      {"color", [] { plume::color(4); }},
      {"rgbcolor", [] { plume::rgbcolor(0.1f, 0.2f, 0.3f); }},
      {"rectangle", [] { plume::rectangle(3.0f, 3.0f, 1.0f, 1.0f); }},
      {"xrectangle", [] { plume::xrectangle(3.0f, 3.0f, 1.0f, 1.0f, 1); }},
      {"xcircle", [] { plume::xcircle(3.0f, 3.0f, 1.0f, 0); }},
      {"filled xcircle", [] { plume::xcircle(3.0f, 3.0f, 1.0f, 1); }},
      {"filled xarc", [] { plume::xarc(3.0f, 3.0f, 1.0f, 0.0f, 90.0f, 1); }},
      {"fillup", [] { plume::fillup(); }},
      {"xfillup", [] { plume::xfillup(2, 3); }},
      {"viewport", [] { plume::viewport(0.0f, 0.0f, 10.0f, 10.0f); }},
  };
  for (const auto& c : cases) {
    std::string path;
    const auto body = body_lines(draw_document(
        [&] {
          plume::plot(1.0f, 1.0f, 3);
          plume::plot(2.0f, 1.0f, 2);
          c.empties();
          plume::plot(2.0f, 3.0f, 2);
          plume::plot(1.0f, 3.0f, 2);
        },
        1, 0, &path));
    ASSERT_GE(body.size(), 3u) << c.name;
    EXPECT_EQ(body[body.size() - 3], "     56.693     28.346 pQ") << c.name;
    EXPECT_EQ(body[body.size() - 2], "     56.693     85.039 pL") << c.name;
    EXPECT_EQ(body.back(), "     28.346     85.039 pL") << c.name;
    if (!plume::testing::ghostscript().empty()) {
      std::string gs;
      EXPECT_TRUE(plume::testing::renders_cleanly(path, &gs)) << c.name << ": " << gs;
    }
  }
  // Right after the open, and after a new page: from the stored pen.
  draw_document([] { plume::plot(2.0f, 1.0f, 3); });  // the pen stays there for the next plot
  const auto first = body_lines(draw_document([] {
    plume::plot(2.0f, 2.0f, 2);
    plume::newpage();
    plume::plot(3.0f, 2.0f, 2);
  }));
  EXPECT_EQ(first, (Lines{"     56.693     28.346 pQ", "     56.693     56.693 pL", "stroke", "showpage",
                          "5 5 translate ", "gsave", "  0.30 setlinewidth", "     56.693     56.693 pQ",
                          "     85.039     56.693 pL"}));
}

// Documents that rendered before keep every byte: a move after the emptying
// call, a pen or dash change (their " pM" gives the path its point), an arc
// (drawing goes on from its end) and PostScript text (from where "show" ends).
TEST(PenMotion, DrawsThatHadACurrentPointGainNoMove) {
  const auto body = body_lines(draw_document([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::color(4);
    plume::plot(1.0f, 1.0f, 3);
    plume::plot(2.0f, 1.0f, 2);
    plume::newpen(2);
    plume::plot(2.0f, 2.0f, 2);
    plume::dashln(1);
    plume::plot(1.0f, 2.0f, 2);
    plume::arc(1.0f, 1.0f, 1.0f, 90.0f, 180.0f);
    plume::plot(1.0f, 1.0f, 2);
    plume::xsymbol(1.0f, 1.0f, 0.5f, "ab", 0.0f, 2, 1);
    plume::plot(3.0f, 3.0f, 2);
  }));
  EXPECT_EQ(std::count_if(body.begin(), body.end(), [](const std::string& l) { return l.ends_with(" pQ"); }), 2);
  EXPECT_EQ(body.back(), "     85.039     85.039 pL");
}

// A move to a non-finite point is left out and loses the pen: the next
// finite draw starts a new piece at its own point instead of bridging from
// the point before, and the box takes no segment from the lost position.
TEST(PenMotion, DroppedMoveLosesThePen) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::plot(kNaN, 1.0f, 3);  // at the very start of the document
        plume::plot(3.0f, 3.0f, 2);
        plume::plot(4.0f, 3.0f, 2);
        EXPECT_EQ(m00000_.bbox_xmin, 85);
        EXPECT_EQ(m00000_.bbox_ymin, 85);
        plume::plot(1.0f, std::numeric_limits<float>::infinity(), 3);
        plume::pen(2, -1);  // the lost pen has no position line
        plume::plot(10.0f, 10.0f, 2);
        plume::plot(11.0f, 10.0f, 2);
      },
      1, 0, &path);
  const auto body = body_lines(doc);
  EXPECT_EQ(body, (Lines{"     85.039     85.039 pQ", "    113.386     85.039 pL", " stroke ", "  0.50 setlinewidth",
                         "    283.465    283.465 pQ", "    311.811    283.465 pL"}));
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:   85   85  311  283");
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::string gs;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &gs)) << gs;
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

// The box rule written out plainly: segment ends truncated (the start from
// the stored pen in double precision), each edge limited by the window when
// the window edge lies inside it, and a box with zero right and top edges
// taking the segment's lower edges afresh.
struct ReferenceBox {
  std::int32_t xmin, ymin, xmax, ymax;
};
std::int32_t truncated(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}
ReferenceBox box_after_segment(ReferenceBox box, float pen_x, float pen_y, float x, float y) {
  const double scale = a00000_.units_scale;
  const std::int32_t sx = truncated(scale * pen_x + p00001_.origin_x);
  const std::int32_t sy = truncated(scale * pen_y + p00001_.origin_y);
  const std::int32_t ex = truncated(a00000_.units_scale * x + p00001_.origin_x);
  const std::int32_t ey = truncated(a00000_.units_scale * y + p00001_.origin_y);
  std::int32_t lox = std::min(sx, ex), loy = std::min(sy, ey), hix = std::max(sx, ex), hiy = std::max(sy, ey);
  const auto& c = m00001_;
  if (c.clip_xmin > static_cast<float>(lox)) lox = truncated(c.clip_xmin);
  if (static_cast<float>(hix) > c.clip_xmax) hix = truncated(c.clip_xmax);
  if (c.clip_ymin > static_cast<float>(loy)) loy = truncated(c.clip_ymin);
  if (static_cast<float>(hiy) > c.clip_ymax) hiy = truncated(c.clip_ymax);
  const bool unset = box.xmax == 0 && box.ymax == 0;
  return {unset ? lox : std::min(box.xmin, lox), unset ? loy : std::min(box.ymin, loy), std::max(box.xmax, hix),
          std::max(box.ymax, hiy)};
}

// Windows of every kind, written into the record between draws as a program
// sharing the record may: near and fractional, negative, far beyond 2^23
// where single precision no longer holds every whole point, infinite and NaN.
TEST(PenMotion, BoxFollowsTheWindowRuleForEveryKindOfWindow) {
  plume::testing::XorShift random(0x2545f4914f6cdd1dull);
  const auto next = [&random] { return random.next(); };
  const float edges[] = {0.0f, 28.5f, -0.5f, -28.5f, 556.0f, 797.0f, 8388607.5f, 8388608.0f, 16777216.0f,
                         16777220.0f, -16777220.0f, 3.0e9f, -3.0e9f, std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
  const float spans[] = {1.0f, 600.0f, 1.0e5f, 1.6777e7f, 3.4e7f, 5.0e9f};
  const auto coordinate = [&] {
    const float span = spans[next() % 6];
    return (static_cast<float>(next() % 20001) / 10000.0f - 1.0f) * span;
  };
  draw_document(
      [&] {
        plume::factor(0.05f);  // 20 points per unit: one unit, one point
        ReferenceBox expected{m00000_.bbox_xmin, m00000_.bbox_ymin, m00000_.bbox_xmax, m00000_.bbox_ymax};
        for (int i = 0; i < 20000; ++i) {
          if (i % 7 == 0) {  // some draws share a window, most get a new one
            float* window = &m00001_.clip_xmin;
            for (int k = 0; k < 4; ++k)
              window[k] = next() % 3 == 0 ? edges[next() % 16] : coordinate() + 0.25f * static_cast<float>(next() % 4);
          }
          if (i % 50 == 0) {
            m00000_.bbox_xmax = m00000_.bbox_ymax = 0;  // start a box afresh now and then
            expected.xmax = expected.ymax = 0;
          }
          const float pen_x = a00000_.pen_x, pen_y = a00000_.pen_y;
          const float x = coordinate(), y = coordinate();
          expected = box_after_segment(expected, pen_x, pen_y, x, y);
          plume::plot(x, y, 2);
          ASSERT_EQ(m00000_.bbox_xmin, expected.xmin) << "draw " << i;
          ASSERT_EQ(m00000_.bbox_ymin, expected.ymin) << "draw " << i;
          ASSERT_EQ(m00000_.bbox_xmax, expected.xmax) << "draw " << i;
          ASSERT_EQ(m00000_.bbox_ymax, expected.ymax) << "draw " << i;
        }
      },
      1, 2);
}

}  // namespace
