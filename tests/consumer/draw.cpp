// A C++17 program using the installed library through plume.hpp: it calls
// every routine of the C++ face, so each must compile under C++17 and link.
#include <plume/plume.h>
#include <plume/plume.hpp>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

int main() {
  if (std::strcmp(plume::version(), PLUME_VERSION) != 0) {
    std::fprintf(stderr, "library %s, header %s\n", plume::version(), PLUME_VERSION);
    return 1;
  }
  plume::connect_unit(26, "cxx17.eps");
  plume::bounding_box_atend(false);
  plume::axis_numbering(plume::AxisNumbering::every_tick);
  plume::hplots(1, 1, 26, 0);
  plume::plot(1.0f, 1.0f, 3);
  plume::xplot(2.0f, 1.0f, 2);
  plume::origin(0.5f, 0.5f, 1);
  plume::factor(1.0f);
  const plume::Where at = plume::where();
  plume::viewport(0.0f, 0.0f, 20.0f, 25.0f);
  plume::pen(2, 1);
  plume::newpen(1);
  plume::color(plume::color(4));
  plume::rgbcolor(0.1f, 0.2f, 0.3f);
  const float tone = plume::rtone(2);
  plume::dashln(0);
  plume::rectangle(1.0f, 2.0f, 1.0f, 1.0f);
  plume::xrectangle(3.0f, 2.0f, 1.0f, 1.0f, 1);
  plume::rect(1.0f, 4.0f, 2.0f, 5.0f);
  plume::xrect(3.0f, 4.0f, 4.0f, 5.0f, 0);
  plume::arc(6.0f, 6.0f, 1.0f, 0.0f, 90.0f);
  plume::circle(6.0f, 3.0f, 0.5f);
  plume::xarc(8.0f, 6.0f, 1.0f, 0.0f, 180.0f, 1);
  plume::xcircle(8.0f, 3.0f, 0.5f, 0);
  plume::plot(1.0f, 7.0f, 3);
  plume::plot(2.0f, 8.0f, 2);
  plume::plot(3.0f, 7.0f, 2);
  plume::fillup();
  plume::xfillup(2, 0);
  plume::chrcod("AB", 2);
  const int found = plume::indx("PLUME", "UM") + plume::iand(6, 3);
  plume::symbol(1.0f, 9.0f, 0.4f, "C++17", 0.0f, 5);
  plume::symbol(5.0f, 9.0f, 0.3f, 3, 0.0f);
  plume::csymbl(6.0f, 9.0f, 1, 0.3f, 4);
  const std::array<float, 4> measure = plume::justfy(0.4f, "AB", 2);
  plume::xsymbol(1.0f, 10.0f, 0.4f, "Times", 0.0f, 5, 1);
  plume::hexstr(1, 2);
  const char digit = plume::hexchar(11);
  plume::number(1.0f, 11.0f, 0.3f, at.x + tone, 0.0f, 2);
  plume::xnumber(4.0f, 11.0f, 0.3f, measure[2], 0.0f, 3, 1);
  plume::axis(1.0f, 12.0f, "X", -1, 5.0f, 0.0f, 0.0f, 1.0f);
  std::vector<float> xs = {1.0f, 2.0f, 3.0f, 0.0f, 0.0f};
  float ys[] = {1.0f, 4.0f, 2.0f, 0.0f, 0.0f};
  plume::scale(xs, 5.0f, 3, 1);
  plume::scale(ys, 5.0f, 3, 1);
  plume::line(xs, ys, 3, 1, 1, 2);
  plume::dashl(xs, ys, 3, 1);
  plume::dashp(1.0f, 1.0f, 0.2f);
  plume::newpage();
  plume::plot(1.0f, 1.0f, 3);
  plume::plot(2.0f, 2.0f, 2);
  plume::hplots(0, 0, 26, 0);
  if (found != 5 || digit != 'B') {
    std::fprintf(stderr, "indx + iand %d, hexchar %c\n", found, digit);
    return 1;
  }
  return plume::write_failures() == 0 && plume::dropped_lines() == 0 && plume::clamped_lines() == 0 ? 0 : 1;
}
