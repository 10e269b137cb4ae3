/* A C program using the installed library through plume.h. */
#include <plume/plume.h>
#include <stdio.h>

int main(void) {
  const int32_t open = 1, portrait = 1, unit = 22, cm = 0, close = 0;
  const int32_t up = 3, down = 2;
  float x = 1.0f, y = 1.0f;
  hplots_(&open, &portrait, &unit, &cm);
  plot_(&x, &y, &up);
  x = 5.0f;
  plot_(&x, &y, &down);
  hplots_(&close, &close, &unit, &close);
  if (m00000_.bbox_xmax != 141) {
    fprintf(stderr, "unexpected box %d\n", m00000_.bbox_xmax);
    return 1;
  }
  return plume_write_failures() == 0 && plume_clamped_lines() == 0 ? 0 : 1;
}
