// Shapes: rectangles painted at once and drawn with the pen, arcs, circles
// and fills. Usage: example_doc_shapes <output.eps>
#include "plume/plume.hpp"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  plume::bounding_box_atend(true);
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);
  // Shapes written with their own operators do not widen the box; a frame
  // drawn with the pen (white, unseen) does, so the crop keeps them.
  plume::rgbcolor(1.0f, 1.0f, 1.0f);
  plume::rect(0.0f, 0.0f, 16.0f, 6.1f);
  plume::color(0);                                 // black again
  plume::newpen(2);                                // 0.5 points
  plume::rectangle(0.5f, 3.6f, 2.5f, 1.8f);        // corner and size
  plume::color(1);
  plume::xrectangle(3.5f, 3.6f, 2.5f, 1.8f, 1);    // filled
  plume::color(0);
  plume::rect(6.5f, 3.6f, 9.0f, 5.4f);             // pen motions, two corners
  plume::color(2);
  plume::xrect(9.5f, 3.6f, 12.0f, 5.4f, 1);        // filled in the colour
  plume::color(0);
  plume::plot(12.5f, 3.6f, 3);                     // any pen path ...
  plume::plot(15.5f, 3.6f, 2);
  plume::plot(14.0f, 5.4f, 2);
  plume::plot(12.5f, 3.6f, 2);
  plume::xfillup(6, 2);                            // ... filled: yellow, tone 2
  plume::arc(1.75f, 1.6f, 1.1f, 0.0f, 270.0f);     // counter-clockwise, and
  plume::plot(1.75f, 1.6f, 2);                     // draws go on from its end
  plume::plot(2.85f, 1.6f, 2);
  plume::color(4);
  plume::xarc(4.75f, 1.0f, 1.2f, 30.0f, 150.0f, 1);  // filled to its chord
  plume::color(0);
  plume::circle(7.75f, 1.6f, 1.1f);
  plume::color(3);
  plume::xcircle(10.75f, 1.6f, 1.1f, 1);           // a disc
  plume::color(0);
  plume::xcircle(13.75f, 1.6f, 1.1f, 0);           // outlined at once
  plume::hplots(0, 0, 8, 0);
}
