#include "section/page_text.hpp"

#include <algorithm>

#include "plume/plume.hpp"

namespace section {
namespace {

// Helvetica's advance widths (thousandths of the font size), space to tilde.
constexpr short kHelvetica[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // space to /
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0 to ?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,  // @ to O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // P to _
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // ` to o
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};      // p to ~
// Helvetica-Bold runs wider; a common factor is close enough to place it.
constexpr double kBoldWidening = 1.08;
// Ascender and descender of the fonts, fractions of the size.
constexpr double kAscent = 0.72;
constexpr double kDescent = 0.21;
constexpr int kMove = 3;
constexpr int kDraw = 2;

}  // namespace

double text_width(std::string_view text, double height, Font font) {
  double units = 0;
  for (const char c : text) {
    const int i = static_cast<unsigned char>(c) - ' ';
    units += i >= 0 && i < 95 ? kHelvetica[i] : 556;
  }
  if (font == Font::helvetica_bold) units *= kBoldWidening;
  return units / 1000.0 * 1.5 * height;
}

void PageText::add(double x, double y, double height, std::string text, Align align, double angle, Font font) {
  const double width = text_width(text, height, font);
  const double shift = align == Align::left ? 0 : align == Align::centre ? width / 2 : width;
  const double size = 1.5 * height;
  const bool upright = angle == 0;
  // Start of the baseline, and the text's box on the page.
  const double sx = upright ? x - shift : x;
  const double sy = upright ? y : y - shift;
  const double x0 = upright ? sx : sx - kAscent * size;
  const double x1 = upright ? sx + width : sx + kDescent * size;
  const double y0 = upright ? sy - kDescent * size : sy;
  const double y1 = upright ? sy + kAscent * size : sy + width;
  low_x_ = std::min(low_x_, x0);
  high_x_ = std::max(high_x_, x1);
  low_y_ = std::min(low_y_, y0);
  high_y_ = std::max(high_y_, y1);
  pieces_.push_back({sx, sy, height, angle, std::move(text), font});
}

void PageText::draw() const {
  if (pieces_.empty()) return;
  plume::rgbcolor(1.0f, 1.0f, 1.0f);
  constexpr float kMark = 0.01f;
  for (const double x : {low_x_, high_x_}) {
    for (const double y : {low_y_, high_y_}) {
      plume::plot(static_cast<float>(x), static_cast<float>(y), kMove);
      plume::plot(static_cast<float>(x) + (x == low_x_ ? kMark : -kMark), static_cast<float>(y), kDraw);
    }
  }
  plume::color(0);
  for (const Piece& p : pieces_) {
    plume::xsymbol(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.height), p.text,
                   static_cast<float>(p.angle), static_cast<int>(p.text.size()), static_cast<int>(p.font));
  }
}

}  // namespace section
