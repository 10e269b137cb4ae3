/* A C program: the same calls write a PDF of the whole sheet and a PNG. */
#include <plume/plume.h>
#include <stdio.h>

static void draw(int32_t unit) {
  const int32_t open = 1, portrait = 1, cm = 0, close = 0, up = 3, down = 2;
  float x = 1.0f, y = 1.0f;
  hplots_(&open, &portrait, &unit, &cm);
  plot_(&x, &y, &up);
  x = 5.0f;
  plot_(&x, &y, &down);
  hplots_(&close, &close, &unit, &close);
}

int main(void) {
  plume_crop_pages(0);
  plume_connect_unit(21, "c.pdf");
  draw(21);
  plume_crop_pages(1);
  plume_raster_dpi(100);
  plume_connect_unit(22, "c.png");
  draw(22);
  if (plume_write_failures() != 0) return 1;
  puts("c formats: ok");
  return 0;
}
