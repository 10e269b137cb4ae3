// shade(x, y, width, height, k): a rectangle filled with shade k.
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void shade_(const float* x, const float* y, const float* width, const float* height, const int32_t* k) {
  plume::shade(*x, *y, *width, *height, *k);
}
