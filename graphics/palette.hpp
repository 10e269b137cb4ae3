// The eight indexed colours and the lines that select widths, colours and
// the pen position, shared by the attribute and fill routines.
#pragma once

namespace plume::graphics {

struct Rgb {
  float red;
  float green;
  float blue;
};

// Index 0 is black: its intensity is inverted by the tone rule.
inline constexpr Rgb kPalette[8] = {
    {1, 1, 1}, {0, 0, 1}, {0, 1, 0}, {0, 1, 1}, {1, 0, 0}, {1, 0, 1}, {1, 1, 0}, {1, 1, 1},
};

// "(3f5.2,a)": the three components and " setrgbcolor".
void write_rgb_line(float red, float green, float blue);
// "(2f11.3,a)": the stored pen position in points and " pM", which gives
// the path its current point there; nothing when the pen was lost (a move
// to a non-finite point), and the path is then left without one.
void write_pen_position_line();
// "(1x,f5.2,a)": the width and " setlinewidth".
void write_width_line(float width);

}  // namespace plume::graphics
