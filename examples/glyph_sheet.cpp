// A sheet of the stroke font's glyphs: every glyph code 1 to 432 in a
// labelled grid, each on a light baseline as long as its advance, and the
// centred symbols 0 to 21 at several angles around light cross hairs.
// Usage: example_glyph_sheet <output.eps>
#include <cstdio>
#include <string>

#include "plume/plume.hpp"

namespace {

constexpr int kUnit = 20;
constexpr int kPortrait = 1;
constexpr int kCentimetres = 0;
constexpr int kMove = 3;
constexpr int kDraw = 2;

constexpr int kGlyphs = 432;
constexpr int kColumns = 18;
constexpr float kCellWidth = 1.1f;
constexpr float kCellHeight = 0.95f;
constexpr float kGridLeft = 0.6f;
constexpr float kGridTop = 27.6f;
constexpr float kGlyphHeight = 0.42f;
constexpr float kLabelHeight = 0.14f;
constexpr float kFontUnit = kGlyphHeight / 21.0f;

constexpr int kCentredSymbols = 22;
constexpr float kAngles[] = {0.0f, 30.0f, 90.0f};
constexpr float kCentredHeight = 0.3f;
constexpr float kCentredLeft = 2.4f;
constexpr float kCentredSpacing = 0.83f;
constexpr float kCentredTop = 3.8f;
constexpr float kCentredRowStep = 1.4f;

void line(float x1, float y1, float x2, float y2) {
  plume::plot(x1, y1, kMove);
  plume::plot(x2, y2, kDraw);
}

void text(float x, float y, float height, const std::string& s) {
  plume::symbol(x, y, height, s, 0.0f, static_cast<int>(s.size()));
}

// The lower left corner of the cell of glyph code c.
float cell_x(int c) { return kGridLeft + static_cast<float>((c - 1) % kColumns) * kCellWidth; }
float cell_y(int c) { return kGridTop - static_cast<float>((c - 1) / kColumns + 1) * kCellHeight; }
float baseline_x(int c) { return cell_x(c) + 0.2f; }
float baseline_y(int c) { return cell_y(c) + 0.2f; }

float centred_x(int k) { return kCentredLeft + static_cast<float>(k) * kCentredSpacing; }
float centred_y(int row) { return kCentredTop - static_cast<float>(row) * kCentredRowStep; }

// Cell borders, baselines as long as each glyph's advance, cross hairs.
void draw_guides() {
  plume::pen(0, -1);
  plume::rgbcolor(0.6f, 0.75f, 1.0f);
  const int rows = (kGlyphs + kColumns - 1) / kColumns;
  const float right = kGridLeft + kColumns * kCellWidth;
  const float bottom = kGridTop - rows * kCellHeight;
  for (int r = 0; r <= rows; ++r) line(kGridLeft, kGridTop - r * kCellHeight, right, kGridTop - r * kCellHeight);
  for (int col = 0; col <= kColumns; ++col) line(kGridLeft + col * kCellWidth, kGridTop, kGridLeft + col * kCellWidth, bottom);
  plume::rgbcolor(1.0f, 0.55f, 0.55f);
  for (int c = 1; c <= kGlyphs; ++c) {
    line(baseline_x(c), baseline_y(c), baseline_x(c) + iwid_[c - 1] * kFontUnit, baseline_y(c));
  }
  for (int row = 0; row < 3; ++row) {
    for (int k = 0; k < kCentredSymbols; ++k) {
      const float x = centred_x(k), y = centred_y(row);
      line(x - 0.35f, y, x + 0.35f, y);
      line(x, y - 0.35f, x, y + 0.35f);
    }
  }
}

void draw_glyphs() {
  for (int c = 1; c <= kGlyphs; ++c) {
    // Simplex labels; the glyph itself by its numeric code, which selects no font.
    std::string label = "\\sim\\";
    label.append(std::to_string(c));
    text(cell_x(c) + 0.05f, cell_y(c) + kCellHeight - 0.19f, kLabelHeight, label);
    std::string numeric = "\\";
    numeric.append(std::to_string(1000 + c)).append("\\");
    text(baseline_x(c), baseline_y(c), kGlyphHeight, numeric);
  }
}

void draw_centred() {
  for (int row = 0; row < 3; ++row) {
    const float angle = kAngles[row];
    char label[32];
    std::snprintf(label, sizeof label, "angle %d", static_cast<int>(angle));
    text(0.3f, centred_y(row) - 0.07f, kLabelHeight, label);
    for (int k = 0; k < kCentredSymbols; ++k) {
      if (row == 0) text(centred_x(k) - 0.1f, centred_y(row) + 0.5f, kLabelHeight, std::to_string(k));
      plume::symbol(centred_x(k), centred_y(row), kCentredHeight, k, angle, -1);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s output.eps\n", argv[0]);
    return 2;
  }
  if (!plume::connect_unit(kUnit, argv[1])) return 2;
  plume::hplots(1, kPortrait, kUnit, kCentimetres);
  draw_guides();
  plume::rgbcolor(0.0f, 0.0f, 0.0f);
  plume::pen(1, -1);
  text(kGridLeft, kGridTop + 0.45f, 0.36f, "\\co\\Plume stroke font: glyphs 1-432, centred symbols 0-21");
  draw_glyphs();
  draw_centred();
  plume::hplots(0, 0, kUnit, 0);
  return plume::write_failures() == 0 ? 0 : 1;
}
