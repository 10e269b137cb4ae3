// The classic plotter dialect: plots, pinitf, plote, frame, gunit, setcol,
// shade and plotd, in inches by default. The Fortran entry points of
// plume_classic (classic/entry/) forward here.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "classic/state.hpp"
#include "device/document.hpp"
#include "device/plot_state.hpp"
#include "graphics/palette.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace classic {

bool g_open = false;
float g_cm_per_unit = 1.0f;

namespace {

constexpr int kUnit = 8;  // the unit of plots and pinitf, fort.8 unless connected
constexpr float kPointsPerInch = 72.0f;
constexpr float kPointsPerCm = 28.346457f;
constexpr float kDashCm = 0.254f;  // plotd's dashes, as dashl's

bool g_inches = true;  // the unit gunit chose, for this and later plots

// Pens 1 to 7: black, then the other visible colours of the eight-colour
// table; pen 8 is black again, and so on.
constexpr int kPenColours[] = {0, 4, 2, 1, 5, 3, 6};
std::map<int, graphics::Rgb> g_set_colours;  // setcol's
graphics::Rgb g_pen_colour{0, 0, 0};         // the colour of the pen in use

void apply_unit() {
  a00000_.units_scale = g_inches ? kPointsPerInch : kPointsPerCm;
  g_cm_per_unit = g_inches ? 2.54f : 1.0f;
}

void send_colour(const graphics::Rgb& c) { rgbcolor(c.red, c.green, c.blue); }

float unit_interval(float v) { return v > 0.0f ? std::min(v, 1.0f) : 0.0f; }  // NaN gives 0

graphics::Rgb pen_colour(int pen) {
  if (const auto it = g_set_colours.find(pen); it != g_set_colours.end()) return it->second;
  const int index = pen < 1 ? 0 : kPenColours[(pen - 1) % 7];
  return index == 0 ? graphics::Rgb{0, 0, 0} : graphics::kPalette[index];
}

}  // namespace

void plot_ended() {
  g_open = false;
  g_cm_per_unit = 1.0f;
}

void select_pen(int pen) {
  g_pen_colour = pen_colour(pen);
  send_colour(g_pen_colour);
  const int index = pen < 1 ? 0 : kPenColours[(pen - 1) % 7];
  l00001_.color_index = index;
  plume::pen(1, -1);  // pen 1's width, and the path goes on from the pen
}

std::string number_text(float value, int n) {
  char text[128];
  const double v = value;
  if (n >= 0) {
    std::snprintf(text, sizeof text, "%#.*f", std::min(n, 20), v);  // n = 0 keeps its point
    return text;
  }
  // Rounded half away from zero to a multiple of 10^k, written as the
  // rounded quotient followed by k zeros: exact for every k.
  const int k = n == -1 ? 0 : static_cast<int>(std::min(-static_cast<long>(n) - 1, 38L));
  double q = std::round(v / std::pow(10.0, k));
  if (q == 0.0) q = 0.0;  // no "-0"
  std::snprintf(text, sizeof text, "%.0f", q);
  std::string s = text;
  if (q != 0.0 && std::isfinite(q)) s.append(static_cast<std::size_t>(k), '0');
  return s;
}

}  // namespace classic

void pinitf(std::string_view path) {
  if (classic::g_open) {
    frame();  // a second start is a new page of the same document
    return;
  }
  if (!path.empty()) connect_unit(classic::kUnit, path);
  const bool box_was = device::bounding_box_atend_on();
  bounding_box_atend(true);  // the box around everything drawn
  hplots(1, 1, classic::kUnit, 0);
  bounding_box_atend(box_was);
  classic::g_open = true;
  classic::g_pen_colour = {0, 0, 0};
  classic::apply_unit();
}

void plots() { pinitf({}); }

void plote() {
  if (classic::g_open) hplots(0, 0, 0, 0);
}

void frame() {
  newpage();
  // The new page starts black: the pen keeps its colour.
  const auto& c = classic::g_pen_colour;
  if (classic::g_open && (c.red != 0 || c.green != 0 || c.blue != 0)) classic::send_colour(c);
}

bool gunit(std::string_view unit) {
  while (!unit.empty() && unit.back() == ' ') unit.remove_suffix(1);
  while (!unit.empty() && unit.front() == ' ') unit.remove_prefix(1);
  std::string u(unit);
  std::transform(u.begin(), u.end(), u.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (u == "in" || u == "inch" || u == "inches") {
    classic::g_inches = true;
  } else if (u == "cm") {
    classic::g_inches = false;
  } else {
    std::fprintf(stderr, "plume: gunit: unknown unit '%s' (expected 'in' or 'cm'); the unit stays %s\n", u.c_str(),
                 classic::g_inches ? "inches" : "centimetres");
    return false;
  }
  if (classic::g_open) classic::apply_unit();
  return true;
}

void setcol(int pen, float red, float green, float blue) {
  classic::g_set_colours[pen] = {classic::unit_interval(red), classic::unit_interval(green),
                                 classic::unit_interval(blue)};
}

void shade(float x, float y, float width, float height, int k) {
  const float grey = 1.0f - rtone(k);  // black, then the greys of the tone table
  rgbcolor(grey, grey, grey);
  xrectangle(x, y, width, height, 1);
  classic::send_colour(classic::g_pen_colour);
}

void plotd(float x, float y, int code) {
  const float dash = classic::annotation_length(classic::kDashCm);
  if (code == 2) {
    dashp(x, y, dash);
  } else if (code == -2) {
    dashp(x, y, dash);
    plot(x, y, -3);  // the origin moves to where the dashes ended
  } else {
    plot(x, y, code);
  }
}

}  // namespace plume
