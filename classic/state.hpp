// The classic dialect's state: whether the plot open now was opened by
// plots or pinitf, and in which user unit. The annotation routines, number,
// newpen and the close consult it; a plot opened with hplots never is
// classic, so hplots programs draw as they always have.
#pragma once

#include <string>

namespace plume::classic {

extern bool g_open;
// Centimetres in one user unit of the open classic plot (2.54 in inches);
// 1 outside a classic plot.
extern float g_cm_per_unit;

inline bool plot_open() { return g_open; }
// A length the annotation routines give in centimetres, in user units.
inline float annotation_length(float centimetres) { return centimetres / g_cm_per_unit; }

// The plot ended (any close: plote, pend, plot with 999, hplots).
void plot_ended();
// newpen in a classic plot: pen n's colour at pen 1's width.
void select_pen(int pen);
// number's text in a classic plot: n decimals (n >= 0), a rounded integer
// (n = -1), or rounded to a multiple of 10^(-n-1) (n < -1).
std::string number_text(float value, int n);

}  // namespace plume::classic
