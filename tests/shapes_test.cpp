// Arcs, circles, fills, dash patterns and rectangles: the document lines
// they write and the plot state they leave alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

Lines body_of(const std::function<void()>& draw, std::string* path = nullptr) {
  return body_lines(draw_document(draw, 1, 0, path));
}

void expect_renders(const std::string& path) {
  if (plume::testing::ghostscript().empty()) return;
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
}

// The last n lines of a body.
Lines tail(const Lines& lines, std::size_t n) {
  return {lines.end() - static_cast<long>(std::min(n, lines.size())), lines.end()};
}

// Pen position, bounding box and path flag: what the shape routines must not touch.
struct PathState {
  plume_a00000 pen;
  plume_m00000 box;
  bool operator==(const PathState& o) const {
    return std::memcmp(&pen, &o.pen, sizeof pen) == 0 && std::memcmp(&box, &o.box, sizeof box) == 0;
  }
};
PathState path_state() { return {a00000_, m00000_}; }

TEST(Arc, CircleWritesTheDocumentedLines) {
  std::string path;
  EXPECT_EQ(body_of([] { plume::circle(1.0f, 1.0f, 0.5f); }, &path),
            (Lines{"stroke newpath", "     28.346     28.346     14.173      0.000    360.000 arc"}));
  expect_renders(path);
}

TEST(Arc, ShiftedOriginMovesOnlyTheCentreFields) {
  const auto lines = body_of([] {
    plume::arc(1.0f, 1.0f, 0.5f, 30.0f, -45.5f);
    plume::origin(2.0f, 3.0f, 0);
    plume::arc(1.0f, 1.0f, 0.5f, 30.0f, -45.5f);
  });
  EXPECT_EQ(lines, (Lines{"stroke newpath", "     28.346     28.346     14.173     30.000    -45.500 arc",
                          "stroke newpath", "     85.039    113.386     14.173     30.000    -45.500 arc"}));
}

TEST(Arc, FactorScalesCentreAndRadiusButNotAngles) {
  const auto lines = body_of([] {
    plume::factor(2.0f);
    plume::arc(1.0f, 0.0f, -0.5f, 720.0f, 0.0f);
  });
  EXPECT_EQ(lines.back(), "     56.693      0.000    -28.346    720.000      0.000 arc");
}

TEST(Arc, PendingArcIsContinuedByLaterPenMotions) {
  std::string path;
  const auto lines = body_of(
      [] {
        plume::plot(1.0f, 1.0f, 3);
        plume::arc(5.0f, 5.0f, 1.0f, 0.0f, 90.0f);
        plume::plot(8.0f, 6.0f, 2);
      },
      &path);
  // No stroke between the arc and the draw: the line starts at the arc's end.
  EXPECT_EQ(lines, (Lines{"     28.346     28.346 pQ", "stroke newpath",
                          "    141.732    141.732     28.346      0.000     90.000 arc",
                          "    226.772    170.079 pL"}));
  // The bounding box segment still starts from the stored pen position.
  EXPECT_EQ(m00000_.bbox_xmin, 28);
  EXPECT_EQ(m00000_.bbox_ymin, 28);
  expect_renders(path);
}

TEST(Arc, ShapesLeavePenBoundingBoxAndPathFlagAlone) {
  draw_document([] {
    plume::plot(1.0f, 1.0f, 3);
    plume::plot(2.0f, 3.0f, 2);
    plume::plot(4.0f, 4.0f, 3);
    const auto before = path_state();
    plume::arc(10.0f, 10.0f, 5.0f, 0.0f, 90.0f);
    plume::circle(-3.0f, 20.0f, 9.0f);
    plume::xarc(10.0f, 10.0f, 5.0f, 0.0f, 90.0f, 1);
    plume::xcircle(10.0f, 10.0f, 5.0f, 0);
    plume::xcircle(10.0f, 10.0f, 5.0f, 1);
    plume::fillup();
    plume::xfillup(3, 2);
    plume::rectangle(12.0f, 15.0f, 3.0f, 3.0f);
    plume::xrectangle(-2.0f, -2.0f, 30.0f, 30.0f, 1);
    plume::dashln(3);
    EXPECT_TRUE(before == path_state());
    EXPECT_EQ(m00000_.move_pending, 1);
  });
  // Only the one drawn segment entered the box.
  EXPECT_EQ(m00000_.bbox_xmin, 28);
  EXPECT_EQ(m00000_.bbox_xmax, 56);
  EXPECT_EQ(m00000_.bbox_ymax, 85);
}

TEST(Arc, XcircleStrokesAtOnceUnlessFilledXarcStaysPending) {
  const Lines circle_lines = {"stroke newpath", "     28.346     28.346     28.346      0.000    360.000 arc"};
  const Lines arc_lines = {"stroke newpath", "     28.346     28.346     28.346     10.000     20.000 arc"};
  const Lines fill = {"gsave stroke grestore", "fill"};
  for (int flag : {0, 2, -1}) {
    auto outline = circle_lines;
    outline.push_back("stroke");
    EXPECT_EQ(body_of([flag] { plume::xcircle(1.0f, 1.0f, 1.0f, flag); }), outline) << flag;
    EXPECT_EQ(body_of([flag] { plume::xarc(1.0f, 1.0f, 1.0f, 10.0f, 20.0f, flag); }), arc_lines) << flag;
  }
  auto filled_circle = circle_lines;
  filled_circle.insert(filled_circle.end(), fill.begin(), fill.end());
  EXPECT_EQ(body_of([] { plume::xcircle(1.0f, 1.0f, 1.0f, 1); }), filled_circle);
  auto filled_arc = arc_lines;
  filled_arc.insert(filled_arc.end(), fill.begin(), fill.end());
  std::string path;
  EXPECT_EQ(body_of([] { plume::xarc(1.0f, 1.0f, 1.0f, 10.0f, 20.0f, 1); }, &path), filled_arc);
  expect_renders(path);
  EXPECT_EQ(body_of([] { plume::fillup(); }), fill);
}

TEST(Fill, XfillupWritesTheDocumentedExample) {
  EXPECT_EQ(body_of([] { plume::xfillup(4, 2); }),
            (Lines{"gsave stroke grestore", " 0.60 0.00 0.00 setrgbcolor", "fill", " stroke ",
                   " 0.00 0.00 0.00 setrgbcolor"}));
}

TEST(Fill, XfillupColourIndexRules) {
  // Negative: the current index (grey 1 - 0.4 for black); above 7: black.
  EXPECT_EQ(body_of([] { plume::xfillup(-1, 3); })[1], " 0.60 0.60 0.60 setrgbcolor");
  EXPECT_EQ(body_of([] {
              plume::color(2);
              plume::xfillup(-1, 3);
            })[3],
            " 0.00 0.40 0.00 setrgbcolor");
  EXPECT_EQ(body_of([] { plume::xfillup(8, 0); })[1], " 0.00 0.00 0.00 setrgbcolor");
  EXPECT_EQ(body_of([] { plume::xfillup(8, 3); })[1], " 0.60 0.60 0.60 setrgbcolor");
  EXPECT_EQ(body_of([] { plume::xfillup(7, 4); })[1], " 0.25 0.25 0.25 setrgbcolor");
  // Tones outside 0..6 act as 0 and 6.
  EXPECT_EQ(body_of([] { plume::xfillup(1, -4); })[1], " 0.00 0.00 1.00 setrgbcolor");
  EXPECT_EQ(body_of([] { plume::xfillup(1, 99); })[1], " 0.00 0.00 0.05 setrgbcolor");
}

TEST(Fill, XfillupRestoresColourAndToneAndReplacesAnRgbColour) {
  const auto lines = body_of([] {
    plume::pen(-1, 2);
    plume::color(4);
    plume::rgbcolor(0.1f, 0.2f, 0.3f);
    plume::xfillup(1, 5);  // the fill tone is the argument, not the current tone
    EXPECT_EQ(l00001_.tone, 2);
    EXPECT_EQ(l00001_.color_index, 4);
  });
  EXPECT_EQ(tail(lines, 5), (Lines{"gsave stroke grestore", " 0.00 0.00 0.15 setrgbcolor", "fill", " stroke ",
                                   " 0.60 0.00 0.00 setrgbcolor"}));
}

TEST(Fill, FillupAfterPenMotionsAndAnArcFillsThemTogether) {
  std::string path;
  const auto lines = body_of(
      [] {
        plume::arc(5.0f, 5.0f, 2.0f, 0.0f, 180.0f);
        plume::plot(5.0f, 2.0f, 2);
        plume::fillup();
      },
      &path);
  EXPECT_EQ(tail(lines, 3), (Lines{"    141.732     56.693 pL", "gsave stroke grestore", "fill"}));
  expect_renders(path);
}

TEST(Dash, EveryPatternNumberWritesItsLine) {
  const std::pair<int, const char*> table[] = {
      {-1, "[] 0 setdash"},          {-100, "[] 0 setdash"},        {0, "[2 8] 0 setdash"},
      {1, "[2 2] 0 setdash"},        {2, "[4 4] 0 setdash"},        {3, "[8 8] 0 setdash"},
      {4, "[6 2 2 2] 0 setdash"},    {5, "[8 4 4 4] 0 setdash"},    {6, "[6 4 4 4 4 4] 0 setdash"},
      {7, "[6 2] 0 setdash"},        {12, "[] 0 setdash"},
  };
  for (auto [n, expected] : table) {
    EXPECT_EQ(body_of([n = n] { plume::dashln(n); }), (Lines{" stroke", expected, "      0.000      0.000 pM"}))
        << "pattern " << n;
  }
  for (int n : {8, 9, 11, 13, 1000, std::numeric_limits<int>::max()}) {
    EXPECT_EQ(body_of([n] { plume::dashln(n); }), (Lines{" stroke", "      0.000      0.000 pM"})) << n;
  }
}

TEST(Dash, PositionLineFollowsPenAndOriginAndRepeatsAreNotMerged) {
  std::string path;
  const auto lines = body_of(
      [] {
        plume::plot(1.0f, 2.0f, 3);
        plume::origin(1.0f, 0.0f, 1);
        plume::dashln(4);
        plume::dashln(4);
        plume::plot(3.0f, 2.0f, 2);
      },
      &path);
  const std::string position = "     56.693     56.693 pM";
  EXPECT_EQ(lines, (Lines{"     28.346     56.693 pQ", " stroke", "[6 2 2 2] 0 setdash", position, " stroke",
                          "[6 2 2 2] 0 setdash", position, "    113.386     56.693 pL"}));
  EXPECT_EQ(m00000_.move_pending, 0);
  expect_renders(path);
}

TEST(Rectangle, DirectRectanglesWriteCornerAndSize) {
  const Lines stroked = {"stroke newpath", "     28.346     56.693     85.039    113.386 rectstroke"};
  EXPECT_EQ(body_of([] { plume::rectangle(1.0f, 2.0f, 3.0f, 4.0f); }), stroked);
  for (int flag : {0, 2, -1}) {
    EXPECT_EQ(body_of([flag] { plume::xrectangle(1.0f, 2.0f, 3.0f, 4.0f, flag); }), stroked) << flag;
  }
  std::string path;
  EXPECT_EQ(body_of([] { plume::xrectangle(1.0f, 2.0f, 3.0f, 4.0f, 1); }, &path),
            (Lines{"stroke newpath", "     28.346     56.693     85.039    113.386 rectfill"}));
  expect_renders(path);
}

TEST(Rectangle, NegativeSizeAndShiftedOrigin) {
  const auto lines = body_of([] {
    plume::rectangle(0.0f, 0.0f, -1.0f, 2.0f);
    plume::origin(1.0f, 1.0f, 0);
    plume::rectangle(0.0f, 0.0f, -1.0f, 2.0f);
  });
  EXPECT_EQ(lines[1], "      0.000      0.000    -28.346     56.693 rectstroke");
  EXPECT_EQ(lines[3], "     28.346     28.346    -28.346     56.693 rectstroke");
}

TEST(Rectangle, RectDrawsFivePenMotionsAndEndsAtTheFirstCorner) {
  const Lines outline = {"      0.000      0.000 pQ", "     56.693      0.000 pL", "     56.693     28.346 pL",
                         "      0.000     28.346 pL", "      0.000      0.000 pL"};
  std::string doc = draw_document([] { plume::rect(0.0f, 0.0f, 2.0f, 1.0f); });
  EXPECT_EQ(body_lines(doc), outline);
  EXPECT_EQ(split_lines(doc).back(), "%%BoundingBox:    0    0   56   28");
  EXPECT_EQ(a00000_.pen_x, 0.0f);
  EXPECT_EQ(a00000_.pen_y, 0.0f);
  EXPECT_EQ(m00000_.move_pending, 0);

  // Corners in any order: the same motions from the other corner.
  EXPECT_EQ(body_of([] { plume::rect(2.0f, 1.0f, 0.0f, 0.0f); })[0], "     56.693     28.346 pQ");

  for (int flag : {0, 2, -1}) {
    EXPECT_EQ(body_of([flag] { plume::xrect(0.0f, 0.0f, 2.0f, 1.0f, flag); }), outline) << flag;
  }
  auto filled = outline;
  filled.push_back("gsave stroke grestore");
  filled.push_back("fill");
  std::string path;
  EXPECT_EQ(body_of([] { plume::xrect(0.0f, 0.0f, 2.0f, 1.0f, 1); }, &path), filled);
  expect_renders(path);
}

TEST(NonFinite, ShapesWithANonFiniteOperandAreDroppedWhole) {
  std::string path;
  testing::internal::CaptureStderr();
  const auto lines = body_of(
      [] {
        plume::plot(1.0f, 1.0f, 3);
        plume::arc(kNaN, 1.0f, 1.0f, 0.0f, 90.0f);
        plume::xcircle(1.0f, 1.0f, kInf, 1);
        plume::xarc(1.0f, 1.0f, 1.0f, 0.0f, -kInf, 1);
        plume::rectangle(1.0f, 1.0f, kNaN, 1.0f);
        plume::xrectangle(1e38f, 1.0f, 1.0f, 1.0f, 1);  // overflows to infinity when scaled
        // Nothing emptied the path: the draw continues from the move.
        plume::plot(2.0f, 2.0f, 2);
        plume::xrectangle(1.0f, 1.0f, 1.0f, 1.0f, 1);
      },
      &path);
  const auto err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(lines, (Lines{"     28.346     28.346 pQ", "     56.693     56.693 pL", "stroke newpath",
                          "     28.346     28.346     28.346     28.346 rectfill"}));
  EXPECT_NE(err.find("5 lines with a non-finite operand"), std::string::npos) << err;
  expect_renders(path);
}

}  // namespace

// The Fortran-callable face forwards its arguments by reference.
// Ghostscript builds arcs in 2^23 device pixels: an arc is kept while every
// point of it lies within 500000 points of the page origin, where it renders
// at 72, 300, 600 and 1200 dpi; beyond, it is dropped and reported as such.
TEST(Arc, ArcsAreKeptWhereGhostscriptRendersThem) {
  testing::internal::CaptureStderr();
  std::string path;
  const int dropped_before = plume::dropped_lines();
  // Unit system 2: one user unit is 20 points, and every value is exact.
  const auto body = body_lines(draw_document(
      [] {
        plume::arc(30000.0f, 15.0f, 29990.0f, 170.0f, 190.0f);  // passes the page, reaches 104155
        plume::circle(0.0f, 0.0f, 24950.0f);
        plume::arc(-24999.5f, 0.0f, 0.5f, 0.0f, 90.0f);  // its left end lies within reach
        plume::arc(30000.0f, 15.0f, 29990.0f, 90.0f, 270.0f);  // its top reaches 600100
        plume::arc(0.0f, 0.0f, -24950.0f, 0.0f, 10.0f);  // a negative radius: drawn at 180 to 190 degrees
        plume::arc(0.0f, -24750.0f, 500.0f, 180.0f, 360.0f);  // its bottom reaches 505000
      },
      1, 2, &path));
  const auto err = testing::internal::GetCapturedStderr();
  const Lines arcs = [&] {
    Lines a;
    for (const auto& l : body) {
      if (l.ends_with(" arc")) a.push_back(l);
    }
    return a;
  }();
  EXPECT_EQ(arcs, (Lines{" 600000.000    300.000 599800.000    170.000    190.000 arc",
                         "      0.000      0.000 499000.000      0.000    360.000 arc",
                         "-499990.000      0.000     10.000      0.000     90.000 arc",
                         "      0.000      0.000 -499000.000      0.000     10.000 arc"}))
      << (arcs.size() == 4 ? "" : body.back());
  EXPECT_EQ(plume::dropped_lines() - dropped_before, 2);
  EXPECT_NE(err.find("2 arcs reaching beyond what PostScript interpreters build not written to unit"),
            std::string::npos)
      << err;
  EXPECT_EQ(err.find("non-finite"), std::string::npos) << err;
  PLUME_REQUIRE_GHOSTSCRIPT();
  for (const int dpi : {72, 300, 600, 1200}) {
    std::string gs;
    EXPECT_TRUE(plume::testing::renders_cleanly(path, &gs, dpi)) << dpi << " dpi: " << gs;
  }
}

TEST(FortranFace, ShapeWrappersForward) {
  const auto lines = body_of([] {
    const float x = 1.0f, y = 1.0f, r = 0.5f, a1 = 0.0f, a2 = 90.0f, w = 1.0f;
    const int32_t fill = 1, pattern = 1, colour = 4, tone = 0;
    arc_(&x, &y, &r, &a1, &a2);
    circle_(&x, &y, &r);
    xarc_(&x, &y, &r, &a1, &a2, &fill);
    xcircle_(&x, &y, &r, &fill);
    fillup_();
    xfillup_(&colour, &tone);
    dashln_(&pattern);
    rectangle_(&x, &y, &w, &w);
    xrectangle_(&x, &y, &w, &w, &fill);
    rect_(&x, &y, &w, &w);
    xrect_(&x, &y, &a2, &a2, &fill);
  });
  const std::string all = [&] {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
  }();
  for (const char* needle :
       {"     0.000     90.000 arc", "     0.000    360.000 arc", " 1.00 0.00 0.00 setrgbcolor", "[2 2] 0 setdash",
        " rectstroke", " rectfill", "   2551.181     28.346 pL"}) {
    EXPECT_NE(all.find(needle), std::string::npos) << needle;
  }
  EXPECT_EQ(lines.back(), "fill");
}
