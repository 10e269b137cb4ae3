// Stroke text: fonts, Greek, superscripts and subscripts, numeric codes,
// backspace, justification, an angle and the centred markers 0 to 21.
// Usage: example_doc_stroke_text <output.eps>
#include <string_view>

#include "plume/plume.hpp"

void text(float x, float y, float height, std::string_view s, float angle = 0.0f) {
  plume::symbol(x, y, height, s, angle, static_cast<int>(s.size()));
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  plume::bounding_box_atend(true);
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);
  plume::rgbcolor(1.0f, 1.0f, 1.0f);            // a white frame: the crop
  plume::rect(0.0f, 0.0f, 17.0f, 7.8f);         // keeps a margin
  plume::color(0);
  text(0.5f, 7.0f, 0.5f, "\\sim\\Simplex \\co\\Complex \\it\\Italic \\du\\Duplex");
  text(0.5f, 6.0f, 0.5f, "\\co\\\\alpha\\, \\beta\\, \\OMEGA\\: e\\sup{i\\pi\\} = -1");
  text(0.5f, 5.0f, 0.5f, "\\sim\\H\\sub{2}O  x\\sup{2\\sup{n}}  \\1407\\ \\1411\\  O\\bs\\/");
  text(999.0f, 999.0f, 0.5f, " continues");   // from where the text ended
  // Justification: measure, then start, centre or end the text at x = 12.2.
  plume::plot(12.2f, 1.0f, 3);
  plume::plot(12.2f, 4.4f, 2);
  const std::string_view word = "\\it\\Justify";
  const auto m = plume::justfy(0.5f, word, static_cast<int>(word.size()));
  text(12.2f - m[0], 3.6f, 0.5f, word);
  text(12.2f - m[1], 2.6f, 0.5f, word);
  text(12.2f - m[2], 1.6f, 0.5f, word);
  text(16.4f, 0.6f, 0.4f, "\\sim\\at 90 degrees", 90.0f);
  for (int k = 0; k <= 21; ++k) {               // the centred markers
    const float x = 0.7f + 0.75f * static_cast<float>(k % 11);
    const float y = k < 11 ? 3.8f : 2.2f;
    plume::csymbl(x, y, 3, 0.35f, k);             // move there, draw marker k
    plume::number(x - 0.1f, y - 0.7f, 0.15f, static_cast<float>(k), 0.0f, -2);
  }
  plume::hplots(0, 0, 8, 0);
}
