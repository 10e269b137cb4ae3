// Attributes: row i shows pen i, colour i at tones 0 to 6 and dash pattern i;
// the last line is an RGB colour. Usage: example_doc_attributes <output.eps>
#include "plume/plume.hpp"

void line(float x1, float y1, float x2, float y2) {
  plume::plot(x1, y1, 3);
  plume::plot(x2, y2, 2);
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  plume::bounding_box_atend(true);
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);
  plume::rgbcolor(1.0f, 1.0f, 1.0f);      // a white frame: the crop keeps
  plume::rect(0.0f, 0.0f, 15.5f, 6.3f);   // a margin
  plume::color(0);
  plume::symbol(1.0f, 5.7f, 0.3f, "pen", 0.0f, 3);
  plume::symbol(5.0f, 5.7f, 0.3f, "colour, tone 0 ... 6", 0.0f, 20);
  plume::symbol(11.0f, 5.7f, 0.3f, "dashln", 0.0f, 6);
  for (int i = 0; i <= 7; ++i) {
    const float y = 5.1f - 0.6f * static_cast<float>(i);
    plume::number(0.3f, y - 0.12f, 0.25f, static_cast<float>(i), 0.0f, -1);
    plume::newpen(i);                     // pen i: 0.2 i + 0.1 points wide
    line(1.0f, y, 4.0f, y);
    plume::newpen(12);                    // a 2.5 point pen for the swatches
    for (int tone = 0; tone <= 6; ++tone) {
      plume::pen(-1, tone);               // keep the width, set the tone
      plume::color(i);
      const float x = 5.0f + 0.8f * static_cast<float>(tone);
      line(x, y, x + 0.6f, y);
    }
    plume::newpen(2);                     // tone 0 again
    plume::color(0);
    plume::dashln(i);                     // dash patterns 0 to 7
    line(11.0f, y, 15.0f, y);
    plume::dashln(-1);                    // solid again
  }
  plume::rgbcolor(1.0f, 0.5f, 0.0f);      // any RGB colour: orange
  line(11.0f, 0.4f, 15.0f, 0.4f);
  plume::hplots(0, 0, 8, 0);
}
