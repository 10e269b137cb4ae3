// Axes: tick geometry read back from the pen motions, and the numbers,
// label and power-of-ten note found as the drawings of the documented calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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

using Lines = std::vector<std::string>;
constexpr float kScale = 72.0f / 2.54f;

// Body lines with moves written alike ("pM" and "pQ" differ only by the
// path state before them) and without repeated moves to the point just
// reached (the periodic path restart).
Lines normalized(const std::string& document) {
  Lines out;
  for (auto line : body_lines(document)) {
    if (line.size() > 3 && line.compare(line.size() - 3, 3, " pM") == 0) line.replace(line.size() - 3, 3, " pQ");
    if (!out.empty() && line.size() > 3 && line.compare(line.size() - 3, 3, " pQ") == 0 &&
        out.back().compare(0, 22, line, 0, 22) == 0) {
      continue;
    }
    out.push_back(line);
  }
  return out;
}

Lines drawing_of(const std::function<void()>& draw) { return normalized(draw_document(draw)); }

bool contains(const Lines& haystack, const Lines& needle) {
  return !needle.empty() && std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

struct Motion {
  float x, y;
  int code;
};

std::vector<Motion> motions(const Lines& lines) {
  std::vector<Motion> out;
  for (const auto& line : lines) {
    float px = 0, py = 0;
    char op[3] = {};
    if (std::sscanf(line.c_str(), "%f %f %2s", &px, &py, op) != 3) continue;
    out.push_back({px / kScale, py / kScale, std::strcmp(op, "pL") == 0 ? 2 : 3});
  }
  return out;
}

// The axis line and its ticks: a move to the far end, then out and back at
// every tick from the last to the first.
void expect_line_and_ticks(const Lines& axis, float length, int ticks, float tick_dx, float tick_dy,
                           float dir_x = 1.0f, float dir_y = 0.0f) {
  const auto m = motions(axis);
  const std::size_t tail = 1 + 3 * static_cast<std::size_t>(ticks);
  ASSERT_GE(m.size(), tail);
  const auto* t = &m[m.size() - tail];
  EXPECT_EQ(t[0].code, 3);
  EXPECT_NEAR(t[0].x, length * dir_x, 1e-3);
  EXPECT_NEAR(t[0].y, length * dir_y, 1e-3);
  for (int i = 0; i < ticks; ++i) {
    const float at = static_cast<float>(ticks - 1 - i);
    const Motion* q = &t[1 + 3 * i];
    SCOPED_TRACE(testing::Message() << "tick at " << at);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(q[j].code, 2);
    EXPECT_NEAR(q[0].x, at * dir_x, 1e-3);
    EXPECT_NEAR(q[0].y, at * dir_y, 1e-3);
    EXPECT_NEAR(q[1].x, at * dir_x + tick_dx, 1e-3);
    EXPECT_NEAR(q[1].y, at * dir_y + tick_dy, 1e-3);
    EXPECT_NEAR(q[2].x, q[0].x, 1e-4);
    EXPECT_NEAR(q[2].y, q[0].y, 1e-4);
  }
}

Lines tick_number(float x, float y, float value, float height = 0.105f) {
  return drawing_of([=] { plume::number(x, y, height, value, 0.0f, 62); });
}

TEST(Axis, ListedExampleDrawsNumbersLabelThenTheTickedLine) {
  std::string path;
  const auto axis = normalized(draw_document([] { plume::axis(0, 0, "AXIS", 4, 4.0f, 0.0f, 0.0f, 1.0f); }, 1, 0, &path));
  // Numbers of ticks 1 .. 3, the label (m = 4: x = 2 - 0.1778 * 4), the
  // numbers of ticks 4 and 5, then the line.
  const auto expected = drawing_of([] {
    for (int i = 0; i < 5; ++i) {
      plume::number(-0.254f + static_cast<float>(i), 0.254f, 0.105f, static_cast<float>(i), 0.0f, 62);
      if (i == 2) plume::symbol(2.0f - 0.1778f * 4.0f, 0.635f, 0.3556f, "AXIS", 0.0f, 4);
    }
    plume::plot(4.0f, 0.0f, 3);
  });
  ASSERT_GT(axis.size(), expected.size());
  EXPECT_EQ(Lines(axis.begin(), axis.begin() + static_cast<long>(expected.size())), expected);
  EXPECT_EQ(axis.size(), expected.size() + 15);
  expect_line_and_ticks(axis, 4.0f, 5, 0.0f, 0.1778f);
  if (!plume::testing::ghostscript().empty()) {
    std::string out;
    EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
  }
}

TEST(Axis, TickCountFollowsTheClampedLength) {
  expect_line_and_ticks(drawing_of([] { plume::axis(0, 0, "T", 1, 10.0f, 0, 0, 1); }), 10.0f, 11, 0, 0.1778f);
  expect_line_and_ticks(drawing_of([] { plume::axis(0, 0, "T", 1, 10.5f, 0, 0, 1); }), 10.5f, 11, 0, 0.1778f);
  expect_line_and_ticks(drawing_of([] { plume::axis(0, 0, "T", 1, 1.0f, 0, 0, 1); }), 2.0f, 3, 0, 0.1778f);
}

TEST(Axis, PowerOfTenNoteFollowsTheLabel) {
  const auto axis = drawing_of([] { plume::axis(0, 0, "AXIS", 4, 4.0f, 0.0f, 0.0f, 250.0f); });
  // Exponent 1: ticks read 0, 25, 50, ...; m = 4 + 7 centres the label.
  const float label_x = 2.0f - 0.1778f * 11.0f;
  const float marker_x = label_x + 6.0f * 0.3556f;
  EXPECT_TRUE(contains(axis, tick_number(0.746f, 0.254f, 25.0f)));
  EXPECT_TRUE(contains(axis, tick_number(3.746f, 0.254f, 100.0f)));
  EXPECT_TRUE(contains(axis, drawing_of([=] { plume::symbol(label_x, 0.635f, 0.3556f, "AXIS", 0, 4); })));
  EXPECT_TRUE(contains(axis, drawing_of([=] { plume::symbol(marker_x, 0.635f, 0.3556f, "*10", 0, 3); })));
  EXPECT_TRUE(contains(axis, drawing_of([=] {
    plume::number(marker_x + 1.0668f, 0.635f + 0.722579f, 0.1778f, 1.0f, 0, -5);
  })));
}

TEST(Axis, ExponentBoundaries) {
  const auto marker_drawn = [](float delta) {
    const auto axis = drawing_of([=] { plume::axis(0, 0, "", 0, 4.0f, 0.0f, 0.0f, delta); });
    // With an exponent the label is centred on m = 7 and the marker follows it.
    return contains(axis, drawing_of([] { plume::symbol(2.0f - 0.1778f * 7 + 2 * 0.3556f, 0.635f, 0.3556f, "*10", 0, 3); }));
  };
  EXPECT_TRUE(marker_drawn(99.0f));   // 9.9 per unit
  EXPECT_FALSE(marker_drawn(98.0f));
  EXPECT_TRUE(marker_drawn(0.005f));
  EXPECT_FALSE(marker_drawn(0.5f));
  EXPECT_FALSE(marker_drawn(0.0f));
  EXPECT_TRUE(contains(drawing_of([] { plume::axis(0, 0, "", 0, 4.0f, 0.0f, 0.0f, 99.0f); }),
                       tick_number(0.746f, 0.254f, 9.9f)));
  const auto small = drawing_of([] { plume::axis(0, 0, "", 0, 4.0f, 0.0f, 0.0f, 0.005f); });
  EXPECT_TRUE(contains(small, tick_number(0.746f, 0.254f, 0.05f)));
  EXPECT_TRUE(contains(small, drawing_of([] {
    plume::number(2.0f - 0.1778f * 7 + 2 * 0.3556f + 1.0668f, 0.635f + 0.722579f, 0.1778f, -1.0f, 0, -5);
  })));
}

TEST(Axis, ZeroIncrementShowsTheFirstValueAtEveryTick) {
  const auto axis = drawing_of([] { plume::axis(0, 0, "", 0, 2.0f, 0.0f, 7.5f, 0.0f); });
  for (float x : {-0.254f, 0.746f, 1.746f}) EXPECT_TRUE(contains(axis, tick_number(x, 0.254f, 7.5f))) << x;
}

TEST(Axis, NonFiniteIncrementDoesNotHang) {
  // The exponent is taken as 0; the values from the second tick on read as
  // the formatter writes them ("   Inf", "   NaN"), the rest is drawn.
  const std::pair<float, const char*> cases[] = {{std::numeric_limits<float>::infinity(), "   Inf"},
                                                 {std::numeric_limits<float>::quiet_NaN(), "   NaN"}};
  for (auto [delta, shown] : cases) {
    std::string path;
    const auto axis = normalized(draw_document([=] { plume::axis(0, 0, "X", 1, 3.0f, 0.0f, 0.0f, delta); }, 1, 0, &path));
    expect_line_and_ticks(axis, 3.0f, 4, 0, 0.1778f);
    EXPECT_TRUE(contains(axis, tick_number(-0.254f, 0.254f, 0.0f)));
    EXPECT_TRUE(contains(axis, drawing_of([=] { plume::symbol(0.746f, 0.254f, 0.105f, shown, 0, 6); })));
    if (!plume::testing::ghostscript().empty()) {
      std::string out;
      EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
    }
  }
}

TEST(Axis, ValuesTooWideForTheFieldAreAsterisks) {
  const auto axis = drawing_of([] { plume::axis(0, 0, "", 0, 2.0f, 0.0f, 1000.0f, 1.0f); });
  EXPECT_TRUE(contains(axis, drawing_of([] { plume::symbol(-0.254f, 0.254f, 0.105f, "******", 0, 6); })));
}

TEST(Axis, NegativeCountPutsTicksNumbersAndLabelClockwise) {
  const auto axis = drawing_of([] { plume::axis(0, 0, "BELOW", -5, 4.0f, 0.0f, 0.0f, 1.0f); });
  expect_line_and_ticks(axis, 4.0f, 5, 0.0f, -0.1778f);
  EXPECT_TRUE(contains(axis, tick_number(-0.254f, -0.508f, 0.0f)));
  EXPECT_TRUE(contains(axis, drawing_of([] { plume::symbol(2.0f - 0.1778f * 5, -1.016f, 0.3556f, "BELOW", 0, 5); })));
}

TEST(Axis, AnglesAreReducedAndExactAtRightAngles) {
  const auto at90 = drawing_of([] { plume::axis(1, 1, "Y", 1, 3.0f, 90.0f, 0.0f, 1.0f); });
  EXPECT_EQ(drawing_of([] { plume::axis(1, 1, "Y", 1, 3.0f, 450.0f, 0.0f, 1.0f); }), at90);
  // Direction (0, 1): ticks point to -x, the anticlockwise side.
  const auto m = motions(at90);
  ASSERT_GE(m.size(), 13u);
  EXPECT_NEAR(m[m.size() - 13].x, 1.0f, 1e-4);
  EXPECT_NEAR(m[m.size() - 13].y, 4.0f, 1e-4);
  EXPECT_NEAR(m[m.size() - 11].x, 1.0f - 0.1778f, 1e-4);
  // -90 stays -90 and goes through cos and sin: down the page, ticks to +x.
  const auto down = drawing_of([] { plume::axis(0, 0, "Y", 1, 3.0f, -90.0f, 0.0f, 1.0f); });
  expect_line_and_ticks(down, 3.0f, 4, 0.1778f, 0.0f, 0.0f, -1.0f);
}

TEST(Axis, CountZeroCentresOnNoCharactersAndDrawsTheFirst) {
  const auto axis = drawing_of([] { plume::axis(0, 0, "Label", 0, 4.0f, 0.0f, 0.0f, 1.0f); });
  EXPECT_TRUE(contains(axis, drawing_of([] { plume::symbol(2.0f, 0.635f, 0.3556f, "L", 0, 0); })));
}

TEST(Axis, AlternateModeNumbersEvenTicksInLargerFigures) {
  plume::axis_numbering(plume::AxisNumbering::alternate_ticks);
  const auto axis = drawing_of([] { plume::axis(0, 0, "", 0, 4.0f, 0.0f, 0.0f, 1.0f); });
  const float big = 0.075f * 2.54f;
  EXPECT_TRUE(contains(axis, tick_number(0.746f, 0.254f, 1.0f, big)));
  EXPECT_TRUE(contains(axis, tick_number(2.746f, 0.254f, 3.0f, big)));
  EXPECT_FALSE(contains(axis, tick_number(-0.254f, 0.254f, 0.0f, big)));
  EXPECT_FALSE(contains(axis, tick_number(1.746f, 0.254f, 2.0f, big)));
  EXPECT_FALSE(contains(axis, tick_number(1.746f, 0.254f, 2.0f)));
  expect_line_and_ticks(axis, 4.0f, 5, 0.0f, 0.1778f);
  const int every = 0;
  axmode_(&every);
  EXPECT_TRUE(contains(drawing_of([] { plume::axis(0, 0, "", 0, 4.0f, 0.0f, 0.0f, 1.0f); }),
                       tick_number(1.746f, 0.254f, 2.0f)));
}

TEST(Axis, FortranFaceReadsOnlyTheCountedLabel) {
  auto label = std::make_unique<char[]>(3);
  std::memcpy(label.get(), "ABC", 3);
  const float x = 0, y = 0, length = 4, angle = 0, first = 0, delta = 1;
  const int count = -3;
  const auto axis =
      drawing_of([&] { axis_(&x, &y, label.get(), &count, &length, &angle, &first, &delta, 3); });
  EXPECT_EQ(axis, drawing_of([] { plume::axis(0, 0, "ABC", -3, 4.0f, 0.0f, 0.0f, 1.0f); }));
  const int none = 0;
  auto one = std::make_unique<char[]>(1);
  one[0] = 'Q';
  EXPECT_EQ(drawing_of([&] { axis_(&x, &y, one.get(), &none, &length, &angle, &first, &delta, 1); }),
            drawing_of([] { plume::axis(0, 0, "Q", 0, 4.0f, 0.0f, 0.0f, 1.0f); }));
}

}  // namespace

namespace {

int run_example(const std::string& eps, const std::string& data) {
  const char* bin = std::getenv("PLUME_BINARY_DIR");
  if (bin == nullptr) return -1;
  const std::string command =
      std::string(bin) + "/examples/example_plot_data '" + eps + "' '" + data + "' 2>/dev/null";
  return std::system(command.c_str());
}

// Darkest channel sum in a small square around a sheet point.
int darkest_near(const plume::testing::Raster& r, double x, double y) {
  int darkest = 3 * 255;
  for (double dx = -1.5; dx <= 1.5; dx += 0.5) {
    for (double dy = -1.5; dy <= 1.5; dy += 0.5) {
      const auto p = r.at_point(x + dx, y + dy);
      if (p.r >= 0) darkest = std::min(darkest, p.r + p.g + p.b);
    }
  }
  return darkest;
}

TEST(PlotDataExample, RendersTheDataOnItsAxes) {
  const char* src = std::getenv("PLUME_SOURCE_DIR");
  ASSERT_NE(src, nullptr);
  const std::string eps = plume::testing::temp_path("plot_data.eps");
  ASSERT_EQ(run_example(eps, std::string(src) + "/examples/data/temperature.txt"), 0);
  const auto doc = plume::testing::read_file(eps);
  EXPECT_NE(doc.find("\n (Monthly mean temperatures) show\n"), std::string::npos);
  EXPECT_EQ(doc.find("*"), std::string::npos);  // no value too wide for its field
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::string out;
  ASSERT_TRUE(plume::testing::renders_cleanly(eps, &out)) << out;
  // The axes' corner is at (4, 8) cm; y runs from -8 at 4 per cm, so the
  // January maximum 1.8 lies 2.45 cm up the y axis and the July maximum
  // 25.9 at x = 6 cm, 8.475 cm up. Sheet points add the 5-point margin.
  plume::testing::Raster r;
  ASSERT_TRUE(plume::testing::rasterize(eps, 100, r));
  const auto sheet = [](float cm) { return cm * 72.0 / 2.54 + 5.0; };
  EXPECT_LT(darkest_near(r, sheet(4.0f), sheet(8.0f + 2.45f)), 200);
  EXPECT_LT(darkest_near(r, sheet(4.0f + 6.0f), sheet(8.0f + 8.475f)), 200);
  EXPECT_GT(darkest_near(r, sheet(4.0f + 6.0f), sheet(8.0f + 6.0f)), 600);  // between the series: blank
}

TEST(PlotDataExample, MissingDataFileFails) {
  EXPECT_NE(run_example(plume::testing::temp_path("none.eps"), "/nonexistent/data.txt"), 0);
}

}  // namespace
