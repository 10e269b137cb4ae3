// The EPS document: head, initial pen and colour, trailer, output units.
#include <gtest/gtest.h>

#include <cstring>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::body_lines;
using plume::testing::draw_document;
using plume::testing::split_lines;

namespace {

std::vector<std::string> empty_first_portrait_plot() {
  auto lines = plume::testing::first_portrait_head();
  lines.insert(lines.end(), {"stroke", "showpage", "%%BoundingBox:    0    0    0    0"});
  return lines;
}

TEST(Document, FirstEmptyPortraitPlotIsTheDocumentedFortyThreeLines) {
  std::string path;
  const auto doc = draw_document([] {}, 1, 0, &path);
  EXPECT_EQ(split_lines(doc), empty_first_portrait_plot());
  EXPECT_EQ(split_lines(doc).size(), 43u);
  EXPECT_EQ(doc.back(), '\n');
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::string gs_output;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &gs_output)) << gs_output;
}

TEST(Document, LandscapeHeadHasTheRotationAndThirtySixLines) {
  for (int orientation : {0, 2}) {
    const auto lines = split_lines(draw_document([] {}, orientation, 0));
    ASSERT_EQ(lines.size(), 36u + 5u + 3u);
    EXPECT_EQ(lines[33], "590 5 translate ");
    EXPECT_EQ(lines[34], "90 rotate ");
    EXPECT_EQ(lines[35], "gsave");
    EXPECT_EQ(m00001_.clip_xmax, 797.0f);
    EXPECT_EQ(m00001_.clip_ymax, 556.0f);
  }
}

TEST(Document, UnitSystemsSetTheDocumentedScales) {
  const std::pair<int, std::uint32_t> expected[] = {{0, 0x41E2C58Bu}, {1, 0x41A05A0Eu}, {2, 0x41A00000u}};
  for (auto [units, bits] : expected) {
    draw_document([] {}, 1, units);
    std::uint32_t actual = 0;
    std::memcpy(&actual, &a00000_.units_scale, sizeof actual);
    EXPECT_EQ(actual, bits) << "unit system " << units;
  }
}

TEST(Document, UnitSystemOneReducesTheInitialWidth) {
  const auto lines = split_lines(draw_document([] {}, 1, 1));
  EXPECT_EQ(lines[36], "  0.20 setlinewidth");
  EXPECT_FLOAT_EQ(w00001_.line_width, 0.3f * 0.667f);
}

TEST(Document, UnknownUnitSystemFirstInTheRunLeavesScaleZero) {
  const auto doc = draw_document([] { plume::plot(3.0f, 4.0f, 3); }, 1, 5);
  EXPECT_EQ(a00000_.units_scale, 0.0f);
  EXPECT_EQ(body_lines(doc), std::vector<std::string>{"      0.000      0.000 pQ"});
}

TEST(Document, UnknownUnitSystemKeepsTheEarlierPlotsScaleAndFactor) {
  draw_document([] { plume::factor(2.0f); }, 1, 0);
  draw_document([] {}, 1, 7);
  EXPECT_FLOAT_EQ(a00000_.units_scale, 2.0f * 28.346457f);
}

TEST(Document, SecondPlotStartsAtThePenPositionOfTheFirst) {
  draw_document([] { plume::plot(3.0f, 4.0f, 3); }, 1, 0);
  const auto lines = split_lines(draw_document([] {}, 1, 2));
  EXPECT_EQ(lines[37], "     60.000     80.000 pM");
}

TEST(Document, BoundingBoxOrderFollowsOrientation) {
  auto draw = [] {  // unit system 2: 20 points per unit, exact
    plume::plot(0.5f, 1.0f, 3);
    plume::plot(10.0f, 5.0f, 2);
  };
  EXPECT_EQ(split_lines(draw_document(draw, 1, 2)).back(), "%%BoundingBox:   10   20  200  100");
  EXPECT_EQ(split_lines(draw_document(draw, 0, 2)).back(), "%%BoundingBox:   20   10  100  200");
}

TEST(Document, MinimaFromAnEarlierPlotStayUntilTheFirstSegment) {
  draw_document([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::plot(2.0f, 2.0f, 2);
  });
  EXPECT_EQ(split_lines(draw_document([] {})).back(), "%%BoundingBox:   28   28    0    0");
}

TEST(Document, SecondPlotOnTheSameDefaultUnitReplacesTheFile) {
  const int unit = 77;
  const auto open = [&] { plume::hplots(1, 1, unit, 0); };
  open();
  plume::plot(1.0f, 1.0f, 3);
  plume::plot(2.0f, 2.0f, 2);
  plume::hplots(0, 0, unit, 0);
  const auto first = plume::testing::read_file("fort.77");
  open();
  plume::hplots(0, 0, unit, 0);
  const auto second = plume::testing::read_file("fort.77");
  EXPECT_GT(first.size(), second.size());
  EXPECT_EQ(split_lines(second).size(), 43u);
}

TEST(Document, WriteFailureIsReportedOnceAndCounted) {
  ASSERT_TRUE(plume::connect_unit(40, "/dev/full"));
  testing::internal::CaptureStderr();
  plume::hplots(1, 1, 40, 0);
  for (int i = 0; i < 100000; ++i) plume::plot(1.0f, static_cast<float>(i % 7), 2);
  plume::hplots(0, 0, 40, 0);
  const auto err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(plume::write_failures(), 1);
  EXPECT_NE(err.find("cannot write unit 40 (/dev/full)"), std::string::npos) << err;
  EXPECT_EQ(err.find("cannot write", err.find("cannot write") + 1), std::string::npos) << err;
}

TEST(Document, UnwritablePathIsReported) {
  ASSERT_TRUE(plume::connect_unit(41, "/nonexistent-dir/x.eps"));
  testing::internal::CaptureStderr();
  plume::hplots(1, 1, 41, 0);
  plume::hplots(0, 0, 41, 0);
  const auto err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(plume::write_failures(), 1);
  EXPECT_NE(err.find("/nonexistent-dir/x.eps"), std::string::npos) << err;
}

TEST(Document, StandardUnitsCannotBeReconnected) {
  EXPECT_FALSE(plume::connect_unit(0, "x"));
  EXPECT_FALSE(plume::connect_unit(5, "x"));
  EXPECT_FALSE(plume::connect_unit(6, "x"));
  EXPECT_EQ(plume_connect_unit(6, "x"), -1);
}

}  // namespace
