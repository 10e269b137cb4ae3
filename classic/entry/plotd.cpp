// plotd(x, y, code): plot with dashed drawn segments.
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void plotd_(const float* x, const float* y, const int32_t* code) { plume::plotd(*x, *y, *code); }
