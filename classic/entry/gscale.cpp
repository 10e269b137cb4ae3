// gscale: another name of scale.
#include <cstdint>

#include "plume/classic.h"
#include "plume/plume.hpp"

#include "plume/plume.h"

extern "C" void gscale_(float* values, const float* axis_length, const int32_t* count, const int32_t* stride) {
  scale_(values, axis_length, count, stride);
}
