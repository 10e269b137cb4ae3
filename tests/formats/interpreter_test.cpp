// The reader of the library's PostScript: what it draws and measures, and
// that no sequence of lines can crash it or stop it drawing.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cairo/interpreter.hpp"

namespace plume::render {
namespace {

struct CountPages : PageSink {
  std::vector<Box> inks;
  Canvas end_page(const Box& ink) override {
    inks.push_back(ink);
    return {};
  }
};

// The extent of each page of a document, measured.
std::vector<Box> measure(const std::string& text) {
  Fonts fonts;
  CountPages pages;
  Interpreter in(fonts, pages, Canvas{}, 0);
  in.feed(text.data(), text.size());
  in.finish();
  return pages.inks;
}

// Draws the document on a 100 x 100 point raster, one pixel per point, y up.
struct Raster : PageSink {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100);
  cairo_t* cr = cairo_create(surface);
  Raster() {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
  }
  ~Raster() override {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  Canvas first() { return {cr, Matrix{1, 0, 0, -1, 0, 100}}; }
  Canvas end_page(const Box&) override { return {}; }
  // 0xRRGGBB at point (x, y).
  std::uint32_t at(int x, int y) {
    cairo_surface_flush(surface);
    const auto* data = cairo_image_surface_get_data(surface);
    std::uint32_t px;
    std::memcpy(&px, data + (99 - y) * cairo_image_surface_get_stride(surface) + x * 4, 4);
    return px & 0xFFFFFF;
  }
};

std::uint32_t draw_and_sample(const std::string& text, int x, int y) {
  Fonts fonts;
  Raster raster;
  Interpreter in(fonts, raster, raster.first(), 1);
  in.feed(text.data(), text.size());
  const auto px = raster.at(x, y);
  EXPECT_EQ(cairo_status(raster.cr), CAIRO_STATUS_SUCCESS);
  return px;
}

constexpr char kPrologue[] =
    "/pM {stroke newpath moveto} def\n/pL {lineto} def\n/pQ {moveto} def\n"
    "/tR {/Times-Roman findfont \n exch scalefont setfont} def\n";

TEST(Interpreter, StrokeExtentHoldsHalfTheWidth) {
  const auto inks = measure(std::string(kPrologue) + "2 setlinewidth\n 10 20 pQ\n 50 20 pL\nstroke\nshowpage\n");
  ASSERT_EQ(inks.size(), 1u);
  EXPECT_DOUBLE_EQ(inks[0].x0, 9);
  EXPECT_DOUBLE_EQ(inks[0].y0, 19);
  EXPECT_DOUBLE_EQ(inks[0].x1, 51);
  EXPECT_DOUBLE_EQ(inks[0].y1, 21);
}

// A move alone paints nothing; a line with no current point is refused
// (PostScript would stop with an error).
TEST(Interpreter, MovesAndLinesWithoutAPointAddNoInk) {
  const auto inks = measure(std::string(kPrologue) + " 10 10 pM\n 20 20 pM\nstroke\nnewpath 30 30 lineto stroke\nshowpage\n");
  ASSERT_EQ(inks.size(), 1u);
  EXPECT_TRUE(inks[0].empty());
}

TEST(Interpreter, ArcExtentFollowsTheCircleAndTheTransform) {
  const auto inks = measure("5 5 translate\n 0 setlinewidth\nnewpath 50 50 10 0 360 arc fill\nshowpage\n");
  ASSERT_EQ(inks.size(), 1u);
  EXPECT_NEAR(inks[0].x0, 45, 0.01);
  EXPECT_NEAR(inks[0].x1, 65, 0.01);
  EXPECT_NEAR(inks[0].y0, 45, 0.01);
  EXPECT_NEAR(inks[0].y1, 65, 0.01);
}

TEST(Interpreter, ClipBoundsTheExtent) {
  const auto inks = measure("newpath 10 10 moveto 20 10 lineto 20 20 lineto 10 20 lineto closepath clip\n"
                            "newpath 0 0 moveto 100 100 lineto stroke\nshowpage\n");
  ASSERT_EQ(inks.size(), 1u);
  EXPECT_DOUBLE_EQ(inks[0].x0, 10);
  EXPECT_DOUBLE_EQ(inks[0].x1, 20);
}

TEST(Interpreter, TextExtentComesFromTheFont) {
  const auto inks = measure(std::string(kPrologue) + " 10 10 pQ\n 20 tR\n (H) show\nshowpage\n");
  ASSERT_EQ(inks.size(), 1u);
  // Times-Roman's H: 0.662 of the size high, about 0.7 wide, on the baseline.
  EXPECT_NEAR(inks[0].y0, 10, 0.2);
  EXPECT_NEAR(inks[0].y1, 10 + 0.662 * 20, 0.3);
  EXPECT_NEAR(inks[0].x1 - inks[0].x0, 0.7 * 20, 1.0);
}

// Beyond some 65,000 pixels FreeType refuses a glyph and cairo keeps the
// error: such text is measured and drawn from outlines taken at a smaller
// size, and the text after it is measured as before.
TEST(Interpreter, TextTooLargeForTheRasteriserIsMeasuredAndTheNextTextToo) {
  const auto inks = measure(std::string(kPrologue) + " 10 10 pQ\n 900000 tR\n (H) show\nshowpage\n" +
                            " 10 10 pQ\n 20 tR\n (H) show\nshowpage\n");
  ASSERT_EQ(inks.size(), 2u);
  EXPECT_NEAR(inks[0].y1, 10 + 0.662 * 900000, 0.02 * 900000);
  EXPECT_NEAR(inks[0].x1 - inks[0].x0, 0.7 * 900000, 0.05 * 900000);
  EXPECT_NEAR(inks[1].y1, 10 + 0.662 * 20, 0.3);
  EXPECT_NEAR(inks[1].x1 - inks[1].x0, 0.7 * 20, 1.0);
}

// The left stem of Times-Roman's H, a fifth of the way up: x in glyph
// units of one em, found from the font's own outline.
double left_stem_of_h() {
  Fonts fonts;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(surface);
  cairo_set_font_face(cr, fonts.find("Times-Roman").face);
  cairo_set_font_size(cr, 1000);
  cairo_move_to(cr, 0, 0);
  cairo_text_path(cr, "H");
  double first = -1, last = -1;
  for (int x = 0; x < 700; ++x) {
    if (cairo_in_fill(cr, x, -200)) {
      if (first < 0) first = x;
      last = x;
    } else if (first >= 0) {
      break;
    }
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return (first + last) / 2 / 1000;
}

TEST(Interpreter, TextTooLargeForTheRasteriserIsDrawnAndDrawingGoesOn) {
  const double size = 100000;  // glyphs of 100,000 pixels on the 1 pixel/point raster
  const double stem = left_stem_of_h();
  ASSERT_GT(stem, 0);
  // Put the stem's middle, a fifth of the way up, at (50, 50); then draw a
  // white line across it and a black line after the text.
  char origin[64];
  std::snprintf(origin, sizeof origin, " %.3f %.3f pQ\n", 50 - stem * size, 50 - 0.2 * size);
  const std::string doc = std::string(kPrologue) + origin + " 100000 tR\n (H) show\n" +
                          "1 1 1 setrgbcolor 3 setlinewidth\n 0 40 pQ\n 100 40 pL\nstroke\n";
  EXPECT_EQ(draw_and_sample(doc, 50, 50), 0x000000u);
  EXPECT_EQ(draw_and_sample(doc, 50, 40), 0xFFFFFFu);
}

TEST(Interpreter, PagesEndAtShowpageAndAtTheEndWhenInked) {
  EXPECT_EQ(measure("showpage\nshowpage\n").size(), 2u);
  EXPECT_EQ(measure("").size(), 1u);  // an empty document still has its page
  EXPECT_EQ(measure("newpath 0 0 moveto 5 5 lineto stroke\nshowpage\nnewpath 0 0 moveto 5 5 lineto stroke\n").size(),
            2u);
}

// A procedure defined over several lines, as the viewport writes it.
TEST(Interpreter, ProceduresSpanLines) {
  const auto inks = measure(" /v { newpath\n 10 10 moveto\n 30 10 lineto\n } def\n v stroke\nshowpage\n");
  ASSERT_EQ(inks.size(), 1u);
  EXPECT_FALSE(inks[0].empty());
  EXPECT_DOUBLE_EQ(inks[0].x1, 30.5);
}

TEST(Interpreter, LinesSplitAcrossPiecesReadTheSame) {
  const std::string text = std::string(kPrologue) + " 10 20 pQ\n 50 60 pL\n 12 tR\n (ab\\(c\\)) show\nstroke\nshowpage\n";
  Fonts fonts;
  CountPages pages;
  Interpreter in(fonts, pages, Canvas{}, 0);
  for (const char c : text) in.feed(&c, 1);
  in.finish();
  const auto whole = measure(text);
  ASSERT_EQ(pages.inks.size(), whole.size());
  EXPECT_DOUBLE_EQ(pages.inks[0].x1, whole[0].x1);
  EXPECT_DOUBLE_EQ(pages.inks[0].y1, whole[0].y1);
}

// "gsave stroke grestore" then "fill": the path survives the outline.
TEST(Interpreter, GrestoreBringsBackThePath) {
  const std::string text =
      "newpath 10 10 moveto 90 10 lineto 90 90 lineto 10 90 lineto closepath\n"
      "gsave 1 0 0 setrgbcolor stroke grestore\n0 0 1 setrgbcolor fill\n";
  EXPECT_EQ(draw_and_sample(text, 50, 50), 0x0000FFu);
}

TEST(Interpreter, ClipKeepsThePathAndGrestoreLiftsIt) {
  const std::string clipped =
      "gsave\nnewpath 0 0 moveto 50 0 lineto 50 100 lineto 0 100 lineto closepath clip\n"
      "newpath 0 40 moveto 100 40 lineto 100 60 lineto 0 60 lineto closepath fill\n";
  EXPECT_EQ(draw_and_sample(clipped, 25, 50), 0x000000u);
  EXPECT_EQ(draw_and_sample(clipped, 75, 50), 0xFFFFFFu);
  EXPECT_EQ(draw_and_sample(clipped + "grestore\nnewpath 60 40 moveto 100 40 lineto 100 60 lineto closepath fill\n",
                            95, 45),
            0x000000u);
}

TEST(Interpreter, RectangleOperatorsLeaveThePathAlone) {
  const std::string text =
      "newpath 60 60 moveto 90 60 lineto 90 90 lineto closepath\n"
      "1 0 0 setrgbcolor 10 10 20 20 rectfill\n0 1 0 setrgbcolor fill\n";
  EXPECT_EQ(draw_and_sample(text, 20, 20), 0xFF0000u);
  EXPECT_EQ(draw_and_sample(text, 85, 65), 0x00FF00u);
}

// Values cairo would refuse (and then stop drawing altogether): a dash of
// no length, a singular transform, a font of size 0, numbers that overflow.
TEST(Interpreter, ValuesCairoRefusesAreLeftOut) {
  const std::string text = std::string(kPrologue) +
                           "[0 0] 0 setdash\n0 0 scale\n 0 tR\n 10 10 pQ\n (x) show\n"
                           "1e308 1e308 pQ\n 1e300 1e300 pL\n-5 setlinewidth\n"
                           "[-1 2] 0 setdash\n 1e30 1e30 1e30 1e30 1e30 arc\n 50 50 30 1e30 -1e30 arc\n"
                           "newpath 10 10 moveto 90 90 lineto stroke\n";
  EXPECT_EQ(draw_and_sample(text, 50, 50), 0x000000u);
}

TEST(Interpreter, SelfCallingProcedureStops) {
  const auto inks = measure("/a {a} def\na\n/b {newpath 0 0 moveto 9 9 lineto stroke b} def b\nshowpage\n");
  ASSERT_EQ(inks.size(), 1u);
  EXPECT_FALSE(inks[0].empty());
}

// Any line sequence: random pieces of the vocabulary, numbers and bytes.
TEST(Interpreter, RandomLinesNeverStopTheDrawing) {
  const std::vector<std::string> words = {
      "pM", "pL", "pQ", "rM", "rL", "stroke", "fill", "newpath", "closepath", "clip", "gsave", "grestore",
      "showpage", "translate", "rotate", "scale", "setlinewidth", "setrgbcolor", "setgray", "setdash", "arc",
      "arcn", "rectfill", "rectstroke", "show", "tR", "sY", "kM", "def", "exch", "findfont", "scalefont",
      "setfont", "[", "]", "{", "}", "(x\\)", "(", ")", "<3021>", "<", "/q", "%c", "-0.000", "***********",
      "1e309", "nan", "inf", "0", "360", "-1", "1e6"};
  std::mt19937 random(20261209);
  for (int round = 0; round < 30; ++round) {
    std::string text = std::string(kPrologue) + "/kM {/Ryumin-Light-H findfont exch scalefont setfont} def\n";
    for (int line = 0; line < 300; ++line) {
      const int n = static_cast<int>(random() % 7);
      for (int k = 0; k < n; ++k) {
        if (random() % 3 == 0) {
          text += std::to_string(static_cast<int>(random() % 400) - 100) + " ";
        } else if (random() % 50 == 0) {
          text += static_cast<char>(random() % 256);
        } else {
          text += words[random() % words.size()] + " ";
        }
      }
      text += '\n';
    }
    Fonts fonts;
    Raster raster;
    Interpreter in(fonts, raster, raster.first(), 1);
    in.feed(text.data(), text.size());
    EXPECT_EQ(cairo_status(raster.cr), CAIRO_STATUS_SUCCESS) << cairo_status_to_string(cairo_status(raster.cr));
    measure(text);
  }
}

}  // namespace
}  // namespace plume::render

namespace plume::render {
namespace {

// Operands far outside any meaning: a join of 1e300, a cap of -1e300.
TEST(Interpreter, HugeOperandsOfSmallSettingsAreBroughtInRange) {
  EXPECT_EQ(draw_and_sample("1e300 setlinejoin -1e300 setlinecap 5 setlinewidth\n"
                            "newpath 10 50 moveto 90 50 lineto stroke\n",
                            50, 50),
            0x000000u);
}

}  // namespace
}  // namespace plume::render
