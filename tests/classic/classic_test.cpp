// The classic dialect through its Fortran entry points (plume/classic.h):
// starting and ending, pages, units, pens as colours, the drawing routines,
// and number's decimals against gfortran's own formatting.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "classic/state.hpp"
#include "plume/classic.h"
#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

extern "C" void plume_oracle_classic_number(float value, int n, char* text, int* length);

namespace {

using plume::testing::read_file;
using plume::testing::split_lines;
using plume::testing::temp_path;

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool has_line(const std::string& doc, const std::string& line) {
  const auto lines = split_lines(doc);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A classic plot on a file of its own (unit 8 connected to it, as a
// program's OPEN or connect_unit would).
std::string classic_document(const std::string& name, void (*draw)()) {
  const std::string path = temp_path(name);
  plume::connect_unit(8, path);
  plots_();
  draw();
  plote_();
  return read_file(path);
}

TEST(ClassicStart, PlotsOpensUnit8InInchesPortraitWithTheBoxOfEverything) {
  const std::string doc = classic_document("inches.eps", [] {
    plume::plot(1.0f, 1.0f, 3);
    plume::plot(2.0f, 1.0f, 2);
  });
  EXPECT_TRUE(has_line(doc, "     72.000     72.000 pQ")) << doc;
  EXPECT_TRUE(has_line(doc, "    144.000     72.000 pL")) << doc;
  EXPECT_TRUE(has_line(doc, "5 5 translate "));
  EXPECT_EQ(split_lines(doc).at(1).rfind("%%BoundingBox:", 0), 0u) << "the box is announced in the header";
  EXPECT_FALSE(plume::classic::plot_open());
}

TEST(ClassicStart, PinitfWritesTheFormatItsNameSays) {
  const std::string path = temp_path("named.pdf");
  pinitf_(path.c_str(), path.size());
  plume::plot(1.0f, 1.0f, 3);
  plume::plot(2.0f, 2.0f, 2);
  plote_();
  EXPECT_EQ(read_file(path).rfind("%PDF-", 0), 0u);
}

TEST(ClassicStart, ASecondStartWhileOpenIsANewPageOfTheSameDocument) {
  const std::string other = temp_path("never.eps");
  const std::string doc = classic_document("pages.eps", [] {
    plots_();
    const std::string name = temp_path("never.eps") + "   ";  // trailing blanks, as Fortran passes them
    pinitf_(name.c_str(), name.size());
  });
  EXPECT_EQ(count_of(doc, "showpage"), 3) << doc;
  EXPECT_EQ(count_of(doc, "%!PS-Adobe"), 1);
  EXPECT_TRUE(read_file(other).empty()) << "no new file for the second start";
}

TEST(ClassicEnd, PloteAndPendAnd999EndTheClassicPlot) {
  for (int how = 0; how < 3; ++how) {
    const std::string path = temp_path("end" + std::to_string(how) + ".eps");
    plume::connect_unit(8, path);
    plots_();
    ASSERT_TRUE(plume::classic::plot_open());
    if (how == 0) plote_();
    if (how == 1) pend_();
    if (how == 2) plume::plot(0.0f, 0.0f, 999);
    EXPECT_FALSE(plume::classic::plot_open()) << how;
    EXPECT_EQ(split_lines(read_file(path)).back().rfind("%%BoundingBox:", 0), 0u) << how;
  }
  // A plot opened with hplots afterwards is the plot it always was.
  const std::string doc = plume::testing::draw_document([] { plume::number(1.0f, 1.0f, 0.3f, 25.0f, 0.0f, -1); });
  EXPECT_EQ(plume::testing::body_lines(doc),
            plume::testing::body_lines(plume::testing::draw_document(
                [] { plume::symbol(1.0f, 1.0f, 0.3f, "*", 0.0f, 1); })));
  EXPECT_EQ(a00000_.units_scale, 28.346457f);
}

TEST(ClassicPages, FrameAndNframeEndThePageAndPutTheOriginAtTheCorner) {
  const std::string doc = classic_document("frames.eps", [] {
    newpen_(std::array<int32_t, 1>{2}.data());
    plume::plot(2.0f, 3.0f, -3);
    frame_();
    const plume::Point o1 = plume::origin(0, 0, -1);
    EXPECT_EQ(o1.x, 0.0f);
    EXPECT_EQ(o1.y, 0.0f);
    plume::plot(2.0f, 3.0f, -3);
    nframe_();
    const plume::Point o2 = plume::origin(0, 0, -1);
    EXPECT_EQ(o2.x, 0.0f);
    EXPECT_EQ(o2.y, 0.0f);
  });
  EXPECT_EQ(count_of(doc, "showpage"), 3);
  // The pen keeps its colour on the new pages, which start black.
  EXPECT_EQ(count_of(doc, " 1.00 0.00 0.00 setrgbcolor"), 3) << doc;
}

TEST(ClassicUnits, GunitChoosesInchesOrCentimetresAndRefusesOthers) {
  classic_document("gunit.eps", [] {
    EXPECT_EQ(a00000_.units_scale, 72.0f);
    gunit_("cm", 2);
    EXPECT_EQ(a00000_.units_scale, 28.346457f);
    EXPECT_EQ(plume::classic::annotation_length(0.254f), 0.254f);
    testing::internal::CaptureStderr();
    gunit_("mm  ", 4);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("unknown unit 'mm'"), std::string::npos);
    EXPECT_EQ(a00000_.units_scale, 28.346457f) << "a bad unit changes nothing";
    gunit_("IN ", 3);
    EXPECT_EQ(a00000_.units_scale, 72.0f);
    EXPECT_FLOAT_EQ(plume::classic::annotation_length(0.254f), 0.1f);
  });
}

TEST(ClassicUnits, GunitBeforePlotsChoosesTheUnitOfTheNextClassicPlot) {
  gunit_("cm", 2);
  EXPECT_FALSE(plume::classic::plot_open()) << "gunit opens nothing";
  classic_document("cm.eps", [] { EXPECT_EQ(a00000_.units_scale, 28.346457f); });
  gunit_("in", 2);
  classic_document("in.eps", [] { EXPECT_EQ(a00000_.units_scale, 72.0f); });
}

TEST(ClassicPens, NewpenSelectsColoursInTheDocumentedOrderAtPenOnesWidth) {
  const std::string doc = classic_document("pens.eps", [] {
    for (int32_t n = 1; n <= 8; ++n) newpen_(&n);
  });
  const char* expected[] = {" 0.00 0.00 0.00", " 1.00 0.00 0.00", " 0.00 1.00 0.00", " 0.00 0.00 1.00",
                            " 1.00 0.00 1.00", " 0.00 1.00 1.00", " 1.00 1.00 0.00", " 0.00 0.00 0.00"};
  std::vector<std::string> colours;
  for (const auto& line : split_lines(doc)) {
    if (line.ends_with(" setrgbcolor")) colours.push_back(line.substr(0, line.size() - 12));
    if (line.ends_with(" setlinewidth")) {
      EXPECT_EQ(line, "  0.30 setlinewidth");
    }
  }
  ASSERT_EQ(colours.size(), 9u);  // the open's black, then the eight pens
  for (int i = 0; i < 8; ++i) EXPECT_EQ(colours[static_cast<std::size_t>(i) + 1], expected[i]) << "pen " << i + 1;
  // Outside a classic plot newpen is a width, as it always was.
  const std::string cm = plume::testing::draw_document([] { plume::newpen(3); });
  EXPECT_TRUE(has_line(cm, "  0.70 setlinewidth"));
}

TEST(ClassicPens, SetcolGivesAPenItsColourClampedToTheUnitInterval) {
  const std::string doc = classic_document("setcol.eps", [] {
    const int32_t pen = 9;
    const float r = 0.2f, g = 1.5f, b = -1.0f;
    setcol_(&pen, &r, &g, &b);
    EXPECT_EQ(count_of(read_file(temp_path("setcol.eps")), "setrgbcolor"), 0) << "only later newpen calls";
    newpen_(&pen);
  });
  EXPECT_TRUE(has_line(doc, " 0.20 1.00 0.00 setrgbcolor")) << doc;
}

TEST(ClassicDrawing, ShadeFillsWithTheGreysOfTheToneTableAndRestoresThePen) {
  const std::string doc = classic_document("shade.eps", [] {
    const int32_t two = 2;
    newpen_(&two);
    const float x = 1, y = 1, w = 2, h = 0.5f;
    for (int32_t k = -1; k <= 7; ++k) shade_(&x, &y, &w, &h, &k);
  });
  const char* greys[] = {"0.00", "0.00", "0.20", "0.40", "0.60", "0.75", "0.85", "0.95", "0.95"};
  for (const char* g : greys) {
    EXPECT_TRUE(has_line(doc, std::string(" ") + g + " " + g + " " + g + " setrgbcolor")) << g;
  }
  EXPECT_EQ(count_of(doc, "     72.000     72.000    144.000     36.000 rectfill"), 9) << doc;
  EXPECT_EQ(count_of(doc, " 1.00 0.00 0.00 setrgbcolor"), 10) << "the red pen comes back after every shade";
}

TEST(ClassicDrawing, GscaleIsScale) {
  float a[] = {3.0f, 17.0f, -2.0f, 0, 0};
  float b[] = {3.0f, 17.0f, -2.0f, 0, 0};
  const float length = 4.0f;
  const int32_t count = 3, stride = 1;
  gscale_(a, &length, &count, &stride);
  scale_(b, &length, &count, &stride);
  EXPECT_EQ(a[3], b[3]);
  EXPECT_EQ(a[4], b[4]);
  EXPECT_NE(a[4], 0.0f);
}

TEST(ClassicDrawing, PlotdDashesTheSegmentsItDraws) {
  const auto draw_with = [](bool dashed) {
    return classic_document(dashed ? "plotd.eps" : "dashp.eps", dashed ? +[] {
      const float x0 = 1, y0 = 1, x1 = 3, y1 = 1, x2 = 1, y2 = 0;
      const int32_t up = 3, down = 2, shift = -2;
      plotd_(&x0, &y0, &up);
      plotd_(&x1, &y1, &down);
      plotd_(&x2, &y2, &shift);
      plume::plot(1.0f, 0.0f, 2);
    } : +[] {
      plume::plot(1.0f, 1.0f, 3);
      plume::dashp(3.0f, 1.0f, 0.1f);
      plume::dashp(1.0f, 0.0f, 0.1f);
      plume::plot(1.0f, 0.0f, -3);
      plume::plot(1.0f, 0.0f, 2);
    });
  };
  const std::string dashed = draw_with(true);
  EXPECT_EQ(plume::testing::body_lines(dashed), plume::testing::body_lines(draw_with(false)));
  EXPECT_GT(count_of(dashed, " pL"), 10) << "0.1-inch dashes";
}

TEST(ClassicNumber, DrawsTheDecimalsItIsGiven) {
  struct Case {
    float value;
    int n;
    const char* text;
  };
  for (const Case c : {Case{25.0f, -1, "25"}, Case{1000.0f, -1, "1000"}, Case{2.5f, 0, "2."}, Case{3.14159f, 2, "3.14"},
                       Case{0.5f, 3, "0.500"}, Case{-0.001f, 2, "-0.00"}, Case{1234.5f, -3, "1200"},
                       Case{-1250.0f, -2, "-1250"}, Case{-0.4f, -1, "0"}, Case{40.0f, -3, "0"}}) {
    EXPECT_EQ(plume::classic::number_text(c.value, c.n), c.text) << c.value << " " << c.n;
  }
  // What number draws is that text, from the point it is given.
  static float value;
  static int n;
  static std::string text;
  value = 1234.5f, n = 1, text = "1234.5";
  const std::string drawn = classic_document("number.eps", [] { plume::number(1, 1, 0.2f, value, 0, n); });
  const std::string expected = classic_document("symbol.eps", [] {
    plume::symbol(1, 1, 0.2f, text, 0, static_cast<int>(text.size()));
  });
  EXPECT_EQ(plume::testing::body_lines(drawn), plume::testing::body_lines(expected));
}

// A value of every magnitude the decimals meet, and the ties that rounding
// must settle as the reference does.
float sample(std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  switch (kind(rng)) {
    case 0: return static_cast<float>(std::round(unit(rng) * 2000.0) / 8.0);  // ties at 1/8
    case 1: return static_cast<float>(std::round(unit(rng) * 20000.0) / 2.0);  // ties at 1/2
    case 2: return static_cast<float>(std::round(unit(rng) * 1e4)) * 5.0f;    // ties at tens
    default: return static_cast<float>(unit(rng) * std::pow(10.0, std::uniform_int_distribution<int>(-4, 8)(rng)));
  }
}

TEST(ClassicNumber, MatchesGfortranF0AndI0OverARandomSample) {
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<int> decimals(-5, 7);
  int compared = 0;
  for (int i = 0; i < 300000; ++i) {
    const float v = sample(rng);
    const int n = decimals(rng);
    if (n < 0 && !(std::fabs(v) < 1e15f)) continue;  // NINT's 64 bits
    char text[64];
    int length = 0;
    plume_oracle_classic_number(v, n, text, &length);
    const std::string reference(text, static_cast<std::size_t>(length));
    ASSERT_EQ(plume::classic::number_text(v, n), reference)
        << "value " << v << " (bits " << std::hex << std::bit_cast<std::uint32_t>(v) << std::dec << "), n " << n;
    ++compared;
  }
  EXPECT_GT(compared, 250000);
}

}  // namespace
