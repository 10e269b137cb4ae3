// A gallery of the shape routines: arcs, circles, fills in colours and
// tones, dash patterns, rectangles drawn both ways, and on a second page a
// drawing clipped by a viewport. Usage: example_gallery <output.eps>
#include <cstdio>

#include "plume/plume.hpp"

namespace {

constexpr int kUnit = 20;
constexpr int kPortrait = 1;
constexpr int kCentimetres = 0;
constexpr int kOutline = 0;
constexpr int kFill = 1;

// Arcs: quarter, half and three-quarter arcs outlined, then filled segments
// (the region between arc and chord) and an arc continued by pen motions.
void draw_arcs(float y) {
  plume::pen(2, -1);
  const float ends[] = {90.0f, 180.0f, 270.0f};
  float x = 2.0f;
  for (float end : ends) {
    plume::arc(x, y, 1.2f, 0.0f, end);
    x += 3.0f;
  }
  plume::color(1);
  plume::xarc(x, y, 1.2f, 30.0f, 150.0f, kFill);
  plume::color(4);
  plume::xarc(x + 3.0f, y, 1.2f, 200.0f, 340.0f, kFill);
  // The arc stays pending: the draw continues from its end point.
  plume::color(2);
  plume::arc(x + 6.0f, y, 1.0f, 90.0f, 270.0f);
  plume::plot(x + 8.0f, y - 1.0f, 2);
  plume::plot(x + 6.0f, y + 1.0f, 2);
  plume::color(0);
}

// Outlined circles with growing pens, then filled discs in colour and tone.
void draw_circles(float y) {
  for (int i = 0; i < 4; ++i) {
    plume::pen(i + 1, -1);
    plume::xcircle(2.0f + 2.3f * static_cast<float>(i), y, 1.0f, kOutline);
  }
  plume::newpen(1);
  for (int tone = 0; tone < 4; ++tone) {
    plume::pen(-1, tone);
    plume::color(tone == 0 ? 5 : 3);
    plume::xcircle(11.3f + 2.2f * static_cast<float>(tone), y, 1.0f, kFill);
  }
  plume::pen(-1, 0);
  plume::color(0);
}

// Swatches: the eight colour indices in rows of tones 0, 2, 4 and 6.
void draw_fills(float y) {
  for (int row = 0; row < 4; ++row) {
    const float y0 = y - 1.1f * static_cast<float>(row);
    for (int c = 0; c < 8; ++c) {
      const float x0 = 1.5f + 2.1f * static_cast<float>(c);
      plume::rect(x0, y0, x0 + 1.8f, y0 + 0.9f);
      plume::xfillup(c, 2 * row);
    }
  }
}

// The eight dash patterns, one line each, then back to solid.
void draw_dashes(float y) {
  plume::pen(2, -1);
  for (int pattern = 0; pattern < 8; ++pattern) {
    const float yy = y - 0.6f * static_cast<float>(pattern);
    plume::plot(1.5f, yy, 3);
    plume::dashln(pattern);
    plume::plot(18.0f, yy, 2);
  }
  plume::dashln(-1);
  plume::newpen(1);
}

// Rectangles painted at once (left) and drawn with pen motions (right).
void draw_rectangles(float y) {
  plume::pen(2, -1);
  plume::rectangle(1.5f, y, 3.0f, 2.0f);
  plume::color(6);
  plume::xrectangle(5.0f, y, 3.0f, 2.0f, kFill);
  plume::color(0);
  plume::rect(10.0f, y, 13.0f, y + 2.0f);
  plume::color(3);
  plume::plot(14.0f, y, 3);  // pen up first: the rectangle above left no current point
  plume::xrect(14.0f, y, 18.0f, y + 2.0f, kFill);
  plume::color(0);
  plume::newpen(1);
}

// A grid of circles and a star of lines, clipped by a viewport.
void draw_clipped_page() {
  plume::viewport(3.0f, 5.0f, 16.0f, 20.0f);
  // The viewport returned the document to the page's first graphics state.
  plume::newpen(2);
  plume::color(1);
  for (int i = 0; i <= 6; ++i) {
    for (int j = 0; j <= 7; ++j) {
      plume::xcircle(1.0f + 3.0f * static_cast<float>(i), 3.0f + 3.0f * static_cast<float>(j), 1.3f, kOutline);
    }
  }
  plume::color(4);
  for (int k = 0; k <= 12; ++k) {
    plume::plot(9.5f, 12.5f, 3);
    plume::plot(-2.0f + 2.0f * static_cast<float>(k), 26.0f, 2);
  }
  plume::color(2);
  plume::xcircle(9.5f, 12.5f, 2.5f, kFill);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output.eps>\n", argv[0]);
    return 2;
  }
  if (!plume::connect_unit(kUnit, argv[1])) return 2;
  plume::hplots(1, kPortrait, kUnit, kCentimetres);
  draw_arcs(25.5f);
  draw_circles(21.5f);
  draw_fills(17.5f);
  draw_dashes(12.5f);
  draw_rectangles(4.0f);
  plume::newpage();
  draw_clipped_page();
  plume::hplots(0, 0, kUnit, 0);
  return plume::write_failures() == 0 ? 0 : 1;
}
