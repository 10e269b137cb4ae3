// gfont: accepted from classic programs; Plume has nothing to do for it
// (see docs/classic.md). Its arguments are not read.
#include "plume/classic.h"

extern "C" void gfont_() {}
