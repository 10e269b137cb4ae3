// What the shapes, fills, viewports and pages look like once Ghostscript
// has rendered the document: pixels sampled where the meaning is plain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::Raster;

namespace {

constexpr double kCm = 72.0 / 2.54;
constexpr double kDpi = 36.0;  // one pixel is two points
constexpr int kFill = 1;

struct Colour {
  int r, g, b;
};
constexpr Colour kWhite{255, 255, 255};
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kRed{255, 0, 0};
constexpr Colour kBlue{0, 0, 255};
constexpr Colour kGreen{0, 255, 0};
constexpr Colour kYellow{255, 255, 0};

testing::AssertionResult is(const Raster::Pixel& p, Colour c, int tolerance = 2) {
  if (std::abs(p.r - c.r) <= tolerance && std::abs(p.g - c.g) <= tolerance && std::abs(p.b - c.b) <= tolerance) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "pixel (" << p.r << ", " << p.g << ", " << p.b << "), expected (" << c.r << ", " << c.g << ", " << c.b << ")";
}

// Sheet point of a user point in centimetres, zero origin.
double portrait_x(double x_cm) { return 5.0 + x_cm * kCm; }
double portrait_y(double y_cm) { return 5.0 + y_cm * kCm; }

// Draws a document, checks that it renders, and returns its path.
std::string render_document(const std::function<void()>& draw, int orientation = 1) {
  std::string path;
  plume::testing::draw_document(draw, orientation, 0, &path);
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
  return path;
}

// Ghostscript writes every page into the one PPM file, one image after another.
bool read_ppm_page(const std::string& ppm, int page, Raster& raster) {
  std::ifstream in(ppm, std::ios::binary);
  const auto skip_comments = [&in]() -> std::ifstream& {
    while ((in >> std::ws).peek() == '#') in.ignore(1 << 16, '\n');
    return in;
  };
  for (int i = 1; i <= page; ++i) {
    std::string magic;
    int maxval = 0;
    in >> magic;
    skip_comments() >> raster.width;
    skip_comments() >> raster.height;
    skip_comments() >> maxval;
    in.get();
    if (magic != "P6" || !in.good() || raster.width <= 0 || raster.height <= 0) return false;
    raster.rgb.resize(static_cast<std::size_t>(raster.width) * static_cast<std::size_t>(raster.height) * 3);
    in.read(reinterpret_cast<char*>(raster.rgb.data()), static_cast<std::streamsize>(raster.rgb.size()));
  }
  return in.good();
}

Raster raster_of(const std::string& path, int page = 1) {
  Raster raster;
  EXPECT_TRUE(plume::testing::rasterize(path, kDpi, raster));
  if (page > 1) {
    EXPECT_TRUE(read_ppm_page(path + ".ppm", page, raster)) << "page " << page;
  }
  return raster;
}

class Pixels : public ::testing::Test {
 protected:
  void SetUp() override { PLUME_REQUIRE_GHOSTSCRIPT(); }
};

TEST_F(Pixels, FilledRectangleIsFilledOutlinedOneIsNot) {
  const auto r = raster_of(render_document([] {
    plume::color(4);
    plume::xrectangle(2.0f, 3.0f, 4.0f, 2.0f, kFill);
    plume::rectangle(8.0f, 3.0f, 4.0f, 2.0f);
  }));
  EXPECT_TRUE(is(r.at_point(portrait_x(4.0), portrait_y(4.0)), kRed));
  EXPECT_TRUE(is(r.at_point(portrait_x(1.0), portrait_y(4.0)), kWhite));
  EXPECT_TRUE(is(r.at_point(portrait_x(4.0), portrait_y(5.5)), kWhite));
  EXPECT_TRUE(is(r.at_point(portrait_x(10.0), portrait_y(4.0)), kWhite));
}

TEST_F(Pixels, FilledCircleIsADiscOutlinedCircleIsHollow) {
  const auto r = raster_of(render_document([] {
    plume::xcircle(10.0f, 10.0f, 2.0f, kFill);
    plume::xcircle(4.0f, 10.0f, 2.0f, 0);
  }));
  EXPECT_TRUE(is(r.at_point(portrait_x(10.0), portrait_y(10.0)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(11.7), portrait_y(10.0)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(10.0), portrait_y(8.3)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(12.4), portrait_y(10.0)), kWhite));
  EXPECT_TRUE(is(r.at_point(portrait_x(11.6), portrait_y(11.6)), kWhite));  // corner of the square around it
  EXPECT_TRUE(is(r.at_point(portrait_x(4.0), portrait_y(10.0)), kWhite));
}

TEST_F(Pixels, FilledArcIsTheSegmentBetweenArcAndChord) {
  const auto r = raster_of(render_document([] { plume::xarc(10.0f, 10.0f, 3.0f, 0.0f, 180.0f, kFill); }));
  EXPECT_TRUE(is(r.at_point(portrait_x(10.0), portrait_y(11.5)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(10.0), portrait_y(9.0)), kWhite));
}

TEST_F(Pixels, FillToneThreeGivesTheDocumentedGreyAndDimmedRed) {
  const auto r = raster_of(render_document([] {
    plume::xrect(2.0f, 2.0f, 6.0f, 6.0f, 0);
    plume::xfillup(0, 3);  // black at tone 3: grey 0.60
    plume::plot(8.0f, 2.0f, 3);
    plume::xrect(8.0f, 2.0f, 12.0f, 6.0f, 0);
    plume::xfillup(4, 2);  // red at tone 2: 0.60
  }));
  EXPECT_TRUE(is(r.at_point(portrait_x(4.0), portrait_y(4.0)), {153, 153, 153}));
  EXPECT_TRUE(is(r.at_point(portrait_x(10.0), portrait_y(4.0)), {153, 0, 0}));
}

TEST_F(Pixels, ArcContinuedByPenMotionsFillsAsOnePath) {
  // Upper half disc from (7, 5) round to (3, 5), then a draw down to (5, 2):
  // the fill closes back to (7, 5), so the triangle below joins the disc.
  const auto r = raster_of(render_document([] {
    plume::plot(15.0f, 15.0f, 3);
    plume::arc(5.0f, 5.0f, 2.0f, 0.0f, 180.0f);
    plume::plot(5.0f, 2.0f, 2);
    plume::fillup();
  }));
  EXPECT_TRUE(is(r.at_point(portrait_x(5.0), portrait_y(6.0)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(5.0), portrait_y(3.5)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(3.3), portrait_y(3.0)), kWhite));
  // Had the draw started at the stored pen position (15, 15), this would be inside.
  EXPECT_TRUE(is(r.at_point(portrait_x(9.0), portrait_y(7.0)), kWhite));
}

TEST_F(Pixels, XfillupRestoresTheDrawingColour) {
  const auto r = raster_of(render_document([] {
    plume::color(1);
    plume::rect(1.0f, 1.0f, 3.0f, 3.0f);
    plume::xfillup(4, 0);
    plume::xrectangle(5.0f, 1.0f, 2.0f, 2.0f, kFill);
  }));
  EXPECT_TRUE(is(r.at_point(portrait_x(2.0), portrait_y(2.0)), kRed));
  EXPECT_TRUE(is(r.at_point(portrait_x(6.0), portrait_y(2.0)), kBlue));
}

TEST_F(Pixels, NothingIsDrawnOutsideTheViewport) {
  const auto r = raster_of(render_document([] {
    plume::viewport(10.0f, 10.0f, 14.0f, 14.0f);
    plume::viewport(2.0f, 2.0f, 8.0f, 8.0f);  // replaces the first window
    plume::xrectangle(0.0f, 0.0f, 16.0f, 16.0f, kFill);
    plume::xcircle(8.0f, 8.0f, 3.0f, kFill);
  }));
  EXPECT_TRUE(is(r.at_point(portrait_x(5.0), portrait_y(5.0)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(1.0), portrait_y(1.0)), kWhite));
  EXPECT_TRUE(is(r.at_point(portrait_x(5.0), portrait_y(9.0)), kWhite));
  EXPECT_TRUE(is(r.at_point(portrait_x(9.0), portrait_y(5.0)), kWhite));
  EXPECT_TRUE(is(r.at_point(portrait_x(12.0), portrait_y(12.0)), kWhite));
}

TEST_F(Pixels, ViewportReturnsToThePageStartGraphicsState) {
  const auto r = raster_of(render_document([] {
    plume::color(4);
    plume::viewport(0.0f, 0.0f, 10.0f, 10.0f);
    plume::xrectangle(2.0f, 2.0f, 2.0f, 2.0f, kFill);  // black again in the document
    plume::color(2);
    plume::xrectangle(6.0f, 2.0f, 2.0f, 2.0f, kFill);
  }));
  EXPECT_TRUE(is(r.at_point(portrait_x(3.0), portrait_y(3.0)), kBlack));
  EXPECT_TRUE(is(r.at_point(portrait_x(7.0), portrait_y(3.0)), kGreen));
}

TEST_F(Pixels, LandscapePageRunsPageXUpTheSheet) {
  // Page point (px, py) lies at sheet (590 - py, 5 + px).
  const auto r = raster_of(render_document(
      [] {
        plume::color(4);
        plume::xrectangle(1.0f, 1.0f, 10.0f, 1.0f, kFill);
      },
      0));
  EXPECT_TRUE(is(r.at_point(590.0 - 1.5 * kCm, 5.0 + 8.0 * kCm), kRed));
  EXPECT_TRUE(is(r.at_point(590.0 - 1.5 * kCm, 5.0 + 12.0 * kCm), kWhite));
  EXPECT_TRUE(is(r.at_point(portrait_x(8.0), portrait_y(1.5)), kWhite));  // where portrait would put it
}

TEST_F(Pixels, NewPageResetsOriginClippingAndColourButNotTheFirstPage) {
  const auto path = render_document([] {
    plume::color(4);
    plume::xrectangle(1.0f, 1.0f, 3.0f, 3.0f, kFill);
    plume::viewport(0.0f, 0.0f, 1.0f, 1.0f);
    plume::origin(5.0f, 5.0f, 0);
    plume::newpage();
    plume::xrectangle(1.0f, 1.0f, 3.0f, 3.0f, kFill);
  });
  const auto first = raster_of(path, 1);
  EXPECT_TRUE(is(first.at_point(portrait_x(2.5), portrait_y(2.5)), kRed));
  EXPECT_TRUE(is(first.at_point(portrait_x(7.5), portrait_y(7.5)), kWhite));
  const auto second = raster_of(path, 2);
  // Black (the colour is not re-sent), at the reset origin, not clipped.
  EXPECT_TRUE(is(second.at_point(portrait_x(2.5), portrait_y(2.5)), kBlack));
  EXPECT_TRUE(is(second.at_point(portrait_x(7.5), portrait_y(7.5)), kWhite));
}

TEST_F(Pixels, GalleryExampleRendersItsTwoPages) {
  // Tests run in <build>/tests/work when the environment does not name the build.
  const char* binary_dir = std::getenv("PLUME_BINARY_DIR");
  const std::string build = binary_dir != nullptr ? binary_dir : "../..";
  const std::string path = plume::testing::temp_path("gallery.eps");
  const std::string command = build + "/examples/example_gallery '" + path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
  const auto lines = plume::testing::split_lines(plume::testing::read_file(path));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "showpage"), 2);

  const auto first = raster_of(path, 1);
  EXPECT_TRUE(is(first.at_point(portrait_x(6.5), portrait_y(5.0)), kYellow));  // the filled rectangle
  const auto second = raster_of(path, 2);
  EXPECT_TRUE(is(second.at_point(portrait_x(9.5), portrait_y(12.5)), kGreen));  // the disc
  // The star of lines reaches y = 26 but the viewport ends at y = 20.
  int drawn_above = 0;
  for (double x = 0.0; x < 19.0; x += 0.05) drawn_above += !is(second.at_point(portrait_x(x), portrait_y(22.0)), kWhite);
  EXPECT_EQ(drawn_above, 0);
}

}  // namespace
