// Plot control: pen codes, origin shifts, the drawing factor and a viewport.
// Usage: example_doc_plot_control <output.eps>
#include <cmath>

#include "plume/plume.hpp"

void house() {  // 2 units wide, from the current origin: a move, then draws
  const float xs[] = {0.0f, 2.0f, 2.0f, 1.0f, 0.0f, 0.0f};
  const float ys[] = {0.0f, 0.0f, 1.5f, 2.5f, 1.5f, 0.0f};
  for (int i = 0; i < 6; ++i) plume::plot(xs[i], ys[i], i == 0 ? 3 : 2);
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  plume::bounding_box_atend(true);        // a box in the header: croppable
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);              // portrait, unit 8, centimetres
  plume::rgbcolor(1.0f, 1.0f, 1.0f);      // a white frame: the box, and so
  plume::rect(0.0f, 0.0f, 14.0f, 5.0f);   // the crop, keeps a margin
  plume::color(0);
  plume::plot(0.5f, 1.2f, -3);            // origin to (0.5, 1.2)
  house();
  plume::symbol(0.0f, -0.8f, 0.3f, "factor 1", 0.0f, 8);
  plume::plot(3.0f, 0.0f, -3);            // origin 3 units further right
  plume::factor(0.5f);                    // everything half size ...
  house();
  plume::factor(1.0f);                    // ... and back
  plume::symbol(0.0f, -0.8f, 0.3f, "0.5", 0.0f, 3);
  plume::plot(2.0f, 0.0f, -3);
  plume::factor(1.4f);
  house();
  plume::factor(1.0f);
  plume::symbol(0.0f, -0.8f, 0.3f, "1.4", 0.0f, 3);
  plume::origin(8.5f, 1.2f, 0);           // origin set, from the page corner
  plume::symbol(0.0f, -0.8f, 0.3f, "viewport", 0.0f, 8);
  plume::viewport(0.0f, 0.0f, 5.0f, 3.3f);  // clip all that follows
  for (int i = 0; i < 24; ++i) {          // rays from inside to far outside
    const float a = 0.2618f * static_cast<float>(i);
    plume::plot(2.5f, 1.6f, 3);
    plume::plot(2.5f + 6.0f * std::cos(a), 1.6f + 6.0f * std::sin(a), 2);
  }
  plume::hplots(0, 0, 8, 0);              // close: trailer and box
}
