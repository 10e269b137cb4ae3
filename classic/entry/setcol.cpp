// setcol(pen, r, g, b): the colour of a pen for later newpen calls.
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void setcol_(const int32_t* pen, const float* red, const float* green, const float* blue) {
  plume::setcol(*pen, *red, *green, *blue);
}
