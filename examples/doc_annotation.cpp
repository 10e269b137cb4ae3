// Annotation: scaled data on labelled axes, a line with markers, dashed
// lines and number fields. Usage: example_doc_annotation <output.eps>
#include <cmath>

#include "plume/plume.hpp"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  constexpr int n = 11;
  float t[n + 2], a[n + 2], b[n + 2];      // n values and the scale pair
  for (int i = 0; i < n; ++i) {
    t[i] = 20.0f * static_cast<float>(i);  // seconds
    a[i] = 40.0f + 30.0f * std::sin(0.5f * static_cast<float>(i));
    b[i] = 0.5f * a[i] + 15.0f;
  }
  plume::scale(t, 10.0f, n, 1);            // 10 units of axis for t
  plume::scale(a, 5.0f, n, 1);             // 5 units for a ...
  b[n] = a[n];                             // ... and b on the same scale
  b[n + 1] = a[n + 1];
  plume::bounding_box_atend(true);
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);
  plume::rgbcolor(1.0f, 1.0f, 1.0f);       // a white frame: the crop keeps
  plume::rect(0.0f, 0.0f, 16.5f, 7.8f);    // a margin
  plume::color(0);
  plume::plot(1.6f, 1.6f, -3);             // origin at the axes' corner
  plume::axis_numbering(plume::AxisNumbering::alternate_ticks);
  plume::axis(0.0f, 0.0f, "time (s)", -8, 10.0f, 0.0f, t[n], t[n + 1]);
  plume::axis(0.0f, 0.0f, "level", 5, 5.0f, 90.0f, a[n], a[n + 1]);
  plume::line(t, a, n, 1, 2, 2);           // a marker at every 2nd point
  plume::dashl(t, b, n, 1);                // dashed, from the nearer end
  plume::plot(0.0f, 4.0f, 3);              // one dashed segment
  plume::dashp(10.0f, 4.0f, 0.1f);
  const int codes[] = {62, 103, -5, 42, 31, 22};
  for (int i = 0; i < 6; ++i) {            // the code, then pi in its field
    const float y = 5.0f - 0.6f * static_cast<float>(i);
    plume::number(11.0f, y, 0.3f, static_cast<float>(codes[i]), 0.0f, -4);
    plume::number(12.5f, y, 0.3f, 3.14159f, 0.0f, codes[i]);
  }
  plume::hplots(0, 0, 8, 0);
}
