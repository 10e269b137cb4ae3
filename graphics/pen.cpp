// Line widths, indexed colours, tones and RGB colours.
#include <cmath>

#include "classic/state.hpp"
#include "device/pen_draw.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "graphics/palette.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {

float rtone(int tone) {
  constexpr float kTones[] = {1.0f, 0.8f, 0.6f, 0.4f, 0.25f, 0.15f, 0.05f};
  if (tone <= 0) return kTones[0];
  if (tone >= 6) return kTones[6];
  return kTones[tone];
}

namespace graphics {
void write_rgb_line(float red, float green, float blue) {
  device::Record r;
  r.real(red, 5, 2).real(green, 5, 2).real(blue, 5, 2).text(" setrgbcolor").write();
}

void write_pen_position_line() {
  const float px = a00000_.pen_x * a00000_.units_scale + p00001_.origin_x;
  const float py = a00000_.pen_y * a00000_.units_scale + p00001_.origin_y;
  if (!std::isfinite(px) || !std::isfinite(py)) {
    device::forget_current_point();
    return;
  }
  device::Record r;
  r.real(px, 11, 3).real(py, 11, 3).text(" pM").write();
  device::current_point_set();
}

void write_width_line(float width) {
  device::Record r;
  r.blank().real(width, 5, 2).text(" setlinewidth").write();
}
}  // namespace graphics

void rgbcolor(float red, float green, float blue) {
  device::write_text(" stroke ");
  device::forget_current_point();
  graphics::write_rgb_line(red, green, blue);
}

int color(int color_index) {
  const int k = color_index < 0 || color_index > 7 ? 0 : color_index;
  float a = rtone(l00001_.tone);
  if (k == 0) a = 1.0f - a;
  const auto& c = graphics::kPalette[k];
  rgbcolor(c.red * a, c.green * a, c.blue * a);
  l00001_.color_index = k;
  return k;
}

void pen(int pen_number, int tone) {
  if (pen_number >= 0) {
    device::write_text(" stroke ");
    device::forget_current_point();
    float width = pen_number == 0 ? 0.0f : 0.2f * static_cast<float>(pen_number) + 0.1f;
    if (p00000_.unit_system > 0) width = width * 0.667f;
    w00001_.line_width = width;
    graphics::write_width_line(width);
  }
  if (tone >= 0 && tone != l00001_.tone) {
    l00001_.tone = tone;
    l00001_.color_index = color(l00001_.color_index);
  }
  graphics::write_pen_position_line();
}

void newpen(int pen_number) {
  if (classic::plot_open()) {
    classic::select_pen(pen_number);  // classic pens are colours
    return;
  }
  pen(pen_number, 0);
}

}  // namespace plume

extern "C" {
void pen_(const int32_t* pen_number, const int32_t* tone) { plume::pen(*pen_number, *tone); }
void newpen_(const int32_t* pen_number) { plume::newpen(*pen_number); }
void color_(int32_t* color_index) {
  // Written back only when replaced: callers pass constants for valid indices.
  const int32_t used = plume::color(*color_index);
  if (used != *color_index) *color_index = used;
}
void rgbcolor_(const float* red, const float* green, const float* blue) {
  plume::rgbcolor(*red, *green, *blue);
}
float rtone_(const int32_t* tone) { return plume::rtone(*tone); }
}
