// Text of the section in the document's PostScript fonts, set through
// `xsymbol` and placed by the fonts' advance widths; the extent of the
// text is marked for the bounding box, which font text does not enter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace section {

enum class Font { helvetica = 11, helvetica_bold = 12 };
enum class Align { left, centre, right };

// The advance width in centimetres of `text` (printable ASCII) set at
// xsymbol's `height` (the font's size is 1.5 times the height).
double text_width(std::string_view text, double height, Font font);

class PageText {
 public:
  // Text whose baseline is aligned at (x, y); `angle` 0 or 90 degrees.
  void add(double x, double y, double height, std::string text, Align align, double angle = 0,
           Font font = Font::helvetica);
  // Draws the text, after white strokes at the corners of its extent, so
  // that importers cropping to the box keep it.
  void draw() const;

 private:
  struct Piece {
    double x, y, height, angle;
    std::string text;
    Font font;
  };
  std::vector<Piece> pieces_;
  double low_x_ = 1e30, low_y_ = 1e30, high_x_ = -1e30, high_y_ = -1e30;
};

}  // namespace section
