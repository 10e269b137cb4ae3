// Data lines with markers, dashed data lines and dashed segments: the pen
// codes and points they hand to plot, read back from the document.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::body_lines;
using plume::testing::draw_document;

namespace {

constexpr float kScale = 72.0f / 2.54f;  // points per centimetre

struct Motion {
  float x;  // user units (origin at the page origin)
  float y;
  int code;  // 3 for a move (pQ or pM), 2 for a draw (pL)
};

// The pen motions of a document body; any other line is skipped.
std::vector<Motion> motions(const std::string& document) {
  std::vector<Motion> out;
  for (const auto& line : body_lines(document)) {
    float px = 0, py = 0;
    char op[3] = {};
    if (std::sscanf(line.c_str(), "%f %f %2s", &px, &py, op) != 3) continue;
    const std::string o = op;
    if (o != "pQ" && o != "pM" && o != "pL") continue;
    out.push_back({px / kScale, py / kScale, o == "pL" ? 2 : 3});
  }
  return out;
}

void expect_motions(const std::vector<Motion>& got, const std::vector<Motion>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "motion " << i);
    EXPECT_NEAR(got[i].x, want[i].x, 1e-3);
    EXPECT_NEAR(got[i].y, want[i].y, 1e-3);
    EXPECT_EQ(got[i].code, want[i].code);
  }
}

// x = 0, 1, 2, ... and y = 0, 1, 0, 1, ... stored with the scale pair
// (first 0, delta 1), so values are positions.
struct Series {
  std::vector<float> xs, ys;
  explicit Series(int count) {
    for (int i = 0; i < count; ++i) {
      xs.push_back(static_cast<float>(i));
      ys.push_back(static_cast<float>(i % 2));
    }
    for (auto* v : {&xs, &ys}) {
      v->push_back(0.0f);
      v->push_back(1.0f);
    }
  }
  int count() const { return static_cast<int>(xs.size()) - 2; }
};

TEST(Line, TypeZeroIsAPolylineWithoutMarkers) {
  // Scale pairs shift and stretch: X = (x - 1) / 0.5, Y = (y - 10) / 2.
  const std::vector<float> xs = {1.0f, 1.5f, 2.0f, 1.0f, 0.5f};
  const std::vector<float> ys = {10.0f, 14.0f, 12.0f, 10.0f, 2.0f};
  const auto doc = draw_document([&] { plume::line(xs, ys, 3, 1, 0, 5); });
  expect_motions(motions(doc), {{0, 0, 3}, {1, 2, 2}, {2, 1, 2}});
  EXPECT_EQ(body_lines(doc).size(), 3u);  // no marker strokes
}

TEST(Line, PositiveTypeMarksEveryNthPointOnThePolyline) {
  const Series s(5);
  const auto got = draw_document([&] { plume::line(s.xs, s.ys, 5, 1, 2, 3); });
  const auto want = draw_document([] {
    plume::symbol(0.0f, 0.0f, 0.2032f, 3, 0.0f, -1);
    plume::plot(1.0f, 1.0f, 2);
    plume::symbol(2.0f, 0.0f, 0.2032f, 3, 0.0f, -2);
    plume::plot(3.0f, 1.0f, 2);
    plume::symbol(4.0f, 0.0f, 0.2032f, 3, 0.0f, -2);
  });
  EXPECT_EQ(body_lines(got), body_lines(want));
  EXPECT_GT(body_lines(got).size(), 5u);
}

TEST(Line, NegativeTypeDrawsMarkersAloneAtEveryNthPoint) {
  const Series s(7);
  const auto got = draw_document([&] { plume::line(s.xs, s.ys, 7, 1, -3, 2); });
  const auto want = draw_document([] {
    for (float x : {0.0f, 3.0f, 6.0f}) plume::symbol(x, x == 3.0f ? 1.0f : 0.0f, 0.2032f, 2, 0.0f, -1);
  });
  EXPECT_EQ(body_lines(got), body_lines(want));
  // The marker strokes alone: nothing is drawn to points 2, 3, 5 or 6.
  for (const auto& m : motions(got)) EXPECT_TRUE(m.x < 0.2f || std::fabs(m.x - 3.0f) < 0.2f || m.x > 5.8f) << m.x;
}

TEST(Line, MarkerOutOfRangeIsMarkerZero) {
  const Series s(3);
  const auto zero = body_lines(draw_document([&] { plume::line(s.xs, s.ys, 3, 1, 1, 0); }));
  for (int marker : {20, 15, -1}) {
    EXPECT_EQ(body_lines(draw_document([&] { plume::line(s.xs, s.ys, 3, 1, 1, marker); })), zero) << marker;
  }
}

TEST(Line, StrideSkipsBetweenPointsAndFindsThePairBehindTheData) {
  // Stride 2: points at elements 0, 2, 4; pair at 6 and 8.
  const std::vector<float> xs = {0, 99, 2, 99, 4, 99, 0, 99, 2};
  const std::vector<float> ys = {0, 99, 3, 99, 6, 99, 0, 99, 3};
  expect_motions(motions(draw_document([&] { plume::line(xs, ys, 3, 2, 0, 0); })),
                 {{0, 0, 3}, {1, 1, 2}, {2, 2, 2}});
}

TEST(Line, CallsOutsideTheArraysDrawNothing) {
  const Series s(3);
  for (auto [count, stride] : {std::pair{0, 1}, {-2, 1}, {3, 0}, {3, -1}, {4, 1}, {2, 2}}) {
    const auto doc = draw_document([&] {
      plume::line(s.xs, s.ys, count, stride, 0, 0);
      plume::dashl(s.xs, s.ys, count, stride);
    });
    EXPECT_TRUE(body_lines(doc).empty()) << count << " at stride " << stride;
  }
}

TEST(Line, FortranFacesReadOnlyTheDataAndThePair) {
  // Heap blocks of exactly count * k + k + 1 values: a sanitizer catches
  // any read past them.
  const int count = 3, stride = 2, type = 0, marker = 0;
  auto xs = std::make_unique<float[]>(9);
  auto ys = std::make_unique<float[]>(9);
  for (int i = 0; i < 9; ++i) xs[i] = ys[i] = 0.0f;
  xs[2] = 1.0f, xs[4] = 2.0f, xs[8] = 1.0f;
  ys[2] = 2.0f, ys[4] = 4.0f, ys[8] = 2.0f;
  const auto doc = draw_document([&] {
    line_(xs.get(), ys.get(), &count, &stride, &type, &marker);
    dashl_(xs.get(), ys.get(), &count, &stride);
  });
  const auto m = motions(doc);
  ASSERT_GE(m.size(), 3u);
  expect_motions({m[0], m[1], m[2]}, {{0, 0, 3}, {1, 1, 2}, {2, 2, 2}});
}

TEST(Line, ZeroIncrementGivesNoDrawablePointsAndNoCrash) {
  std::vector<float> xs = {0.0f, 1.0f, 0.0f, 0.0f};  // delta_value 0
  std::vector<float> ys = {0.0f, 1.0f, 0.0f, 1.0f};
  std::string path;
  const auto doc = draw_document(
      [&] {
        plume::plot(1.0f, 1.0f, 3);
        plume::line(xs, ys, 2, 1, 1, 4);
        plume::dashl(xs, ys, 2, 1);
      },
      1, 0, &path);
  for (const auto& line : body_lines(doc)) {
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    EXPECT_EQ(line.find("inf"), std::string::npos) << line;
  }
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
}

TEST(Dashl, StartsFromTheEndNearerThePenAndDashesBetweenPoints) {
  const std::vector<float> xs = {0.0f, 1.0f, 2.0f, 0.0f, 1.0f};
  const std::vector<float> ys = {0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
  // Pen at (3, 0), nearer the last point: drawn from 2 back to 0, each unit
  // in trunc(1 / 0.254) = 3 pieces: drawn, skipped, drawn, then the move
  // that ends dashp and the move of dashl to the point.
  const auto backwards = draw_document([&] {
    plume::plot(3.0f, 0.0f, 3);
    plume::dashl(xs, ys, 3, 1);
  });
  const float third = 1.0f / 3.0f;
  expect_motions(motions(backwards), {{3, 0, 3},
                                      {2, 0, 3},
                                      {2 - third, 0, 2},
                                      {2 - 2 * third, 0, 3},
                                      {1, 0, 2},
                                      {1, 0, 3},
                                      {1, 0, 3},
                                      {1 - third, 0, 2},
                                      {1 - 2 * third, 0, 3},
                                      {0, 0, 2},
                                      {0, 0, 3},
                                      {0, 0, 3}});
  // Pen at (1, 5): both ends are 5 away (the larger of the two distances),
  // so it is drawn forwards.
  const auto forwards = motions(draw_document([&] {
    plume::plot(1.0f, 5.0f, 3);
    plume::dashl(xs, ys, 3, 1);
  }));
  ASSERT_GE(forwards.size(), 3u);
  EXPECT_NEAR(forwards[1].x, 0.0f, 1e-4);
  EXPECT_NEAR(forwards.back().x, 2.0f, 1e-4);
}

TEST(Dashl, SinglePointIsAMoveOnly) {
  const std::vector<float> xs = {4.0f, 0.0f, 2.0f};
  const std::vector<float> ys = {2.0f, 0.0f, 1.0f};
  expect_motions(motions(draw_document([&] { plume::dashl(xs, ys, 1, 1); })), {{2, 2, 3}});
}

TEST(Dashp, ThreePiecesEndWithAMove) {
  const auto doc = draw_document([] {
    plume::plot(0.0f, 0.0f, 3);
    plume::dashp(1.0f, 0.0f, 0.3f);
  });
  const float third = 1.0f / 3.0f;
  expect_motions(motions(doc), {{0, 0, 3}, {third, 0, 2}, {2 * third, 0, 3}, {1, 0, 2}, {1, 0, 3}});
}

TEST(Dashp, DashLongerThanHalfTheSegmentIsHalved) {
  const auto doc = draw_document([] {
    plume::plot(0.0f, 1.0f, 3);
    plume::dashp(0.0f, 2.0f, 0.6f);
  });
  expect_motions(motions(doc), {{0, 1, 3}, {0, 1.5f, 2}, {0, 2, 3}, {0, 2, 2}});
}

TEST(Dashp, ZeroDashIsSolidAndZeroDistanceDrawsNothing) {
  expect_motions(motions(draw_document([] {
                   plume::plot(0.0f, 0.0f, 3);
                   plume::dashp(2.0f, 1.0f, 0.0f);
                 })),
                 {{0, 0, 3}, {2, 1, 2}});
  expect_motions(motions(draw_document([] {
                   plume::plot(1.0f, 1.0f, 3);
                   plume::dashp(1.0f, 1.0f, 0.3f);
                 })),
                 {{1, 1, 3}});
}

TEST(Dashp, NonFiniteArgumentsEndPromptly) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::string path;
  const auto doc = draw_document(
      [&] {
        plume::plot(0.0f, 0.0f, 3);
        plume::dashp(inf, 0.0f, 0.3f);   // cannot be cut into pieces: dropped
        plume::dashp(nan, 1.0f, 0.3f);
        plume::dashp(1.0f, 1.0f, nan);   // no dash length: solid
      },
      1, 0, &path);
  expect_motions(motions(doc), {{0, 0, 3}, {1, 1, 2}});
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
}

}  // namespace
