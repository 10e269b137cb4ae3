// plots: a classic plot on unit 8 (its arguments are not read).
#include "plume/classic.h"
#include "plume/plume.hpp"

extern "C" void plots_() { plume::plots(); }
