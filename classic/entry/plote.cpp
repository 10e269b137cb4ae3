// plote: ends the classic plot.
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void plote_(void) { plume::plote(); }
