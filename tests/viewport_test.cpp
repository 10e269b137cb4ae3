// The clipping viewport and new pages: document lines and plot state.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::body_lines;
using plume::testing::draw_document;
using plume::testing::split_lines;
using Lines = std::vector<std::string>;

namespace {

constexpr float kCm = 28.346457f;

void expect_renders(const std::string& path) {
  if (plume::testing::ghostscript().empty()) return;
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
}

Lines viewport_lines(const char* lower_left, const char* lower_right, const char* upper_right,
                     const char* upper_left) {
  return {" stroke",
          " /viewpath { newpath",
          std::string(lower_left) + " pM",
          std::string(lower_right) + " pL",
          std::string(upper_right) + " pL",
          std::string(upper_left) + " pL",
          " closepath } def",
          " grestore",
          " gsave",
          " viewpath clip"};
}

TEST(Viewport, WritesTheClipPathAndSetsTheClipWindow) {
  std::string path;
  const auto doc = draw_document([] { plume::viewport(1.0f, 1.0f, 10.0f, 5.0f); }, 1, 0, &path);
  EXPECT_EQ(body_lines(doc), viewport_lines("     28.346     28.346", "    283.465     28.346",
                                            "    283.465    141.732", "     28.346    141.732"));
  EXPECT_EQ(m00001_.clip_xmin, kCm);
  EXPECT_EQ(m00001_.clip_ymin, kCm);
  EXPECT_EQ(m00001_.clip_xmax, kCm * 10.0f);
  EXPECT_EQ(m00001_.clip_ymax, kCm * 5.0f);
  expect_renders(path);
}

TEST(Viewport, CornersFollowTheOriginAndMayComeInAnyOrder) {
  const auto lines = body_lines(draw_document([] {
    plume::origin(1.0f, 2.0f, 0);
    plume::viewport(3.0f, 1.0f, -1.0f, -2.0f);
  }));
  EXPECT_EQ(lines, viewport_lines("    113.386     85.039", "      0.000     85.039", "      0.000      0.000",
                                  "    113.386      0.000"));
  EXPECT_EQ(m00001_.clip_xmin, kCm * 3.0f + kCm);
  EXPECT_EQ(m00001_.clip_ymax, 0.0f);
}

TEST(Viewport, LimitsTheBoundingBoxOfLaterSegments) {
  const auto doc = draw_document([] {
    plume::viewport(1.0f, 1.0f, 10.0f, 5.0f);
    plume::plot(0.0f, 3.0f, 3);
    plume::plot(400.0f / kCm, 3.0f, 2);  // page x 0 to 400
  });
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:   28   85  283   85");
}

TEST(Viewport, ASecondViewportReplacesTheFirstWindow) {
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::viewport(1.0f, 1.0f, 10.0f, 5.0f);
        plume::viewport(2.0f, 2.0f, 3.0f, 3.0f);
        plume::plot(0.0f, 0.0f, 3);
        plume::plot(20.0f, 20.0f, 2);
      },
      1, 0, &path);
  const auto lines = body_lines(doc);
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), " grestore"), 2);
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:   56   56   85   85");
  expect_renders(path);
}

TEST(Viewport, KeepsThePathFlagAndTheAttributesOfThePlotState) {
  const auto lines = body_lines(draw_document([] {
    plume::pen(3, 2);
    plume::color(4);
    plume::plot(1.0f, 1.0f, 3);
    plume::viewport(0.0f, 0.0f, 5.0f, 5.0f);
    plume::plot(2.0f, 2.0f, 3);  // still the second move in a row
    EXPECT_FLOAT_EQ(w00001_.line_width, 0.7f);
    EXPECT_EQ(l00001_.tone, 2);
    EXPECT_EQ(l00001_.color_index, 4);
  }));
  EXPECT_EQ(lines.back(), "     56.693     56.693 pM");
  // Nothing of the width or colour is written again after the clip.
  EXPECT_EQ(lines[lines.size() - 2], " viewpath clip");
}

TEST(Viewport, NonFiniteCornerIgnoresTheWholeCall) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  std::string path;
  testing::internal::CaptureStderr();
  const auto doc = draw_document(
      [] {
        plume::viewport(kNaN, 0.0f, 5.0f, 5.0f);
        plume::viewport(0.0f, 0.0f, 5.0f, std::numeric_limits<float>::infinity());
        plume::viewport(0.0f, 0.0f, 1e38f, 5.0f);  // infinite once scaled
        EXPECT_EQ(m00001_.clip_xmin, 0.0f);
        EXPECT_EQ(m00001_.clip_xmax, 556.0f);
        EXPECT_EQ(m00001_.clip_ymax, 797.0f);
        plume::plot(1.0f, 1.0f, 3);
        plume::plot(30.0f, 2.0f, 2);
      },
      1, 0, &path);
  const auto err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(body_lines(doc), (Lines{"     28.346     28.346 pQ", "    850.394     56.693 pL"}));
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:   28   28  556   56");
  EXPECT_NE(err.find("3 lines with a non-finite operand"), std::string::npos) << err;
  expect_renders(path);
}

TEST(NewPage, EndsThePageAndStartsAnotherWithTransformAndWidth) {
  const Lines portrait = {"stroke", "showpage", "5 5 translate ", "gsave", "  0.30 setlinewidth"};
  const Lines landscape = {"stroke", "showpage", "590 5 translate ", "90 rotate ", "gsave", "  0.30 setlinewidth"};
  for (int orientation : {1, 0}) {
    std::string path;
    const auto doc = draw_document([] { plume::newpage(); }, orientation, 0, &path);
    EXPECT_EQ(body_lines(doc), orientation == 1 ? portrait : landscape);
    expect_renders(path);
  }
}

TEST(NewPage, ResendsTheCurrentWidthButNotColourOrDash) {
  const auto lines = body_lines(draw_document([] {
    plume::pen(7, -1);  // 1.5 points
    plume::color(4);
    plume::dashln(3);
    plume::newpage();
    EXPECT_EQ(l00001_.color_index, 4);
  }));
  EXPECT_EQ(lines.back(), "  1.50 setlinewidth");
  EXPECT_EQ(lines[lines.size() - 2], "gsave");
}

TEST(NewPage, WidthBeyondTheFieldIsClampedNotStarred) {
  const auto lines = body_lines(draw_document([] {
    plume::pen(500, -1);  // 100.1 points
    plume::newpage();
  }));
  EXPECT_EQ(lines.back(), " 99.99 setlinewidth");
}

TEST(NewPage, ResetsTheOriginAndKeepsPenFlagClipWindowAndBox) {
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::viewport(1.0f, 1.0f, 5.0f, 5.0f);
        plume::plot(2.0f, 2.0f, 3);
        plume::plot(3.0f, 3.0f, 2);
        plume::origin(5.0f, 5.0f, 0);
        plume::plot(1.0f, 1.0f, 3);
        plume::newpage();
        const auto o = plume::origin(9.0f, 9.0f, -1);
        EXPECT_EQ(o.x, 0.0f);
        EXPECT_EQ(o.y, 0.0f);
        EXPECT_EQ(a00000_.pen_x, 1.0f);
        EXPECT_EQ(a00000_.pen_y, 1.0f);
        EXPECT_FLOAT_EQ(m00001_.clip_xmax, 5.0f * kCm);
        plume::plot(4.0f, 4.0f, 3);  // the second move in a row
        plume::plot(20.0f, 0.5f, 2);
      },
      1, 0, &path);
  const auto lines = body_lines(doc);
  EXPECT_EQ(lines[lines.size() - 2], "    113.386    113.386 pM");
  // One box over both pages, the second page's segment still clipped.
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:   56   28  141  113");
  expect_renders(path);
}

}  // namespace

TEST(FortranFace, ViewportAndNewpageWrappersForward) {
  const auto lines = body_lines(draw_document([] {
    const float x1 = 1.0f, y1 = 1.0f, x2 = 10.0f, y2 = 5.0f;
    viewport_(&x1, &y1, &x2, &y2);
    newpage_();
  }));
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[4], "    283.465    141.732 pL");
  EXPECT_EQ(lines[14], "  0.30 setlinewidth");
}
