// PostScript font text: the prologue fonts by number, escaped parentheses,
// an angle and a number. Usage: example_doc_postscript_fonts <output.eps>
#include <string_view>

#include "plume/plume.hpp"

void text(float x, float y, std::string_view s, int font, float angle = 0.0f) {
  plume::xsymbol(x, y, 0.35f, s, angle, static_cast<int>(s.size()), font);
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  plume::bounding_box_atend(true);
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);
  // Text in PostScript fonts does not widen the box; a frame drawn with the
  // pen (white, unseen) does, so the crop keeps the text.
  plume::rgbcolor(1.0f, 1.0f, 1.0f);
  plume::rect(0.0f, 0.0f, 16.0f, 6.6f);
  plume::color(0);
  const int fonts[] = {1, 2, 3, 4, 5, 6, 7, 11, 13, 14};
  const char* names[] = {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
                         "Helvetica-Bold", "Palatino-Italic", "Courier", "Helvetica",
                         "Helvetica-Oblique", "Helvetica-BoldOblique"};
  for (int i = 0; i < 10; ++i) {
    const float x = i < 5 ? 0.5f : 6.0f;
    const float y = 5.8f - 0.8f * static_cast<float>(i % 5);
    plume::xnumber(x, y, 0.35f, static_cast<float>(fonts[i]), 0.0f, -2, 1);
    text(x + 0.8f, y, names[i], fonts[i]);
  }
  plume::xnumber(0.5f, 1.4f, 0.35f, 20.0f, 0.0f, -2, 1);
  text(1.3f, 1.4f, "abgdpSW", 20);                   // Symbol: Greek
  text(4.0f, 1.4f, "(typed as abgdpSW)", 1);
  text(0.5f, 0.5f, "f(x) = sin(x) / x", 13);         // parentheses escaped
  text(11.5f, 1.0f, "at 30 degrees", 2, 30.0f);
  text(11.5f, 5.8f, "xnumber, code 64:", 11);
  plume::xnumber(11.5f, 4.8f, 0.5f, 3.14159f, 0.0f, 64, 11);  // 3.1416
  plume::hplots(0, 0, 8, 0);
}
