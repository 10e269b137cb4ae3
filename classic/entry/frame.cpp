// frame: ends the page and starts the next, origin at its corner.
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void frame_(void) { plume::frame(); }
